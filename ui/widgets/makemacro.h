#ifndef MAKEMACRO_H
#define MAKEMACRO_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class MakeMacro;
}

// Shown instead of the macro list when there is no macro to assign yet.
class MakeMacro : public NoticeDialog
{
    Q_OBJECT
public:
    explicit MakeMacro(QWidget* parent = nullptr);
    ~MakeMacro() override;

private:
    const QScopedPointer<Ui::MakeMacro> m_ui;
};

#endif
