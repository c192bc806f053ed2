#include "ui/widgets/screencolor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>


namespace {

ScreenColor::Scale& scaleFunction()
{
    static ScreenColor::Scale scale;
    return scale;
}

} // namespace

namespace ScreenColor {

void SetScaleForTests(Scale scale)
{
    scaleFunction() = std::move(scale);
}

QPoint GrabPosition(const QPoint& cursor)
{
    const QPointF factor = scaleFunction() ? scaleFunction()() : QPointF(1.0, 1.0);
    return QPoint(int(cursor.x() * factor.x()), int(cursor.y() * factor.y())); // truncated toward zero
}

std::optional<QColor> ColorAt(const QPoint& global)
{
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        return std::nullopt;
    // grabWindow(0) takes coordinates relative to the screen's own origin.
    const QPoint local = global - screen->geometry().topLeft();
    const QPixmap grab = screen->grabWindow(0, local.x(), local.y(), 2, 2);
    if (grab.isNull())
        return std::nullopt;
    const QImage image = grab.toImage();
    if (image.isNull() || !image.valid(0, 0))
        return std::nullopt;
    return image.pixelColor(0, 0);
}

std::optional<QColor> ColorUnderCursor()
{
    return ColorAt(GrabPosition(QCursor::pos()));
}

} // namespace ScreenColor
