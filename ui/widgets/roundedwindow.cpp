#include "ui/widgets/roundedwindow.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>
#include <QX11Info>

#include <atomic>

namespace {

std::atomic<int> g_blendedForTests{-1};

} // namespace

void RoundedWindow::Apply(QWidget* window, int radius)
{
    if (!window)
        return;
    if (CornersBlended())
        window->clearMask();
    else
        window->setMask(Shape(window->size(), radius));
}

QRegion RoundedWindow::Shape(const QSize& size, int radius)
{
    if (size.isEmpty())
        return QRegion();
    // Drawn without antialiasing: a pixel belongs to the window when the outline covers its
    // centre, as it does where the picture's edge is more than half opaque.
    QBitmap bitmap(size);
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    painter.end();
    return QRegion(bitmap);
}

bool RoundedWindow::CornersBlended()
{
    const int forced = g_blendedForTests.load();
    if (forced >= 0)
        return forced != 0;
    if (!QX11Info::isPlatformX11())
        return true;
    return QX11Info::isCompositingManagerRunning();
}

void RoundedWindow::SetCornersBlendedForTests(int blended)
{
    g_blendedForTests.store(blended);
}
