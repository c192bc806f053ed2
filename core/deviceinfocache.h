#ifndef DEVICEINFOCACHE_H
#define DEVICEINFOCACHE_H

// The per-device settings cache ("/Device_Info/Device_CIDxx_MIDyy.bin") and the check of a
// configuration export file before it is imported.

#include "hidusb/flashdatamap.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// Result of the last export file check: 0 accepted, 1 unreadable or not an export file,
// 2 another sensor or more DPI levels than the device offers.
extern std::atomic<int> ImportCheckResult;
// An accepted file that the device did not take (it does not fit, or no full read yet).
constexpr int ImportRefusedByDevice = 3;

// "Device_CID" + CID + "_MID" + MID + ".bin", each byte as two upper-case hex digits.
QString DeviceCacheName(quint16 cidMid);
QString DeviceCacheFolder();

// Writes the record as the cache file; an empty name or an unwritable file writes nothing.
void SaveDeviceInfoCache(const QString& fileName, const FlashDataMap& record);
// True only when the file holds a whole record; out is untouched otherwise.
bool LoadDeviceInfoCache(const QString& fileName, FlashDataMap* out);

// Reads an export file into out and checks it against the current device's section.
// out is written only when the file is readable and well formed.
int CheckProfileFile(const QString& path, FlashDataMap* out);

// True when every count and length of the record lies within the layout's bounds.
bool RecordIsWellFormed(const FlashDataMap& record);

#endif
