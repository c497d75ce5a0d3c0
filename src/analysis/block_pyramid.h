// Summaries of a long sequence by blocks, for questions about any run of it
// ("the least and greatest value between here and there") that must be
// answered many times and fast: level 0 summarises blocks of 16 elements,
// level 1 blocks of 16 level-0 blocks, and so on, full blocks only. A run is
// answered from the elements at its two ragged ends and at most 2 x 15 blocks
// of each level between them, whatever its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel {

// Cell: a summary with add(const Cell&), default-constructed empty.
// addElements(first, last, cell) adds elements [first, last) of the sequence
// to `cell`; the pyramid never looks at the elements otherwise.
template <class Cell> class BlockPyramid {
public:
    static constexpr int kShift = 4; // 16 elements, or blocks, a block
    static constexpr int64_t kFanOut = int64_t{1} << kShift;

    // Summarises a sequence of `count` elements.
    template <class AddElements> void build(int64_t count, AddElements&& addElements) {
        levels_.clear();
        count_ = count;
        for (int64_t blocks = count >> kShift; blocks > 0; blocks >>= kShift) {
            std::vector<Cell> level(static_cast<size_t>(blocks));
            for (int64_t b = 0; b < blocks; ++b) {
                Cell& cell = level[static_cast<size_t>(b)];
                if (levels_.empty()) {
                    addElements(b << kShift, (b + 1) << kShift, cell);
                } else {
                    const std::vector<Cell>& below = levels_.back();
                    for (int64_t k = b << kShift; k < (b + 1) << kShift; ++k)
                        cell.add(below[static_cast<size_t>(k)]);
                }
            }
            levels_.push_back(std::move(level));
        }
    }

    // Adds elements [first, last) to `into`: the same as
    // addElements(first, last, into) on the sequence that was summarised.
    template <class AddElements>
    void query(int64_t first, int64_t last, Cell& into, AddElements&& addElements) const {
        // Level -1 is the elements themselves; a and b count units of the level.
        int64_t a = first, b = last;
        for (size_t up = 0; a < b; ++up) {
            auto add = [&](int64_t from, int64_t to) {
                if (up == 0) {
                    if (from < to) addElements(from, to, into);
                    return;
                }
                const std::vector<Cell>& level = levels_[up - 1];
                for (int64_t k = from; k < to; ++k)
                    into.add(level[static_cast<size_t>(k)]);
            };
            const int64_t aa = (a + kFanOut - 1) >> kShift << kShift, bb = b >> kShift << kShift;
            if (up == levels_.size() || aa >= bb) {
                add(a, b);
                return;
            }
            add(a, aa);
            add(bb, b);
            a = aa >> kShift;
            b = bb >> kShift;
        }
    }

    // The length of the sequence summarised, -1 before any.
    int64_t count() const { return count_; }
    size_t bytes() const {
        size_t n = 0;
        for (const std::vector<Cell>& level : levels_)
            n += level.capacity() * sizeof(Cell);
        return n;
    }

private:
    int64_t count_ = -1;
    std::vector<std::vector<Cell>> levels_;
};

} // namespace vantrel
