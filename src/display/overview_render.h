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
};

void drawOverviewStrips(QImage& image, const EchoOverview& overview, const OverviewView& view);

} // namespace vantrel
