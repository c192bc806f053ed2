#include "device/worker.h"

#include "core/configini.h"
#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicedatacallback.h"

#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <mutex>
#include <QTimer>
#include <QtDebug>

QTimer* WorkerPollTimer = nullptr;

namespace {
// Requests for a pass, counted; a pass serves the requests made before it began. A request
// made while a pass runs is served by another pass when that one ends (a running thread
// ignores start(), and the ending pass would clear the pending flag).
std::atomic<unsigned> g_passRequests{0};
std::atomic<unsigned> g_passesServed{0};

bool presentNow()
{
    const QByteArray path = CurrentDevicePath.get();
    return (UsbFinderC_GetDeviceOnLine(path.constData()) & 0xFF) != 0;
}
}

namespace {
void bind(const QByteArray& path, HidUsbDataCallback callback)
{
    // The library never calls back inside these calls, so the lock may cover them.
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    UsbServerC_Start(path.constData(), path.constData(), callback);
    ServicePath.set(path);
    ServiceBinding.set(UsbServer_GetBinding());
}
}

void BindDeviceService(const QByteArray& path)
{
    bind(path, DeviceDataCallback);
}

void BindPairingService(const QByteArray& path, HidUsbDataCallback callback)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    DeviceConfigPath.set(QByteArray());
    bind(path, callback);
}

void RebindAfterPairing()
{
    BindDeviceService(CurrentDevicePath.get());
    if (!DeviceConfigHoldsChosenDevice())
        RequestReadPass();
}

void StopDeviceService()
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    UsbServer_Exit();
    ServicePath.set(QByteArray());
    ServiceBinding.set(0);
}

void CancelWorkerRun()
{
    DeviceReloadPending.store(0);
}

void StartWorkerPass()
{
    DeviceReloadPending.store(1);
    g_passRequests.fetch_add(1);
    if (Worker* w = WorkerThread.load())
        w->start();
}

void PrepareResetReadPass()
{
    ServerOnlineState.store(0);
}

void CreateRunWorker()
{
    if (!WorkerThread.load())
        WorkerThread.store(new Worker(nullptr));
}

void EndRunWorker()
{
    if (WorkerPollTimer)
        WorkerPollTimer->stop();
    CancelWorkerRun();
    if (Worker* worker = WorkerThread.exchange(nullptr)) {
        worker->WaitProcessingEvents();
        delete worker;
    }
    StopUsbChanged();
}

Worker::Worker(QObject*)
    : QThread(nullptr)
{
    DeviceReloadPending.store(1);
    RestartStatusChangeClock();
    CurrentDevicePath.set(PlaceholderDevicePath());
    DeviceOnline.store(0);
    WorkerPollTimer = new QTimer(this);
    WorkerPollTimer->setInterval(Timing::Scaled(Timing::PresencePoll));
    connect(WorkerPollTimer, &QTimer::timeout, this, &Worker::SlotCheckOnline);
    connect(this, &QThread::finished, this, [this] {
        if (g_passRequests.load() != g_passesServed.load() && DeviceReloadPending.load())
            start();
    });
    WorkerPollTimer->start();
    PostMsg::Connect(SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), this, SLOT(SlotSelectMouseInfo(DeviceAllInfo)));
    PostMsg::Connect(SIGNAL(SigMainPageChange()), this, SLOT(SlotMainPageChange()));
    ShowBatteryText.store(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("ShowBatteryValue")).toInt());
}

Worker::~Worker()
{
    WaitProcessingEvents();
    if (WorkerPollTimer && WorkerPollTimer->parent() == this)
        WorkerPollTimer = nullptr;
}

void Worker::WaitProcessingEvents()
{
    // A pass may be blocked on a signal that the GUI thread has to deliver. User input waits:
    // a click handled here would start another device operation inside the caller's.
    while (!wait(10))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

void Worker::run()
{
    const unsigned requests = g_passRequests.load();
    if (!DeviceReloadPending.load()) {
        g_passesServed.store(requests);
        return;
    }
    if (!DeviceOnline.load())
        DeviceOnline.store(presentNow() ? 1 : 0);

    const DeviceAllInfo device = CurrentDevice.get();
    const bool unchanged = device.Path == OpenedPath && device.ConnectionType == OpenedConnectionType
        && ServerOnlineState.load() == DeviceOnline.load();
    if ((!unchanged || DeviceSettingsChanged.load()) && MainPageActive.load() == 1) {
        if (presentNow()) {
            CurrentDevice.update([](DeviceAllInfo& d) { d.Online = 1; });
            if (DeviceSettingsChanged.load()) {
                PostMsg::instance()->EmitUpDataParam(1);
                DeviceSettingsChanged.store(0);
            } else if (SettingsBusy.load() != 1) {
                PostMsg::instance()->EmitUpDataParam(0);
            }
        } else {
            OfflineCheckPending.store(1);
            CurrentDevice.update([](DeviceAllInfo& d) { d.Online = 0; });
            FlashDataMap cached = ZeroFlashDataMap();
            if (LoadDeviceInfoCache(SelectedCacheName.get(), &cached)) {
                PostMsg* hub = PostMsg::instance();
                hub->EmitUpDataLightUIButton(cached);
                hub->EmitUpDataLightLight(cached);
                hub->EmitUpDataLightSensor(cached);
                hub->EmitForm();
            } else {
                PostMsg::instance()->EmitFormReset();
            }
        }
        OpenedPath = device.Path;
        OpenedConnectionType = device.ConnectionType;
        BindDeviceService(CurrentDevicePath.get());
        qCDebug(lcDevice) << "OnlinA";
        UsbServer_SetPCDriverStatus(1);
        UsbServer_ReadAllFlashData();
        ServerOnlineState.store(DeviceOnline.load());
        qCDebug(lcDevice) << "OnlinB";
    }
    DeviceDataLoaded.store(DeviceOnline.load());
    g_passesServed.store(requests);
    // A request made during this pass keeps the flag for the pass that serves it.
    if (g_passRequests.load() == requests)
        DeviceReloadPending.store(0);
}

void Worker::SlotSelectMouseInfo(DeviceAllInfo SelectInfo)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    CurrentDevice.set(SelectInfo);
    SelectedCacheName.set(DeviceCacheName(SelectInfo.CidMid));
    // The first read goes to the chosen device's path.
    if (!SelectInfo.Path.isEmpty())
        CurrentDevicePath.set(SelectInfo.Path);
}

void Worker::SlotMainPageChange()
{
    ServerOnlineState.store(0);
    CurrentDevicePath.set(PlaceholderDevicePath());
}

void Worker::SlotCheckOnline()
{
    WorkerPollTimer->setInterval(Timing::Scaled(Timing::PresencePoll));
    if (OfflineCheckPending.load()) {
        if (MainPageActive.load() == 0) {
            if (CurrentDevice.get().ConnectionType != 0)
                OfflineCheckPending.store(0);
        } else if (DeviceWatchEnabled.load()) {
            const bool present = presentNow();
            DeviceOnline.store(present ? 1 : 0);
            ServerOnlineState.store(0);
            if (!present)
                return;
            PostMsg::instance()->EmitCloseOffOnline();
            OfflineCheckPending.store(0);
            // Back after an absent pass: read it again.
            RestartWorkerPending.store(1);
        }
    }
    if (DeviceOnline.load() && RestartWorkerPending.load()) {
        RestartWorkerPending.store(0);
        StartWorkerPass();
    }
}
