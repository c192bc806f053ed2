#include "ui/widgets/keynumberlimit.h"

#include "ui_keynumberlimit.h"

KeyNumberLimit::KeyNumberLimit(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::KeyNumberLimit)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::LimitTexts, m_ui->LimitA, m_ui->label, m_ui->NewHong, m_ui->CloseButton);
}

KeyNumberLimit::~KeyNumberLimit() = default;
