#include "pages/settings/findnewver.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_findnewver.h"

FindNewVer::FindNewVer(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::FindNewVer)
{
    ui->setupUi(this);
    SkinFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, SkinFolder, ui->SameMacroA, ui->label, ui->CloseButton);
    Skin::ApplyConfirmButton(ui->NewHong, SkinFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FindNewVer::~FindNewVer()
{
    delete ui;
}

void FindNewVer::on_NewHong_clicked()
{
    close();
}

void FindNewVer::SlotAllLanguage(int index)
{
    ui->label->setText(LangText(LangTable::NewVerTexts, index, 0));
    ui->NoApear->setText(LangText(LangTable::NewVerTexts, index, 1));
    ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}

void FindNewVer::on_CloseButton_clicked()
{
    close();
}
