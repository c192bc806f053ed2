#include "ui/widgets/ledmodegroup.h"

#include <QAbstractButton>

LedModeGroup::LedModeGroup(QAbstractButton* mode1, QAbstractButton* mode2, QAbstractButton* mode3, QObject* parent)
    : QButtonGroup(parent)
{
    setExclusive(true);
    addButton(mode1, 1);
    addButton(mode2, 2);
    addButton(mode3, 3);
}

void LedModeGroup::ShowMode(int mode)
{
    if (QAbstractButton* box = button(mode))
        box->setChecked(true);
}
