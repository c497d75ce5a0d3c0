// Memory for the few large buffers of a run: a whole file read at once, a
// decoded stream, the record index of a long recording and what the open
// scan collects on the way.
//
// Every first touch of a fresh 4 KiB page costs a page fault, and on the
// virtual machines the viewer runs on a fault costs as much as decoding the
// page's bytes. A large buffer is therefore mapped apart from the heap,
// aligned to 2 MiB and offered to the kernel for 2 MiB pages: one fault then
// brings in 512 pages at once. Where the kernel gives no large pages the
// memory behaves like any other. Allocations below kLargeAllocation come from
// the heap as usual.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <utility>

namespace vantrel {

inline constexpr size_t kLargeAllocation = size_t{1} << 20;

// `bytes` of uninitialised memory, aligned for any type; throws
// std::bad_alloc. Release with releaseLarge and the same size.
void* allocateLarge(size_t bytes);
void releaseLarge(void* p, size_t bytes) noexcept;

// An allocator for vectors that may grow large.
template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) noexcept {}
    T* allocate(size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { releaseLarge(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

// Gives a vector that is to grow large room of at least kLargeAllocation
// bytes at once, so that it never grows through the heap, whose fresh pages
// each cost a fault; only the pages it fills are touched.
template <class Vector> void reserveLarge(Vector& v) {
    constexpr size_t element = sizeof(typename Vector::value_type);
    v.reserve(std::max(v.capacity(), (kLargeAllocation + element - 1) / element));
}

// A byte buffer that is not cleared when made: a file read or a decode
// writes every byte that is used. Move-only.
class LargeBuffer {
public:
    LargeBuffer() = default;
    explicit LargeBuffer(size_t size)
        : data_(size ? static_cast<uint8_t*>(allocateLarge(size)) : nullptr), size_(size) {}
    LargeBuffer(LargeBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    LargeBuffer& operator=(LargeBuffer&& other) noexcept {
        if (this != &other) {
            release();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer() { release(); }

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    std::span<const uint8_t> first(size_t n) const { return {data_, n}; }

    // A buffer of `size` bytes holding the first `keep` bytes of this one
    // (keep <= both sizes); the rest is uninitialised.
    void reallocate(size_t size, size_t keep);

private:
    void release() noexcept {
        if (data_) releaseLarge(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace vantrel
