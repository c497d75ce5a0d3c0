#include "window_placement.h"

#include <algorithm>

namespace vantrel {

QRect keepOnScreen(const QRect& geometry, const QRect& available) {
    const int w = std::min(geometry.width(), available.width());
    const int h = std::min(geometry.height(), available.height());
    const int x = std::clamp(geometry.x(), available.left(), available.right() - w + 1);
    const int y = std::clamp(geometry.y(), available.top(), available.bottom() - h + 1);
    return {x, y, w, h};
}

QRect placeBeside(const QRect& keepClear, QSize size, QSize minimum, const QRect& available) {
    const QRect& k = keepClear;
    // Beside it, left or right: the full height it asks for, level with it.
    auto across = [&](int room, bool right) -> QRect {
        const int w = std::min(size.width(), room);
        return keepOnScreen(QRect(right ? k.right() + 1 : k.left() - w, k.top(), w, size.height()),
                            available);
    };
    // Below or above it: the full width it asks for, from its left edge.
    auto along = [&](int room, bool below) -> QRect {
        const int h = std::min(size.height(), room);
        return keepOnScreen(QRect(k.left(), below ? k.bottom() + 1 : k.top() - h, size.width(), h),
                            available);
    };
    const int right = available.right() - k.right(), left = k.left() - available.left();
    const int below = available.bottom() - k.bottom(), above = k.top() - available.top();
    if (right >= minimum.width()) return across(right, true);
    if (left >= minimum.width()) return across(left, false);
    if (below >= minimum.height()) return along(below, true);
    if (above >= minimum.height()) return along(above, false);
    return keepOnScreen(
        QRect(available.right() - minimum.width() + 1, k.top(), minimum.width(), size.height()),
        available);
}

} // namespace vantrel
