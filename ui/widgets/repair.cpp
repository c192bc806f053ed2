#include "ui/widgets/repair.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/okcancelbody.h"
#include "ui/widgets/skin.h"

#include "ui_repair.h"

RePair::RePair(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::RePair)
{
    ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    OkCancelBody::SetUp(this, ui->RePairA, ui->label, ui->CloseButton, ui->OK, ui->Cancel);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

RePair::~RePair()
{
    delete ui;
}

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
    ui->label->setText(LangText(LangTable::RePairTexts, index, 0));
    ui->OK->setText(LangText(LangTable::QuestionTexts, index, 2));
    ui->Cancel->setText(LangText(LangTable::QuestionTexts, index, 3));
}
