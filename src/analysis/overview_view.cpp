#include "analysis/overview_view.h"

#include <algorithm>
#include <cmath>

#include "analysis/echo_overview.h"

namespace vantrel {

int64_t frameAtColumn(const OverviewView& view, int plotWidth, int x) {
    return view.from + (view.to - view.from) * x / std::max(plotWidth, 1);
}

int columnOfFrame(const OverviewView& view, int plotWidth, int64_t frame) {
    const int64_t n = view.to - view.from, k = frame - view.from;
    if (n <= 0 || k <= 0) return 0;
    if (k >= n) return plotWidth;
    // The least x with frameAtColumn(x) >= frame: n * x / w >= k.
    return static_cast<int>((k * plotWidth + n - 1) / n);
}

std::pair<int64_t, int64_t> framesOfColumn(const OverviewView& view, int plotWidth, int x) {
    const int64_t first = frameAtColumn(view, plotWidth, x);
    return {first, std::max(frameAtColumn(view, plotWidth, x + 1), first + 1)};
}

int64_t frameUnderColumn(const OverviewView& view, int plotWidth, int x, int64_t total) {
    return std::min(frameAtColumn(view, plotWidth, x), total - 1);
}

OverviewView showFrames(const OverviewView& view, int64_t from, int64_t to, int64_t total) {
    const int64_t n = std::clamp(to - from, std::min(kFewestFramesInView, total), total);
    from = std::clamp<int64_t>(from, 0, total - n);
    return {from, from + n, view.cursor};
}

OverviewView fitView(const OverviewView& view, int64_t total) {
    return showFrames(view, 0, total, total);
}

OverviewView viewForNewOverview(const OverviewView& view, int64_t total) {
    if (view.to <= view.from || view.to > total) return {0, total, -1};
    return view;
}

OverviewView zoomView(const OverviewView& view, int64_t total, int plotWidth, int x, int steps) {
    if (steps == 0 || total == 0) return view;
    const int width = std::max(plotWidth, 1);
    x = std::clamp(x, 0, width - 1);
    const int64_t anchor = frameAtColumn(view, width, x);
    const double factor = std::pow(0.8, steps);
    const int64_t n = std::max<int64_t>(
        static_cast<int64_t>(std::llround(static_cast<double>(view.to - view.from) * factor)),
        kFewestFramesInView);
    const int64_t from = anchor - n * x / width;
    return showFrames(view, from, from + n, total);
}

OverviewView panView(const OverviewView& view, const OverviewView& grabbed, int dx, int plotWidth,
                     int64_t total) {
    const int64_t n = grabbed.to - grabbed.from;
    const int64_t shift = -int64_t{dx} * n / std::max(plotWidth, 1);
    return showFrames(view, grabbed.from + shift, grabbed.to + shift, total);
}

OverviewView followCursor(const OverviewView& view, int64_t cursor, int64_t total) {
    if (cursor == view.cursor) return view;
    const bool wasInView = view.cursor >= view.from && view.cursor < view.to;
    OverviewView moved = view;
    moved.cursor = cursor;
    if (cursor >= 0 && wasInView && (cursor < view.from || cursor >= view.to)) {
        const int64_t n = view.to - view.from;
        return showFrames(moved, cursor - n / 2, cursor - n / 2 + n, total);
    }
    return moved;
}

std::string positionUnitText(const EchoOverview& o, const OverviewView& view) {
    bool mm = false, inch = false;
    // The record holding the view's first frame, and those after it up to
    // the view's end (at least the first).
    auto it = std::upper_bound(o.records().begin(), o.records().end(), view.from,
                               [](int64_t f, const OverviewRecord& r) { return f < r.firstFrame; });
    if (it != o.records().begin()) --it;
    for (; it != o.records().end() && it->firstFrame < std::max(view.to, view.from + 1); ++it)
        (it->inch ? inch : mm) = true;
    if (mm && inch) return std::string(lengthUnitText(false)) + "/" + lengthUnitText(true);
    return lengthUnitText(inch);
}

std::vector<int64_t> roundTicks(int64_t low, int64_t high, int most) {
    std::vector<int64_t> ticks;
    if (low > high || most < 1) return ticks;
    auto count = [&](int64_t step) {
        // Multiples of step in low .. high.
        const int64_t first = low >= 0 ? (low + step - 1) / step : -(-low / step);
        const int64_t last = high >= 0 ? high / step : -((-high + step - 1) / step);
        return std::pair<int64_t, int64_t>{first, last};
    };
    // The smallest step giving at most `most` ticks; the steps grow, so the
    // first that fits has the most ticks that fit.
    for (int64_t decade = 1; decade <= int64_t{1} << 60; decade *= 10) {
        for (const int64_t step : {decade, 2 * decade, 5 * decade}) {
            const auto [first, last] = count(step);
            if (last - first + 1 > most) continue;
            for (int64_t k = first; k <= last; ++k)
                ticks.push_back(k * step);
            return ticks;
        }
    }
    return ticks;
}

OverviewScales OverviewScales::of(const EchoOverview& o, const OverviewView& view) {
    OverviewScales s;
    const int64_t from = std::clamp<int64_t>(view.from, 0, o.frameCount());
    const int64_t to = std::clamp<int64_t>(view.to, from, o.frameCount());
    if (from >= to) return s;
    // The view's frames in summary: a few hundred steps for millions of them.
    const FrameRunSummary run = o.summarize(from, to);
    if (!run.percent.empty()) {
        s.percentLow = std::min<int64_t>(s.percentLow, run.percent.low);
        s.percentHigh = std::max<int64_t>(s.percentHigh, run.percent.high);
    }
    if (!run.db.empty()) {
        s.dbLow = std::min<int64_t>(s.dbLow, run.db.low);
        s.dbHigh = std::max<int64_t>(s.dbHigh, run.db.high);
    }
    if (!run.position.empty()) {
        s.positionLow = std::min<int64_t>(s.positionLow, run.position.low);
        s.positionHigh = std::max<int64_t>(s.positionHigh, run.position.high);
    }
    return s;
}

int OverviewScales::rowOf(const PlotRows& plot, int64_t v, int64_t low, int64_t high) {
    if (high <= low) return plot.bottom();
    const int64_t y = plot.bottom() - (v - low) * (plot.height - 1) / (high - low);
    return static_cast<int>(std::clamp<int64_t>(y, plot.top, plot.bottom()));
}

int64_t OverviewScales::valueAt(const PlotRows& plot, int y, int64_t low, int64_t high) {
    const int64_t rows = std::max(plot.height - 1, 1), span = std::max<int64_t>(high - low, 1);
    const int64_t up = std::clamp<int64_t>(plot.bottom() - y, 0, rows);
    // The values rowOf puts on this row run from first to next - 1 above low
    // (none where rows are finer than the scale's tenths): their middle.
    auto ceilDiv = [](int64_t a, int64_t b) { return (a + b - 1) / b; };
    const int64_t first = ceilDiv(up * span, rows), next = ceilDiv((up + 1) * span, rows);
    return std::clamp(low + (first + std::max(first, next - 1)) / 2, low, high);
}

int64_t OverviewScales::thresholdAt(const PlotRows& plot, int y, int64_t low, int64_t high) {
    const int64_t middle = valueAt(plot, y, low, high);
    const int64_t whole =
        static_cast<int64_t>(std::lround(static_cast<double>(middle) / 10.0)) * 10;
    for (int64_t v : {whole, whole - 10, whole + 10})
        if (rowOf(plot, v, low, high) == y) return v;
    return whole;
}

} // namespace vantrel
