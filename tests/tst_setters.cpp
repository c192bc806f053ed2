#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>
#include <functional>

namespace {

struct SetterCase {
    const char* name;
    std::function<bool()> call;
    std::function<void(FlashDataMap&)> expect;
};

const DpiLevel kLevelA{{1, 2, 3}, 10, 20, 30};
const DpiLevel kLevelB{{4, 5, 6}, 40, 50, 60};

ButtonFunctionCode keyFunction() { return {KeyActionFunction, 0, 0}; }

KeyActionRecord keyRecord()
{
    KeyActionRecord k{};
    k.count = 2;
    k.events[0] = {0, 1, 0x04, 10};
    k.events[1] = {1, 1, 0x04, 10};
    return k;
}

MacroRecord macroRecord()
{
    MacroRecord m{};
    m.nameLength = 4;
    std::memcpy(m.name, "abcd", 4);
    m.eventCount = 70;
    for (int i = 0; i < 70; ++i)
        m.events[i] = {uint8_t(i % 2), 1, uint16_t(0x04 + i / 2), uint32_t(i)};
    return m;
}

const QList<SetterCase>& cases()
{
    static const QList<SetterCase> list = {
        {"report rate", [] { return SetReportRate(0x20); }, [](FlashDataMap& m) { m.reportRate = 0x20; }},
        {"current level", [] { return SetCurrentDpiLevel(3); }, [](FlashDataMap& m) { m.currentDpiLevel = 3; }},
        {"level value", [] { return SetDpiLevelValue(7, 0x101, 2, 0x33); },
         [](FlashDataMap& m) { m.dpiLevels[7].code[0] = 1; m.dpiLevels[7].code[1] = 2; m.dpiLevels[7].code[2] = 0x33; }},
        {"level colour", [] { return SetDpiLevelColor(0, 255, 0, 128); },
         [](FlashDataMap& m) { m.dpiLevels[0].red = 255; m.dpiLevels[0].green = 0; m.dpiLevels[0].blue = 128; }},
        {"swap levels", [] { return SwapDpiLevels(&kLevelA, &kLevelB, 2, 5, 4); },
         [](FlashDataMap& m) { m.dpiLevels[5] = kLevelA; m.dpiLevels[2] = kLevelB; m.currentDpiLevel = 4; m.dpiLevelCount = 5; }},
        {"swap same index ends as b", [] { return SwapDpiLevels(&kLevelA, &kLevelB, 1, 1, 0); },
         [](FlashDataMap& m) { m.dpiLevels[1] = kLevelB; m.currentDpiLevel = 0; m.dpiLevelCount = 1; }},
        {"level count", [] { return SetDpiLevelCount(3); }, [](FlashDataMap& m) { m.dpiLevelCount = 3; }},
        {"dpi effect off keeps mode", [] { return SetDpiEffectMode(0); }, [](FlashDataMap& m) { m.dpiEffectOn = 0; }},
        {"dpi effect breathing", [] { return SetDpiEffectMode(2); },
         [](FlashDataMap& m) { m.dpiEffectOn = 1; m.dpiEffectMode = 2; }},
        {"dpi brightness", [] { return SetDpiEffectBrightness(230); }, [](FlashDataMap& m) { m.dpiEffectBrightness = 230; }},
        {"dpi speed", [] { return SetDpiEffectSpeed(5); }, [](FlashDataMap& m) { m.dpiEffectSpeed = 5; }},
        {"lod", [] { return SetLod(3); }, [](FlashDataMap& m) { m.lod = 3; }},
        {"debounce", [] { return SetDebounceTime(15); }, [](FlashDataMap& m) { m.debounceTime = 15; }},
        {"sleep time", [] { return SetStopCloseTime(240); }, [](FlashDataMap& m) { m.stopCloseTime = 240; }},
        {"performance", [] { return SetPerformance(1); }, [](FlashDataMap& m) { m.performance = 1; }},
        {"performance time", [] { return SetPerformanceOpen(90); }, [](FlashDataMap& m) { m.performanceOpen = 90; }},
        {"sensor mode", [] { return SetModelChoose(1); }, [](FlashDataMap& m) { m.modelChoose = 1; }},
        {"light off keeps mode", [] { return SetLightMode(0); }, [](FlashDataMap& m) { m.lightOn = 0; }},
        {"light mode", [] { return SetLightMode(3); }, [](FlashDataMap& m) { m.lightOn = 1; m.lightMode = 3; }},
        {"light colour", [] { return SetLightColor(1, 2, 3); },
         [](FlashDataMap& m) { m.lightColor[0] = 1; m.lightColor[1] = 2; m.lightColor[2] = 3; }},
        {"light speed", [] { return SetLightSpeed(9); }, [](FlashDataMap& m) { m.lightSpeed = 9; }},
        {"light brightness", [] { return SetLightBrightness(0); }, [](FlashDataMap& m) { m.lightBrightness = 0; }},
        {"lights off moving", [] { return SetLightOffWhileMoving(1); }, [](FlashDataMap& m) { m.lightOffWhileMoving = 1; }},
        {"button function", [] { return SetButtonFunction(15, 2, 1, 0); },
         [](FlashDataMap& m) { m.buttonFunctions[15] = {2, 1, 0}; }},
        {"button key action", [] { const auto f = keyFunction(); const auto k = keyRecord(); return SetButtonKeyAction(4, &f, &k); },
         [](FlashDataMap& m) { m.buttonFunctions[4] = keyFunction(); m.keyActions[4] = keyRecord(); }},
        {"button macro", [] { const ButtonFunctionCode f{MacroFunction, 0, 1}; const auto mr = macroRecord(); return SetButtonMacro(0, &f, &mr); },
         [](FlashDataMap& m) { m.buttonFunctions[0] = {MacroFunction, 0, 1}; m.macros[0] = macroRecord(); }},
    };
    return list;
}

} // namespace

class TestSetters : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void online_data();
    void online();
    void sameValueStillSends();
    void offline_data();
    void offline();
    void outOfRange_data();
    void outOfRange();
    void refusedWrite();
    void deviceLostDuringWrite_data();
    void deviceLostDuringWrite();
    void recordOfAnotherDevice();

private:
    void addCases();
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    QByteArray m_path;
    FlashDataMap m_start;
};

void TestSetters::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    QVERIFY(HidSim::GetSettings("m1", -1, &m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
}

void TestSetters::cleanup()
{
    m_fixture.reset();
}

void TestSetters::addCases()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < cases().size(); ++i)
        QTest::newRow(cases().at(i).name) << i;
}

void TestSetters::online_data()
{
    addCases();
}

void TestSetters::online()
{
    QFETCH(int, index);
    const SetterCase& c = cases().at(index);
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    QVERIFY(c.call());
    FlashDataMap expected = m_start;
    c.expect(expected);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(expected));
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(writes.front().bytes.data()), int(writes.front().bytes.size())),
             DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);
}

void TestSetters::sameValueStillSends()
{
    QVERIFY(SetLod(m_start.lod));
    QVERIFY(SetLod(m_start.lod));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 2);
}

void TestSetters::offline_data()
{
    QTest::addColumn<int>("loadingPage");
    QTest::addColumn<int>("notices");
    QTest::newRow("no page loading") << 0 << 1;
    QTest::newRow("sensor page loading") << 1 << 0;
    QTest::newRow("light page loading") << 2 << 0;
    QTest::newRow("button page loading") << 3 << 0;
}

void TestSetters::offline()
{
    QFETCH(int, loadingPage);
    QFETCH(int, notices);
    QVERIFY(HidSim::Unplug("m1"));
    if (loadingPage == 1) SensorLoading.store(1);
    if (loadingPage == 2) LightLoading.store(1);
    if (loadingPage == 3) ButtonLoading.store(1);
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    QVERIFY(!SetLightColor(9, 9, 9));
    QVERIFY(!CheckDeviceOnline());
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 2 * notices);
    if (notices)
        QCOMPARE(offline.first().first().toInt(), 0);
}

void TestSetters::outOfRange_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("level 8") << 0;
    QTest::newRow("level -1 colour") << 1;
    QTest::newRow("button 16") << 2;
    QTest::newRow("button -1 key action") << 3;
    QTest::newRow("level count 9") << 4;
    QTest::newRow("swap index 8") << 5;
    QTest::newRow("macro button 16") << 6;
    QTest::newRow("dpi level count 0") << 7;
    QTest::newRow("dpi level count 9") << 8;
}

void TestSetters::outOfRange()
{
    QFETCH(int, which);
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    const auto f = keyFunction();
    const auto k = keyRecord();
    const auto m = macroRecord();
    for (bool plugged : {true, false}) {
        if (!plugged)
            HidSim::Unplug("m1");
        bool result = true;
        switch (which) {
        case 0: result = SetCurrentDpiLevel(8); break;
        case 1: result = SetDpiLevelColor(-1, 1, 1, 1); break;
        case 2: result = SetButtonFunction(16, 1, 1, 0); break;
        case 3: result = SetButtonKeyAction(-1, &f, &k); break;
        case 4: result = SwapDpiLevels(&kLevelA, &kLevelB, 0, 1, 8); break;
        case 5: result = SwapDpiLevels(&kLevelA, &kLevelB, 8, 1, 2); break;
        case 6: result = SetButtonMacro(16, &f, &m); break;
        case 7: result = SetDpiLevelCount(0); break;
        case 8: result = SetDpiLevelCount(9); break;
        }
        QVERIFY(!result);
    }
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
}

void TestSetters::refusedWrite()
{
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    HidSim::FailNextWrites(1);
    QVERIFY(!SetDebounceTime(3));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(offline.count(), 0);
    // The next change goes through as usual.
    QVERIFY(SetDebounceTime(3));
    QCOMPARE(int(DeviceLinkFixture::StoredRecord("m1").debounceTime), 3);
}

void TestSetters::deviceLostDuringWrite_data()
{
    QTest::addColumn<bool>("pageLoading");
    QTest::addColumn<int>("notices");
    QTest::newRow("no page loading: one offline notice") << false << 1;
    QTest::newRow("a page loading: no notice") << true << 0;
}

void TestSetters::deviceLostDuringWrite()
{
    QFETCH(bool, pageLoading);
    QFETCH(int, notices);
    ButtonLoading.store(pageLoading ? 1 : 0);
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    // Present at the check, gone by the time the record is on the wire.
    HidSim::UnplugDuringNextWrite("m1");
    QVERIFY(!SetLightColor(7, 8, 9));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(offline.count(), notices);
    if (notices)
        QCOMPARE(offline.first().first().toInt(), 0);
}

void TestSetters::recordOfAnotherDevice()
{
    QSignalSpy offline(PostMsg::instance(), SIGNAL(SigMouseOffLineo(int)));
    DeviceConfigPath.set(QByteArrayLiteral("another device"));
    QVERIFY(!SetReportRate(0x01));
    QVERIFY(!SendDeviceConfig());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(int(RestartWorkerPending.load()), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
}

VEXO_TEST_CORE_MAIN(TestSetters)
#include "tst_setters.moc"
