// The simulated mouse and receivers behind the HID library, driven through HIDUsb.h and
// hidsim.h only: discovery, the device service and its threads, pairing, flashing,
// receiver options and the settings kept across runs; bindings, devices leaving in the
// middle of an answer, a write or a flash (races forced with holds), scenario bounds.

#include "helpers/testenv.h"
#include "hidusb/flashdatamap.h"
#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

const char* const Vid = "0x3706";

struct Report
{
    int command = 0;
    int status = 0;
    int sub = 0;
    int headLength = 0;
    std::vector<uint8_t> data;
    std::thread::id thread;
    uint32_t binding = 0; // UsbServer_GetReportBinding inside the callback
    int predates = -1;    // UsbServer_ReportPredatesWrite inside the callback
};

// Everything the callbacks saw, for the test thread to look at.
struct Recorder
{
    std::mutex mu;
    std::condition_variable cv;
    std::vector<Report> reports;
    std::vector<std::vector<uint8_t>> upgrade;
    std::vector<std::thread::id> upgradeThreads;
    std::vector<std::thread::id> hotplugThreads;
    std::atomic<bool> block{false};
    std::atomic<bool> blocked{false};

    void clear()
    {
        std::lock_guard<std::mutex> lock(mu);
        reports.clear();
        upgrade.clear();
        upgradeThreads.clear();
        hotplugThreads.clear();
    }
    std::vector<Report> copy()
    {
        std::lock_guard<std::mutex> lock(mu);
        return reports;
    }
    int count()
    {
        std::lock_guard<std::mutex> lock(mu);
        return int(reports.size());
    }
    int hotplugs()
    {
        std::lock_guard<std::mutex> lock(mu);
        return int(hotplugThreads.size());
    }
    std::vector<std::vector<uint8_t>> upgrades()
    {
        std::lock_guard<std::mutex> lock(mu);
        return upgrade;
    }
    // The n-th report (counted from 1); an empty one while there is none.
    Report at(int n)
    {
        std::lock_guard<std::mutex> lock(mu);
        return n >= 1 && size_t(n) <= reports.size() ? reports[size_t(n - 1)] : Report();
    }
    // The last report is the given command: with a marker sent last, nothing else is on its way.
    bool lastIs(int command)
    {
        std::lock_guard<std::mutex> lock(mu);
        return !reports.empty() && reports.back().command == command;
    }
    // The last upgrade report is a result, which ends a flash.
    bool flashEnded()
    {
        std::lock_guard<std::mutex> lock(mu);
        return !upgrade.empty() && upgrade.back()[1] == 2;
    }
};

Recorder& rec()
{
    static Recorder r;
    return r;
}

void onData(const uint8_t* head, int headLength, const uint8_t* data, int dataLength)
{
    Recorder& r = rec();
    Report rep;
    rep.headLength = headLength;
    rep.command = headLength > 1 ? head[1] : 0;
    rep.status = headLength > 3 ? head[3] : 0;
    rep.sub = headLength > 4 ? head[4] : 0;
    if (data && dataLength > 0)
        rep.data.assign(data, data + dataLength);
    rep.thread = std::this_thread::get_id();
    rep.binding = UsbServer_GetReportBinding();
    rep.predates = UsbServer_ReportPredatesWrite();
    if (r.block) {
        std::unique_lock<std::mutex> lock(r.mu);
        r.blocked = true;
        r.cv.notify_all();
        r.cv.wait(lock, [&]() { return !r.block; });
        r.blocked = false;
    }
    std::lock_guard<std::mutex> lock(r.mu);
    r.reports.push_back(rep);
}

void onHotplug()
{
    std::lock_guard<std::mutex> lock(rec().mu);
    rec().hotplugThreads.push_back(std::this_thread::get_id());
}

void onUpgrade(const uint8_t* report)
{
    std::lock_guard<std::mutex> lock(rec().mu);
    rec().upgrade.emplace_back(report, report + 3);
    rec().upgradeThreads.push_back(std::this_thread::get_id());
}

// Reads the bound mouse's settings dump into out (run with VEXO_CHECKED).
void readAll(FlashDataMap* out)
{
    const int before = rec().count();
    QVERIFY(UsbServer_ReadAllFlashData());
    QTRY_VERIFY(rec().count() > before);
    const Report r = rec().at(before + 1);
    QCOMPARE(r.command, int(HIDUSB_CMD_SETTINGS));
    QCOMPARE(ProtocolDataParser(r.data.data(), int(r.data.size()), out), 1);
}

QString path(const char* id)
{
    return QString::fromStdString(HidSim::PathOf(id));
}

std::vector<uint8_t> image(int kind, int cid, int mid, const char* name, uint32_t version)
{
    std::vector<uint8_t> img(HIDUSB_FIRMWARE_HEADER_LENGTH + 256, 0);
    const uint32_t length = uint32_t(img.size());
    std::memcpy(img.data(), &length, 4);
    std::memcpy(img.data() + 16, &version, 4);
    img[20] = uint8_t(kind);
    img[21] = uint8_t(cid);
    img[22] = uint8_t(mid);
    std::memcpy(img.data() + 87, name, std::strlen(name));
    return img;
}

HidSim::DeviceSpec receiver(const char* id, const char* pid, int type, uint8_t a)
{
    HidSim::DeviceSpec s;
    s.id = id;
    s.kind = HidSim::Kind::Receiver;
    s.pid = pid;
    s.receiverType = type;
    s.address[0] = 0x10;
    s.address[1] = 0x20;
    s.address[2] = a;
    s.firmwareName = "RX";
    return s;
}

HidSim::DeviceSpec wirelessMouse(const char* id, const char* receiverId)
{
    HidSim::DeviceSpec s;
    s.id = id;
    s.pid = "0x5101";
    s.plugged = false;
    s.receiver = receiverId ? receiverId : "";
    s.firmwareName = "MOUSE";
    return s;
}

// Child mode: a second process with the same HOME reads the first mouse's settings
// through the library and prints a few fields.
int childReadsSettings()
{
    int count = 5;
    char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, "0x5141", &count);
    if (count != 1)
        return 2;
    static std::mutex mu;
    static std::condition_variable cv;
    static std::vector<uint8_t> dump;
    UsbServerC_Start(paths[0], paths[0], [](const uint8_t* head, int headLength, const uint8_t* data, int n) {
        if (headLength > 4 && head[1] == HIDUSB_CMD_SETTINGS && n == HIDUSB_DUMP_LENGTH) {
            std::lock_guard<std::mutex> lock(mu);
            dump.assign(data, data + n);
            cv.notify_all();
        }
    });
    UsbServer_ReadAllFlashData();
    std::unique_lock<std::mutex> lock(mu);
    if (!cv.wait_for(lock, std::chrono::seconds(10), []() { return !dump.empty(); }))
        return 3;
    FlashDataMap m;
    if (!ProtocolDataParser(dump.data(), int(dump.size()), &m))
        return 4;
    std::printf("lod %d light %d,%d,%d macro %d\n", m.lod, m.lightColor[0], m.lightColor[1], m.lightColor[2],
                m.macros[7].eventCount);
    std::fflush(stdout);
    lock.unlock();
    UsbServer_Exit();
    HidSim::Shutdown();
    return 0;
}

// Child of stateFileWhenTheProcessEnds: a setting that reached the state file, then another
// one on its way there when the process ends as `how` says.
int childEndsWhileSaving(const QByteArray& how)
{
    const std::string path = HidSim::PathOf("drive1-mouse");
    if (path.empty() || UsbServerC_Start(path.c_str(), path.c_str(), nullptr) != 1)
        return 2;
    FlashDataMap m;
    if (!HidSim::GetSettings("drive1-mouse", -1, &m))
        return 3;
    m.lod = 2;
    if (ProtocolDataUpdate(&m) != 1)
        return 4;
    HidSim::Flush();
    if (how == "half-written")
        HidSim::HoldDelivery({-1, -1, "StateFile:half-written"});
    m.lod = 3;
    if (ProtocolDataUpdate(&m) != 1)
        return 5;
    if (how == "half-written" && !HidSim::WaitUntilHeld(60000))
        return 6;
    if (how == "exit")
        UsbServer_Exit();
    if (how == "end")
        return 0;
    ::raise(SIGKILL);
    return 7;
}

} // namespace

class TestHidUsb : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultScenarioEnumerates_data();
    void defaultScenarioEnumerates();
    void pathsStayTheSameAndCountBoundsThem();
    void identityAnswersZeroFirst();
    void answers_data();
    void answers();
    void answersComeOnTheServiceThreadInOrder();
    void scriptedReportsArriveAsTheyAre();
    void writeChangesOneFieldWithOneReport();
    void writeResult_data();
    void writeResult();
    void exitAndRebindDoNotWaitForABlockedCallback();
    void secondInstanceSeesTheSettings();
    void changesDoNotWaitForTheStateFile();
    void stateFileWhenTheProcessEnds_data();
    void stateFileWhenTheProcessEnds();
    void leftoversOfInterruptedSaves_data();
    void leftoversOfInterruptedSaves();
    void factoryResetReportsReady();
    void profileSwitchReportsConfigAndStatus();
    void buttonPressIsReported();
    void hotplugFirstNoticeThenNotifierThread_data();
    void hotplugFirstNoticeThenNotifierThread();
    void wakingMouseReportsReady();
    void pairing_data();
    void pairing();
    void pairingThroughTheCableTakesTheAddress();
    void pairingKeptOverTheScenario_data();
    void pairingKeptOverTheScenario();
    void flash_data();
    void flash();
    void receiverUnpluggedMidFlash();
    void flashCutOffLeavesBootModeInTheStateFile_data();
    void flashCutOffLeavesBootModeInTheStateFile();
    void flashStartedFromItsOwnCallback();
    void failedFlashLeavesBootModeUntilRepaired();
    void receiverOptions();
    void screenExchange_data();
    void screenExchange();

    void bindingNumbers();
    void reportPredatesWrite_data();
    void reportPredatesWrite();
    void writeOnBinding_data();
    void writeOnBinding();
    void answersLeaveWithTheirDevice_data();
    void answersLeaveWithTheirDevice();
    void unplugHalfWayFailsTheWrite_data();
    void unplugHalfWayFailsTheWrite();
    void writeKeptOnlyWhereItBegan_data();
    void writeKeptOnlyWhereItBegan();
    void unplugDuringAFlashLeavesBootMode_data();
    void unplugDuringAFlashLeavesBootMode();
    void holdBeforeTheCallback();
    void holdInsideTheCallback_data();
    void holdInsideTheCallback();
    void shutdownReleasesAHold();
    void callLogNamesTheDeviceReached_data();
    void callLogNamesTheDeviceReached();
    void scenarioBounds_data();
    void scenarioBounds();

private:
    TestEnv::TempHome* m_home = nullptr;
    TestEnv::SimulatedDevices* m_sim = nullptr;
};

void TestHidUsb::init()
{
    rec().block = false;
    rec().clear();
    m_home = new TestEnv::TempHome;
    m_sim = new TestEnv::SimulatedDevices(TestEnv::SimulatedDevices::DefaultScenario);
}

void TestHidUsb::cleanup()
{
    {
        std::lock_guard<std::mutex> lock(rec().mu);
        rec().block = false;
        rec().cv.notify_all();
    }
    delete m_sim;
    delete m_home;
    m_sim = nullptr;
    m_home = nullptr;
}

void TestHidUsb::defaultScenarioEnumerates_data()
{
    QTest::addColumn<QString>("pid");
    QTest::addColumn<int>("paths");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("online");
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("Drive1 on its cable") << "0x5101" << 1 << 1 << 2 << 1 << QByteArray("\x3A\x51\x01", 3);
    QTest::newRow("Drive1's receiver, type 1, mouse on the cable") << "0x5111" << 1 << 1 << 0 << 0
                                                                    << QByteArray("\x3A\x51\x01", 3);
    QTest::newRow("no receiver of type 2") << "0x5121" << 0 << 0 << 0 << 0 << QByteArray();
    QTest::newRow("Drive2's receiver, type 4") << "0x5141" << 1 << 2 << 1 << 1 << QByteArray("\x3A\x52\x04", 3);
    QTest::newRow("no receiver of type 8") << "0x5181" << 0 << 0 << 0 << 0 << QByteArray();
}

void TestHidUsb::defaultScenarioEnumerates()
{
    QFETCH(QString, pid);
    QFETCH(int, paths);
    QFETCH(int, mid);
    QFETCH(int, kind);
    QFETCH(int, online);
    QFETCH(QByteArray, address);
    int count = 5;
    char** found = UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, pid.toLatin1().constData(), &count);
    QCOMPARE(count, paths);
    QVERIFY(found);
    if (!paths)
        return;
    uint8_t info[3] = {};
    QCOMPARE(UsbFinderC_GetDeviceInfo(found[0], info), 1);
    QCOMPARE(int(info[0]), 36);
    QCOMPARE(int(info[1]), mid);
    QCOMPARE(int(info[2]), kind);
    uint8_t attributes[12] = {};
    QCOMPARE(UsbFinderC_GetUsbDeviceAttribute(found[0], attributes), 1);
    QCOMPARE(attributes[8] | (attributes[9] << 8), 0x0100);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(found[0]), online);
    uint8_t buffer[10] = {};
    UsbFinderC_GetDeviceOnLineWithUsbAddress(found[0], buffer);
    QCOMPARE(int(buffer[6]), online);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer + 7), 3), address);
    int other = 5;
    char** byDeviceId = UsbFinderC_FindHidDevicesByDeviceId(Vid, pid.toLatin1().constData(), 1, 5, &other);
    QCOMPARE(other, paths);
    QCOMPARE(QByteArray(byDeviceId[0]), QByteArray(found[0]));
}

void TestHidUsb::pathsStayTheSameAndCountBoundsThem()
{
    HidSim::Reset(HidSim::Start::Empty);
    for (const char* id : {"a", "b", "c"}) {
        HidSim::DeviceSpec s;
        s.id = id;
        s.pid = "5101";
        QVERIFY(HidSim::AddDevice(s));
    }
    int count = 5;
    char** first = UsbFinderC_FindHidDevicesByDefaultDeviceId("3706", "0x5101", &count);
    QCOMPARE(count, 3);
    QCOMPARE(first[3], nullptr);
    const QByteArray a(first[0]);
    int two = 2;
    char** bounded = UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, "0x5101", &two);
    QCOMPARE(two, 2);
    QCOMPARE(bounded[0], first[0]); // the same string, not only the same text
    QVERIFY(HidSim::Unplug("b"));
    count = 5;
    char** later = UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, "0x5101", &count);
    QCOMPARE(count, 2);
    QCOMPARE(later[0], first[0]);
    QCOMPARE(later[1], first[2]);
    QCOMPARE(QByteArray(first[0]), a); // earlier arrays are left as they were
    QCOMPARE(QByteArray(first[1]), QByteArray(HidSim::PathOf("b").c_str()));
}

void TestHidUsb::identityAnswersZeroFirst()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    HidSim::FailIdentityQueries("drive1-mouse", 9);
    uint8_t info[3];
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(UsbFinderC_GetDeviceInfo(p.constData(), info), 1);
        QCOMPARE(int(info[0]) + int(info[1]), 0);
        QCOMPARE(int(info[2]), 2);
    }
    QCOMPARE(UsbFinderC_GetDeviceInfo(p.constData(), info), 1);
    QCOMPARE(int(info[0]), 36);
    QCOMPARE(int(info[1]), 1);
    QCOMPARE(UsbFinderC_GetDeviceInfo("no such path", info), 0);
}

// Each request and the report that answers it, byte for byte (Drive2's factory settings).
void TestHidUsb::answers_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("sub");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("battery") << "ReadBatteryLevel" << 4 << 0 << QByteArray("\x3E\x00\x12\x0F", 4);
    QTest::newRow("version") << "ReadVersion" << 18 << 0 << QByteArray("\x00\x01", 2);
    QTest::newRow("configuration") << "ReadConfig" << 14 << 0 << QByteArray("\x00", 1);
    QTest::newRow("current DPI level") << "ReadCurrentDPI" << 8 << 4 << QByteArray("\x01", 1);
    QTest::newRow("report rate") << "ReadReportRate" << 8 << 0 << QByteArray("\x01", 1);
    QTest::newRow("DPI light") << "ReadDPILed" << 8 << 0x4C << QByteArray("\x01\xFF\x03\x01\xFF\x8C\x00\x00", 8);
    QTest::newRow("light bar") << "ReadLedBar" << 8 << 0xA0 << QByteArray("\x01\x00\x78\xD7\x04\x09\x01\x00\x00", 9);
}

void TestHidUsb::answers()
{
    QFETCH(QString, request);
    QFETCH(int, command);
    QFETCH(int, sub);
    QFETCH(QByteArray, data);
    const QByteArray p = path("drive2-receiver").toLatin1();
    QCOMPARE(UsbServerC_Start(p.constData(), p.constData(), onData), 1);
    const QHash<QString, int (*)()> requests = {
        {"ReadBatteryLevel", UsbServer_ReadBatteryLevel}, {"ReadVersion", UsbServer_ReadVersion},
        {"ReadConfig", UsbServer_ReadConfig},             {"ReadCurrentDPI", UsbServer_ReadCurrentDPI},
        {"ReadReportRate", UsbServer_ReadReportRate},     {"ReadDPILed", UsbServer_ReadDPILed},
        {"ReadLedBar", UsbServer_ReadLedBar}};
    QCOMPARE(requests.value(request)(), 1);
    QTRY_VERIFY(rec().count() >= 1);
    const Report r = rec().at(1);
    QCOMPARE(r.headLength, int(HIDUSB_HEAD_LENGTH));
    QCOMPARE(r.command, command);
    QCOMPARE(r.sub, sub);
    QCOMPARE(r.status, 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.data.data()), int(r.data.size())).toHex(), data.toHex());
}

void TestHidUsb::answersComeOnTheServiceThreadInOrder()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    QVERIFY(UsbServer_ReadAllFlashData());
    // Nothing is delivered inside the requesting call: the callback never runs here.
    QVERIFY(UsbServer_ReadBatteryLevel());
    QVERIFY(UsbServer_ReadVersion());
    QVERIFY(UsbServer_ReadConfig());
    QVERIFY(UsbServer_ReadCurrentDPI());
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    const std::vector<Report> reports = rec().copy();
    QCOMPARE(int(reports.size()), 5);
    const int order[5] = {8, 4, 18, 14, 8};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(reports[size_t(i)].command, order[i]);
        QVERIFY(reports[size_t(i)].thread != std::this_thread::get_id());
        QVERIFY(reports[size_t(i)].thread == HidSim::ServiceThreadId());
    }
    QCOMPARE(int(reports[0].data.size()), int(HIDUSB_DUMP_LENGTH));
    QCOMPARE(int(reports[1].data[1]), 1); // the mouse on its cable charges
}

void TestHidUsb::scriptedReportsArriveAsTheyAre()
{
    QVERIFY(!HidSim::SendReport({0xA5, 4}, {50})); // nothing bound
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    QVERIFY(HidSim::SendReport({0xA5, 4}, {50}));
    QVERIFY(HidSim::SendCommand(8, 0x4C, {1, 2, 3}, 1));
    QVERIFY(HidSim::SendReport({}, {}));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    const std::vector<Report> reports = rec().copy();
    QCOMPARE(int(reports.size()), 3);
    QCOMPARE(reports[0].headLength, 2);
    QCOMPARE(reports[0].command, 4);
    QCOMPARE(reports[0].data, std::vector<uint8_t>{50});
    QCOMPARE(reports[1].sub, 0x4C);
    QCOMPARE(reports[1].status, 1);
    QCOMPARE(int(reports[1].data.size()), 3);
    QCOMPARE(reports[2].headLength, 0);
    QVERIFY(reports[2].data.empty());
}

void TestHidUsb::writeChangesOneFieldWithOneReport()
{
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap m;
    VEXO_CHECKED(readAll(&m));
    // Drive2's factory settings follow the installation's defaults.
    QCOMPARE(int(m.dpiLevelCount), 8);
    QCOMPARE(int(m.dpiLevels[7].code[2]), 0x88); // 26000 DPI on the 3395
    QCOMPARE(int(m.buttonFunctions[5].type), 2);
    QCOMPARE(int(m.lightOn), 1);

    m.lod = 2;
    HidSim::ClearCalls();
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(writes[0].reports, 1);
    QCOMPARE(HidSim::ReportsSent(), 1);
    QVERIFY(std::memcmp(writes[0].bytes.data(), &m, sizeof m) == 0);
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    QCOMPARE(HidSim::Calls("ProtocolDataUpdate")[1].reports, 0); // nothing changed, nothing sent

    FlashDataMap back;
    VEXO_CHECKED(readAll(&back));
    QVERIFY(std::memcmp(&back, &m, sizeof m) == 0);
}

void TestHidUsb::writeResult_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("result");
    QTest::newRow("present") << "present" << 1;
    QTest::newRow("mouse asleep") << "asleep" << 0;
    QTest::newRow("write fails") << "fails" << 0;
    QTest::newRow("service stopped") << "exit" << 0;
}

void TestHidUsb::writeResult()
{
    QFETCH(QString, situation);
    QFETCH(int, result);
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap before;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &before));
    FlashDataMap m = before;
    m.debounceTime = 9;
    if (situation == QLatin1String("asleep"))
        HidSim::SetAwake("drive2-mouse", false);
    else if (situation == QLatin1String("fails"))
        HidSim::FailNextWrites(1);
    else if (situation == QLatin1String("exit"))
        UsbServer_Exit();
    QCOMPARE(ProtocolDataUpdate(&m), result);
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &stored));
    QCOMPARE(int(stored.debounceTime), result ? 9 : int(before.debounceTime));
}

void TestHidUsb::exitAndRebindDoNotWaitForABlockedCallback()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    rec().block = true;
    QVERIFY(UsbServer_ReadVersion());
    QTRY_VERIFY(rec().blocked.load());
    QVERIFY(UsbServer_ReadBatteryLevel()); // queued behind the blocked callback

    auto exitCall = std::async(std::launch::async, []() { UsbServer_Exit(); });
    QVERIFY(exitCall.wait_for(std::chrono::seconds(3)) == std::future_status::ready);
    auto rebind = std::async(std::launch::async, [p]() { return UsbServerC_Start(p.constData(), p.constData(), onData); });
    QVERIFY(rebind.wait_for(std::chrono::seconds(3)) == std::future_status::ready);
    QCOMPARE(rebind.get(), 1);
    auto stopNotices = std::async(std::launch::async, []() { StopUsbChanged(); });
    QVERIFY(stopNotices.wait_for(std::chrono::seconds(3)) == std::future_status::ready);

    {
        std::lock_guard<std::mutex> lock(rec().mu);
        rec().block = false;
        rec().cv.notify_all();
    }
    QVERIFY(UsbServer_ReadConfig());
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    const std::vector<Report> reports = rec().copy();
    // The blocked answer ends; the battery answer of the old binding is dropped.
    QCOMPARE(int(reports.size()), 2);
    QCOMPARE(reports[0].command, 18);
    QCOMPARE(reports[1].command, 14);
}

namespace {

void startChild(QProcess* child, const TestEnv::TempHome& home, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const auto vars = home.environment();
    for (auto it = vars.constBegin(); it != vars.constEnd(); ++it)
        env.insert(QString::fromLatin1(it.key()), QString::fromLocal8Bit(it.value()));
    env.insert(QStringLiteral("HIDUSB_SIM_SCENARIO"), QString::fromStdString(HidSim::DefaultScenarioPath()));
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), arguments);
}

} // namespace

void TestHidUsb::secondInstanceSeesTheSettings()
{
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap m;
    VEXO_CHECKED(readAll(&m));
    m.lod = 3;
    m.lightColor[0] = 11;
    m.lightColor[1] = 22;
    m.lightColor[2] = 33;
    m.macros[7].nameLength = 2;
    std::memcpy(m.macros[7].name, "M7", 2);
    m.macros[7].eventCount = 12;
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    // The library writes its state file a moment later, on a thread of its own.
    HidSim::Flush();

    QProcess child;
    startChild(&child, *m_home, {QStringLiteral("--hidusb-child")});
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(out.trimmed(), QStringLiteral("lod 3 light 11,22,33 macro 12"));
}

// The state file is written on the library's own thread: no change waits for the disk, and
// the changes made while a write is under way go into one write after it.
void TestHidUsb::changesDoNotWaitForTheStateFile()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    QCOMPARE(UsbServerC_Start(p.constData(), p.constData(), onData), 1);
    FlashDataMap m;
    QVERIFY(HidSim::GetSettings("drive1-mouse", -1, &m));
    HidSim::HoldDelivery({-1, -1, "StateFile:half-written"});
    m.lod = 2;
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    QVERIFY(HidSim::WaitUntilHeld());
    std::future<int> more = std::async(std::launch::async, [m]() mutable {
        int written = 0;
        for (uint8_t lod : {3, 4, 5}) {
            m.lod = lod;
            written += ProtocolDataUpdate(&m);
        }
        return written + UsbServer_SetCurrentConfig(2);
    });
    struct Release
    {
        ~Release() { HidSim::ReleaseHold(); } // before the future waits, should a check fail
    } release;
    QTRY_VERIFY(more.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QCOMPARE(more.get(), 4);
    QCOMPARE(HidSim::StateFileWrites(), 0);

    HidSim::ReleaseHold();
    HidSim::Flush();
    QCOMPARE(HidSim::StateFileWrites(), 2);
    HidSim::Reset(HidSim::Start::Default);
    QCOMPARE(HidSim::ActiveProfile("drive1-mouse"), 2);
    QVERIFY(HidSim::GetSettings("drive1-mouse", 0, &m));
    QCOMPARE(int(m.lod), 5);
}

void TestHidUsb::stateFileWhenTheProcessEnds_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QList<int>>("lods"); // what the next run may find
    QTest::newRow("killed with the new file half-written: the state before") << "half-written" << QList<int>{2};
    QTest::newRow("killed right after the change: either") << "kill" << QList<int>{2, 3};
    QTest::newRow("killed after UsbServer_Exit: the last state") << "exit" << QList<int>{3};
    QTest::newRow("ended without UsbServer_Exit: the last state") << "end" << QList<int>{3};
}

void TestHidUsb::stateFileWhenTheProcessEnds()
{
    QFETCH(QString, end);
    QFETCH(QList<int>, lods);
    QProcess child;
    startChild(&child, *m_home, {QStringLiteral("--hidusb-state"), end});
    QVERIFY(child.waitForFinished(60000));
    if (end == QLatin1String("end")) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    } else {
        QVERIFY2(child.exitStatus() == QProcess::CrashExit, qPrintable(QString::number(child.exitCode())));
    }

    // A whole file, never a torn one.
    QFile file(QString::fromStdString(HidSim::StateFilePath()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonParseError error{};
    QJsonDocument::fromJson(file.readAll(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    // What the next run finds.
    HidSim::Reset(HidSim::Start::Default);
    FlashDataMap m;
    QVERIFY(HidSim::GetSettings("drive1-mouse", -1, &m));
    QVERIFY2(lods.contains(m.lod), qPrintable(QString::number(m.lod)));
}

void TestHidUsb::leftoversOfInterruptedSaves_data()
{
    QTest::addColumn<QString>("name"); // beside the state file
    QTest::addColumn<QString>("kind"); // "file" or "link"
    QTest::addColumn<int>("age");      // seconds
    QTest::addColumn<bool>("kept");
    QTest::newRow("lower case") << "state.json.qzkfwa" << "file" << 120 << false;
    QTest::newRow("upper case") << "state.json.QZKFWA" << "file" << 120 << false;
    QTest::newRow("mixed") << "state.json.q3KfW9" << "file" << 120 << false;
    QTest::newRow("digits") << "state.json.104729" << "file" << 120 << false;
    QTest::newRow("a save under way") << "state.json.q3KfW9" << "file" << 0 << true;
    QTest::newRow("the state file") << "state.json" << "file" << 120 << true;
    QTest::newRow("five characters") << "state.json.q3KfW" << "file" << 120 << true;
    QTest::newRow("seven characters") << "state.json.q3KfW9x" << "file" << 120 << true;
    QTest::newRow("a sign") << "state.json.q3K-W9" << "file" << 120 << true;
    QTest::newRow("no dot") << "state.jsonxq3KfW9" << "file" << 120 << true;
    QTest::newRow("another file's") << "scene.json.q3KfW9" << "file" << 120 << true;
    QTest::newRow("a link") << "state.json.q3KfW9" << "link" << 120 << true;
}

// A save killed before its rename leaves its temporary file: the next start removes the old
// ones, and nothing else.
void TestHidUsb::leftoversOfInterruptedSaves()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, age);
    QFETCH(bool, kept);
    const QString folder = QFileInfo(QString::fromStdString(HidSim::StateFilePath())).absolutePath();
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QLatin1Char('/') + name;
    const QByteArray file = QFile::encodeName(path);
    if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(m_home->path(), path));
    else
        QVERIFY(TestEnv::WriteFile(path, "{}"));
    const timeval then = {time(nullptr) - age, 0};
    const timeval times[2] = {then, then};
    QCOMPARE(::lutimes(file.constData(), times), 0);

    HidSim::Reset(HidSim::Start::Default);
    struct stat found;
    QCOMPARE(::lstat(file.constData(), &found) == 0, kept);
}

void TestHidUsb::factoryResetReportsReady()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap m;
    VEXO_CHECKED(readAll(&m));
    FlashDataMap factory;
    QVERIFY(HidSim::GetFactorySettings("drive1-mouse", &factory));
    QVERIFY(std::memcmp(&m, &factory, sizeof m) == 0);
    m.dpiLevelCount = 2;
    m.buttonFunctions[1] = {0, 0, 0};
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    QVERIFY(UsbServer_SetCurrentConfig(3));
    QCOMPARE(ProtocolDataUpdate(&m), 1);

    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    rec().clear();
    // The mouse takes a moment to restart; a rebind meanwhile still gets its ready report.
    HidSim::Costs costs;
    costs.resetMs = 30;
    HidSim::SetCosts(costs);
    QCOMPARE(UsbServer_SetBatteryOptimizeEnable(0), 1);
    QCOMPARE(UsbServer_SetClearSetting(), 1);
    QCOMPARE(UsbServerC_Start(p.constData(), p.constData(), onData), 1);
    QTRY_VERIFY(rec().count() >= 1);
    QCOMPARE(rec().at(1).command, int(HIDUSB_CMD_DEVICE_READY));
    QCOMPARE(HidSim::BatteryOptimize("drive1-mouse"), 0);
    QCOMPARE(HidSim::ActiveProfile("drive1-mouse"), 0);
    for (int profile = 0; profile < 4; ++profile) {
        FlashDataMap stored;
        QVERIFY(HidSim::GetSettings("drive1-mouse", profile, &stored));
        QVERIFY2(std::memcmp(&stored, &factory, sizeof stored) == 0, qPrintable(QString::number(profile)));
    }
}

void TestHidUsb::profileSwitchReportsConfigAndStatus()
{
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap first;
    VEXO_CHECKED(readAll(&first));
    rec().clear();
    QCOMPARE(UsbServer_SetCurrentConfig(2), 1);
    QTRY_VERIFY(rec().count() >= 2);
    const Report config = rec().at(1);
    const Report status = rec().at(2);
    QCOMPARE(config.command, 14);
    QCOMPARE(config.data, std::vector<uint8_t>{2});
    QCOMPARE(status.command, 10);
    QCOMPARE(status.data, (std::vector<uint8_t>{0, 0, 1, 0, 0, 0, 0}));
    QCOMPARE(HidSim::ActiveProfile("drive2-mouse"), 2);

    // Each profile keeps its own settings.
    FlashDataMap third = first;
    third.reportRate = 0x08;
    QCOMPARE(ProtocolDataUpdate(&third), 1);
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings("drive2-mouse", 0, &stored));
    QCOMPARE(int(stored.reportRate), int(first.reportRate));
    QVERIFY(HidSim::GetSettings("drive2-mouse", 2, &stored));
    QCOMPARE(int(stored.reportRate), 0x08);
    QCOMPARE(UsbServer_SetCurrentConfig(4), 0); // no fifth profile
}

void TestHidUsb::buttonPressIsReported()
{
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    QVERIFY(!HidSim::PressButton("drive2-mouse", 0)); // a plain click keeps nothing
    QVERIFY(HidSim::PressButton("drive2-mouse", 5));  // DPI cycle
    QTRY_VERIFY(rec().count() >= 1);
    QCOMPARE(rec().at(1).command, 10);
    QCOMPARE(int(rec().at(1).data.at(0)), 1);
    QVERIFY(UsbServer_ReadCurrentDPI());
    QTRY_VERIFY(rec().count() >= 2);
    QCOMPARE(rec().at(2).data, std::vector<uint8_t>{2});
    HidSim::SetBattery("drive2-mouse", 15, false, true);
    QTRY_VERIFY(rec().count() >= 3);
    QCOMPARE(int(rec().at(3).data.at(6)), 1);
}

void TestHidUsb::hotplugFirstNoticeThenNotifierThread_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("receiver unplugged") << "unplug receiver";
    QTest::newRow("cable plugged out") << "unplug cable";
    QTest::newRow("mouse falls asleep") << "sleep";
    QTest::newRow("device added") << "add";
    QTest::newRow("device removed") << "remove";
    QTest::newRow("mouse waits in boot mode") << "boot";
}

void TestHidUsb::hotplugFirstNoticeThenNotifierThread()
{
    QFETCH(QString, change);
    QCOMPARE(StartUsbChanged(onHotplug, 600), 1);
    QCOMPARE(rec().hotplugs(), 1); // made before the call returned
    QVERIFY(rec().hotplugThreads[0] == std::this_thread::get_id());

    if (change == QLatin1String("unplug receiver"))
        HidSim::Unplug("drive2-receiver");
    else if (change == QLatin1String("unplug cable"))
        HidSim::Unplug("drive1-mouse");
    else if (change == QLatin1String("sleep"))
        HidSim::SetAwake("drive2-mouse", false);
    else if (change == QLatin1String("add"))
        HidSim::AddDevice(receiver("extra", "0x5181", 8, 9));
    else if (change == QLatin1String("remove"))
        HidSim::RemoveDevice("drive1-receiver");
    else
        HidSim::SetBootMode("drive1-mouse", true);
    QTRY_COMPARE(rec().hotplugs(), 2);
    QVERIFY(rec().hotplugThreads[1] != std::this_thread::get_id());
    QVERIFY(rec().hotplugThreads[1] == HidSim::NotifierThreadId());

    StopUsbChanged();
    HidSim::Plug("drive2-receiver");
    HidSim::SetAwake("drive2-mouse", true);
    // A new registration gets its first notice; the stopped one got nothing more.
    StartUsbChanged([]() {}, 600);
    QCOMPARE(rec().hotplugs(), 2);
}

void TestHidUsb::wakingMouseReportsReady()
{
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    HidSim::SetAwake("drive2-mouse", false);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(p.constData()), 0);
    QCOMPARE(UsbServer_ReadVersion(), 0); // nobody answers
    HidSim::SetAwake("drive2-mouse", true);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(p.constData()), 1);
    QTRY_VERIFY(rec().count() >= 1);
    QCOMPARE(rec().at(1).command, int(HIDUSB_CMD_DEVICE_READY));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCOMPARE(rec().count(), 1);
}

void TestHidUsb::pairing_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QVector<int>>("states");
    QTest::addColumn<bool>("paired");
    QTest::newRow("succeeds") << int(HidSim::PairOutcome::Success) << QVector<int>{1, 3} << true;
    QTest::newRow("fails") << int(HidSim::PairOutcome::Failure) << QVector<int>{1, 2} << false;
    QTest::newRow("stays silent") << int(HidSim::PairOutcome::Silence) << QVector<int>{1} << false;
    QTest::newRow("receiver does not answer") << int(HidSim::PairOutcome::NoAnswer) << QVector<int>{} << false;
}

void TestHidUsb::pairing()
{
    QFETCH(int, outcome);
    QFETCH(QVector<int>, states);
    QFETCH(bool, paired);
    HidSim::Reset(HidSim::Start::Empty);
    QVERIFY(HidSim::AddDevice(receiver("rx", "0x5111", 1, 0x77)));
    QVERIFY(HidSim::AddDevice(wirelessMouse("new", nullptr)));
    HidSim::ScriptPairing(HidSim::PairOutcome(outcome), "new");
    const QByteArray p = path("rx").toLatin1();
    QCOMPARE(UsbFinderC_GetDeviceOnLine(p.constData()), 0);
    UsbServerC_Start(p.constData(), p.constData(), onData);
    QCOMPARE(UsbServer_EnterDonglePairOnlyCid(36), 1);
    const auto pairStates = [] {
        QVector<int> seen;
        for (const Report& r : rec().copy())
            if (r.command == 6)
                seen << r.data[0];
        return seen;
    };
    if (!states.isEmpty())
        QTRY_VERIFY(pairStates().contains(states.last()));
    // A marker report shows that nothing else was on its way before it.
    HidSim::SendCommand(99, 0, {});
    QTRY_VERIFY(rec().lastIs(99));
    QCOMPARE(pairStates(), states);
    QCOMPARE(HidSim::ReceiverAddress("new") == HidSim::ReceiverAddress("rx"), paired);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(p.constData()), paired ? 1 : 0);
}

void TestHidUsb::pairingThroughTheCableTakesTheAddress()
{
    HidSim::Reset(HidSim::Start::Empty);
    QVERIFY(HidSim::AddDevice(receiver("rx", "0x5141", 4, 0x42)));
    HidSim::DeviceSpec mouse = wirelessMouse("m", nullptr);
    mouse.plugged = true;
    QVERIFY(HidSim::AddDevice(mouse));
    uint8_t buffer[10];
    QCOMPARE(UsbFinderC_GetDeviceOnLineWithUsbAddress(path("rx").toLatin1().constData(), buffer), 0);
    const uint8_t record[5] = {buffer[9], buffer[8], buffer[7], 0, 1};
    QCOMPARE(UsbFinderC_SetDongleIDToMouse(path("m").toLatin1().constData(), record), 1);
    QCOMPARE(HidSim::ReceiverAddress("m"), (std::vector<uint8_t>{0x10, 0x20, 0x42}));
    HidSim::Unplug("m"); // off the cable, the receiver answers for it
    QCOMPARE(UsbFinderC_GetDeviceOnLine(path("rx").toLatin1().constData()), 1);
}

void TestHidUsb::pairingKeptOverTheScenario_data()
{
    const QString rx = QStringLiteral(
        "{\"id\": \"rx\", \"kind\": \"receiver\", \"pid\": \"0x5111\", \"receiverType\": 1, "
        "\"address\": [16, 32, 119]}");
    const QString rx2 = QStringLiteral(
        "{\"id\": \"rx2\", \"kind\": \"receiver\", \"pid\": \"0x5112\", \"receiverType\": 1, "
        "\"address\": [16, 32, 120]}");
    const QString m1 = QStringLiteral(
        "{\"id\": \"m1\", \"pid\": \"0x5101\", \"plugged\": false, \"receiver\": \"rx\"}");
    const QString m2 = QStringLiteral("{\"id\": \"m2\", \"pid\": \"0x5102\", \"plugged\": false}");
    const QString devices = QStringLiteral("{\"devices\": [%1, %2, %3, %4]}");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("mouse");    // paired through its cable with
    QTest::addColumn<QString>("receiver"); // this receiver
    QTest::addColumn<QString>("before");   // whom the receiver reaches before
    QTest::newRow("another mouse, the receiver listed first") << devices.arg(rx, m1, rx2, m2) << "m2" << "rx" << "m1";
    QTest::newRow("another mouse, the mouse listed first") << devices.arg(m1, rx, rx2, m2) << "m2" << "rx" << "m1";
    QTest::newRow("another receiver, the receiver listed first")
        << devices.arg(rx, m1, rx2, m2) << "m1" << "rx2" << "rx2";
    QTest::newRow("another receiver, the mouse listed first")
        << devices.arg(m1, rx, rx2, m2) << "m1" << "rx2" << "rx2";
}

// The scenario pairs a receiver with the mouse that names it; a pairing made since then holds
// in the next runs.
void TestHidUsb::pairingKeptOverTheScenario()
{
    QFETCH(QString, json);
    QFETCH(QString, mouse);
    QFETCH(QString, receiver);
    QFETCH(QString, before);
    QVERIFY(HidSim::LoadScenarioText(json.toStdString()));
    const QByteArray r = path(receiver.toLatin1().constData()).toLatin1();
    const QByteArray m = path(mouse.toLatin1().constData()).toLatin1();
    const auto reached = [&r]() {
        UsbServerC_Start(r.constData(), r.constData(), nullptr);
        return QString::fromStdString(HidSim::Calls("UsbServerC_Start").back().device);
    };
    QCOMPARE(reached(), before);
    QVERIFY(HidSim::Plug(mouse.toStdString()));
    uint8_t buffer[10];
    UsbFinderC_GetDeviceOnLineWithUsbAddress(r.constData(), buffer);
    const uint8_t record[5] = {buffer[9], buffer[8], buffer[7], 0, 1};
    QCOMPARE(UsbFinderC_SetDongleIDToMouse(m.constData(), record), 1);
    QVERIFY(HidSim::Unplug(mouse.toStdString()));
    QCOMPARE(reached(), mouse);

    // The next run, and the one after that run saved what it loaded.
    for (const bool saved : {false, true}) {
        if (saved)
            HidSim::SetPersistence(true);
        HidSim::Flush();
        QVERIFY(HidSim::LoadScenarioText(json.toStdString()));
        QCOMPARE(reached(), mouse);
    }
}

void TestHidUsb::flash_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("failPercent");
    QTest::addColumn<bool>("early");
    QTest::addColumn<int>("started");
    QTest::addColumn<int>("lastProgress");
    QTest::addColumn<int>("result"); // -1: none
    QTest::addColumn<bool>("boot");  // left waiting in boot mode
    QTest::newRow("success") << int(HidSim::FlashOutcome::Success) << 0 << false << 1 << 100 << 1 << false;
    QTest::newRow("failure at 45 %") << int(HidSim::FlashOutcome::FailAt) << 45 << false << 1 << 45 << 0 << true;
    QTest::newRow("result before the start returns") << int(HidSim::FlashOutcome::Success) << 0 << true << 1 << 100
                                                     << 1 << false;
    QTest::newRow("refused") << int(HidSim::FlashOutcome::Refuse) << 0 << false << 0 << -1 << -1 << false;
    QTest::newRow("silence") << int(HidSim::FlashOutcome::Silence) << 0 << false << 1 << -1 << -1 << true;
    QTest::newRow("unplugged at 30 %") << int(HidSim::FlashOutcome::UnplugAt) << 30 << false << 1 << 20 << 0 << true;
}

void TestHidUsb::flash()
{
    QFETCH(int, outcome);
    QFETCH(int, failPercent);
    QFETCH(bool, early);
    QFETCH(int, started);
    QFETCH(int, lastProgress);
    QFETCH(int, result);
    QFETCH(bool, boot);
    StartUsbChanged(onHotplug, 600);
    HidSim::ScriptFlash(HidSim::FlashOutcome(outcome), failPercent, early);
    const std::vector<uint8_t> img = image(210, 36, 1, "VEXO_S1_MOUSE", 0x0102);
    QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), started);
    if (early)
        QCOMPARE(int(rec().upgrades().back()[1]), 2);
    if (result >= 0)
        QTRY_VERIFY(rec().flashEnded());
    else if (started)
        QTRY_COMPARE(QByteArray(UsbUpgradeC_GetLogs()[7]), QByteArray("result: none"));

    const auto reports = rec().upgrades();
    int progress = -1;
    for (size_t i = 0; i < reports.size(); ++i) {
        QCOMPARE(int(reports[i][0]), 7);
        if (reports[i][1] == 1) {
            QVERIFY(reports[i][2] >= progress); // progress never goes back
            progress = reports[i][2];
        } else {
            QCOMPARE(i, reports.size() - 1); // the result comes last
            QCOMPARE(int(reports[i][2]), result);
        }
    }
    QCOMPARE(progress, lastProgress);
    if (result < 0)
        QVERIFY(reports.empty());
    for (const auto& t : rec().upgradeThreads)
        QVERIFY(t != std::this_thread::get_id());
    if (result == 1) {
        QCOMPARE(HidSim::FirmwareVersion("drive1-mouse"), 0x0102);
        const QByteArray p = path("drive1-mouse").toLatin1();
        QTRY_COMPARE(UsbFinderC_GetVersion(p.constData()), 0x0102);
        QTRY_VERIFY(rec().hotplugs() >= 2); // re-enumerated
    } else {
        QCOMPARE(HidSim::FirmwareVersion("drive1-mouse"), 0x0100);
    }
    QCOMPARE(HidSim::InBootMode("drive1-mouse"), boot);
    const bool pulled = HidSim::FlashOutcome(outcome) == HidSim::FlashOutcome::UnplugAt;
    int waiting = 5;
    // A device waiting in boot mode counts only while plugged.
    QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &waiting), boot && !pulled ? 1 : 0);
    QCOMPARE(waiting, boot && !pulled ? 1 : 0);
    if (pulled) {
        QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), 0);
        QVERIFY(HidSim::Plug("drive1-mouse"));
        QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &waiting), 1);
    }
}

void TestHidUsb::receiverUnpluggedMidFlash()
{
    const std::vector<uint8_t> rx = image(211, 36, 2, "VEXO_P2_RX4K", 0x0200);
    HidSim::ScriptFlash(HidSim::FlashOutcome::UnplugAt, 50);
    QCOMPARE(UsbUpgrade_Start(rx.data(), onUpgrade, 10000), 1);
    QTRY_VERIFY(rec().flashEnded());
    QCOMPARE(int(rec().upgrades().back()[2]), 0);
    QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[6]), QByteArray("verify: device unplugged"));
    QVERIFY(HidSim::InBootMode("drive2-receiver"));
    QCOMPARE(HidSim::FirmwareVersion("drive2-receiver"), 0x0100);
    int count = 5;
    QCOMPARE(UsbUpgradeC_FindBootDevices(rx.data(), &count), 0);
    QVERIFY(HidSim::Plug("drive2-receiver"));
    QCOMPARE(UsbUpgradeC_FindBootDevices(rx.data(), &count), 1);
}

void TestHidUsb::flashCutOffLeavesBootModeInTheStateFile_data()
{
    QTest::addColumn<bool>("shutdown"); // else the flash just never ends (the process ends)
    QTest::newRow("library shut down mid-flash") << true;
    QTest::newRow("no end before the state is reloaded") << false;
}

void TestHidUsb::flashCutOffLeavesBootModeInTheStateFile()
{
    QFETCH(bool, shutdown);
    HidSim::Costs costs;
    costs.flashStepMs = shutdown ? 20 : 0;
    HidSim::SetCosts(costs);
    if (shutdown)
        HidSim::HoldDelivery({7, 1, std::string()});
    else
        HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
    const std::vector<uint8_t> img = image(210, 36, 1, "VEXO_S1_MOUSE", 0x0102);
    QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), 1);
    if (shutdown) {
        QVERIFY(HidSim::WaitUntilHeld());
        HidSim::Shutdown();
    }
    QVERIFY(HidSim::InBootMode("drive1-mouse"));
    // What a new run of the program finds.
    HidSim::Reset(HidSim::Start::Default);
    QVERIFY(HidSim::InBootMode("drive1-mouse"));
    QCOMPARE(HidSim::FirmwareVersion("drive1-mouse"), 0x0100);
    int count = 5;
    QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &count), 1);
    QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), 1);
    QTRY_COMPARE(HidSim::FirmwareVersion("drive1-mouse"), 0x0102);
    QTRY_VERIFY(!HidSim::InBootMode("drive1-mouse"));
}

namespace {
std::vector<uint8_t> g_mouseImage;
std::atomic<int> g_secondStart{-1};
void twoStages(const uint8_t* report)
{
    onUpgrade(report);
    if (report[1] == 2 && g_secondStart < 0)
        g_secondStart = UsbUpgrade_Start(g_mouseImage.data(), twoStages, 10000);
}
} // namespace

void TestHidUsb::flashStartedFromItsOwnCallback()
{
    g_mouseImage = image(210, 36, 1, "VEXO_S1_MOUSE", 0x0105);
    g_secondStart = -1;
    const std::vector<uint8_t> rx = image(211, 36, 1, "VEXO_S1_RX1K", 0x0103);
    QCOMPARE(UsbUpgrade_Start(rx.data(), twoStages, 10000), 1);
    const auto results = [] {
        int n = 0;
        for (const auto& r : rec().upgrades())
            n += r[1] == 2;
        return n;
    };
    QTRY_COMPARE(results(), 2);
    QCOMPARE(g_secondStart.load(), 1);
    QCOMPARE(HidSim::FirmwareVersion("drive1-receiver"), 0x0103);
    QCOMPARE(HidSim::FirmwareVersion("drive1-mouse"), 0x0105);
    int version = 0;
    QTRY_COMPARE(UsbFinderC_GetSlaveVersion(path("drive1-receiver").toLatin1().constData(), &version), 1);
    QCOMPARE(version, 0x0103);
    QCOMPARE(UsbUpgrade_Start(nullptr, onUpgrade, 10000), 0);
}

void TestHidUsb::failedFlashLeavesBootModeUntilRepaired()
{
    const std::vector<uint8_t> rx = image(211, 36, 2, "VEXO_P2_RX4K", 0x0200);
    HidSim::ScriptFlash(HidSim::FlashOutcome::FailAt, 30);
    QCOMPARE(UsbUpgrade_Start(rx.data(), onUpgrade, 10000), 1);
    QTRY_VERIFY(HidSim::InBootMode("drive2-receiver"));
    int count = 5;
    UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, "0x5141", &count);
    QCOMPARE(count, 0); // off the bus while it waits
    QTRY_VERIFY(QByteArray(UsbUpgradeC_GetLogs()[7]).startsWith("result: failure"));
    char** logs = UsbUpgradeC_GetLogs();
    for (int i = 0; i < HIDUSB_UPGRADE_LOG_LINES; ++i)
        QVERIFY(logs[i] && *logs[i]);

    // Nothing else takes another model's image; the waiting receiver takes its own.
    QCOMPARE(UsbUpgrade_Start(image(211, 36, 2, "VEXO_S1_RX1K", 0x0200).data(), onUpgrade, 10000), 0);
    QCOMPARE(UsbUpgrade_Start(rx.data(), onUpgrade, 10000), 1);
    const auto listed = [] {
        int count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId(Vid, "0x5141", &count);
        return count;
    };
    QTRY_COMPARE(listed(), 1);
    QCOMPARE(HidSim::InBootMode("drive2-receiver"), false);
    QCOMPARE(HidSim::FirmwareVersion("drive2-receiver"), 0x0200);
    uint8_t attributes[12];
    UsbFinderC_GetUsbDeviceAttribute(path("drive2-receiver").toLatin1().constData(), attributes);
    QCOMPARE(attributes[8] | (attributes[9] << 8), 0x0200);
}

void TestHidUsb::receiverOptions()
{
    const QByteArray rx1 = path("drive1-receiver").toLatin1();
    const QByteArray rx2 = path("drive2-receiver").toLatin1();
    // Drive1's receiver has neither option: the caller's presets stay.
    DongleRGB rgb;
    std::memset(&rgb, 0, sizeof rgb);
    uint8_t mode = 0x73;
    QCOMPARE(UsbFinderC_Get4KDongleRGBValue(rx1.constData(), &rgb), 0);
    QCOMPARE(UsbFinderC_GetLongRangeMode(rx1.constData(), &mode), 0);
    QCOMPARE(int(rgb.mode), 0);
    QCOMPARE(int(mode), 0x73);

    QCOMPARE(UsbFinderC_Get4KDongleRGBValue(rx2.constData(), &rgb), 1);
    QCOMPARE(int(rgb.mode), 1);
    QCOMPARE(UsbFinderC_GetLongRangeMode(rx2.constData(), &mode), 1);
    QCOMPARE(int(mode), 0);

    UsbServerC_Start(rx2.constData(), rx2.constData(), onData);
    rgb.mode = 3;
    rgb.data[4] = 0x99;
    QCOMPARE(UsbFinderC_Set4KDongleRGB(rx2.constData(), &rgb), 1);
    QTRY_VERIFY(rec().count() >= 1);
    const Report light = rec().at(1);
    QCOMPARE(light.command, int(HIDUSB_CMD_RECEIVER_LIGHT));
    QCOMPARE(int(light.data.size()), 10);
    QCOMPARE(int(light.data[0]), 3);
    QCOMPARE(UsbFinderC_SetLongRangeMode(rx2.constData(), 1), 1);
    QCOMPARE(HidSim::LongRangeMode("drive2-receiver"), 1);
    QCOMPARE(UsbFinderC_SetLongRangeMode(rx2.constData(), 0), 1);
    QTRY_VERIFY(rec().count() >= 2);
    const Report off = rec().at(2);
    QCOMPARE(off.command, int(HIDUSB_CMD_LONG_RANGE));
    QCOMPARE(int(off.data.size()), 10);
    DongleRGB kept;
    QVERIFY(HidSim::GetDongleRGB("drive2-receiver", &kept));
    QCOMPARE(int(kept.data[4]), 0x99);
}

void TestHidUsb::screenExchange_data()
{
    // The clock command the program sends (2026-12-08 23:59:30), its last byte making the sum 0x55.
    const QByteArray clock = QByteArray::fromHex("0a001007ea0c08173b1e02") + QByteArray(28, '\0')
        + QByteArray::fromHex("c4");
    QByteArray badSum = clock;
    badSum[39] = char(0xC5);
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("badReplies"); // replies the screen garbles before a good one
    QTest::addColumn<bool>("taken");
    QTest::newRow("taken, echoed with its checksum") << "screen" << clock << 0 << true;
    QTest::newRow("a garbled reply, then the echo") << "screen" << clock << 1 << true;
    QTest::newRow("wrong checksum refused") << "screen" << badSum << 0 << false;
    QTest::newRow("a mouse without a screen") << "drive1-mouse" << clock << 0 << false;
}

void TestHidUsb::screenExchange()
{
    QFETCH(QString, device);
    QFETCH(QByteArray, command);
    QFETCH(int, badReplies);
    QFETCH(bool, taken);
    HidSim::DeviceSpec screen;
    screen.id = "screen";
    screen.kind = HidSim::Kind::Screen;
    screen.pid = "0x5101";
    QVERIFY(HidSim::AddDevice(screen));
    QCOMPARE(UsbFinderC_OpenDevice(path(device.toLatin1().constData()).toLatin1().constData()), 1);
    HidSim::ScriptBadScreenReplies(badReplies);
    uint8_t request[40];
    std::memcpy(request, command.constData(), 40);
    uint8_t reply[40];
    for (int i = 0; i < badReplies; ++i) {
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(request, reply, 40), 0);
        QVERIFY(std::memcmp(reply, request, 7) != 0);
    }
    QCOMPARE(UsbFinderC_ReadWriteDeviceData(request, reply, 40), taken ? 1 : 0);
    uint8_t kept[40] = {};
    QCOMPARE(HidSim::GetScreenClock("screen", kept), taken);
    if (!taken)
        return;
    // The echo of this frame is the frame itself: its head, zeros, the same checksum.
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(reply), 40).toHex(), command.toHex());
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(kept), 40).toHex(), command.toHex());
}

namespace {

// A presence change named in a test table: "unplug x", "plug x", "sleep x", "wake x",
// "boot x", "unboot x", "remove x", "add x" (a mouse on its cable, same path).
bool act(const QString& action)
{
    const QString verb = action.section(QLatin1Char(' '), 0, 0);
    const std::string id = action.section(QLatin1Char(' '), 1).toStdString();
    if (verb == QLatin1String("unplug"))
        return HidSim::Unplug(id);
    if (verb == QLatin1String("plug"))
        return HidSim::Plug(id);
    if (verb == QLatin1String("sleep") || verb == QLatin1String("wake"))
        return HidSim::SetAwake(id, verb == QLatin1String("wake"));
    if (verb == QLatin1String("boot") || verb == QLatin1String("unboot"))
        return HidSim::SetBootMode(id, verb == QLatin1String("boot"));
    if (verb == QLatin1String("remove"))
        return HidSim::RemoveDevice(id);
    if (verb == QLatin1String("add")) {
        HidSim::DeviceSpec mouse;
        mouse.id = id;
        mouse.pid = "0x5101";
        return HidSim::AddDevice(mouse);
    }
    return false;
}

int ask(const QString& request)
{
    if (request == QLatin1String("dump"))
        return UsbServer_ReadAllFlashData();
    if (request == QLatin1String("pair status"))
        return UsbServer_ReadDonglePairStatus();
    DongleRGB rgb;
    std::memset(&rgb, 0, sizeof rgb);
    rgb.mode = 2;
    return UsbFinderC_Set4KDongleRGB(path("drive2-receiver").toLatin1().constData(), &rgb);
}

HidSim::HoldPoint holdAt(int command, int sub = -1, const QString& atCall = QString())
{
    HidSim::HoldPoint point;
    point.command = command;
    point.subCommand = sub;
    point.atCall = atCall.toStdString();
    return point;
}

} // namespace

void TestHidUsb::bindingNumbers()
{
    const uint32_t first = UsbServer_GetBinding();
    QVERIFY(first != 0);
    QCOMPARE(UsbServer_GetReportBinding(), 0u); // not inside a delivery
    QCOMPARE(UsbServer_ReportPredatesWrite(), 0);
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    const uint32_t bound = UsbServer_GetBinding();
    QVERIFY(bound > first);
    QVERIFY(UsbServer_ReadVersion());
    QTRY_VERIFY(rec().count() >= 1);
    QCOMPARE(rec().at(1).binding, bound);

    // A report taken before a rebind and handed over after it names the binding it came on.
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_CONFIG));
    QVERIFY(UsbServer_ReadConfig());
    QVERIFY(HidSim::WaitUntilHeld());
    UsbServerC_Start(p.constData(), p.constData(), onData);
    const uint32_t rebound = UsbServer_GetBinding();
    QVERIFY(rebound > bound);
    HidSim::ReleaseHold();
    QTRY_VERIFY(rec().count() >= 2);
    QCOMPARE(rec().at(2).command, int(HIDUSB_CMD_CONFIG));
    QCOMPARE(rec().at(2).binding, bound);
    UsbServer_Exit();
    QVERIFY(UsbServer_GetBinding() > rebound);
}

void TestHidUsb::reportPredatesWrite_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("predates");
    QTest::newRow("the write changes the settings") << true << 1;
    QTest::newRow("the write changes nothing") << false << 0;
}

void TestHidUsb::reportPredatesWrite()
{
    QFETCH(bool, change);
    QFETCH(int, predates);
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    FlashDataMap m;
    VEXO_CHECKED(readAll(&m));
    rec().clear();
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_ALL));
    QVERIFY(UsbServer_ReadAllFlashData()); // asked before the write
    QVERIFY(HidSim::WaitUntilHeld());
    if (change)
        m.lod = m.lod == 1 ? 2 : 1;
    QCOMPARE(ProtocolDataUpdate(&m), 1);
    QVERIFY(UsbServer_ReadAllFlashData()); // asked after it
    HidSim::ReleaseHold();
    QTRY_VERIFY(rec().count() >= 2);
    QCOMPARE(rec().at(1).predates, predates);
    QCOMPARE(rec().at(2).predates, 0);
}

void TestHidUsb::writeOnBinding_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<int>("result");
    QTest::newRow("still the binding") << "nothing" << 1;
    QTest::newRow("rebound since") << "rebind" << 0;
    QTest::newRow("service stopped since") << "exit" << 0;
}

void TestHidUsb::writeOnBinding()
{
    QFETCH(QString, then);
    QFETCH(int, result);
    const QByteArray p = path("drive2-receiver").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    const uint32_t binding = UsbServer_GetBinding();
    FlashDataMap before;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &before));
    FlashDataMap m = before;
    m.debounceTime = uint8_t(before.debounceTime + 1);
    if (then == QLatin1String("rebind"))
        UsbServerC_Start(p.constData(), p.constData(), onData);
    else if (then == QLatin1String("exit"))
        UsbServer_Exit();
    HidSim::ClearCalls();
    QCOMPARE(ProtocolDataUpdateOnBinding(&m, binding), result);
    QCOMPARE(HidSim::ReportsSent(), result); // one field: one report, or none at all
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &stored));
    QCOMPARE(int(stored.debounceTime), int(result ? m.debounceTime : before.debounceTime));
}

void TestHidUsb::answersLeaveWithTheirDevice_data()
{
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<QString>("back");
    QTest::addColumn<bool>("dropped");
    QTest::newRow("cable unplugged") << "drive1-mouse" << "dump" << 8 << "unplug drive1-mouse"
                                     << "plug drive1-mouse" << true;
    QTest::newRow("mouse in boot mode") << "drive1-mouse" << "dump" << 8 << "boot drive1-mouse"
                                        << "unboot drive1-mouse" << true;
    QTest::newRow("mouse removed") << "drive1-mouse" << "dump" << 8 << "remove drive1-mouse" << "add drive1-mouse"
                                   << true;
    QTest::newRow("mouse asleep") << "drive2-receiver" << "dump" << 8 << "sleep drive2-mouse" << "wake drive2-mouse"
                                  << true;
    QTest::newRow("its receiver unplugged") << "drive2-receiver" << "dump" << 8 << "unplug drive2-receiver"
                                            << "plug drive2-receiver" << true;
    QTest::newRow("receiver's own answer, receiver unplugged")
        << "drive2-receiver" << "pair status" << 6 << "unplug drive2-receiver" << "plug drive2-receiver" << true;
    QTest::newRow("receiver's own answer, receiver in boot mode")
        << "drive2-receiver" << "light" << 21 << "boot drive2-receiver" << "unboot drive2-receiver" << true;
    QTest::newRow("receiver's own answer, its mouse asleep")
        << "drive2-receiver" << "light" << 21 << "sleep drive2-mouse" << "" << false;
    QTest::newRow("another device leaves") << "drive1-mouse" << "dump" << 8 << "unplug drive2-receiver" << ""
                                           << false;
}

void TestHidUsb::answersLeaveWithTheirDevice()
{
    QFETCH(QString, bound);
    QFETCH(QString, request);
    QFETCH(int, command);
    QFETCH(QString, leave);
    QFETCH(QString, back);
    QFETCH(bool, dropped);
    const QByteArray p = path(bound.toLatin1().constData()).toLatin1();
    QCOMPARE(UsbServerC_Start(p.constData(), p.constData(), onData), 1);
    HidSim::Costs slow;
    slow.answerMs = 60000; // due long after the device is back
    HidSim::SetCosts(slow);
    QCOMPARE(ask(request), 1);
    QCOMPARE(HidSim::PendingAnswers(), 1);
    QVERIFY(act(leave));
    // Gone at once, not when it would have been due.
    QCOMPARE(HidSim::PendingAnswers(), dropped ? 0 : 1);
    if (!dropped)
        return;

    HidSim::SetCosts(HidSim::Costs());
    QVERIFY(act(back));
    // A marker queued now comes after anything still on its way.
    QVERIFY(HidSim::SendCommand(99, 0, {}));
    QTRY_VERIFY(rec().lastIs(99));
    for (const Report& r : rec().copy())
        QVERIFY(r.command != command);
}

void TestHidUsb::unplugHalfWayFailsTheWrite_data()
{
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QString>("mouse");
    QTest::addColumn<QString>("armed");
    QTest::addColumn<bool>("onBinding");
    QTest::addColumn<int>("result");
    QTest::newRow("mouse on its cable") << "drive1-mouse" << "drive1-mouse" << "drive1-mouse" << false << 0;
    QTest::newRow("the receiver it goes through") << "drive2-receiver" << "drive2-mouse" << "drive2-receiver" << false
                                                  << 0;
    QTest::newRow("mouse through its receiver") << "drive2-receiver" << "drive2-mouse" << "drive2-mouse" << false << 0;
    QTest::newRow("write for a binding") << "drive1-mouse" << "drive1-mouse" << "drive1-mouse" << true << 0;
    QTest::newRow("another device armed") << "drive2-receiver" << "drive2-mouse" << "drive1-mouse" << false << 1;
}

void TestHidUsb::unplugHalfWayFailsTheWrite()
{
    QFETCH(QString, bound);
    QFETCH(QString, mouse);
    QFETCH(QString, armed);
    QFETCH(bool, onBinding);
    QFETCH(int, result);
    QCOMPARE(StartUsbChanged(onHotplug, 600), 1);
    const QByteArray p = path(bound.toLatin1().constData()).toLatin1();
    QCOMPARE(UsbServerC_Start(p.constData(), p.constData(), onData), 1);
    FlashDataMap before;
    QVERIFY(HidSim::GetSettings(mouse.toStdString(), -1, &before));
    FlashDataMap m = before;
    m.lod = before.lod == 1 ? 2 : 1;
    HidSim::Costs costs;
    costs.reportMs = 1; // the write takes real time
    HidSim::SetCosts(costs);
    HidSim::UnplugDuringNextWrite(armed.toStdString());
    HidSim::ClearCalls();

    QCOMPARE(onBinding ? ProtocolDataUpdateOnBinding(&m, UsbServer_GetBinding()) : ProtocolDataUpdate(&m), result);
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings(mouse.toStdString(), -1, &stored));
    QCOMPARE(int(stored.lod), int(result ? m.lod : before.lod));
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(writes[0].result, result);
    QCOMPARE(QString::fromStdString(writes[0].device), mouse);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(p.constData()), result);
    if (!result) {
        QTRY_COMPARE(rec().hotplugs(), 2);
        return;
    }
    // Still armed for the device it names.
    QCOMPARE(rec().hotplugs(), 1);
    const QByteArray other = path(armed.toLatin1().constData()).toLatin1();
    UsbServerC_Start(other.constData(), other.constData(), onData);
    QCOMPARE(ProtocolDataUpdate(&m), 0);
    QCOMPARE(UsbFinderC_GetDeviceOnLine(other.constData()), 0);
}

void TestHidUsb::writeKeptOnlyWhereItBegan_data()
{
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QString>("mouse");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("result");
    QTest::newRow("nothing happens") << "drive1-mouse" << "drive1-mouse" << "" << 1;
    QTest::newRow("rebound to the same mouse") << "drive1-mouse" << "drive1-mouse" << "bind drive1-mouse" << 0;
    QTest::newRow("bound to another mouse") << "drive1-mouse" << "drive1-mouse" << "bind drive2-receiver" << 0;
    QTest::newRow("its receiver now serves another mouse") << "drive2-receiver" << "drive2-mouse"
                                                           << "pair drive1-mouse" << 0;
}

void TestHidUsb::writeKeptOnlyWhereItBegan()
{
    QFETCH(QString, bound);
    QFETCH(QString, mouse);
    QFETCH(QString, meanwhile);
    QFETCH(int, result);
    const QByteArray p = path(bound.toLatin1().constData()).toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    const std::string target = mouse.toStdString();
    const std::string bystander = target == "drive1-mouse" ? "drive2-mouse" : "drive1-mouse";
    FlashDataMap before, other;
    QVERIFY(HidSim::GetSettings(target, -1, &before));
    QVERIFY(HidSim::GetSettings(bystander, -1, &other));
    FlashDataMap m = before;
    m.lod = before.lod == 1 ? 2 : 1;
    HidSim::HoldDelivery(holdAt(-1, -1, QStringLiteral("ProtocolDataUpdate:half-way")));
    auto write = std::async(std::launch::async, [&m]() { return ProtocolDataUpdate(&m); });
    QVERIFY(HidSim::WaitUntilHeld());
    const QByteArray next = path(meanwhile.section(QLatin1Char(' '), 1).toLatin1().constData()).toLatin1();
    if (meanwhile.startsWith(QLatin1String("bind"))) {
        QCOMPARE(UsbServerC_Start(next.constData(), next.constData(), onData), 1);
    } else if (meanwhile.startsWith(QLatin1String("pair"))) {
        // Paired on its cable with the bound receiver, then taken off the cable.
        uint8_t presence[10];
        UsbFinderC_GetDeviceOnLineWithUsbAddress(p.constData(), presence);
        const uint8_t record[5] = {presence[9], presence[8], presence[7], 0, 1};
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(next.constData(), record), 1);
        QVERIFY(HidSim::Unplug("drive1-mouse"));
    }
    HidSim::ReleaseHold();
    QCOMPARE(write.get(), result);
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings(target, -1, &stored));
    QCOMPARE(int(stored.lod), int(result ? m.lod : before.lod));
    QVERIFY(HidSim::GetSettings(bystander, -1, &stored));
    QVERIFY(std::memcmp(&stored, &other, sizeof stored) == 0);
}

void TestHidUsb::unplugDuringAFlashLeavesBootMode_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mid");
    QTest::addColumn<QString>("name");
    QTest::newRow("mouse on its cable") << "drive1-mouse" << 210 << 1 << "VEXO_S1_MOUSE";
    QTest::newRow("receiver") << "drive2-receiver" << 211 << 2 << "VEXO_P2_RX4K";
}

void TestHidUsb::unplugDuringAFlashLeavesBootMode()
{
    QFETCH(QString, id);
    QFETCH(int, kind);
    QFETCH(int, mid);
    QFETCH(QString, name);
    const std::string device = id.toStdString();
    const std::vector<uint8_t> img = image(kind, 36, mid, name.toLatin1().constData(), 0x0300);
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_UPGRADE, 1)); // the first progress report
    QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), 1);
    QVERIFY(HidSim::WaitUntilHeld());
    QVERIFY(HidSim::Unplug(device));
    HidSim::ReleaseHold();
    QTRY_VERIFY(rec().flashEnded());
    const auto reports = rec().upgrades();
    QCOMPARE(reports.back(), (std::vector<uint8_t>{7, 2, 0}));
    for (size_t i = 0; i + 1 < reports.size(); ++i)
        QCOMPARE(int(reports[i][2]), 0); // no progress after the unplug
    QCOMPARE(QByteArray(UsbUpgradeC_GetLogs()[7]), QByteArray("result: failure, device waits in boot mode"));
    QVERIFY(HidSim::InBootMode(device));
    QCOMPARE(HidSim::FirmwareVersion(device), 0x0100);
    int waiting = 5;
    QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &waiting), 0); // not plugged in

    // Next run, plugged in again: it still waits for an image, and a flash repairs it.
    HidSim::Reset(HidSim::Start::Default);
    QVERIFY(HidSim::InBootMode(device));
    QCOMPARE(UsbFinderC_GetDeviceOnLine(path(device.c_str()).toLatin1().constData()), 0);
    QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &waiting), 1);
    rec().clear();
    QCOMPARE(UsbUpgrade_Start(img.data(), onUpgrade, 10000), 1);
    QTRY_VERIFY(rec().flashEnded());
    QCOMPARE(rec().upgrades().back(), (std::vector<uint8_t>{7, 2, 1}));
    QVERIFY(!HidSim::InBootMode(device));
    QCOMPARE(HidSim::FirmwareVersion(device), 0x0300);
}

void TestHidUsb::holdBeforeTheCallback()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_DPI_LIGHT));
    QVERIFY(UsbServer_ReadVersion());
    QVERIFY(UsbServer_ReadDPILed());
    QVERIFY(UsbServer_ReadConfig());
    QVERIFY(HidSim::WaitUntilHeld());
    QCOMPARE(rec().count(), 1); // the version went first
    // The held thread keeps no lock of the library.
    QVERIFY(UsbServer_ReadBatteryLevel());
    QCOMPARE(HidSim::PendingAnswers(), 3);
    HidSim::ReleaseHold();
    // Released counts as no longer held at once, and a hold nothing reaches times out.
    HidSim::HoldDelivery(holdAt(99));
    QVERIFY(!HidSim::WaitUntilHeld(20));
    HidSim::ReleaseHold(); // disarms it
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    const std::vector<Report> reports = rec().copy();
    QCOMPARE(int(reports.size()), 4);
    const int order[4] = {18, 8, 14, 4};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(reports[size_t(i)].command, order[i]);
    QCOMPARE(reports[1].sub, int(HIDUSB_SUB_DPI_LIGHT));
    QVERIFY(HidSim::SendCommand(99, 0, {}));
    QTRY_VERIFY(rec().count() >= 5);
    QCOMPARE(rec().at(5).command, 99);
}

namespace {
std::string g_call;
FlashDataMap g_record;
QByteArray g_receiverPath;
std::atomic<int> g_seen{-1};

// On a settings dump: calls g_call and keeps what it answered.
void callFromCallback(const uint8_t* head, int headLength, const uint8_t*, int)
{
    if (headLength < 5 || head[1] != HIDUSB_CMD_SETTINGS || head[4] != HIDUSB_SUB_ALL)
        return;
    if (g_call == "ProtocolDataUpdate") {
        g_seen = ProtocolDataUpdate(&g_record);
    } else if (g_call == "UsbServer_ReadDPILed") {
        g_seen = UsbServer_ReadDPILed();
    } else {
        uint8_t mode = 0xFF;
        UsbFinderC_GetLongRangeMode(g_receiverPath.constData(), &mode);
        g_seen = mode;
    }
}
} // namespace

void TestHidUsb::holdInsideTheCallback_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("seen");
    QTest::newRow("a write, the mouse stays") << "ProtocolDataUpdate" << "" << 1;
    QTest::newRow("a write, the mouse leaves") << "ProtocolDataUpdate" << "sleep drive2-mouse" << 0;
    QTest::newRow("a request, the mouse leaves") << "UsbServer_ReadDPILed" << "sleep drive2-mouse" << 0;
    QTest::newRow("a receiver query") << "UsbFinderC_GetLongRangeMode" << "long range" << 1;
}

void TestHidUsb::holdInsideTheCallback()
{
    QFETCH(QString, call);
    QFETCH(QString, meanwhile);
    QFETCH(int, seen);
    g_call = call.toStdString();
    g_seen = -1;
    g_receiverPath = path("drive2-receiver").toLatin1();
    FlashDataMap before;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &before));
    g_record = before;
    g_record.lod = before.lod == 1 ? 2 : 1;
    UsbServerC_Start(g_receiverPath.constData(), g_receiverPath.constData(), callFromCallback);
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_ALL, call));
    QVERIFY(UsbServer_ReadAllFlashData());
    QVERIFY(HidSim::WaitUntilHeld());
    QCOMPARE(g_seen.load(), -1); // held on entry
    if (meanwhile == QLatin1String("long range"))
        QVERIFY(HidSim::SetLongRangeMode("drive2-receiver", 1, false));
    else if (!meanwhile.isEmpty())
        QVERIFY(act(meanwhile));
    HidSim::ReleaseHold();
    QTRY_VERIFY(g_seen >= 0);
    QCOMPARE(g_seen.load(), seen);
    FlashDataMap stored;
    QVERIFY(HidSim::GetSettings("drive2-mouse", -1, &stored));
    const bool written = call == QLatin1String("ProtocolDataUpdate") && seen == 1;
    QCOMPARE(int(stored.lod), int(written ? g_record.lod : before.lod));
}

void TestHidUsb::shutdownReleasesAHold()
{
    const QByteArray p = path("drive1-mouse").toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    HidSim::HoldDelivery(holdAt(HIDUSB_CMD_VERSION));
    QVERIFY(UsbServer_ReadVersion());
    QVERIFY(HidSim::WaitUntilHeld());
    auto stop = std::async(std::launch::async, []() { HidSim::Shutdown(); });
    QVERIFY(stop.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
    QVERIFY(HidSim::ServiceThreadId() == std::thread::id());
    QCOMPARE(rec().count(), 0); // stopped before its callback had it
}

void TestHidUsb::callLogNamesTheDeviceReached_data()
{
    // Start, dump request, write, write for the binding, pairing status.
    QTest::addColumn<QString>("bound");
    QTest::addColumn<bool>("awake");
    QTest::addColumn<QStringList>("devices");
    QTest::newRow("mouse on its cable") << "drive1-mouse" << true
                                        << QStringList{"drive1-mouse", "drive1-mouse", "drive1-mouse", "drive1-mouse", ""};
    QTest::newRow("mouse through its receiver")
        << "drive2-receiver" << true
        << QStringList{"drive2-mouse", "drive2-mouse", "drive2-mouse", "drive2-mouse", "drive2-receiver"};
    QTest::newRow("receiver, its mouse away") << "drive2-receiver" << false
                                              << QStringList{"drive2-receiver", "", "", "", "drive2-receiver"};
}

void TestHidUsb::callLogNamesTheDeviceReached()
{
    QFETCH(QString, bound);
    QFETCH(bool, awake);
    QFETCH(QStringList, devices);
    QVERIFY(HidSim::SetAwake("drive2-mouse", awake));
    FlashDataMap record;
    QVERIFY(HidSim::GetSettings(bound == QLatin1String("drive1-mouse") ? "drive1-mouse" : "drive2-mouse", -1, &record));
    HidSim::ClearCalls();
    const QByteArray p = path(bound.toLatin1().constData()).toLatin1();
    UsbServerC_Start(p.constData(), p.constData(), onData);
    UsbServer_ReadAllFlashData();
    ProtocolDataUpdate(&record);
    ProtocolDataUpdateOnBinding(&record, UsbServer_GetBinding());
    UsbServer_ReadDonglePairStatus();
    ProtocolDataUpdateOnBinding(&record, UsbServer_GetBinding() - 1); // an ended binding reaches nothing
    QStringList seen;
    for (const HidSim::Call& c : HidSim::Calls())
        seen << QString::fromStdString(c.device);
    QCOMPARE(seen, devices + QStringList{""});
}

namespace {
QString deviceWith(const char* fields)
{
    return QStringLiteral("{\"devices\": [{\"id\": \"m\", \"pid\": \"0x5101\", %1}]}").arg(QLatin1String(fields));
}
QString costsWith(const char* fields)
{
    return QStringLiteral("{\"costs\": {%1}}").arg(QLatin1String(fields));
}
} // namespace

void TestHidUsb::scenarioBounds_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("key"); // named by the error
    QTest::newRow("one profile") << deviceWith("\"profiles\": 1") << true << "";
    QTest::newRow("256 profiles") << deviceWith("\"profiles\": 256") << true << "";
    QTest::newRow("profiles as text") << deviceWith("\"profiles\": \"0x10\"") << true << "";
    QTest::newRow("no profile") << deviceWith("\"profiles\": 0") << false << "profiles";
    QTest::newRow("257 profiles") << deviceWith("\"profiles\": 257") << false << "profiles";
    QTest::newRow("2.5 profiles") << deviceWith("\"profiles\": 2.5") << false << "profiles";
    QTest::newRow("profiles not a number") << deviceWith("\"profiles\": \"x\"") << false << "profiles";
    QTest::newRow("cid 255") << deviceWith("\"cid\": 255") << true << "";
    QTest::newRow("cid 3.0") << deviceWith("\"cid\": 3.0") << true << "";
    QTest::newRow("cid 256") << deviceWith("\"cid\": 256") << false << "cid";
    QTest::newRow("cid -1") << deviceWith("\"cid\": -1") << false << "cid";
    QTest::newRow("cid 1e20") << deviceWith("\"cid\": 1e20") << false << "cid";
    QTest::newRow("cid nan as text") << deviceWith("\"cid\": \"nan\"") << false << "cid";
    QTest::newRow("cid null") << deviceWith("\"cid\": null") << false << "cid";
    QTest::newRow("cid 0x100 as text") << deviceWith("\"cid\": \"0x100\"") << false << "cid";
    QTest::newRow("profiles 257 as text") << deviceWith("\"profiles\": \"257\"") << false << "profiles";
    QTest::newRow("cid beyond a double") << deviceWith("\"cid\": 1e400") << false << "";
    QTest::newRow("firmware 0xFFFF") << deviceWith("\"firmware\": \"0xFFFF\"") << true << "";
    QTest::newRow("firmware 0x10000") << deviceWith("\"firmware\": 65536") << false << "firmware";
    QTest::newRow("release -1") << deviceWith("\"release\": -1") << false << "release";
    QTest::newRow("battery 101") << deviceWith("\"battery\": 101") << false << "battery";
    QTest::newRow("receiver type 3") << deviceWith("\"receiverType\": 3") << false << "receiverType";
    QTest::newRow("led mode 256") << deviceWith("\"ledMode\": 256") << false << "ledMode";
    QTest::newRow("plugged 2") << deviceWith("\"plugged\": 2") << false << "plugged";
    QTest::newRow("address") << deviceWith("\"address\": [1, 2, 3]") << true << "";
    QTest::newRow("address byte 256") << deviceWith("\"address\": [1, 2, 256]") << false << "address";
    QTest::newRow("address of two bytes") << deviceWith("\"address\": [1, 2]") << false << "address";
    QTest::newRow("factory lod 256") << deviceWith("\"factory\": {\"lod\": 256}") << false << "lod";
    QTest::newRow("factory DPI code 300") << deviceWith("\"factory\": {\"dpiLevels\": [[1, 2, 300]]}") << false
                                          << "dpiLevels";
    QTest::newRow("factory colour -1") << deviceWith("\"factory\": {\"light\": {\"color\": [0, 0, -1]}}") << false
                                       << "color";
    QTest::newRow("report cost 5 ms") << costsWith("\"reportMs\": 5") << true << "";
    QTest::newRow("report cost -1 ms") << costsWith("\"reportMs\": -1") << false << "reportMs";
    QTest::newRow("answer cost 1e20 ms") << costsWith("\"answerMs\": 1e20") << false << "answerMs";
    QTest::newRow("flash step over an hour") << costsWith("\"flashStepMs\": 3600001") << false << "flashStepMs";
    QTest::newRow("battery drain -5 s") << "{\"batteryDrainSeconds\": -5}" << false << "batteryDrainSeconds";
}

void TestHidUsb::scenarioBounds()
{
    QFETCH(QString, json);
    QFETCH(bool, accepted);
    QFETCH(QString, key);
    std::string error;
    QCOMPARE(HidSim::LoadScenarioText(json.toStdString(), &error), accepted);
    if (accepted) {
        QVERIFY2(error.empty(), error.c_str());
        return;
    }
    QVERIFY(!error.empty());
    QVERIFY2(QString::fromStdString(error).contains(key), error.c_str());
    QVERIFY(!HidSim::PathOf("drive1-mouse").empty()); // a refused scenario changes nothing
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--hidusb-child") == 0)
        return childReadsSettings();
    if (argc > 2 && qstrcmp(argv[1], "--hidusb-state") == 0)
        return childEndsWhileSaving(argv[2]);
    QCoreApplication app(argc, argv);
    TestHidUsb tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_hidusb.moc"
