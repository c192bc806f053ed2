#include "core/deviceallinfo.h"
#include "core/devicestate.h"
#include "helpers/testenv.h"
#include "hidusb/flashdatamap.h"

#include <QCoreApplication>
#include <QtTest>

class TestRecord : public QObject
{
    Q_OBJECT
private slots:
    void nestedFields();
    void wired_data();
    void wired();
    void versionText_data();
    void versionText();
    void stateStartValues();
};

// The header pins every field's offset and every struct's size at compile time; what it leaves
// open is where the fields inside the nested blocks sit, which the device reads byte for byte.
void TestRecord::nestedFields()
{
    FlashDataMap m = ZeroFlashDataMap();
    m.keyActions[1].count = 0x04030201;
    m.keyActions[1].events[2] = {0x11, 0x22, 0x4433, 0x88776655};
    m.macros[3].nameLength = 0x99;
    m.macros[3].eventCount = 0x9A;
    m.macros[3].events[1] = {0x21, 0x22, 0x2423, 0x28272625};
    const QByteArray bytes(reinterpret_cast<const char*>(&m), int(sizeof m));
    const int key = 0x07C + 52;          // keyActions[1]
    const int keyEvent = key + 4 + 2 * 8; // its events[2]
    const int macro = 0x3BC + 3 * 592;    // macros[3]
    const int macroEvent = macro + 32 + 8; // its events[1]
    QCOMPARE(bytes.mid(key, 4).toHex(), QByteArray("01020304"));
    QCOMPARE(bytes.mid(keyEvent, 8).toHex(), QByteArray("1122334455667788"));
    QCOMPARE(bytes.mid(macro, 1).toHex(), QByteArray("99"));
    QCOMPARE(bytes.mid(macro + 31, 1).toHex(), QByteArray("9a"));
    QCOMPARE(bytes.mid(macroEvent, 8).toHex(), QByteArray("2122232425262728"));
    // Nothing else was touched.
    QCOMPARE(bytes.count('\0'), int(sizeof m) - 4 - 8 - 1 - 1 - 8);
}

void TestRecord::wired_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("wired");
    QTest::newRow("receiver type 1") << 0 << 0;
    QTest::newRow("receiver type 4") << 1 << 0;
    QTest::newRow("cable 2") << 2 << 1;
    QTest::newRow("cable 3") << 3 << 1;
    QTest::newRow("receiver type 2") << 4 << 0;
    QTest::newRow("receiver type 8") << 5 << 0;
    QTest::newRow("unknown kind") << 8 << 1;
}

void TestRecord::wired()
{
    QFETCH(int, kind);
    QFETCH(int, wired);
    QCOMPARE(int(DeviceAllInfo::WiredForConnection(quint8(kind))), wired);
}

void TestRecord::versionText_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("hex minor") << 0x020A << "v2.a";
    QTest::newRow("two digit minor") << 0x0210 << "v2.10";
    QTest::newRow("zero") << 0 << "v0.0";
}

void TestRecord::versionText()
{
    QFETCH(int, version);
    QFETCH(QString, text);
    QCOMPARE(DeviceAllInfo::VersionTextFor(quint16(version)), text);
}

void TestRecord::stateStartValues()
{
    DeviceConfig.update([](FlashDataMap& m) { m.reportRate = 7; });
    WorkerDeviceList.set({DeviceAllInfo()});
    ResetDeviceState();
    const FlashDataMap m = DeviceConfig.get();
    const FlashDataMap zero = ZeroFlashDataMap();
    QVERIFY(std::memcmp(&m, &zero, sizeof m) == 0);
    QVERIFY(WorkerDeviceList.get().isEmpty());
    QCOMPARE(int(DeviceWatchEnabled.load()), 1);
    QCOMPARE(int(DeviceOnline.load()), 0);
    QVERIFY(CurrentDevicePath.get().isEmpty());
}

VEXO_TEST_CORE_MAIN(TestRecord)
#include "tst_record.moc"
