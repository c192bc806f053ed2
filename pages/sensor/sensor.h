#ifndef SENSOR_H
#define SENSOR_H

#include "hidusb/flashdatamap.h"

#include <QWidget>

// Sensor page (placeholder until the page is built).
class Sensor : public QWidget
{
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);

public slots:
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotUpDataReportRate(int index);
    void SlotUpDataDPI(int index);
    void SlotUpDataDPILed(FlashDataMap DataMap);
};

#endif
