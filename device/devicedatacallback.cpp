#include "device/devicedatacallback.h"

#include "core/configini.h"
#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/firmwareimages.h"

#include "hidusb/HIDUsb.h"

#include <QList>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <cstring>
#include <functional>
#include <mutex>

std::atomic<int> ShowBatteryText{0};
std::atomic<quint8> DeviceSettingsChanged{0};
std::atomic<quint8> KeyParamCheckPending{0};
std::atomic<quint8> DongleQuerySkip{0};
QElapsedTimer StatusChangeTimer;

namespace {

std::mutex g_statusClockMutex;

// Filled by the library's decoders; only the callback's thread uses them.
uint8_t BatteryStatusBuffer[4];
uint8_t StatusChangeFlags[7];

// Report lengths besides the full dump.
constexpr int OneByteReportLength = 1;
constexpr int DpiLightReportLength = 8;
constexpr int LightBarReportLength = 9;
constexpr int LongRangeReportLength = 10;
// The profile list always offers this many profiles when the mouse reports one.
constexpr int ProfileCount = 4;
// Preset before asking for the long-range mode: the receiver leaves it when it has none.
constexpr uint8_t LongRangeUnanswered = 0x73;
// Config.ini marks a button whose factory default is a key action with this first item.
const char* const KeyActionParam = "0x05";
constexpr int KeyParamLists = 6;
constexpr int ButtonCount = 16;

QString deviceSection()
{
    return CurrentDeviceSection();
}

// A report belongs to the device the program serves only while the binding it came under
// is still the program's current one; after a rebind it is another mouse's.
bool fromCurrentBinding(quint32 binding)
{
    return binding != 0 && binding == ServiceBinding.get();
}

// A report that changes one field of the held record: applied only while DeviceConfig holds
// the bound device's full read.
bool changeHeldRecord(quint32 binding, const std::function<void(FlashDataMap&)>& change)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    if (!fromCurrentBinding(binding))
        return false;
    if (!DeviceConfigHoldsChosenDevice()) {
        RequestReadPass();
        return false;
    }
    FlashDataMap record = DeviceConfig.get();
    change(record);
    DeviceConfig.set(record);
    return true;
}

using PageEmitter = void (PostMsg::*)(FlashDataMap);

// Hands DeviceConfig to the pages. The signals wait for the GUI thread, where a user change
// can run before a page's slot takes its copy; such a page gets the record again, so no
// page is left showing an older record than the one the mouse holds.
bool fillPages(quint32 binding, std::initializer_list<PageEmitter> emitters)
{
    PostMsg* hub = PostMsg::instance();
    QVector<FlashDataMap> given(int(emitters.size()), ZeroFlashDataMap());
    QVector<bool> pending(int(emitters.size()), true);
    for (int pass = 0; pass < 8; ++pass) {
        int i = 0;
        for (PageEmitter emitter : emitters) {
            if (pending[i]) {
                if (!fromCurrentBinding(binding))
                    return false;
                given[i] = DeviceConfig.get();
                (hub->*emitter)(given[i]);
            }
            ++i;
        }
        const FlashDataMap now = DeviceConfig.get();
        bool again = false;
        for (i = 0; i < given.size(); ++i) {
            pending[i] = std::memcmp(&given[i], &now, sizeof now) != 0;
            again = again || pending[i];
        }
        if (!again)
            return true;
    }
    return fromCurrentBinding(binding);
}

// Sends the record as it stands now (a user change made meanwhile included), only to the
// device the report came from.
void sendHeldRecord(quint32 binding)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    if (fromCurrentBinding(binding))
        SendRecordToBoundDevice(DeviceConfig.get(), binding);
}

// Clears the key and macro blocks of the buttons whose default is not a key action.
void keyParameterCheck(FlashDataMap& record)
{
    QList<int> keyActionButtons;
    for (int k = 1; k <= KeyParamLists; ++k) {
        const QStringList param = ConfigIni::instance()->valueList(deviceSection(), QStringLiteral("KeyParam") + QString::number(k));
        if (!param.isEmpty() && param.first() == QLatin1String(KeyActionParam))
            keyActionButtons << k - 1;
    }
    for (int b = 0; b < ButtonCount; ++b) {
        if (keyActionButtons.contains(b))
            continue;
        const uint8_t type = record.buttonFunctions[b].type;
        // A button set to a key action or a macro keeps its blocks.
        if (type == KeyActionFunction || type == MacroFunction)
            continue;
        std::memset(&record.keyActions[b], 0, sizeof record.keyActions[b]);
        std::memset(&record.macros[b], 0, sizeof record.macros[b]);
    }
}

// The dump is not applied; the pass counts as not read and the presence timer reads again.
void refuseDump(quint32 binding)
{
    if (!fromCurrentBinding(binding))
        return;
    qCWarning(lcDevice) << "settings dump refused: not decodable";
    DeviceDataLoaded.store(0);
    RequestReadPass();
}

void fullDump(quint32 binding, const uint8_t* data, int dataLength)
{
    FlashDataMap parsed = ZeroFlashDataMap();
    if (!ProtocolDataParser(data, dataLength, &parsed)) {
        refuseDump(binding);
        return;
    }
    DeviceAllInfo device;
    {
        // Checked and applied in one step: a rebind or a setter's write cannot come between.
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        if (!fromCurrentBinding(binding) || ServicePath.get() != CurrentDevicePath.get()) {
            qCDebug(lcDevice) << "stale settings dump dropped";
            return;
        }
        if (UsbServer_ReportPredatesWrite()) {
            // Older than a change the device has taken since: read the newer state.
            qCDebug(lcDevice) << "settings dump older than the last write: read again";
            UsbServer_ReadAllFlashData();
            return;
        }
        device = CurrentDevice.get();
        DeviceConfig.set(parsed);
        DeviceInfoCacheName.set(DeviceCacheName(device.CidMid));
        DeviceConfigPath.set(ServicePath.get());
    }
    UsbServer_ReadDPILed();
    UsbServer_ReadBatteryLevel();
    UsbServer_ReadVersion();
    UsbServer_ReadConfig();

    PostMsg* hub = PostMsg::instance();
    if (!DongleQuerySkip.load()) {
        const QByteArray path = device.Path;
        if (device.Wired != 1 && device.ConnectionType == 1) {
            UsbFinderC_Get4KDongleRGBValue(path.constData(), CurrentDongleRGB);
            if (CurrentDongleRGB->mode != 0)
                hub->EmitRGBValue(CurrentDongleRGB);
        }
        uint8_t longRange = LongRangeUnanswered;
        UsbFinderC_GetLongRangeMode(path.constData(), &longRange);
        if (longRange != LongRangeUnanswered && longRange != 0)
            hub->EmitLongRangeMode(true);
    }
    DongleQuerySkip.store(0);

    {
        // The record as it stands now: a change the user made while the signals above were
        // waiting stays in it.
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        if (!fromCurrentBinding(binding) || !DeviceConfigHoldsChosenDevice()) {
            qCDebug(lcDevice) << "service rebound while a dump was handled: dropped";
            return;
        }
        FlashDataMap record = DeviceConfig.get();
        if (KeyParamCheckPending.load()) {
            keyParameterCheck(record);
            DeviceConfig.set(record);
        }
        KeyParamCheckPending.store(0);
        SendRecordToBoundDevice(record, binding);
    }

    LightLoaded.store(0);
    SensorLoaded.store(0);
    ButtonLoaded.store(0);
    // After a rebind the rest is left to the new device's read.
    if (!fillPages(binding, {&PostMsg::EmitUpDataLightUIButton, &PostMsg::EmitUpDataLightLight,
                             &PostMsg::EmitUpDataLightSensor}))
        return;
    hub->EmitForm();
    qCDebug(lcDevice) << "settings read and shown";
    DeviceDataLoaded.store(1);
    DeviceReloadPending.store(0);
}

void deviceReady()
{
    UsbServer_SetBatteryOptimizeEnable(1);
    const QStringList advanced = ConfigIni::instance()->valueList(deviceSection(), QStringLiteral("Adveanced"));
    const int longRange = advanced.size() > 0 ? advanced.at(0).toInt() : 0;
    const int ledMode = advanced.size() > 1 ? advanced.at(1).toInt() : 0;
    const DeviceAllInfo device = CurrentDevice.get();
    const QByteArray path = device.Path;
    PostMsg* hub = PostMsg::instance();
    if (ledMode > 0 && device.Wired != 1 && device.ConnectionType == 1) {
        CurrentDongleRGB->mode = uint8_t(ledMode);
        UsbFinderC_Set4KDongleRGB(path.constData(), CurrentDongleRGB);
        hub->EmitRGBValue(CurrentDongleRGB);
    }
    if (longRange == 0) {
        UsbFinderC_SetLongRangeMode(path.constData(), 0);
        hub->EmitLongRangeMode(false);
    } else if (longRange == 1) {
        UsbFinderC_SetLongRangeMode(path.constData(), 1);
        hub->EmitLongRangeMode(true);
    }
    UsbServer_ReadAllFlashData();
    KeyParamCheckPending.store(1);
    DongleQuerySkip.store(1);
}

void versionReport()
{
    const QByteArray path = CurrentDevice.get().Path;
    const int version = UsbFinderC_GetVersion(path.constData());
    const QString text = FirmwareVersionText(quint32(version));
    CurrentDevice.update([&](DeviceAllInfo& d) { d.FirmwareVersionText = text; });
    PostMsg::instance()->EmitSetver(0);
    WriteMouseVer(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")),
                  ConfigIni::instance()->value(deviceSection(), QStringLiteral("MID")), text);
}

} // namespace

bool StatusChangeReloadDue()
{
    std::lock_guard<std::mutex> lock(g_statusClockMutex);
    if (StatusChangeTimer.isValid() && StatusChangeTimer.elapsed() <= Timing::Scaled(Timing::StatusChangeSpacing))
        return false;
    StatusChangeTimer.start();
    return true;
}

void RestartStatusChangeClock()
{
    std::lock_guard<std::mutex> lock(g_statusClockMutex);
    StatusChangeTimer.start();
}

void HandleDeviceStatusChange()
{
    if (StatusChangeFlags[0])
        UsbServer_ReadCurrentDPI();
    if (StatusChangeFlags[1])
        UsbServer_ReadReportRate();
    if (StatusChangeFlags[6])
        UsbServer_ReadBatteryLevel();
    if (StatusChangeFlags[5])
        UsbServer_ReadLedBar();
    if (StatusChangeFlags[3])
        UsbServer_ReadDPILed();
    if (StatusChangeFlags[2] && StatusChangeReloadDue()) {
        RestartWorkerPending.store(1);
        DeviceSettingsChanged.store(1);
    }
}

void DeviceDataCallback(const uint8_t* head, int headLength, const uint8_t* data, int dataLength)
{
    const auto headByte = [&](int i) { return (head && i < headLength) ? head[i] : uint8_t(0); };
    // The head: [0] report id, [1] command, [2] length, [3] status, [4] sub-command.
    const uint8_t command = headByte(1);
    const uint8_t status = headByte(3);
    const uint8_t sub = headByte(4);
    if (!data)
        dataLength = 0;
    const quint32 binding = UsbServer_GetReportBinding();
    // A report of an earlier binding is another device's, or an answer nobody waits for.
    if (!fromCurrentBinding(binding))
        return;
    PostMsg* hub = PostMsg::instance();

    switch (command) {
    case HIDUSB_CMD_BATTERY:
        if (GetDeviceBatteryStatus(data, dataLength, BatteryStatusBuffer))
            hub->EmitBattery(BatteryStatusBuffer[1] != 0, BatteryStatusBuffer[0], ShowBatteryText.load() == 1);
        break;
    case HIDUSB_CMD_SETTINGS:
        if (status != 0)
            break;
        if (sub == HIDUSB_SUB_ALL && dataLength == FullDumpLength) {
            fullDump(binding, data, dataLength);
        } else if (sub == HIDUSB_SUB_ALL && dataLength == OneByteReportLength) {
            const uint8_t rate = data[0];
            if (!changeHeldRecord(binding, [rate](FlashDataMap& m) { m.reportRate = rate; }))
                break;
            hub->EmitUpDataReportRate(rate);
            sendHeldRecord(binding);
        } else if (sub == HIDUSB_SUB_DPI_LEVEL && dataLength == OneByteReportLength) {
            const uint8_t level = data[0];
            if (!changeHeldRecord(binding, [level](FlashDataMap& m) { m.currentDpiLevel = level; }))
                break;
            hub->EmitUpDataDPI(level);
            sendHeldRecord(binding);
        } else if (sub == HIDUSB_SUB_DPI_LIGHT && dataLength == DpiLightReportLength) {
            if (changeHeldRecord(binding, [&](FlashDataMap& m) {
                    BufferToDPILed(data, dataLength, reinterpret_cast<uint8_t*>(&m) + offsetof(FlashDataMap, dpiEffectMode));
                }))
                fillPages(binding, {&PostMsg::EmitUpDataDPILed});
        } else if (sub == HIDUSB_SUB_LIGHT_BAR && dataLength == LightBarReportLength) {
            if (changeHeldRecord(binding, [&](FlashDataMap& m) {
                    BufferToLedBar(data, dataLength, reinterpret_cast<uint8_t*>(&m) + offsetof(FlashDataMap, lightMode));
                }))
                fillPages(binding, {&PostMsg::EmitUpDataLightLight});
        }
        break;
    case HIDUSB_CMD_DEVICE_READY:
        deviceReady();
        break;
    case HIDUSB_CMD_STATUS_CHANGED:
        if (GetDeviceStatusChanged(data, dataLength, StatusChangeFlags))
            HandleDeviceStatusChange();
        break;
    case HIDUSB_CMD_CONFIG:
        if (dataLength == OneByteReportLength)
            hub->EmitUpDataConfigUI(ProfileCount, data[0], true);
        else
            hub->EmitUpDataConfigUI(0, 0, false);
        break;
    case HIDUSB_CMD_VERSION:
        versionReport();
        break;
    case HIDUSB_CMD_RECEIVER_LIGHT:
        hub->EmitRGBValue(CurrentDongleRGB);
        break;
    case HIDUSB_CMD_LONG_RANGE:
        if (dataLength == LongRangeReportLength)
            hub->EmitLongRangeMode(false);
        break;
    default:
        break;
    }
}
