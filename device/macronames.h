#ifndef MACRONAMES_H
#define MACRONAMES_H

// Macro names as the device record holds them: the system's local 8-bit encoding, at most 30
// bytes, ended by the first zero byte. The name dialog, the macro page and the button page
// all go through these.

#include <QByteArray>
#include <QString>

class QTextCodec;

constexpr int MacroNameBytes = 30;

// The local 8-bit codec (the locale's), one place for every macro name conversion.
QTextCodec* MacroNameCodec();
// Plain conversions through MacroNameCodec(), no cut and no stop at zero bytes.
QByteArray MacroNameToLocal8Bit(const QString& name);
QString MacroNameFromLocal8Bit(const QByteArray& bytes);

// The longest start of name whose local 8-bit form fits maxBytes, never splitting a
// character (surrogate pairs included).
QString CutMacroName(const QString& name, int maxBytes = MacroNameBytes);

// The name held by a record's name bytes: up to the first zero byte, at most size bytes.
QString DecodeMacroName(const quint8* bytes, int size = MacroNameBytes);
// The other way: writes CutMacroName(name, size) in the local 8-bit encoding to bytes, zeros
// after it, and returns its length in bytes (the record's length byte).
int EncodeMacroName(const QString& name, quint8* bytes, int size = MacroNameBytes);

// Not empty; no "/", "\" or control character; not "." or "..".
bool IsUsableMacroName(const QString& name);

#endif
