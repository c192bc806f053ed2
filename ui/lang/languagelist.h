#ifndef LANGUAGELIST_H
#define LANGUAGELIST_H

// The languages a user can choose: every language the text tables hold, each under the name it
// gives itself. Both language lists (device choice page, settings page) are filled from here.

#include "ui/lang/languagetables.h"

#include <QString>
#include <QStringList>

class QComboBox;

class LanguageList
{
public:
    // The languages the tables hold: the entries that every filled table has (a language some
    // window lacks is not offered). At least 1: language 0 is always there, also with no files.
    static int Count(const LanguageTables& tables);
    static int Count();

    // The name a language gives itself: the second-instance notice names its file of each
    // language that way ("0-English.xml", "1-简体中文.xml"). A language past those files is
    // named by its index.
    static QString Name(int language);
    static QStringList Names();

    // The language itself when the tables hold it, else language 0: an index from Macro.ini
    // or the registry may name a language this installation lacks.
    static int Held(int language);

    // Puts every language into a list and selects `current`; no signal is sent.
    static void Fill(QComboBox* box, int current);
    // Selects a language in a filled list (language 0 for one it lacks); no signal is sent.
    static void Select(QComboBox* box, int language);
};

#endif
