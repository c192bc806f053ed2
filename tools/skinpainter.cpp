#include "skinpainter.h"

#include "mousepicture.h"
#include "skinglyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

// Greys from the page background up to raised controls; ComboxBackGroundColor is Surface.
const QColor Base(0x1e, 0x1e, 0x21);
const QColor Raised(0x25, 0x25, 0x28);
const QColor Surface(0x2d, 0x2d, 0x30);
const QColor Control(0x3a, 0x3a, 0x40);
const QColor Edge(0x4a, 0x4a, 0x52);
const QColor Text(0xe0, 0xe0, 0xe0);
const QColor Dim(0xa8, 0xa8, 0xb0);
const QColor Accent(0, 120, 215);
const QColor AccentLight(0x2b, 0x95, 0xea);
const QColor Red(0xd1, 0x34, 0x38);
const QColor Green(0x1f, 0x9d, 0x57);
const QColor Orange(0xe8, 0x62, 0x0c);

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QColor toneColour(SkinTone tone)
{
    switch (tone) {
    case SkinTone::Neutral: return Control;
    case SkinTone::Accent: return Accent;
    case SkinTone::Danger: return Red;
    case SkinTone::Success: return Green;
    case SkinTone::Warn: return Orange;
    }
    return Control;
}

// Glyph colour of a plain icon at rest.
QColor restingGlyph(SkinTone tone)
{
    switch (tone) {
    case SkinTone::Accent: return AccentLight;
    case SkinTone::Success: return QColor(0x3f, 0xc4, 0x7a);
    case SkinTone::Warn: return QColor(0xf2, 0xa6, 0x2a);
    default: return Dim;
    }
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Rounded rectangle with a hairline border on the pixel grid.
void plate(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill, const QColor& border, qreal borderWidth = 1)
{
    const qreal in = borderWidth / 2;
    const QRectF a = r.adjusted(in, in, -in, -in);
    p.setPen(border.alpha() ? QPen(border, borderWidth) : QPen(Qt::NoPen));
    p.setBrush(fill);
    p.drawRoundedRect(a, radius, radius);
}

// A faint light line under the top edge: the raised look of the controls.
void topSheen(QPainter& p, const QRectF& r, qreal radius, int alpha)
{
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    p.setClipPath(clip);
    p.setPen(QPen(QColor(255, 255, 255, alpha), 1));
    p.drawLine(QPointF(r.left() + radius, r.top() + 1.5), QPointF(r.right() - radius, r.top() + 1.5));
    p.restore();
}

} // namespace

QImage SkinPainter::Render(const SkinImage& img)
{
    QImage out(img.width, img.height, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF r(0, 0, img.width, img.height);
    const bool checked = img.state == SkinState::Checked;

    switch (img.look) {
    case SkinLook::Window: window(p, r, true); break;
    case SkinLook::Chooser: window(p, r, false); break;
    case SkinLook::Dialog: dialog(p, r, false); break;
    case SkinLook::Sheet: dialog(p, r, true); break;
    case SkinLook::Panel: panel(p, r); break;
    case SkinLook::Button: button(p, r, img); break;
    case SkinLook::Entry: entry(p, r, checked, false); break;
    case SkinLook::EntryMore: entry(p, r, checked, true); break;
    case SkinLook::Icon: icon(p, r, img); break;
    case SkinLook::Disc: disc(p, r, img); break;
    case SkinLook::Check: indicator(p, r, checked, false); break;
    case SkinLook::Radio: indicator(p, r, checked, true); break;
    case SkinLook::Switch: toggle(p, r, checked); break;
    case SkinLook::Field: field(p, r, false); break;
    case SkinLook::List: field(p, r, true); break;
    case SkinLook::Badge: badge(p, r, img.text); break;
    case SkinLook::Card: card(p, r, img); break;
    case SkinLook::Mouse: MousePicture::Paint(p); break;
    case SkinLook::Battery: battery(p, r); break;
    case SkinLook::Bolt: bolt(p, r); break;
    case SkinLook::Mark: mark(p, r); break;
    case SkinLook::Handle: handle(p, r); break;
    case SkinLook::Marker: marker(p, r, img.state == SkinState::Hover); break;
    case SkinLook::Tile: tile(p, r, checked); break;
    case SkinLook::Gloss: gloss(p, r, checked); break;
    case SkinLook::Swatch: swatch(p, r, img.rgb); break;
    case SkinLook::Spectrum: spectrum(p, r); break;
    case SkinLook::Preview: preview(p, r); break;
    case SkinLook::Number: number(p, r, img.state); break;
    case SkinLook::Slot: slot(p, r, checked); break;
    case SkinLook::Logo: logo(p, r); break;
    }
    p.end();

    // Soft light on the large backgrounds, added afterwards so it can be dithered: an 8-bit
    // gradient this faint shows rings.
    const qreal w = img.width;
    switch (img.look) {
    case SkinLook::Window:
        glow(out, QRect(135, 96, img.width - 136, img.height - 97), QPointF(w * 0.55, 180), QSizeF(620, 620), Accent, 0.09);
        break;
    case SkinLook::Chooser:
        glow(out, QRect(1, 52, img.width - 2, img.height - 53), QPointF(w / 2, 390), QSizeF(470, 470), Accent, 0.16);
        // A low stage under the device buttons.
        glow(out, QRect(1, 52, img.width - 2, img.height - 53), QPointF(w / 2, 560), QSizeF(420, 76), Qt::white, 0.04);
        break;
    case SkinLook::Dialog:
    case SkinLook::Sheet:
        glow(out, QRect(1, 2, img.width - 2, img.height - 3), QPointF(w / 2, 0), QSizeF(w * 0.7, w * 0.7), Accent, 0.11);
        break;
    default:
        break;
    }
    return out;
}

void SkinPainter::glow(QImage& img, const QRect& area, const QPointF& centre, const QSizeF& radii,
                       const QColor& colour, qreal strength)
{
    // Ordered dither: thresholds of a 4 x 4 Bayer matrix.
    static const qreal bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const qreal cr = colour.red(), cg = colour.green(), cb = colour.blue();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const qreal dy = (y + 0.5 - centre.y()) / radii.height();
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb px = line[x];
            if (qAlpha(px) != 255)
                continue;
            const qreal dx = (x + 0.5 - centre.x()) / radii.width();
            const qreal t = 1 - std::sqrt(dx * dx + dy * dy);
            if (t <= 0)
                continue;
            const qreal a = strength * t * t * (3 - 2 * t);
            const qreal d = (bayer[y & 3][x & 3] + 0.5) / 16;
            auto mix = [&](int c, qreal g) { return std::min(255, int(c + (g - c) * a + d)); };
            line[x] = qRgb(mix(qRed(px), cr), mix(qGreen(px), cg), mix(qBlue(px), cb));
        }
    }
}

void SkinPainter::wordmark(QPainter& p, const QPointF& at, qreal capHeight)
{
    const QRectF badge(at.x(), at.y() - capHeight * 0.9, capHeight * 1.8, capHeight * 1.8);
    logo(p, badge);
    const QString name = QStringLiteral("VEXO");
    const qreal w = SkinGlyphs::TextWidth(name, capHeight);
    const QPointF centre(badge.right() + capHeight * 0.7 + w / 2, at.y());
    SkinGlyphs::DrawText(p, name, centre, capHeight, Text);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawRect(QRectF(centre.x() - w / 2, at.y() + capHeight * 0.75, w * 0.35, 2));
}

void SkinPainter::window(QPainter& p, const QRectF& r, bool withNavigation)
{
    p.fillRect(r, withNavigation ? Base : QColor(0x1c, 0x1c, 0x1f));

    // The frame's top bar ends above the page area (pages start at y 90, their content lower).
    const qreal barH = withNavigation ? 96 : 52;
    const QRectF bar(0, 0, r.width(), barH);
    p.fillRect(bar, vertical(bar, QColor(0x2a, 0x2a, 0x2e), QColor(0x23, 0x23, 0x26)));
    p.setPen(QPen(QColor(0x36, 0x36, 0x3c), 1));
    p.drawLine(QPointF(0, barH - 0.5), QPointF(r.width(), barH - 0.5));

    if (withNavigation) {
        // Left strip holding the back arrow.
        const QRectF strip(0, barH, 134, r.height() - barH);
        p.fillRect(strip, QColor(0x21, 0x21, 0x24));
        p.setPen(QPen(QColor(0x30, 0x30, 0x36), 1));
        p.drawLine(QPointF(strip.right() + 0.5, barH), QPointF(strip.right() + 0.5, r.height()));
        wordmark(p, QPointF(34, 48), 17);
    } else {
        wordmark(p, QPointF(26, 26), 13);
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x3a, 0x3a, 0x42), 1));
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

void SkinPainter::dialog(QPainter& p, const QRectF& r, bool rounded)
{
    // Opaque corners for the notices: their windows paint nothing behind the frame. The
    // translucent pairing dialog gets rounded ones.
    const qreal radius = rounded ? 10 : 0;
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(QColor(0x4a, 0x4a, 0x52), 1));
    p.setBrush(vertical(r, QColor(0x30, 0x30, 0x34), QColor(0x24, 0x24, 0x27)));
    p.drawPath(shape);

    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, r.width(), 2), Accent);
    p.restore();
}

void SkinPainter::panel(QPainter& p, const QRectF& r)
{
    plate(p, r, 8, vertical(r, QColor(0x27, 0x27, 0x2b), QColor(0x21, 0x21, 0x24)), QColor(0x36, 0x36, 0x3c));
    topSheen(p, r, 8, 14);
}

void SkinPainter::button(QPainter& p, const QRectF& r, const SkinImage& img)
{
    QColor c = img.state == SkinState::Checked && img.tone == SkinTone::Neutral ? Accent : toneColour(img.tone);
    const qreal radius = std::min(5.0, r.height() / 5);
    QColor top, bottom, border;
    switch (img.state) {
    case SkinState::Normal:
    case SkinState::Checked:
        top = c.lighter(118);
        bottom = c.darker(112);
        border = c.lighter(150);
        break;
    case SkinState::Hover:
        top = c.lighter(145);
        bottom = c.lighter(112);
        border = c.lighter(185);
        break;
    case SkinState::Pressed:
        top = c.darker(165);
        bottom = c.darker(125);
        border = c.darker(110);
        break;
    }
    plate(p, r, radius, vertical(r, top, bottom), border);
    if (img.state == SkinState::Pressed) {
        // Inset: a shadow under the top edge instead of the sheen.
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
        p.setClipPath(clip);
        p.fillRect(QRectF(r.left(), r.top() + 1, r.width(), 3), vertical(QRectF(0, 1, 1, 3), QColor(0, 0, 0, 90), QColor(0, 0, 0, 0)));
        p.restore();
    } else {
        topSheen(p, r, radius, img.state == SkinState::Hover ? 60 : 38);
    }

    if (img.glyph != SkinGlyph::None) {
        // Glyph at the left; the caption is centred by the program.
        const qreal s = r.height() * 0.62;
        const QRectF box(r.left() + r.height() * 0.3, r.center().y() - s / 2, s, s);
        QColor g = Qt::white;
        if (img.glyph == SkinGlyph::Dot)
            g = img.state == SkinState::Hover ? QColor(0xff, 0x5a, 0x5f) : QColor(0xe5, 0x48, 0x4d);
        SkinGlyphs::Draw(p, img.glyph, box, g);
    }
}

void SkinPainter::entry(QPainter& p, const QRectF& r, bool checked, bool more)
{
    if (checked) {
        plate(p, r, 3, vertical(r, QColor(0x10, 0x5d, 0xa8), QColor(0x0b, 0x4a, 0x8a)), AccentLight);
        p.fillRect(QRectF(r.left() + 1, r.top() + 1, 3, r.height() - 2), QColor(0x6c, 0xbd, 0xff));
        topSheen(p, r, 3, 40);
    } else {
        plate(p, r, 3, vertical(r, QColor(0x31, 0x31, 0x36), QColor(0x2a, 0x2a, 0x2e)), QColor(0x40, 0x40, 0x47));
        topSheen(p, r, 3, 18);
    }
    if (more) {
        const qreal s = r.height() * 0.62;
        SkinGlyphs::Draw(p, SkinGlyph::ChevronRight, QRectF(r.right() - s - 4, r.center().y() - s / 2, s, s),
                         checked ? QColor(Qt::white) : Dim);
    }
}

void SkinPainter::icon(QPainter& p, const QRectF& r, const SkinImage& img)
{
    const bool framed = std::min(r.width(), r.height()) >= 14;
    const qreal radius = std::min(r.width(), r.height()) * 0.2;
    const QRectF back = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QColor glyph = restingGlyph(img.tone);
    QRectF box = r;
    // Line icons breathe inside their button; tiny ones use the whole image.
    if (std::min(r.width(), r.height()) >= 20)
        box = QRectF(r.center().x() - r.height() * 0.4, r.center().y() - r.height() * 0.4, r.height() * 0.8, r.height() * 0.8);
    if (img.glyph == SkinGlyph::Mouse || img.glyph == SkinGlyph::Sliders || (img.glyph == SkinGlyph::Minus && r.height() < 14))
        box = r;

    switch (img.state) {
    case SkinState::Normal:
        break;
    case SkinState::Hover:
        if (framed) {
            p.setPen(Qt::NoPen);
            p.setBrush(img.tone == SkinTone::Danger ? QColor(0xe8, 0x11, 0x23) : QColor(255, 255, 255, 34));
            p.drawRoundedRect(back, radius, radius);
        }
        glyph = Qt::white;
        break;
    case SkinState::Pressed:
        if (framed) {
            p.setPen(QPen(QColor(0, 0, 0, 120), 1));
            p.setBrush(img.tone == SkinTone::Danger ? QColor(0x9c, 0x0b, 0x18) : QColor(0, 0, 0, 110));
            p.drawRoundedRect(back, radius, radius);
        }
        glyph = QColor(0xd4, 0xd4, 0xd8);
        box.translate(0, 0.5);
        break;
    case SkinState::Checked:
        if (framed && r.height() >= 24) {
            p.setPen(Qt::NoPen);
            p.setBrush(withAlpha(Accent, 60));
            p.drawRoundedRect(back, radius, radius);
            p.setBrush(AccentLight);
            p.drawRoundedRect(QRectF(r.center().x() - r.width() * 0.25, r.bottom() - 2.5, r.width() * 0.5, 2), 1, 1);
        }
        glyph = img.glyph == SkinGlyph::ChevronUp ? AccentLight : QColor(0x6c, 0xbd, 0xff);
        break;
    }
    SkinGlyphs::Draw(p, img.glyph, box, glyph);
}

void SkinPainter::disc(QPainter& p, const QRectF& r, const SkinImage& img)
{
    const qreal d = std::min(r.width(), r.height()) - 1;
    const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    QColor fillTop, fillBottom, ring, glyph;
    if (img.state == SkinState::Hover || img.state == SkinState::Checked) {
        fillTop = AccentLight;
        fillBottom = Accent.darker(115);
        ring = QColor(0x6c, 0xbd, 0xff);
        glyph = Qt::white;
    } else if (img.tone == SkinTone::Neutral) {
        fillTop = QColor(0x36, 0x36, 0x3c);
        fillBottom = QColor(0x29, 0x29, 0x2d);
        ring = Edge;
        glyph = Text;
    } else if (img.tone == SkinTone::Accent) {
        fillTop = QColor(0x22, 0x22, 0x26);
        fillBottom = QColor(0x1a, 0x1a, 0x1d);
        ring = Accent;
        glyph = AccentLight;
    } else {
        const QColor t = toneColour(img.tone);
        fillTop = t.lighter(115);
        fillBottom = t.darker(115);
        ring = t.lighter(140);
        glyph = Qt::white;
    }
    p.setPen(QPen(ring, d > 20 ? 1.5 : 1));
    p.setBrush(vertical(c, fillTop, fillBottom));
    p.drawEllipse(c.adjusted(0.5, 0.5, -0.5, -0.5));
    const qreal g = d * (d < 20 ? 0.86 : 0.6);
    SkinGlyphs::Draw(p, img.glyph, QRectF(c.center().x() - g / 2, c.center().y() - g / 2, g, g), glyph);
}

void SkinPainter::indicator(QPainter& p, const QRectF& r, bool checked, bool round)
{
    const QRectF b = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(checked ? AccentLight : QColor(0x8a, 0x8a, 0x93), 1));
    if (round) {
        p.setBrush(Raised);
        p.drawEllipse(b);
        if (checked) {
            p.setPen(Qt::NoPen);
            p.setBrush(AccentLight);
            p.drawEllipse(r.center(), r.width() * 0.24, r.height() * 0.24);
        }
        return;
    }
    p.setBrush(checked ? QBrush(vertical(r, AccentLight, Accent)) : QBrush(Raised));
    p.drawRoundedRect(b, 3, 3);
    if (checked) {
        const qreal w = r.width() / 16;
        QPainterPath tick;
        tick.moveTo(3.8 * w, 8.3 * w);
        tick.lineTo(6.8 * w, 11.2 * w);
        tick.lineTo(12.2 * w, 5.0 * w);
        p.setPen(QPen(Qt::white, 1.9 * w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
}

void SkinPainter::toggle(QPainter& p, const QRectF& r, bool on)
{
    const qreal h = r.height();
    plate(p, r, h / 2, on ? QBrush(vertical(r, AccentLight, Accent)) : QBrush(vertical(r, QColor(0x34, 0x34, 0x3a), QColor(0x2c, 0x2c, 0x31))),
          on ? QColor(0x6c, 0xbd, 0xff) : QColor(0x55, 0x55, 0x5d));
    const qreal k = h / 2 - 3;
    const QPointF c(on ? r.right() - h / 2 : r.left() + h / 2, r.center().y());
    p.setPen(QPen(QColor(0, 0, 0, 60), 1));
    p.setBrush(on ? QColor(Qt::white) : QColor(0xa8, 0xa8, 0xb0));
    p.drawEllipse(c, k, k);
}

void SkinPainter::field(QPainter& p, const QRectF& r, bool list)
{
    if (list) {
        plate(p, r, 0, Raised, Edge);
        return;
    }
    plate(p, r, 3, vertical(r, QColor(0x33, 0x33, 0x38), Surface), Edge);
    topSheen(p, r, 3, 16);
}

void SkinPainter::badge(QPainter& p, const QRectF& r, const char* text)
{
    const QRectF b = r.adjusted(1, 3, -1, -3);
    plate(p, b, 4, vertical(b, QColor(0x13, 0x5f, 0xab), QColor(0x0c, 0x49, 0x88)), AccentLight);
    SkinGlyphs::DrawText(p, QString::fromLatin1(text), b.center(), b.height() * 0.5, Qt::white);
}

void SkinPainter::card(QPainter& p, const QRectF& r, const SkinImage& img)
{
    const bool online = img.state == SkinState::Checked;
    const QRectF b = r.adjusted(2, 2, -2, -2);
    QPainterPath shape;
    shape.addRoundedRect(b, 14, 14);
    p.setPen(QPen(online ? AccentLight : QColor(0x3d, 0x3d, 0x45), online ? 1.5 : 1));
    p.setBrush(vertical(b, QColor(0x2c, 0x2c, 0x31), QColor(0x1f, 0x1f, 0x23)));
    p.drawPath(shape);

    p.save();
    p.setClipPath(shape);
    if (online) {
        QRadialGradient glow(QPointF(b.center().x(), b.top() + b.height() * 0.48), b.width() * 0.55);
        glow.setColorAt(0, withAlpha(Accent, 70));
        glow.setColorAt(1, withAlpha(Accent, 0));
        p.fillRect(b, glow);
        p.fillRect(QRectF(b.center().x() - 40, b.bottom() - 14, 80, 3), AccentLight);
    }
    // Floor shadow.
    QRadialGradient floor(QPointF(b.center().x(), b.top() + b.height() * 0.82), b.width() * 0.36);
    floor.setColorAt(0, QColor(0, 0, 0, 110));
    floor.setColorAt(1, QColor(0, 0, 0, 0));
    p.translate(0, b.top() + b.height() * 0.82);
    p.scale(1, 0.22);
    p.translate(0, -(b.top() + b.height() * 0.82));
    p.fillRect(r.adjusted(0, -400, 0, 400), floor);
    p.restore();

    if (img.glyph == SkinGlyph::Question) {
        const qreal d = 110;
        const QRectF c(b.center().x() - d / 2, b.top() + b.height() * 0.44 - d / 2, d, d);
        p.setPen(QPen(QColor(0x55, 0x55, 0x5e), 2));
        p.setBrush(vertical(c, QColor(0x33, 0x33, 0x39), QColor(0x26, 0x26, 0x2a)));
        p.drawEllipse(c);
        SkinGlyphs::Draw(p, SkinGlyph::Question, c.adjusted(26, 26, -26, -26), QColor(0x8a, 0x8a, 0x94));
        return;
    }
    const qreal h = b.height() * 0.6;
    mouseFigure(p, QRectF(b.center().x() - h * 50 / 160, b.top() + b.height() * 0.15, h * 100 / 160, h), online, !online);
}

void SkinPainter::mouseFigure(QPainter& p, const QRectF& box, bool lit, bool dim)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 160.0);
    if (dim)
        p.setOpacity(0.5);

    const QPainterPath body = SkinGlyphs::MouseBody();
    const QPainterPath buttons = SkinGlyphs::MouseButtons();

    // Soft shadow to the lower right.
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 18));
        p.drawPath(body.translated(i * 1.1, i * 1.6));
    }

    // Side buttons along the left flank, under the body's edge.
    p.setPen(QPen(QColor(0x14, 0x14, 0x16), 0.9));
    p.setBrush(vertical(QRectF(0, 70, 8, 40), QColor(0x5a, 0x5a, 0x63), QColor(0x3c, 0x3c, 0x43)));
    p.drawRoundedRect(QRectF(-1.5, 72, 8, 17), 3.5, 3.5);
    p.drawRoundedRect(QRectF(-1.2, 92, 8, 17), 3.5, 3.5);

    // Palm rest and the two main buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(QRectF(0, 50, 100, 110), QColor(0x3c, 0x3c, 0x43), QColor(0x26, 0x26, 0x2a)));
    p.drawPath(body);
    QLinearGradient keys(QPointF(0, 0), QPointF(0, 70));
    keys.setColorAt(0, QColor(0x4c, 0x4c, 0x55));
    keys.setColorAt(1, QColor(0x3a, 0x3a, 0x41));
    p.setBrush(keys);
    p.drawPath(buttons);
    QRadialGradient sheen(QPointF(34, 30), 44);
    sheen.setColorAt(0, QColor(255, 255, 255, 34));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawPath(body);

    // Lights along both flanks.
    QPainterPath strips;
    strips.moveTo(9, 70);
    strips.cubicTo(7, 95, 9, 118, 16, 136);
    strips.moveTo(91, 70);
    strips.cubicTo(93, 95, 91, 118, 84, 136);
    p.setBrush(Qt::NoBrush);
    if (lit) {
        p.setPen(QPen(withAlpha(AccentLight, 70), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(strips);
    }
    p.setPen(QPen(lit ? QColor(0x6c, 0xbd, 0xff) : QColor(0x5a, 0x5a, 0x62), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strips);

    // Seams between the buttons and the palm.
    QPainterPath seams;
    seams.moveTo(50, 1);
    seams.lineTo(50, 66);
    seams.moveTo(4, 58);
    seams.quadTo(50, 76, 96, 58);
    p.save();
    p.setClipPath(body);
    p.setPen(QPen(QColor(0x12, 0x12, 0x14), 1.4));
    p.drawPath(seams);
    p.restore();

    // Wheel in its slot, and the DPI button behind it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x15, 0x15, 0x17));
    p.drawRoundedRect(QRectF(43.5, 13, 13, 33), 6.5, 6.5);
    const QRectF wheel(46, 16, 8, 27);
    p.setBrush(vertical(wheel, QColor(0x6a, 0x6a, 0x74), QColor(0x30, 0x30, 0x36)));
    p.drawRoundedRect(wheel, 4, 4);
    p.setPen(QPen(QColor(0x1c, 0x1c, 0x20), 0.7));
    for (qreal y = 19; y < 42; y += 2.6)
        p.drawLine(QPointF(46.6, y), QPointF(53.4, y));
    if (lit) {
        p.setPen(QPen(AccentLight, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(43.5, 13, 13, 33), 6.5, 6.5);
    }
    p.setPen(QPen(QColor(0x14, 0x14, 0x16), 0.8));
    p.setBrush(lit ? QBrush(Accent) : QBrush(QColor(0x4a, 0x4a, 0x52)));
    p.drawRoundedRect(QRectF(45.5, 50, 9, 6), 2.2, 2.2);

    // Mark on the palm.
    QPainterPath v;
    v.moveTo(43, 118);
    v.lineTo(50, 128);
    v.lineTo(57, 118);
    p.setPen(QPen(lit ? AccentLight : QColor(0x66, 0x66, 0x70), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);

    // Rim.
    p.setPen(QPen(QColor(0x62, 0x62, 0x6c), 0.9));
    p.drawPath(body);
    p.restore();
}

void SkinPainter::battery(QPainter& p, const QRectF& r)
{
    // The gauge's bar fills (1, 1, 38, 18) inside the outline; the tip sticks out to the right.
    const QColor ink(0xd8, 0xd8, 0xdc);
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 39, r.height() - 1), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(40, r.height() / 2 - 4, 3, 8), 1, 1);
}

void SkinPainter::bolt(QPainter& p, const QRectF& r)
{
    const qreal sx = r.width() / 17.0, sy = r.height() / 7.0;
    QPolygonF shape;
    for (const QPointF& q : {QPointF(0.4, 4.7), QPointF(10.4, 0.3), QPointF(8.9, 2.9), QPointF(16.6, 2.3),
                             QPointF(6.6, 6.7), QPointF(8.1, 4.1)})
        shape << QPointF(q.x() * sx, q.y() * sy);
    p.setPen(QPen(QColor(0x1b, 0x1b, 0x1e, 170), 0.7, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(shape);
}

void SkinPainter::mark(QPainter& p, const QRectF& r)
{
    const qreal h = r.height(), w = r.width();
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(r, AccentLight, Accent));
    p.drawPolygon(QPolygonF({QPointF(w * 0.2, 0), QPointF(w * 0.56, 0), QPointF(w * 0.36, h), QPointF(0, h)}));
    p.setBrush(withAlpha(AccentLight, 110));
    p.drawPolygon(QPolygonF({QPointF(w * 0.68, 0), QPointF(w, 0), QPointF(w * 0.8, h), QPointF(w * 0.48, h)}));
}

void SkinPainter::handle(QPainter& p, const QRectF& r)
{
    plate(p, r, 2, vertical(r, Qt::white, QColor(0xcf, 0xd3, 0xda)), QColor(0x00, 0x5b, 0xa6));
}

void SkinPainter::marker(QPainter& p, const QRectF& r, bool hover)
{
    const QColor ink = hover ? AccentLight : QColor(0xc8, 0xc8, 0xce);
    const qreal cx = r.center().x();
    if (hover) {
        QRadialGradient glow(QPointF(cx, 12), 14);
        glow.setColorAt(0, withAlpha(Accent, 90));
        glow.setColorAt(1, withAlpha(Accent, 0));
        p.fillRect(r, glow);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(cx, 3), QPointF(cx + 9, 13), QPointF(cx - 9, 13)}));
    const QRectF grip(cx - 6, 15.5, 12, 10);
    p.setBrush(ink.darker(hover ? 120 : 135));
    p.drawRoundedRect(grip, 2.5, 2.5);
    p.setPen(QPen(hover ? QColor(Qt::white) : QColor(0x2a, 0x2a, 0x2e), 1));
    for (qreal y : {18.5, 20.5, 22.5})
        p.drawLine(QPointF(cx - 3, y), QPointF(cx + 3, y));
}

void SkinPainter::tile(QPainter& p, const QRectF& r, bool selected)
{
    if (!selected) {
        plate(p, r, 5, vertical(r, QColor(0x35, 0x35, 0x3b), QColor(0x29, 0x29, 0x2d)), QColor(0x46, 0x46, 0x4e));
        topSheen(p, r, 5, 26);
        return;
    }
    // The selected level grows by 7 pixels on each side: a glow in that margin.
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(withAlpha(Accent, 14 + i * 10), 1));
        p.setBrush(Qt::NoBrush);
        const qreal in = 0.5 + i;
        p.drawRoundedRect(r.adjusted(in, in, -in, -in), 11 - i, 11 - i);
    }
    const QRectF b = r.adjusted(6, 6, -6, -6);
    plate(p, b, 5, vertical(b, QColor(0x1c, 0x52, 0x8a), QColor(0x12, 0x3b, 0x66)), AccentLight, 1.5);
    topSheen(p, b, 5, 50);
}

void SkinPainter::gloss(QPainter& p, const QRectF& r, bool selected)
{
    // Drawn over the level's colour: a sheen on the upper half and a shade at the bottom.
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, 90));
    g.setColorAt(0.5, QColor(255, 255, 255, 10));
    g.setColorAt(0.51, QColor(0, 0, 0, 0));
    g.setColorAt(1, QColor(0, 0, 0, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
    if (selected) {
        p.setPen(QPen(QColor(255, 255, 255, 230), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), 3, 3);
    }
}

void SkinPainter::swatch(QPainter& p, const QRectF& r, unsigned rgb)
{
    const QColor c(QRgb(0xff000000u | rgb));
    const QRectF b = r.adjusted(1, 1, -1, -1);
    QRadialGradient g(QPointF(b.left() + b.width() * 0.35, b.top() + b.height() * 0.3), b.width() * 0.8);
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(112));
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    p.setBrush(g);
    p.drawEllipse(b.adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(b.adjusted(0.8, 0.8, -0.8, -0.8));
}

void SkinPainter::spectrum(QPainter& p, const QRectF& r)
{
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.save();
    p.setClipPath(shape);
    QLinearGradient hue(r.topLeft(), r.topRight());
    for (int i = 0; i <= 6; ++i)
        hue.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    p.fillRect(r, hue);
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, QColor(255, 255, 255, 190));
    shade.setColorAt(0.45, QColor(255, 255, 255, 0));
    shade.setColorAt(0.55, QColor(0, 0, 0, 0));
    shade.setColorAt(1, QColor(0, 0, 0, 200));
    p.fillRect(r, shade);
    p.restore();
    p.setPen(QPen(Edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void SkinPainter::preview(QPainter& p, const QRectF& r)
{
    // No colour yet: a checkerboard.
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.save();
    p.setClipPath(shape);
    const int cell = 6;
    for (int y = 0; y < r.height(); y += cell)
        for (int x = 0; x < r.width(); x += cell)
            p.fillRect(QRect(x, y, cell, cell), ((x + y) / cell) % 2 ? QColor(0x2a, 0x2a, 0x2e) : QColor(0x35, 0x35, 0x3a));
    p.restore();
    p.setPen(QPen(QColor(0x55, 0x55, 0x5d), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void SkinPainter::number(QPainter& p, const QRectF& r, SkinState state)
{
    // The program writes the number in black, so the badge stays light in every state.
    const QRectF c = r.adjusted(2, 2, -2, -2);
    QColor top, bottom, ring;
    qreal ringWidth = 1.2;
    switch (state) {
    case SkinState::Hover:
        top = Qt::white;
        bottom = QColor(0xdd, 0xec, 0xfa);
        ring = AccentLight;
        ringWidth = 2;
        break;
    case SkinState::Pressed:
    case SkinState::Checked:
        top = QColor(0x8d, 0xbd, 0xea);
        bottom = QColor(0xb8, 0xd7, 0xf4);
        ring = Accent.darker(120);
        ringWidth = 2;
        break;
    case SkinState::Normal:
        top = QColor(0xec, 0xec, 0xef);
        bottom = QColor(0xbd, 0xbd, 0xc4);
        ring = QColor(0x6e, 0x6e, 0x78);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(c.translated(0, 1.5));
    p.setPen(QPen(ring, ringWidth));
    p.setBrush(vertical(c, top, bottom));
    p.drawEllipse(c.adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2));
}

void SkinPainter::slot(QPainter& p, const QRectF& r, bool checked)
{
    const QRectF b = r.adjusted(1, 1, -1, -1);
    QPen pen(checked ? AccentLight : QColor(0x5a, 0x5a, 0x63), checked ? 2 : 1.2);
    if (!checked)
        pen.setDashPattern({4, 3});
    p.setPen(pen);
    p.setBrush(checked ? QColor(0x14, 0x2c, 0x44) : Raised);
    p.drawRoundedRect(b, 6, 6);

    // A small landscape: the slot holds a picture.
    const QColor ink = checked ? AccentLight : QColor(0x6e, 0x6e, 0x78);
    const qreal s = std::min(b.width(), b.height()) * 0.5;
    const QRectF pic(b.center().x() - s / 2, b.center().y() - s * 0.4, s, s * 0.8);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(pic, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(pic.left() + 2, pic.bottom() - 2), QPointF(pic.left() + s * 0.35, pic.top() + s * 0.35),
                             QPointF(pic.left() + s * 0.6, pic.bottom() - 2)}));
    p.drawPolygon(QPolygonF({QPointF(pic.left() + s * 0.45, pic.bottom() - 2), QPointF(pic.left() + s * 0.68, pic.top() + s * 0.45),
                             QPointF(pic.right() - 2, pic.bottom() - 2)}));
    p.drawEllipse(QPointF(pic.right() - s * 0.22, pic.top() + s * 0.2), s * 0.08, s * 0.08);
}

void SkinPainter::logo(QPainter& p, const QRectF& r)
{
    const qreal rad = r.width() * 0.22;
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(r, AccentLight, Accent.darker(125)));
    p.drawRoundedRect(r, rad, rad);
    const qreal h = r.height() * 0.7;
    const qreal s = h / 160;
    p.save();
    p.translate(r.center().x() - 50 * s, r.center().y() - 80 * s);
    p.scale(s, s);
    p.setBrush(Qt::white);
    p.drawPath(SkinGlyphs::MouseBody());
    QPainterPath seams;
    seams.moveTo(50, 0);
    seams.lineTo(50, 64);
    seams.moveTo(4, 58);
    seams.quadTo(50, 76, 96, 58);
    p.setPen(QPen(Accent.darker(115), 7, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(seams);
    p.restore();
}
