#ifndef SCREENCOLOR_H
#define SCREENCOLOR_H

// The colour on the screen under a point, for the colour boards of the lighting windows.
// Qt gives the cursor and the screen grab in the same coordinates, so the scale from the one to
// the other is 1.0 here; it stays one replaceable function so a scaled desktop can be tested.

#include <QColor>
#include <QPoint>
#include <QPointF>

#include <functional>
#include <optional>

namespace ScreenColor {

// Horizontal and vertical factor from cursor to grab coordinates.
using Scale = std::function<QPointF()>;
// An empty function restores the factor 1.0.
void SetScaleForTests(Scale scale);
// The cursor position times the scale, each coordinate truncated toward zero.
QPoint GrabPosition(const QPoint& cursor);
// Pixel (0, 0) of a 2 x 2 grab at a global position; nothing when no screen holds the point
// (X11 grabs black there) or the grab gives no valid pixel.
std::optional<QColor> ColorAt(const QPoint& global);
// The colour under the mouse cursor.
std::optional<QColor> ColorUnderCursor();

} // namespace ScreenColor

#endif
