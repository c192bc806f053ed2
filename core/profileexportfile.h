#ifndef PROFILEEXPORTFILE_H
#define PROFILEEXPORTFILE_H

// The configuration export file: three Qt data-stream byte blocks (a big-endian 32-bit length,
// then the bytes): the marker "Dovoz" padded to 12 bytes, the sensor name cut or padded to
// 12 bytes of UTF-8, and the settings record as it lies in memory. CheckProfileFile reads it.

#include "hidusb/flashdatamap.h"

#include <QByteArray>
#include <QString>

// The marker that opens the file (before its padding).
constexpr char ProfileExportMarker[] = "Dovoz";
constexpr int ProfileExportTextSize = 12;
constexpr int ProfileExportFileSize = 3 * 4 + 2 * ProfileExportTextSize + int(sizeof(FlashDataMap));

// The whole file's bytes.
QByteArray ProfileExportBytes(const FlashDataMap& record, const QString& sensorName);

// Writes the file in one step: on any failure no partial file is left and an older file at
// path stays as it was. False when nothing was written.
bool WriteProfileExportFile(const QString& path, const FlashDataMap& record, const QString& sensorName);

#endif
