#include "core/deviceallinfo.h"
#include "core/devicestate.h"
#include "helpers/testenv.h"
#include "hidusb/flashdatamap.h"

#include <QCoreApplication>
#include <QtTest>

#include <cstddef>

class TestRecord : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void recordSize();
    void deviceDefaults();
    void wired_data();
    void wired();
    void versionText_data();
    void versionText();
    void stateStartValues();
};

void TestRecord::layout_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expectedSize");
#define FIELD(f, off, sz) \
    QTest::newRow(#f) << int(offsetof(FlashDataMap, f)) << (off) << int(sizeof(FlashDataMap::f)) << (sz)
    FIELD(reportRate, 0x000, 1);
    FIELD(dpiLevelCount, 0x001, 1);
    FIELD(currentDpiLevel, 0x002, 1);
    FIELD(configByte3, 0x003, 1);
    FIELD(configByte4, 0x004, 1);
    FIELD(lod, 0x005, 1);
    FIELD(debounceTime, 0x006, 1);
    FIELD(motionSync, 0x007, 1);
    FIELD(stopCloseTime, 0x008, 1);
    FIELD(straightLine, 0x009, 1);
    FIELD(rippeControl, 0x00A, 1);
    FIELD(lightOffWhileMoving, 0x00B, 1);
    FIELD(performance, 0x00C, 1);
    FIELD(performanceOpen, 0x00D, 1);
    FIELD(modelChoose, 0x00E, 1);
    FIELD(dpiLevels, 0x00F, 48);
    FIELD(dpiEffectMode, 0x03F, 1);
    FIELD(dpiEffectBrightness, 0x040, 1);
    FIELD(dpiEffectSpeed, 0x041, 1);
    FIELD(dpiEffectOn, 0x042, 1);
    FIELD(lightMode, 0x043, 1);
    FIELD(lightColor, 0x044, 3);
    FIELD(lightSpeed, 0x047, 1);
    FIELD(lightBrightness, 0x048, 1);
    FIELD(lightOn, 0x049, 1);
    FIELD(buttonFunctions, 0x04A, 48);
    FIELD(reserved, 0x07A, 2);
    FIELD(keyActions, 0x07C, 832);
    FIELD(macros, 0x3BC, 9472);
#undef FIELD
}

void TestRecord::layout()
{
    QFETCH(int, offset);
    QFETCH(int, expected);
    QFETCH(int, size);
    QFETCH(int, expectedSize);
    QCOMPARE(offset, expected);
    QCOMPARE(size, expectedSize);
}

void TestRecord::recordSize()
{
    QCOMPARE(int(sizeof(FlashDataMap)), 10428);
    QCOMPARE(int(offsetof(FlashDataMap, macros) + 16 * sizeof(MacroRecord)), 10428);
    // Multi-byte fields are little-endian on the wire and in files.
    FlashDataMap m = ZeroFlashDataMap();
    m.keyActions[1].count = 0x04030201;
    m.keyActions[1].events[0].usage = 0x0605;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&m);
    QCOMPARE(int(bytes[0x07C + 52]), 0x01);
    QCOMPARE(int(bytes[0x07C + 52 + 3]), 0x04);
    QCOMPARE(int(bytes[0x07C + 52 + 4 + 2]), 0x05);
    QCOMPARE(int(bytes[0x07C + 52 + 4 + 3]), 0x06);
}

void TestRecord::deviceDefaults()
{
    const DeviceAllInfo d;
    QVERIFY(d.Path.isEmpty());
    QCOMPARE(d.VidText, QStringLiteral("0"));
    QCOMPARE(d.PidText, QStringLiteral("0"));
    QCOMPARE(int(d.CidMid), 0);
    QCOMPARE(int(d.ConnectionType), 0);
    QCOMPARE(int(d.DriveIndex), 0);
    QCOMPARE(int(d.Online), 0);
    QCOMPARE(int(d.Wired), 0);
    QVERIFY(d.VersionText.isEmpty());
    QVERIFY(d.FirmwareVersionText.isEmpty());
    QVERIFY(d.ReceiverAddress.isEmpty());
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
