#include "widgets/outer_geometry.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace vantrel {

OuterGeometry::OuterGeometry(QWidget* window, Resizing resizing)
    : QObject(window), window_(window), resizing_(resizing) {
    Q_ASSERT(window->isWindow());
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMs);
    connect(&settleTimer_, &QTimer::timeout, this, &OuterGeometry::settle);
    if (resizing_ == Resizing::Refused) {
        // Qt gives every main window a maximise button unless the window
        // customises its buttons; the window keeps the others it has.
        window_->setWindowFlag(Qt::CustomizeWindowHint);
        window_->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    }
    window_->installEventFilter(this);
}

void OuterGeometry::setOuterSize(QSize outer) {
    outer_ = outer;
    apply();
}

void OuterGeometry::moveTo(QPoint corner) {
    placement_ = Placement::At;
    corner_ = corner;
    apply();
}

void OuterGeometry::centreOnScreen() {
    placement_ = Placement::Centred;
    apply();
}

QSize OuterGeometry::innerSize() const {
    const QMargins m = currentMargins();
    return QSize(outer_.width() - m.left() - m.right(), outer_.height() - m.top() - m.bottom())
        .expandedTo(QSize(0, 0));
}

QMargins OuterGeometry::currentMargins() const {
    // Qt reads the extents from the window system the first time it is asked
    // after the frame changed, and answers from memory after that.
    const QWindow* handle = window_->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QPoint OuterGeometry::wantedCorner() const {
    switch (placement_) {
    case Placement::Kept: break;
    case Placement::At: return corner_;
    case Placement::Centred:
        if (const QScreen* screen = window_->screen()) {
            const QSize s = screen->size();
            return QPoint(outer_.width() < s.width() ? (s.width() - outer_.width()) / 2 : 0,
                          outer_.height() < s.height() ? (s.height() - outer_.height()) / 2 : 0);
        }
        break;
    }
    return window_->pos();
}

bool OuterGeometry::inPlace() const {
    return window_->frameGeometry() == QRect(wantedCorner(), outer_);
}

void OuterGeometry::apply() {
    if (!outer_.isValid()) return;
    applying_ = true;
    applied_ = currentMargins();
    const QSize inner = innerSize();
    if (resizing_ == Resizing::Refused) window_->setFixedSize(inner);
    window_->resize(inner);
    // QWidget::move() on a window places the frame's corner.
    const QPoint corner = wantedCorner();
    if (corner != window_->pos()) window_->move(corner);
    applying_ = false;
}

bool OuterGeometry::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        if (watched != window_) break;
        // The native window exists from the first showing on; its expose
        // events tell when the window manager has mapped the framed window,
        // also where framing neither moved nor resized the inside.
        if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(this);
        // Not mapped yet: nothing to race with. The frame is known here
        // from an earlier showing, or on platforms that know it at once.
        checksLeft_ = kChecksPerShowing;
        settle();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Expose:
        if (!applying_) settleTimer_.start();
        break;
    default: break;
    }
    return false;
}

void OuterGeometry::settle() {
    if (!window_->isVisible() || !outer_.isValid()) return;
    // Maximised, full-screen and minimised windows have the geometry and the
    // frame that the window manager gives them.
    if (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    if (currentMargins() != applied_) {
        apply();
        return;
    }
    // The margins can be the same and the place still wrong: a modal dialog
    // gets a new native window on every showing, which Qt may place by the
    // figures of the old one. Until a showing is where it belongs, compare
    // the whole outer geometry, a few times at most (a window manager may
    // insist on a place of its own); after that the user may move it.
    if (checksLeft_ > 0) {
        if (!inPlace()) {
            --checksLeft_;
            apply();
            return;
        }
        if (window_->windowHandle()->isExposed()) checksLeft_ = 0;
    }
    if (resizing_ == Resizing::Refused && window_->size() != innerSize())
        // The fixed size is only a hint to the window system; one that
        // resizes the window regardless gets the size back.
        window_->resize(innerSize());
}

} // namespace vantrel
