#include "ui/widgets/repair.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_repair.h"

RePair::RePair(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::RePair)
{
    ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, ui->RePairA, ui->label, ui->CloseButton);
    Skin::ApplyConfirmButton(ui->OK, ImageFolder);
    Skin::ApplyConfirmButton(ui->Cancel, ImageFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

RePair::~RePair()
{
    delete ui;
}

void RePair::on_CloseButton_clicked()
{
    PairAgain = false;
    close();
}

void RePair::on_OK_clicked()
{
    PairAgain = true;
    close();
}

void RePair::on_Cancel_clicked()
{
    PairAgain = false;
    close();
}

void RePair::SlotAllLanguage(int index)
{
    ui->label->setText(LangText(LangTable::RePairTexts, index, 0));
    ui->OK->setText(LangText(LangTable::QuestionTexts, index, 2));
    ui->Cancel->setText(LangText(LangTable::QuestionTexts, index, 3));
}
