// The seek bar: a horizontal slider with one position per record and a tick
// at every position, that keeps its own keys while it has the focus (the
// arrows, Page Up/Down, Home and End move the bar, as on any slider, instead
// of acting as the window's shortcuts).
//
// A long recording has far more records than the bar has pixels: the 1.1 GB
// recording has 535,207, and a foreign file's header may announce two
// billion. The style draws one line per tick, so the bar would paint hundreds
// of thousands of lines onto the same few hundred pixels on every repaint,
// and with a maximum next to the largest int the style's tick loop never
// ends. The bar keeps its positions and its tick interval of 1, but paints
// at most one tick per pixel of its groove: where ticks would merge, every
// pixel column carries one, so the band of ticks looks as before at a cost
// bounded by the bar's width.
#pragma once

#include <QSlider>

#include <functional>

class QKeyEvent;

namespace vantrel {

class SeekBar : public QSlider {
public:
    using QSlider::QSlider;

    // The tooltip for the position under the pointer; none while unset.
    std::function<QString(int position)> toolTipFor;
    // The position a click at `point` (in the bar's coordinates) points at.
    int positionAt(QPoint point) const;

    // Whether the bar keeps `key` for itself while it has the focus.
    static bool isBarKey(const QKeyEvent& key);
    // How the ticks are painted: as the bar's own range says, or, when it
    // has more positions than the groove has pixels, one per pixel.
    struct TickScale {
        int minimum, maximum, interval;
        bool operator==(const TickScale&) const = default;
    };
    static TickScale paintedTicks(int minimum, int maximum, int interval, int pixels);
    // The same for this bar as it stands (its range, width and style).
    TickScale paintedTicks() const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantrel
