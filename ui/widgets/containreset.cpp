#include "ui/widgets/containreset.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/okcancelbody.h"
#include "ui/widgets/skin.h"

#include "ui_containreset.h"

ContainReset::ContainReset(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ContainReset)
{
    ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    OkCancelBody::SetUp(this, ui->ContainResetA, ui->label, ui->CloseButton, ui->OK, ui->Cancel);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
    ui->OK->setShortcut(QKeySequence(Qt::Key_Return));
}

ContainReset::~ContainReset()
{
    delete ui;
}

void ContainReset::SetMessage(const QString& text)
{
    ui->label->setText(text);
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
    ui->label->setText(LangText(LangTable::ContainResetTexts, index, 0));
    SetTextKeepingShortcut(ui->OK, LangText(LangTable::DialogChangeTexts, index, 4));
    ui->Cancel->setText(LangText(LangTable::QuestionTexts, index, 3));
}
