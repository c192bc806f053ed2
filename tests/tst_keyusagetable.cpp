#include "device/keyusagetable.h"
#include "helpers/testenv.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(VirtualKeySet)

namespace {

// FindRowFunctionKeysFirst: the button page's name lookup, as {code text, kind}.
enum class Conversion { NameFromText, NameFromCode, MouseName, TextFromName, WriteKey, FindRowFunctionKeysFirst };

const QStringList english = {"Left", "Right", "Middle", "Back", "Forward"};
const QStringList german = {"Links", "Rechts", "Mitte", "Zurück", "Vor"};
// Button texts that collide with key names: "Tab" stays the key, "F1" becomes the button.
const QStringList colliding = {"Tab", "Right", "Middle", "Back", "F1"};

void setMouseButtonNames(const QStringList& names)
{
    for (int i = 0; i < int(MouseButtonNames.size()); ++i)
        MouseButtonNames[i] = names.value(i);
}

MacroRecord zeroedRecord()
{
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

QByteArray bytesOf(const MacroRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), int(sizeof record));
}

constexpr int lastEvent = 69;

// What WriteMacroEventKey leaves in the last event of a record whose usage there was `usage`:
// {kind, usage in hex}. Everything else of the record must stay zero.
QStringList writtenKey(const QString& name, int usage)
{
    MacroRecord record = zeroedRecord();
    record.events[lastEvent].usage = uint16_t(usage);
    WriteMacroEventKey(name, lastEvent, &record);
    const KeyActionEvent event = record.events[lastEvent];
    record.events[lastEvent].kind = 0;
    record.events[lastEvent].usage = 0;
    if (bytesOf(record) != bytesOf(zeroedRecord()))
        return {"bytes outside the event's kind and usage changed"};
    return {QString::number(event.kind), QString::number(event.usage, 16)};
}

} // namespace

Q_DECLARE_METATYPE(Conversion)

class TestKeyUsageTable : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void combinationNames_data();
    void combinationNames();
    void conversions_data();
    void conversions();
    void tableShape();
    void everyRowRoundTrips();
    void writeStaysInsideTheRecord_data();
    void writeStaysInsideTheRecord();
    void virtualKeys_data();
    void virtualKeys();
    void virtualKeyCounts_data();
    void virtualKeyCounts();
};

void TestKeyUsageTable::cleanup()
{
    setMouseButtonNames({});
}

void TestKeyUsageTable::conversions_data()
{
    QTest::addColumn<QStringList>("mouseNames");
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<QString>("text"); // code text or key name
    QTest::addColumn<int>("code");     // for WriteKey: the usage the event held before
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");

    const auto fromText = [](const char* tag, const QStringList& names, const QString& text, int kind,
                             const QString& name) {
        QTest::newRow(tag) << names << Conversion::NameFromText << text << 0 << kind << QStringList{name};
    };
    fromText("text: upper-case hex", english, "0x2B", 1, "Tab");
    fromText("text: lower-case hex", english, "0x2b", 1, "");
    fromText("text: without 0x", english, "2B", 1, "");
    fromText("text: 0X", english, "0X2B", 1, "");
    fromText("text: three digits", english, "0x02B", 1, "");
    fromText("text: trailing blank", english, "0x2B ", 1, "");
    fromText("text: 0x20 key", english, "0x20", 1, "3");
    fromText("text: 0x20 modifier", english, "0x20", 0, "RShift");
    fromText("text: 0x20 consumer", english, "0x20", 2, "");
    fromText("text: 0x20 button", english, "0x20", 4, "");
    fromText("text: 0x40 key", english, "0x40", 1, "F7");
    fromText("text: 0x40 modifier", english, "0x40", 0, "RAlt");
    fromText("text: key code as modifier", english, "0x2B", 0, "");
    fromText("text: keypad Enter", english, "0x58", 1, "");
    fromText("text: empty row", english, "0x00", 1, "");
    fromText("text: arrow", english, "0x52", 1, QString::fromUtf8("\u2191"));
    fromText("text: F12", english, "0x45", 1, "F12");
    fromText("text: left button", english, "0x01", 4, "Left");
    fromText("text: middle button", english, "0x04", 4, "Middle");
    fromText("text: back button", english, "0x08", 4, "Back");
    fromText("text: forward button", english, "0x10", 4, "Forward");
    fromText("text: left button before a language", {}, "0x01", 4, "");
    fromText("text: left button after a language change", german, "0x01", 4, "Links");
    fromText("text: kind 3", english, "0x04", 3, "");

    const auto fromCode = [](const char* tag, int code, int kind, const QString& name) {
        QTest::newRow(tag) << english << Conversion::NameFromCode << QString() << code << kind << QStringList{name};
    };
    fromCode("code: 0x04 key", 0x04, 1, "A");
    fromCode("code: 0x04 modifier", 0x04, 0, "LAlt");
    fromCode("code: 0x04 button", 0x04, 4, "");
    fromCode("code: 0x08 key", 0x08, 1, "E");
    fromCode("code: 0x08 modifier", 0x08, 0, "LWin");
    fromCode("code: 0x10 key", 0x10, 1, "M");
    fromCode("code: 0x10 modifier", 0x10, 0, "RCtrl");
    fromCode("code: 0x20 key", 0x20, 1, "3");
    fromCode("code: 0x20 modifier", 0x20, 0, "RShift");
    fromCode("code: 0x20 consumer", 0x20, 2, "");
    fromCode("code: 0x40 key", 0x40, 1, "F7");
    fromCode("code: 0x40 modifier", 0x40, 0, "RAlt");
    fromCode("code: 0x40 consumer", 0x40, 2, "F7");
    fromCode("code: 0x01 key", 0x01, 1, "LCtrl");
    fromCode("code: 0x02 consumer", 0x02, 2, "LShift");
    fromCode("code: 0x80 button", 0x80, 4, "RWin");
    fromCode("code: keypad Enter", 0x58, 1, "Enter");
    fromCode("code: key as modifier", 0x2B, 0, "Tab");
    fromCode("code: key as consumer", 0x65, 2, "APPs");
    fromCode("code: empty row", 0x00, 1, "");
    fromCode("code: 0x32 has no row", 0x32, 1, "");
    fromCode("code: 0x64 has no row", 0x64, 1, "");
    fromCode("code: high byte set", 0x12B, 1, "");
    fromCode("code: negative", -1, 1, "");

    const auto mouseName = [](const char* tag, const QStringList& names, int code, const QString& name) {
        QTest::newRow(tag) << names << Conversion::MouseName << QString() << code << 4 << QStringList{name};
    };
    mouseName("button: forward", english, 0x10, "Forward");
    mouseName("button: back", english, 0x08, "Back");
    mouseName("button: before a language", {}, 0x02, "");
    mouseName("button: two bits", english, 0x03, "");
    mouseName("button: 0x20", english, 0x20, "");
    mouseName("button: 0", english, 0x00, "");

    const auto toText = [](const char* tag, const QStringList& names, const QString& name,
                           const QStringList& expected) {
        QTest::newRow(tag) << names << Conversion::TextFromName << name << 0 << 0 << expected;
    };
    toText("name: Tab", english, "Tab", {"0x2B", "1"});
    toText("name: code below 0x10", english, "G", {"0x0A", "1"});
    toText("name: RWin", english, "RWin", {"0x80", "0"});
    toText("name: empty", english, "", {"0x00", "1"});
    toText("name: empty before a language", {}, "", {"0x00", "1"});
    toText("name: Ctrl", english, "Ctrl", {});
    toText("name: other case", english, "tab", {});
    toText("name: trailing blank", english, "Tab ", {});
    toText("name: arrow", english, QString::fromUtf8("\u2190"), {"0x50", "1"});
    toText("name: backslash", english, "\\", {"0x31", "1"});
    toText("name: left button", english, "Left", {"0x01", "4"});
    toText("name: forward button", english, "Forward", {"0x10", "4"});
    toText("name: button of the previous language", german, "Left", {});
    toText("name: button named like a key", colliding, "Tab", {"0x2B", "1"});
    toText("name: button named like a function key", colliding, "F1", {"0x10", "4"});

    const auto write = [](const char* tag, const QStringList& names, const QString& name, int usageBefore,
                          const QStringList& expected) {
        QTest::newRow(tag) << names << Conversion::WriteKey << name << usageBefore << 0 << expected;
    };
    write("write: key", english, "Tab", 0, {"1", "2b"});
    write("write: arrow", english, QString::fromUtf8("\u2191"), 0, {"1", "52"});
    write("write: modifier", english, "RAlt", 0, {"0", "40"});
    write("write: over an older usage", english, "LShift", 0xBEEF, {"0", "2"});
    write("write: button", english, "Forward", 0, {"4", "10"});
    write("write: empty name", english, "", 0xBEEF, {"1", "0"});
    write("write: no row, zeroed", english, "Ctrl", 0, {"1", "0"});
    write("write: no row leaves the usage", english, "Ctrl", 0xBEEF, {"1", "beef"});
    write("write: button named like a function key", colliding, "F1", 0, {"4", "10"});
    write("write: button named like a key", colliding, "Tab", 0, {"1", "2b"});
    write("write: function key", english, "F1", 0, {"1", "3a"});

    const auto findFirst = [](const char* tag, const QStringList& names, const QString& name,
                              const QStringList& expected) {
        QTest::newRow(tag) << names << Conversion::FindRowFunctionKeysFirst << name << 0 << 0 << expected;
    };
    findFirst("function keys first: F1 over a button", colliding, "F1", {"0x3A", "1"});
    findFirst("function keys first: key over a button", colliding, "Tab", {"0x2B", "1"});
    findFirst("function keys first: button", colliding, "Back", {"0x08", "4"});
    findFirst("function keys first: empty name", {}, "", {"0x00", "1"});
    findFirst("function keys first: no row", colliding, "Ctrl", {});
}

void TestKeyUsageTable::conversions()
{
    QFETCH(QStringList, mouseNames);
    QFETCH(Conversion, conversion);
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);

    setMouseButtonNames(mouseNames);
    QStringList actual;
    switch (conversion) {
    case Conversion::NameFromText:
        actual = QStringList{KeyNameFromHidText(text, kind)};
        break;
    case Conversion::NameFromCode:
        actual = QStringList{KeyNameFromHidCode(code, kind)};
        break;
    case Conversion::MouseName:
        actual = QStringList{MouseButtonName(code)};
        break;
    case Conversion::TextFromName:
        actual = HidTextFromKeyName(text);
        break;
    case Conversion::WriteKey:
        actual = writtenKey(text, code);
        break;
    case Conversion::FindRowFunctionKeysFirst:
        if (const KeyUsageRow* row = FindKeyUsageRow(text, true))
            actual = QStringList{KeyCodeText(row->code), QString::number(row->kind)};
        break;
    }
    QCOMPARE(actual, expected);
}

// 109 rows: 96 keyboard keys, 8 modifiers, 5 buttons; each key has one name and one virtual
// key, and the code texts are written the way the macro files hold them.
void TestKeyUsageTable::tableShape()
{
    setMouseButtonNames(english);
    QMap<int, int> kinds;
    QSet<QString> names;
    QSet<int> virtualKeys;
    const QRegularExpression codeText(QStringLiteral("^0x[0-9A-F]{2}$"));
    for (const KeyUsageRow& row : KeyUsageTable) {
        const QString name = KeyUsageRowName(row);
        ++kinds[row.kind];
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.insert(name);
        QVERIFY(row.code >= 0 && row.code < 0x100);
        QVERIFY2(codeText.match(KeyCodeText(row.code)).hasMatch(), qPrintable(KeyCodeText(row.code)));
        QCOMPARE(KeyCodeText(row.code).mid(2).toInt(nullptr, 16), row.code);
        if (row.kind == KindMouseButton) {
            QCOMPARE(row.virtualKey, 0);
        } else {
            QVERIFY2(!virtualKeys.contains(row.virtualKey), qPrintable(name));
            virtualKeys.insert(row.virtualKey);
        }
    }
    QCOMPARE(kinds.value(KindKeyboard), 96);
    QCOMPARE(kinds.value(KindModifier), 8);
    QCOMPARE(kinds.value(KindMouseButton), 5);
    QCOMPARE(names.size(), KeyUsageRowCount);
}

// Name -> code text and kind -> name, and name -> record event -> name (the macro files and the
// device record), for every row with a name.
void TestKeyUsageTable::everyRowRoundTrips()
{
    setMouseButtonNames(english);
    for (const KeyUsageRow& row : KeyUsageTable) {
        const QString name = KeyUsageRowName(row);
        const QByteArray what = name.toUtf8();

        const QStringList text = HidTextFromKeyName(name);
        QCOMPARE(text.size(), 2);
        QCOMPARE(text.at(1), QString::number(row.kind));
        QCOMPARE(KeyNameFromHidText(text.at(0), text.at(1).toInt()), name);

        MacroRecord record = zeroedRecord();
        WriteMacroEventKey(name, 5, &record);
        const KeyActionEvent event = record.events[5];
        QVERIFY2(event.kind == row.kind && event.usage == row.code, what.constData());
        const QString back =
            event.kind == KindMouseButton ? MouseButtonName(event.usage) : KeyNameFromHidCode(event.usage, event.kind);
        QVERIFY2(back == name, what.constData());
    }
}

void TestKeyUsageTable::writeStaysInsideTheRecord_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("past the last slot") << 70;
    QTest::newRow("negative") << -1;
}

// Records sit side by side in the settings image: an event index out of range writes nothing.
void TestKeyUsageTable::writeStaysInsideTheRecord()
{
    QFETCH(int, index);
    struct {
        MacroRecord record;
        quint8 after[16];
    } image;
    std::memset(&image, 0, sizeof image);
    WriteMacroEventKey("Tab", index, &image.record);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.after), int(sizeof image.after)),
             QByteArray(int(sizeof image.after), '\0'));
    QCOMPARE(bytesOf(image.record), bytesOf(zeroedRecord()));
}

void TestKeyUsageTable::virtualKeys_data()
{
    QTest::addColumn<VirtualKeySet>("set");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hasRow");

    const struct {
        const char* tag;
        VirtualKeySet set;
    } sets[] = {
        {"recorder", VirtualKeySet::Recorder},
        {"capture", VirtualKeySet::KeyCapture},
        {"combination", VirtualKeySet::KeyCombination},
    };
    const auto row = [](const char* setTag, const char* what, VirtualKeySet set, int key, const QString& name,
                        bool hasRow) {
        QTest::addRow("%s: %s", setTag, what) << set << key << name << hasRow;
    };
    for (const auto& s : sets) {
        const bool recorder = s.set == VirtualKeySet::Recorder;
        const bool combination = s.set == VirtualKeySet::KeyCombination;
        row(s.tag, "letter", s.set, 0x41, "A", true);
        row(s.tag, "Return", s.set, 0x0D, "Enter", true);
        row(s.tag, "OEM 5", s.set, 0xDC, "\\", true);
        row(s.tag, "keypad 5", s.set, 0x65, "Num5", true);
        row(s.tag, "up", s.set, 0x26, QString::fromUtf8("\u2191"), true);
        row(s.tag, "F12", s.set, 0x7B, "F12", true);
        row(s.tag, "clear", s.set, 0x0C, "", recorder);
        row(s.tag, "right Alt", s.set, 0xA5, recorder ? "RAlt" : "", recorder);
        row(s.tag, "left Shift", s.set, 0xA0, combination ? "" : "LShift", !combination);
        row(s.tag, "right Win", s.set, 0x5C, combination ? "" : "RWin", !combination);
        row(s.tag, "generic Shift", s.set, 0x10, "", false);
        row(s.tag, "generic Alt", s.set, 0x12, "", false);
        row(s.tag, "no key", s.set, 0x00, "", false);
        row(s.tag, "negative", s.set, -1, "", false);
        row(s.tag, "past a byte", s.set, 0x141, "", false);
    }
}

void TestKeyUsageTable::virtualKeys()
{
    QFETCH(VirtualKeySet, set);
    QFETCH(int, virtualKey);
    QFETCH(QString, name);
    QFETCH(bool, hasRow);

    setMouseButtonNames(english);
    QCOMPARE(KeyNameFromVirtualKey(virtualKey, set), name);
    QCOMPARE(VirtualKeyHasRow(virtualKey, set), hasRow);
}

void TestKeyUsageTable::virtualKeyCounts_data()
{
    QTest::addColumn<VirtualKeySet>("set");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("names");
    QTest::newRow("recorder") << VirtualKeySet::Recorder << 104 << 103;
    QTest::newRow("capture") << VirtualKeySet::KeyCapture << 102 << 102;
    QTest::newRow("combination") << VirtualKeySet::KeyCombination << 95 << 95;
}

// Every virtual key a set takes, and the names it gives: each name belongs to the same row as
// the one the recorder gives.
void TestKeyUsageTable::virtualKeyCounts()
{
    QFETCH(VirtualKeySet, set);
    QFETCH(int, keys);
    QFETCH(int, names);

    int withRow = 0;
    QSet<QString> named;
    for (int key = 0; key < 0x100; ++key) {
        const QString name = KeyNameFromVirtualKey(key, set);
        if (VirtualKeyHasRow(key, set)) {
            ++withRow;
            QCOMPARE(name, KeyNameFromVirtualKey(key, VirtualKeySet::Recorder));
        } else {
            QCOMPARE(name, QString());
        }
        if (!name.isEmpty())
            named.insert(name);
    }
    QCOMPARE(withRow, keys);
    QCOMPARE(named.size(), names);
}

void TestKeyUsageTable::combinationNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one key") << "Num1" << QStringList{"Num1"};
    QTest::newRow("Num+ is one key") << "Shift+Ctrl+Num+" << QStringList{"Shift", "Ctrl", "Num+"};
    QTest::newRow("Num+ in the middle") << "A+Num++B" << QStringList{"A", "Num+", "B"};
    QTest::newRow("Num alone then a key") << "Num+A" << QStringList{"Num", "A"};
    QTest::newRow("empty part counts") << "A++B" << QStringList{"A", "", "B"};
    QTest::newRow("trailing plus") << "A+" << QStringList{"A", ""};
}

void TestKeyUsageTable::combinationNames()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(KeyCombinationNames(text), names);
}

VEXO_TEST_CORE_MAIN(TestKeyUsageTable)
#include "tst_keyusagetable.moc"
