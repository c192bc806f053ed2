#ifndef MACROTEXTFILE_H
#define MACROTEXTFILE_H
// The macro text files: one plain-text file per macro, "<name>.ini" in the macro folder. Line 1
// is the repeat value; each later line an event ("0x04 1 0": code text, kind, direction) or a
// delay ("10ms"). Plain text, never QSettings. The macro page and the button page both read
// and write them through these functions. GUI thread.
#include "device/macroevents.h"

#include <QFileInfoList>
#include <QString>
#include <QStringList>
#include <QVector>

// The files are small; a larger one is not a macro file and loads nothing.
constexpr qint64 MacroFileMaxBytes = 64 * 1024;

// UserDataFolder + "/usersetting/MacroPage" (no trailing separator).
QString MacroFolder();
// folder + "/" + name + ".ini".
QString MacroFilePath(const QString& folder, const QString& name);

// The macro folder's plain files named "*.ini" (hidden ones too; no folders, no links) in name
// order ignoring case. Other files, the temporaries of an interrupted save among them, are no
// macros.
QFileInfoList MacroFolderEntries(const QString& folder);
// The macro list: those files, names containing "xml" (case-sensitive) skipped, every ".ini" removed.
QStringList ListMacroNames(const QString& folder);

struct MacroFileContent {
    bool loaded = false;        // the file exists, opened, is not larger than MacroFileMaxBytes and
                                // every line after the first is an event, a delay or blank
    bool hasRepeatLine = false; // it had a first line
    int repeat = 0;             // that line as a number, 0 when it is none
    QVector<MacroEventRow> rows;
};

// The lines of a macro file (plain files of at most MacroFileMaxBytes), UTF-8, LF or CRLF, a
// last line without line break included; false when it cannot be read.
bool ReadMacroFileLines(const QString& path, QStringList* lines);

// Reads a file as the writers below leave it. Line 1 is the repeat value (a number, else 0).
// Every later line, split at blanks, is an event of three parts (code text "0x" and two
// upper-case hex digits, a kind a device event holds: 0, 1, 2 or 4, then "0" press or "1"
// release; name from the key table, kind and code kept) or a delay of one part
// (IsMacroFileDelay); blank lines are skipped. Any other line (random bytes, a line cut short)
// refuses the whole file: loaded false, no rows. LF and CRLF endings; a last line without line
// break counts when it is whole.
MacroFileContent ReadMacroTextFile(const QString& path);
// The same rules on lines ReadMacroFileLines gave.
MacroFileContent ParseMacroFileLines(const QStringList& lines);
// A delay row as the files hold it: decimal milliseconds that fit the device's 32-bit delay,
// then "ms" ("10ms").
bool IsMacroFileDelay(const QString& text);

// The lines of rows after the repeat line, each ended by "\n": an event as its code text, kind
// and direction, a delay as its text. An event without a key table row is written as the
// empty key.
QByteArray MacroFileRowLines(const QVector<MacroEventRow>& rows);

// Creates an empty file; false (and nothing touched) when a file of that path exists already
// or it cannot be created.
bool CreateMacroTextFile(const QString& path);
// Writes repeat line and rows in one step (QSaveFile); false and the file untouched on failure.
// With mustExist the file is written only when it is there already.
bool SaveMacroTextFile(const QString& path, int repeat, const QVector<MacroEventRow>& rows, bool mustExist = true);
// Appends the rows' lines (no repeat line) to an existing file; false when it is missing.
bool AppendMacroTextFile(const QString& path, const QVector<MacroEventRow>& rows);
// Empties a file, creating it when missing.
bool TruncateMacroTextFile(const QString& path);
// Renames "<oldName>.ini" to "<newName>.ini" in folder; false when the target exists or the
// rename fails.
bool RenameMacroTextFile(const QString& folder, const QString& oldName, const QString& newName);

#endif
