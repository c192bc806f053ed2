#ifndef QTTRANSLATION_H
#define QTTRANSLATION_H

#include <QString>

// Qt's own windows the program opens (the colour dialog, the file dialogs) in the chosen
// language: Qt's translation of that language, as the distribution installs it.
class QtTranslation
{
public:
    // Qt's name of a language index's locale ("zh_CN"); empty for English, which Qt's own
    // texts already speak, and for an index past the languages the program knows.
    static QString LocaleName(int language);

    // Puts Qt's translation of the language in place of the one before. Qt's dialogs that are
    // open take it at once; the program's own windows are not told, since they take their
    // texts from the language tables and a language change would put their forms' captions
    // back. False when the language needs a translation that is not installed.
    static bool Apply(int language);
};

#endif
