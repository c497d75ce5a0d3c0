// The pixels of a 1-pixel line, as the instrument's screen and its printed
// report draw every line of a plot (grid, border, traces, curves, gates).
// Qt-free: it yields pixels, and the callers set them in a bitmap or fill
// them on a painter.
//
// The rule:
// - A line from P to Q sets the pixels from P towards Q and leaves Q itself
//   out. A polyline draws its segments one after another the same way, so
//   it sets every vertex except its last point; a zero-length segment sets
//   nothing.
// - The line steps one pixel at a time along its major axis (x when
//   |dx| >= |dy|, else y) and takes on the other axis the pixel nearest the
//   ideal segment, so no pixel lies more than half a pixel from it
//   (midpoint/Bresenham). Tie rule: where the ideal segment passes exactly
//   between two pixels, the pixel with the smaller coordinate is taken (the
//   upper one for a flat line, the left one for a steep one), in whichever
//   direction the line is drawn; so P to Q and Q to P set the same pixels
//   apart from their excluded ends. (Of the two direction-free choices this
//   one stays closer to the pictures the program drew before with Qt's
//   stroker, which leans up and left.)
// - Dot pattern: a dotted line sets the pixels at an even number of steps
//   from P (P, the pixel two steps on, ...), every other pixel along the
//   major axis. Each line starts its pattern again at its own P.
//
// Coordinates may lie anywhere in the int32 range, far outside the bitmap.
// Only pixels inside [0, width) x [0, height) are produced, and the work is
// bounded by the bitmap's size along the major axis, not by the length of
// the line; clipping moves nothing: the pixels produced are exactly those of
// the unclipped line that lie inside the bitmap.
#pragma once

#include <cstdint>
#include <span>

namespace vantrel::raster {

struct Point {
    int32_t x, y;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width, height;
};

// `length` consecutive pixels of one line that share their minor-axis
// coordinate: from (x, y) rightwards when horizontal, downwards when not.
struct Run {
    int32_t x, y, length;
    bool vertical;
};

enum class Dash { solid, dotted };

// Where one line's walk starts inside the bitmap, and how it steps; made by
// startWalk, which does the clipping and the only wide arithmetic.
struct Walk {
    int64_t steps = 0;      // pixels to visit along the major axis (0: none)
    int64_t index = 0;      // steps from P to the first pixel visited
    int32_t major = 0;      // major-axis coordinate of the first pixel
    int64_t minor = 0;      // its minor-axis coordinate
    int32_t majorStep = 1;  // +1 or -1
    int32_t minorStep = 0;  // +1, -1, or 0 for an axis-parallel line
    int64_t error = 0;      // remainder of the rounding, below errorWrap
    int64_t errorStep = 0;  // added per step: 2 |d minor|
    int64_t errorWrap = 1;  // 2 |d major|: when reached, the minor steps on
    int32_t minorLimit = 0; // pixels inside are 0 <= minor < minorLimit
    bool vertical = false;  // y is the major axis
};

// The walk of the line from p to q (q left out) over a bitmap of `size`.
Walk startWalk(Point p, Point q, Size size);

// Calls visit(const Run&) for the pixels of the line from p to q inside the
// bitmap, in order from p.
template <typename Visit> void line(Point p, Point q, Size size, Dash dash, Visit&& visit) {
    const Walk w = startWalk(p, q, size);
    int64_t major = w.major, minor = w.minor, error = w.error;
    auto visitRun = [&](int64_t first, int64_t last, int64_t at) {
        if (at < 0 || at >= w.minorLimit) return;
        const int32_t lo = static_cast<int32_t>(first < last ? first : last);
        const int32_t length =
            static_cast<int32_t>((first < last ? last - first : first - last) + 1);
        const int32_t m = static_cast<int32_t>(at);
        visit(w.vertical ? Run{m, lo, length, true} : Run{lo, m, length, false});
    };
    if (dash == Dash::dotted) {
        for (int64_t i = 0; i < w.steps; ++i) {
            if (((w.index + i) & 1) == 0) visitRun(major, major, minor);
            major += w.majorStep;
            error += w.errorStep;
            if (error >= w.errorWrap) {
                error -= w.errorWrap;
                minor += w.minorStep;
            }
        }
        return;
    }
    int64_t runStart = major;
    for (int64_t i = 1; i < w.steps; ++i) {
        error += w.errorStep;
        if (error >= w.errorWrap) {
            error -= w.errorWrap;
            visitRun(runStart, major, minor);
            minor += w.minorStep;
            runStart = major + w.majorStep;
        }
        major += w.majorStep;
    }
    if (w.steps > 0) visitRun(runStart, major, minor);
}

// The segments of a polyline one after another: every vertex but the last.
template <typename Visit>
void polyline(std::span<const Point> points, Size size, Dash dash, Visit&& visit) {
    for (size_t i = 1; i < points.size(); ++i)
        line(points[i - 1], points[i], size, dash, visit);
}

} // namespace vantrel::raster
