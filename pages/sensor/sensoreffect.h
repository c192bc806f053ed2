#ifndef SENSOREFFECT_H
#define SENSOREFFECT_H

#include <QFrame>
#include <QScopedPointer>
#include <QString>

#include <array>

namespace Ui {
class SensorEffect;
}

// The sensor page's DPI light: effect mode (off, steady, breathing), speed and brightness.
// Each user change writes its field; a slider the mode does not use is hidden behind a grey
// line. The page fills the frame from the records and gives it its texts.
class SensorEffect : public QFrame
{
    Q_OBJECT
public:
    enum EffectMode { EffectOff = 0, EffectSteady = 1, EffectBreathing = 2, EffectModeCount = 3 };

    // The record's dpiEffectBrightness for brightness steps 1 to 10 (index = step - 1).
    static constexpr int BrightnessStepCount = 10;
    static const std::array<quint8, BrightnessStepCount> DpiEffectBrightnessSteps;
    // The step (1 to 10) of a stored brightness, or the value itself when no step has it;
    // the slider then bounds it.
    static int BrightnessStepOf(int brightness);

    explicit SensorEffect(QWidget* parent = nullptr);
    ~SensorEffect() override;

    // Selects a mode (0 to 2) and shows its rows; other modes change nothing. The list's
    // signal is not blocked: a real change is written unless the page is loading.
    void SetEffectMode(int mode);
    // The slider bounds the value (speed 1 to 5, step 1 to 10); a change is written unless
    // the page is loading.
    void SetEffectSpeed(int speed);
    void SetEffectBrightnessStep(int step);
    void SetEffectSlidersEnabled(bool enabled);
    void SetEffectItemText(int index, const QString& text);
    void SetEffectTitleText(const QString& text);
    void SetSpeedLabelText(const QString& text);
    void SetBrightnessLabelText(const QString& text);

private slots:
    void on_Model_currentIndexChanged(int index);
    void on_SpeedH_valueChanged(int value);
    void on_SpeedH_sliderMoved(int position);
    void on_LightH_valueChanged(int value);
    void on_LightH_sliderMoved(int position);

private:
    void ApplySkin();
    void ShowRows(int mode);

    const QScopedPointer<Ui::SensorEffect> m_ui;
    QString ImageFolder;
};

#endif
