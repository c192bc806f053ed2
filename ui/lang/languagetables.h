#ifndef LANGUAGETABLES_H
#define LANGUAGETABLES_H

// The translated texts of every window: one table per window or notice, addressed as
// table[language][position]. Windows do not read these tables: they call LangText()
// (langtext.h), which never fails on a missing language or position.

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <memory>

// The 33 tables, in the order in which the loader compares page element names.
enum class LangTable {
    DialogChangeTexts,
    LightTexts,
    MacroTexts,
    SensorTexts,
    ButtoninterfaceTexts,
    ProgressTexts,
    UpDataParamTexts,
    QuestionBTexts,
    QuestionTexts,
    MouseOffLineTexts,
    MatchTexts,
    AutoRepairTexts,
    SameMacroTexts,
    RePairTexts,
    MakeMacroTexts,
    ButtonOnlyTexts,
    LimitTexts,
    MaxThreeTexts,
    GroupKeyTexts,
    FireKeyTexts,
    DeleteConfirmTexts,
    EXEIsRunTexts,
    ContainResetTexts,
    AddKeyTexts,
    AddDelayTimeTexts,
    DialogMainTexts,
    FormSettingTexts,
    InportFailTexts,
    NewVerTexts,
    LessThreeTexts,
    ScreenInfoTexts,
    EnglishTexts,
    InstallationNoticeTexts,
    NoMouseSettingsTexts,
};

constexpr int LangTableCount = 34;

// What a language file holds for one table.
struct LangTableSpec
{
    LangTable table;
    QString element;  // page element name in the language files (case-sensitive)
    QString name;     // table name, e.g. "DialogChangeTexts"
    QStringList keys; // recognised key elements; a text's position is its key's place here.
                      // The last key is the terminal key: reading it closes an entry.
};

class LanguageTables
{
public:
    // The 33 table descriptions, in dispatch order (indexable by int(LangTable)).
    static const std::array<LangTableSpec, LangTableCount>& Specs();
    static const LangTableSpec& Spec(LangTable table);

    // The process-wide tables that LangText() reads; empty until LoadLanguageFiles().
    // A snapshot: a later SetGlobal() does not change tables already handed out.
    static std::shared_ptr<const LanguageTables> Global();
    static void SetGlobal(LanguageTables tables);

    // Appends one entry (a language) to a table. Only the loader fills tables.
    void Append(LangTable table, const QStringList& entry);

    // Number of entries (languages) of a table, and the number of texts of one entry
    // (-1 when the table has no such entry).
    int LanguageCount(LangTable table) const;
    int EntrySize(LangTable table, int language) const;

    // The text at a language and a position. A language the table does not hold reads
    // language 0's entry; a position the entry does not hold (or an empty table) gives "".
    QString Text(LangTable table, int language, int position) const;

private:
    std::array<QVector<QStringList>, LangTableCount> m_tables;
};

#endif
