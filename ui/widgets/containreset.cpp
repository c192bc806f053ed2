#include "ui/widgets/containreset.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/okcancelbody.h"
#include "ui/widgets/skin.h"

#include "ui_containreset.h"

ContainReset::ContainReset(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ContainReset)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    OkCancelBody::SetUp(this, m_ui->ContainResetA, m_ui->label, m_ui->CloseButton, m_ui->OK, m_ui->Cancel);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
    m_ui->OK->setShortcut(QKeySequence(Qt::Key_Return));
}

ContainReset::~ContainReset() = default;

void ContainReset::SetMessage(const QString& text)
{
    m_ui->label->setText(text);
}

void ContainReset::on_CloseButton_clicked()
{
    OkCancelBody::Answer(this, &Confirmed, false);
}

void ContainReset::on_OK_clicked()
{
    OkCancelBody::Answer(this, &Confirmed, true);
}

void ContainReset::on_Cancel_clicked()
{
    OkCancelBody::Answer(this, &Confirmed, false);
}

void ContainReset::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::ContainResetTexts, index, 0));
    SetTextKeepingShortcut(m_ui->OK, LangText(LangTable::DialogChangeTexts, index, 4));
    m_ui->Cancel->setText(LangText(LangTable::QuestionTexts, index, 3));
}
