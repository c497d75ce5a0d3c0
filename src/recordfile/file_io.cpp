#include "file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

UniqueFd openReadOnly(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

size_t preadFully(int fd, void* dst, size_t size, int64_t offset, int* error) {
    auto* out = static_cast<uint8_t*>(dst);
    size_t got = 0;
    if (error) *error = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, out + got, size - got, offset + static_cast<int64_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && error) *error = errno;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

std::optional<std::vector<uint8_t>> readBytes(const std::string& path) {
    UniqueFd fd = openReadOnly(path);
    if (!fd.valid()) return std::nullopt;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            fd.reset();
            errno = e;
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

bool writeBytes(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace vantrel
