#ifndef DEVICESTATE_H
#define DEVICESTATE_H

// Process-wide state of the device link. The flags are atomics; the record, the chosen
// device, its path and the device lists sit behind one mutex and are read as copies.
// Never hold the state lock across a signal emit or a library call that can call back.

#include "core/deviceallinfo.h"
#include "hidusb/flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

class Worker;

// The one lock of the shared device state; recursive so that a guarded update may read
// another guarded value on the same thread.
std::recursive_mutex& DeviceStateMutex();

template <typename T>
class Guarded
{
public:
    Guarded() = default;
    explicit Guarded(const T& initial) : m_value(initial) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    T get() const
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        return m_value;
    }
    void set(const T& value)
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        m_value = value;
    }
    // Runs f on the value under the lock. f must not emit signals or call the library.
    template <typename F>
    auto update(F&& f) -> decltype(f(std::declval<T&>()))
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        return f(m_value);
    }
    template <typename F>
    auto read(F&& f) const -> decltype(f(std::declval<const T&>()))
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        return f(m_value);
    }

private:
    T m_value{};
};

using DeviceList = QList<DeviceAllInfo>;

extern Guarded<FlashDataMap> DeviceConfig;
extern Guarded<DeviceAllInfo> CurrentDevice;
extern Guarded<QByteArray> CurrentDevicePath;
extern Guarded<DeviceList> FoundDeviceList;
extern Guarded<DeviceList> WorkerDeviceList;
extern Guarded<QString> SelectedCacheName;
extern Guarded<QString> DeviceInfoCacheName;

// Which device DeviceConfig holds: the path the service was bound to when its last full
// read arrived (empty until then), and the path the device service is bound to now.
extern Guarded<QByteArray> DeviceConfigPath;
extern Guarded<QByteArray> ServicePath;
// The library's number of the binding the program made last (0: none). Set together with
// ServicePath under the state lock; a report delivered under another binding is stale.
extern Guarded<quint32> ServiceBinding;
// The path that names no device, used until a device is chosen and found.
QByteArray PlaceholderDevicePath();
// True while DeviceConfig holds a full read of the chosen device and the service is bound to
// that device, so it may be sent to it.
bool DeviceConfigHoldsChosenDevice();
// Sends the record to the bound device under the state lock, only while DeviceConfig holds
// that device's full read and the binding is still binding (0: the program's current one).
// False when refused or not written.
bool SendRecordToBoundDevice(const FlashDataMap& record, quint32 binding = 0);

// The section index of the chosen device ("Drive" + index + 1).
quint32 CurrentDeviceIndex();
// A device's section in Config.ini: "Drive" + (index + 1).
QString DeviceSection(quint32 driveIndex);
// The chosen device's section.
QString CurrentDeviceSection();
// The chosen device's "Adveanced" items of its section, trimmed, at least two: item 0 the
// long-range option, item 1 the receiver LED option ("-1" for an option the model lacks).
QStringList CurrentAdvancedOptions();
// The receiver LED option applies: the model has it and the chosen device is reached through
// a 4 kHz receiver (connection type 1), not on its cable.
bool ReceiverLedOptionApplies();

// The device the pairing dialog pairs while the device pages are not active, when PairChosen
// is set (a click on a device button stores it; Space on the choice page clears the flag).
extern Guarded<DeviceAllInfo> PairChosenDevice;
extern std::atomic<bool> PairChosen;

extern DongleRGB* const CurrentDongleRGB;
extern std::atomic<Worker*> WorkerThread;

extern std::atomic<quint8> UiSendsChanges;
extern std::atomic<quint8> SensorLoading;
extern std::atomic<quint8> LightLoading;
extern std::atomic<quint8> ButtonLoading;
extern std::atomic<quint8> SensorLoaded;
extern std::atomic<quint8> LightLoaded;
extern std::atomic<quint8> ButtonLoaded;
extern std::atomic<quint8> MacroRecording;
extern std::atomic<int> MainPageActive;
extern std::atomic<quint8> DeviceWatchEnabled;
extern std::atomic<quint8> DeviceReloadPending;
extern std::atomic<quint8> DeviceOnline;
// The presence of the device when the service was last started; 0 makes the next pass read.
extern std::atomic<quint8> ServerOnlineState;
extern std::atomic<quint8> DeviceDataLoaded;
extern std::atomic<quint8> OfflineCheckPending;
extern std::atomic<quint8> RestartWorkerPending;
extern std::atomic<quint8> SettingsBusy;
extern std::atomic<int> ImportRunning;

// Puts every value above back to its start value (tests and a fresh run).
void ResetDeviceState();

#endif
