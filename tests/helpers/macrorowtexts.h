#ifndef MACROROWTEXTS_H
#define MACROROWTEXTS_H
// Macro event lists written as texts in the tests: "+A" a press of A, "-A" its release, "*A" a
// press of A as an import leaves it (no kind and code), anything else a delay row of that text.
#include "device/macroevents.h"

#include <QStringList>
#include <QVector>

MacroEventRow MacroRowFromText(const QString& text);
QVector<MacroEventRow> MacroRowsFromTexts(const QStringList& texts);
// Events as "+name"/"-name", delays as their text.
QStringList MacroRowTexts(const QVector<MacroEventRow>& rows);

#endif
