#include "ui/widgets/mytoolbutton.h"

#include <QMouseEvent>

MyToolButton::MyToolButton(QWidget* parent)
    : QToolButton(parent)
{
}

void MyToolButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setChecked(true);
    emit clicked(false);
}

void MyToolButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setChecked(true);
    emit clicked(true);
}
