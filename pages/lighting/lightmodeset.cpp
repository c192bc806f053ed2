#include "pages/lighting/lightmodeset.h"

#include "core/postmsg.h"
#include "pages/lighting/lightcolors.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/screencolor.h"
#include "ui/widgets/skin.h"

#include "ui_lightmodeset.h"

#include <QMouseEvent>

namespace {

// The dialog's list holds the modes 0 to 5.
constexpr int ModeCount = 6;

// The captions this dialog takes from the screen dialogs' language table.
struct TextTarget {
    const char* widget;
    int position;
};
const TextTarget Texts[] = {{"label", 5},     {"label_2", 13},  {"label_3", 14},  {"label_6", 15}, {"label_8", 16},
                            {"label_13", 17}, {"label_11", 18}, {"label_10", 19}, {"label_12", 20}};
constexpr int ModeNamesPosition = 6;

} // namespace

LightModeSet::LightModeSet(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::LightModeSet)
{
    m_ui->setupUi(this);
    SkinFolder = Skin::Folder(QStringLiteral("ScreeInfo"));
    const QString& f = SkinFolder;
    setWindowFlags(Skin::DialogWindowFlags());

    const QString labelStyle = Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor")));
    for (QWidget* label : {static_cast<QWidget*>(m_ui->label), static_cast<QWidget*>(m_ui->label_2),
                           static_cast<QWidget*>(m_ui->label_3), static_cast<QWidget*>(m_ui->label_6),
                           static_cast<QWidget*>(m_ui->label_7), static_cast<QWidget*>(m_ui->label_8),
                           static_cast<QWidget*>(m_ui->label_10), static_cast<QWidget*>(m_ui->label_11),
                           static_cast<QWidget*>(m_ui->label_12), static_cast<QWidget*>(m_ui->label_13)})
        label->setStyleSheet(labelStyle);
    for (QWidget* w : {m_ui->ReduceR, m_ui->ReduceG, m_ui->ReduceB})
        w->setStyleSheet(Skin::ImageFirstStyle(w->objectName(), f, QStringLiteral("Reduce.png")));
    for (QWidget* w : {m_ui->AddR, m_ui->AddG, m_ui->AddB})
        w->setStyleSheet(Skin::ImageFirstStyle(w->objectName(), f, QStringLiteral("Add.png")));
    m_ui->LightModeSetframe->setStyleSheet(
        Skin::CentredImageStyle(QStringLiteral("LightModeSetframe"), f, QStringLiteral("Back.png")));
    m_ui->CloseButton->setStyleSheet(
        Skin::CloseButtonStyle(f, QStringLiteral("Close"), QStringLiteral("CloseButton.png")));
    const QString boxStyle = Skin::ChannelSpinBoxStyle(Skin::OptionColor(QStringLiteral("LinEditColorSecond")));
    for (QWidget* box : {m_ui->RSpinBox, m_ui->GSpinBox, m_ui->BSpinBox})
        box->setStyleSheet(boxStyle);

    ApplyModeLayout(m_ui->LightMod->currentIndex());

    Skin::ApplyComboSkin(m_ui->LightMod, f);
    const QString sliderStyle =
        Skin::LightSliderStyle(f, QStringLiteral("Slider.png"), Skin::OptionColor(QStringLiteral("SliderColor")));
    m_ui->horizontalLight->setStyleSheet(sliderStyle);
    m_ui->horizontalSpeed->setStyleSheet(sliderStyle);
    m_ui->labelPreView->setStyleSheet(
        Skin::ImageFirstStyle(QStringLiteral("labelPreView"), f, QStringLiteral("PreviewColor.png")));
    for (const LightColorPreset& preset : LightColorPresets) {
        const QString name = QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter);
        if (auto* button = findChild<QWidget*>(name))
            button->setStyleSheet(Skin::CentredImageStyle(
                name, f, QStringLiteral("Color") + QLatin1Char(preset.letter) + QStringLiteral(".png")));
    }
    m_ui->label_7->setStyleSheet(Skin::CentredImageStyle(QStringLiteral("label_7"), f, QStringLiteral("ColorBoard.png")));
}

LightModeSet::~LightModeSet() = default;

void LightModeSet::ApplyModeLayout(int index)
{
    if (index < 0 || index >= ModeCount)
        return;
    const LightModeLayout l = LightModeLayoutFor(index);
    m_ui->line->setVisible(!l.brightness);
    m_ui->line_2->setVisible(!l.speed);
    m_ui->horizontalLight->setVisible(l.brightness);
    m_ui->horizontalSpeed->setVisible(l.speed);
    QWidget* const colourGroup[] = {
        m_ui->label_6,  m_ui->label_7,  m_ui->label_8,  m_ui->labelPreView, m_ui->label_11, m_ui->label_10,
        m_ui->label_12, m_ui->ReduceR,  m_ui->ReduceG,  m_ui->ReduceB,      m_ui->RSpinBox, m_ui->GSpinBox,
        m_ui->BSpinBox, m_ui->AddR,     m_ui->AddG,     m_ui->AddB,         m_ui->label_13};
    for (QWidget* w : colourGroup)
        w->setVisible(l.colour);
    for (const LightColorPreset& preset : LightColorPresets) {
        if (auto* button = findChild<QWidget*>(QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter)))
            button->setVisible(l.colour);
    }
}

void LightModeSet::on_LightMod_currentIndexChanged(int index)
{
    ApplyModeLayout(index);
}

void LightModeSet::ShowPreview()
{
    m_ui->labelPreView->setStyleSheet(
        LightPreviewStyle(m_ui->RSpinBox->value(), m_ui->GSpinBox->value(), m_ui->BSpinBox->value()));
}

void LightModeSet::SetColor(int red, int green, int blue)
{
    // One box at a time, as a user would: each change shows the swatch.
    m_ui->RSpinBox->setValue(red);
    m_ui->GSpinBox->setValue(green);
    m_ui->BSpinBox->setValue(blue);
}

void LightModeSet::ApplyPreset(int preset)
{
    const LightColorPreset& p = LightColorPresets.at(size_t(preset));
    SetColor(p.red, p.green, p.blue);
}

void LightModeSet::on_AddR_clicked() { m_ui->RSpinBox->setValue(m_ui->RSpinBox->value() + 1); }
void LightModeSet::on_AddG_clicked() { m_ui->GSpinBox->setValue(m_ui->GSpinBox->value() + 1); }
void LightModeSet::on_AddB_clicked() { m_ui->BSpinBox->setValue(m_ui->BSpinBox->value() + 1); }
void LightModeSet::on_ReduceR_clicked() { m_ui->RSpinBox->setValue(m_ui->RSpinBox->value() - 1); }
void LightModeSet::on_ReduceG_clicked() { m_ui->GSpinBox->setValue(m_ui->GSpinBox->value() - 1); }
void LightModeSet::on_ReduceB_clicked() { m_ui->BSpinBox->setValue(m_ui->BSpinBox->value() - 1); }
void LightModeSet::on_RSpinBox_valueChanged(int) { ShowPreview(); }
void LightModeSet::on_GSpinBox_valueChanged(int) { ShowPreview(); }
void LightModeSet::on_BSpinBox_valueChanged(int) { ShowPreview(); }
void LightModeSet::on_toolButtonColorA_clicked() { ApplyPreset(0); }
void LightModeSet::on_toolButtonColorB_clicked() { ApplyPreset(1); }
void LightModeSet::on_toolButtonColorC_clicked() { ApplyPreset(2); }
void LightModeSet::on_toolButtonColorD_clicked() { ApplyPreset(3); }
void LightModeSet::on_toolButtonColorE_clicked() { ApplyPreset(4); }
void LightModeSet::on_toolButtonColorF_clicked() { ApplyPreset(5); }
void LightModeSet::on_toolButtonColorG_clicked() { ApplyPreset(6); }
void LightModeSet::on_toolButtonColorH_clicked() { ApplyPreset(7); }
void LightModeSet::on_toolButtonColorI_clicked() { ApplyPreset(8); }
void LightModeSet::on_toolButtonColorJ_clicked() { ApplyPreset(9); }
void LightModeSet::on_toolButtonColorK_clicked() { ApplyPreset(10); }
void LightModeSet::on_toolButtonColorL_clicked() { ApplyPreset(11); }
void LightModeSet::on_toolButtonColorM_clicked() { ApplyPreset(12); }
void LightModeSet::on_toolButtonColorN_clicked() { ApplyPreset(13); }

void LightModeSet::SlotAllLanguage(int index)
{
    for (const TextTarget& t : Texts) {
        if (auto* label = findChild<QLabel*>(QLatin1String(t.widget)))
            label->setText(LangText(LangTable::ScreenInfoTexts, index, t.position));
    }
    for (int item = 0; item < m_ui->LightMod->count(); ++item)
        m_ui->LightMod->setItemText(item, LangText(LangTable::ScreenInfoTexts, index, ModeNamesPosition + item));
}

void LightModeSet::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}

void LightModeSet::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint p = event->pos();
    // The three boxes count as one area: a press between them keeps the edit going.
    const bool inBoxes = m_ui->RSpinBox->geometry().contains(p) || m_ui->GSpinBox->geometry().contains(p)
        || m_ui->BSpinBox->geometry().contains(p);
    if (!inBoxes) {
        for (QWidget* box : {m_ui->RSpinBox, m_ui->GSpinBox, m_ui->BSpinBox})
            box->clearFocus();
        setFocus(Qt::OtherFocusReason);
    }
    if (!m_ui->label_7->geometry().contains(p))
        return;
    // A point outside every screen gives no colour: the boxes and the swatch stay.
    if (const std::optional<QColor> color = ScreenColor::ColorUnderCursor()) {
        SetColor(color->red(), color->green(), color->blue());
        ShowPreview();
    }
}
