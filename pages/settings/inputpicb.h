#ifndef INPUTPICB_H
#define INPUTPICB_H

#include "pages/settings/screenpicturedialog.h"

#include <QScopedPointer>

namespace Ui {
class InputPicB;
}

// The second layout of the screen picture settings; only the close button acts.
class InputPicB : public ScreenPictureDialog
{
    Q_OBJECT
public:
    explicit InputPicB(QWidget* parent = nullptr);
    ~InputPicB() override;

private:
    const QScopedPointer<Ui::InputPicB> m_ui;
};

#endif
