// Sizes and places a top-level window by its outer geometry: the frame and
// title bar that the window manager draws around the window count in.
//
// Qt sizes a window without its frame (resize() sets the inside) but places
// it by the frame's corner (move() on a window positions the frame), and it
// learns the frame's extents only once the window manager has framed the
// window, after the window was mapped. So a window sized and placed before
// it is first shown comes out one frame too large, and a window centred by
// its inside size sits off centre. An OuterGeometry keeps the outer size
// and the placement it was given and applies them again whenever the frame
// margins that Qt reports differ from those it last applied them with.
//
// It looks when the window is shown (the frame may be known from an earlier
// showing) and once the window has been quiet for a moment after a move,
// resize or expose: framing moves the inside and exposes the window, and a
// window manager that maximises or restores a window sends its new state,
// frame and geometry as a burst whose middle must not be taken for the end.
// Until a showing has come out where it belongs it also compares the whole
// outer geometry, not just the margins. Maximised, full-screen and minimised
// windows are left as the window manager has them. Without a window manager, and on platforms that
// draw no frame, the margins are zero and the inside is the outer size.
//
// An OuterGeometry is a child of its window and lives as long as the window.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

class QWidget;

namespace vantrel {

class OuterGeometry : public QObject {
public:
    enum class Resizing {
        Allowed,
        // A fixed size: no border to drag and no maximise button; a size that
        // the window system forces on the window regardless is put back.
        Refused,
    };

    // `window` must be a top-level widget; call before it is first shown.
    OuterGeometry(QWidget* window, Resizing resizing);

    // Each of these applies at once what it is given and keeps it, to apply
    // it again when the frame changes. Until one of the last two is called,
    // the frame's corner stays where the window is put otherwise.
    //
    // The size of the window with its frame.
    void setOuterSize(QSize outer);
    // The frame's top-left corner at `corner`, in screen coordinates.
    void moveTo(QPoint corner);
    // The outer geometry centred on the window's screen: left = (screen
    // width - outer width) / 2 when the window is narrower than the screen,
    // else 0; the top likewise with the heights.
    void centreOnScreen();

    // The inside size that gives the outer size with the frame known now.
    QSize innerSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Placement { Kept, At, Centred };

    // Quiet time after a move, resize or expose before the frame is looked at.
    static constexpr int kSettleMs = 50;
    // How often a showing may put a window back where it belongs.
    static constexpr int kChecksPerShowing = 3;

    QMargins currentMargins() const;
    QPoint wantedCorner() const;
    bool inPlace() const;
    void apply();
    void settle();

    QWidget* window_;
    Resizing resizing_;
    QSize outer_;
    Placement placement_ = Placement::Kept;
    QPoint corner_;
    // The frame margins the window was last sized and placed with.
    QMargins applied_;
    bool applying_ = false;
    int checksLeft_ = 0;
    QTimer settleTimer_;
};

} // namespace vantrel
