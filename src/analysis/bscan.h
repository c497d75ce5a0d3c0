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
#include <optional>
#include <utility>
#include <vector>

#include "analysis/bscan_summaries.h"
#include "analysis/echo_overview.h"
#include "analysis/overview_view.h"
#include "viewer/record_query.h"

namespace vantrel {

struct BscanColumn {
    int64_t first = -1, last = -1; // shown frames, -1 while it holds none
    BscanCells cells{};
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

// The maxima of each column's frames first .. last, read from the records
// (columns that hold no frames stay empty); columns may share frames.
void readBscanColumns(const EchoOverview& overview, RecordQuery& reader,
                      std::vector<BscanColumn>& columns);

// ---- the B-scan strip of the echo-dynamics window: its columns are the
// strips' columns above it (framesOfColumn), so that every frame lies under
// the same x in all of them.

// A view touching at most this many records is read from the records
// themselves, exactly: a few thousand frames, read in a few milliseconds. A
// wider view is drawn from the block maxima, which answer any view of any
// recording without decoding a record.
inline constexpr int64_t kBscanMostRecordsRead = 512;

// Columns of a wide view from the block maxima: a column of the strips
// shows the blocks whose middle frame lies among its frames, or where there
// is none (a column narrower than a block) the block holding its first
// frame. Every block then shows where its frames lie, off by less than half
// a block, and the column's first and last are the first and last frames of
// the blocks it shows: reading those frames from the records gives the same
// maxima (readBscanColumns).
std::vector<BscanColumn> bscanBySummaries(const EchoOverview& overview, const OverviewView& view,
                                          int width);

// Whether the strip's columns for `view` are read from the records rather
// than drawn from the block maxima.
bool bscanReadsRecords(const EchoOverview& overview, const OverviewView& view);

// The strip's columns for `view` (within the file), by whichever way the
// view calls for. `reader` is opened alongside the overview's file; without
// one every view is drawn from the block maxima, and an overview without
// them (one made by hand) is read whatever the view.
std::vector<BscanColumn> bscanStripColumns(const EchoOverview& overview, RecordQuery* reader,
                                           const OverviewView& view, int width);

// The rows of the strip: a plot `height` rows high shows the 280 sample
// positions top to bottom; row y stands for positions first .. last - 1 (at
// least one; several where the plot is lower than 280 rows, drawn as their
// largest sample so that no thin echo falls between rows).
std::pair<int, int> bscanSamplesOfRow(int y, int height);
// The first row that shows sample position k (height for k = 280).
int bscanRowOfSample(int k, int height);
// What a row of the strip shows of a column: the largest sample of the
// positions it stands for (bscanSamplesOfRow, worked out once a row).
inline uint8_t bscanRowValue(const BscanColumn& column, std::pair<int, int> samples) {
    uint8_t v = 0;
    for (int k = samples.first; k < samples.second; ++k)
        v = v < column.cells[static_cast<size_t>(k)] ? column.cells[static_cast<size_t>(k)] : v;
    return v;
}

// The geometry whose sound path holds over the frames of `view` (the y axis
// is then a sound path in its unit), or none where the range, the delay or
// the unit changes there (the axis is then the sample positions).
std::optional<BscanGeometry> bscanPathOfView(const EchoOverview& overview,
                                             const OverviewView& view);

} // namespace vantrel
