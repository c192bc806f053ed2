#ifndef LAMPLIGHT_H
#define LAMPLIGHT_H

#include "hidusb/flashdatamap.h"

#include <QScopedPointer>
#include <QString>
#include <QWidget>

class QButtonGroup;
class QSpinBox;

namespace Ui {
class LampLight;
}

// The lighting page: light mode, colour, brightness, speed, lights off while moving and the
// sleep time. It shows each record the hub delivers and writes every user change at once
// through the record setters; the sleep-time frame writes its own setting.
class LampLight : public QWidget
{
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);
    ~LampLight() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_RSpinBox_valueChanged(int value);
    void on_GSpinBox_valueChanged(int value);
    void on_BSpinBox_valueChanged(int value);
    void on_toolButtonColorA_clicked();
    void on_toolButtonColorB_clicked();
    void on_toolButtonColorC_clicked();
    void on_toolButtonColorD_clicked();
    void on_toolButtonColorE_clicked();
    void on_toolButtonColorF_clicked();
    void on_toolButtonColorG_clicked();
    void on_toolButtonColorH_clicked();
    void on_toolButtonColorI_clicked();
    void on_toolButtonColorJ_clicked();
    void on_toolButtonColorK_clicked();
    void on_toolButtonColorL_clicked();
    void on_toolButtonColorM_clicked();
    void on_toolButtonColorN_clicked();
    void on_horizontalLight_valueChanged(int value);
    void on_horizontalSpeed_valueChanged(int value);
    void on_LightSpinBox_2_valueChanged(int value);
    void on_SpeedSpinBox_2_valueChanged(int value);
    void on_LightMod_editTextChanged(const QString& text);
    void on_LightMod_activated(int index);
    void on_LightMod_currentIndexChanged(int index);

public slots:
    void SlotUpDataLightUILight(FlashDataMap DataMap);
    void SlotUpDataLightUIA(FlashDataMap DataMap);
    void SlotFormResetLight();
    uchar ByteToQString(uchar a);

private slots:
    void on_RippeControl_clicked(bool checked);
    void on_horizontalLight_sliderMoved(int position);
    void on_horizontalSpeed_sliderMoved(int position);

public slots:
    void SlotAllLanguage(int index);

private:
    // No child bears this name (the sleep-time frame is frameClose), so it is no slot: the
    // frame writes the sleep time itself.
    void on_StopCloseTime_activated(int index);
    void ApplySkin();
    void ShowModeLayout(int index);
    void LoadRecord(const FlashDataMap& record);
    void UpdateLightPreview(int red, int green, int blue);
    // False (and the offline notice raised) when a colour control must not act.
    bool LightDeviceOnline();
    void StepChannel(QSpinBox* box, int step);
    void ApplyPreset(int index);
    void PickScreenColor();

    const QScopedPointer<Ui::LampLight> m_ui;
    QString SkinFolder;
    QButtonGroup* ButtonGroup = nullptr;
};

#endif
