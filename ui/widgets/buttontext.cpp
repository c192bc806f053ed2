#include "ui/widgets/buttontext.h"

#include <QAbstractButton>
#include <QKeySequence>

void SetTextKeepingShortcut(QAbstractButton* button, const QString& text)
{
    const QKeySequence shortcut = button->shortcut();
    button->setText(text);
    button->setShortcut(shortcut);
}
