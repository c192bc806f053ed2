#include "ui/widgets/repair.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/okcancelbody.h"
#include "ui/widgets/skin.h"

#include "ui_repair.h"

RePair::RePair(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::RePair)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    OkCancelBody::SetUp(this, m_ui->RePairA, m_ui->label, m_ui->CloseButton, m_ui->OK, m_ui->Cancel);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

RePair::~RePair() = default;

void RePair::on_CloseButton_clicked()
{
    OkCancelBody::Answer(this, &PairAgain, false);
}

void RePair::on_OK_clicked()
{
    OkCancelBody::Answer(this, &PairAgain, true);
}

void RePair::on_Cancel_clicked()
{
    OkCancelBody::Answer(this, &PairAgain, false);
}

void RePair::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::RePairTexts, index, 0));
    m_ui->OK->setText(LangText(LangTable::QuestionTexts, index, 2));
    m_ui->Cancel->setText(LangText(LangTable::QuestionTexts, index, 3));
}
