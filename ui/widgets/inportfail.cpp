#include "ui/widgets/inportfail.h"

#include "core/deviceinfocache.h"
#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_inportfail.h"

InportFail::InportFail(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::InportFail)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->InportFailA, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

InportFail::~InportFail() = default;

void InportFail::ShowUnreadableText()
{
    m_message = 0;
    SlotAllLanguage(CurrentLanguage);
}

void InportFail::ShowSaveFailedText()
{
    m_message = 3;
    SlotAllLanguage(CurrentLanguage);
}

void InportFail::on_NewHong_clicked()
{
    close();
}

void InportFail::on_CloseButton_clicked()
{
    close();
}

void InportFail::SlotAllLanguage(int index)
{
    // Results 1: not a readable export file; 2: it does not match the device; 3: the device
    // refused it. Their messages are positions 0 to 2; 3 says a macro could not be saved.
    const int result = int(ImportCheckResult);
    const int message = m_message >= 0 ? m_message : result >= 1 && result <= 3 ? result - 1 : -1;
    if (message >= 0)
        m_ui->label->setText(LangText(LangTable::InportFailTexts, index, message));
    m_ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}
