#include "ui/shell/mytoolbuttonenter.h"

#include "ui/shell/dialogchange.h"

mytoolButtonEnter::mytoolButtonEnter(QWidget* parent)
    : QToolButton(parent)
{
}

void mytoolButtonEnter::enterEvent(QEvent*)
{
    QString rest = objectName();
    rest.remove(QStringLiteral("btn"));
    // A rest that is not a number reads 0.
    const int index = rest.toInt();
    // The button sits on a page of the device choice page's stack.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* page = qobject_cast<DialogChange*>(w)) {
            page->UpdateDeviceButtonState(index);
            return;
        }
    }
}

void mytoolButtonEnter::leaveEvent(QEvent*)
{
}
