#include "analysis/bscan_summaries.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {

namespace {

// Blocks that keep the summaries, their first frames and their pyramid (a
// fifteenth more) within BscanSummaries::kMostBytes.
constexpr int64_t kMostBlocks =
    static_cast<int64_t>(BscanSummaries::kMostBytes /
                         (sizeof(BscanCells) + sizeof(int64_t) + sizeof(BscanCells) / 15 + 1));

} // namespace

void bscanMaxInto(BscanCells& into, const uint8_t* samples) {
    // Every shown frame of a walk passes through here: sixteen positions a
    // step where the machine has them.
    size_t k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= into.size(); k += 16) {
        auto* to = reinterpret_cast<__m128i*>(into.data() + k);
        const __m128i a = _mm_loadu_si128(to);
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + k));
        _mm_storeu_si128(to, _mm_max_epu8(a, b));
    }
#endif
    for (; k < into.size(); ++k)
        into[k] = std::max(into[k], samples[k]);
}

void BscanSummaries::addRecord(int64_t firstFrame, int32_t frames, const BscanCells& maxima,
                               const BscanGeometry& geometry) {
    if (frames <= 0) return;
    if (runs_.empty() || !(runs_.back().geometry == geometry))
        runs_.push_back({firstFrame, geometry});
    if (!first_.empty() && first_.back() / blockFrames_ == firstFrame / blockFrames_) {
        bscanMaxInto(max_.back(), maxima.data());
        return;
    }
    if (first_.size() == first_.capacity()) {
        // Grown by hand so that doubling the capacity never overshoots the
        // budget: the blocks never number more than kMostBlocks + 1.
        const size_t room = std::min<size_t>(std::max<size_t>(first_.capacity() * 2, 64),
                                             static_cast<size_t>(kMostBlocks) + 1);
        first_.reserve(room);
        max_.reserve(room);
    }
    first_.push_back(firstFrame);
    max_.push_back(maxima);
    if (blockCount() > kMostBlocks) doubleBlocks();
}

void BscanSummaries::doubleBlocks() {
    blockFrames_ *= 2;
    size_t kept = 0;
    for (size_t k = 0; k < first_.size(); ++k) {
        if (kept > 0 && first_[kept - 1] / blockFrames_ == first_[k] / blockFrames_) {
            bscanMaxInto(max_[kept - 1], max_[k].data());
        } else {
            first_[kept] = first_[k];
            max_[kept] = max_[k];
            ++kept;
        }
    }
    first_.resize(kept);
    max_.resize(kept);
}

void BscanSummaries::finish(int64_t frameCount) {
    frameCount_ = frameCount;
    first_.shrink_to_fit();
    runs_.shrink_to_fit();
    max_.shrink_to_fit();
    pyramid_.build(blockCount(), [&](int64_t k0, int64_t k1, Cell& cell) {
        for (int64_t k = k0; k < k1; ++k)
            bscanMaxInto(cell.cells, max_[static_cast<size_t>(k)].data());
    });
}

int64_t BscanSummaries::blockLast(int64_t k) const {
    return k + 1 < blockCount() ? blockFirst(k + 1) - 1 : frameCount_ - 1;
}

std::pair<int64_t, int64_t> BscanSummaries::blocksCentredIn(int64_t a, int64_t b) const {
    // Block middles ascend with the blocks: the first block whose middle is
    // at or past v.
    auto firstAtOrPast = [&](int64_t v) {
        int64_t low = 0, high = blockCount();
        while (low < high) {
            const int64_t mid = low + (high - low) / 2;
            if ((blockFirst(mid) + blockLast(mid)) / 2 < v)
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    const int64_t k0 = firstAtOrPast(a);
    return {k0, std::max(k0, firstAtOrPast(b))};
}

int64_t BscanSummaries::blockOf(int64_t i) const {
    const auto past = std::upper_bound(first_.begin(), first_.end(), i);
    return std::max<int64_t>(past - first_.begin() - 1, 0);
}

void BscanSummaries::maxOver(int64_t k0, int64_t k1, BscanCells& into) const {
    if (k0 >= k1) return;
    Cell cell;
    cell.cells = into;
    pyramid_.query(k0, k1, cell, [&](int64_t a, int64_t b, Cell& c) {
        for (int64_t k = a; k < b; ++k)
            bscanMaxInto(c.cells, max_[static_cast<size_t>(k)].data());
    });
    into = cell.cells;
}

size_t BscanSummaries::bytes() const {
    return first_.capacity() * sizeof(int64_t) + max_.capacity() * sizeof(BscanCells) +
           pyramid_.bytes() + runs_.capacity() * sizeof(Run);
}

size_t BscanSummaries::runOf(int64_t i) const {
    const auto past = std::upper_bound(runs_.begin(), runs_.end(), i,
                                       [](int64_t v, const Run& r) { return v < r.first; });
    return past == runs_.begin() ? 0 : static_cast<size_t>(past - runs_.begin() - 1);
}

} // namespace vantrel
