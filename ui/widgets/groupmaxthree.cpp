#include "ui/widgets/groupmaxthree.h"

#include "ui_groupmaxthree.h"

GroupMaxThree::GroupMaxThree(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::GroupMaxThree)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::MaxThreeTexts, m_ui->MaxThree, m_ui->label, m_ui->NewHong, m_ui->CloseButton);
}

GroupMaxThree::~GroupMaxThree() = default;
