#ifndef MOUSEPICTURE_H
#define MOUSEPICTURE_H

#include <QPainterPath>
#include <QSize>

class QPainter;

// The mouse of the button page (mouse0.png). The page's form places the nine number spots;
// the mouse is drawn under them, lying with its nose to the lower left, so that every spot
// sits on the button it stands for.
class MousePicture
{
public:
    // The size of the picture: the page's picture widget, which centres it.
    static QSize Size();
    // The visible area of the button that number spot 1 to 9 marks, in picture pixels; empty
    // for any other number.
    static QPainterPath ButtonArea(int spot);
    static void Paint(QPainter& p);
};

#endif
