#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicedatacallback.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "platform/registrystore.h"

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSettings>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

// The wanted library calls in the order they were logged, of every thread or only of those on
// (or off) one thread. The library logs a call after queuing its answer, so across threads an
// answer's handler may be logged first: only one thread's order is the order of its calls.
enum class Threads { All, On, Off };
QStringList libraryCalls(const QStringList& wanted, Threads which = Threads::All,
                         std::thread::id thread = std::thread::id())
{
    QStringList out;
    for (const HidSim::Call& c : HidSim::Calls()) {
        const bool keep = which == Threads::All || (c.thread == thread) == (which == Threads::On);
        if (keep && wanted.contains(QString::fromStdString(c.function)))
            out << QString::fromStdString(c.function);
    }
    return out;
}

// A whole read pass runs at the program's own timing on the worker thread: slow on a busy machine.
constexpr int ReadPassMs = 15000;

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readPassPresent();
    void readPassAbsent_data();
    void readPassAbsent();
    void deviceBackAfterAbsentPass();
    void passWithoutDevicePages();
    void selectionPointsPathAtDevice();

    void commandTable_data();
    void commandTable();
    void deviceReadyReceiver();
    void keyParameterCheck_data();
    void keyParameterCheck();
    void versionReport();
    void statusChangesSpaced();

    void neverSendsOneDevicesRecordToAnother();
    void switchWhileDumpIsHandled_data();
    void switchWhileDumpIsHandled();
    void changeDuringRead_data();
    void changeDuringRead();
    void undecodableDumpChangesNothing();
    void oneByteReportOfAnotherDevice_data();
    void oneByteReportOfAnotherDevice();
    void passAskedForDuringAPass();
    void selectReadChangeHold();
    void factoryResetReadsAgain();
    void runWorkerEndsAfterItsPass();

private:
    // Chooses the device as opening it does and runs a read pass to its end.
    void openAndRead(const DeviceAllInfo& info, bool expectFullRead = true);
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<HubRecorder> m_pages;
    Worker* m_worker = nullptr;
};

void TestWorker::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_pages = std::make_unique<HubRecorder>();
    m_worker = new Worker(nullptr);
    WorkerThread.store(m_worker);
    MainPageActive.store(1);
}

void TestWorker::cleanup()
{
    m_pages->onEvent = nullptr; // it may refer to the finished test's locals
    CancelWorkerRun();
    WorkerThread.store(nullptr);
    UsbServer_Exit();
    if (m_worker) {
        m_worker->WaitProcessingEvents();
        delete m_worker;
        m_worker = nullptr;
    }
    m_pages.reset();
    m_fixture.reset();
}

void TestWorker::openAndRead(const DeviceAllInfo& info, bool expectFullRead)
{
    PostMsg::instance()->EmitSelectMouseInfo(info);
    StartWorkerPass();
    QTRY_VERIFY_WITH_TIMEOUT(m_worker->isFinished(), ReadPassMs);
    if (expectFullRead)
        QTRY_VERIFY_WITH_TIMEOUT(m_pages->count(QStringLiteral("Form")) > 0 && DeviceDataLoaded.load(), ReadPassMs);
}

void TestWorker::readPassPresent()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    const DeviceAllInfo info = DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0);
    HidSim::ClearCalls();
    VEXO_CHECKED(openAndRead(info));

    // The pass asks for the dump; the dump's handler, on the service thread, asks for the rest.
    const QStringList pass{"UsbServerC_Start", "UsbServer_SetPCDriverStatus", "UsbServer_ReadAllFlashData"};
    const QStringList handler{"UsbServer_ReadDPILed", "UsbServer_ReadBatteryLevel", "UsbServer_ReadVersion",
                              "UsbServer_ReadConfig", "ProtocolDataUpdate"};
    const std::thread::id service = HidSim::ServiceThreadId();
    QCOMPARE(libraryCalls(pass + handler, Threads::Off, service), pass);
    QCOMPARE(libraryCalls(pass + handler, Threads::On, service), handler);
    QCOMPARE(QByteArray::fromStdString(HidSim::Calls("UsbServerC_Start").front().arguments).left(path.size()), path);

    const QStringList order = m_pages->names();
    const int button = order.indexOf(QStringLiteral("Button"));
    QVERIFY(order.indexOf(QStringLiteral("Param:0")) >= 0);
    QVERIFY(order.indexOf(QStringLiteral("Param:0")) < button);
    QCOMPARE(order.mid(button, 4), (QStringList{"Button", "Light", "Sensor", "Form"}));
    const QByteArray device = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    for (const QString& page : {QStringLiteral("Button"), QStringLiteral("Light"), QStringLiteral("Sensor")}) {
        const HubRecorder::Event* e = m_pages->last(page);
        QCOMPARE(e->record, device);
        QVERIFY(e->onGuiThread);
        QVERIFY2(e->libraryCallbackRunning, "the callback went on before the page had taken the record");
    }
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), device);
    QCOMPARE(int(DeviceDataLoaded.load()), 1);
    QCOMPARE(int(DeviceReloadPending.load()), 0);
    QCOMPARE(DeviceInfoCacheName.get(), QStringLiteral("Device_CID24_MID01.bin"));
    QCOMPARE(SelectedCacheName.get(), QStringLiteral("Device_CID24_MID01.bin"));
    QVERIFY(DeviceConfigHoldsChosenDevice());
}

void TestWorker::readPassAbsent_data()
{
    QTest::addColumn<bool>("cached");
    QTest::newRow("with a cache file") << true;
    QTest::newRow("without a cache file") << false;
}

void TestWorker::readPassAbsent()
{
    QFETCH(bool, cached);
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    QVERIFY(HidSim::Unplug("m1"));
    FlashDataMap cache = DeviceLinkFixture::StoredRecord("m1");
    cache.lightColor[0] = 77;
    if (cached)
        SaveDeviceInfoCache(QStringLiteral("Device_CID24_MID01.bin"), cache);
    HidSim::ClearCalls();
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0), false));

    if (cached) {
        QCOMPARE(m_pages->names(), (QStringList{"Button", "Light", "Sensor", "Form"}));
        QCOMPARE(m_pages->last(QStringLiteral("Light"))->record, DeviceLinkFixture::Bytes(cache));
    } else {
        QCOMPARE(m_pages->names(), QStringList{"FormReset"});
    }
    QCOMPARE(int(OfflineCheckPending.load()), 1);
    QCOMPARE(int(CurrentDevice.get().Online), 0);
    QCOMPARE(int(DeviceDataLoaded.load()), 0);
    // The service is bound all the same, so the device is heard when it comes back.
    QCOMPARE(HidSim::CallCount("UsbServerC_Start"), 1);
    QVERIFY(!DeviceConfigHoldsChosenDevice());
}

void TestWorker::deviceBackAfterAbsentPass()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    QVERIFY(HidSim::Unplug("m1"));
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0), false));
    m_pages->clear();

    // Still absent: the timer only looks.
    QMetaObject::invokeMethod(m_worker, "SlotCheckOnline");
    QVERIFY(m_pages->events.isEmpty());
    QCOMPARE(int(OfflineCheckPending.load()), 1);

    QVERIFY(HidSim::Plug("m1"));
    QMetaObject::invokeMethod(m_worker, "SlotCheckOnline");
    QTRY_VERIFY_WITH_TIMEOUT(m_pages->count(QStringLiteral("Form")) > 0 && DeviceDataLoaded.load(), ReadPassMs);
    QCOMPARE(m_pages->names().first(), QStringLiteral("CloseOffline"));
    QCOMPARE(int(OfflineCheckPending.load()), 0);
    QCOMPARE(m_pages->last(QStringLiteral("Button"))->record, DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")));
    QVERIFY(DeviceConfigHoldsChosenDevice());
}

void TestWorker::passWithoutDevicePages()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    MainPageActive.store(0);
    HidSim::ClearCalls();
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0), false));
    QCOMPARE(HidSim::CallCount("UsbServerC_Start"), 0);
    QCOMPARE(int(DeviceDataLoaded.load()), int(DeviceOnline.load()));
    QCOMPARE(int(DeviceReloadPending.load()), 0);
}

void TestWorker::selectionPointsPathAtDevice()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    QCOMPARE(CurrentDevicePath.get(), PlaceholderDevicePath());
    PostMsg::instance()->EmitSelectMouseInfo(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    QCOMPARE(CurrentDevicePath.get(), path);
    QCOMPARE(SelectedCacheName.get(), QStringLiteral("Device_CID24_MID01.bin"));
    PostMsg::instance()->EmitMainPageChange();
    QCOMPARE(CurrentDevicePath.get(), PlaceholderDevicePath());
}

void TestWorker::commandTable_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytesAtOffset");

    auto head = [](int command, int sub = 0, int status = 0) {
        return QByteArray::fromHex("a5") + char(command) + char(0) + char(status) + char(sub);
    };
    QTest::newRow("battery") << head(4) << QByteArray::fromHex("37010000") << QStringList{"Battery:1,55,1"} << 0 << -1 << QByteArray();
    QTest::newRow("battery too short") << head(4) << QByteArray::fromHex("3701") << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("report rate") << head(8, 0) << QByteArray::fromHex("02") << QStringList{"ReportRate:2"} << 1 << 0 << QByteArray::fromHex("02");
    QTest::newRow("report rate, status set") << head(8, 0, 1) << QByteArray::fromHex("02") << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("short head reads sub-command 0") << QByteArray::fromHex("a508") << QByteArray::fromHex("04")
                                                    << QStringList{"ReportRate:4"} << 1 << 0 << QByteArray::fromHex("04");
    QTest::newRow("current level") << head(8, 4) << QByteArray::fromHex("03") << QStringList{"Dpi:3"} << 1 << 2 << QByteArray::fromHex("03");
    QTest::newRow("dpi light") << head(8, 0x4C) << QByteArray::fromHex("02ff0501aabbcc00") << QStringList{"DpiLed"} << 0
                               << 0x3F << QByteArray::fromHex("02ff0501");
    QTest::newRow("dpi light short") << head(8, 0x4C) << QByteArray::fromHex("02ff0501aabbcc") << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("light bar") << head(8, 0xA0) << QByteArray::fromHex("030a0b0c0405010000") << QStringList{"Light"} << 0
                               << 0x43 << QByteArray::fromHex("030a0b0c040501");
    QTest::newRow("other sub-command") << head(8, 7) << QByteArray::fromHex("01") << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("dump of the wrong length") << head(8, 0) << QByteArray(6911, '\0') << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("configuration") << head(14) << QByteArray::fromHex("02") << QStringList{"ConfigUI:4,2,1"} << 0 << -1 << QByteArray();
    QTest::newRow("no configuration") << head(14) << QByteArray() << QStringList{"ConfigUI:0,0,0"} << 0 << -1 << QByteArray();
    QTest::newRow("receiver light") << head(21) << QByteArray(10, '\0') << QStringList{"RGB:0"} << 0 << -1 << QByteArray();
    QTest::newRow("long range off") << head(23) << QByteArray(10, '\0') << QStringList{"LongRange:0"} << 0 << -1 << QByteArray();
    QTest::newRow("long range short") << head(23) << QByteArray(9, '\0') << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("status change too short") << head(10) << QByteArray::fromHex("010000") << QStringList{} << 0 << -1 << QByteArray();
    QTest::newRow("unknown command") << head(99) << QByteArray::fromHex("01") << QStringList{} << 0 << -1 << QByteArray();
}

void TestWorker::commandTable()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, data);
    QFETCH(QStringList, events);
    QFETCH(int, writes);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytesAtOffset);

    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    ShowBatteryText.store(1);
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceConfig.get());
    QVERIFY(HidSim::SendReport(std::vector<uint8_t>(head.begin(), head.end()),
                               std::vector<uint8_t>(data.begin(), data.end())));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(m_pages->names(), events);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), writes);
    const QByteArray after = DeviceLinkFixture::Bytes(DeviceConfig.get());
    if (offset < 0) {
        QCOMPARE(after, before);
    } else {
        QCOMPARE(after.mid(offset, bytesAtOffset.size()), bytesAtOffset);
        QCOMPARE(after.left(offset), before.left(offset));
        QCOMPARE(after.mid(offset + bytesAtOffset.size()), before.mid(offset + bytesAtOffset.size()));
        if (!m_pages->events.isEmpty() && !m_pages->events.first().record.isEmpty())
            QCOMPARE(m_pages->events.first().record, after);
    }
}

void TestWorker::deviceReadyReceiver()
{
    // Drive2 through its 4 kHz receiver: "Adveanced" 0,1 in the sample installation.
    m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));
    HidSim::DeviceSpec mouse = DeviceLinkFixture::ReceiverMouse("m2", "r4");
    m_fixture->add(mouse);
    const QByteArray path = QByteArray::fromStdString(HidSim::PathOf("r4"));
    m_fixture->chooseFullyRead("m2", DeviceLinkFixture::InfoFor(path, 36, 2, 1, 1));
    QVERIFY(HidSim::ReportDeviceReady());
    QTRY_VERIFY_WITH_TIMEOUT(m_pages->count(QStringLiteral("Form")) > 0, ReadPassMs);
    const QStringList names = m_pages->names();
    QCOMPARE(names.mid(0, 2), (QStringList{"RGB:1", "LongRange:0"}));
    QCOMPARE(HidSim::CallCount("UsbFinderC_Set4KDongleRGB"), 1);
    QCOMPARE(HidSim::Calls("UsbFinderC_SetLongRangeMode").front().arguments.substr(path.size() + 1), std::string("0"));
    QCOMPARE(HidSim::BatteryOptimize("m2"), 1);
    // The dump that follows skips the receiver queries once.
    QCOMPARE(HidSim::CallCount("UsbFinderC_Get4KDongleRGBValue"), 0);
    QCOMPARE(HidSim::CallCount("UsbFinderC_GetLongRangeMode"), 0);
    QCOMPARE(int(DongleQuerySkip.load()), 0);
    QCOMPARE(int(KeyParamCheckPending.load()), 0);
}

void TestWorker::keyParameterCheck_data()
{
    QTest::addColumn<QStringList>("keyActionParams");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("no key action defaults") << QStringList{} << QList<int>{3};
    QTest::newRow("buttons 1 and 4") << QStringList{"KeyParam2", "KeyParam5"} << QList<int>{1, 3, 4};
}

void TestWorker::keyParameterCheck()
{
    QFETCH(QStringList, keyActionParams);
    QFETCH(QList<int>, kept);
    // A private installation whose lists mark some buttons as key actions.
    m_fixture.reset();
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    {
        QSettings config(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
        for (const QString& key : keyActionParams)
            config.setValue(QStringLiteral("Drive1/") + key, QStringList{"0x05", "0x00", "0x00"});
    }
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse();
    FlashDataMap stored = ZeroFlashDataMap();
    m_fixture->add(mouse);
    QVERIFY(HidSim::GetSettings("m1", -1, &stored));
    for (int b = 0; b < 16; ++b) {
        stored.keyActions[b].count = 1;
        stored.keyActions[b].events[0] = {0, 1, uint16_t(4 + b), 10};
        stored.macros[b].nameLength = 1;
        stored.macros[b].name[0] = char('a' + b);
        stored.buttonFunctions[b] = {MouseButtonFunction, 1, 0};
    }
    stored.buttonFunctions[3] = {MacroFunction, 3, 1}; // a macro button keeps its blocks
    QVERIFY(HidSim::SetSettings("m1", -1, stored));
    const QByteArray path = QByteArray::fromStdString(HidSim::PathOf("m1"));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));

    QVERIFY(HidSim::ReportDeviceReady());
    QTRY_VERIFY_WITH_TIMEOUT(m_pages->count(QStringLiteral("Form")) > 0, ReadPassMs);
    const FlashDataMap after = DeviceConfig.get();
    for (int b = 0; b < 16; ++b) {
        const bool keep = kept.contains(b);
        QCOMPARE(after.keyActions[b].count, keep ? 1u : 0u);
        QCOMPARE(int(after.macros[b].nameLength), keep ? 1 : 0);
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(after));
}

void TestWorker::versionReport()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    QVERIFY(HidSim::SetFirmwareVersion("m1", 0x0210));
    QVERIFY(HidSim::SendCommand(18, 0, {0x10, 0x02}));
    QTRY_VERIFY(m_pages->count(QStringLiteral("Setver:0")) > 0);
    QCOMPARE(CurrentDevice.get().FirmwareVersionText, QStringLiteral("v2.10"));
    QCOMPARE(RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("MouseVer361")).toString(),
             QStringLiteral("v2.10"));
}

void TestWorker::statusChangesSpaced()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    const std::vector<uint8_t> settingsChanged{0, 0, 1, 0, 0, 0, 0};
    // Reports the change and waits until the device link has handled it.
    auto report = [&]() {
        RestartWorkerPending.store(0);
        DeviceSettingsChanged.store(0);
        QVERIFY(HidSim::ReportStatusChange(settingsChanged));
        QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    };
    const auto spacingOver = [] { return StatusChangeTimer.elapsed() > Timing::Scaled(Timing::StatusChangeSpacing); };
    {
        TestEnv::TimeScale fast(0.001); // spacing of 3 ms
        QTRY_VERIFY(spacingOver());
        report();
        QCOMPARE(int(RestartWorkerPending.load()), 1);
        QCOMPARE(int(DeviceSettingsChanged.load()), 1);
    }
    report(); // within 3,000 ms of the first
    QCOMPARE(int(RestartWorkerPending.load()), 0);
    {
        TestEnv::TimeScale fast(0.001);
        QTRY_VERIFY(spacingOver());
        report();
        QCOMPARE(int(RestartWorkerPending.load()), 1);
    }
    // Other items are asked for in the stated order.
    HidSim::ClearCalls();
    QVERIFY(HidSim::ReportStatusChange({1, 1, 0, 1, 0, 1, 1}));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCOMPARE(libraryCalls({"UsbServer_ReadCurrentDPI", "UsbServer_ReadReportRate", "UsbServer_ReadBatteryLevel",
                           "UsbServer_ReadLedBar", "UsbServer_ReadDPILed"}),
             (QStringList{"UsbServer_ReadCurrentDPI", "UsbServer_ReadReportRate", "UsbServer_ReadBatteryLevel",
                          "UsbServer_ReadLedBar", "UsbServer_ReadDPILed"}));
}

void TestWorker::neverSendsOneDevicesRecordToAnother()
{
    // Device A is opened and read.
    const QByteArray pathA = m_fixture->add(DeviceLinkFixture::CableMouse("a"));
    HidSim::DeviceSpec specB = DeviceLinkFixture::CableMouse("b");
    specB.pid = "0x5101";
    specB.plugged = false;
    const QByteArray pathB = m_fixture->add(specB);
    FlashDataMap ownB = DeviceLinkFixture::StoredRecord("b");
    ownB.lightColor[0] = 0xB1;
    ownB.dpiLevels[1].green = 0xB2;
    QVERIFY(HidSim::SetSettings("b", -1, ownB));
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(pathA, 36, 1, 2, 0)));
    QVERIFY(SetLightColor(9, 9, 9)); // A's record now differs from B's
    const QByteArray recordA = DeviceLinkFixture::Bytes(DeviceConfig.get());

    // Back to the device choice page, then B is opened while it is absent.
    PostMsg::instance()->EmitMainPageChange();
    m_pages->clear();
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(pathB, 36, 1, 2, 0), false));
    FlashDataMap originalB = DeviceLinkFixture::StoredRecord("b");

    // B is plugged in and the user changes a setting, maybe before B's own read arrived.
    QVERIFY(HidSim::Plug("b"));
    HidSim::ClearCalls();
    const bool sent = SetLightColor(1, 2, 3);
    if (!sent)
        QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);

    // Whatever was sent, and after the read pass the change asked for, B holds only its own record.
    QMetaObject::invokeMethod(m_worker, "SlotCheckOnline");
    QTRY_VERIFY_WITH_TIMEOUT(m_pages->count(QStringLiteral("Form")) > 0 && DeviceDataLoaded.load(), ReadPassMs);
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QVERIFY(SetLightColor(1, 2, 3));
    FlashDataMap changedB = originalB;
    changedB.lightColor[0] = 1;
    changedB.lightColor[1] = 2;
    changedB.lightColor[2] = 3;
    // Every record B received is B's own, before or after the user's change.
    const QList<QByteArray> ownRecords{DeviceLinkFixture::Bytes(originalB), DeviceLinkFixture::Bytes(changedB)};
    int writesToB = 0;
    for (const HidSim::Call& c : HidSim::Calls("ProtocolDataUpdate")) {
        if (c.device != "b")
            continue;
        ++writesToB;
        QVERIFY2(ownRecords.contains(QByteArray(reinterpret_cast<const char*>(c.bytes.data()), int(c.bytes.size()))),
                 "B received a record that is not its own");
    }
    QVERIFY(writesToB >= 2);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("b")), DeviceLinkFixture::Bytes(changedB));
}

void TestWorker::selectReadChangeHold()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0)));
    HidSim::ClearCalls();
    QVERIFY(SetDpiLevelColor(2, 10, 20, 30));
    QVERIFY(SetReportRate(0x02));
    const FlashDataMap device = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(int(device.dpiLevels[2].blue), 30);
    QCOMPARE(int(device.reportRate), 2);
    QCOMPARE(DeviceLinkFixture::Bytes(device), DeviceLinkFixture::Bytes(DeviceConfig.get()));
    // A one-field change costs one 64-byte report on the wire.
    QCOMPARE(HidSim::Calls("ProtocolDataUpdate").back().reports, 1);
}

void TestWorker::factoryResetReadsAgain()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0)));
    QVERIFY(SetLightColor(1, 2, 3));
    m_pages->clear();

    // What the button page does for a factory reset.
    SettingsBusy.store(1);
    UsbServer_SetBatteryOptimizeEnable(0);
    QVERIFY(SendDeviceConfig());
    UsbServer_SetClearSetting();
    PrepareResetReadPass();
    StartWorkerPass();
    FlashDataMap factory = ZeroFlashDataMap();
    QVERIFY(HidSim::GetFactorySettings("m1", &factory));
    const auto factoryShown = [&] {
        const HubRecorder::Event* e = m_pages->last(QStringLiteral("Button"));
        return e && e->record == DeviceLinkFixture::Bytes(factory);
    };
    QTRY_VERIFY_WITH_TIMEOUT(factoryShown(), ReadPassMs);
    // Device ready follows: battery optimisation back on.
    QTRY_VERIFY(HidSim::BatteryOptimize("m1") == 1 && HidSim::PendingAnswers() == 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(factory));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(factory));
}

// Two mice with different settings: A behind its 4 kHz receiver (whose light report makes the
// dump handler wait on the GUI thread), B on its cable.
struct TwoMice
{
    QByteArray pathA;
    QByteArray pathB;
    DeviceAllInfo infoA;
    DeviceAllInfo infoB;
    FlashDataMap recordA;
    FlashDataMap recordB;

    explicit TwoMice(DeviceLinkFixture& fixture)
    {
        HidSim::DeviceSpec receiver = DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56);
        receiver.ledOption = true;
        receiver.ledMode = 2;
        pathA = fixture.add(receiver);
        fixture.add(DeviceLinkFixture::ReceiverMouse("a", "r4"));
        pathB = fixture.add(DeviceLinkFixture::CableMouse("b"));
        infoA = DeviceLinkFixture::InfoFor(pathA, 36, 2, 1, 1);
        infoB = DeviceLinkFixture::InfoFor(pathB, 36, 1, 2, 0);
        recordA = DeviceLinkFixture::StoredRecord("a");
        recordB = DeviceLinkFixture::StoredRecord("b");
        recordA.lightColor[0] = 0xA1;
        recordA.dpiLevels[0].red = 0xA2;
        recordB.lightColor[0] = 0xB1;
        recordB.dpiLevels[0].red = 0xB2;
        HidSim::SetSettings("a", -1, recordA);
        HidSim::SetSettings("b", -1, recordB);
    }
};

static QByteArray writtenBytes(const HidSim::Call& c)
{
    return QByteArray(reinterpret_cast<const char*>(c.bytes.data()), int(c.bytes.size()));
}

void TestWorker::switchWhileDumpIsHandled_data()
{
    // Where A's dump handling is when the user goes back and opens B: held by the library
    // before the dump reaches the callback or at the first request the callback makes, or
    // waiting on the GUI thread while the receiver light is shown.
    QTest::addColumn<QString>("atCall");
    QTest::addColumn<QString>("atEvent");
    QTest::newRow("before the dump reaches the callback") << "" << "";
    QTest::newRow("after A's record was taken") << "UsbServer_ReadDPILed" << "";
    QTest::newRow("while the receiver light is shown") << "" << "RGB:2";
}

void TestWorker::switchWhileDumpIsHandled()
{
    QFETCH(QString, atCall);
    QFETCH(QString, atEvent);
    TwoMice mice(*m_fixture);
    bool switched = false;
    // What going back and opening B does; the worker binds B and asks for B's dump. A's pass has
    // asked for its dump and only has to return, which it does long before a user's clicks: a
    // pass asked for while one still runs would be lost (QThread::start on a running thread).
    const auto switchToB = [&] {
        QVERIFY(m_worker->wait(ReadPassMs));
        switched = true;
        HidSim::ClearCalls();
        PostMsg::instance()->EmitMainPageChange();
        PostMsg::instance()->EmitSelectMouseInfo(mice.infoB);
        StartWorkerPass();
    };
    if (!atEvent.isEmpty()) {
        m_pages->onEvent = [&](const QString& name) {
            if (!switched && name == atEvent)
                switchToB();
        };
    } else {
        HidSim::HoldPoint point;
        point.command = 8;
        point.subCommand = 0;
        point.atCall = atCall.toStdString();
        HidSim::HoldDelivery(point);
    }
    PostMsg::instance()->EmitSelectMouseInfo(mice.infoA);
    StartWorkerPass();
    if (atEvent.isEmpty()) {
        QVERIFY(HidSim::WaitUntilHeld());
        switchToB();
        QTRY_COMPARE(ServicePath.get(), mice.pathB);
        HidSim::ReleaseHold();
    }
    QTRY_VERIFY(switched);
    QTRY_VERIFY(DeviceConfigPath.get() == mice.pathB && DeviceDataLoaded.load() && m_worker->isFinished()
                && HidSim::PendingAnswers() == 0);

    // B never received A's record, nor was A's read taken for B's.
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("b")), DeviceLinkFixture::Bytes(mice.recordB));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("a")), DeviceLinkFixture::Bytes(mice.recordA));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(mice.recordB));
    for (const HidSim::Call& c : HidSim::Calls("ProtocolDataUpdate")) {
        QCOMPARE(QString::fromStdString(c.device), QStringLiteral("b"));
        QCOMPARE(writtenBytes(c), DeviceLinkFixture::Bytes(mice.recordB));
    }
    QCOMPARE(m_pages->last(QStringLiteral("Sensor"))->record, DeviceLinkFixture::Bytes(mice.recordB));
}

void TestWorker::changeDuringRead_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("point");
    for (const char* setting : {"light colour", "DPI value", "one button"})
        for (const char* point : {"before the dump arrives", "while the dump is handled", "while the first page fills"})
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(setting, point))) << setting << point;
}

void TestWorker::changeDuringRead()
{
    QFETCH(QString, setting);
    QFETCH(QString, point);
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    VEXO_CHECKED(openAndRead(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0)));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    FlashDataMap expected = DeviceConfig.get();

    const auto change = [&] {
        if (setting == QLatin1String("light colour")) {
            QVERIFY(SetLightColor(11, 22, 33));
            expected.lightColor[0] = 11;
            expected.lightColor[1] = 22;
            expected.lightColor[2] = 33;
        } else if (setting == QLatin1String("DPI value")) {
            QVERIFY(SetDpiLevelValue(2, 0x44, 0x01, 0x00));
            expected.dpiLevels[2].code[0] = 0x44;
            expected.dpiLevels[2].code[1] = 0x01;
            expected.dpiLevels[2].code[2] = 0x00;
        } else {
            QVERIFY(SetButtonFunction(3, 2, 1, 0));
            expected.buttonFunctions[3] = {2, 1, 0};
        }
    };
    m_pages->clear();
    HidSim::ClearCalls();
    const bool onPage = point == QLatin1String("while the first page fills");
    bool changed = false;
    if (onPage) {
        // The user's click is handled before the page's slot takes its copy of the record.
        m_pages->onEvent = [&](const QString& name) {
            if (!changed && name == QLatin1String("Button")) {
                changed = true;
                change();
            }
        };
        QVERIFY(UsbServer_ReadAllFlashData()); // a read asked for, as after a device-ready report
    } else {
        HidSim::HoldPoint hold;
        hold.command = 8;
        hold.subCommand = 0;
        if (point == QLatin1String("while the dump is handled"))
            hold.atCall = "UsbServer_ReadDPILed";
        HidSim::HoldDelivery(hold);
        QVERIFY(UsbServer_ReadAllFlashData());
        QVERIFY(HidSim::WaitUntilHeld());
        change();
        HidSim::ReleaseHold();
    }
    QTRY_VERIFY(m_pages->count(QStringLiteral("Form")) > 0 && HidSim::PendingAnswers() == 0);

    const QByteArray want = DeviceLinkFixture::Bytes(expected);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), want);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), want);
    for (const QString& page : {QStringLiteral("Button"), QStringLiteral("Light"), QStringLiteral("Sensor")})
        QCOMPARE(m_pages->last(page)->record, want);
    // Nothing older than the change was sent after it.
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QVERIFY(!writes.empty());
    QCOMPARE(writtenBytes(writes.back()), want);
    if (!onPage)
        for (const HidSim::Call& c : writes)
            QCOMPARE(writtenBytes(c), want);
}

void TestWorker::undecodableDumpChangesNothing()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceConfig.get());
    DeviceDataLoaded.store(1);
    RestartWorkerPending.store(0);
    ServerOnlineState.store(1);

    // A dump of the right length whose bytes are not a settings image.
    QVERIFY(HidSim::SendCommand(8, 0, std::vector<uint8_t>(6912, 0xEE)));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCoreApplication::processEvents();

    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), before);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), before);
    QVERIFY(m_pages->events.isEmpty());
    // Not read: the presence timer reads again, and the next pass does not skip the device.
    QCOMPARE(int(DeviceDataLoaded.load()), 0);
    QCOMPARE(int(RestartWorkerPending.load()), 1);
    QCOMPARE(int(ServerOnlineState.load()), 0);
}

void TestWorker::oneByteReportOfAnotherDevice_data()
{
    QTest::addColumn<int>("sub");
    QTest::newRow("report rate") << 0;
    QTest::newRow("current DPI level") << 4;
}

void TestWorker::oneByteReportOfAnotherDevice()
{
    QFETCH(int, sub);
    TwoMice mice(*m_fixture);
    m_fixture->chooseFullyRead("a", mice.infoA);
    // B is opened and bound; its own read has not arrived, so DeviceConfig is still A's.
    PostMsg::instance()->EmitMainPageChange();
    PostMsg::instance()->EmitSelectMouseInfo(mice.infoB);
    BindDeviceService(mice.pathB);
    HidSim::ClearCalls();

    QVERIFY(HidSim::SendCommand(8, uint8_t(sub), {3}));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCoreApplication::processEvents();

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("b")), DeviceLinkFixture::Bytes(mice.recordB));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(mice.recordA));
    QVERIFY(m_pages->events.isEmpty());
    QCOMPARE(int(RestartWorkerPending.load()), 1);
}

void TestWorker::passAskedForDuringAPass()
{
    TwoMice mice(*m_fixture);
    // A's pass is held inside, just before it asks for the dump.
    HidSim::HoldPoint hold;
    hold.atCall = "UsbServer_ReadAllFlashData";
    HidSim::HoldDelivery(hold);
    PostMsg::instance()->EmitSelectMouseInfo(mice.infoA);
    StartWorkerPass();
    QVERIFY(HidSim::WaitUntilHeld());
    // Meanwhile the user goes back and opens B: its pass is asked for while A's still runs.
    PostMsg::instance()->EmitMainPageChange();
    PostMsg::instance()->EmitSelectMouseInfo(mice.infoB);
    StartWorkerPass();
    HidSim::ReleaseHold();
    QTRY_VERIFY_WITH_TIMEOUT(DeviceConfigPath.get() == mice.pathB && m_worker->isFinished()
                                 && HidSim::PendingAnswers() == 0, 15000);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(mice.recordB));
    QCOMPARE(int(DeviceReloadPending.load()), 0);
}

// The run's worker as the window makes and ends it: a second making changes nothing; the end
// stops the poll, lets a running pass finish first, leaves no pass pending and stops the hot-plug
// notices.
void TestWorker::runWorkerEndsAfterItsPass()
{
    // The fixture's worker stands in for the one the window made.
    CreateRunWorker();
    QCOMPARE(WorkerThread.load(), m_worker);
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    HidSim::Costs costs;
    costs.answerMs = 20;
    HidSim::SetCosts(costs);
    QPointer<Worker> worker(m_worker);
    std::atomic<bool> passEnded{false};
    connect(m_worker, &QThread::finished, this, [&passEnded] { passEnded.store(true); }, Qt::DirectConnection);
    PostMsg::instance()->EmitSelectMouseInfo(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    StartWorkerPass();
    QTRY_VERIFY(m_worker->isRunning());
    const int stops = HidSim::CallCount("StopUsbChanged");

    EndRunWorker();
    m_worker = nullptr;
    QVERIFY(passEnded.load());
    QVERIFY(!worker);
    QVERIFY(!WorkerThread.load());
    QVERIFY(!WorkerPollTimer);
    QCOMPARE(int(DeviceReloadPending.load()), 0);
    QCOMPARE(HidSim::CallCount("StopUsbChanged"), stops + 1);
    // Nothing left to end.
    EndRunWorker();
    HidSim::SetCosts(HidSim::Costs());
}

VEXO_TEST_CORE_MAIN(TestWorker)
#include "tst_worker.moc"
