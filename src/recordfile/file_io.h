// File helpers shared by the record file, the writer and the tools: an owning
// descriptor, positioned reads that survive signals, whole-file reads and
// writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recordfile/large_memory.h"

namespace vantrel {

// A file descriptor that is closed when its owner goes. Move-only.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Opens `path` read-only (close-on-exec); invalid with errno set on failure.
UniqueFd openReadOnly(const std::string& path);

// Reads up to `size` bytes at `offset` into `dst`, going on after reads that
// a signal interrupted or that returned less. Returns the number of bytes
// read: fewer than `size` at the end of the file or when a read failed, in
// which case `*error` (when given) receives its errno; otherwise `*error` is 0.
size_t preadFully(int fd, void* dst, size_t size, int64_t offset, int* error = nullptr);

// The whole contents of a file: the first `size` bytes of `buffer`.
struct FileContents {
    LargeBuffer buffer;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return buffer.first(size); }
};

// Reads a whole file, or nothing (errno set) when it cannot be read or is a
// directory. A regular file is read into a buffer of the size it has when
// opened, in one read; a file that grows meanwhile, a pipe or a device is
// read on into a buffer that doubles.
std::optional<FileContents> readFile(const std::string& path);
// The same as a vector.
std::optional<std::vector<uint8_t>> readBytes(const std::string& path);
// Writes `bytes` as the whole contents of `path`, straight from `bytes`;
// false (errno set) when that failed.
bool writeBytes(const std::string& path, std::span<const uint8_t> bytes);

} // namespace vantrel
