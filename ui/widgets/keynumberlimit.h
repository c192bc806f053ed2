#ifndef KEYNUMBERLIMIT_H
#define KEYNUMBERLIMIT_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class KeyNumberLimit;
}

// Tells the user that a recording stopped because the macro holds as many key events as it can.
class KeyNumberLimit : public NoticeDialog
{
    Q_OBJECT
public:
    explicit KeyNumberLimit(QWidget* parent = nullptr);
    ~KeyNumberLimit() override;

private:
    const QScopedPointer<Ui::KeyNumberLimit> m_ui;
};

#endif
