#include "pages/settings/mybutton.h"

MyButton::MyButton(QWidget* parent)
    : QPushButton(parent)
{
}

void MyButton::enterEvent(QEvent* event)
{
    setCursor(Qt::PointingHandCursor);
    QPushButton::enterEvent(event);
}

void MyButton::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QPushButton::leaveEvent(event);
}
