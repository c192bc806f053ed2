#include "pages/settings/ledinfo.h"

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_ledinfo.h"

#include <QButtonGroup>

LedInfo::LedInfo(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LedInfo)
{
    ui->setupUi(this);
    SkinFolder = Skin::Folder(QStringLiteral("FormSetting"));
    setWindowFlags(Skin::DialogWindowFlags());
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    ui->label_14->setStyleSheet(Skin::LabelStyle(label));
    ui->TitleButton_7->setStyleSheet(
        Skin::BorderImageStyle(ui->TitleButton_7->objectName(), SkinFolder, QStringLiteral("Title.png")));
    for (QCheckBox* box : {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3})
        box->setStyleSheet(Skin::OptionCheckBoxStyle(SkinFolder, label));
    ui->LedInfoFrame->setStyleSheet(
        Skin::CentredImageStyle(ui->LedInfoFrame->objectName(), SkinFolder, QStringLiteral("Back.png")));
    for (QTextEdit* edit : {ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        edit->setStyleSheet(Skin::TransparentTextEditStyle(edit->objectName(), label));
    ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(SkinFolder));

    ModeGroup = new QButtonGroup(this);
    ModeGroup->setExclusive(true);
    ModeGroup->addButton(ui->ReUntil);
    ModeGroup->addButton(ui->ReUntil_2);
    ModeGroup->addButton(ui->ReUntil_3);
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)));
}

LedInfo::~LedInfo()
{
    delete ui;
}

void LedInfo::SlotRGBValue(DongleRGB* Rgb)
{
    if (!ReceiverLedOptionApplies())
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{ui->TitleButton_7, ui->label_14, ui->ReUntil, ui->ReUntil_2,
                                                      ui->ReUntil_3, ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        w->setVisible(true);
    if (!Rgb)
        return;
    switch (Rgb->mode) {
    case 1:
        ui->ReUntil->setChecked(true);
        break;
    case 2:
        ui->ReUntil_2->setChecked(true);
        break;
    case 3:
        ui->ReUntil_3->setChecked(true);
        break;
    default:
        break;
    }
}

void LedInfo::SlotAllLanguage(int index)
{
    ui->label_14->setText(LangText(LangTable::FormSettingTexts, index, 19));
    ui->textEdit_2->setText(LangText(LangTable::FormSettingTexts, index, 20));
    ui->textEdit_3->setText(LangText(LangTable::FormSettingTexts, index, 21));
    ui->textEdit_4->setText(LangText(LangTable::FormSettingTexts, index, 22));
}

void LedInfo::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}
