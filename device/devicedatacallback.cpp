#include "devicedatacallback.h"

#include "configini.h"
#include "deviceinfocache.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "pages/settings/firmwareimages.h"
#include "postmsg.h"
#include "worker.h"

#include "hidusb/HIDUsb.h"

#include <QList>
#include <QStringList>

#include <cstring>
#include <functional>
#include <mutex>

namespace {

// Filled by the library's decoders; only the callback's thread uses them.
uint8_t BatteryStatusBuffer[4];
uint8_t StatusChangeFlags[7];

QString deviceSection()
{
    return QStringLiteral("Drive") + QString::number(CurrentDeviceIndex() + 1);
}

// Sends DeviceConfig when it holds a full read of the chosen device; stores a one-byte
// report only then, so another device's record is never sent.
void storeAndSend(const std::function<void(FlashDataMap&)>& change)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    if (!DeviceConfigHoldsChosenDevice()) {
        RequestReadPass();
        return;
    }
    FlashDataMap record = DeviceConfig.get();
    change(record);
    DeviceConfig.set(record);
    ProtocolDataUpdate(&record);
}

// Clears the key and macro blocks of the buttons whose default is not a key action.
void keyParameterCheck(FlashDataMap& record)
{
    QList<int> keyActionButtons;
    for (int k = 1; k <= 6; ++k) {
        const QStringList param = ConfigIni::instance()->valueList(deviceSection(), QStringLiteral("KeyParam") + QString::number(k));
        if (!param.isEmpty() && param.first() == QLatin1String("0x05"))
            keyActionButtons << k - 1;
    }
    for (int b = 0; b < 16; ++b) {
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

void fullDump(const uint8_t* data, int dataLength)
{
    const DeviceAllInfo device = CurrentDevice.get();
    FlashDataMap parsed = ZeroFlashDataMap();
    ProtocolDataParser(data, dataLength, &parsed);
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
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
        uint8_t longRange = 0x73;
        UsbFinderC_GetLongRangeMode(path.constData(), &longRange);
        if (longRange != 0x73 && longRange != 0)
            hub->EmitLongRangeMode(true);
    }
    DongleQuerySkip.store(0);

    FlashDataMap toSend;
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        toSend = DeviceConfig.get();
        if (KeyParamCheckPending.load()) {
            keyParameterCheck(toSend);
            DeviceConfig.set(toSend);
        }
        KeyParamCheckPending.store(0);
        ProtocolDataUpdate(&toSend);
    }

    LightLoaded.store(0);
    SensorLoaded.store(0);
    ButtonLoaded.store(0);
    hub->EmitUpDataLightUIButton(DeviceConfig.get());
    hub->EmitUpDataLightLight(DeviceConfig.get());
    hub->EmitUpDataLightSensor(DeviceConfig.get());
    hub->EmitForm();
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
    const uint8_t command = headByte(1);
    const uint8_t status = headByte(3);
    const uint8_t sub = headByte(4);
    if (!data)
        dataLength = 0;
    PostMsg* hub = PostMsg::instance();

    switch (command) {
    case 4:
        if (GetDeviceBatteryStatus(data, dataLength, BatteryStatusBuffer))
            hub->EmitBattery(BatteryStatusBuffer[1] != 0, BatteryStatusBuffer[0], ShowBatteryText.load() == 1);
        break;
    case 8:
        if (status != 0)
            break;
        if (sub == 0 && dataLength == FullDumpLength) {
            fullDump(data, dataLength);
        } else if (sub == 0 && dataLength == 1) {
            const uint8_t rate = data[0];
            storeAndSend([rate](FlashDataMap& m) { m.reportRate = rate; });
            hub->EmitUpDataReportRate(rate);
        } else if (sub == 4 && dataLength == 1) {
            const uint8_t level = data[0];
            storeAndSend([level](FlashDataMap& m) { m.currentDpiLevel = level; });
            hub->EmitUpDataDPI(level);
        } else if (sub == 0x4C && dataLength == 8) {
            FlashDataMap copy;
            {
                std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
                copy = DeviceConfig.get();
                BufferToDPILed(data, dataLength, reinterpret_cast<uint8_t*>(&copy) + 0x3F);
                DeviceConfig.set(copy);
            }
            hub->EmitUpDataDPILed(copy);
        } else if (sub == 0xA0 && dataLength == 9) {
            FlashDataMap copy;
            {
                std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
                copy = DeviceConfig.get();
                BufferToLedBar(data, dataLength, reinterpret_cast<uint8_t*>(&copy) + 0x43);
                DeviceConfig.set(copy);
            }
            hub->EmitUpDataLightLight(copy);
        }
        break;
    case 9:
        deviceReady();
        break;
    case 10:
        if (GetDeviceStatusChanged(data, dataLength, StatusChangeFlags))
            HandleDeviceStatusChange();
        break;
    case 14:
        if (dataLength == 1)
            hub->EmitUpDataConfigUI(4, data[0], true);
        else
            hub->EmitUpDataConfigUI(0, 0, false);
        break;
    case 18:
        versionReport();
        break;
    case 21:
        hub->EmitRGBValue(CurrentDongleRGB);
        break;
    case 23:
        if (dataLength == 10)
            hub->EmitLongRangeMode(false);
        break;
    default:
        break;
    }
}
