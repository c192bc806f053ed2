#ifndef MACROBUTTONFILE_H
#define MACROBUTTONFILE_H
// The button page's side of the macro text files: which macros its list offers, the record a
// file gives a mouse button, the repeat value of a file and the rewrite of its first line.
// Files are "<name>.ini" in MacroFolder(); a name that IsUsableMacroName refuses touches no file.
#include "hidusb/flashdatamap.h"

#include <QString>
#include <QStringList>

// The macro list of the button page, from one scan of the folder (MacroFolderEntries: plain
// "*.ini" files, no links, in name order ignoring case), the first name holding "xml" left out.
// At construction every other file gets a button; a rebuild also leaves out the further "xml"
// names. texts are the file names with every ".ini" removed; entries counts the files after the
// first "xml" one is out (the placeholders follow it).
struct MacroButtonScan {
    QStringList texts;
    int entries = 0;
};
MacroButtonScan ScanMacroButtonFiles(const QString& folder, bool rebuild);

// The hidden placeholders after `entries` real buttons, so a short list keeps its height.
int MacroPlaceholderCount(int entries);

// The record of a macro file: the name (NULs removed, cut to 30 local 8-bit bytes), then per
// event line its key (KeyNameFromHidText, MacroKeyCodeFromName) and direction (third word "1"
// release, else press); a delay line ("20ms") ends the event. At most 70 events; count = events
// ended + 1, at most 70. ok is false, and the record zero, while the pages send no changes or
// when the file cannot be read or is no macro file (ReadMacroTextFile refuses it).
MacroRecord LoadMacroKeys(const QString& name, bool& ok);

// The first word of the file's first line, "" when there is none or no file.
QString ReadMacroFile(const QString& name);

// The repeat byte a button stores for a repeat text: 0 when it is not a number, 1 when it lies
// outside 0 to 255 (what the macro page shows for it), else the number.
int MacroRepeatValue(const QString& text);

// Replaces the file by the single line text + "\n" (UTF-8), creating it when missing.
bool WriteMacroFileHeader(const QString& name, const QString& text);

#endif
