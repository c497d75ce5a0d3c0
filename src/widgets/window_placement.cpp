#include "widgets/window_placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vantrel {

QRect keepOnScreen(const QRect& geometry, const QRect& available) {
    const int w = std::min(geometry.width(), available.width());
    const int h = std::min(geometry.height(), available.height());
    const int x = std::clamp(geometry.x(), available.left(), available.right() - w + 1);
    const int y = std::clamp(geometry.y(), available.top(), available.bottom() - h + 1);
    return {x, y, w, h};
}

std::optional<QRect> placeClearOf(const QRect& keepClear, QSize size, QSize minimum,
                                  const QRect& available) {
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
    if (below >= minimum.height()) return along(below, true);
    if (left >= minimum.width()) return across(left, false);
    if (above >= minimum.height()) return along(above, false);
    return std::nullopt;
}

QRect placeBeside(const QRect& keepClear, QSize size, QSize minimum, const QRect& available) {
    if (const std::optional<QRect> r = placeClearOf(keepClear, size, minimum, available)) return *r;
    return keepOnScreen(QRect(available.right() - minimum.width() + 1, keepClear.top(),
                              minimum.width(), size.height()),
                        available);
}

void placeWindow(QWidget& window, const QByteArray& remembered, const QWidget* keepClear,
                 QSize size) {
    const QScreen* screen = keepClear ? keepClear->screen() : window.screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (window.restoreGeometry(remembered)) {
        const QRect kept = keepOnScreen(window.frameGeometry(), available);
        if (kept != window.frameGeometry()) {
            window.resize(window.size() - (window.frameGeometry().size() - kept.size()));
            window.move(kept.topLeft());
        }
        return;
    }
    if (!keepClear) {
        window.resize(size);
        return;
    }
    const QWidget* owner = keepClear->window();
    const QSize frame = owner->frameGeometry().size() - owner->size();
    const QSize outer = size + frame;
    const QSize minimum = window.minimumSizeHint().expandedTo(QSize(480, 360)) + frame;
    const QMargins gap(4, 4, 4, 4);
    // Clear of the whole owner where a side has room: its controls stay in
    // view too. Else clear of the widget that matters most.
    const QRect clear(keepClear->mapToGlobal(QPoint(0, 0)), keepClear->size());
    const QRect r =
        placeClearOf(owner->frameGeometry().marginsAdded(gap), outer, minimum, available)
            .value_or(placeBeside(clear.marginsAdded(gap), outer, minimum, available));
    window.resize(r.size() - frame);
    window.move(r.topLeft());
}

} // namespace vantrel
