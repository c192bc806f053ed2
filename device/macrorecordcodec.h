#ifndef MACRORECORDCODEC_H
#define MACRORECORDCODEC_H
// A macro as the mouse holds it (MacroRecord: name, count, up to 70 events with the delay after
// each) and as the macro page shows it (rows). Rows pair by position: event i is row 2i, its
// delay row 2i + 1.
#include "device/macroevents.h"
#include "hidusb/flashdatamap.h"

#include <QString>
#include <QVector>

constexpr int MacroEventLimit = 70;

// The record for a macro: the name cut to 30 local 8-bit bytes (never inside a character), the
// first 70 events with the delays after them and the last one's delay 0, count = events kept.
// An event row's kind and code come from the row (or its name when it has none); a delay that
// does not read is 0.
MacroRecord BuildMacroRecord(const QString& name, const QVector<MacroEventRow>& rows);
// The name a record holds: its 30 name bytes up to the first zero byte.
QString MacroRecordName(const MacroRecord& record);
// The rows of a record: at most 70 events (a larger count reads 70), a delay row between two
// events and none after the last; names through the key table and the mouse-button names.
QVector<MacroEventRow> MacroRecordRows(const MacroRecord& record);

#endif
