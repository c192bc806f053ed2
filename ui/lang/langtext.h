#ifndef LANGTEXT_H
#define LANGTEXT_H

// How every window reads its texts. A window's SlotAllLanguage(int index) sets each caption from
// a fixed position of its table, for example
//
//     ui->Reset->setText(LangText(LangTable::ButtoninterfaceTexts, index, 1));
//
// The positions are those of the window's key list (LanguageTables::Spec(table).keys). Lookups
// never fail: a language the files do not hold (a stale index from Macro.ini or the registry)
// reads language 0, and a position the entry lacks, or an empty table, gives "".

#include "ui/lang/languagetables.h"

#include <QString>

#include <atomic>

// The current language index: the first index into the tables. Set from Macro.ini by the
// top-level window at start-up and by the two language choices; 0 at start.
extern std::atomic<int> CurrentLanguage;

// The text of a table at a language and a position.
QString LangText(LangTable table, int language, int position);

// The same for CurrentLanguage.
QString LangText(LangTable table, int position);

#endif
