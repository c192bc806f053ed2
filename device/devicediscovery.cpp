#include "device/devicediscovery.h"

#include "core/postmsg.h"
#include "platform/registrystore.h"

#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutex>
#include <QThread>

Guarded<DeviceList> DevicePageList;
Guarded<QStringList> WirelessPidList;
Guarded<QStringList> Wireless2PidList;
Guarded<QStringList> Wireless4PidList;
Guarded<QStringList> Wireless8PidList;
std::atomic<int> ConfigDeviceTotal{0};
Guarded<QString> HidVendorId;
Guarded<QStringList> HidProductIds;
std::atomic<bool> RepairUpgradeRunning{false};

namespace {

QMutex g_hookMutex;
std::function<void()> g_rebuildHook;
std::function<bool()> g_repairVisibleHook;
std::atomic<bool> g_noticePending{false};

// One 10-byte buffer for the address queries of discovery (GUI thread only).
uint8_t UsbAddressBuffer[10];

QString option(const ConfigIni::Snapshot& config, const char* key)
{
    return config.value(QStringLiteral("Option"), QLatin1String(key));
}

} // namespace

void SetRebuildDeviceListHook(std::function<void()> hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_rebuildHook = std::move(hook);
}

void SetRepairDialogVisibleHook(std::function<bool()> hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_repairVisibleHook = std::move(hook);
}

bool RepairDialogVisible()
{
    std::function<bool()> hook;
    {
        QMutexLocker lock(&g_hookMutex);
        hook = g_repairVisibleHook;
    }
    return hook && hook();
}

QVector<QString> ConfiguredProductIds(const ConfigIni::Snapshot& config)
{
    QVector<QString> ids;
    for (const char* key : {"USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"})
        for (const QString& id : config.valueList(QStringLiteral("Option"), QLatin1String(key)))
            if (!id.isEmpty())
                ids << id;
    return ids;
}

namespace {

QList<QByteArray> pathList(char** paths, int count)
{
    QList<QByteArray> out;
    for (int i = 0; paths && i < count; ++i)
        if (paths[i])
            out << QByteArray(paths[i]);
    return out;
}

} // namespace

QList<QByteArray> FindPathsWithDeviceId(const QString& vendorId, const QString& productId, int interfaceId,
                                        int deviceId)
{
    const QByteArray vid = vendorId.toUtf8();
    const QByteArray pid = productId.toUtf8();
    int count = 5;
    char** paths =
        UsbFinderC_FindHidDevicesByDeviceId(vid.constData(), pid.constData(), interfaceId, deviceId, &count);
    return pathList(paths, count);
}

QList<QByteArray> FindPaths(const QString& vendorId, const QString& productId, bool byDeviceId)
{
    if (byDeviceId)
        return FindPathsWithDeviceId(vendorId, productId, 1, 5);
    const QByteArray vid = vendorId.toUtf8();
    const QByteArray pid = productId.toUtf8();
    int count = 5;
    char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(vid.constData(), pid.constData(), &count);
    return pathList(paths, count);
}

DeviceAllInfo NewDeviceRecord(const QByteArray& path, const QString& vendorId, const QString& productId)
{
    DeviceAllInfo d;
    d.Path = path;
    d.VidText = vendorId;
    d.PidText = productId;
    uint8_t attribute[12] = {};
    UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute);
    d.VersionText = DeviceAllInfo::VersionTextFor(quint16(attribute[8] | (attribute[9] << 8)));
    d.Online = 0;
    return d;
}

DeviceIdentity IdentifyDevice(const QByteArray& path, const ConfigIni::Snapshot& config)
{
    DeviceIdentity id;
    uint8_t info[3] = {};
    // A waking device may answer 0/0: ask up to nine times; a tenth answer gives only its kind.
    for (int attempt = 1; attempt <= 10; ++attempt) {
        std::fill(std::begin(info), std::end(info), uint8_t(0));
        UsbFinderC_GetDeviceInfo(path.constData(), info);
        if (attempt < 10 && (info[0] != 0 || info[1] != 0)) {
            id.answered = true;
            break;
        }
    }
    id.cid = info[0];
    id.mid = info[1];
    id.kind = info[2];
    if (!id.answered)
        return id;
    if (id.cid != option(config, "CID").toInt())
        return id;
    // DeviceTotal may hold anything: walk the sections the file has, never 1..DeviceTotal.
    for (int n : config.driveSections(option(config, "DeviceTotal").toInt())) {
        const int mid = config.value(QStringLiteral("Drive") + QString::number(n), QStringLiteral("MID")).toInt();
        if (id.mid == mid) {
            id.section = n - 1;
            break;
        }
    }
    return id;
}

DeviceMatch ApplyIdentity(DeviceAllInfo& device, const DeviceIdentity& id, const ConfigIni::Snapshot& config)
{
    const int total = option(config, "DeviceTotal").toInt();
    if (id.section < 0 && total <= 0 && id.answered)
        return DeviceMatch::NotListed;
    device.Wired = DeviceAllInfo::WiredForConnection(id.kind);
    if (id.section < 0) {
        // Listed with its own image; CidMid and ConnectionType keep their values.
        device.DriveIndex = quint32(qMax(0, total));
        return DeviceMatch::Unidentified;
    }
    device.CidMid = quint16(id.cid | (id.mid << 8));
    device.ConnectionType = id.kind;
    device.DriveIndex = quint32(id.section);
    return DeviceMatch::Section;
}

bool FindDeviceInConfig(DeviceAllInfo& device, const ConfigIni::Snapshot& config)
{
    const DeviceMatch match = ApplyIdentity(device, IdentifyDevice(device.Path, config), config);
    if (match == DeviceMatch::Section && (UsbFinderC_GetDeviceOnLine(device.Path.constData()) & 0xFF))
        device.Online = 1;
    return match != DeviceMatch::NotListed;
}

DeviceList EnumerateDevices(const QString& vendorId, const QVector<QString>& productIds,
                            const ConfigIni::Snapshot& config)
{
    DeviceList found;
    for (const QString& pid : productIds) {
        for (const QByteArray& path : FindPaths(vendorId, pid, false)) {
            DeviceAllInfo device = NewDeviceRecord(path, vendorId, pid);
            if (FindDeviceInConfig(device, config))
                found.append(device);
        }
    }
    return found;
}

namespace {

// Replaces the entry with the same path in the page list (appends it when absent), and the
// entry at index in the found list.
void storeEntry(int index, const DeviceAllInfo& device)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    FoundDeviceList.update([&](DeviceList& l) {
        if (index >= 0 && index < l.size())
            l[index] = device;
    });
    DevicePageList.update([&](DeviceList& l) {
        for (DeviceAllInfo& entry : l) {
            if (entry.Path == device.Path) {
                entry = device;
                return;
            }
        }
        l.append(device);
    });
}

// Presence and receiver address of entry index from one address query; with reidentify the
// device is identified again in between, and the query's presence wins over what that set.
void refreshEntry(int index, bool reidentify)
{
    const DeviceList found = FoundDeviceList.get();
    if (index < 0 || index >= found.size())
        return;
    DeviceAllInfo device = found.at(index);
    device.Online = 0;
    std::fill(std::begin(UsbAddressBuffer), std::end(UsbAddressBuffer), uint8_t(0));
    UsbFinderC_GetDeviceOnLineWithUsbAddress(device.Path.constData(), UsbAddressBuffer);
    const AddressAnswer answer = ReadAddressAnswer(UsbAddressBuffer);
    if (reidentify)
        FindDeviceInConfig(device, ConfigIni::instance()->snapshot());
    device.Online = answer.online ? 1 : 0;
    device.ReceiverAddress = answer.address;
    storeEntry(index, device);
}

} // namespace

AddressAnswer ReadAddressAnswer(const uint8_t* buffer)
{
    AddressAnswer answer;
    answer.online = buffer[6] == 1;
    answer.address = {buffer[7], buffer[8], buffer[9]};
    return answer;
}

void RefreshDeviceOnline(int index)
{
    refreshEntry(index, false);
}

void ReidentifyDevice(int index)
{
    refreshEntry(index, true);
}

void DevicePageHotplugCallback()
{
    // An interrupted upgrade is shown on the device choice page (read by the page itself).
    const ConfigIni::Snapshot config = ConfigIni::instance()->snapshot();
    const QString vendorId = option(config, "VID");
    WirelessPidList.set(config.valueList(QStringLiteral("Option"), QStringLiteral("Wireless_PID")));
    Wireless2PidList.set(config.valueList(QStringLiteral("Option"), QStringLiteral("Wireless2_PID")));
    Wireless4PidList.set(config.valueList(QStringLiteral("Option"), QStringLiteral("Wireless4_PID")));
    Wireless8PidList.set(config.valueList(QStringLiteral("Option"), QStringLiteral("Wireless8_PID")));
    const QVector<QString> productIds = ConfiguredProductIds(config);
    // The screen clock's device search uses the same ids, as of the latest run.
    HidVendorId.set(vendorId);
    HidProductIds.set(QStringList(productIds.begin(), productIds.end()));
    const DeviceList found = EnumerateDevices(vendorId, productIds, config);
    {
        // Replaced whole, never emptied first: a flash's handler on a library thread reads the
        // list meanwhile and must not take a list half built for a device gone.
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        FoundDeviceList.set(found);
        DevicePageList.set(found);
    }

    std::function<void()> rebuild;
    {
        QMutexLocker lock(&g_hookMutex);
        rebuild = g_rebuildHook;
    }
    if (rebuild)
        rebuild();
    if (RepairDialogVisible() && !RepairUpgradeRunning.load())
        PostMsg::instance()->EmitRepairCheckUpdate();
}

void DevicePageHotplugNotice()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread()) {
        g_noticePending.store(false);
        DevicePageHotplugCallback();
        return;
    }
    // Many notices in a row make one rebuild.
    if (g_noticePending.exchange(true))
        return;
    QMetaObject::invokeMethod(app, []() {
        if (g_noticePending.exchange(false))
            DevicePageHotplugCallback();
    }, Qt::QueuedConnection);
}
