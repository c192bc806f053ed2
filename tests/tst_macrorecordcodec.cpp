#include "device/keyusagetable.h"
#include "device/macrorecordcodec.h"
#include "helpers/macrorowtexts.h"
#include "helpers/testenv.h"

#include <QtTest>

#include <cstring>

namespace {




QByteArray bytesOf(const MacroRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

// A whole record from the hex of its first bytes, zeros after them.
QByteArray recordBytes(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append(QByteArray(int(sizeof(MacroRecord)) - bytes.size(), '\0'));
    return bytes;
}

MacroRecord recordFrom(const QByteArray& bytes)
{
    MacroRecord record;
    std::memcpy(&record, bytes.constData(), sizeof record);
    return record;
}

// Name "M" (length byte, name, zeros to the count byte), then the count byte.
#define NAME_M "014d" "0000000000000000000000000000000000000000000000000000000000"

const std::array<QString, 5> testButtonNames = {QStringLiteral("Left"), QStringLiteral("Right"),
                                                QStringLiteral("Middle"), QStringLiteral("Back"),
                                                QStringLiteral("Forward")};

} // namespace

class TestMacroRecordCodec : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void build_data();
    void build();
    void buildKeepsTheRowsKey();
    void buildKeepsSeventyEvents_data();
    void buildKeepsSeventyEvents();
    void buildCutsTheName();
    void rows_data();
    void rows();
    void rowsOfAnOverfullRecord_data();
    void rowsOfAnOverfullRecord();
    void name_data();
    void name();

private:
    std::array<QString, 5> m_savedNames;
};

void TestMacroRecordCodec::init()
{
    m_savedNames = MouseButtonNames;
    MouseButtonNames = testButtonNames;
}

void TestMacroRecordCodec::cleanup()
{
    MouseButtonNames = m_savedNames;
}

void TestMacroRecordCodec::build_data()
{
    QTest::addColumn<QString>("forwardName");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("press, delay, release")
        << "Forward" << QStringList{"+A", "125ms", "-A"}
        << recordBytes(NAME_M "02" "000104007d000000" "0101040000000000");
    QTest::newRow("empty list") << "Forward" << QStringList() << recordBytes(NAME_M "00");
    QTest::newRow("ends with a delay: one more, all-zero event")
        << "Forward" << QStringList{"+A", "10ms"}
        << recordBytes(NAME_M "02" "000104000a000000" "0000000000000000");
    QTest::newRow("modifier and mouse button")
        << "Forward" << QStringList{"+LShift", "300ms", "-Left"}
        << recordBytes(NAME_M "02" "000002002c010000" "0104010000000000");
    QTest::newRow("rows without a key, resolved by name")
        << "Forward" << QStringList{"*LShift", "5ms", "*Middle", "5ms", "*Ctrl", "5ms", "*"}
        << recordBytes(NAME_M "04" "0000020005000000" "0004040005000000" "0001000005000000"
                                   "0001000000000000");
    QTest::newRow("function key before a button of the same name")
        << "F1" << QStringList{"*F1", "1ms", "-F1"}
        << recordBytes(NAME_M "02" "00013a0001000000" "01013a0000000000");
    QTest::newRow("paired by position only")
        << "Forward" << QStringList{"+A", "+B", "+C", "7", "-C"}
        << recordBytes(NAME_M "03" "0001040000000000" "0001060007000000" "0101060000000000");
    QTest::newRow("delay that does not read")
        << "Forward" << QStringList{"+A", "abcms", "-A"}
        << recordBytes(NAME_M "02" "0001040000000000" "0101040000000000");
    QTest::newRow("largest delay")
        << "Forward" << QStringList{"+A", "4294967295ms", "-A"}
        << recordBytes(NAME_M "02" "00010400ffffffff" "0101040000000000");
}

void TestMacroRecordCodec::build()
{
    QFETCH(QString, forwardName);
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, record);

    MouseButtonNames[4] = forwardName;
    QCOMPARE(bytesOf(BuildMacroRecord("M", MacroRowsFromTexts(rows))).toHex(), record.toHex());
}

void TestMacroRecordCodec::buildKeepsTheRowsKey()
{
    // Rows made under another language: the texts are no longer names, the keys still hold.
    const QVector<MacroEventRow> rows = {MacroEventFromCode(KindMouseButton, 0x10, true), MacroDelayRow(20),
                                         MacroEventFromCode(KindModifier, 0x40, false)};
    MouseButtonNames = {"L", "R", "M", "B", "Avant"};
    QCOMPARE(bytesOf(BuildMacroRecord("M", rows)).toHex(),
             recordBytes(NAME_M "02" "0004100014000000" "0100400000000000").toHex());
}

void TestMacroRecordCodec::buildKeepsSeventyEvents_data()
{
    QTest::addColumn<int>("events");
    QTest::addColumn<bool>("trailingDelay");
    QTest::addColumn<int>("count");

    QTest::newRow("1") << 1 << false << 1;
    QTest::newRow("69") << 69 << false << 69;
    QTest::newRow("69 and a delay") << 69 << true << 70;
    QTest::newRow("70") << 70 << false << 70;
    QTest::newRow("70 and a delay") << 70 << true << 70;
    QTest::newRow("71") << 71 << false << 70;
    QTest::newRow("80") << 80 << false << 70;
}

void TestMacroRecordCodec::buildKeepsSeventyEvents()
{
    QFETCH(int, events);
    QFETCH(bool, trailingDelay);
    QFETCH(int, count);

    QVector<MacroEventRow> rows;
    for (int i = 0; i < events; ++i) {
        if (i > 0)
            rows << MacroDelayRow(i);
        rows << MacroEventFromCode(KindKeyboard, 0x04 + i % 26, i % 2 == 0);
    }
    if (trailingDelay)
        rows << MacroDelayRow(events);

    const MacroRecord record = BuildMacroRecord("M", rows);
    QCOMPARE(int(record.eventCount), count);
    for (int i = 0; i < count; ++i) {
        const KeyActionEvent& event = record.events[i];
        const bool last = i == count - 1;
        QCOMPARE(event.delay, last ? 0u : quint32(i + 1));
        if (i < events) {
            QCOMPARE(int(event.action), i % 2);
            QCOMPARE(int(event.kind), int(KindKeyboard));
            QCOMPARE(int(event.usage), 0x04 + i % 26);
        } else {
            QCOMPARE(int(event.action) + int(event.kind) + int(event.usage), 0);
        }
    }
    const QByteArray bytes = bytesOf(record);
    QCOMPARE(bytes.mid(32 + 8 * count), QByteArray(8 * (MacroEventLimit - count), '\0'));
}

void TestMacroRecordCodec::buildCutsTheName()
{
    const QString name = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij"); // 36 letters
    const MacroRecord record = BuildMacroRecord(name, MacroRowsFromTexts({"+A"}));
    QCOMPARE(int(record.nameLength), 30);
    QCOMPARE(QByteArray(record.name, 30), name.left(30).toLatin1());
    QCOMPARE(int(record.eventCount), 1);
    QCOMPARE(MacroRecordName(record), name.left(30));
}

void TestMacroRecordCodec::rows_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("roundTrip"); // building the rows again gives the same record

    QTest::newRow("count 0") << recordBytes(NAME_M "00" "000104007d000000") << QStringList() << false;
    QTest::newRow("count 1: no delay row")
        << recordBytes(NAME_M "01" "00010400f4010000") << QStringList{"+A"} << false;
    QTest::newRow("press, delay, release")
        << recordBytes(NAME_M "02" "000104007d000000" "0101040000000000") << QStringList{"+A", "125ms", "-A"}
        << true;
    QTest::newRow("forward button")
        << recordBytes(NAME_M "01" "0004100000000000") << QStringList{"+Forward"} << true;
    QTest::newRow("right Alt") << recordBytes(NAME_M "01" "0000400000000000") << QStringList{"+RAlt"} << true;
    QTest::newRow("F7") << recordBytes(NAME_M "01" "0001400000000000") << QStringList{"+F7"} << true;
    QTest::newRow("any other action byte is a release")
        << recordBytes(NAME_M "01" "0201040000000000") << QStringList{"-A"} << false;
    QTest::newRow("no such button") << recordBytes(NAME_M "01" "0004200000000000") << QStringList{"+"} << true;
    QTest::newRow("consumer kind named as a keyboard key")
        << recordBytes(NAME_M "01" "0002300000000000") << QStringList{"+]"} << true;
    QTest::newRow("large delay")
        << recordBytes(NAME_M "02" "0000020000000080" "0100020000000000")
        << QStringList{"+LShift", "2147483648ms", "-LShift"} << true;
}

void TestMacroRecordCodec::rows()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, rows);
    QFETCH(bool, roundTrip);

    const MacroRecord source = recordFrom(record);
    const QVector<MacroEventRow> decoded = MacroRecordRows(source);
    QCOMPARE(MacroRowTexts(decoded), rows);
    for (int i = 0; i < decoded.size(); i += 2) {
        QVERIFY(decoded.at(i).hasKey);
        QCOMPARE(decoded.at(i).kind, int(source.events[i / 2].kind));
        QCOMPARE(decoded.at(i).code, int(source.events[i / 2].usage));
    }
    if (roundTrip)
        QCOMPARE(bytesOf(BuildMacroRecord(MacroRecordName(source), decoded)).toHex(), record.toHex());
}

void TestMacroRecordCodec::rowsOfAnOverfullRecord_data()
{
    QTest::addColumn<int>("countByte");

    QTest::newRow("71") << 71;
    QTest::newRow("200") << 200;
    QTest::newRow("255") << 255;
}

void TestMacroRecordCodec::rowsOfAnOverfullRecord()
{
    QFETCH(int, countByte);

    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    record.eventCount = quint8(countByte);
    for (int i = 0; i < MacroEventLimit; ++i)
        record.events[i] = KeyActionEvent{quint8(i % 2), KindKeyboard, quint16(0x04 + i % 26), quint32(i + 1)};

    const QVector<MacroEventRow> rows = MacroRecordRows(record);
    QCOMPARE(rows.size(), 2 * MacroEventLimit - 1);
    QCOMPARE(rows.last().text, KeyNameFromHidCode(0x04 + 69 % 26, KindKeyboard));
    QVERIFY(rows.last().IsRelease());
    QCOMPARE(rows.at(rows.size() - 2).text, QString("69ms"));
}

void TestMacroRecordCodec::name_data()
{
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::addColumn<QString>("name");

    QTest::newRow("short") << QByteArray("M") << "M";
    QTest::newRow("up to the first zero") << QByteArray("AB\0CD", 5) << "AB";
    QTest::newRow("all 30 bytes") << QByteArray(30, 'x') << QString(30, 'x');
    QTest::newRow("none") << QByteArray() << "";
}

void TestMacroRecordCodec::name()
{
    QFETCH(QByteArray, nameBytes);
    QFETCH(QString, name);

    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    record.nameLength = 3; // not consulted
    std::memcpy(record.name, nameBytes.constData(), size_t(nameBytes.size()));
    record.eventCount = 0x41; // the byte after the name is not part of it
    QCOMPARE(MacroRecordName(record), name);
}

VEXO_TEST_CORE_MAIN(TestMacroRecordCodec)
#include "tst_macrorecordcodec.moc"
