#include "questiondialogb.h"

#include "langtext.h"
#include "postmsg.h"
#include "skin.h"

#include "ui_questiondialogb.h"

QuestiondialogB::QuestiondialogB(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::QuestiondialogB)
{
    ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, ui->QuestionB, ui->label, ui->CloseButton);
    setFixedSize(width(), height());
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

QuestiondialogB::~QuestiondialogB()
{
    delete ui;
}

void QuestiondialogB::on_CloseButton_clicked()
{
    close();
}

void QuestiondialogB::SlotAllLanguage(int index)
{
    ui->label->setText(LangText(LangTable::QuestionBTexts, index, 0));
}
