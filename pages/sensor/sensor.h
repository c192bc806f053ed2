#ifndef SENSOR_H
#define SENSOR_H

#include "hidusb/flashdatamap.h"

#include <QScopedPointer>
#include <QString>
#include <QWidget>

#include <array>

class QListView;

namespace Ui {
class Sensor;
}

// The sensor page: DPI levels, report rate, lift-off distance, sensor mode, full-performance
// time and the DPI light. It fills its frames from each record the hub delivers and applies
// the device's rules (modes offered, layout, rates); the frames write their own settings, the
// page writes the sensor mode and the performance pair.
class Sensor : public QWidget
{
    Q_OBJECT
public:
    // ModelChoose items: the index is the stored modelChoose; "Corded" is never written.
    static constexpr int CordedMode = 2;
    // PerformanceOpen items: performanceOpen in tens of seconds.
    static const std::array<quint8, 6> PerformanceOpenCodes;

    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;

public slots:
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotUpDataReportRate(int index);
    void SlotUpDataDPI(int index);
    void SlotUpDataDPILed(FlashDataMap DataMap);
    void SlotHideModel(int index);
    void SlotAllLanguage(int index);

protected:
    void changeEvent(QEvent* event) override;

private slots:
    void on_ModelChoose_currentIndexChanged(int index);
    void on_Performance_clicked(bool checked);
    void on_Performance_toggled(bool checked);
    void on_PerformanceOpen_currentIndexChanged(int index);

private:
    void ApplySkin();
    void LoadRecord(const FlashDataMap& record);
    void ShowDpiLight(const FlashDataMap& record);
    void ShowLayout(int xIn1);
    // The forced "Corded" mode while the rate or the cable asks for it, and the stored mode
    // back otherwise. Both select without writing: neither changes the stored mode.
    void ForceCordedMode();
    void RestoreSensorMode();

    const QScopedPointer<Ui::Sensor> m_ui;
    QString PictureFolder;
    QListView* ModelChooseView = nullptr;
    // The form's pointers are set one by one while it is built; change events come meanwhile.
    bool FormReady = false;
};

#endif
