// Which frames of an echo-dynamics overview the strips show, and the rules a
// window follows to change that: zoom around the pointer, pan, fit, keep the
// view within the file, follow the frame on screen; and the mapping between
// plot columns and shown frames, and between plot rows and amplitude values,
// that the strips are drawn with and the mouse is read with. No pixels here:
// a plot is a width in columns and a band of rows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

class EchoOverview;

struct OverviewView {
    int64_t from = 0, to = 0; // shown frames from .. to - 1 across the strips
    int64_t cursor = -1;      // the frame on screen, or -1
    bool operator==(const OverviewView&) const = default;
};

// The fewest shown frames a zoom leaves across the strips.
inline constexpr int64_t kFewestFramesInView = 8;

// The first shown frame of column x of a plot `plotWidth` columns wide.
int64_t frameAtColumn(const OverviewView& view, int plotWidth, int x);
// The first column whose first shown frame is `frame` or a later one: where
// a mark at the start of `frame` goes; plotWidth for a frame at or past the
// view's end, 0 for one before its start.
int columnOfFrame(const OverviewView& view, int plotWidth, int64_t frame);

// The shown frames column x of the strips stands for: first .. last - 1, at
// least one frame (a column of a view narrower than the plot shows the frame
// under it). The view must lie within the file.
std::pair<int64_t, int64_t> framesOfColumn(const OverviewView& view, int plotWidth, int x);

// The shown frame the strips answer for column x (a click, a tooltip, the
// threshold under the pointer): the column's first frame, kept within a file
// of `total` frames (total > 0), so that the plot's right edge and anything
// past it answer the file's last frame where the view reaches the file's end.
int64_t frameUnderColumn(const OverviewView& view, int plotWidth, int x, int64_t total);

// ---- the view rules; `total` is the overview's count of shown frames.

// Frames from .. to - 1, kept within the file: at least kFewestFramesInView
// frames (or all there are), at most all, moved inside. The cursor stays.
OverviewView showFrames(const OverviewView& view, int64_t from, int64_t to, int64_t total);
// The whole file.
OverviewView fitView(const OverviewView& view, int64_t total);
// The view on a newly computed overview: a new file (or one whose frames no
// longer hold the view) shows whole without cursor; another position kind
// for the same file keeps the frames in view.
OverviewView viewForNewOverview(const OverviewView& view, int64_t total);
// `steps` wheel steps (positive: in) at column x of the plot: each step
// shows 0.8 times the frames, and the frame under the pointer stays there.
OverviewView zoomView(const OverviewView& view, int64_t total, int plotWidth, int x, int steps);
// A drag that grabbed the strips showing `grabbed` and has moved dx columns
// to the right: the frames move with the pointer.
OverviewView panView(const OverviewView& view, const OverviewView& grabbed, int dx, int plotWidth,
                     int64_t total);
// A new frame on screen (or -1): a cursor that leaves the frames in view
// (playback, a step, a note) takes the view along, centred, unless the user
// had already moved the view away from it.
OverviewView followCursor(const OverviewView& view, int64_t cursor, int64_t total);

// The length unit of the positions in view: "mm" or "in", or "mm/in" where
// the file changes its unit there (the position scale then holds tenths of
// either).
std::string positionUnitText(const EchoOverview& overview, const OverviewView& view);

// Round values for the ticks of a scale from low to high (any unit): the
// multiples of the smallest step 1, 2 or 5 x 10^k that gives at most `most`
// ticks within low .. high (both ends included), in increasing order; none
// when low > high or most < 1.
std::vector<int64_t> roundTicks(int64_t low, int64_t high, int most);

// ---- rows and values

// A band of rows of a plot, top to bottom.
struct PlotRows {
    int top = 0, height = 0;
    int bottom() const { return top + height - 1; }
};

// The scales of the amplitude strip for a view, in tenths: % on the left
// and dB on the right, each from its least to its greatest value over the
// frames in view and at least 0 .. 100 % and -20 .. +10 dB; the position
// strip from 0 (or its least value below) to its greatest. Values no real
// frame can hold take no part: the strips draw them as marks on the edge
// they lie beyond.
struct OverviewScales {
    int64_t percentLow = 0, percentHigh = 1000, dbLow = -200, dbHigh = 100;
    int64_t positionLow = 0, positionHigh = 0;
    static OverviewScales of(const EchoOverview& overview, const OverviewView& view);
    // The row value v takes on the scale low .. high, and the value a row
    // stands for: the middle of the values drawn on it.
    static int rowOf(const PlotRows& plot, int64_t v, int64_t low, int64_t high);
    static int64_t valueAt(const PlotRows& plot, int y, int64_t low, int64_t high);
    // The threshold a drag to row y sets: a whole % or dB, the values an
    // inspector writes down, on that row where the row holds one (the
    // thresholds are tenths); rows finer than a whole unit take the nearest.
    static int64_t thresholdAt(const PlotRows& plot, int y, int64_t low, int64_t high);
};

} // namespace vantrel
