#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "tools/firmwarebuilder.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

std::atomic<int> g_notices{0};
void countNotice()
{
    ++g_notices;
}

std::mutex g_flashMutex;
std::vector<std::vector<uint8_t>> g_flashReports;
void noteFlash(const uint8_t* report)
{
    std::lock_guard<std::mutex> lock(g_flashMutex);
    g_flashReports.emplace_back(report, report + 3);
}
std::vector<uint8_t> lastFlashReport()
{
    std::lock_guard<std::mutex> lock(g_flashMutex);
    return g_flashReports.empty() ? std::vector<uint8_t>() : g_flashReports.back();
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the tool as a user would, in this process's environment (the private HOME's runtime folder).
ToolRun runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(TestEnv::BuiltInstallFolder() + QStringLiteral("/vexo-sim"), arguments);
    ToolRun run;
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

bool connected(const std::string& id)
{
    uint8_t attributes[12] = {};
    return UsbFinderC_GetUsbDeviceAttribute(HidSim::PathOf(id).c_str(), attributes) == 1;
}

} // namespace

// The plug tool against a running library: the devices come and go as if plugged by hand,
// and the program hears it as hot-plug.
class TestVexoSim : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commands_data();
    void commands();
    void unplugCutsOffAFlash();
    void withoutARunningProgram();
    void theProgramServesIt();

private:
    std::unique_ptr<DeviceLinkFixture> m_fixture;
};

void TestVexoSim::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    HidSim::Reset(HidSim::Start::Default);
    QVERIFY(HidSim::OpenControlChannel());
    QVERIFY(QFile::exists(QString::fromStdString(HidSim::ControlChannelPath())));
    StartUsbChanged(countNotice, 600);
    QTRY_VERIFY(g_notices.load() >= 1); // the first notice comes with the registration
    g_notices = 0;
}

void TestVexoSim::cleanup()
{
    StopUsbChanged();
    const QString socket = QString::fromStdString(HidSim::ControlChannelPath());
    m_fixture.reset();
    // Nothing is left in the runtime folder (the fixture's reset closed the channel).
    QVERIFY(!QFile::exists(socket));
}

void TestVexoSim::commands_data()
{
    QTest::addColumn<QString>("before");      // "unplug <id>" done through the test interface first, or ""
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");        // on standard output (exit 0) or standard error
    QTest::addColumn<QString>("device");      // whose connection is checked afterwards ("" none)
    QTest::addColumn<bool>("connectedAfter");
    QTest::addColumn<bool>("noticed");

    QTest::newRow("a mouse's cable out")
        << "" << QStringList{"unplug", "drive1-mouse"} << 0
        << "drive1-mouse: mouse, cable unplugged, through drive1-receiver\n" << "drive1-mouse" << false << true;
    QTest::newRow("a mouse's cable in again")
        << "drive1-mouse" << QStringList{"plug", "drive1-mouse"} << 0 << "drive1-mouse: mouse, cable plugged in\n"
        << "drive1-mouse" << true << true;
    QTest::newRow("a receiver out") << "" << QStringList{"unplug", "drive2-receiver"} << 0
                                    << "drive2-receiver: receiver, unplugged\n" << "drive2-receiver" << false << true;
    QTest::newRow("a receiver in again") << "drive2-receiver" << QStringList{"plug", "drive2-receiver"} << 0
                                         << "drive2-receiver: receiver, plugged in\n" << "drive2-receiver" << true
                                         << true;
    QTest::newRow("a mouse without a cable")
        << "" << QStringList{"plug", "drive2-mouse"} << 1
        << "vexo-sim: drive2-mouse has no cable: it is reached through its receiver only\n" << "" << false << false;
    QTest::newRow("a device the simulation lacks")
        << "" << QStringList{"unplug", "drive9"} << 1
        << "vexo-sim: no device \"drive9\"; the devices are: drive1-mouse, drive1-receiver, drive2-receiver, "
           "drive2-mouse\n"
        << "" << false << false;
    QTest::newRow("no device named") << "" << QStringList{"plug"} << 2 << "usage: vexo-sim plug <device-id>"
                                     << "drive1-mouse" << true << false;
    QTest::newRow("an unknown command") << "" << QStringList{"eject", "drive1-mouse"} << 2
                                        << "usage: vexo-sim plug <device-id>" << "drive1-mouse" << true << false;
    QTest::newRow("the list") << "drive1-mouse" << QStringList{"list"} << 0
                              << "drive1-mouse: mouse, cable unplugged, through drive1-receiver\n"
                                 "drive1-receiver: receiver, plugged in\n"
                                 "drive2-receiver: receiver, plugged in\n"
                                 "drive2-mouse: mouse, no cable, through drive2-receiver\n"
                              << "drive1-mouse" << false << false;
}

void TestVexoSim::commands()
{
    QFETCH(QString, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QString, device);
    QFETCH(bool, connectedAfter);
    QFETCH(bool, noticed);
    if (!before.isEmpty()) {
        QVERIFY(HidSim::Unplug(before.toStdString()));
        QTRY_VERIFY(g_notices.load() >= 1);
        g_notices = 0;
    }

    const ToolRun run = runTool(arguments);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0) {
        QCOMPARE(run.out, said);
        QCOMPARE(run.err, QString());
    } else {
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith(said), qPrintable(run.err));
    }
    if (!device.isEmpty())
        QCOMPARE(connected(device.toStdString()), connectedAfter);
    if (noticed) {
        QTRY_VERIFY(g_notices.load() >= 1);
    } else {
        // A later change is noticed; none before it.
        QVERIFY(HidSim::SetAwake("drive2-mouse", false));
        QTRY_VERIFY(g_notices.load() >= 1);
        QCOMPARE(g_notices.load(), 1);
    }
}

// The repair road begins here: the receiver pulled out while it takes its firmware waits,
// once plugged in again, for a new flash.
void TestVexoSim::unplugCutsOffAFlash()
{
    FirmwareImageSpec spec;
    spec.kind = 211;
    spec.cid = 36;
    spec.mid = 1;
    spec.stem = QStringLiteral("VEXO_S1_RX1K");
    spec.version = 0x0102;
    const QByteArray built = BuildFirmwareImage(spec);
    const std::vector<uint8_t> image(built.begin(), built.end());
    {
        std::lock_guard<std::mutex> lock(g_flashMutex);
        g_flashReports.clear();
    }
    // The flash stops before its first progress report until the receiver is out.
    HidSim::HoldDelivery(HidSim::HoldPoint{7, 1, std::string()});
    QCOMPARE(UsbUpgrade_Start(image.data(), noteFlash, 30000), 1);
    QVERIFY(HidSim::WaitUntilHeld());
    const ToolRun out = runTool({QStringLiteral("unplug"), QStringLiteral("drive1-receiver")});
    HidSim::ReleaseHold();
    QCOMPARE(out.exitCode, 0);
    QTRY_COMPARE(lastFlashReport(), (std::vector<uint8_t>{7, 2, 0}));
    QVERIFY(HidSim::InBootMode("drive1-receiver"));
    QCOMPARE(HidSim::FirmwareVersion("drive1-receiver"), 0x0100);

    const ToolRun in = runTool({QStringLiteral("plug"), QStringLiteral("drive1-receiver")});
    QCOMPARE(in.exitCode, 0);
    QCOMPARE(in.out, QStringLiteral("drive1-receiver: receiver, plugged in, waiting for its firmware\n"));
    QVERIFY(!connected("drive1-receiver")); // off the bus while it waits
    int waiting = 0;
    QCOMPARE(UsbUpgradeC_FindBootDevices(image.data(), &waiting), 1);
}

void TestVexoSim::withoutARunningProgram()
{
    HidSim::CloseControlChannel();
    const QString socket = QString::fromStdString(HidSim::ControlChannelPath());
    QVERIFY(!QFile::exists(socket));
    const ToolRun run = runTool({QStringLiteral("unplug"), QStringLiteral("drive1-mouse")});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(socket), qPrintable(run.err));
    QVERIFY(connected("drive1-mouse"));
}

// The program's own library opens the socket when it starts with its sample devices.
void TestVexoSim::theProgramServesIt()
{
    HidSim::CloseControlChannel();
    const QString socket = QString::fromStdString(HidSim::ControlChannelPath());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(TestEnv::BuiltInstallFolder() + QStringLiteral("/vexo"), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket) || program.state() == QProcess::NotRunning, 60000);
    const ToolRun run = runTool({QStringLiteral("unplug"), QStringLiteral("drive1-receiver")});
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(30000);
    QVERIFY(running);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("drive1-receiver: receiver, unplugged\n"));
}

VEXO_TEST_CORE_MAIN(TestVexoSim)
#include "tst_vexosim.moc"
