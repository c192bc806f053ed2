#include "core/devicesetters.h"

#include "core/devicestate.h"
#include "core/postmsg.h"

#include "hidusb/HIDUsb.h"

#include <functional>

namespace {

void reportOffline()
{
    if (!ButtonLoading.load() && !LightLoading.load() && !SensorLoading.load())
        PostMsg::instance()->EmitMouseOffLineo(0);
}

// The common rule of every setter. The state lock covers the change and the send, so the
// device always receives the record as stored and a read cannot slip in between.
RecordWrite write(const std::function<void(FlashDataMap&)>& change)
{
    if (!DevicePresent()) {
        reportOffline();
        return RecordWrite::Offline;
    }
    bool lost = false;
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        if (!DeviceConfigHoldsChosenDevice()) {
            RequestReadPass();
            return RecordWrite::Refused;
        }
        const FlashDataMap before = DeviceConfig.get();
        FlashDataMap after = before;
        change(after);
        DeviceConfig.set(after);
        if (SendRecordToBoundDevice(after))
            return RecordWrite::Written;
        DeviceConfig.set(before);
        lost = !DevicePresent();
    }
    // Gone between the presence check and the write.
    if (lost) {
        reportOffline();
        return RecordWrite::Offline;
    }
    return RecordWrite::Refused;
}

bool apply(const std::function<void(FlashDataMap&)>& change)
{
    return write(change) == RecordWrite::Written;
}

bool validButton(int button) { return button >= 0 && button <= 15; }
bool validLevel(int level) { return level >= 0 && level <= 7; }
uint8_t low(int v) { return uint8_t(v & 0xFF); }

} // namespace

void RequestReadPass()
{
    ServerOnlineState.store(0);
    RestartWorkerPending.store(1);
    if (!DeviceOnline.load())
        OfflineCheckPending.store(1);
}

bool DevicePresent()
{
    const QByteArray path = CurrentDevicePath.get();
    return (UsbFinderC_GetDeviceOnLine(path.constData()) & 0xFF) != 0;
}

bool CheckDeviceOnline()
{
    if (DevicePresent())
        return true;
    reportOffline();
    return false;
}

bool SendDeviceConfig()
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    if (!DeviceConfigHoldsChosenDevice()) {
        RequestReadPass();
        return false;
    }
    return SendRecordToBoundDevice(DeviceConfig.get());
}

RecordWrite ApplyWholeRecord(const FlashDataMap& record)
{
    return write([&](FlashDataMap& m) { m = record; });
}

bool SetReportRate(int code)
{
    return apply([&](FlashDataMap& m) { m.reportRate = low(code); });
}

bool SetCurrentDpiLevel(int level)
{
    if (!validLevel(level))
        return false;
    return apply([&](FlashDataMap& m) { m.currentDpiLevel = low(level); });
}

bool SetDpiLevelValue(int level, int byte0, int byte1, int byte2)
{
    if (!validLevel(level))
        return false;
    return apply([&](FlashDataMap& m) {
        m.dpiLevels[level].code[0] = low(byte0);
        m.dpiLevels[level].code[1] = low(byte1);
        m.dpiLevels[level].code[2] = low(byte2);
    });
}

bool SetDpiLevelColor(int level, int red, int green, int blue)
{
    if (!validLevel(level))
        return false;
    return apply([&](FlashDataMap& m) {
        m.dpiLevels[level].red = low(red);
        m.dpiLevels[level].green = low(green);
        m.dpiLevels[level].blue = low(blue);
    });
}

bool SwapDpiLevels(const DpiLevel* a, const DpiLevel* b, int indexB, int indexA, int n)
{
    if (!a || !b || !validLevel(indexA) || !validLevel(indexB) || !validLevel(n))
        return false;
    const DpiLevel levelA = *a;
    const DpiLevel levelB = *b;
    return apply([&](FlashDataMap& m) {
        m.dpiLevels[indexA] = levelA;
        m.dpiLevels[indexB] = levelB;
        m.currentDpiLevel = low(n);
        m.dpiLevelCount = low(n + 1);
    });
}

bool SetDpiLevelCount(int count)
{
    if (count < 1 || count > 8)
        return false;
    return apply([&](FlashDataMap& m) { m.dpiLevelCount = low(count); });
}

bool SetDpiEffectMode(int mode)
{
    return apply([&](FlashDataMap& m) {
        if (low(mode) == 0) {
            m.dpiEffectOn = 0;
        } else {
            m.dpiEffectOn = 1;
            m.dpiEffectMode = low(mode);
        }
    });
}

bool SetDpiEffectBrightness(int value)
{
    return apply([&](FlashDataMap& m) { m.dpiEffectBrightness = low(value); });
}

bool SetDpiEffectSpeed(int value)
{
    return apply([&](FlashDataMap& m) { m.dpiEffectSpeed = low(value); });
}

bool SetLod(int value)
{
    return apply([&](FlashDataMap& m) { m.lod = low(value); });
}

bool SetDebounceTime(int value)
{
    return apply([&](FlashDataMap& m) { m.debounceTime = low(value); });
}

bool SetStopCloseTime(int value)
{
    return apply([&](FlashDataMap& m) { m.stopCloseTime = low(value); });
}

bool SetPerformance(int value)
{
    return apply([&](FlashDataMap& m) { m.performance = low(value); });
}

bool SetPerformanceOpen(int value)
{
    return apply([&](FlashDataMap& m) { m.performanceOpen = low(value); });
}

bool SetModelChoose(int value)
{
    return apply([&](FlashDataMap& m) { m.modelChoose = low(value); });
}

bool SetLightMode(int mode)
{
    return apply([&](FlashDataMap& m) {
        if (low(mode) == 0) {
            m.lightOn = 0;
        } else {
            m.lightOn = 1;
            m.lightMode = low(mode);
        }
    });
}

bool SetLightColor(int red, int green, int blue)
{
    return apply([&](FlashDataMap& m) {
        m.lightColor[0] = low(red);
        m.lightColor[1] = low(green);
        m.lightColor[2] = low(blue);
    });
}

bool SetLightSpeed(int value)
{
    return apply([&](FlashDataMap& m) { m.lightSpeed = low(value); });
}

bool SetLightBrightness(int value)
{
    return apply([&](FlashDataMap& m) { m.lightBrightness = low(value); });
}

bool SetLightOffWhileMoving(int value)
{
    return apply([&](FlashDataMap& m) { m.lightOffWhileMoving = low(value); });
}

bool SetButtonFunction(int button, int type, int code, int parameter)
{
    if (!validButton(button))
        return false;
    return apply([&](FlashDataMap& m) { m.buttonFunctions[button] = {low(type), low(code), low(parameter)}; });
}

bool SetButtonKeyAction(int button, const ButtonFunctionCode* f, const KeyActionRecord* k)
{
    if (!validButton(button) || !f || !k)
        return false;
    const ButtonFunctionCode function = *f;
    const KeyActionRecord keys = *k;
    return apply([&](FlashDataMap& m) {
        m.buttonFunctions[button] = function;
        m.keyActions[button] = keys;
    });
}

bool SetButtonMacro(int button, const ButtonFunctionCode* f, const MacroRecord* m)
{
    if (!validButton(button) || !f || !m)
        return false;
    const ButtonFunctionCode function = *f;
    const MacroRecord macro = *m;
    return apply([&](FlashDataMap& r) {
        r.buttonFunctions[button] = function;
        r.macros[button] = macro;
    });
}
