#ifndef DEVICEDATACALLBACK_H
#define DEVICEDATACALLBACK_H

#include "hidusb/HIDUsb.h"

#include <cstdint>

// Called by the library with each report of the device, on the library's thread.
void DeviceDataCallback(const uint8_t* head, int headLength, const uint8_t* data, int dataLength);
// Requests the items that the last status report marked changed.
void HandleDeviceStatusChange();

// Report lengths the callback acts on.
constexpr int FullDumpLength = HIDUSB_DUMP_LENGTH;

#endif
