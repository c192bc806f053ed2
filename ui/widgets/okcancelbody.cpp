#include "ui/widgets/okcancelbody.h"

#include "ui/widgets/skin.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

void OkCancelBody::SetUp(QDialog* dialog, QFrame* frame, QLabel* label, QToolButton* closeButton, QToolButton* ok,
                         QToolButton* cancel)
{
    const QString folder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(dialog, folder, frame, label, closeButton);
    Skin::ApplyConfirmButton(ok, folder);
    Skin::ApplyConfirmButton(cancel, folder);
}

void OkCancelBody::Answer(QDialog* dialog, bool* answer, bool value)
{
    *answer = value;
    dialog->close();
}
