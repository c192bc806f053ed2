#include "device/keyusagetable.h"
#include "device/macrorecordcodec.h"
#include "device/macrotextfile.h"
#include "helpers/testenv.h"

#include <QDir>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/types.h>

Q_DECLARE_METATYPE(QVector<MacroEventRow>)

namespace {

const std::array<QString, 5> kButtonNames = {QStringLiteral("Left button"), QStringLiteral("Right button"),
                                             QStringLiteral("Middle button"), QStringLiteral("Back button"),
                                             QStringLiteral("Forward button")};

MacroEventRow keyRow(const QString& text, int kind, int code, bool down)
{
    MacroEventRow row;
    row.text = text;
    row.itemType = down ? MacroEventRow::Press : MacroEventRow::Release;
    row.hasKey = true;
    row.kind = kind;
    row.code = code;
    return row;
}

// A row without kind and code, as an import gives it.
MacroEventRow imported(const QString& text, bool down)
{
    MacroEventRow row;
    row.text = text;
    row.itemType = down ? MacroEventRow::Press : MacroEventRow::Release;
    return row;
}

MacroEventRow delay(const QString& text)
{
    MacroEventRow row;
    row.text = text;
    return row;
}

// "A v 1:0x04" (press), "A ^ 1:0x04" (release), "10ms" (delay), "125 v -" (neither, no kind and code).
QStringList render(const QVector<MacroEventRow>& rows)
{
    QStringList lines;
    for (const MacroEventRow& row : rows) {
        if (row.IsDelay() && !row.hasKey && row.itemType == MacroEventRow::Press) {
            lines << row.text;
            continue;
        }
        const QString keyPart =
            row.hasKey ? QString::number(row.kind) + QLatin1Char(':') + KeyCodeText(row.code) : QStringLiteral("-");
        lines << QStringLiteral("%1 %2 %3").arg(row.text, row.IsRelease() ? "^" : "v", keyPart);
    }
    return lines;
}

// A macro file of rows events and delays alternating.
QVector<MacroEventRow> longMacro(int rows)
{
    QVector<MacroEventRow> list;
    for (int i = 0; i < rows; ++i) {
        if (i % 2)
            list << delay(QString::number(i) + QStringLiteral("ms"));
        else
            list << keyRow(QStringLiteral("A"), KindKeyboard, 0x04, (i / 2) % 2 == 0);
    }
    return list;
}

} // namespace

class TestMacroTextFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void folderIsUnderUserData();
    void listing();
    void read_data();
    void read();
    void readRefusesWhatIsNoMacroFile_data();
    void readRefusesWhatIsNoMacroFile();
    void readRefusesMalformedLines_data();
    void readRefusesMalformedLines();
    void readsWhatTheProgramWrites_data();
    void readsWhatTheProgramWrites();
    void rowLines_data();
    void rowLines();
    void saveThenReadKeepsRows();
    void save_data();
    void save();
    void createNeverTruncates();
    void appendAddsBareLines_data();
    void appendAddsBareLines();
    void truncate_data();
    void truncate();
    void rename_data();
    void rename();
    void benchmarkListing();
    void benchmarkReadAndSave();

private:
    QString path(const QString& name) const { return MacroFilePath(m_dir->path(), name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::array<QString, 5> m_savedNames;
};

void TestMacroTextFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_savedNames = MouseButtonNames;
    MouseButtonNames = kButtonNames;
}

void TestMacroTextFile::cleanup()
{
    MouseButtonNames = m_savedNames;
    m_dir.reset();
}

void TestMacroTextFile::folderIsUnderUserData()
{
    TestEnv::TempHome home;
    QCOMPARE(MacroFolder(), home.userDataFolder() + QStringLiteral("/usersetting/MacroPage"));
    QCOMPARE(MacroFilePath(QStringLiteral("/f"), QStringLiteral("a b")), QStringLiteral("/f/a b.ini"));
}

void TestMacroTextFile::listing()
{
    const QString folder = m_dir->path();
    // "b.ini.AbCdEf" is what a save cut short leaves: no macro, as no file of another name is.
    for (const char* name : {"b.ini", "A.ini", "notes.xml", "c.txt", ".h.ini", "XML.ini", "two.ini.ini", "bxmlc.ini",
                             "b.ini.AbCdEf", "c.INI", "d.ini~"})
        QVERIFY(TestEnv::WriteFile(folder + QLatin1Char('/') + QLatin1String(name), "1\n"));
    QVERIFY(QDir(folder).mkdir(QStringLiteral("sub.ini")));
    QVERIFY(QFile::link(folder + QStringLiteral("/A.ini"), folder + QStringLiteral("/link.ini")));
    QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("/pipe.ini")).constData(), 0600), 0);

    // Name order ignoring case: '.' sorts before the letters.
    const QStringList expected = {".h", "A", "b", "two", "XML"};
    QCOMPARE(ListMacroNames(folder), expected);
    QCOMPARE(ListMacroNames(folder + QStringLiteral("/missing")), QStringList());
}

void TestMacroTextFile::read_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("hasRepeatLine");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QStringList>("rows");

    const QStringList aClick = {"A v 1:0x04", "10ms", "A ^ 1:0x04"};
    QTest::newRow("saved example") << QByteArray("254\n0x04 1 0\n10ms\n0x04 1 1\n") << true << 254 << aClick;
    QTest::newRow("CRLF") << QByteArray("254\r\n0x04 1 0\r\n10ms\r\n0x04 1 1\r\n") << true << 254 << aClick;
    QTest::newRow("no final line break") << QByteArray("254\n0x04 1 0\n10ms\n0x04 1 1") << true << 254 << aClick;
    QTest::newRow("no final line break, CRLF") << QByteArray("1\r\n0x04 1 0\r\n10ms\r\n0x04 1 1") << true << 1 << aClick;
    QTest::newRow("repeat 300") << QByteArray("300\n") << true << 300 << QStringList();
    QTest::newRow("repeat 0") << QByteArray("0\n") << true << 0 << QStringList();
    QTest::newRow("repeat letters") << QByteArray("abc\n0x04 1 0\n") << true << 0 << QStringList{"A v 1:0x04"};
    QTest::newRow("repeat with blanks") << QByteArray(" 253 \n") << true << 253 << QStringList();
    QTest::newRow("only a repeat line, no break") << QByteArray("255") << true << 255 << QStringList();
    QTest::newRow("empty first line") << QByteArray("\n0x04 1 0\n") << true << 0 << QStringList{"A v 1:0x04"};
    QTest::newRow("empty file") << QByteArray() << false << 0 << QStringList();
    QTest::newRow("blank lines skipped") << QByteArray("1\n\n   \n0x04 1 0\n") << true << 1
                                         << QStringList{"A v 1:0x04"};
    QTest::newRow("runs of blanks") << QByteArray("1\n  0x04   1  1  \n") << true << 1 << QStringList{"A ^ 1:0x04"};
    QTest::newRow("modifier") << QByteArray("1\n0x02 0 1\n") << true << 1 << QStringList{"LShift ^ 0:0x02"};
    QTest::newRow("same code, other kind") << QByteArray("1\n0x04 0 0\n0x04 1 0\n") << true << 1
                                           << QStringList{"LAlt v 0:0x04", "A v 1:0x04"};
    QTest::newRow("mouse button") << QByteArray("1\n0x10 4 0\n") << true << 1
                                  << QStringList{"Forward button v 4:0x10"};
    QTest::newRow("unknown code keeps kind and code") << QByteArray("1\n0x99 1 0\n0x03 4 1\n") << true << 1
                                                      << QStringList{" v 1:0x99", " ^ 4:0x03"};
    QTest::newRow("consumer kind") << QByteArray("1\n0xE9 2 0\n") << true << 1 << QStringList{" v 2:0xE9"};
    QTest::newRow("delays at the ends of the range") << QByteArray("1\n0ms\n4294967295ms\n007ms\n") << true << 1
                                                     << QStringList{"0ms", "4294967295ms", "007ms"};
}

void TestMacroTextFile::read()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, hasRepeatLine);
    QFETCH(int, repeat);
    QFETCH(QStringList, rows);

    QVERIFY(TestEnv::WriteFile(path("m"), data));
    const MacroFileContent content = ReadMacroTextFile(path("m"));
    QVERIFY(content.loaded);
    QCOMPARE(content.hasRepeatLine, hasRepeatLine);
    QCOMPARE(content.repeat, repeat);
    QCOMPARE(render(content.rows), rows);
}

void TestMacroTextFile::readRefusesWhatIsNoMacroFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("loaded");

    QTest::newRow("64 KiB file") << "64k" << true;
    QTest::newRow("one byte more") << "64k+1" << false;
    QTest::newRow("65 KiB file") << "65k" << false;
    QTest::newRow("missing") << "missing" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("pipe") << "pipe" << false;
}

void TestMacroTextFile::readRefusesWhatIsNoMacroFile()
{
    QFETCH(QString, what);
    QFETCH(bool, loaded);

    const QString file = path("m");
    const QByteArray start("1\n0x04 1 0\n");
    if (what.startsWith(QLatin1String("6"))) {
        const int size = what == QLatin1String("64k") ? 64 * 1024 : what == QLatin1String("64k+1") ? 64 * 1024 + 1 : 65 * 1024;
        QVERIFY(TestEnv::WriteFile(file, start + QByteArray(size - start.size(), '\n')));
    } else if (what == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(file));
    } else if (what == QLatin1String("pipe")) {
        // Opening a pipe without a writer would never return.
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    }

    const MacroFileContent content = ReadMacroTextFile(file);
    QCOMPARE(content.loaded, loaded);
    QCOMPARE(content.hasRepeatLine, loaded);
    QCOMPARE(render(content.rows), loaded ? QStringList{"A v 1:0x04"} : QStringList());
}

void TestMacroTextFile::readRefusesMalformedLines_data()
{
    QTest::addColumn<QByteArray>("data");

    // Fixed bytes, the same on every run.
    QByteArray random(512, '\0');
    QRandomGenerator generator(0x5eed);
    for (char& byte : random)
        byte = char(generator.bounded(256));
    QVERIFY(random.count('\n') > 0);
    QTest::newRow("random bytes") << random;
    QTest::newRow("random bytes after a good start") << QByteArray("1\n0x04 1 0\n10ms\n") + random;

    const QByteArray start("254\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n");
    QTest::newRow("cut inside the code") << start + "0x0";
    QTest::newRow("cut after the code") << start + "0x05 ";
    QTest::newRow("cut before the direction") << start + "0x05 1";
    QTest::newRow("cut inside a delay") << start.left(start.size() - 2);
    QTest::newRow("cut delay, CRLF") << QByteArray("1\r\n0x04 1 0\r\n10");

    QTest::newRow("code in lower case") << start + "0x0a 1 0\n";
    QTest::newRow("code without 0x") << start + "4 1 0\n";
    QTest::newRow("code of three digits") << start + "0x104 1 0\n";
    QTest::newRow("code not hex") << start + "0xZZ 1 0\n";
    QTest::newRow("kind no event holds") << start + "0x04 3 0\n";
    QTest::newRow("kind not a number") << start + "0x02 x 0\n";
    QTest::newRow("kind with a sign") << start + "0x04 +1 0\n";

    QTest::newRow("state 2") << start + "0x04 1 2\n";
    QTest::newRow("state 01") << start + "0x04 1 01\n";
    QTest::newRow("state a letter") << start + "0x04 1 d\n";

    QTest::newRow("delay without ms") << start.left(start.size() - 5) + "125\n0x04 1 0\n";
    QTest::newRow("lone digit") << QByteArray("1\n0\n");
    QTest::newRow("delay of letters") << start + "tenms\n0x04 1 0\n";
    QTest::newRow("delay of other digits") << start + "\xE5\x8D\x81ms\n0x04 1 0\n";
    QTest::newRow("delay over 32 bits") << start + "4294967296ms\n0x04 1 0\n";
    QTest::newRow("negative delay") << start + "-5ms\n0x04 1 0\n";
    QTest::newRow("ms alone") << start + "ms\n0x04 1 0\n";
    QTest::newRow("text after ms") << start + "10msx\n0x04 1 0\n";

    QTest::newRow("four parts") << start + "0x04 1 0 x\n";
    QTest::newRow("a tab for a blank") << start + "0x04\t1\t0\n";
}

void TestMacroTextFile::readRefusesMalformedLines()
{
    QFETCH(QByteArray, data);
    QVERIFY(TestEnv::WriteFile(path("m"), data));

    const MacroFileContent content = ReadMacroTextFile(path("m"));

    QVERIFY(!content.loaded);
    QVERIFY(!content.hasRepeatLine);
    QCOMPARE(render(content.rows), QStringList());
}

void TestMacroTextFile::readsWhatTheProgramWrites_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QVector<MacroEventRow>>("rows");

    QTest::newRow("long macro saved by the page") << "save" << longMacro(139);
    // A record from the device, from the button page's first line and the rows appended: any
    // code and kind a device event holds, the all-zero event after a last delay, the largest delay.
    MacroRecord record{};
    record.eventCount = 6;
    record.events[0] = KeyActionEvent{0, KindKeyboard, 0x58, 4294967295u};
    record.events[1] = KeyActionEvent{1, KindConsumer, 0xE9, 0};
    record.events[2] = KeyActionEvent{0, KindMouseButton, 0x20, 7};
    record.events[3] = KeyActionEvent{1, KindModifier, 0x80, 10};
    record.events[4] = KeyActionEvent{0, KindKeyboard, 0x99, 20};
    QTest::newRow("record from the device") << "record" << MacroRecordRows(record);
    const QVector<MacroEventRow> longest = MacroRecordRows(BuildMacroRecord(QStringLiteral("L"), longMacro(139)));
    QCOMPARE(longest.size(), 139);
    QTest::newRow("longest record from the device") << "record" << longest;
}

void TestMacroTextFile::readsWhatTheProgramWrites()
{
    QFETCH(QString, writer);
    QFETCH(QVector<MacroEventRow>, rows);

    if (writer == QLatin1String("save")) {
        QVERIFY(SaveMacroTextFile(path("m"), 254, rows, false));
    } else {
        // The button page writes line 1, the rows of the record are appended.
        QVERIFY(TestEnv::WriteFile(path("m"), "254\n"));
        QVERIFY(AppendMacroTextFile(path("m"), rows));
    }
    const QByteArray written = TestEnv::ReadFile(path("m"));

    const MacroFileContent content = ReadMacroTextFile(path("m"));

    QVERIFY(content.loaded);
    QCOMPARE(content.repeat, 254);
    QCOMPARE(content.rows.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const MacroEventRow& got = content.rows.at(i);
        const MacroEventRow& want = rows.at(i);
        QCOMPARE(got.IsDelay(), want.IsDelay());
        QCOMPARE(got.IsRelease(), want.IsRelease());
        if (want.IsDelay()) {
            QCOMPARE(got.text, want.text);
        } else {
            QVERIFY(got.hasKey);
            QCOMPARE(got.kind, want.kind);
            QCOMPARE(got.code, want.code);
        }
    }
    // Saved again, the file stays as it was written.
    QVERIFY(SaveMacroTextFile(path("m"), content.repeat, content.rows));
    QCOMPARE(TestEnv::ReadFile(path("m")), written);
}

void TestMacroTextFile::rowLines_data()
{
    QTest::addColumn<QVector<MacroEventRow>>("rows");
    QTest::addColumn<QString>("forwardButtonName");
    QTest::addColumn<QByteArray>("lines");

    QTest::newRow("none") << QVector<MacroEventRow>() << QString() << QByteArray();
    QTest::newRow("click with delay")
        << QVector<MacroEventRow>{keyRow("A", KindKeyboard, 0x04, true), delay("10ms"),
                                  keyRow("A", KindKeyboard, 0x04, false)}
        << QString() << QByteArray("0x04 1 0\n10ms\n0x04 1 1\n");
    QTest::newRow("modifier") << QVector<MacroEventRow>{keyRow("LShift", KindModifier, 0x02, false)} << QString()
                              << QByteArray("0x02 0 1\n");
    QTest::newRow("mouse button") << QVector<MacroEventRow>{keyRow("Forward button", KindMouseButton, 0x10, true)}
                                  << QString() << QByteArray("0x10 4 0\n");
    // The row's kind and code win over its text: a name from another language is still the button.
    QTest::newRow("mouse button named in another language")
        << QVector<MacroEventRow>{keyRow("Rechte Taste", KindMouseButton, 0x02, false)} << QString()
        << QByteArray("0x02 4 1\n");
    QTest::newRow("unknown code as read") << QVector<MacroEventRow>{keyRow("", KindKeyboard, 0x99, true)} << QString()
                                          << QByteArray("0x99 1 0\n");
    QTest::newRow("imported key") << QVector<MacroEventRow>{imported("A", false), imported("LShift", true)}
                                  << QString() << QByteArray("0x04 1 1\n0x02 0 0\n");
    QTest::newRow("imported mouse button") << QVector<MacroEventRow>{imported("Left button", true)} << QString()
                                           << QByteArray("0x01 4 0\n");
    QTest::newRow("imported name of a function key and a button")
        << QVector<MacroEventRow>{imported("F5", true)} << QStringLiteral("F5") << QByteArray("0x3E 1 0\n");
    QTest::newRow("imported unknown name is the empty key")
        << QVector<MacroEventRow>{imported("Nope", true), imported("Nope", false)} << QString()
        << QByteArray("0x00 1 0\n0x00 1 1\n");
    QTest::newRow("imported empty name") << QVector<MacroEventRow>{imported("", false)} << QString()
                                         << QByteArray("0x00 1 1\n");
    QTest::newRow("delay texts as shown") << QVector<MacroEventRow>{delay("500ms"), delay("1msx")} << QString()
                                          << QByteArray("500ms\n1msx\n");
}

void TestMacroTextFile::rowLines()
{
    QFETCH(QVector<MacroEventRow>, rows);
    QFETCH(QString, forwardButtonName);
    QFETCH(QByteArray, lines);

    if (!forwardButtonName.isEmpty())
        MouseButtonNames[4] = forwardButtonName;
    QCOMPARE(MacroFileRowLines(rows), lines);
}

void TestMacroTextFile::saveThenReadKeepsRows()
{
    const QVector<MacroEventRow> rows = {keyRow("LShift", KindModifier, 0x02, true),   delay("7ms"),
                                         keyRow("A", KindKeyboard, 0x04, true),        delay("125ms"),
                                         keyRow("", KindMouseButton, 0x10, true),      delay("10ms"),
                                         keyRow("", KindMouseButton, 0x10, false),     delay("10ms"),
                                         keyRow("Right button", KindMouseButton, 0x02, false)};
    QVERIFY(SaveMacroTextFile(path("m"), 3, rows, false));
    const MacroFileContent content = ReadMacroTextFile(path("m"));
    QCOMPARE(content.repeat, 3);
    const QStringList expected = {"LShift v 0:0x02",         "7ms",      "A v 1:0x04",
                                  "125ms",                   "Forward button v 4:0x10", "10ms",
                                  "Forward button ^ 4:0x10", "10ms",     "Right button ^ 4:0x02"};
    QCOMPARE(render(content.rows), expected);
}

void TestMacroTextFile::save_data()
{
    QTest::addColumn<QByteArray>("before"); // "<missing>": no file
    QTest::addColumn<bool>("mustExist");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("after");

    const QByteArray written("254\n0x04 1 0\n10ms\n0x04 1 1\n");
    const QByteArray longer("1\n0x05 1 0\n10ms\n0x05 1 1\n10ms\n0x05 1 0\n10ms\n0x05 1 1\n");
    QTest::newRow("replaces a longer file") << longer << true << true << written;
    QTest::newRow("fills an empty file") << QByteArray() << true << true << written;
    QTest::newRow("missing file left missing") << QByteArray("<missing>") << true << false << QByteArray("<missing>");
    QTest::newRow("missing file created on request") << QByteArray("<missing>") << false << true << written;
}

void TestMacroTextFile::save()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, mustExist);
    QFETCH(bool, saved);
    QFETCH(QByteArray, after);

    if (before != "<missing>")
        QVERIFY(TestEnv::WriteFile(path("m"), before));
    const QVector<MacroEventRow> rows = {keyRow("A", KindKeyboard, 0x04, true), delay("10ms"),
                                         keyRow("A", KindKeyboard, 0x04, false)};
    QCOMPARE(SaveMacroTextFile(path("m"), 254, rows, mustExist), saved);
    QCOMPARE(TestEnv::ReadFile(path("m")), after);
    // Written in one step: no temporary file stays behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), after == "<missing>" ? 0 : 1);
}

void TestMacroTextFile::createNeverTruncates()
{
    QVERIFY(CreateMacroTextFile(path("new")));
    QCOMPARE(TestEnv::ReadFile(path("new")), QByteArray());

    QVERIFY(TestEnv::WriteFile(path("old"), "5\n0x04 1 0\n"));
    QVERIFY(!CreateMacroTextFile(path("old")));
    QCOMPARE(TestEnv::ReadFile(path("old")), QByteArray("5\n0x04 1 0\n"));

    QVERIFY(!CreateMacroTextFile(m_dir->path() + QStringLiteral("/missing/x.ini")));
}

void TestMacroTextFile::appendAddsBareLines_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("appended");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("after the first line") << QByteArray("254\n") << true
                                          << QByteArray("254\n0x04 1 0\n10ms\n0x02 0 1\n");
    QTest::newRow("after a CRLF line") << QByteArray("1\r\n") << true << QByteArray("1\r\n0x04 1 0\n10ms\n0x02 0 1\n");
    QTest::newRow("missing file") << QByteArray("<missing>") << false << QByteArray("<missing>");
}

void TestMacroTextFile::appendAddsBareLines()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, appended);
    QFETCH(QByteArray, after);

    if (before != "<missing>")
        QVERIFY(TestEnv::WriteFile(path("m"), before));
    const QVector<MacroEventRow> rows = {keyRow("A", KindKeyboard, 0x04, true), delay("10ms"),
                                         keyRow("LShift", KindModifier, 0x02, false)};
    QCOMPARE(AppendMacroTextFile(path("m"), rows), appended);
    QCOMPARE(TestEnv::ReadFile(path("m")), after);
}

void TestMacroTextFile::truncate_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("existing") << QByteArray("1\n0x04 1 0\n");
    QTest::newRow("missing") << QByteArray("<missing>");
}

void TestMacroTextFile::truncate()
{
    QFETCH(QByteArray, before);
    if (before != "<missing>")
        QVERIFY(TestEnv::WriteFile(path("m"), before));
    QVERIFY(TruncateMacroTextFile(path("m")));
    QCOMPARE(TestEnv::ReadFile(path("m")), QByteArray());
}

void TestMacroTextFile::rename_data()
{
    QTest::addColumn<QString>("target");       // what the new name holds before: "", "file", "link"
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("renamed");

    QTest::newRow("free name") << "" << "new" << true;
    QTest::newRow("free name differing in case") << "" << "Old" << true;
    QTest::newRow("existing file") << "file" << "new" << false;
    QTest::newRow("own name") << "" << "old" << false;
    QTest::newRow("dangling link") << "link" << "new" << false;
    QTest::newRow("unlisted name") << "" << "x/y" << false;
}

void TestMacroTextFile::rename()
{
    QFETCH(QString, target);
    QFETCH(QString, newName);
    QFETCH(bool, renamed);

    const QByteArray oldContent("2\n0x04 1 0\n");
    QVERIFY(TestEnv::WriteFile(path("old"), oldContent));
    QByteArray targetContent("<missing>");
    if (target == QLatin1String("file")) {
        targetContent = "9\n";
        QVERIFY(TestEnv::WriteFile(path(newName), targetContent));
    } else if (target == QLatin1String("link")) {
        QVERIFY(QFile::link(m_dir->path() + QStringLiteral("/nowhere"), path(newName)));
    }

    QCOMPARE(RenameMacroTextFile(m_dir->path(), QStringLiteral("old"), newName), renamed);
    if (renamed) {
        QCOMPARE(TestEnv::ReadFile(path(newName)), oldContent);
        QVERIFY(!QFileInfo::exists(path("old")));
    } else {
        QCOMPARE(TestEnv::ReadFile(path("old")), oldContent);
        if (target == QLatin1String("link"))
            QVERIFY(QFileInfo(path(newName)).isSymLink());
        else if (newName != QLatin1String("old"))
            QCOMPARE(TestEnv::ReadFile(path(newName)), targetContent);
    }
}

void TestMacroTextFile::benchmarkListing()
{
    for (int i = 0; i < 2000; ++i)
        QVERIFY(TestEnv::WriteFile(path(QStringLiteral("macro %1").arg(i)), "1\n"));
    QStringList names;
    QBENCHMARK {
        names = ListMacroNames(m_dir->path());
    }
    QCOMPARE(names.size(), 2000);
}

void TestMacroTextFile::benchmarkReadAndSave()
{
    const QVector<MacroEventRow> rows = longMacro(139);
    QVERIFY(SaveMacroTextFile(path("long"), 1, rows, false));
    MacroFileContent content;
    QBENCHMARK {
        content = ReadMacroTextFile(path("long"));
        SaveMacroTextFile(path("long"), 1, content.rows);
    }
    QCOMPARE(render(ReadMacroTextFile(path("long")).rows), render(rows));
}

VEXO_TEST_CORE_MAIN(TestMacroTextFile)
#include "tst_macrotextfile.moc"
