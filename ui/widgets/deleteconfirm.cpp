#include "ui/widgets/deleteconfirm.h"

#include "ui_deleteconfirm.h"

DeleteConfirm::DeleteConfirm(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::DeleteConfirm)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::DeleteConfirmTexts, m_ui->DeleteConfirmA, m_ui->label, m_ui->NewHong, m_ui->CloseButton);
}

DeleteConfirm::~DeleteConfirm() = default;

void DeleteConfirm::Answered(bool confirmed)
{
    Confirmed = confirmed;
}
