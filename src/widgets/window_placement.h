// Where a new top-level window goes so that it leaves another window's
// content in view, and how a remembered place is put back on a screen that
// may since have become smaller. All rectangles are outer geometries (frame
// included) in screen coordinates.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace vantrel {

// A window of `size` (at least `minimum`) beside `keepClear` on `available`:
// to its right where the room there takes the minimum, else below, else to
// its left, else above, made smaller to fit the room it gets and level with
// `keepClear` as far as the screen allows; nullopt where no side has room.
std::optional<QRect> placeClearOf(const QRect& keepClear, QSize size, QSize minimum,
                                  const QRect& available);
// The same, and where no side has room the window goes to the right as far
// as the screen allows, at its minimum width, covering as little of
// `keepClear` as it can.
QRect placeBeside(const QRect& keepClear, QSize size, QSize minimum, const QRect& available);

// `geometry` moved onto `available`, and made smaller where it is larger.
QRect keepOnScreen(const QRect& geometry, const QRect& available);

// Puts a top-level window before its first showing: at `remembered` (from
// QWidget::saveGeometry) kept on the screen as it is now, which may have
// become smaller; without one, `size` large (inside) beside the whole window
// of `keepClear` (its outer frame) where the screen has room on a side, else
// beside `keepClear` itself, a widget of that window, which it then may
// overlap but not cover; simply that large when there is none. The window's
// frame is taken as its owner's, whose frame is known.
void placeWindow(QWidget& window, const QByteArray& remembered, const QWidget* keepClear,
                 QSize size);

} // namespace vantrel
