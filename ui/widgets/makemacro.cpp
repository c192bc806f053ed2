#include "ui/widgets/makemacro.h"

#include "ui_makemacro.h"

MakeMacro::MakeMacro(QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::MakeMacro)
{
    m_ui->setupUi(this);
    SetUpNotice(LangTable::MakeMacroTexts, m_ui->MakeMacroA, m_ui->label, m_ui->NewHong, m_ui->CloseButton);
}

MakeMacro::~MakeMacro() = default;
