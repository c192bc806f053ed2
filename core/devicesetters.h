#ifndef DEVICESETTERS_H
#define DEVICESETTERS_H

// Every change a page makes to a mouse setting: check that the chosen device is present,
// store the field in DeviceConfig and send the whole record. Absent device: nothing is
// stored, the offline notice is raised unless a page is filling its controls, the result
// is false. GUI thread.

#include "hidusb/flashdatamap.h"

// The library's presence test of the chosen device; no notice.
bool DevicePresent();
bool CheckDeviceOnline();

bool SetReportRate(int code);
bool SetCurrentDpiLevel(int level);
bool SetDpiLevelValue(int level, int byte0, int byte1, int byte2);
bool SetDpiLevelColor(int level, int red, int green, int blue);
bool SwapDpiLevels(const DpiLevel* a, const DpiLevel* b, int indexB, int indexA, int n);
// count 1 to 8 active levels; another count is refused without a write.
bool SetDpiLevelCount(int count);
bool SetDpiEffectMode(int mode);
bool SetDpiEffectBrightness(int value);
bool SetDpiEffectSpeed(int value);
bool SetLod(int value);
bool SetDebounceTime(int value);
bool SetStopCloseTime(int value);
bool SetPerformance(int value);
bool SetPerformanceOpen(int value);
bool SetModelChoose(int value);
bool SetLightMode(int mode);
bool SetLightColor(int red, int green, int blue);
bool SetLightSpeed(int value);
bool SetLightBrightness(int value);
bool SetLightOffWhileMoving(int value);
bool SetButtonFunction(int button, int type, int code, int parameter);
bool SetButtonKeyAction(int button, const ButtonFunctionCode* f, const KeyActionRecord* k);
bool SetButtonMacro(int button, const ButtonFunctionCode* f, const MacroRecord* m);

// Sends DeviceConfig as it stands (level count, macro deletion, factory reset): only while it
// holds a full read of the chosen device. False when refused or not written.
bool SendDeviceConfig();

enum class RecordWrite {
    Written,
    Offline, // the device is absent (the offline notice was raised unless a page is loading)
    Refused  // the device is there but did not take the record; DeviceConfig is unchanged
};

// Replaces the whole record (an accepted import) and sends it, with the setters' rule.
RecordWrite ApplyWholeRecord(const FlashDataMap& record);

// Asks for a fresh read pass of the chosen device at the next presence check; the pass
// reads even when the device looks unchanged.
void RequestReadPass();

#endif
