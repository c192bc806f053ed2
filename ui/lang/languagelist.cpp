#include "ui/lang/languagelist.h"

#include "ui/lang/exeisrunfile.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>

int LanguageList::Count(const LanguageTables& tables)
{
    int held = INT_MAX;
    for (const LangTableSpec& spec : LanguageTables::Specs()) {
        const int count = tables.LanguageCount(spec.table);
        if (count > 0)
            held = std::min(held, count);
    }
    return held == INT_MAX ? 1 : held;
}

int LanguageList::Count()
{
    return Count(*LanguageTables::Global());
}

QString LanguageList::Name(int language)
{
    const QString prefix = QString::number(language) + QLatin1Char('-');
    const QString file = ExeIsRunFile::FileName(language);
    if (!file.startsWith(prefix) || !file.endsWith(QLatin1String(".xml")))
        return QString::number(language);
    return file.mid(prefix.size(), file.size() - prefix.size() - 4);
}

QStringList LanguageList::Names()
{
    QStringList names;
    const int count = Count();
    for (int language = 0; language < count; ++language)
        names << Name(language);
    return names;
}

int LanguageList::Held(int language)
{
    return language >= 0 && language < Count() ? language : 0;
}

void LanguageList::Fill(QComboBox* box, int current)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(Names());
    box->setCurrentIndex(Held(current));
}

void LanguageList::Select(QComboBox* box, int language)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(language >= 0 && language < box->count() ? language : 0);
}
