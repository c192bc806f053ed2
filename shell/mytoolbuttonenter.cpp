#include "shell/mytoolbuttonenter.h"

mytoolButtonEnter::mytoolButtonEnter(QWidget* parent)
    : QToolButton(parent)
{
}

void mytoolButtonEnter::enterEvent(QEvent*)
{
    QString rest = objectName();
    rest.remove(QStringLiteral("btn"));
    // A rest that is not a number reads 0.
    emit SigPointerEntered(rest.toInt());
}

void mytoolButtonEnter::leaveEvent(QEvent*)
{
}
