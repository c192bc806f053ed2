// The settings dump and the report decoders of the HID library, through HIDUsb.h and
// hidsim.h only: a record written to a simulated mouse comes back byte for byte.

#include "helpers/testenv.h"
#include "hidusb/flashdatamap.h"
#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QtTest>

#include <condition_variable>
#include <cstring>
#include <mutex>

Q_DECLARE_METATYPE(FlashDataMap)

namespace {

std::mutex g_mu;
std::vector<uint8_t> g_dump;
int g_dumps = 0;

void onData(const uint8_t* head, int headLength, const uint8_t* data, int dataLength)
{
    if (headLength >= 5 && head[1] == HIDUSB_CMD_SETTINGS && head[4] == HIDUSB_SUB_ALL
        && dataLength == HIDUSB_DUMP_LENGTH) {
        std::lock_guard<std::mutex> lock(g_mu);
        g_dump.assign(data, data + dataLength);
        ++g_dumps;
    }
}

int dumps()
{
    std::lock_guard<std::mutex> lock(g_mu);
    return g_dumps;
}

// Reads the mouse's whole settings through the service and parses them (run with VEXO_CHECKED).
void readBack(FlashDataMap* out)
{
    const int before = dumps();
    QVERIFY(UsbServer_ReadAllFlashData());
    QTRY_VERIFY(dumps() > before);
    std::lock_guard<std::mutex> lock(g_mu);
    QCOMPARE(ProtocolDataParser(g_dump.data(), int(g_dump.size()), out), 1);
}

HidSim::DeviceSpec cableMouse()
{
    HidSim::DeviceSpec s;
    s.id = "m";
    s.pid = "0x5101";
    s.mid = 1;
    return s;
}

uint8_t pseudoRandom(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return uint8_t(state >> 16);
}

void fillRandom(void* p, size_t n, uint32_t seed)
{
    auto* b = static_cast<uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        b[i] = pseudoRandom(seed);
}

void fullMacro(MacroRecord& m, uint32_t seed)
{
    std::memset(&m, 0, sizeof m);
    m.nameLength = 30;
    fillRandom(m.name, sizeof m.name, seed);
    m.eventCount = 70;
    fillRandom(m.events, sizeof m.events, seed + 1);
}

FlashDataMap factoryLike()
{
    FlashDataMap m = ZeroFlashDataMap();
    m.reportRate = 1;
    m.dpiLevelCount = 4;
    m.lightOn = 1;
    m.buttonFunctions[0] = {1, 1, 0};
    return m;
}

} // namespace

class TestHidUsbCodec : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void refusedRecordKeepsSettings_data();
    void refusedRecordKeepsSettings();
    void parserRejectsForeignDumps_data();
    void parserRejectsForeignDumps();
    void reportDecoders_data();
    void reportDecoders();
    void lightBlocksWriteOnlyTheirBytes();

private:
    TestEnv::TempHome* m_home = nullptr;
    TestEnv::SimulatedDevices* m_sim = nullptr;
};

void TestHidUsbCodec::init()
{
    m_home = new TestEnv::TempHome;
    m_sim = new TestEnv::SimulatedDevices(TestEnv::SimulatedDevices::Empty);
    QVERIFY(HidSim::AddDevice(cableMouse()));
    QCOMPARE(UsbServerC_Start(HidSim::PathOf("m").c_str(), HidSim::PathOf("m").c_str(), onData), 1);
}

void TestHidUsbCodec::cleanup()
{
    delete m_sim;
    delete m_home;
    m_sim = nullptr;
    m_home = nullptr;
}

void TestHidUsbCodec::roundTrip_data()
{
    QTest::addColumn<FlashDataMap>("record");

    QTest::newRow("all zero") << ZeroFlashDataMap();

    FlashDataMap extremes = ZeroFlashDataMap();
    std::memset(&extremes, 0xFF, offsetof(FlashDataMap, macros));
    QTest::newRow("every scalar, DPI, light, button and key byte 0xFF") << extremes;

    FlashDataMap unused = factoryLike();
    unused.configByte3 = 0xA5;
    unused.configByte4 = 0x5A;
    unused.reserved[0] = 0x12;
    unused.reserved[1] = 0xEF;
    unused.motionSync = 1;
    unused.straightLine = 1;
    unused.rippeControl = 1;
    // Events past a key block's count are not used, and still come back.
    unused.keyActions[3].count = 2;
    fillRandom(unused.keyActions[3].events, sizeof unused.keyActions[3].events, 7);
    QTest::newRow("bytes the program does not interpret") << unused;

    FlashDataMap tenFull = factoryLike();
    for (int b = 0; b < 10; ++b)
        fullMacro(tenFull.macros[b], uint32_t(100 + b));
    QTest::newRow("ten full macros, the most that fit") << tenFull;

    FlashDataMap spread = factoryLike();
    for (int b : {0, 5, 15}) {
        fullMacro(spread.macros[b], uint32_t(b));
        spread.macros[b].nameLength = uint8_t(b);
        std::memset(spread.macros[b].name + b, 0, sizeof spread.macros[b].name - size_t(b));
        spread.macros[b].eventCount = uint8_t(b * 4);
        std::memset(reinterpret_cast<uint8_t*>(spread.macros[b].events) + b * 4 * 8, 0,
                    sizeof spread.macros[b].events - size_t(b * 4 * 8));
    }
    QTest::newRow("short macros on buttons 0, 5 and 15") << spread;

    FlashDataMap tails = factoryLike();
    tails.macros[2].nameLength = 3;
    std::memcpy(tails.macros[2].name, "abcXYZ", 6); // bytes past the name length
    tails.macros[2].eventCount = 1;
    fillRandom(tails.macros[2].events, 3 * sizeof(KeyActionEvent), 9); // events past the count
    tails.macros[4].nameLength = 200; // lengths out of range
    tails.macros[4].eventCount = 255;
    QTest::newRow("macro bytes past the name and the events") << tails;
}

void TestHidUsbCodec::roundTrip()
{
    QFETCH(FlashDataMap, record);
    QCOMPARE(ProtocolDataUpdate(&record), 1);
    FlashDataMap back;
    std::memset(&back, 0xCD, sizeof back);
    VEXO_CHECKED(readBack(&back));
    QVERIFY(std::memcmp(&back, &record, sizeof record) == 0);
}

void TestHidUsbCodec::refusedRecordKeepsSettings_data()
{
    QTest::addColumn<FlashDataMap>("record");

    FlashDataMap eleven = factoryLike();
    for (int b = 0; b < 11; ++b)
        fullMacro(eleven.macros[b], uint32_t(b));
    QTest::newRow("eleven full macros") << eleven;

    FlashDataMap allRaw;
    std::memset(&allRaw, 0xFF, sizeof allRaw);
    QTest::newRow("sixteen macros that must be kept whole") << allRaw;
}

void TestHidUsbCodec::refusedRecordKeepsSettings()
{
    QFETCH(FlashDataMap, record);
    FlashDataMap kept = factoryLike();
    kept.lod = 3;
    QCOMPARE(ProtocolDataUpdate(&kept), 1);

    HidSim::ClearCalls();
    QCOMPARE(ProtocolDataUpdate(&record), 0);
    QCOMPARE(HidSim::ReportsSent(), 0);
    FlashDataMap back;
    VEXO_CHECKED(readBack(&back));
    QVERIFY(std::memcmp(&back, &kept, sizeof kept) == 0);
}

void TestHidUsbCodec::parserRejectsForeignDumps_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<int>("length");
    QTest::newRow("other magic") << 0 << int(HIDUSB_DUMP_LENGTH);
    QTest::newRow("used length past the dump") << 1 << int(HIDUSB_DUMP_LENGTH);
    QTest::newRow("unknown macro entry tag") << 2 << int(HIDUSB_DUMP_LENGTH);
    QTest::newRow("cut short") << -1 << 900;
}

void TestHidUsbCodec::parserRejectsForeignDumps()
{
    QFETCH(int, damage);
    QFETCH(int, length);
    FlashDataMap written = factoryLike();
    QCOMPARE(ProtocolDataUpdate(&written), 1);
    std::vector<uint8_t> dump = HidSim::StoredDump("m");
    QCOMPARE(int(dump.size()), HIDUSB_DUMP_LENGTH);
    if (damage == 0)
        dump[0] ^= 0xFF;
    else if (damage == 1)
        dump[4] = dump[5] = 0xFF;
    else if (damage == 2)
        dump[8 + 124 + 832] = 7; // first macro entry
    FlashDataMap out;
    std::memset(&out, 0x5C, sizeof out);
    FlashDataMap untouched = out;
    QCOMPARE(ProtocolDataParser(dump.data(), length, &out), 0);
    QVERIFY(std::memcmp(&out, &untouched, sizeof out) == 0);
}

void TestHidUsbCodec::reportDecoders_data()
{
    QTest::addColumn<QString>("decoder");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("battery, 4 bytes") << "battery" << 4 << true;
    QTest::newRow("battery, 3 bytes") << "battery" << 3 << false;
    QTest::newRow("battery, none") << "battery" << 0 << false;
    QTest::newRow("status, 7 bytes") << "status" << 7 << true;
    QTest::newRow("status, 6 bytes") << "status" << 6 << false;
}

void TestHidUsbCodec::reportDecoders()
{
    QFETCH(QString, decoder);
    QFETCH(int, length);
    QFETCH(bool, decoded);
    const uint8_t data[8] = {87, 1, 0x40, 0x0F, 0, 2, 9, 0};
    uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    if (decoder == QLatin1String("battery")) {
        QCOMPARE(GetDeviceBatteryStatus(data, length, out), decoded ? 1 : 0);
        if (decoded) {
            QCOMPARE(int(out[0]), 87);
            QCOMPARE(int(out[1]), 1);
        }
        QCOMPARE(int(out[decoded ? 4 : 0]), 0xEE);
    } else {
        QCOMPARE(GetDeviceStatusChanged(data, length, out), decoded ? 1 : 0);
        if (decoded) {
            const uint8_t flags[7] = {1, 1, 1, 1, 0, 1, 1};
            QVERIFY(std::memcmp(out, flags, 7) == 0);
        }
        QCOMPARE(int(out[decoded ? 7 : 0]), 0xEE);
    }
}

void TestHidUsbCodec::lightBlocksWriteOnlyTheirBytes()
{
    FlashDataMap record;
    std::memset(&record, 0x77, sizeof record);
    const FlashDataMap before = record;
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    const uint8_t dpiLight[8] = {2, 128, 5, 1, 9, 9, 9, 9};
    const uint8_t lightBar[9] = {3, 10, 20, 30, 4, 5, 1, 9, 9};

    QCOMPARE(BufferToDPILed(dpiLight, 7, bytes + 0x3F), 0);
    QCOMPARE(BufferToLedBar(lightBar, 8, bytes + 0x43), 0);
    QVERIFY(std::memcmp(&record, &before, sizeof record) == 0);

    QCOMPARE(BufferToDPILed(dpiLight, 8, bytes + 0x3F), 1);
    QCOMPARE(BufferToLedBar(lightBar, 9, bytes + 0x43), 1);
    QCOMPARE(int(record.dpiEffectMode), 2);
    QCOMPARE(int(record.dpiEffectOn), 1);
    QCOMPARE(int(record.lightMode), 3);
    QCOMPARE(int(record.lightColor[2]), 30);
    QCOMPARE(int(record.lightOn), 1);
    for (int i = 0; i < int(sizeof record); ++i)
        if (i < 0x3F || i > 0x49)
            QVERIFY2(bytes[i] == 0x77, qPrintable(QStringLiteral("byte 0x%1 changed").arg(i, 0, 16)));
}

VEXO_TEST_CORE_MAIN(TestHidUsbCodec)
#include "tst_hidusb_codec.moc"
