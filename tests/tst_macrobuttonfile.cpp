#include "core/devicestate.h"
#include "device/keyusagetable.h"
#include "device/macrobuttonfile.h"
#include "device/macrotextfile.h"
#include "helpers/testenv.h"

#include <QDir>
#include <QFile>
#include <QTextCodec>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

QByteArray recordBytes(const MacroRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof(record));
}

// A record's bytes, written as the mouse would get them: name length, 30 name bytes, count,
// then each event as action, kind, usage (LE), delay (LE); the rest zero.
struct Event {
    int action, kind, usage;
    quint32 delay;
};
QByteArray expectedRecord(const QByteArray& name, int count, const QList<Event>& events)
{
    QByteArray bytes(int(sizeof(MacroRecord)), '\0');
    bytes[0] = char(name.size());
    for (int i = 0; i < name.size(); ++i)
        bytes[1 + i] = name.at(i);
    bytes[31] = char(count);
    for (int i = 0; i < events.size(); ++i) {
        const Event& e = events.at(i);
        char* p = bytes.data() + 32 + 8 * i;
        p[0] = char(e.action);
        p[1] = char(e.kind);
        p[2] = char(e.usage & 0xFF);
        p[3] = char(e.usage >> 8);
        for (int b = 0; b < 4; ++b)
            p[4 + b] = char((e.delay >> (8 * b)) & 0xFF);
    }
    return bytes;
}

QByteArray delayLines(int n)
{
    QByteArray lines;
    for (int i = 0; i < n; ++i)
        lines += "0x04 1 0\n" + QByteArray::number(i + 1) + "ms\n";
    return lines;
}

} // namespace

class TestMacroButtonFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadMacroKeys_data();
    void loadMacroKeys();
    void longFilesStayInsideTheRecord();
    void loadNeedsSendingPagesAndAFile();
    void readMacroFile_data();
    void readMacroFile();
    void repeatValue_data();
    void repeatValue();
    void headerReplacesTheFile();
    void unusableNamesTouchNoFile_data();
    void unusableNamesTouchNoFile();
    void scan_data();
    void scan();

private:
    QString path(const QString& name) const { return MacroFilePath(MacroFolder(), name); }

    std::unique_ptr<TestEnv::TempHome> m_home;
    QTextCodec* m_savedCodec = nullptr;
    std::array<QString, 5> m_savedButtonNames;
};

void TestMacroButtonFile::init()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    QVERIFY(QDir().mkpath(MacroFolder()));
    m_savedCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    UiSendsChanges.store(1);
    m_savedButtonNames = MouseButtonNames;
    MouseButtonNames = {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Middle"),
                        QStringLiteral("Back"), QStringLiteral("Forward")};
}

void TestMacroButtonFile::cleanup()
{
    UiSendsChanges.store(0);
    MouseButtonNames = m_savedButtonNames;
    QTextCodec::setCodecForLocale(m_savedCodec);
    m_home.reset();
}

void TestMacroButtonFile::loadMacroKeys_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray utf8("UTF-8");
    QTest::newRow("press, delay, release")
        << utf8 << "abc" << QByteArray("3\n0x04 1 0\n20ms\n0x04 1 1\n")
        << expectedRecord("abc", 2, {{0, 1, 0x04, 20}, {1, 1, 0x04, 0}});
    QTest::newRow("CRLF reads the same")
        << utf8 << "abc" << QByteArray("3\r\n0x04 1 0\r\n20ms\r\n0x04 1 1\r\n")
        << expectedRecord("abc", 2, {{0, 1, 0x04, 20}, {1, 1, 0x04, 0}});
    QTest::newRow("last line without line break stays a release")
        << utf8 << "abc" << QByteArray("1\n0x04 1 0\n5ms\n0x04 1 1")
        << expectedRecord("abc", 2, {{0, 1, 0x04, 5}, {1, 1, 0x04, 0}});
    QTest::newRow("repeat line only: one zero event")
        << utf8 << "m" << QByteArray("7\n") << expectedRecord("m", 1, {});
    QTest::newRow("two event lines in a row: the second wins")
        << utf8 << "m" << QByteArray("1\n0x04 1 0\n0x05 1 1\n9ms\n")
        << expectedRecord("m", 2, {{1, 1, 0x05, 9}});
    QTest::newRow("modifier and mouse button kinds")
        << utf8 << "m" << QByteArray("1\n0x02 0 0\n10ms\n0x01 4 0\n")
        << expectedRecord("m", 2, {{0, 0, 0x02, 10}, {0, 4, 0x01, 0}});
    QTest::newRow("31-byte name keeps 30")
        << utf8 << QString(31, QLatin1Char('n')) << QByteArray("1\n") << expectedRecord(QByteArray(30, 'n'), 1, {});
    QTest::newRow("GBK name in its own bytes")
        << QByteArray("GBK") << QString::fromUtf8("中文") << QByteArray("1\n")
        << expectedRecord(QByteArray::fromHex("d6d0cec4"), 1, {});
    QTest::newRow("GBK: 16 characters keep 15 whole ones")
        << QByteArray("GBK") << QString::fromUtf8("中文中文中文中文中文中文中文中文") << QByteArray("1\n")
        << expectedRecord(QByteArray::fromHex("d6d0cec4").repeated(7) + QByteArray::fromHex("d6d0"), 1, {});
}

void TestMacroButtonFile::loadMacroKeys()
{
    QFETCH(QByteArray, codec);
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);

    // The locale's codec also names the files.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(codec));
    QVERIFY(TestEnv::WriteFile(path(name), file));
    bool ok = false;
    const MacroRecord record = LoadMacroKeys(name, ok);
    QVERIFY(ok);
    QCOMPARE(recordBytes(record).toHex(' '), expected.toHex(' '));
}

void TestMacroButtonFile::longFilesStayInsideTheRecord()
{
    struct Case {
        int delayLines;
        int count;
    };
    for (const Case c : {Case{69, 70}, Case{70, 70}, Case{80, 70}}) {
        QVERIFY(TestEnv::WriteFile(path(QStringLiteral("long")), "1\n" + delayLines(c.delayLines) + "0x05 1 1\n"));
        // A write past the record shows in the sanitizer build.
        bool ok = false;
        const MacroRecord record = LoadMacroKeys(QStringLiteral("long"), ok);
        QVERIFY(ok);
        QCOMPARE(int(record.eventCount), c.count);
        // Event 69 is the last: its delay is the 70th delay line's, when there is one.
        QCOMPARE(record.events[69].delay, quint32(c.delayLines >= 70 ? 70 : 0));
    }
}

void TestMacroButtonFile::loadNeedsSendingPagesAndAFile()
{
    QVERIFY(TestEnv::WriteFile(path(QStringLiteral("m")), "1\n0x04 1 0\n"));
    bool ok = true;
    UiSendsChanges.store(0);
    QCOMPARE(recordBytes(LoadMacroKeys(QStringLiteral("m"), ok)), QByteArray(int(sizeof(MacroRecord)), '\0'));
    QVERIFY(!ok);

    UiSendsChanges.store(1);
    ok = true;
    QCOMPARE(recordBytes(LoadMacroKeys(QStringLiteral("missing"), ok)), QByteArray(int(sizeof(MacroRecord)), '\0'));
    QVERIFY(!ok);

    // A file that is no macro (a delay that is no number, a line of two words) gives nothing.
    QVERIFY(TestEnv::WriteFile(path(QStringLiteral("junk")), "1\n0x04 1 0\nsoon\n0x04 1\n0x05 1 1\n"));
    ok = true;
    QCOMPARE(recordBytes(LoadMacroKeys(QStringLiteral("junk"), ok)), QByteArray(int(sizeof(MacroRecord)), '\0'));
    QVERIFY(!ok);

    // A NUL in the button's text is not part of the file name.
    ok = false;
    const MacroRecord record = LoadMacroKeys(QStringLiteral("m") + QChar(0), ok);
    QVERIFY(ok);
    QCOMPARE(int(record.nameLength), 1);
}

void TestMacroButtonFile::readMacroFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("repeat");

    QTest::newRow("count") << QByteArray("3\n0x04 1 0\n") << "3" << 3;
    QTest::newRow("mode 255") << QByteArray("255\n") << "255" << 255;
    QTest::newRow("mode 253, CRLF") << QByteArray("253\r\n10ms\r\n") << "253" << 253;
    QTest::newRow("300 is no byte") << QByteArray("300\n") << "300" << 1;
    QTest::newRow("blanks around") << QByteArray("  12  rest\n") << "12" << 12;
    QTest::newRow("empty first line") << QByteArray("\n0x04 1 0\n") << "" << 0;
    QTest::newRow("letters") << QByteArray("abc\n") << "abc" << 0;
    QTest::newRow("empty file") << QByteArray() << "" << 0;
}

void TestMacroButtonFile::readMacroFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QFETCH(int, repeat);

    QVERIFY(TestEnv::WriteFile(path(QStringLiteral("r")), file));
    QCOMPARE(ReadMacroFile(QStringLiteral("r")), expected);
    QCOMPARE(MacroRepeatValue(ReadMacroFile(QStringLiteral("r"))), repeat);
    QCOMPARE(ReadMacroFile(QStringLiteral("none")), QString());
}

void TestMacroButtonFile::repeatValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("250") << "250" << 250;
    QTest::newRow("256") << "256" << 1;
    QTest::newRow("-1") << "-1" << 1;
    QTest::newRow("huge") << "99999999999999999999" << 0;
    QTest::newRow("hex is no number") << "0x10" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestMacroButtonFile::repeatValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(MacroRepeatValue(text), value);
}

void TestMacroButtonFile::headerReplacesTheFile()
{
    QVERIFY(TestEnv::WriteFile(path(QStringLiteral("h")), "5\n0x04 1 0\n10ms\n0x04 1 1\n"));
    QVERIFY(WriteMacroFileHeader(QStringLiteral("h"), QStringLiteral("254")));
    QCOMPARE(TestEnv::ReadFile(path(QStringLiteral("h"))), QByteArray("254\n"));
    // A macro the mouse holds but the folder does not gets its file.
    QVERIFY(WriteMacroFileHeader(QString::fromUtf8("新"), QStringLiteral("3")));
    QCOMPARE(TestEnv::ReadFile(path(QString::fromUtf8("新"))), QByteArray("3\n"));
}

void TestMacroButtonFile::unusableNamesTouchNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << "../x";
    QTest::newRow("empty") << "";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("sub folder") << "a/b";
}

void TestMacroButtonFile::unusableNamesTouchNoFile()
{
    QFETCH(QString, name);
    // Files the names would reach if they were taken as paths.
    const QString outside = QDir(MacroFolder()).absoluteFilePath(QStringLiteral("../x.ini"));
    QVERIFY(TestEnv::WriteFile(outside, "7\n0x04 1 0\n"));
    QVERIFY(TestEnv::WriteFile(MacroFolder() + QStringLiteral("/.ini"), "7\n"));
    QVERIFY(QDir().mkpath(MacroFolder() + QStringLiteral("/a")));
    QVERIFY(TestEnv::WriteFile(MacroFolder() + QStringLiteral("/a/b.ini"), "7\n"));

    QVERIFY(!WriteMacroFileHeader(name, QStringLiteral("1")));
    bool ok = true;
    LoadMacroKeys(name, ok);
    QVERIFY(!ok);
    QCOMPARE(ReadMacroFile(name), QString());
    QCOMPARE(TestEnv::ReadFile(outside), QByteArray("7\n0x04 1 0\n"));
    QCOMPARE(TestEnv::ReadFile(MacroFolder() + QStringLiteral("/.ini")), QByteArray("7\n"));
    QCOMPARE(TestEnv::ReadFile(MacroFolder() + QStringLiteral("/a/b.ini")), QByteArray("7\n"));
}

void TestMacroButtonFile::scan_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("atStart");
    QTest::addColumn<QStringList>("afterRebuild");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("placeholders");

    QTest::newRow("three macros and one xml file")
        << QStringList{"b.ini", "A.ini", "c.ini", "list.xml"} << QStringList{"A", "b", "c"}
        << QStringList{"A", "b", "c"} << 3 << 4;
    QTest::newRow("two xml files: the first out everywhere, the second at start only")
        << QStringList{"a.ini", "xml1.ini", "xml2.ini"} << QStringList{"a", "xml2"} << QStringList{"a"} << 2 << 5;
    QTest::newRow("every .ini removed, hidden files too")
        << QStringList{"x.ini.ini", ".h.ini"} << QStringList{".h", "x"} << QStringList{".h", "x"} << 2 << 5;
    QTest::newRow("XML in capitals is a macro") << QStringList{"XML.ini"} << QStringList{"XML"} << QStringList{"XML"}
                                                << 1 << 6;
    QTest::newRow("seven fill the list") << QStringList{"1.ini", "2.ini", "3.ini", "4.ini", "5.ini", "6.ini", "7.ini"}
                                         << QStringList{"1", "2", "3", "4", "5", "6", "7"}
                                         << QStringList{"1", "2", "3", "4", "5", "6", "7"} << 7 << 0;
    QTest::newRow("only the program's own names: no save leftovers")
        << QStringList{"a.ini", "a.ini.AbCdEf", "b.txt", "c"} << QStringList{"a"} << QStringList{"a"} << 1 << 6;
    QTest::newRow("empty folder") << QStringList{} << QStringList{} << QStringList{} << 0 << 0;
    QTest::newRow("only an xml file") << QStringList{"a.xml"} << QStringList{} << QStringList{} << 0 << 0;
}

void TestMacroButtonFile::scan()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, atStart);
    QFETCH(QStringList, afterRebuild);
    QFETCH(int, entries);
    QFETCH(int, placeholders);

    for (const QString& file : files)
        QVERIFY(TestEnv::WriteFile(MacroFolder() + QLatin1Char('/') + file, "1\n"));
    // Neither folders nor links are macros.
    QVERIFY(QDir().mkpath(MacroFolder() + QStringLiteral("/folder.ini")));
    QVERIFY(QFile::link(MacroFolder() + QStringLiteral("/nowhere"), MacroFolder() + QStringLiteral("/link.ini")));

    const MacroButtonScan start = ScanMacroButtonFiles(MacroFolder(), false);
    QCOMPARE(start.texts, atStart);
    QCOMPARE(start.entries, entries);
    QCOMPARE(MacroPlaceholderCount(start.entries), placeholders);
    const MacroButtonScan rebuild = ScanMacroButtonFiles(MacroFolder(), true);
    QCOMPARE(rebuild.texts, afterRebuild);
    QCOMPARE(rebuild.entries, entries);

    QCOMPARE(ScanMacroButtonFiles(MacroFolder() + QStringLiteral("/none"), false).entries, 0);
}

VEXO_TEST_CORE_MAIN(TestMacroButtonFile)
#include "tst_macrobuttonfile.moc"
