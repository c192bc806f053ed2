#include "pages/settings/inputpicb.h"

#include "core/postmsg.h"
#include "pages/settings/screeninfoskin.h"
#include "ui/lang/langtext.h"

#include "ui_inputpicb.h"

#include <QButtonGroup>

InputPicB::InputPicB(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::InputPicB)
{
    ui->setupUi(this);
    SlotGroup = new QButtonGroup(this);
    SlotGroup->setExclusive(true);
    for (QToolButton* b : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        SlotGroup->addButton(b);
    PictureFolder = ScreenInfoSkin::Folder();
    ScreenInfoSkin::Apply(this, PictureFolder);
}

InputPicB::~InputPicB()
{
    delete ui;
}

void InputPicB::ApplyCurrentLanguage()
{
    SlotAllLanguage(CurrentLanguage);
}

void InputPicB::SlotAllLanguage(int index)
{
    ui->label->setText(LangText(LangTable::ScreenInfoTexts, index, 0));
    ui->label_2->setText(LangText(LangTable::ScreenInfoTexts, index, 1));
    ui->label_3->setText(LangText(LangTable::ScreenInfoTexts, index, 2));
    ui->Input->setText(LangText(LangTable::ScreenInfoTexts, index, 3));
    ui->Output->setText(LangText(LangTable::ScreenInfoTexts, index, 4));
}

void InputPicB::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}
