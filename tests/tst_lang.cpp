#include "core/apppaths.h"
#include "device/buttoncatalogue.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/exeisrunfile.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagelist.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/languagetables.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

using Entries = QList<QStringList>;

Q_DECLARE_METATYPE(LangTable)

static QString fixture(const QString& name)
{
    return TestEnv::SourceFolder() + QStringLiteral("/tests/fixtures/lang/") + name;
}

static Entries entriesOf(const LanguageTables& tables, LangTable table)
{
    Entries entries;
    for (int language = 0; language < tables.LanguageCount(table); ++language) {
        QStringList entry;
        for (int position = 0; position < tables.EntrySize(table, language); ++position)
            entry << tables.Text(table, language, position);
        entries << entry;
    }
    return entries;
}

static void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

static QVector<int> span(int first, int last)
{
    QVector<int> positions;
    for (int p = first; p <= last; ++p)
        positions << p;
    return positions;
}

class TestLang : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    // The reader, over small files.
    void entryRules_data();
    void entryRules();
    void folders_data();
    void folders();
    void deepNesting();
    void crlfLineEnds();

    // The accessor every window uses.
    void accessor_data();
    void accessor();
    void accessorFollowsCurrentLanguage();

    // The table of elements and keys.
    void tableLookups_data();
    void tableLookups();

    // The installation's files.
    void installedFilesFollowKeyOrder_data();
    void installedFilesFollowKeyOrder();
    void installedTablesComplete();
    void windowPositions_data();
    void windowPositions();
    void sharedTextsAgree();
    void englishTextsUsePlainPunctuation();
    void buttonPageTexts_data();
    void buttonPageTexts();

    // The second-instance notice's own files.
    void exeIsRunReader_data();
    void exeIsRunReader();
    void exeIsRunFiles_data();
    void exeIsRunFiles();

    // The languages a user can choose.
    void languageCount_data();
    void languageCount();
    void languageNames();
    void heldLanguage_data();
    void heldLanguage();

private:
    LanguageTables readSpanish(const QByteArray& file);
    LanguageTables readBody(const QByteArray& body);
    QTemporaryDir m_dir;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestLang::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_install = std::make_unique<TestEnv::Installation>(TestEnv::Installation::Shared);
    LoadLanguageFiles();
}

void TestLang::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
    m_install.reset();
}

// Reads a folder holding only "0-Spanish.xml" with these bytes.
LanguageTables TestLang::readSpanish(const QByteArray& file)
{
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/0-Spanish.xml"), file);
    return LanguageFileReader::ReadFolder(dir.path());
}

LanguageTables TestLang::readBody(const QByteArray& body)
{
    return readSpanish("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Total>\n" + body + "\n</Total>\n");
}

void TestLang::entryRules_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<LangTable>("table");
    QTest::addColumn<Entries>("expected");

    QTest::newRow("keys in list order")
        << QByteArray("<Question><label>a</label><label_2>b</label_2><NewHong>c</NewHong><NewHong_2>d</NewHong_2>"
                      "</Question>")
        << LangTable::QuestionTexts << Entries{{"a", "b", "c", "d"}};
    QTest::newRow("position is file order, terminal key closes the entry")
        << QByteArray("<Question><NewHong_2>d</NewHong_2><label>a</label><label_2>b</label_2><NewHong>c</NewHong>"
                      "</Question>")
        << LangTable::QuestionTexts << Entries{{"d"}};
    QTest::newRow("keys after the terminal key are lost")
        << QByteArray("<DialogMain><MainForm>m</MainForm><Exit>e</Exit><MainForm>lost</MainForm></DialogMain>")
        << LangTable::DialogMainTexts << Entries{{"m", "e"}};
    QTest::newRow("second terminal key adds a longer entry")
        << QByteArray("<DialogMain><MainForm>m</MainForm><Exit>e</Exit><Exit>f</Exit></DialogMain>")
        << LangTable::DialogMainTexts << Entries{{"m", "e"}, {"m", "e", "f"}};
    QTest::newRow("occurrence without terminal key adds nothing, the next moves down")
        << QByteArray("<DialogMain><MainForm>first</MainForm></DialogMain>"
                      "<DialogMain><MainForm>m</MainForm><Exit>e</Exit></DialogMain>")
        << LangTable::DialogMainTexts << Entries{{"m", "e"}};
    QTest::newRow("each table counts its own occurrences")
        << QByteArray("<DialogMain><MainForm>m0</MainForm><Exit>e0</Exit></DialogMain>"
                      "<Limit><label>x</label></Limit>"
                      "<DialogMain><MainForm>m1</MainForm><Exit>e1</Exit></DialogMain>")
        << LangTable::DialogMainTexts << Entries{{"m0", "e0"}, {"m1", "e1"}};
    QTest::newRow("unknown key takes no position")
        << QByteArray("<MouseOffLine><label>l</label><Other><label>x</label></Other><Timeout>t</Timeout>"
                      "</MouseOffLine>")
        << LangTable::MouseOffLineTexts << Entries{{"l", "t"}};
    QTest::newRow("names are case-sensitive and per element")
        << QByteArray("<MouseOffLine><Label>x</Label><label>l</label><MainForm>y</MainForm><Timeout>t</Timeout>"
                      "</MouseOffLine>")
        << LangTable::MouseOffLineTexts << Entries{{"l", "t"}};
    QTest::newRow("empty key keeps its position")
        << QByteArray("<MouseOffLine><label/><Timeout>t</Timeout></MouseOffLine>") << LangTable::MouseOffLineTexts
        << Entries{{"", "t"}};
    QTest::newRow("texts are not trimmed")
        << QByteArray("<Limit><label>  two\n lines  </label></Limit>") << LangTable::LimitTexts
        << Entries{{"  two\n lines  "}};
    QTest::newRow("entities, character references and CDATA")
        << QByteArray("<Limit><label>&lt;a&gt; &amp; &#x4E2D;<![CDATA[<b>]]></label></Limit>")
        << LangTable::LimitTexts << Entries{{QString::fromUtf8("<a> & 中<b>")}};
    QTest::newRow("single-key element with two keys")
        << QByteArray("<Limit><label>a</label><label>b</label></Limit>") << LangTable::LimitTexts
        << Entries{{"a"}, {"a", "b"}};
    QTest::newRow("empty page element adds nothing")
        << QByteArray("<Limit></Limit><Limit/>") << LangTable::LimitTexts << Entries{};
    QTest::newRow("unknown page element with known keys changes nothing")
        << QByteArray("<Limits><label>x</label></Limits>") << LangTable::LimitTexts << Entries{};
    QTest::newRow("page element nested in a page element is skipped")
        << QByteArray("<Limit><DialogMain><MainForm>m</MainForm><Exit>e</Exit></DialogMain><label>a</label>"
                      "</Limit>")
        << LangTable::DialogMainTexts << Entries{};
    QTest::newRow("child in the terminal key: text before it stored, reading ends")
        << QByteArray("<DialogMain><MainForm>m</MainForm><Exit>e<b/>x</Exit></DialogMain>"
                      "<DialogMain><MainForm>n</MainForm><Exit>f</Exit></DialogMain>")
        << LangTable::DialogMainTexts << Entries{{"m", "e"}};
    QTest::newRow("syntax error keeps the entries before it")
        << QByteArray("<Limit><label>a</label></Limit><Limit><label>b</label></Limit><Limit><<label>c</label></Limit>")
        << LangTable::LimitTexts << Entries{{"a"}, {"b"}};
}

void TestLang::entryRules()
{
    QFETCH(QByteArray, body);
    QFETCH(LangTable, table);
    QFETCH(Entries, expected);
    QCOMPARE(entriesOf(readBody(body), table), expected);
}

void TestLang::folders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<Entries>("dialogMain");
    QTest::addColumn<Entries>("mouseOffLine");

    QTest::newRow("0-Spanish.xml first, then Net.xml")
        << fixture("two-files") << Entries{{"Show A", "Exit A"}, {"Show B", "Exit B"}, {"Show C", "Exit C"}}
        << Entries{{"Offline A", "Timeout A"}, {"Offline B", "Timeout B"}};
    QTest::newRow("Net.xml missing") << fixture("spanish-only")
                                     << Entries{{"Show A", "Exit A"}, {"Show B", "Exit B"}}
                                     << Entries{{"Offline A", "Timeout A"}};
    QTest::newRow("0-Spanish.xml missing: Net.xml not read") << fixture("net-only") << Entries{} << Entries{};
    QTest::newRow("each file demands its own root") << fixture("roots-swapped") << Entries{} << Entries{};
    QTest::newRow("wrong root in 0-Spanish.xml, Net.xml still read")
        << fixture("spanish-root-wrong") << Entries{{"Show", "Exit"}} << Entries{};
    QTest::newRow("no folder") << fixture("none") << Entries{} << Entries{};
}

void TestLang::folders()
{
    QFETCH(QString, folder);
    QFETCH(Entries, dialogMain);
    QFETCH(Entries, mouseOffLine);
    const LanguageTables tables = LanguageFileReader::ReadFolder(folder);
    QCOMPARE(entriesOf(tables, LangTable::DialogMainTexts), dialogMain);
    QCOMPARE(entriesOf(tables, LangTable::MouseOffLineTexts), mouseOffLine);
}

void TestLang::deepNesting()
{
    // Far deeper than any call stack would take one frame per level.
    const int depth = 300000;
    QByteArray deep;
    deep.reserve(depth * 8);
    for (int i = 0; i < depth; ++i)
        deep += "<d>";
    for (int i = 0; i < depth; ++i)
        deep += "</d>";
    const LanguageTables tables = readBody("<Deep>" + deep + "</Deep>"
                                           + "<MouseOffLine><label>l</label><Skip>" + deep
                                           + "</Skip><Timeout>t</Timeout></MouseOffLine>"
                                           + "<Limit><label>after</label></Limit>");
    QCOMPARE(entriesOf(tables, LangTable::MouseOffLineTexts), (Entries{{"l", "t"}}));
    QCOMPARE(entriesOf(tables, LangTable::LimitTexts), (Entries{{"after"}}));
}

void TestLang::crlfLineEnds()
{
    const LanguageTables tables = readSpanish("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Total>\r\n"
                                              "<Limit>\r\n  <label>one\r\ntwo\r\n<![CDATA[three\r\n]]></label>\r\n</Limit>\r\n"
                                              "<MouseOffLine>\r\n<label>a</label>\r\n<Timeout>b</Timeout>\r\n"
                                              "</MouseOffLine>\r\n</Total>\r\n");
    QCOMPARE(entriesOf(tables, LangTable::LimitTexts), (Entries{{"one\ntwo\nthree\n"}}));
    QCOMPARE(entriesOf(tables, LangTable::MouseOffLineTexts), (Entries{{"a", "b"}}));
}

void TestLang::accessor_data()
{
    QTest::addColumn<LangTable>("table");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");

    QTest::newRow("language 1") << LangTable::QuestionTexts << 1 << 2 << "1c";
    QTest::newRow("language 0") << LangTable::QuestionTexts << 0 << 3 << "0d";
    QTest::newRow("missing language reads language 0") << LangTable::QuestionTexts << 2 << 2 << "0c";
    QTest::newRow("negative language reads language 0") << LangTable::QuestionTexts << -1 << 0 << "0a";
    QTest::newRow("position past the entry") << LangTable::QuestionTexts << 0 << 4 << "";
    QTest::newRow("negative position") << LangTable::QuestionTexts << 0 << -1 << "";
    QTest::newRow("short entry gives empty, not language 0") << LangTable::QuestionTexts << 1 << 3 << "";
    QTest::newRow("empty table") << LangTable::LimitTexts << 0 << 0 << "";
}

void TestLang::accessor()
{
    QFETCH(LangTable, table);
    QFETCH(int, language);
    QFETCH(int, position);
    QFETCH(QString, expected);

    LanguageTables tables;
    tables.Append(LangTable::QuestionTexts, {"0a", "0b", "0c", "0d"});
    tables.Append(LangTable::QuestionTexts, {"1a", "1b", "1c"});
    const auto installed = LanguageTables::Global();
    LanguageTables::SetGlobal(tables);
    const QString text = LangText(table, language, position);
    LanguageTables::SetGlobal(*installed);
    QCOMPARE(text, expected);
}

void TestLang::accessorFollowsCurrentLanguage()
{
    const int saved = CurrentLanguage;
    CurrentLanguage = 1;
    QCOMPARE(LangText(LangTable::DialogMainTexts, 1), QStringLiteral("退出"));
    // A stale index from Macro.ini or the registry.
    CurrentLanguage = 7;
    QCOMPARE(LangText(LangTable::DialogMainTexts, 1), QStringLiteral("Exit"));
    CurrentLanguage = saved;
}

// What the element names, keys and terminal keys are is checked against the installed files
// below; here, what the lookups rely on.
void TestLang::tableLookups_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < LangTableCount; ++index)
        QTest::newRow(qPrintable(LanguageTables::Specs()[size_t(index)].name)) << index;
}

void TestLang::tableLookups()
{
    QFETCH(int, index);
    const LangTableSpec& table = LanguageTables::Specs()[size_t(index)];
    // Texts are looked up by int(LangTable): a description out of place serves another window.
    QCOMPARE(int(table.table), index);
    QVERIFY(!table.keys.isEmpty());
    // A key listed twice would make positions depend on which occurrence matched.
    QCOMPARE(QSet<QString>(table.keys.begin(), table.keys.end()).size(), table.keys.size());
    // Two descriptions of one element would split its texts between two tables.
    for (const LangTableSpec& other : LanguageTables::Specs())
        QVERIFY2(&other == &table || other.element != table.element, qPrintable(table.element));
}

void TestLang::installedFilesFollowKeyOrder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("root");
    QTest::newRow("0-Spanish.xml") << "0-Spanish.xml"
                                   << "Total";
    QTest::newRow("Net.xml") << "Net.xml"
                             << "Profile";
}

void TestLang::installedFilesFollowKeyOrder()
{
    QFETCH(QString, file);
    QFETCH(QString, root);

    // Walked independently of the loader: every element once, with exactly its keys in list order,
    // so that a position means the same in every language.
    QFile f(AppPaths::InstallFolder() + QStringLiteral("/Language/") + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), root);
    QStringList elements;
    while (xml.readNextStartElement()) {
        const QString element = xml.name().toString();
        elements << element;
        QStringList keys;
        while (xml.readNextStartElement()) {
            keys << xml.name().toString();
            xml.skipCurrentElement();
        }
        bool known = false;
        for (const LangTableSpec& table : LanguageTables::Specs()) {
            if (table.element == element) {
                QCOMPARE(keys, table.keys);
                known = true;
            }
        }
        QVERIFY2(known, qPrintable(element));
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QStringList expected;
    for (const LangTableSpec& table : LanguageTables::Specs())
        expected << table.element;
    QCOMPARE(elements, expected);
}

void TestLang::installedTablesComplete()
{
    const auto tables = LanguageTables::Global();
    for (const LangTableSpec& table : LanguageTables::Specs()) {
        QCOMPARE(tables->LanguageCount(table.table), 2);
        for (int language = 0; language < 2; ++language) {
            QCOMPARE(tables->EntrySize(table.table, language), table.keys.size());
            for (int position = 0; position < table.keys.size(); ++position)
                QVERIFY2(!tables->Text(table.table, language, position).trimmed().isEmpty(),
                         qPrintable(QStringLiteral("%1 language %2 key %3")
                                        .arg(table.name)
                                        .arg(language)
                                        .arg(table.keys[position])));
        }
    }
}

void TestLang::windowPositions_data()
{
    QTest::addColumn<LangTable>("table");
    QTest::addColumn<QVector<int>>("positions");

    // Every window's SlotAllLanguage, by the positions it reads.
    const auto row = [](const char* window, LangTable table, const QVector<int>& positions) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(window, LanguageTables::Spec(table).name)))
            << table << positions;
    };
    const QVector<int> confirm{2};
    const QVector<int> confirmCancel{2, 3};
    row("DialogMain", LangTable::DialogMainTexts, {0, 1});
    row("DialogChange", LangTable::DialogChangeTexts, {0, 1, 2, 5, 6, 8});
    row("UpDataParam", LangTable::UpDataParamTexts, {0, 1});
    row("QuestiondialogB", LangTable::QuestionBTexts, {0});
    row("RePair", LangTable::RePairTexts, {0});
    row("RePair", LangTable::QuestionTexts, confirmCancel);
    row("InportFail", LangTable::InportFailTexts, {0, 1, 2, 3});
    row("InportFail", LangTable::QuestionTexts, confirm);
    row("MouseOffLine", LangTable::MouseOffLineTexts, {0, 1});
    row("MouseOffLine", LangTable::QuestionTexts, confirm);
    row("ContainReset", LangTable::ContainResetTexts, {0});
    row("ContainReset", LangTable::DialogChangeTexts, {4});
    row("ContainReset", LangTable::QuestionTexts, {3});
    row("Sensor", LangTable::SensorTexts, span(0, 5) + span(9, 23));
    row("LessThree", LangTable::LessThreeTexts, {0});
    row("LessThree", LangTable::QuestionTexts, confirm);
    row("Macro", LangTable::MacroTexts, span(0, 24));
    row("Macro", LangTable::ButtoninterfaceTexts, span(4, 8));
    row("QuestionDialog", LangTable::QuestionTexts, span(0, 3));
    row("AddDelayTime", LangTable::AddDelayTimeTexts, {0});
    row("AddDelayTime", LangTable::QuestionTexts, confirmCancel);
    row("addKey", LangTable::AddKeyTexts, {0});
    row("addKey", LangTable::QuestionTexts, confirmCancel);
    row("GroupKey", LangTable::GroupKeyTexts, {0});
    row("GroupKey", LangTable::QuestionTexts, confirmCancel);
    row("FireKey", LangTable::FireKeyTexts, {0, 1, 2});
    row("FireKey", LangTable::QuestionTexts, confirmCancel);
    row("LeftButtonOnly", LangTable::ButtonOnlyTexts, {0});
    row("MakeMacro", LangTable::MakeMacroTexts, {0});
    row("MakeMacro", LangTable::QuestionTexts, confirm);
    row("SameMacro", LangTable::SameMacroTexts, {0});
    row("SameMacro", LangTable::QuestionTexts, confirm);
    row("GroupMaxThree", LangTable::MaxThreeTexts, {0});
    row("GroupMaxThree", LangTable::QuestionTexts, confirm);
    row("KeyNumberLimit", LangTable::LimitTexts, {0});
    row("KeyNumberLimit", LangTable::QuestionTexts, confirm);
    row("DeleteConfirm", LangTable::DeleteConfirmTexts, {0});
    row("DeleteConfirm", LangTable::QuestionTexts, confirm);
    row("Buttoninterface", LangTable::ButtoninterfaceTexts, span(1, 51));
    row("LampLight", LangTable::LightTexts, span(0, 28));
    row("FormSetting", LangTable::FormSettingTexts, span(0, 7) + span(9, 40));
    row("FormSetting", LangTable::EnglishTexts, span(0, 3));
    row("Match", LangTable::MatchTexts, span(0, 5));
    row("UpDateRepair", LangTable::AutoRepairTexts, span(0, 12));
    row("UpDateRepair", LangTable::ProgressTexts, span(0, 2));
    row("UpDateRepair", LangTable::DialogChangeTexts, {4});
    row("UpDateWarning", LangTable::QuestionTexts, confirm);
    row("LedInfo", LangTable::FormSettingTexts, span(19, 22));
    row("LightModeSet", LangTable::ScreenInfoTexts, span(5, 11) + span(13, 20));
    row("InputPic", LangTable::ScreenInfoTexts, span(0, 4));
    row("Progress", LangTable::ProgressTexts, span(0, 2));
    row("Progress", LangTable::DialogChangeTexts, {4});
    row("FindNewVer", LangTable::NewVerTexts, {0, 1});
    row("FindNewVer", LangTable::QuestionTexts, confirm);
    row("InstallationNotice", LangTable::InstallationNoticeTexts, {0, 1});
    row("InstallationNotice", LangTable::QuestionTexts, confirm);
}

void TestLang::windowPositions()
{
    QFETCH(LangTable, table);
    QFETCH(QVector<int>, positions);
    for (int language = 0; language < 2; ++language) {
        for (int position : positions)
            QVERIFY2(!LangText(table, language, position).trimmed().isEmpty(),
                     qPrintable(QStringLiteral("language %1 position %2").arg(language).arg(position)));
    }
}

void TestLang::sharedTextsAgree()
{
    for (int language = 0; language < 2; ++language) {
        // The macro page finds the buttons that carry a deleted macro by the button page's caption.
        QCOMPARE(LangText(LangTable::MacroTexts, language, 19), LangText(LangTable::ButtoninterfaceTexts, language, 48));
        // Both pages host the same sleep-time list.
        for (int item = 0; item <= 10; ++item)
            QCOMPARE(LangText(LangTable::LightTexts, language, 12 + item),
                     LangText(LangTable::FormSettingTexts, language, 28 + item));
    }
    // A text quoted for a position stands as it is.
    QCOMPARE(LangText(LangTable::UpDataParamTexts, 0, 0), QStringLiteral("Please wait, we are updating the setting"));
}

void TestLang::englishTextsUsePlainPunctuation()
{
    // The forms' font stands in with a CJK family, which draws these a full character wide.
    const auto fullWidth = [](QChar c) {
        const ushort u = c.unicode();
        return (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF) || u == 0x2018 || u == 0x2019
            || u == 0x201C || u == 0x201D || u == 0x2026 || u == 0x2014 || u == 0x2015;
    };
    const auto tables = LanguageTables::Global();
    for (const LangTableSpec& table : LanguageTables::Specs()) {
        for (int position = 0; position < table.keys.size(); ++position) {
            const QString text = tables->Text(table.table, 0, position);
            QVERIFY2(std::none_of(text.cbegin(), text.cend(), fullWidth),
                     qPrintable(QStringLiteral("%1 key %2: %3").arg(table.name, table.keys[position], text)));
        }
    }
}

void TestLang::buttonPageTexts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    // The element names of this table are not the widgets that show the texts (the text of
    // VolumeUp_14, for one, sits under the key VolumeUp_8): only the position counts. One text too
    // many or too few in a file moves every later text onto the wrong caption.
    const auto entry = [](const char* name) {
        const CatalogueEntry* found = FindCatalogueEntry(QString::fromLatin1(name));
        return found ? found->position : -1;
    };
    QTest::newRow("left button") << entry("LeftKey_3") << "Left button" << QString::fromUtf8("左键");
    QTest::newRow("DPI cycle") << entry("VolumeUp_8") << "DPI cycle" << QString::fromUtf8("DPI循环");
    QTest::newRow("scroll up") << entry("VolumeUp_14") << "Scroll up" << QString::fromUtf8("上滚");
    QTest::newRow("scroll down") << entry("VolumeDown_14") << "Scroll down" << QString::fromUtf8("下滚");
    // Also the macro page's MacroTexts 19 (sharedTextsAgree).
    QTest::newRow("macro caption prefix")
        << MacroCaptionPrefixPosition << "Macro: " << QString::fromUtf8("宏：");
    QTest::newRow("profile prefix") << ProfileEntryPrefixPosition << "Profile " << QString::fromUtf8("配置");
    QTest::newRow("debounce unit") << 50 << "ms" << QString::fromUtf8("毫秒");
    QTest::newRow("home page, after the prefixes")
        << entry("VolumeDown_8") << "Home page" << QString::fromUtf8("主页");
}

void TestLang::buttonPageTexts()
{
    QFETCH(int, position);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    QCOMPARE(LangText(LangTable::ButtoninterfaceTexts, 0, position), english);
    QCOMPARE(LangText(LangTable::ButtoninterfaceTexts, 1, position), chinese);
}

void TestLang::exeIsRunReader_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("expected"); // label, NewHong, label_2, PleaseStop; "-" for missing

    QTest::newRow("keys by name, any order")
        << QByteArray("<Total><EXEIsRun><PleaseStop>s</PleaseStop><NewHong>n</NewHong><label>l</label>"
                      "<label_2>2</label_2></EXEIsRun></Total>")
        << QStringList{"l", "n", "2", "s"};
    QTest::newRow("second element wins per key")
        << QByteArray("<Total><EXEIsRun><label>a</label><NewHong>n</NewHong></EXEIsRun>"
                      "<EXEIsRun><label>b</label></EXEIsRun></Total>")
        << QStringList{"b", "n", "-", "-"};
    QTest::newRow("nested element skipped")
        << QByteArray("<Total><Other><EXEIsRun><label>x</label></EXEIsRun></Other></Total>")
        << QStringList{"-", "-", "-", "-"};
    QTest::newRow("wrong root") << QByteArray("<Profile><EXEIsRun><label>x</label></EXEIsRun></Profile>")
                                << QStringList{"-", "-", "-", "-"};
    QTest::newRow("error keeps what was read")
        << QByteArray("<Total><EXEIsRun><label>a</label><NewHong>n<b/></NewHong><label_2>x</label_2></EXEIsRun>"
                      "</Total>")
        << QStringList{"a", "n", "-", "-"};
}

void TestLang::exeIsRunReader()
{
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, expected);
    const QString path = m_dir.path() + QStringLiteral("/notice.xml");
    writeFile(path, xml);
    const QHash<QString, QString> texts = ExeIsRunFile::Read(path);
    const QStringList keys{"label", "NewHong", "label_2", "PleaseStop"};
    QStringList got;
    for (const QString& key : keys)
        got << texts.value(key, QStringLiteral("-"));
    QCOMPARE(got, expected);
}

void TestLang::exeIsRunFiles_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("tableLanguage"); // -1: no file is installed for it

    QTest::newRow("0") << 0 << "0-English.xml" << 0;
    QTest::newRow("1") << 1 << QString::fromUtf8("1-简体中文.xml") << 1;
    QTest::newRow("3") << 3 << "3-Korea.xml" << -1;
    QTest::newRow("7") << 7 << "0-English.xml" << 0;
    QTest::newRow("-1") << -1 << "0-English.xml" << 0;
}

void TestLang::exeIsRunFiles()
{
    QFETCH(int, index);
    QFETCH(QString, fileName);
    QFETCH(int, tableLanguage);

    QCOMPARE(ExeIsRunFile::FileName(index), fileName);
    const QHash<QString, QString> texts = ExeIsRunFile::Read(ExeIsRunFile::Path(index));
    if (tableLanguage < 0) {
        QVERIFY(texts.isEmpty());
        return;
    }
    // The notice's own file says what the tables say for that language.
    const QStringList keys = LanguageTables::Spec(LangTable::EXEIsRunTexts).keys;
    QCOMPARE(texts.size(), keys.size());
    for (int position = 0; position < keys.size(); ++position) {
        QVERIFY(!texts.value(keys[position]).isEmpty());
        QCOMPARE(texts.value(keys[position]), LangText(LangTable::EXEIsRunTexts, tableLanguage, position));
    }
}

void TestLang::languageCount_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("count");
    QTest::newRow("the installation") << AppPaths::InstallFolder() + QStringLiteral("/Language") << 2;
    // Three DialogMain entries but two MouseOffLine ones: the third language lacks a window.
    QTest::newRow("a language some table lacks") << fixture("two-files") << 2;
    QTest::newRow("one file") << fixture("spanish-only") << 1;
    QTest::newRow("nothing read still offers language 0") << fixture("net-only") << 1;
}

void TestLang::languageCount()
{
    QFETCH(QString, folder);
    QFETCH(int, count);
    QCOMPARE(LanguageList::Count(LanguageFileReader::ReadFolder(folder)), count);
}

void TestLang::languageNames()
{
    // Each language under the name its notice file gives it; the table file's "Spanish" is no language.
    QCOMPARE(LanguageList::Names(), (QStringList{QStringLiteral("English"), QString::fromUtf8("简体中文")}));
    QCOMPARE(LanguageList::Name(2), QString::fromUtf8("繁体中文"));
    QCOMPARE(LanguageList::Name(5), QStringLiteral("Japanese"));
    // Past the notice's files every index would read "0-English.xml": not a name of its own.
    QCOMPARE(LanguageList::Name(6), QStringLiteral("6"));
}

void TestLang::heldLanguage_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("held");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("one past the files") << 2 << 0;
    QTest::newRow("7") << 7 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestLang::heldLanguage()
{
    QFETCH(int, stored);
    QFETCH(int, held);
    QCOMPARE(LanguageList::Held(stored), held);
}

VEXO_TEST_MAIN(TestLang)
#include "tst_lang.moc"
