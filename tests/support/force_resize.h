// Resizes a top-level widget the way a window system does that ignores the
// window's size hints, for tests on the offscreen platform.
#pragma once

#include <QEvent>
#include <QResizeEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace vantrel::testing {

// Asks the platform window for `size` and returns once the widget has
// received a resize event to that size (false if none came), so that what
// the widget does about it can be checked from then on.
inline bool forceResize(QWidget& window, QSize size) {
    struct Watch : QObject {
        QSize size;
        bool seen = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Resize &&
                static_cast<QResizeEvent*>(event)->size() == size)
                seen = true;
            return false;
        }
    } watch;
    watch.size = size;
    window.installEventFilter(&watch);
    window.windowHandle()->resize(size);
    const bool seen = QTest::qWaitFor([&] { return watch.seen; });
    window.removeEventFilter(&watch);
    return seen;
}

} // namespace vantrel::testing
