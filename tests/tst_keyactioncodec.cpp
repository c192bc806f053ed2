#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/keyusagetable.h"
#include "helpers/testenv.h"

#include <QtTest>

#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

struct Event {
    int action;
    int kind;
    int usage;
};

// The 52 bytes the device holds, packed by hand: u32 count, then per event action, kind,
// u16 usage and u32 delay 10, all little-endian; the count is two per press.
QByteArray image(std::initializer_list<Event> events)
{
    QByteArray bytes(int(sizeof(KeyActionRecord)), '\0');
    bytes[0] = char(events.size());
    int offset = 4;
    for (const Event& event : events) {
        bytes[offset] = char(event.action);
        bytes[offset + 1] = char(event.kind);
        bytes[offset + 2] = char(event.usage & 0xFF);
        bytes[offset + 3] = char(event.usage >> 8);
        bytes[offset + 4] = char(10);
        offset += 8;
    }
    return bytes;
}

template <typename Record>
QByteArray bytesOf(const Record& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), int(sizeof record));
}

KeyActionRecord filledRecord(char fill)
{
    KeyActionRecord record;
    std::memset(&record, fill, sizeof record);
    return record;
}

void setMouseButtonNames(const QStringList& names)
{
    for (int i = 0; i < int(MouseButtonNames.size()); ++i)
        MouseButtonNames[i] = names.value(i);
}

} // namespace

class TestKeyActionCodec : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void combinationRecord_data();
    void combinationRecord();
    void vocabulary();
    void keyCodeFromNameTouchesOnlyItsEvents_data();
    void keyCodeFromNameTouchesOnlyItsEvents();

    void keyNameFromCode_data();
    void keyNameFromCode();
    void captionReadsBackTheText_data();
    void captionReadsBackTheText();
    void captionStaysInsideTheRecord_data();
    void captionStaysInsideTheRecord();

    void multimediaRecord_data();
    void multimediaRecord();

    void macroKeyCode_data();
    void macroKeyCode();
};

void TestKeyActionCodec::cleanup()
{
    setMouseButtonNames({});
}

void TestKeyActionCodec::combinationRecord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("Ctrl+A") << "Ctrl+A" << image({{0, 0, 0x01}, {0, 1, 0x04}, {1, 1, 0x04}, {1, 0, 0x01}});
    QTest::newRow("Shift+Alt+F") << "Shift+Alt+F"
                                 << image({{0, 0, 0x02}, {0, 0, 0x04}, {0, 1, 0x09},
                                           {1, 1, 0x09}, {1, 0, 0x04}, {1, 0, 0x02}});
    QTest::newRow("one key") << "A" << image({{0, 1, 0x04}, {1, 1, 0x04}});
    QTest::newRow("empty text is one empty name") << "" << image({{0, 1, 0x00}, {1, 1, 0x00}});
    QTest::newRow("side modifier is no name") << "LCtrl+A"
                                              << image({{0, 1, 0x00}, {0, 1, 0x04}, {1, 1, 0x04}, {1, 1, 0x00}});
    QTest::newRow("lower case is no name") << "a" << image({{0, 1, 0x00}, {1, 1, 0x00}});
    QTest::newRow("Win") << "Win+Tab" << image({{0, 0, 0x08}, {0, 1, 0x2B}, {1, 1, 0x2B}, {1, 0, 0x08}});
    QTest::newRow("keypad plus") << "Ctrl+Num+" << image({{0, 0, 0x01}, {0, 1, 0x57}, {1, 1, 0x57}, {1, 0, 0x01}});
    QTest::newRow("Num alone is no name") << "Ctrl+Num"
                                          << image({{0, 0, 0x01}, {0, 1, 0x00}, {1, 1, 0x00}, {1, 0, 0x01}});
    QTest::newRow("empty middle part") << "A++B"
                                       << image({{0, 1, 0x04}, {0, 1, 0x00}, {0, 1, 0x05},
                                                 {1, 1, 0x05}, {1, 1, 0x00}, {1, 1, 0x04}});
    QTest::newRow("four names keep three") << "Ctrl+Shift+Alt+A"
                                           << image({{0, 0, 0x01}, {0, 0, 0x02}, {0, 0, 0x04},
                                                     {1, 0, 0x04}, {1, 0, 0x02}, {1, 0, 0x01}});
    QTest::newRow("many parts keep three") << "Q+W+E+R+T+Y+U+I"
                                           << image({{0, 1, 0x14}, {0, 1, 0x1A}, {0, 1, 0x08},
                                                     {1, 1, 0x08}, {1, 1, 0x1A}, {1, 1, 0x14}});
}

void TestKeyActionCodec::combinationRecord()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytesOf(ParseKeyCombination(text)).toHex(' '), expected.toHex(' '));
}

void TestKeyActionCodec::vocabulary()
{
    // Every keyboard name types its usage and reads back as itself; the side-specific modifiers
    // and the mouse buttons are no combination names.
    setMouseButtonNames({"Left", "Right", "Middle", "Back", "Forward"});
    int keyboardNames = 0;
    for (const KeyUsageRow& row : KeyUsageTable) {
        const QString name = KeyUsageRowName(row);
        const KeyActionEvent press = ParseKeyCombination(name).events[0];
        const int usage = row.kind == KindKeyboard ? row.code : 0;
        QVERIFY2(press.kind == KindKeyboard && press.usage == usage, qPrintable(name));
        if (row.kind == KindKeyboard) {
            ++keyboardNames;
            QCOMPARE(KeyNameFromCode(row.code, KindKeyboard), name);
        }
    }
    QCOMPARE(keyboardNames, 96);
}

void TestKeyActionCodec::keyCodeFromNameTouchesOnlyItsEvents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    // Event slots written (press, release); -1: nothing written.
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("usage");

    QTest::newRow("middle of three") << "B" << 1 << 3 << 1 << 4 << 1 << 0x05;
    QTest::newRow("modifier") << "Alt" << 0 << 2 << 0 << 3 << 0 << 0x04;
    QTest::newRow("unknown name keeps the usage") << "Foo" << 0 << 1 << 0 << 1 << 1 << 0xABAB;
    QTest::newRow("index past the names") << "B" << 3 << 3 << -1 << -1 << 0 << 0;
    QTest::newRow("negative index") << "B" << -1 << 3 << -1 << -1 << 0 << 0;
    QTest::newRow("four names do not fit") << "B" << 0 << 4 << -1 << -1 << 0 << 0;
    QTest::newRow("no names") << "B" << 0 << 0 << -1 << -1 << 0 << 0;
    // Counts whose doubling leaves the int range.
    QTest::newRow("count near INT_MAX") << "B" << 0 << std::numeric_limits<int>::max() << -1 << -1 << 0 << 0;
    QTest::newRow("count doubling to a negative") << "B" << 1 << (std::numeric_limits<int>::max() / 2 + 1) << -1
                                                  << -1 << 0 << 0;
}

void TestKeyActionCodec::keyCodeFromNameTouchesOnlyItsEvents()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(int, press);
    QFETCH(int, release);
    QFETCH(int, kind);
    QFETCH(int, usage);

    // The record inside a settings image: its neighbour must survive too.
    struct {
        KeyActionRecord record;
        KeyActionRecord neighbour;
    } image;
    std::memset(&image, 0xAB, sizeof image);
    KeyActionRecord expected = filledRecord(char(0xAB));
    if (press >= 0) {
        for (int slot : {press, release}) {
            expected.events[slot].action = slot == press ? 0 : 1;
            expected.events[slot].kind = uint8_t(kind);
            expected.events[slot].usage = uint16_t(usage);
            expected.events[slot].delay = 10;
        }
    }

    KeyActionRecord& returned = KeyCodeFromName(name, index, count, image.record);
    QCOMPARE(&returned, &image.record);
    QCOMPARE(bytesOf(image.record).toHex(' '), bytesOf(expected).toHex(' '));
    QCOMPARE(bytesOf(image.neighbour), QByteArray(int(sizeof(KeyActionRecord)), char(0xAB)));
}

void TestKeyActionCodec::keyNameFromCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("kinds");
    QTest::addColumn<QStringList>("names");

    const QList<int> kinds = {0, 1, 2, 4};
    QTest::newRow("0x01") << 0x01 << kinds << QStringList{"Ctrl", "Ctrl", "Ctrl", "Ctrl"};
    QTest::newRow("0x02") << 0x02 << kinds << QStringList{"Shift", "Shift", "Shift", "Shift"};
    QTest::newRow("0x04") << 0x04 << kinds << QStringList{"Alt", "A", "", ""};
    QTest::newRow("0x08") << 0x08 << kinds << QStringList{"Win", "E", "", ""};
    QTest::newRow("0x10") << 0x10 << kinds << QStringList{"Ctrl", "M", "", ""};
    QTest::newRow("0x20") << 0x20 << kinds << QStringList{"Shift", "3", "", ""};
    QTest::newRow("0x40") << 0x40 << kinds << QStringList{"Alt", "F7", "", ""};
    QTest::newRow("0x80") << 0x80 << kinds << QStringList{"Win", "Win", "Win", "Win"};
    QTest::newRow("keypad Enter") << 0x58 << kinds << QStringList{"Enter", "Enter", "Enter", "Enter"};
    QTest::newRow("Enter") << 0x28 << kinds << QStringList{"Enter", "Enter", "Enter", "Enter"};
    QTest::newRow("Num3") << 0x5B << kinds << QStringList{"Num3", "Num3", "Num3", "Num3"};
    QTest::newRow("APPs") << 0x65 << kinds << QStringList{"APPs", "APPs", "APPs", "APPs"};
    QTest::newRow("keypad plus") << 0x57 << kinds << QStringList{"Num+", "Num+", "Num+", "Num+"};
    QTest::newRow("F12") << 0x45 << kinds << QStringList{"F12", "F12", "F12", "F12"};
    QTest::newRow("no row") << 0x64 << kinds << QStringList{"", "", "", ""};
    QTest::newRow("zero") << 0x00 << kinds << QStringList{"", "", "", ""};
    QTest::newRow("low byte only") << 0x104 << kinds << QStringList{"Alt", "A", "", ""};
}

void TestKeyActionCodec::keyNameFromCode()
{
    QFETCH(int, code);
    QFETCH(QList<int>, kinds);
    QFETCH(QStringList, names);
    // The mouse-button names must not leak into key names.
    setMouseButtonNames({"Left", "Right", "A", "Win", "F1"});
    QStringList actual;
    for (int kind : kinds)
        actual << KeyNameFromCode(code, kind);
    QCOMPARE(actual, names);
}

void TestKeyActionCodec::captionReadsBackTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Shift+A") << "Shift+A" << "Shift+A";
    QTest::newRow("three names") << "Ctrl+Alt+Del" << "Ctrl+Alt+Del";
    QTest::newRow("keypad plus") << "Win+Num+" << "Win+Num+";
    QTest::newRow("one key") << "F7" << "F7";
    QTest::newRow("unknown name is empty") << "Ctrl+Foo" << "Ctrl+";
    QTest::newRow("four names show three") << "Ctrl+Shift+Alt+A" << "Ctrl+Shift+Alt";
}

void TestKeyActionCodec::captionReadsBackTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    const KeyActionRecord record = ParseKeyCombination(text);
    QVERIFY(!IsConsumerKeyRecord(record));
    QCOMPARE(KeyCombinationCaption(record), caption);
}

void TestKeyActionCodec::captionStaysInsideTheRecord_data()
{
    QTest::addColumn<uint>("count");
    QTest::addColumn<QString>("caption");

    QTest::newRow("no events") << 0u << "";
    QTest::newRow("odd count") << 3u << "A";
    QTest::newRow("full record") << 6u << "A+B+C";
    QTest::newRow("count past the record") << 14u << "A+B+C";
    QTest::newRow("largest low byte") << 0xFFu << "A+B+C";
    QTest::newRow("only the low byte counts") << 0x102u << "A";
}

void TestKeyActionCodec::captionStaysInsideTheRecord()
{
    QFETCH(uint, count);
    QFETCH(QString, caption);

    // Presses A, B, C, then "Z" presses in the bytes behind the record: a caption that reads past
    // the record names them.
    struct {
        KeyActionRecord record;
        KeyActionEvent behind[128];
    } image;
    std::memset(&image, 0, sizeof image);
    for (KeyActionEvent& event : image.record.events)
        event = KeyActionEvent{0, KindKeyboard, 0x1D, 10};
    for (KeyActionEvent& event : image.behind)
        event = KeyActionEvent{0, KindKeyboard, 0x1D, 10};
    image.record.events[0].usage = 0x04;
    image.record.events[1].usage = 0x05;
    image.record.events[2].usage = 0x06;
    image.record.count = count;

    QCOMPARE(KeyCombinationCaption(image.record), caption);
}

void TestKeyActionCodec::multimediaRecord_data()
{
    // The page's device button decides whether anything is written (the page's concern); the
    // record depends on the key's low byte only, so (0, 0xE9) and (7, 0xE9) share one record.
    QTest::addColumn<int>("lowByte");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("volume increment") << 0xE9 << image({{0, 2, 0x0E9}, {1, 2, 0x0E9}});
    QTest::newRow("high usage") << 0x83 << image({{0, 2, 0x183}, {1, 2, 0x183}});
    QTest::newRow("stop") << 0xB7 << image({{0, 2, 0x0B7}, {1, 2, 0x0B7}});
    QTest::newRow("AC back") << 0x24 << image({{0, 2, 0x224}, {1, 2, 0x224}});
    QTest::newRow("unlisted") << 0x40 << QByteArray();
    QTest::newRow("full usage is no low byte") << 0x183 << QByteArray();
    QTest::newRow("zero") << 0x00 << QByteArray();
}

void TestKeyActionCodec::multimediaRecord()
{
    QFETCH(int, lowByte);
    QFETCH(QByteArray, expected);

    const std::optional<KeyActionRecord> record = MultimediaKeyRecord(lowByte);
    if (expected.isEmpty()) {
        QVERIFY(!record);
        return;
    }
    QVERIFY(record);
    QCOMPARE(bytesOf(*record).toHex(' '), expected.toHex(' '));
    QVERIFY(IsConsumerKeyRecord(*record));
    QCOMPARE(KeyActionButtonCode.type, uint8_t(5));
    QCOMPARE(KeyActionButtonCode.code, uint8_t(0));
    QCOMPARE(KeyActionButtonCode.parameter, uint8_t(0));
}

void TestKeyActionCodec::macroKeyCode_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    // Expected kind and usage of the event; -1: the record stays as it was.
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("usage");

    const QStringList english = {"Left", "Right", "Middle", "Back", "Forward"};
    const QStringList colliding = {"Tab", "F1", "Middle", "F12", "Forward"};
    QTest::newRow("keyboard name") << english << "Tab" << 0 << 1 << 0x2B;
    QTest::newRow("side modifier") << english << "RAlt" << 3 << 0 << 0x40;
    QTest::newRow("mouse button") << english << "Back" << 69 << 4 << 0x08;
    QTest::newRow("function key wins over a button") << colliding << "F1" << 5 << 1 << 0x3A;
    QTest::newRow("last function key wins too") << colliding << "F12" << 5 << 1 << 0x45;
    QTest::newRow("key name wins over a button") << colliding << "Tab" << 5 << 1 << 0x2B;
    QTest::newRow("generic word is no macro name") << english << "Ctrl" << 2 << 1 << 0xABAB;
    QTest::newRow("unknown name keeps the usage") << english << "Foo" << 2 << 1 << 0xABAB;
    QTest::newRow("index past the record") << english << "Tab" << 70 << -1 << -1;
    QTest::newRow("negative index") << english << "Tab" << -1 << -1 << -1;
}

void TestKeyActionCodec::macroKeyCode()
{
    QFETCH(QStringList, buttons);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, kind);
    QFETCH(int, usage);
    setMouseButtonNames(buttons);

    // The record inside a settings image: its neighbour must survive too.
    struct {
        MacroRecord record;
        MacroRecord neighbour;
    } image;
    std::memset(&image, 0xAB, sizeof image);
    MacroRecord expected;
    std::memset(&expected, 0xAB, sizeof expected);
    if (kind >= 0) {
        expected.events[index].kind = uint8_t(kind);
        expected.events[index].usage = uint16_t(usage);
    }

    MacroKeyCodeFromName(name, index, &image.record);
    QCOMPARE(bytesOf(image.record).toHex(' '), bytesOf(expected).toHex(' '));
    QCOMPARE(bytesOf(image.neighbour), QByteArray(int(sizeof(MacroRecord)), char(0xAB)));
}

VEXO_TEST_CORE_MAIN(TestKeyActionCodec)
#include "tst_keyactioncodec.moc"
