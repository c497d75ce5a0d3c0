// Block maxima of a whole recording's B-scan, so that a view of millions of
// frames is drawn without decoding a record: the shown frames fall into
// blocks of whole records, block k holding the records whose first shown
// frame lies in [k B, (k + 1) B) for a power of two B, and each block keeps
// the largest sample at every one of the 280 positions over its frames.
// B grows while the file is walked, two blocks becoming one, so that the
// summaries stay within kMostBytes however long the recording: a recording
// of five million frames gets blocks of 256 frames, a short one a block per
// record. A BlockPyramid over the blocks answers a run of blocks in a few
// dozen steps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "analysis/block_pyramid.h"
#include "recordfile/record_format.h"

namespace vantrel {

inline constexpr int kBscanRows = kSamplesPerFrame;
using BscanCells = std::array<uint8_t, kBscanRows>;

// into[k] = max(into[k], samples[k]) for the 280 sample positions.
void bscanMaxInto(BscanCells& into, const uint8_t* samples);

// Where a record's parameters put the B-scan's rows: the gates along the 280
// sample positions (a gate from `start` to `start + width`, as the A-scan
// draws it) and the sound path the positions stand for, `range` over the
// 280 positions after the delay's path (velocity x delay / 20000, the
// product in unsigned 32 bits as the instrument takes it), in 0.1 mm or
// 0.001 in.
struct BscanGeometry {
    uint32_t range = 0, delayProduct = 0;
    uint16_t gateAStart = 0, gateAWidth = 0, gateBStart = 0, gateBWidth = 0;
    bool gateB = false; // gate B is drawn (its level above 3)
    bool inch = false;
    bool operator==(const BscanGeometry&) const = default;
    // Whether the sample positions stand for the same lengths.
    bool samePath(const BscanGeometry& g) const {
        return range == g.range && delayProduct == g.delayProduct && inch == g.inch;
    }
    // The sound path at sample position k, in 0.1 mm or 0.001 in, and the
    // sample position (fractional) at a sound path; range above 0.
    double pathAt(int k) const {
        return delayProduct * 0.00005 + static_cast<double>(range) * k / kSamplesPerFrame;
    }
    double sampleAt(double path) const {
        return (path - pathAt(0)) * kSamplesPerFrame / static_cast<double>(range);
    }
};

class BscanSummaries {
public:
    // The most bytes the summaries of any recording take.
    static constexpr size_t kMostBytes = size_t{8} << 20;

    // ---- building, records in file order
    // A record's shown frames firstFrame .. firstFrame + frames - 1 with the
    // maxima of their samples.
    void addRecord(int64_t firstFrame, int32_t frames, const BscanCells& maxima,
                   const BscanGeometry& geometry);
    // After the last record: the recording holds `frameCount` shown frames.
    void finish(int64_t frameCount);

    bool empty() const { return first_.empty(); }
    int64_t blockFrames() const { return blockFrames_; }
    int64_t blockCount() const { return static_cast<int64_t>(first_.size()); }
    // The shown frames of block k: first .. last.
    int64_t blockFirst(int64_t k) const { return first_[static_cast<size_t>(k)]; }
    int64_t blockLast(int64_t k) const;
    // The blocks whose middle frame lies in frames [a, b): blocks
    // result.first .. result.second - 1 (none when they are equal).
    std::pair<int64_t, int64_t> blocksCentredIn(int64_t a, int64_t b) const;
    // The block holding shown frame i (within the recording).
    int64_t blockOf(int64_t i) const;
    // The maxima of blocks k0 .. k1 - 1 added to `into`.
    void maxOver(int64_t k0, int64_t k1, BscanCells& into) const;
    size_t bytes() const;

    // The geometry in force at shown frame i, and the runs of one geometry
    // (run k starts where run k - 1 ends).
    const BscanGeometry& geometryAt(int64_t i) const { return runs_[runOf(i)].geometry; }
    size_t runOf(int64_t i) const;
    const BscanGeometry& runGeometry(size_t k) const { return runs_[k].geometry; }

private:
    struct Run {
        int64_t first = 0;
        BscanGeometry geometry;
    };
    struct Cell {
        BscanCells cells{};
        void add(const Cell& c) { bscanMaxInto(cells, c.cells.data()); }
    };
    // Two neighbouring blocks of the same doubled block become one.
    void doubleBlocks();

    int64_t blockFrames_ = 1, frameCount_ = 0;
    std::vector<int64_t> first_;  // first shown frame of each block
    std::vector<BscanCells> max_; // maxima of each block
    BlockPyramid<Cell> pyramid_;
    // A run a change of geometry: a recording holds few, as its parameter
    // blocks change few of these values.
    std::vector<Run> runs_;
};

} // namespace vantrel
