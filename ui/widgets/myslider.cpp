#include "ui/widgets/myslider.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

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
    QStyleOptionSlider option;
    initStyleOption(&option);
    if (style()->hitTestComplexControl(QStyle::CC_Slider, &option, e->pos(), this) == QStyle::SC_SliderHandle) {
        // A press on the handle starts a drag: the value follows on release, once.
        QSlider::mousePressEvent(e);
    } else {
        // Elsewhere the slider jumps to the press. The base class would first step a page
        // towards it (and repeat while held), a value of its own that the jump then replaces.
        e->accept();
        setValue(ValueAt(e->pos().x(), width(), minimum(), maximum()));
    }
    if (QWidget* owner = parentWidget()) {
        QEvent click(SliderClickEvent);
        QCoreApplication::sendEvent(owner, &click);
    }
}
