#ifndef SAMEMACRO_H
#define SAMEMACRO_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class SameMacro;
}

// Refuses a new, renamed or imported macro whose name is already in the macro list.
class SameMacro : public NoticeDialog
{
    Q_OBJECT
public:
    explicit SameMacro(QWidget* parent = nullptr);
    ~SameMacro() override;

private:
    const QScopedPointer<Ui::SameMacro> m_ui;
};

#endif
