#ifndef HUBRECORDER_H
#define HUBRECORDER_H

#include "hidusb/flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <functional>

// Stands in for the pages on the hub: records, in order, what the device link hands them,
// with the connection types the pages use.
class HubRecorder : public QObject
{
    Q_OBJECT
public:
    struct Event {
        QString name;          // "Button", "Light", "Sensor", "Form", "FormReset", "Param:0", ...,
                               // and the update dialog's "LightUIA", "SensorUIB", "ButtonUIC", "FormB"
        QByteArray record;     // the record carried, if any
        bool libraryCallbackRunning; // a library callback was still running (waiting) meanwhile
        bool onGuiThread;
        bool windowShown;      // what windowShown() said at that moment (false without it)
        qint64 at;             // Timing::MonotonicMs() when it arrived
    };

    explicit HubRecorder(QObject* parent = nullptr);
    // Sets the loaded flags as the real pages do, so the update waits see them.
    bool setsLoadedFlags = true;

    // Runs after each recorded event, on the thread of the slot (the GUI thread), while the
    // emitter waits: a test acts here at a chosen point of the device link's work.
    std::function<void(const QString& name)> onEvent;
    // Asked with each event, e.g. whether a dialog was still open when the pages were told.
    std::function<bool()> windowShown;

    QList<Event> events;
    QStringList names() const;
    int count(const QString& name) const;
    const Event* last(const QString& name) const;
    // The events' names that start with prefix, in order.
    QStringList namesStartingWith(const QString& prefix) const;
    void clear() { events.clear(); }

public slots:
    void SlotButton(FlashDataMap DataMap);
    void SlotLight(FlashDataMap DataMap);
    void SlotSensor(FlashDataMap DataMap);
    void SlotDpiLed(FlashDataMap DataMap);
    void SlotLightUIA(FlashDataMap DataMap);
    void SlotSensorUIB(FlashDataMap DataMap);
    void SlotButtonUIC(FlashDataMap DataMap);
    void SlotFormB();
    void SlotForm();
    void SlotFormReset();
    void SlotParam(int index);
    void SlotReportRate(int index);
    void SlotDpi(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotRGB(DongleRGB* Rgb);
    void SlotLongRange(bool Select);
    void SlotSetver(int index);
    void SlotOffline(int index);
    void SlotCloseOffline();
    void SlotChangeMainDialog(int index);
    void SlotLabelTextB(QString TextA, QString Text);

private:
    void add(const QString& name, const FlashDataMap* record = nullptr);
};

#endif
