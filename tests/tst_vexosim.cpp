#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "tools/firmwarebuilder.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
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

// A Unix stream socket at path: a client connected to it, one bound there and closed again (as
// a run that ended without removing it leaves it), or a server that never answers. Closed when
// it goes; the name stays.
class TestSocket
{
public:
    enum Role { Client, Stale, Silent };
    TestSocket(Role role, const QString& path)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (m_fd < 0 || name.size() >= int(sizeof address.sun_path))
            return;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()) + 1);
        const auto* a = reinterpret_cast<const sockaddr*>(&address);
        if (role == Client)
            m_ok = ::connect(m_fd, a, sizeof address) == 0;
        else
            m_ok = ::bind(m_fd, a, sizeof address) == 0 && (role == Stale || ::listen(m_fd, 4) == 0);
        if (role == Stale)
            closeNow();
    }
    ~TestSocket() { closeNow(); }
    TestSocket(const TestSocket&) = delete;
    TestSocket& operator=(const TestSocket&) = delete;

    bool ok() const { return m_ok; }
    // A part of a command line, never its end.
    void drip() { ::send(m_fd, "l", 1, MSG_NOSIGNAL | MSG_DONTWAIT); }
    // The other end closed the connection.
    bool letGo() const
    {
        char c;
        return ::recv(m_fd, &c, 1, MSG_DONTWAIT) == 0;
    }

private:
    void closeNow()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int m_fd = -1;
    bool m_ok = false;
};

// Sets or (value null) unsets an environment variable until it goes.
class EnvironmentVariable
{
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Lets a held thread go when a check fails before the test lets it go itself.
struct HoldRelease
{
    ~HoldRelease() { HidSim::ReleaseHold(); }
};

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
    void closeDoesNotWaitForAClient_data();
    void closeDoesNotWaitForAClient();
    void aDrippingClientIsLetGo();
    void theToolGivesUpOnASilentServer();
    void onlyTheUsersOwnSocket_data();
    void onlyTheUsersOwnSocket();

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

void TestVexoSim::closeDoesNotWaitForAClient_data()
{
    QTest::addColumn<QString>("servedAt"); // where the program's thread is when it closes
    QTest::addColumn<bool>("drips");
    QTest::newRow("a silent client") << "ControlChannel:accepted" << false;
    QTest::newRow("a client dripping its line") << "ControlChannel:part-of-a-line" << true;
}

// Closing the program closes the socket at once, whoever is connected and however slowly
// they send.
void TestVexoSim::closeDoesNotWaitForAClient()
{
    QFETCH(QString, servedAt);
    QFETCH(bool, drips);
    HidSim::HoldDelivery({-1, -1, servedAt.toStdString()});
    HoldRelease release;
    TestSocket client(TestSocket::Client, QString::fromStdString(HidSim::ControlChannelPath()));
    QVERIFY(client.ok());
    QTimer dripping;
    connect(&dripping, &QTimer::timeout, [&client]() { client.drip(); });
    if (drips) {
        client.drip();
        dripping.start(50);
    }
    QVERIFY(HidSim::WaitUntilHeld());
    HidSim::ReleaseHold(); // back to waiting for the rest of the line

    QElapsedTimer closing;
    closing.start();
    HidSim::CloseControlChannel();
    const qint64 took = closing.elapsed();
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
    QVERIFY(client.letGo());
}

// A client gets a few seconds for its line, not a few seconds for each byte of it: then the
// next one is served.
void TestVexoSim::aDrippingClientIsLetGo()
{
    TestSocket client(TestSocket::Client, QString::fromStdString(HidSim::ControlChannelPath()));
    QVERIFY(client.ok());
    QTimer dripping;
    connect(&dripping, &QTimer::timeout, [&client]() { client.drip(); });
    client.drip();
    dripping.start(500);
    QTRY_VERIFY_WITH_TIMEOUT(client.letGo(), 30000);
    dripping.stop();
    const ToolRun run = runTool({QStringLiteral("list")});
    QCOMPARE(run.exitCode, 0);
}

void TestVexoSim::theToolGivesUpOnASilentServer()
{
    HidSim::CloseControlChannel();
    const QString socket = QString::fromStdString(HidSim::ControlChannelPath());
    {
        TestSocket silent(TestSocket::Silent, socket);
        QVERIFY(silent.ok());
        const ToolRun run = runTool({QStringLiteral("list")});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(QStringLiteral("no answer")), qPrintable(run.err));
    }
    QVERIFY(QFile::remove(socket));
}

void TestVexoSim::onlyTheUsersOwnSocket_data()
{
    QTest::addColumn<bool>("runtimeFolder"); // XDG_RUNTIME_DIR set, else the fallback folder
    QTest::addColumn<QString>("folder");     // the fallback folder: "", "another user's", "open", "link"
    QTest::addColumn<QString>("socket");     // at the socket's name: "", "another user's", "file"
    QTest::addColumn<QString>("refusal");    // "": the channel opens and the tool is answered
    QTest::newRow("the fallback folder") << false << "" << "" << "";
    QTest::newRow("the fallback folder of another user") << false << "another user's" << ""
                                                         << "belongs to another user";
    QTest::newRow("the fallback folder open to others") << false << "open" << "" << "has mode 0755, not 0700";
    QTest::newRow("a link in place of the fallback folder") << false << "link" << "" << "is not a folder";
    QTest::newRow("another user's socket in the fallback folder") << false << "" << "another user's"
                                                                  << "belongs to another user";
    QTest::newRow("another user's socket in the runtime folder") << true << "" << "another user's"
                                                                 << "belongs to another user";
    QTest::newRow("a file at the socket's name") << true << "" << "file" << "is not a socket";
}

// Neither the program nor the tool uses a socket that another user could have put there.
void TestVexoSim::onlyTheUsersOwnSocket()
{
    QFETCH(bool, runtimeFolder);
    QFETCH(QString, folder);
    QFETCH(QString, socket);
    QFETCH(QString, refusal);
    if ((folder == QLatin1String("another user's") || socket == QLatin1String("another user's")) && ::geteuid() != 0)
        QSKIP("giving a file to another user takes root");
    const uid_t anotherUser = 65534;
    HidSim::CloseControlChannel();
    QTemporaryDir temp;
    EnvironmentVariable tmpdir("TMPDIR", QFile::encodeName(temp.path()));
    EnvironmentVariable runtime("XDG_RUNTIME_DIR", runtimeFolder ? qgetenv("XDG_RUNTIME_DIR") : QByteArray());
    const QString path = QString::fromStdString(HidSim::ControlChannelPath());
    const QByteArray fallback = QFile::encodeName(temp.path() + QStringLiteral("/hidusb-sim-%1").arg(::getuid()));
    QVERIFY(path.startsWith(QString::fromLocal8Bit(runtimeFolder ? qgetenv("XDG_RUNTIME_DIR") : fallback) + '/'));

    if (folder == QLatin1String("link")) {
        QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("elsewhere")));
        QVERIFY(QFile::link(temp.path() + QStringLiteral("/elsewhere"), QFile::decodeName(fallback)));
    } else if (!folder.isEmpty() || !socket.isEmpty()) {
        if (!runtimeFolder)
            QCOMPARE(::mkdir(fallback.constData(), folder == QLatin1String("open") ? 0755 : 0700), 0);
        if (folder == QLatin1String("another user's"))
            QCOMPARE(::chown(fallback.constData(), anotherUser, anotherUser), 0);
    }
    if (socket == QLatin1String("another user's")) {
        QVERIFY(TestSocket(TestSocket::Stale, path).ok());
        QCOMPARE(::chown(QFile::encodeName(path).constData(), anotherUser, anotherUser), 0);
    } else if (socket == QLatin1String("file")) {
        QVERIFY(TestEnv::WriteFile(path, "not a socket"));
    }
    struct stat before;
    const bool existed = ::lstat(QFile::encodeName(path).constData(), &before) == 0;

    const bool opened = HidSim::OpenControlChannel();
    const ToolRun run = runTool({QStringLiteral("list")});
    HidSim::CloseControlChannel();
    if (refusal.isEmpty()) {
        QVERIFY(opened);
        QCOMPARE(run.exitCode, 0);
        struct stat made;
        QCOMPARE(::lstat(fallback.constData(), &made), 0);
        QCOMPARE(made.st_mode & 07777, mode_t(0700));
        return;
    }
    QVERIFY(!opened);
    // What was there stays.
    struct stat after;
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &after) == 0, existed);
    if (existed)
        QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(refusal), qPrintable(run.err));
}

VEXO_TEST_CORE_MAIN(TestVexoSim)
#include "tst_vexosim.moc"
