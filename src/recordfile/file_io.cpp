#include "recordfile/file_io.h"

#include <cerrno>
#include <fcntl.h>
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

std::optional<FileContents> readFile(const std::string& path) {
    UniqueFd fd = openReadOnly(path);
    if (!fd.valid()) return std::nullopt;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    // One byte more than the file holds: the read that finds the end then
    // needs no buffer of its own.
    constexpr size_t kUnsized = 64 << 10;
    const bool sized =
        S_ISREG(st.st_mode) && st.st_size > 0 && static_cast<uint64_t>(st.st_size) < SIZE_MAX / 4;
    FileContents file;
    file.buffer = LargeBuffer(sized ? static_cast<size_t>(st.st_size) + 1 : kUnsized);
    for (;;) {
        if (file.size == file.buffer.size()) {
            if (file.size > SIZE_MAX / 4) {
                errno = EFBIG;
                return std::nullopt;
            }
            file.buffer.reallocate(file.size * 2, file.size);
        }
        const ssize_t n =
            ::read(fd.get(), file.buffer.data() + file.size, file.buffer.size() - file.size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            fd.reset();
            errno = e;
            return std::nullopt;
        }
        if (n == 0) return file;
        file.size += static_cast<size_t>(n);
    }
}

std::optional<std::vector<uint8_t>> readBytes(const std::string& path) {
    std::optional<FileContents> file = readFile(path);
    if (!file) return std::nullopt;
    const std::span<const uint8_t> bytes = file->bytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool writeBytes(const std::string& path, std::span<const uint8_t> bytes) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid()) return false;
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int e = n < 0 ? errno : EIO;
            fd.reset();
            errno = e;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    // A file system may report a failed write only when the file is closed.
    return ::close(fd.release()) == 0;
}

} // namespace vantrel
