#include "device/mainpagehotplug.h"

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/worker.h"

#include "hidusb/HIDUsb.h"

#include <QDir>

#include <mutex>

namespace {

// Bounds three-byte receiver addresses only: shorter ones never match.
bool sameReceiver(const QList<quint8>& a, const QList<quint8>& b)
{
    return a.size() >= 3 && b.size() >= 3 && a.mid(0, 3) == b.mid(0, 3);
}

} // namespace

int FindDeviceInConfigW(DeviceAllInfo& record, const QByteArray& path, const ConfigIni::Snapshot& config)
{
    if (ApplyIdentity(record, IdentifyDevice(path, config), config) != DeviceMatch::Section)
        return 0;
    uint8_t buffer[10] = {};
    UsbFinderC_GetDeviceOnLineWithUsbAddress(path.constData(), buffer);
    const AddressAnswer answer = ReadAddressAnswer(buffer);
    record.Online = answer.online ? 1 : 0;
    record.ReceiverAddress = answer.address;

    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    const DeviceAllInfo current = CurrentDevice.get();
    if (record.Path == current.Path) {
        DeviceAllInfo updated = record;
        if (!current.FirmwareVersionText.isEmpty())
            updated.FirmwareVersionText = current.FirmwareVersionText;
        if (!current.VersionText.isEmpty())
            updated.VersionText = current.VersionText;
        CurrentDevice.set(updated);
    }
    return 1;
}

void EnumerateDevicesW(const QString& vendorId, const QVector<QString>& productIds, const ConfigIni::Snapshot& config)
{
    for (const QString& pid : productIds) {
        for (const QByteArray& path : FindPaths(vendorId, pid, true)) {
            DeviceAllInfo record = NewDeviceRecord(path, vendorId, pid);
            const DeviceAllInfo current = CurrentDevice.get();
            if (current.Path.isEmpty()) {
                WorkerDeviceList.update([&](DeviceList& l) { l.append(record); });
                continue;
            }
            if (FindDeviceInConfigW(record, path, config) != 1) {
                WorkerDeviceList.update([&](DeviceList& l) { l.append(record); });
                continue;
            }
            std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
            if (record.DriveIndex != CurrentDeviceIndex())
                continue; // another model
            WorkerDeviceList.update([&](DeviceList& l) { l.append(record); });
            if (record.Path == CurrentDevice.get().Path)
                CurrentDevicePath.set(path);
        }
    }
}

void StartWorker(const DeviceAllInfo& device)
{
    if (UsbFinderC_GetDeviceOnLine(device.Path.constData()) & 0xFF) {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        CurrentDevice.set(device);
        CurrentDevicePath.set(device.Path);
    }
    StartWorkerPass();
}

void MainPageHotplugCallback()
{
    PostMsg* hub = PostMsg::instance();
    hub->EmitSetver(4);
    const ConfigIni::Snapshot config = ConfigIni::instance()->snapshot();
    const QString vendorId = config.value(QStringLiteral("Option"), QStringLiteral("VID"));
    WorkerDeviceList.set(DeviceList());
    EnumerateDevicesW(vendorId, ConfiguredProductIds(config), config);

    const DeviceList found = WorkerDeviceList.get();
    if (found.isEmpty()) {
        if (DeviceWatchEnabled.load()) {
            CurrentDevice.set(DeviceAllInfo());
            hub->EmitChangeMainDialog(0);
        }
    } else {
        int others = 0;
        for (const DeviceAllInfo& entry : found) {
            const DeviceAllInfo current = CurrentDevice.get();
            if (!current.Path.isEmpty() && entry.DriveIndex == current.DriveIndex && entry.Wired && entry.Online
                && !current.Wired && sameReceiver(entry.ReceiverAddress, current.ReceiverAddress))
                StartWorker(entry);
            if (entry.Path != CurrentDevice.get().Path && !CurrentDevice.get().Path.isEmpty())
                ++others;
            if (others == found.size() && !CurrentDevice.get().Path.isEmpty() && DeviceWatchEnabled.load())
                hub->EmitChangeMainDialog(0);
        }
    }

    const DeviceAllInfo current = CurrentDevice.get();
    if (current.Wired) {
        const QString mouseVersion = current.FirmwareVersionText;
        QString receiverVersion;
        int receiverType = 0;
        if (found.size() == 2) {
            for (const DeviceAllInfo& entry : found) {
                if (!entry.ReceiverAddress.isEmpty() && !entry.Wired) {
                    receiverVersion = entry.VersionText;
                    break;
                }
            }
            for (const DeviceAllInfo& entry : found) {
                if (!entry.ReceiverAddress.isEmpty() && !entry.Wired) {
                    const int type = ReceiverTypeFor(entry.ConnectionType);
                    if (type != 0) {
                        receiverType = type;
                        break;
                    }
                }
            }
        }
        if (QDir(FirmwareFolder()).exists()) {
            NewerReceiverFirmware.store(CheckFirmwareUpdate(ReceiverFirmware, receiverVersion, receiverType));
            NewerMouseFirmware.store(CheckFirmwareUpdate(MouseFirmware, mouseVersion, receiverType));
            hub->EmitLabelTextB(receiverVersion, NewerReceiverFirmware.load() || NewerMouseFirmware.load()
                                                     ? QStringLiteral("true") : QString());
        } else {
            hub->EmitLabelTextB(receiverVersion, QString());
        }
    }
    if (RepairDialogVisible() && !UpgradeRunning.load())
        hub->EmitCheckUpdate();
}
