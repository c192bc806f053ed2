#include "pages/sensor/sensor.h"

#include "core/devicestate.h"
#include "core/postmsg.h"

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Sensor"));
    PostMsg::Connect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), this, SLOT(SlotUpDataSenSorUISensor(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotUpDataSenSorUIB(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()));
    PostMsg::Connect(SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)));
    PostMsg::Connect(SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)));
    PostMsg::Connect(SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotUpDataDPILed(FlashDataMap)));
}

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap)
{
    SensorLoaded.store(0);
    SensorLoading.store(1);
    SensorLoading.store(0);
    SensorLoaded.store(1);
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap)
{
    SensorLoading.store(1);
    SensorLoading.store(0);
}

void Sensor::SlotFormReset()
{
    SensorLoading.store(1);
    SensorLoading.store(0);
}

void Sensor::SlotUpDataReportRate(int) {}
void Sensor::SlotUpDataDPI(int) {}
void Sensor::SlotUpDataDPILed(FlashDataMap) {}
