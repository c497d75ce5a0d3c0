#include "widgets/seek_bar.h"

#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include <algorithm>

namespace vantrel {

bool SeekBar::isBarKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: return true;
    default: return false;
    }
}

bool SeekBar::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && isBarKey(*static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::ToolTip && toolTipFor) {
        const auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), toolTipFor(positionAt(help->pos())), this);
        return true;
    }
    return QSlider::event(e);
}

int SeekBar::positionAt(QPoint point) const {
    // As the slider maps a click: the handle's centre goes to the point.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? handle.width() : handle.height();
    const int first = horizontal ? groove.x() : groove.y();
    const int last = (horizontal ? groove.right() : groove.bottom()) - length + 1;
    const int at = (horizontal ? point.x() : point.y()) - length / 2 - first;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), at, last - first,
                                           option.upsideDown);
}

SeekBar::TickScale SeekBar::paintedTicks(int minimum, int maximum, int interval, int pixels) {
    const int64_t range = int64_t{maximum} - minimum;
    const int span = std::max(pixels, 1);
    if (range <= span) return {minimum, maximum, interval};
    // A tick at every pixel: the positions of a range of `span`.
    return {0, span, 1};
}

SeekBar::TickScale SeekBar::paintedTicks() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return paintedTicks(minimum(), maximum(), tickInterval(),
                        style()->pixelMetric(QStyle::PM_SliderSpaceAvailable, &option, this));
}

void SeekBar::paintEvent(QPaintEvent*) {
    // As QSlider paints itself, in the style's order (groove, ticks,
    // handle), with the ticks on a scale the groove's pixels can show.
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    if (isSliderDown()) {
        option.activeSubControls = QStyle::SC_SliderHandle;
        option.state |= QStyle::State_Sunken;
    } else if (underMouse()) {
        const QPoint at = mapFromGlobal(QCursor::pos());
        if (style()
                ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this)
                .contains(at))
            option.activeSubControls = QStyle::SC_SliderHandle;
    }
    option.subControls = QStyle::SC_SliderGroove;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    if (tickPosition() != NoTicks) {
        QStyleOptionSlider ticks = option;
        ticks.subControls = QStyle::SC_SliderTickmarks;
        const TickScale scale =
            paintedTicks(option.minimum, option.maximum, option.tickInterval,
                         style()->pixelMetric(QStyle::PM_SliderSpaceAvailable, &option, this));
        ticks.minimum = scale.minimum;
        ticks.maximum = scale.maximum;
        ticks.tickInterval = scale.interval;
        ticks.sliderPosition = ticks.sliderValue = scale.minimum;
        style()->drawComplexControl(QStyle::CC_Slider, &ticks, &painter, this);
    }
    option.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

} // namespace vantrel
