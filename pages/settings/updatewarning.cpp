#include "pages/settings/updatewarning.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/skin.h"

#include "ui_updatewarning.h"

UpDateWarning::UpDateWarning(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::UpDateWarning)
{
    m_ui->setupUi(this);
    SkinFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, SkinFolder, m_ui->WarningFrame, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, SkinFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
    m_ui->NewHong->setShortcut(QKeySequence(Qt::Key_Return));
}

UpDateWarning::~UpDateWarning() = default;

void UpDateWarning::SetMessage(const QString& text)
{
    m_ui->label->setText(text);
}

void UpDateWarning::on_CloseButton_clicked()
{
    close();
}

void UpDateWarning::SlotAllLanguage(int index)
{
    // The message is the caller's; only the shared confirm caption follows the language.
    SetTextKeepingShortcut(m_ui->NewHong, LangText(LangTable::QuestionTexts, index, 2));
}

void UpDateWarning::on_NewHong_clicked()
{
    close();
}
