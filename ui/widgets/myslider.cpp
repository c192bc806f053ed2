#include "ui/widgets/myslider.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

MySlider::MySlider(QWidget* parent)
    : QSlider(parent)
{
}

int MySlider::ValueAt(int x, int width, int minimum, int maximum)
{
    if (width <= 0)
        return minimum;
    // In double precision: the span of a full int range does not fit an int.
    const double span = double(maximum) - double(minimum);
    const double value = std::trunc(double(minimum) + span * (double(x) / double(width)));
    return int(std::clamp(value, double(std::min(minimum, maximum)), double(std::max(minimum, maximum))));
}

void MySlider::mousePressEvent(QMouseEvent* e)
{
    // A slider without width has no position to jump to.
    if (width() <= 0)
        return;
    QSlider::mousePressEvent(e);
    setValue(ValueAt(e->pos().x(), width(), minimum(), maximum()));
    if (QWidget* owner = parentWidget()) {
        QEvent click(SliderClickEvent);
        QCoreApplication::sendEvent(owner, &click);
    }
}
