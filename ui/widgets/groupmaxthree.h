#ifndef GROUPMAXTHREE_H
#define GROUPMAXTHREE_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class GroupMaxThree;
}

// Refuses a key combination of more than three keys.
class GroupMaxThree : public NoticeDialog
{
    Q_OBJECT
public:
    explicit GroupMaxThree(QWidget* parent = nullptr);
    ~GroupMaxThree() override;

private:
    const QScopedPointer<Ui::GroupMaxThree> m_ui;
};

#endif
