#include "core/devicestate.h"

#include "core/configini.h"

#include "hidusb/HIDUsb.h"

std::recursive_mutex& DeviceStateMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

Guarded<FlashDataMap> DeviceConfig{ZeroFlashDataMap()};
Guarded<DeviceAllInfo> CurrentDevice;
Guarded<QByteArray> CurrentDevicePath;
Guarded<DeviceList> FoundDeviceList;
Guarded<DeviceList> WorkerDeviceList;
Guarded<QString> SelectedCacheName;
Guarded<QString> DeviceInfoCacheName;
Guarded<QByteArray> DeviceConfigPath;
Guarded<QByteArray> ServicePath;
Guarded<quint32> ServiceBinding;
Guarded<DeviceAllInfo> PairChosenDevice;
std::atomic<bool> PairChosen{false};

static DongleRGB TheDongleRGB{};
DongleRGB* const CurrentDongleRGB = &TheDongleRGB;
std::atomic<Worker*> WorkerThread{nullptr};

std::atomic<quint8> UiSendsChanges{0};
std::atomic<quint8> SensorLoading{0};
std::atomic<quint8> LightLoading{0};
std::atomic<quint8> ButtonLoading{0};
std::atomic<quint8> SensorLoaded{0};
std::atomic<quint8> LightLoaded{0};
std::atomic<quint8> ButtonLoaded{0};
std::atomic<quint8> MacroRecording{0};
std::atomic<int> MainPageActive{0};
std::atomic<quint8> DeviceWatchEnabled{1};
std::atomic<quint8> DeviceReloadPending{0};
std::atomic<quint8> DeviceOnline{0};
std::atomic<quint8> ServerOnlineState{0};
std::atomic<quint8> DeviceDataLoaded{0};
std::atomic<quint8> OfflineCheckPending{0};
std::atomic<quint8> RestartWorkerPending{0};
std::atomic<quint8> SettingsBusy{0};
std::atomic<int> ImportRunning{0};

QByteArray PlaceholderDevicePath()
{
    return QByteArrayLiteral("a");
}

bool DeviceConfigHoldsChosenDevice()
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    const QByteArray held = DeviceConfigPath.get();
    return !held.isEmpty() && held != PlaceholderDevicePath() && held == CurrentDevicePath.get()
        && held == ServicePath.get() && DeviceInfoCacheName.get() == SelectedCacheName.get();
}

bool SendRecordToBoundDevice(const FlashDataMap& record, quint32 binding)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    const quint32 current = ServiceBinding.get();
    if (!DeviceConfigHoldsChosenDevice() || current == 0 || (binding != 0 && binding != current))
        return false;
    // The library refuses too when the binding ended behind the program's back.
    return ProtocolDataUpdateOnBinding(&record, current) != 0;
}

quint32 CurrentDeviceIndex()
{
    return CurrentDevice.read([](const DeviceAllInfo& d) { return d.DriveIndex; });
}

QString DeviceSection(quint32 driveIndex)
{
    return QStringLiteral("Drive") + QString::number(qint64(driveIndex) + 1);
}

QString CurrentDeviceSection()
{
    return DeviceSection(CurrentDeviceIndex());
}

QStringList CurrentAdvancedOptions()
{
    QStringList items = ConfigIni::instance()->valueList(CurrentDeviceSection(), QStringLiteral("Adveanced"));
    for (QString& item : items)
        item = item.trimmed();
    while (items.size() < 2)
        items << QStringLiteral("-1");
    return items;
}

bool ReceiverLedOptionApplies()
{
    const DeviceAllInfo device = CurrentDevice.get();
    return CurrentAdvancedOptions().at(1) != QLatin1String("-1") && device.Wired != 1 && device.ConnectionType == 1;
}

void ResetDeviceState()
{
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        DeviceConfig.set(ZeroFlashDataMap());
        CurrentDevice.set(DeviceAllInfo());
        CurrentDevicePath.set(QByteArray());
        FoundDeviceList.set(DeviceList());
        WorkerDeviceList.set(DeviceList());
        SelectedCacheName.set(QString());
        DeviceInfoCacheName.set(QString());
        DeviceConfigPath.set(QByteArray());
        ServicePath.set(QByteArray());
        ServiceBinding.set(0);
        PairChosenDevice.set(DeviceAllInfo());
        TheDongleRGB = DongleRGB{};
    }
    for (auto* flag : {&UiSendsChanges, &SensorLoading, &LightLoading, &ButtonLoading, &SensorLoaded,
                       &LightLoaded, &ButtonLoaded, &MacroRecording, &DeviceReloadPending, &DeviceOnline, &ServerOnlineState,
                       &DeviceDataLoaded, &OfflineCheckPending, &RestartWorkerPending, &SettingsBusy})
        flag->store(0);
    DeviceWatchEnabled.store(1);
    MainPageActive.store(0);
    ImportRunning.store(0);
    PairChosen.store(false);
}
