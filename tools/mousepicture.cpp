#include "mousepicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>

namespace {

// The mouse is laid out upright in its own units (pixels): x to the mouse's right, y towards
// its tail, the origin at the middle of the wheel. The form's spots put the wheel at (119, 169)
// and the buttons behind it on a line rising 41 degrees to the right; the nose points the
// other way, so the mouse's right side lies to the upper left and its thumb side to the
// lower right of the picture.
QTransform ToPicture()
{
    QTransform t;
    t.translate(119, 169);
    t.rotate(-131);
    return t;
}

const QColor AccentLight(0x2b, 0x95, 0xea);
const QColor Seam(0x12, 0x12, 0x14);

QPainterPath Body()
{
    QPainterPath path;
    path.moveTo(-12, -126);
    path.cubicTo(22, -127, 52, -108, 64, -78);
    path.cubicTo(74, -50, 84, -10, 84, 40);
    path.cubicTo(84, 95, 74, 135, 54, 168);
    path.cubicTo(36, 200, 8, 228, -26, 228);
    path.cubicTo(-58, 228, -86, 212, -102, 186);
    path.cubicTo(-114, 164, -118, 130, -118, 96);
    path.cubicTo(-118, 62, -121, 36, -120, 6);
    path.cubicTo(-120, -60, -72, -125, -12, -126);
    path.closeSubpath();
    return path;
}

// The trough between the main buttons that holds the wheel and the three buttons behind it.
QPainterPath Channel()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(-22, -44, 44, 224), 22, 22);
    return path;
}

// Everything in front of the main buttons' rear edge.
QPainterPath Front()
{
    QPainterPath path;
    path.moveTo(-200, -200);
    path.lineTo(200, -200);
    path.lineTo(200, 62);
    path.quadTo(0, 112, -200, 62);
    path.closeSubpath();
    return path;
}

QPainterPath RightButton()
{
    QPainterPath half;
    half.addRect(QRectF(1, -200, 200, 400));
    return Body().intersected(Front()).intersected(half).subtracted(Channel());
}

// The strip left of the left button that carries the DPI button.
QPainterPath LeftStrip()
{
    QPainterPath path;
    path.moveTo(-200, 120);
    path.lineTo(-84, 120);
    path.lineTo(-84, -40);
    path.cubicTo(-84, -70, -100, -96, -130, -118);
    path.lineTo(-200, -118);
    path.closeSubpath();
    return path;
}

QPainterPath LeftButton()
{
    QPainterPath half;
    half.addRect(QRectF(-201, -200, 200, 400));
    return Body().intersected(Front()).intersected(half).subtracted(Channel()).subtracted(LeftStrip());
}

QPainterPath Pill(const QRectF& r)
{
    QPainterPath path;
    const qreal radius = std::min(r.width(), r.height()) / 2;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath Wheel() { return Pill(QRectF(-8, -30, 16, 60)); }
QPainterPath DpiButton() { return Pill(QRectF(-112, -28, 24, 84)); }
QPainterPath ForwardButton() { return Pill(QRectF(-131, 70, 28, 54)); }
QPainterPath BackButton() { return Pill(QRectF(-131, 126, 28, 52)); }
QPainterPath TopButton(qreal top, qreal bottom) { return Pill(QRectF(-18, top, 36, bottom - top)); }

QPainterPath LocalArea(int spot)
{
    switch (spot) {
    case 1: return LeftButton();
    case 2: return RightButton();
    case 3: return Wheel();
    case 4: return ForwardButton();
    case 5: return BackButton();
    case 6: return DpiButton();
    case 7: return TopButton(60, 96);
    case 8: return TopButton(99, 134);
    case 9: return TopButton(137, 171);
    default: return {};
    }
}

QLinearGradient Across(const QColor& right, const QColor& left)
{
    // Light falls from the upper left of the picture: the mouse's right side.
    QLinearGradient g(QPointF(90, 0), QPointF(-130, 0));
    g.setColorAt(0, right);
    g.setColorAt(1, left);
    return g;
}

void SmallButton(QPainter& p, const QPainterPath& shape)
{
    p.setPen(QPen(Seam, 1.2));
    p.setBrush(Across(QColor(0x62, 0x62, 0x6c), QColor(0x40, 0x40, 0x48)));
    p.drawPath(shape);
    // A highlight along the lit edge.
    p.save();
    p.setClipPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 46), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape.translated(-1.5, 0));
    p.restore();
}

} // namespace

QSize MousePicture::Size()
{
    return {432, 356};
}

QPainterPath MousePicture::ButtonArea(int spot)
{
    return ToPicture().map(LocalArea(spot));
}

void MousePicture::Paint(QPainter& p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QTransform t = ToPicture();
    const QPainterPath body = Body();

    // Soft shadow to the lower right of the picture.
    p.setPen(Qt::NoPen);
    for (int i = 5; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 16));
        p.drawPath(t.map(body).translated(i * 1.2, i * 1.8));
    }

    p.setTransform(t);

    // Palm.
    p.setPen(Qt::NoPen);
    p.setBrush(Across(QColor(0x40, 0x40, 0x48), QColor(0x24, 0x24, 0x28)));
    p.drawPath(body);
    QRadialGradient sheen(QPointF(40, 120), 130);
    sheen.setColorAt(0, QColor(255, 255, 255, 26));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawPath(body);

    // Main buttons and the strip beside the left one.
    p.setBrush(Across(QColor(0x52, 0x52, 0x5b), QColor(0x36, 0x36, 0x3d)));
    p.setPen(QPen(Seam, 1.4));
    p.drawPath(RightButton());
    p.drawPath(LeftButton());
    p.setBrush(Across(QColor(0x46, 0x46, 0x4e), QColor(0x2c, 0x2c, 0x31)));
    p.drawPath(body.intersected(LeftStrip()).intersected(Front()));

    // Lights along both flanks.
    QPainterPath strips;
    strips.moveTo(80, -20);
    strips.cubicTo(82, 40, 78, 105, 58, 150);
    strips.moveTo(-98, 182);
    strips.cubicTo(-72, 214, -36, 222, -6, 218);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(AccentLight.red(), AccentLight.green(), AccentLight.blue(), 70), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strips);
    p.setPen(QPen(QColor(0x6c, 0xbd, 0xff), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strips);

    // The trough, the wheel in it and the buttons behind the wheel.
    const QPainterPath channel = Channel();
    p.setPen(QPen(QColor(0x0c, 0x0c, 0x0e), 1.2));
    p.setBrush(QColor(0x17, 0x17, 0x1a));
    p.drawPath(channel);
    const QPainterPath wheel = Wheel();
    QLinearGradient tread(QPointF(0, -30), QPointF(0, 30));
    tread.setColorAt(0, QColor(0x3a, 0x3a, 0x41));
    tread.setColorAt(0.45, QColor(0x78, 0x78, 0x84));
    tread.setColorAt(1, QColor(0x2c, 0x2c, 0x31));
    p.setPen(QPen(AccentLight, 1.2));
    p.setBrush(tread);
    p.drawPath(wheel);
    p.save();
    p.setClipPath(wheel);
    p.setPen(QPen(QColor(0x1c, 0x1c, 0x20), 1));
    for (qreal y = -26; y < 28; y += 4)
        p.drawLine(QPointF(-8, y), QPointF(8, y));
    p.restore();
    for (int spot : {7, 8, 9})
        SmallButton(p, LocalArea(spot));

    SmallButton(p, DpiButton());

    // Rim, then the thumb buttons that stand out over it.
    p.setPen(QPen(QColor(0x62, 0x62, 0x6c), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    SmallButton(p, ForwardButton());
    SmallButton(p, BackButton());
    p.restore();
}
