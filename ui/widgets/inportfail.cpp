#include "ui/widgets/inportfail.h"

#include "core/deviceinfocache.h"
#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_inportfail.h"

InportFail::InportFail(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::InportFail)
{
    ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, ui->InportFailA, ui->label, ui->CloseButton);
    Skin::ApplyConfirmButton(ui->NewHong, ImageFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

InportFail::~InportFail()
{
    delete ui;
}

void InportFail::ShowUnreadableText()
{
    m_unreadable = true;
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
    // 1: not a readable export file; 2: it does not match the device; 3: the device refused it.
    const int result = m_unreadable ? 1 : int(ImportCheckResult);
    if (result >= 1 && result <= 3)
        ui->label->setText(LangText(LangTable::InportFailTexts, index, result - 1));
    ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}
