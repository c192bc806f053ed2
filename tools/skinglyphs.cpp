#include "skinglyphs.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Glyphs are laid out on a unit square; u() maps into the box.
struct Unit {
    QRectF sq;
    QPointF operator()(qreal x, qreal y) const { return {sq.left() + x * sq.width(), sq.top() + y * sq.height()}; }
    qreal len(qreal v) const { return v * sq.width(); }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const { return {(*this)(x, y), QSizeF(len(w), len(h))}; }
};

QRectF squareIn(const QRectF& r)
{
    const qreal s = std::min(r.width(), r.height());
    return {r.center().x() - s / 2, r.center().y() - s / 2, s, s};
}

QPainterPath polyline(const Unit& u, std::initializer_list<QPointF> pts)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& q : pts) {
        const QPointF at = u(q.x(), q.y());
        if (first)
            path.moveTo(at);
        else
            path.lineTo(at);
        first = false;
    }
    return path;
}

} // namespace

QPainterPath SkinGlyphs::MouseBody()
{
    QPainterPath path;
    path.moveTo(50, 0);
    path.cubicTo(78, 0, 95, 16, 96, 50);
    path.cubicTo(97, 80, 99, 112, 90, 138);
    path.cubicTo(83, 155, 68, 160, 50, 160);
    path.cubicTo(32, 160, 17, 155, 10, 138);
    path.cubicTo(1, 112, 3, 80, 4, 50);
    path.cubicTo(5, 16, 22, 0, 50, 0);
    path.closeSubpath();
    return path;
}

QPainterPath SkinGlyphs::MouseButtons()
{
    QPainterPath front;
    front.moveTo(-10, -10);
    front.lineTo(110, -10);
    front.lineTo(110, 58);
    front.quadTo(50, 78, -10, 58);
    front.closeSubpath();
    return MouseBody().intersected(front);
}

void SkinGlyphs::Draw(QPainter& p, SkinGlyph glyph, const QRectF& box, const QColor& colour)
{
    if (glyph == SkinGlyph::None)
        return;
    const Unit u{squareIn(box)};
    const qreal side = u.sq.width();
    const qreal w = std::clamp(side * 0.09, 1.3, 3.2);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto dot = [&](qreal x, qreal y, qreal r) {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(u(x, y), u.len(r), u.len(r));
        p.restore();
    };

    switch (glyph) {
    case SkinGlyph::None:
        break;
    case SkinGlyph::Close:
        p.drawLine(u(0.3, 0.3), u(0.7, 0.7));
        p.drawLine(u(0.7, 0.3), u(0.3, 0.7));
        break;
    case SkinGlyph::Minus:
        if (box.width() > 2 * box.height()) {
            // A bar as wide as its button (the DPI and colour steppers are 14 x 4).
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            const qreal h = std::min(box.height() - 1, 2.4);
            p.drawRoundedRect(QRectF(box.left() + 1.5, box.center().y() - h / 2, box.width() - 3, h), h / 2, h / 2);
        } else {
            p.drawLine(u(0.28, 0.5), u(0.72, 0.5));
        }
        break;
    case SkinGlyph::Plus:
        p.drawLine(u(0.15, 0.5), u(0.85, 0.5));
        p.drawLine(u(0.5, 0.15), u(0.5, 0.85));
        break;
    case SkinGlyph::Back:
        p.drawLine(u(0.22, 0.5), u(0.78, 0.5));
        p.drawPath(polyline(u, {{0.45, 0.27}, {0.22, 0.5}, {0.45, 0.73}}));
        break;
    case SkinGlyph::Home:
        p.drawPath(polyline(u, {{0.16, 0.5}, {0.5, 0.19}, {0.84, 0.5}}));
        p.drawPath(polyline(u, {{0.27, 0.42}, {0.27, 0.8}, {0.73, 0.8}, {0.73, 0.42}}));
        p.drawPath(polyline(u, {{0.43, 0.8}, {0.43, 0.6}, {0.57, 0.6}, {0.57, 0.8}}));
        break;
    case SkinGlyph::Target:
        p.drawEllipse(u.rect(0.23, 0.23, 0.54, 0.54));
        p.drawLine(u(0.5, 0.08), u(0.5, 0.3));
        p.drawLine(u(0.5, 0.7), u(0.5, 0.92));
        p.drawLine(u(0.08, 0.5), u(0.3, 0.5));
        p.drawLine(u(0.7, 0.5), u(0.92, 0.5));
        dot(0.5, 0.5, 0.07);
        break;
    case SkinGlyph::Keys: {
        p.drawRoundedRect(u.rect(0.1, 0.26, 0.8, 0.48), u.len(0.08), u.len(0.08));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        const qreal k = 0.075;
        for (int i = 0; i < 4; ++i)
            p.drawRect(u.rect(0.22 + i * 0.16, 0.36, k, k));
        for (int i = 0; i < 3; ++i)
            p.drawRect(u.rect(0.3 + i * 0.16, 0.48, k, k));
        p.restore();
        p.drawLine(u(0.34, 0.63), u(0.66, 0.63));
        break;
    }
    case SkinGlyph::Bulb: {
        QPainterPath path;
        const QRectF ball = u.rect(0.29, 0.14, 0.42, 0.42);
        path.arcMoveTo(ball, -55);
        path.arcTo(ball, -55, 290);
        path.lineTo(u(0.41, 0.68));
        path.lineTo(u(0.59, 0.68));
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(u(0.42, 0.79), u(0.58, 0.79));
        p.drawLine(u(0.46, 0.88), u(0.54, 0.88));
        break;
    }
    case SkinGlyph::Gear: {
        QPolygonF teeth;
        const QPointF c = u(0.5, 0.5);
        const qreal ro = u.len(0.38), ri = u.len(0.28);
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * 45.0;
            for (qreal da : {-19.0, -9.0, 9.0, 19.0}) {
                const qreal r = (da == -19.0 || da == 19.0) ? ri : ro;
                const qreal rad = qDegreesToRadians(a + da);
                teeth << c + QPointF(r * std::cos(rad), r * std::sin(rad));
            }
        }
        p.drawPolygon(teeth);
        p.drawEllipse(c, u.len(0.11), u.len(0.11));
        break;
    }
    case SkinGlyph::ChevronLeft:
        p.drawPath(polyline(u, {{0.6, 0.25}, {0.35, 0.5}, {0.6, 0.75}}));
        break;
    case SkinGlyph::ChevronRight:
        p.drawPath(polyline(u, {{0.4, 0.25}, {0.65, 0.5}, {0.4, 0.75}}));
        break;
    case SkinGlyph::ChevronDown:
        p.drawPath(polyline(u, {{0.2, 0.36}, {0.5, 0.66}, {0.8, 0.36}}));
        break;
    case SkinGlyph::ChevronUp:
        p.drawPath(polyline(u, {{0.2, 0.64}, {0.5, 0.34}, {0.8, 0.64}}));
        break;
    case SkinGlyph::TriangleUp:
    case SkinGlyph::TriangleDown: {
        const bool up = glyph == SkinGlyph::TriangleUp;
        QPainterPath tri = polyline(u, {{0.24, up ? 0.64 : 0.36}, {0.76, up ? 0.64 : 0.36}, {0.5, up ? 0.34 : 0.66}});
        tri.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(tri);
        break;
    }
    case SkinGlyph::ArrowDown:
        p.drawLine(u(0.5, 0.16), u(0.5, 0.8));
        p.drawPath(polyline(u, {{0.25, 0.56}, {0.5, 0.81}, {0.75, 0.56}}));
        break;
    case SkinGlyph::ArrowUp:
        p.drawLine(u(0.5, 0.84), u(0.5, 0.2));
        p.drawPath(polyline(u, {{0.25, 0.44}, {0.5, 0.19}, {0.75, 0.44}}));
        break;
    case SkinGlyph::Clock:
        p.drawEllipse(u.rect(0.13, 0.13, 0.74, 0.74));
        p.drawPath(polyline(u, {{0.5, 0.28}, {0.5, 0.5}, {0.66, 0.6}}));
        break;
    case SkinGlyph::Dot:
        dot(0.5, 0.5, 0.26);
        break;
    case SkinGlyph::Square:
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(u.rect(0.28, 0.28, 0.44, 0.44), u.len(0.06), u.len(0.06));
        break;
    case SkinGlyph::Usb: {
        p.drawLine(u(0.5, 0.84), u(0.5, 0.22));
        p.drawPath(polyline(u, {{0.5, 0.66}, {0.29, 0.52}, {0.29, 0.42}}));
        p.drawPath(polyline(u, {{0.5, 0.58}, {0.71, 0.46}, {0.71, 0.36}}));
        QPainterPath head = polyline(u, {{0.4, 0.26}, {0.6, 0.26}, {0.5, 0.1}});
        head.closeSubpath();
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(head);
        p.drawRect(u.rect(0.645, 0.27, 0.13, 0.11));
        p.restore();
        dot(0.29, 0.38, 0.065);
        dot(0.5, 0.84, 0.085);
        break;
    }
    case SkinGlyph::Wireless: {
        const QPointF c = u(0.5, 0.76);
        for (qreal r : {0.22, 0.4, 0.58}) {
            const qreal rr = u.len(r);
            p.drawArc(QRectF(c.x() - rr, c.y() - rr, 2 * rr, 2 * rr), 45 * 16, 90 * 16);
        }
        dot(0.5, 0.76, 0.075);
        break;
    }
    case SkinGlyph::Alert:
        p.drawLine(u(0.5, 0.22), u(0.5, 0.56));
        dot(0.5, 0.75, 0.075);
        break;
    case SkinGlyph::Question: {
        QPainterPath path;
        const QRectF arc = u.rect(0.33, 0.16, 0.34, 0.34);
        path.arcMoveTo(arc, 165);
        path.arcTo(arc, 165, -240);
        path.quadTo(u(0.5, 0.5), u(0.5, 0.6));
        p.drawPath(path);
        dot(0.5, 0.77, 0.07);
        break;
    }
    case SkinGlyph::Wrench: {
        const QPointF head = u(0.62, 0.38);
        QPainterPath shape;
        shape.addEllipse(head, u.len(0.21), u.len(0.21));
        QPainterPath handle;
        handle.moveTo(head);
        handle.lineTo(u(0.24, 0.76));
        QPainterPathStroker stroker;
        stroker.setWidth(u.len(0.17));
        stroker.setCapStyle(Qt::RoundCap);
        shape = shape.united(stroker.createStroke(handle));
        // The open jaw, turned away from the handle.
        QPainterPath jaw;
        jaw.addRect(QRectF(-u.len(0.08), -u.len(0.3), u.len(0.16), u.len(0.3)));
        QTransform t;
        t.translate(head.x(), head.y());
        t.rotate(45);
        shape = shape.subtracted(t.map(jaw));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(shape.simplified());
        break;
    }
    case SkinGlyph::Mouse: {
        // Keeps the body's proportions inside the whole box.
        const qreal h = box.height() - w - 0.5;
        const qreal s = std::min(h / 160.0, (box.width() - w - 0.5) / 100.0);
        QTransform t;
        t.translate(box.center().x() - 50 * s, box.center().y() - 80 * s);
        t.scale(s, s);
        p.drawPath(t.map(MouseBody()));
        QPainterPath split;
        split.moveTo(4, 58);
        split.quadTo(50, 72, 96, 58);
        split.moveTo(50, 0);
        split.lineTo(50, 66);
        pen.setWidthF(w * 0.8);
        p.setPen(pen);
        p.drawPath(t.map(split));
        break;
    }
    case SkinGlyph::Sliders: {
        // Three sliders across the whole box (the profile mark is 20 x 14).
        pen.setWidthF(1.2);
        p.setPen(pen);
        const qreal ys[] = {0.2, 0.5, 0.8};
        const qreal xs[] = {0.3, 0.7, 0.45};
        for (int i = 0; i < 3; ++i) {
            const qreal y = box.top() + ys[i] * box.height();
            p.drawLine(QPointF(box.left() + 1, y), QPointF(box.right() - 1, y));
            p.save();
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(box.left() + xs[i] * box.width(), y), 2.1, 2.1);
            p.restore();
        }
        break;
    }
    }
    p.restore();
}

QPainterPath SkinGlyphs::letter(QChar c, qreal* advance)
{
    // Letters on a grid 10 units high; lower case stands on the same baseline, 6 high.
    QPainterPath path;
    auto line = [&](std::initializer_list<QPointF> pts) {
        bool first = true;
        for (const QPointF& q : pts) {
            if (first)
                path.moveTo(q);
            else
                path.lineTo(q);
            first = false;
        }
    };
    qreal w = 5;
    switch (c.unicode()) {
    case '0': path.addRoundedRect(QRectF(0, 0, 5.5, 10), 2.75, 2.75); w = 5.5; break;
    case '1': line({{0.6, 2}, {2.6, 0}, {2.6, 10}}); w = 3; break;
    case '2': path.moveTo(0.2, 2.4); path.cubicTo(0.6, -0.6, 5.2, -0.6, 5.2, 2.6); path.cubicTo(5.2, 5, 0.3, 7.5, 0.1, 10); path.lineTo(5.4, 10); w = 5.4; break;
    case '4': line({{4.2, 10}, {4.2, 0}, {0, 7}, {5.8, 7}}); w = 5.8; break;
    case '8': path.addEllipse(QRectF(0.4, 0, 4.6, 4.6)); path.addEllipse(QRectF(0, 4.6, 5.4, 5.4)); w = 5.4; break;
    case 'E': line({{5, 0}, {0, 0}, {0, 10}, {5, 10}}); line({{0, 5}, {4.2, 5}}); break;
    case 'H': line({{0, 0}, {0, 10}}); line({{5.2, 0}, {5.2, 10}}); line({{0, 5}, {5.2, 5}}); w = 5.2; break;
    case 'K': line({{0, 0}, {0, 10}}); line({{5, 0}, {0.2, 5.6}}); line({{1.9, 3.8}, {5.2, 10}}); w = 5.2; break;
    case 'O': path.addEllipse(QRectF(0, 0, 6.4, 10)); w = 6.4; break;
    case 'V': line({{0, 0}, {3.1, 10}, {6.2, 0}}); w = 6.2; break;
    case 'X': line({{0, 0}, {6, 10}}); line({{6, 0}, {0, 10}}); w = 6; break;
    case 'z': line({{0, 4}, {4.4, 4}, {0, 10}, {4.4, 10}}); w = 4.4; break;
    default: w = 4; break;
    }
    *advance = w;
    return path;
}

qreal SkinGlyphs::TextWidth(const QString& text, qreal capHeight)
{
    const qreal gap = 1.9;
    qreal units = 0;
    for (int i = 0; i < text.size(); ++i) {
        qreal adv = 0;
        letter(text.at(i), &adv);
        units += adv + (i ? gap : 0);
    }
    return units * capHeight / 10.0;
}

void SkinGlyphs::DrawText(QPainter& p, const QString& text, const QPointF& centre, qreal capHeight,
                          const QColor& colour)
{
    const qreal s = capHeight / 10.0;
    const qreal gap = 1.9;
    QPainterPath all;
    qreal x = 0;
    for (int i = 0; i < text.size(); ++i) {
        qreal adv = 0;
        const QPainterPath g = letter(text.at(i), &adv);
        all.addPath(g.translated(x, 0));
        x += adv + gap;
    }
    const qreal width = x - gap;
    QTransform t;
    t.translate(centre.x() - width * s / 2, centre.y() - capHeight / 2);
    t.scale(s, s);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, std::max(1.1, capHeight * 0.16), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(t.map(all));
    p.restore();
}
