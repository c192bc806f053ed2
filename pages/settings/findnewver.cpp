#include "pages/settings/findnewver.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_findnewver.h"

FindNewVer::FindNewVer(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::FindNewVer)
{
    m_ui->setupUi(this);
    SkinFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, SkinFolder, m_ui->SameMacroA, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, SkinFolder);
    // The notices' check box look: the form's black text would vanish on the dark background.
    m_ui->NoApear->setStyleSheet(Skin::CheckBoxStyle(SkinFolder, Skin::OptionColor(QStringLiteral("LabelColor"))));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FindNewVer::~FindNewVer() = default;

void FindNewVer::on_NewHong_clicked()
{
    close();
}

void FindNewVer::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::NewVerTexts, index, 0));
    m_ui->NoApear->setText(LangText(LangTable::NewVerTexts, index, 1));
    m_ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}

void FindNewVer::on_CloseButton_clicked()
{
    close();
}
