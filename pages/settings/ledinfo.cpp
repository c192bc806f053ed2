#include "pages/settings/ledinfo.h"

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/ledmodegroup.h"
#include "ui/widgets/skin.h"

#include "ui_ledinfo.h"

LedInfo::LedInfo(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::LedInfo)
{
    m_ui->setupUi(this);
    SkinFolder = Skin::Folder(QStringLiteral("FormSetting"));
    setWindowFlags(Skin::DialogWindowFlags());
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    m_ui->label_14->setStyleSheet(Skin::LabelStyle(label));
    m_ui->TitleButton_7->setStyleSheet(
        Skin::BorderImageStyle(m_ui->TitleButton_7->objectName(), SkinFolder, QStringLiteral("Title.png")));
    for (QCheckBox* box : {m_ui->ReUntil, m_ui->ReUntil_2, m_ui->ReUntil_3})
        box->setStyleSheet(Skin::OptionCheckBoxStyle(SkinFolder, label));
    m_ui->LedInfoFrame->setStyleSheet(
        Skin::CentredImageStyle(m_ui->LedInfoFrame->objectName(), SkinFolder, QStringLiteral("Back.png")));
    for (QTextEdit* edit : {m_ui->textEdit_2, m_ui->textEdit_3, m_ui->textEdit_4})
        edit->setStyleSheet(Skin::TransparentTextEditStyle(edit->objectName(), label));
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(SkinFolder));

    ModeGroup = new LedModeGroup(m_ui->ReUntil, m_ui->ReUntil_2, m_ui->ReUntil_3, this);
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)));
}

LedInfo::~LedInfo() = default;

void LedInfo::SlotRGBValue(DongleRGB* Rgb)
{
    if (!ReceiverLedOptionApplies())
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->TitleButton_7, m_ui->label_14, m_ui->ReUntil,
                                                      m_ui->ReUntil_2, m_ui->ReUntil_3, m_ui->textEdit_2,
                                                      m_ui->textEdit_3, m_ui->textEdit_4})
        w->setVisible(true);
    if (Rgb)
        ModeGroup->ShowMode(Rgb->mode);
}

void LedInfo::SlotAllLanguage(int index)
{
    m_ui->label_14->setText(LangText(LangTable::FormSettingTexts, index, 19));
    m_ui->textEdit_2->setText(LangText(LangTable::FormSettingTexts, index, 20));
    m_ui->textEdit_3->setText(LangText(LangTable::FormSettingTexts, index, 21));
    m_ui->textEdit_4->setText(LangText(LangTable::FormSettingTexts, index, 22));
}

void LedInfo::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}
