#ifndef LEFTBUTTONONLY_H
#define LEFTBUTTONONLY_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class LeftButtonOnly;
}

// Refuses to take the left-button function from the last button that still has it. Its close
// button is its only control.
class LeftButtonOnly : public NoticeDialog
{
    Q_OBJECT
public:
    explicit LeftButtonOnly(QWidget* parent = nullptr);
    ~LeftButtonOnly() override;

private:
    const QScopedPointer<Ui::LeftButtonOnly> m_ui;
};

#endif
