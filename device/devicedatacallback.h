#ifndef DEVICEDATACALLBACK_H
#define DEVICEDATACALLBACK_H

#include "hidusb/HIDUsb.h"

#include <QElapsedTimer>

#include <atomic>
#include <cstdint>

// Called by the library with each report of the device, on the library's thread.
void DeviceDataCallback(const uint8_t* head, int headLength, const uint8_t* data, int dataLength);
// Requests the items that the last status report marked changed.
void HandleDeviceStatusChange();

// What the callback shares with the read passes (device/worker). Whether the battery report
// shows its value as text.
extern std::atomic<int> ShowBatteryText;
// Set when the device reported changed settings; the next read pass reloads them.
extern std::atomic<quint8> DeviceSettingsChanged;
// Set by a device-ready report: the next full dump is checked for key parameters, and the
// receiver's LED and long-range queries are skipped once.
extern std::atomic<quint8> KeyParamCheckPending;
extern std::atomic<quint8> DongleQuerySkip;
// The clock that spaces out device-reported reloads.
extern QElapsedTimer StatusChangeTimer;

// True (and the clock restarted) when more than the spacing passed since the last reload
// that the device asked for.
bool StatusChangeReloadDue();
// The spacing counts from now (a new worker).
void RestartStatusChangeClock();

// Report lengths the callback acts on.
constexpr int FullDumpLength = HIDUSB_DUMP_LENGTH;

#endif
