#ifndef SKINGLYPHS_H
#define SKINGLYPHS_H

#include "skinmanifest.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// Line icons and a small stroke lettering, drawn from geometry rather than fonts so the
// images come out the same on every build machine.
class SkinGlyphs
{
public:
    // Draws the glyph centred in box; lines scale with the box.
    static void Draw(QPainter& p, SkinGlyph glyph, const QRectF& box, const QColor& colour);

    // Capitals, digits and "z" as strokes; capHeight in pixels, centred on centre.
    static void DrawText(QPainter& p, const QString& text, const QPointF& centre, qreal capHeight,
                         const QColor& colour);
    static qreal TextWidth(const QString& text, qreal capHeight);

    // Top view of the mouse body, 100 units wide and 160 high, nose up.
    static QPainterPath MouseBody();
    // The body above the main buttons' rear edge (the two main buttons together).
    static QPainterPath MouseButtons();

private:
    static QPainterPath letter(QChar c, qreal* advance);
};

#endif
