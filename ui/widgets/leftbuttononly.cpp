#include "ui/widgets/leftbuttononly.h"

#include "ui_leftbuttononly.h"

LeftButtonOnly::LeftButtonOnly(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::LeftButtonOnly)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::ButtonOnlyTexts, m_ui->ButtonOnly, m_ui->label, nullptr, m_ui->CloseButton);
}

LeftButtonOnly::~LeftButtonOnly() = default;
