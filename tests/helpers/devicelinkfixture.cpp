#include "helpers/devicelinkfixture.h"

#include "core/userfolders.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/worker.h"

#include "hidusb/HIDUsb.h"

DeviceLinkFixture::DeviceLinkFixture(TestEnv::Installation::Mode mode)
    : m_home(std::make_unique<TestEnv::TempHome>())
    , m_install(std::make_unique<TestEnv::Installation>(mode))
{
    PrepareUserFolders();
    ResetDeviceState();
    HidSim::Reset(HidSim::Start::Empty);
}

DeviceLinkFixture::~DeviceLinkFixture()
{
    StopUsbChanged();
    UsbServer_Exit();
    HidSim::Reset(HidSim::Start::Empty);
    HidSim::Shutdown();
    ResetDeviceState();
}

HidSim::DeviceSpec DeviceLinkFixture::CableMouse(const std::string& id)
{
    HidSim::DeviceSpec mouse;
    mouse.id = id;
    mouse.pid = "0x5101";
    mouse.cid = 36;
    mouse.mid = 1;
    mouse.cableKind = 2;
    mouse.firmwareName = "VEXO_S1_MOUSE";
    return mouse;
}

HidSim::DeviceSpec DeviceLinkFixture::ReceiverMouse(const std::string& id, const std::string& receiver)
{
    HidSim::DeviceSpec mouse;
    mouse.id = id;
    mouse.pid = "0x5101";
    mouse.cid = 36;
    mouse.mid = 2;
    mouse.plugged = false;
    mouse.hasCable = false;
    mouse.receiver = receiver;
    mouse.firmwareName = "VEXO_P2_MOUSE";
    return mouse;
}

HidSim::DeviceSpec DeviceLinkFixture::Receiver(const std::string& id, const std::string& pid, int type,
                                               uint8_t a0, uint8_t a1, uint8_t a2)
{
    HidSim::DeviceSpec receiver;
    receiver.id = id;
    receiver.kind = HidSim::Kind::Receiver;
    receiver.pid = pid;
    receiver.cid = 36;
    receiver.mid = 2;
    receiver.receiverType = type;
    receiver.address[0] = a0;
    receiver.address[1] = a1;
    receiver.address[2] = a2;
    return receiver;
}

QByteArray DeviceLinkFixture::add(const HidSim::DeviceSpec& device)
{
    if (!HidSim::AddDevice(device))
        return QByteArray();
    return QByteArray::fromStdString(HidSim::PathOf(device.id));
}

DeviceAllInfo DeviceLinkFixture::InfoFor(const QByteArray& path, quint8 cid, quint8 mid, quint8 kind,
                                         quint32 driveIndex)
{
    DeviceAllInfo d;
    d.Path = path;
    d.CidMid = quint16(cid | (mid << 8));
    d.ConnectionType = kind;
    d.Wired = DeviceAllInfo::WiredForConnection(kind);
    d.DriveIndex = driveIndex;
    d.Online = 1;
    return d;
}

QByteArray DeviceLinkFixture::Bytes(const FlashDataMap& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), int(sizeof record));
}

FlashDataMap DeviceLinkFixture::StoredRecord(const std::string& id)
{
    FlashDataMap m = ZeroFlashDataMap();
    HidSim::GetSettings(id, -1, &m);
    return m;
}

void DeviceLinkFixture::chooseFullyRead(const std::string& id, const DeviceAllInfo& info)
{
    const FlashDataMap record = StoredRecord(id);
    CurrentDevice.set(info);
    CurrentDevicePath.set(info.Path);
    SelectedCacheName.set(DeviceCacheName(info.CidMid));
    DeviceInfoCacheName.set(DeviceCacheName(info.CidMid));
    DeviceConfig.set(record);
    BindDeviceService(info.Path);
    DeviceConfigPath.set(info.Path);
    DeviceOnline.store(1);
    HidSim::ClearCalls();
}
