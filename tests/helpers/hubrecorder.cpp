#include "helpers/hubrecorder.h"

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/timing.h"

#include "hidusb/hidsim.h"

#include <QCoreApplication>

HubRecorder::HubRecorder(QObject* parent)
    : QObject(parent)
{
    PostMsg::Connect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotButton(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataLightLight(FlashDataMap)), this, SLOT(SlotLight(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), this, SLOT(SlotSensor(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotDpiLed(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataLightUIA(FlashDataMap)), this, SLOT(SlotLightUIA(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotSensorUIB(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotButtonUIC(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigForm()), this, SLOT(SlotForm()));
    PostMsg::Connect(SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()));
    PostMsg::Connect(SIGNAL(SigUpDataParam(int)), this, SLOT(SlotParam(int)));
    PostMsg::Connect(SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotReportRate(int)));
    PostMsg::Connect(SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotDpi(int)));
    PostMsg::Connect(SIGNAL(SigBattery(bool,int,bool)), this, SLOT(SlotBattery(bool,int,bool)));
    PostMsg::Connect(SIGNAL(SigUpDataConfigUI(int,int,bool)), this, SLOT(SlotConfigUI(int,int,bool)));
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGB(DongleRGB*)));
    PostMsg::Connect(SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRange(bool)));
    PostMsg::Connect(SIGNAL(SigSetver(int)), this, SLOT(SlotSetver(int)));
    PostMsg::Connect(SIGNAL(SigMouseOffLineo(int)), this, SLOT(SlotOffline(int)));
    PostMsg::Connect(SIGNAL(SigCloseOffOnline()), this, SLOT(SlotCloseOffline()));
    PostMsg::Connect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));
    PostMsg::Connect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
}

QStringList HubRecorder::names() const
{
    QStringList out;
    for (const Event& e : events)
        out << e.name;
    return out;
}

int HubRecorder::count(const QString& name) const
{
    int n = 0;
    for (const Event& e : events)
        n += e.name == name ? 1 : 0;
    return n;
}

const HubRecorder::Event* HubRecorder::last(const QString& name) const
{
    for (int i = events.size() - 1; i >= 0; --i)
        if (events.at(i).name == name)
            return &events.at(i);
    return nullptr;
}

QStringList HubRecorder::namesStartingWith(const QString& prefix) const
{
    QStringList out;
    for (const Event& e : events)
        if (e.name.startsWith(prefix))
            out << e.name;
    return out;
}

void HubRecorder::add(const QString& name, const FlashDataMap* record)
{
    Event e;
    e.name = name;
    if (record)
        e.record = QByteArray(reinterpret_cast<const char*>(record), int(sizeof *record));
    e.libraryCallbackRunning = HidSim::PendingAnswers() > 0;
    e.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    e.windowShown = windowShown && windowShown();
    e.at = Timing::MonotonicMs();
    events << e;
    if (onEvent)
        onEvent(name);
}

void HubRecorder::SlotButton(FlashDataMap DataMap)
{
    add(QStringLiteral("Button"), &DataMap);
    if (setsLoadedFlags)
        ButtonLoaded.store(1);
}

void HubRecorder::SlotLight(FlashDataMap DataMap)
{
    add(QStringLiteral("Light"), &DataMap);
    if (setsLoadedFlags)
        LightLoaded.store(1);
}

void HubRecorder::SlotSensor(FlashDataMap DataMap)
{
    add(QStringLiteral("Sensor"), &DataMap);
    if (setsLoadedFlags)
        SensorLoaded.store(1);
}

void HubRecorder::SlotDpiLed(FlashDataMap DataMap) { add(QStringLiteral("DpiLed"), &DataMap); }
void HubRecorder::SlotLightUIA(FlashDataMap DataMap) { add(QStringLiteral("LightUIA"), &DataMap); }
void HubRecorder::SlotSensorUIB(FlashDataMap DataMap) { add(QStringLiteral("SensorUIB"), &DataMap); }
void HubRecorder::SlotButtonUIC(FlashDataMap DataMap) { add(QStringLiteral("ButtonUIC"), &DataMap); }
void HubRecorder::SlotFormB() { add(QStringLiteral("FormB")); }
void HubRecorder::SlotForm() { add(QStringLiteral("Form")); }
void HubRecorder::SlotFormReset() { add(QStringLiteral("FormReset")); }
void HubRecorder::SlotParam(int index) { add(QStringLiteral("Param:%1").arg(index)); }
void HubRecorder::SlotReportRate(int index) { add(QStringLiteral("ReportRate:%1").arg(index)); }
void HubRecorder::SlotDpi(int index) { add(QStringLiteral("Dpi:%1").arg(index)); }
void HubRecorder::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    add(QStringLiteral("Battery:%1,%2,%3").arg(int(IsCharg)).arg(Number).arg(int(IsText)));
}
void HubRecorder::SlotConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    add(QStringLiteral("ConfigUI:%1,%2,%3").arg(ToTalItem).arg(SelectIndex).arg(int(ItemEnable)));
}
void HubRecorder::SlotRGB(DongleRGB* Rgb) { add(QStringLiteral("RGB:%1").arg(Rgb ? Rgb->mode : -1)); }
void HubRecorder::SlotLongRange(bool Select) { add(QStringLiteral("LongRange:%1").arg(int(Select))); }
void HubRecorder::SlotSetver(int index) { add(QStringLiteral("Setver:%1").arg(index)); }
void HubRecorder::SlotOffline(int index) { add(QStringLiteral("Offline:%1").arg(index)); }
void HubRecorder::SlotCloseOffline() { add(QStringLiteral("CloseOffline")); }
void HubRecorder::SlotChangeMainDialog(int index) { add(QStringLiteral("ChangeMainDialog:%1").arg(index)); }
void HubRecorder::SlotLabelTextB(QString TextA, QString Text)
{
    add(QStringLiteral("LabelTextB:%1|%2").arg(TextA, Text));
}
