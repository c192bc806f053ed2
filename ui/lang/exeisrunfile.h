#ifndef EXEISRUNFILE_H
#define EXEISRUNFILE_H

// The second-instance notice's own language files. Start-up shows that notice before the
// language tables exist, so it reads one small per-language file by itself: root "Total",
// element "EXEIsRun", keys matched by name (label, NewHong, label_2, PleaseStop).

#include <QHash>
#include <QString>

class ExeIsRunFile
{
public:
    // "0-English.xml", "1-简体中文.xml", ... for indices 0 to 5; any other index, negative ones
    // included, names "0-English.xml".
    static QString FileName(int languageIndex);

    // The file of a language index in the installation's "Language" folder.
    static QString Path(int languageIndex);

    // The texts of the recognised keys of every "EXEIsRun" element directly under the root, by
    // key name; a key read twice keeps the later text. Reading stops at the first error, keeping
    // what was read before it. Empty when the file cannot be opened.
    static QHash<QString, QString> Read(const QString& path);
};

#endif
