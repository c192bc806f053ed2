#include "pages/sensor/sensoreffect.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "ui/widgets/skin.h"

#include "ui_sensoreffect.h"

#include <QSignalBlocker>

#include <algorithm>

const std::array<quint8, SensorEffect::BrightnessStepCount> SensorEffect::DpiEffectBrightnessSteps = {
    {16, 30, 60, 90, 128, 150, 180, 210, 230, 255}};

namespace {

// The frame writes only the user's changes: not while the page fills it, not before the
// device pages are shown.
bool WritesAllowed()
{
    return UiSendsChanges.load() && !SensorLoading.load();
}

} // namespace

int SensorEffect::BrightnessStepOf(int brightness)
{
    const auto& steps = DpiEffectBrightnessSteps;
    const auto found = std::find(steps.begin(), steps.end(), brightness);
    return found == steps.end() ? brightness : int(found - steps.begin()) + 1;
}

SensorEffect::SensorEffect(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::SensorEffect)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    ImageFolder = Skin::Folder(QStringLiteral("Sensor"));
    ApplySkin();
}

SensorEffect::~SensorEffect() = default;

void SensorEffect::ApplySkin()
{
    const QString label = Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor")));
    m_ui->label->setStyleSheet(label);
    m_ui->label_14->setStyleSheet(label);
    m_ui->label_15->setStyleSheet(label);

    Skin::ApplyComboSkin(m_ui->Model, ImageFolder, true);

    const QString slider =
        QStringLiteral("QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
                       "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: -9px;"
                       "margin-left: 0px; margin-bottom: -9px;margin-right: 0px; border-image: url(")
        + ImageFolder + QStringLiteral("HuaKuai.png")
        + Skin::SliderPagesStyle(Skin::OptionColor(QStringLiteral("SliderColor")));
    m_ui->SpeedH->setStyleSheet(slider);
    m_ui->LightH->setStyleSheet(slider);

    const QString number = Skin::ValueMirrorStyle(Skin::OptionColor(QStringLiteral("LabelColor")));
    m_ui->SpeedSpinBox->setStyleSheet(number);
    m_ui->LightSpinBox->setStyleSheet(number);
}

void SensorEffect::ShowRows(int mode)
{
    if (mode < EffectOff || mode >= EffectModeCount)
        return;
    const QSignalBlocker speedBlocker(m_ui->SpeedH);
    const QSignalBlocker lightBlocker(m_ui->LightH);
    const bool speed = mode == EffectBreathing;
    const bool light = mode == EffectSteady;
    m_ui->SpeedH->setVisible(speed);
    m_ui->SpeedSpinBox->setVisible(speed);
    m_ui->line->setVisible(!speed);
    m_ui->LightH->setVisible(light);
    m_ui->LightSpinBox->setVisible(light);
    m_ui->line_2->setVisible(!light);
}

void SensorEffect::SetEffectMode(int mode)
{
    // The list has no item for other modes; selecting one would empty it.
    if (mode < EffectOff || mode >= EffectModeCount)
        return;
    m_ui->Model->setCurrentIndex(mode);
    ShowRows(mode);
}

void SensorEffect::SetEffectSpeed(int speed)
{
    m_ui->SpeedH->setValue(speed);
}

void SensorEffect::SetEffectBrightnessStep(int step)
{
    m_ui->LightH->setValue(step);
}

void SensorEffect::SetEffectSlidersEnabled(bool enabled)
{
    m_ui->SpeedH->setEnabled(enabled);
    m_ui->LightH->setEnabled(enabled);
}

void SensorEffect::SetEffectItemText(int index, const QString& text)
{
    m_ui->Model->setItemText(index, text);
}

void SensorEffect::SetEffectTitleText(const QString& text)
{
    m_ui->label->setText(text);
}

void SensorEffect::SetSpeedLabelText(const QString& text)
{
    m_ui->label_14->setText(text);
}

void SensorEffect::SetBrightnessLabelText(const QString& text)
{
    m_ui->label_15->setText(text);
}

void SensorEffect::on_Model_currentIndexChanged(int index)
{
    ShowRows(index);
    if (index < EffectOff || index >= EffectModeCount || !WritesAllowed())
        return;
    SetDpiEffectMode(index);
}

void SensorEffect::on_SpeedH_valueChanged(int value)
{
    m_ui->SpeedSpinBox->setValue(value);
    if (WritesAllowed())
        SetDpiEffectSpeed(value);
}

void SensorEffect::on_SpeedH_sliderMoved(int position)
{
    m_ui->SpeedSpinBox->setValue(position);
}

void SensorEffect::on_LightH_valueChanged(int value)
{
    m_ui->LightSpinBox->setValue(value);
    // The slider's range keeps the step inside the table.
    const int step = std::clamp(value, 1, BrightnessStepCount);
    if (WritesAllowed())
        SetDpiEffectBrightness(DpiEffectBrightnessSteps[step - 1]);
}

void SensorEffect::on_LightH_sliderMoved(int position)
{
    m_ui->LightSpinBox->setValue(position);
}
