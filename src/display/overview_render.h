// The echo-dynamics strips: the gate A amplitude of every shown frame above,
// its position below, frames from left to right. Each pixel column stands for
// a run of frames and draws their least and greatest value, so millions of
// frames cost one pass. % and dB frames have scales of their own (left and
// right) and colours of their own, so a change of unit along the file shows
// and the two never share an unmarked scale.
#pragma once

#include <QImage>

#include <cstdint>

#include "echo_overview.h"

namespace vantrel {

struct OverviewView {
    int64_t from = 0, to = 0; // shown frames from .. to - 1 across the strips
    int64_t cursor = -1;      // the frame on screen, or -1
};

// Where the strips lie in an image of the given size.
struct OverviewLayout {
    QRect amplitude, position; // the plot areas
    static OverviewLayout forSize(QSize size);
    // The first shown frame of column x of the plots (x relative to the plot).
    static int64_t frameAt(const OverviewView& view, int plotWidth, int x);
    // The first column (relative to the plot) whose first shown frame is
    // `frame` or a later one: where a mark at the start of `frame` goes;
    // plotWidth for a frame at or past the view's end.
    static int columnOf(const OverviewView& view, int plotWidth, int64_t frame);
};

// The scales of the amplitude strip for a view, in tenths: % on the left and
// dB on the right, each from its least to its greatest value over the frames
// in view and at least 0 .. 100 % and -20 .. +10 dB, as drawOverviewStrips
// draws them. Values no real frame can hold (see plausible in
// echo_overview.h) take no part: the strips draw them as marks in their own
// colour on the edge they lie beyond. With rowOf and valueAt a window puts a mark on a value and
// takes a value from a point.
struct OverviewScales {
    int64_t percentLow = 0, percentHigh = 0, dbLow = 0, dbHigh = 0;
    static OverviewScales of(const EchoOverview& overview, const OverviewView& view);
    // The row of `plot` that value v takes on the scale low .. high, and the
    // value a row stands for: the middle of the values drawn on it.
    static int rowOf(const QRect& plot, int64_t v, int64_t low, int64_t high);
    static int64_t valueAt(const QRect& plot, int y, int64_t low, int64_t high);
};

void drawOverviewStrips(QImage& image, const EchoOverview& overview, const OverviewView& view);

} // namespace vantrel
