#include "ui/widgets/samemacro.h"

#include "ui_samemacro.h"

SameMacro::SameMacro(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::SameMacro)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::SameMacroTexts, m_ui->SameMacroA, m_ui->label, m_ui->NewHong, m_ui->CloseButton);
}

SameMacro::~SameMacro() = default;
