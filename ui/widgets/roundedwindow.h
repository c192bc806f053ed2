#ifndef ROUNDEDWINDOW_H
#define ROUNDEDWINDOW_H

#include <QRegion>
#include <QSize>

class QWidget;

// A frameless window whose background picture has rounded corners leaves those corners
// transparent. Only a compositing manager blends them with what lies behind; a bare X server
// shows them black. There the window is cut to its rounded shape instead.
class RoundedWindow
{
public:
    // The corner radius of the rounded backgrounds the skin draws.
    static constexpr int CornerRadius = 10;

    // Masks the window with Shape() when nothing blends its corners; otherwise leaves it
    // unmasked, translucent corners and all. Call it once the window has its final size.
    static void Apply(QWidget* window, int radius = CornerRadius);
    // The rounded rectangle of a window of that size.
    static QRegion Shape(const QSize& size, int radius = CornerRadius);

    // Whether translucent corners are blended: on X11 while a compositing manager owns the
    // screen's _NET_WM_CM_S selection; on other platforms (offscreen, Wayland) always.
    static bool CornersBlended();
    static void SetCornersBlendedForTests(int blended); // -1: ask the display
};

#endif
