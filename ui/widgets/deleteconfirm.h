#ifndef DELETECONFIRM_H
#define DELETECONFIRM_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>

namespace Ui {
class DeleteConfirm;
}

// Asks before the selected macro is deleted; the opener reads Confirmed after exec().
class DeleteConfirm : public NoticeDialog
{
    Q_OBJECT
public:
    explicit DeleteConfirm(QWidget* parent = nullptr);
    ~DeleteConfirm() override;

    // True after the confirm button, false after the close button (and until either is pressed).
    bool Confirmed = false;

protected:
    void Answered(bool confirmed) override;

private:
    const QScopedPointer<Ui::DeleteConfirm> m_ui;
};

#endif
