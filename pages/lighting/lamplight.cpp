#include "pages/lighting/lamplight.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "pages/lighting/lightcolors.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/screencolor.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/stopclosetime.h"

#include "ui_lamplight.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

// The rectangle of a descendant in the page's coordinates.
QRect RectIn(const QWidget* page, const QWidget* child)
{
    return QRect(child->mapTo(page, QPoint(0, 0)), child->size());
}

} // namespace

LampLight::LampLight(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::LampLight)
{
    m_ui->setupUi(this);
    SkinFolder = Skin::Folder(QStringLiteral("Light"));
    // Kept empty: each preset button keeps its own checked state.
    ButtonGroup = new QButtonGroup(this);
    ButtonGroup->setExclusive(true);

    m_ui->line->hide();
    m_ui->line_2->hide();
    // Right after the form the combo stands on "off"; UiSendsChanges is still clear, so this
    // only lays the page out.
    on_LightMod_currentIndexChanged(m_ui->LightMod->currentIndex());

    ApplySkin();

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    PostMsg::Connect(SIGNAL(SigUpDataLightLight(FlashDataMap)), this, SLOT(SlotUpDataLightUILight(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataLightUIA(FlashDataMap)), this, SLOT(SlotUpDataLightUIA(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetLight()));
    SlotAllLanguage(CurrentLanguage);
}

LampLight::~LampLight() = default;

void LampLight::ApplySkin()
{
    Skin::ApplyComboSkin(m_ui->LightMod, SkinFolder);

    const QString labelColor = Skin::OptionColor(QStringLiteral("LabelColor"));
    const QString labelStyle = Skin::LabelStyle(labelColor);
    for (QLabel* label : {m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->label_4, m_ui->label_5, m_ui->label_6,
                          m_ui->label_8, m_ui->label_13})
        label->setStyleSheet(labelStyle);
    const QString mirrorStyle = Skin::ValueMirrorStyle(labelColor);
    m_ui->LightSpinBox_2->setStyleSheet(mirrorStyle);
    m_ui->SpeedSpinBox_2->setStyleSheet(mirrorStyle);

    const QString channelStyle = Skin::ChannelSpinBoxStyle(Skin::OptionColor(QStringLiteral("LinEditColorSecond")));
    for (QSpinBox* box : {m_ui->RSpinBox, m_ui->GSpinBox, m_ui->BSpinBox})
        box->setStyleSheet(channelStyle);

    const QString sliderStyle =
        Skin::LightSliderStyle(SkinFolder, QStringLiteral("HuaKuai.png"), Skin::OptionColor(QStringLiteral("SliderColor")));
    m_ui->horizontalLight->setStyleSheet(sliderStyle);
    m_ui->horizontalSpeed->setStyleSheet(sliderStyle);

    m_ui->RippeControl->setStyleSheet(
        QStringLiteral("QToolButton{color: rgb(255, 255, 255);border:0px;background-position:center;"
                       "background-repeat:no-repeat;background-image: ")
        + Skin::Url(SkinFolder, QStringLiteral("Close.png"))
        + QStringLiteral(";}QToolButton:checked{background-image: ")
        + Skin::Url(SkinFolder, QStringLiteral("Open.png")) + QStringLiteral(";}"));

    m_ui->label_7->setStyleSheet(
        Skin::CentredImageStyle(m_ui->label_7->objectName(), SkinFolder, QStringLiteral("ColorBoard.png")));
    for (QWidget* w : {m_ui->ReduceR, m_ui->ReduceG, m_ui->ReduceB})
        w->setStyleSheet(Skin::ImageFirstStyle(w->objectName(), SkinFolder, QStringLiteral("Reduce.png")));
    for (QWidget* w : {m_ui->AddR, m_ui->AddG, m_ui->AddB})
        w->setStyleSheet(Skin::ImageFirstStyle(w->objectName(), SkinFolder, QStringLiteral("Add.png")));
    m_ui->labelPreView->setStyleSheet(
        Skin::ImageFirstStyle(m_ui->labelPreView->objectName(), SkinFolder, QStringLiteral("PreviewColor.png")));
    for (const LightColorPreset& preset : LightColorPresets) {
        const QString name = QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter);
        if (QWidget* button = m_ui->LightPage->findChild<QWidget*>(name))
            button->setStyleSheet(Skin::CentredImageStyle(
                name, SkinFolder, QStringLiteral("Color") + QLatin1Char(preset.letter) + QStringLiteral(".png")));
    }
}

void LampLight::mousePressEvent(QMouseEvent* event)
{
    // A double click arrives here through the base class as well; only plain presses count.
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint pos = event->pos();
    // The three channel boxes are one editing area; a press elsewhere ends the editing.
    if (!RectIn(this, m_ui->RSpinBox).contains(pos) && !RectIn(this, m_ui->GSpinBox).contains(pos)
        && !RectIn(this, m_ui->BSpinBox).contains(pos)) {
        m_ui->RSpinBox->clearFocus();
        m_ui->GSpinBox->clearFocus();
        m_ui->BSpinBox->clearFocus();
        setFocus(Qt::OtherFocusReason);
    }
    if (RectIn(this, m_ui->label_7).contains(pos))
        PickScreenColor();
}

void LampLight::changeEvent(QEvent*)
{
    // Texts change only through SlotAllLanguage.
}

bool LampLight::LightDeviceOnline()
{
    if (!UiSendsChanges.load())
        return true;
    if (DevicePresent())
        return true;
    if (LightLoading.load())
        return true;
    PostMsg::instance()->EmitMouseOffLineo(0);
    return false;
}

void LampLight::StepChannel(QSpinBox* box, int step)
{
    if (!LightDeviceOnline())
        return;
    // The box keeps 0..255: a step past a bound is no change and sends nothing.
    box->setValue(box->value() + step);
}

void LampLight::on_AddR_clicked()
{
    StepChannel(m_ui->RSpinBox, 1);
}

void LampLight::on_AddG_clicked()
{
    StepChannel(m_ui->GSpinBox, 1);
}

void LampLight::on_AddB_clicked()
{
    StepChannel(m_ui->BSpinBox, 1);
}

void LampLight::on_ReduceR_clicked()
{
    StepChannel(m_ui->RSpinBox, -1);
}

void LampLight::on_ReduceG_clicked()
{
    StepChannel(m_ui->GSpinBox, -1);
}

void LampLight::on_ReduceB_clicked()
{
    StepChannel(m_ui->BSpinBox, -1);
}

void LampLight::UpdateLightPreview(int red, int green, int blue)
{
    m_ui->labelPreView->setStyleSheet(LightPreviewStyle(red, green, blue));
}

// Each changed channel sends the whole colour; a fill blocks these signals, so no loading test.
void LampLight::on_RSpinBox_valueChanged(int value)
{
    const int green = m_ui->GSpinBox->value();
    const int blue = m_ui->BSpinBox->value();
    UpdateLightPreview(value, green, blue);
    if (UiSendsChanges.load())
        SetLightColor(value, green, blue);
}

void LampLight::on_GSpinBox_valueChanged(int value)
{
    const int red = m_ui->RSpinBox->value();
    const int blue = m_ui->BSpinBox->value();
    UpdateLightPreview(red, value, blue);
    if (UiSendsChanges.load())
        SetLightColor(red, value, blue);
}

void LampLight::on_BSpinBox_valueChanged(int value)
{
    const int red = m_ui->RSpinBox->value();
    const int green = m_ui->GSpinBox->value();
    UpdateLightPreview(red, green, value);
    if (UiSendsChanges.load())
        SetLightColor(red, green, value);
}

void LampLight::ApplyPreset(int index)
{
    if (!LightDeviceOnline())
        return;
    const LightColorPreset& preset = LightColorPresets[size_t(index)];
    m_ui->RSpinBox->setValue(preset.red);
    m_ui->GSpinBox->setValue(preset.green);
    m_ui->BSpinBox->setValue(preset.blue);
}

void LampLight::on_toolButtonColorA_clicked()
{
    ApplyPreset(0);
}

void LampLight::on_toolButtonColorB_clicked()
{
    ApplyPreset(1);
}

void LampLight::on_toolButtonColorC_clicked()
{
    ApplyPreset(2);
}

void LampLight::on_toolButtonColorD_clicked()
{
    ApplyPreset(3);
}

void LampLight::on_toolButtonColorE_clicked()
{
    ApplyPreset(4);
}

void LampLight::on_toolButtonColorF_clicked()
{
    ApplyPreset(5);
}

void LampLight::on_toolButtonColorG_clicked()
{
    ApplyPreset(6);
}

void LampLight::on_toolButtonColorH_clicked()
{
    ApplyPreset(7);
}

void LampLight::on_toolButtonColorI_clicked()
{
    ApplyPreset(8);
}

void LampLight::on_toolButtonColorJ_clicked()
{
    ApplyPreset(9);
}

void LampLight::on_toolButtonColorK_clicked()
{
    ApplyPreset(10);
}

void LampLight::on_toolButtonColorL_clicked()
{
    ApplyPreset(11);
}

void LampLight::on_toolButtonColorM_clicked()
{
    ApplyPreset(12);
}

void LampLight::on_toolButtonColorN_clicked()
{
    ApplyPreset(13);
}

void LampLight::on_horizontalLight_valueChanged(int value)
{
    m_ui->LightSpinBox_2->setValue(value);
    if (UiSendsChanges.load() && !LightLoading.load())
        SetLightBrightness(value - 1);
}

void LampLight::on_horizontalSpeed_valueChanged(int value)
{
    m_ui->SpeedSpinBox_2->setValue(value);
    if (UiSendsChanges.load() && !LightLoading.load())
        SetLightSpeed(value - 1);
}

void LampLight::on_LightSpinBox_2_valueChanged(int)
{
}

void LampLight::on_SpeedSpinBox_2_valueChanged(int)
{
}

void LampLight::on_LightMod_editTextChanged(const QString&)
{
}

void LampLight::on_LightMod_activated(int)
{
}

void LampLight::on_StopCloseTime_activated(int index)
{
    if (!UiSendsChanges.load() || LightLoading.load())
        return;
    if (index >= 0 && index < StopCloseTime::ItemCount)
        SetStopCloseTime(StopCloseTime::SleepTimeCodes[size_t(index)]);
}

void LampLight::on_LightMod_currentIndexChanged(int index)
{
    if (UiSendsChanges.load() && !LightLoading.load())
        SetLightMode(index);
    ShowModeLayout(index);
}

void LampLight::ShowModeLayout(int index)
{
    // An empty combo (a fill with a mode beyond the list) keeps the layout it had.
    if (index < 0 || index > 6)
        return;
    const LightModeLayout layout = LightModeLayoutFor(index);
    const bool colour = layout.colour;
    const bool brightness = layout.brightness;
    const bool speed = layout.speed;
    for (QWidget* w : {static_cast<QWidget*>(m_ui->label_6), static_cast<QWidget*>(m_ui->label_7),
                       static_cast<QWidget*>(m_ui->label_8), static_cast<QWidget*>(m_ui->labelPreView),
                       static_cast<QWidget*>(m_ui->label_10), static_cast<QWidget*>(m_ui->label_11),
                       static_cast<QWidget*>(m_ui->label_12), static_cast<QWidget*>(m_ui->RSpinBox),
                       static_cast<QWidget*>(m_ui->GSpinBox), static_cast<QWidget*>(m_ui->BSpinBox),
                       static_cast<QWidget*>(m_ui->AddR), static_cast<QWidget*>(m_ui->AddG),
                       static_cast<QWidget*>(m_ui->AddB), static_cast<QWidget*>(m_ui->ReduceR),
                       static_cast<QWidget*>(m_ui->ReduceG), static_cast<QWidget*>(m_ui->ReduceB),
                       static_cast<QWidget*>(m_ui->label_13)})
        w->setVisible(colour);
    for (const LightColorPreset& preset : LightColorPresets) {
        if (QWidget* button =
                m_ui->LightPage->findChild<QWidget*>(QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter)))
            button->setVisible(colour);
    }
    m_ui->horizontalLight->setVisible(brightness);
    m_ui->LightSpinBox_2->setVisible(brightness);
    m_ui->line->setVisible(!brightness);
    m_ui->horizontalSpeed->setVisible(speed);
    m_ui->SpeedSpinBox_2->setVisible(speed);
    m_ui->line_2->setVisible(!speed);
}

void LampLight::SlotUpDataLightUILight(FlashDataMap DataMap)
{
    m_ui->horizontalLight->setEnabled(true);
    m_ui->horizontalSpeed->setEnabled(true);
    // The update dialog waits for this flag after a full read.
    LightLoaded.store(0);
    LoadRecord(DataMap);
    LightLoaded.store(1);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap DataMap)
{
    // A record not read from the device: brightness and speed wait for the next full read.
    m_ui->horizontalLight->setEnabled(false);
    m_ui->horizontalSpeed->setEnabled(false);
    LoadRecord(DataMap);
}

void LampLight::LoadRecord(const FlashDataMap& record)
{
    LightLoading.store(1);
    {
        const QSignalBlocker light(m_ui->horizontalLight);
        const QSignalBlocker speed(m_ui->horizontalSpeed);
        const QSignalBlocker red(m_ui->RSpinBox);
        const QSignalBlocker green(m_ui->GSpinBox);
        const QSignalBlocker blue(m_ui->BSpinBox);
        // The widgets clamp to 1..10.
        m_ui->horizontalLight->setValue(record.lightBrightness + 1);
        m_ui->horizontalSpeed->setValue(record.lightSpeed + 1);
        m_ui->LightSpinBox_2->setValue(record.lightBrightness + 1);
        m_ui->SpeedSpinBox_2->setValue(record.lightSpeed + 1);
        m_ui->RSpinBox->setValue(record.lightColor[0]);
        m_ui->GSpinBox->setValue(record.lightColor[1]);
        m_ui->BSpinBox->setValue(record.lightColor[2]);
        UpdateLightPreview(record.lightColor[0], record.lightColor[1], record.lightColor[2]);
    }
    // Not blocked: a changed mode lays the page out; LightLoading keeps it from writing.
    m_ui->LightMod->setCurrentIndex(record.lightOn ? int(record.lightMode) : 0);
    m_ui->RippeControl->setChecked(record.lightOffWhileMoving != 0);
    m_ui->frameClose->SetStopCloseIndex(StopCloseTime::StopCloseIndexOfSeconds(record.stopCloseTime * 10));
    LightLoading.store(0);
}

void LampLight::SlotFormResetLight()
{
    // Shown while the device is offline without a cached record: nothing is sent, the colour
    // stays as it was.
    LightLoading.store(1);
    m_ui->LightMod->setCurrentIndex(1);
    m_ui->horizontalLight->setValue(10);
    m_ui->horizontalSpeed->setValue(8);
    m_ui->LightSpinBox_2->setValue(10);
    m_ui->SpeedSpinBox_2->setValue(8);
    m_ui->RippeControl->setChecked(false);
    m_ui->frameClose->SetStopCloseIndex(2);
    LightLoading.store(0);
}

uchar LampLight::ByteToQString(uchar a)
{
    return a;
}

void LampLight::on_RippeControl_clicked(bool checked)
{
    if (UiSendsChanges.load() && !LightLoading.load())
        SetLightOffWhileMoving(checked ? 1 : 0);
}

void LampLight::on_horizontalLight_sliderMoved(int position)
{
    m_ui->LightSpinBox_2->setValue(position);
}

void LampLight::on_horizontalSpeed_sliderMoved(int position)
{
    m_ui->SpeedSpinBox_2->setValue(position);
}

void LampLight::PickScreenColor()
{
    if (!LightDeviceOnline())
        return;
    // No colour (no screen at the point, no grab): the page stays and nothing is sent.
    const std::optional<QColor> colour = ScreenColor::ColorUnderCursor();
    if (!colour)
        return;
    const int red = colour->red();
    const int green = colour->green();
    const int blue = colour->blue();
    m_ui->RSpinBox->setValue(red);
    m_ui->GSpinBox->setValue(green);
    m_ui->BSpinBox->setValue(blue);
    UpdateLightPreview(red, green, blue);
}

void LampLight::SlotAllLanguage(int index)
{
    const auto text = [index](int position) { return LangText(LangTable::LightTexts, index, position); };
    m_ui->label->setText(text(0));
    for (int item = 0; item < 7; ++item)
        m_ui->LightMod->setItemText(item, text(1 + item));
    m_ui->label_2->setText(text(8));
    m_ui->label_3->setText(text(9));
    m_ui->label_4->setText(text(10));
    m_ui->label_5->setText(text(11));
    for (int item = 0; item < StopCloseTime::ItemCount; ++item)
        m_ui->frameClose->SetStopCloseItemText(item, text(12 + item));
    m_ui->label_6->setText(text(23));
    m_ui->label_8->setText(text(24));
    m_ui->label_13->setText(text(25));
    m_ui->label_11->setText(text(26));
    m_ui->label_10->setText(text(27));
    m_ui->label_12->setText(text(28));
}
