#include "recordfile/large_memory.h"

#include <cstring>
#include <sys/mman.h>

namespace vantrel {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

// The address sanitizer watches the heap only: under it every buffer comes
// from the heap, so that a read or write past a buffer's end is reported.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapped = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapped = false;
#else
constexpr bool kMapped = true;
#endif
#else
constexpr bool kMapped = true;
#endif

bool mapped(size_t bytes) { return kMapped && bytes >= kLargeAllocation; }

size_t mappedSize(size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }

} // namespace

void* allocateLarge(size_t bytes) {
    if (!mapped(bytes)) return ::operator new(bytes);
    if (bytes > SIZE_MAX / 2) throw std::bad_alloc();
    const size_t size = mappedSize(bytes);
    // One large page more than needed, so that an aligned start lies inside;
    // the ends around it go back at once.
    void* raw = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t rawStart = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t start = (rawStart + kLargePage - 1) & ~uintptr_t{kLargePage - 1};
    const size_t head = start - rawStart;
    if (head) munmap(raw, head);
    if (kLargePage - head) munmap(reinterpret_cast<void*>(start + size), kLargePage - head);
    void* p = reinterpret_cast<void*>(start);
    madvise(p, size, MADV_HUGEPAGE); // a hint: without large pages it works all the same
    return p;
}

void releaseLarge(void* p, size_t bytes) noexcept {
    if (!p) return;
    if (!mapped(bytes)) {
        ::operator delete(p);
        return;
    }
    munmap(p, mappedSize(bytes));
}

void LargeBuffer::reallocate(size_t size, size_t keep) {
    LargeBuffer grown(size);
    if (keep) std::memcpy(grown.data_, data_, keep);
    *this = std::move(grown);
}

} // namespace vantrel
