#ifndef LEDMODEGROUP_H
#define LEDMODEGROUP_H

#include <QButtonGroup>

class QAbstractButton;

// The receiver's LED modes 1 to 3 as three exclusive boxes; each box's id in the group is its
// mode, so idToggled reports the mode a user chose.
class LedModeGroup : public QButtonGroup
{
    Q_OBJECT
public:
    LedModeGroup(QAbstractButton* mode1, QAbstractButton* mode2, QAbstractButton* mode3, QObject* parent);

    // Checks the box of a reported mode; any other value (0: not read yet) leaves the boxes.
    void ShowMode(int mode);
};

#endif
