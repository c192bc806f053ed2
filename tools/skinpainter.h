#ifndef SKINPAINTER_H
#define SKINPAINTER_H

#include "skinmanifest.h"

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

// Draws one manifest image. The palette follows the skin colours of Config.ini: light text on
// dark greys, the accent 0,120,215 for checked and selected states.
class SkinPainter
{
public:
    static QImage Render(const SkinImage& image);

private:
    static void window(QPainter& p, const QRectF& r, bool withNavigation);
    static void dialog(QPainter& p, const QRectF& r, bool rounded);
    static void panel(QPainter& p, const QRectF& r);
    static void button(QPainter& p, const QRectF& r, const SkinImage& img);
    static void entry(QPainter& p, const QRectF& r, bool checked, bool more);
    static void icon(QPainter& p, const QRectF& r, const SkinImage& img);
    static void disc(QPainter& p, const QRectF& r, const SkinImage& img);
    static void indicator(QPainter& p, const QRectF& r, bool checked, bool round);
    static void toggle(QPainter& p, const QRectF& r, bool on);
    static void field(QPainter& p, const QRectF& r, bool list);
    static void badge(QPainter& p, const QRectF& r, const char* text);
    static void card(QPainter& p, const QRectF& r, const SkinImage& img);
    static void mouseFigure(QPainter& p, const QRectF& box, bool lit, bool dim);
    static void battery(QPainter& p, const QRectF& r);
    static void bolt(QPainter& p, const QRectF& r);
    static void mark(QPainter& p, const QRectF& r);
    static void handle(QPainter& p, const QRectF& r);
    static void marker(QPainter& p, const QRectF& r, bool hover);
    static void tile(QPainter& p, const QRectF& r, bool selected);
    static void gloss(QPainter& p, const QRectF& r, bool selected);
    static void swatch(QPainter& p, const QRectF& r, unsigned rgb);
    static void spectrum(QPainter& p, const QRectF& r);
    static void preview(QPainter& p, const QRectF& r);
    static void number(QPainter& p, const QRectF& r, SkinState state);
    static void slot(QPainter& p, const QRectF& r, bool checked);
    static void logo(QPainter& p, const QRectF& r);
    static void wordmark(QPainter& p, const QPointF& at, qreal capHeight);
    static void glow(QImage& img, const QRect& area, const QPointF& centre, const QSizeF& radii,
                     const QColor& colour, qreal strength);
};

#endif
