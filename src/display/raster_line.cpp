#include "display/raster_line.h"

#include <algorithm>

namespace vantrel::raster {

Walk startWalk(Point p, Point q, Size size) {
    Walk w;
    const int64_t dx = int64_t{q.x} - p.x, dy = int64_t{q.y} - p.y;
    if ((dx == 0 && dy == 0) || size.width <= 0 || size.height <= 0) return w;
    w.vertical = (dx < 0 ? -dx : dx) < (dy < 0 ? -dy : dy);
    const int64_t pa = w.vertical ? p.y : p.x, pb = w.vertical ? p.x : p.y;
    const int64_t da = w.vertical ? dy : dx, db = w.vertical ? dx : dy;
    const int64_t majorLimit = w.vertical ? size.height : size.width;
    w.minorLimit = w.vertical ? size.width : size.height;

    // A line wholly beside the bitmap on its minor axis sets nothing there.
    const int64_t qb = pb + db;
    if ((pb < 0 && qb < 0) || (pb >= w.minorLimit && qb >= w.minorLimit)) return w;

    const int64_t n = da < 0 ? -da : da, m = db < 0 ? -db : db; // n >= m, n > 0
    w.majorStep = da < 0 ? -1 : 1;
    w.minorStep = db < 0 ? -1 : db > 0 ? 1 : 0;

    // Steps i = 0 .. n - 1 (Q, at i = n, is left out), cut to those whose
    // major coordinate pa + majorStep * i lies inside the bitmap.
    int64_t first = 0, last = n - 1;
    if (w.majorStep > 0) {
        first = std::max(first, -pa);
        last = std::min(last, majorLimit - 1 - pa);
    } else {
        first = std::max(first, pa - (majorLimit - 1));
        last = std::min(last, pa);
    }
    if (first > last) return w;

    // Step i lies at minor offset round(i * m / n) from P: floor((2im + n -
    // t) / 2n), where t = 1 rounds a tie toward the smaller offset. A tie
    // goes to the smaller coordinate, so t = 1 when the minor coordinate
    // grows along the line. i and m reach 2^32, so 2im needs more than 64
    // bits; after the division everything fits 64 bits again.
    const int64_t tieTowardP = w.minorStep > 0 ? 1 : 0;
    using Wide = __int128;
    const Wide numerator = Wide{2} * first * m + n - tieTowardP;
    const int64_t offset = static_cast<int64_t>(numerator / (2 * n));
    w.error = static_cast<int64_t>(numerator % (2 * n));
    w.errorStep = 2 * m;
    w.errorWrap = 2 * n;
    w.steps = last - first + 1;
    w.index = first;
    w.major = static_cast<int32_t>(pa + w.majorStep * first);
    w.minor = pb + w.minorStep * offset;
    return w;
}

} // namespace vantrel::raster
