// The time-based B-scan: every shown frame's A-scan side by side, x the
// shown frames, y the 280 sample positions along the sound path of the plot
// (top = position 0), each cell the largest echo sample of the frames its
// column holds. Column c of a range of n shown frames drawn W wide holds the
// frames whose index i in the range has c = floor(i W / n): uneven splits
// give some columns one frame more, and a range narrower than W leaves
// columns empty.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "echo_overview.h"
#include "record_query.h"

namespace vantrel {

inline constexpr int kBscanRows = kSamplesPerFrame;

struct BscanColumn {
    int64_t first = -1, last = -1; // shown frames, -1 while it holds none
    std::array<uint8_t, kBscanRows> cells{};
    bool holdsFrames() const { return first >= 0; }
    bool operator==(const BscanColumn&) const = default;
};

// The column of range index i (0 .. n - 1) of n frames drawn `width` wide,
// and the first range index of column c; 128-bit products, no overflow.
int64_t bscanColumnOf(int64_t i, int64_t n, int64_t width);
int64_t bscanFirstOf(int64_t c, int64_t n, int64_t width);

// The columns of shown frames from .. to (both included, within the
// overview) drawn `width` wide, read from the records themselves: `reader`
// (opened alongside the overview's file, no other walk under way) reads
// every record the range touches once.
std::vector<BscanColumn> bscanByReading(const EchoOverview& overview, RecordQuery& reader,
                                        int64_t from, int64_t to, int width);

} // namespace vantrel
