#include "core/devicestate.h"
#include "core/timing.h"
#include "core/userfolders.h"
#include "device/firmwareimages.h"
#include "device/firmwareupgrade.h"
#include "helpers/testenv.h"
#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"
#include "platform/registrystore.h"
#include "tools/firmwarebuilder.h"

#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QtTest>

#include <memory>
#include <mutex>
#include <optional>

namespace {

FirmwareUpgrade* g_road = nullptr;

void forward(const uint8_t* report)
{
    if (g_road)
        g_road->HandleReport(report);
}

// The default scenario's mouse on its cable.
const FirmwareUpgrade::Target MouseTarget{210, 1, 36, 1};

FirmwareImage mouseImage()
{
    FirmwareImageSpec s;
    s.kind = 210;
    s.cid = 36;
    s.mid = 1;
    s.stem = QStringLiteral("VEXO_S1_MOUSE");
    s.version = 0x0102;
    s.bodySize = 256;
    return BuildFirmwareImage(s);
}

QString record()
{
    return RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo")).toString();
}

void setRecord(const QString& text)
{
    if (text.isEmpty())
        RemoveUpdateFailInfo();
    else
        RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo"), text);
}

int logLines()
{
    QFile f(UpgradeLogPath());
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().count('\n');
}

} // namespace

class TestFirmwareUpgrade : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void outcome_data();
    void outcome();
    void reportWithoutAFlashChangesNothing();
    void reportInHandIsNoSilence();
    void recordKeptForATargetWaitingInBootMode();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::SimulatedDevices> m_sim;
    std::unique_ptr<FirmwareUpgrade> m_road;
    // What the handlers saw, in order: "p<percent>", "ok", "failed". The handlers run on the
    // library's thread, the checks on this one.
    // Deep copies: no string data is shared between the two threads.
    QStringList seen() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QStringList copy;
        for (const QString& s : m_seen)
            copy << QString(s.constData(), s.size());
        return copy;
    }
    QString recordAtFailure() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return QString(m_recordAtFailure.constData(), m_recordAtFailure.size());
    }
    void note(const QString& what, bool failure = false)
    {
        const QString now = failure ? record() : QString();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen << QString(what.constData(), what.size());
        if (failure)
            m_recordAtFailure = QString(now.constData(), now.size());
    }
    mutable std::mutex m_mutex;
    QStringList m_seen;
    QString m_recordAtFailure;
};

void TestFirmwareUpgrade::init()
{
    ResetDeviceState();
    m_home = std::make_unique<TestEnv::TempHome>();
    PrepareUserFolders();
    m_sim = std::make_unique<TestEnv::SimulatedDevices>(TestEnv::SimulatedDevices::DefaultScenario);
    m_road = std::make_unique<FirmwareUpgrade>(forward);
    g_road = m_road.get();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.clear();
        m_recordAtFailure.clear();
    }
    m_road->onProgress = [this](int percent) { note(QStringLiteral("p%1").arg(percent)); };
    m_road->onSuccess = [this](const FirmwareUpgrade::Target&) { note(QStringLiteral("ok")); };
    m_road->onFailure = [this](const FirmwareUpgrade::Target&) { note(QStringLiteral("failed"), true); };
}

void TestFirmwareUpgrade::cleanup()
{
    m_sim.reset(); // no report after the road is gone
    g_road = nullptr;
    m_road.reset();
    m_home.reset();
}

void TestFirmwareUpgrade::outcome_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("before");   // the record before the start
    QTest::addColumn<bool>("started");
    QTest::addColumn<QString>("end");      // last handler call ("": none)
    QTest::addColumn<QString>("after");    // the record after the end
    QTest::addColumn<int>("logAdded");
    const int ok = int(HidSim::FlashOutcome::Success);
    const int fail = int(HidSim::FlashOutcome::FailAt);
    const int pull = int(HidSim::FlashOutcome::UnplugAt);
    const int refuse = int(HidSim::FlashOutcome::Refuse);
    const int silence = int(HidSim::FlashOutcome::Silence);
    QTest::newRow("success, no record") << ok << 0 << "" << true << "ok" << "" << 0;
    QTest::newRow("success removes its own target's record") << ok << 0 << "210,4,36,1" << true << "ok" << "" << 0;
    QTest::newRow("success keeps the other target's record")
        << ok << 0 << "211,4,36,1" << true << "ok" << "211,4,36,1" << 0;
    QTest::newRow("failure at 40 %") << fail << 40 << "" << true << "failed" << "210,1,36,1" << 8;
    QTest::newRow("failure over the other target's record")
        << fail << 40 << "211,4,36,1" << true << "failed" << "210,1,36,1" << 8;
    QTest::newRow("unplugged at 30 %") << pull << 30 << "" << true << "failed" << "210,1,36,1" << 8;
    QTest::newRow("refused puts the record back") << refuse << 0 << "211,1,7,9" << false << "" << "211,1,7,9" << 0;
    QTest::newRow("refused without a record") << refuse << 0 << "" << false << "" << "" << 0;
    QTest::newRow("silence times out") << silence << 0 << "" << true << "failed" << "210,1,36,1" << 8;
}

void TestFirmwareUpgrade::outcome()
{
    QFETCH(int, outcome);
    QFETCH(int, percent);
    QFETCH(QString, before);
    QFETCH(bool, started);
    QFETCH(QString, end);
    QFETCH(QString, after);
    QFETCH(int, logAdded);
    // Only a silent flash needs the report time-out to come quickly; elsewhere a slow machine
    // must not see it fire between two reports.
    const bool silent = HidSim::FlashOutcome(outcome) == HidSim::FlashOutcome::Silence;
    TestEnv::TimeScale fast(silent ? 0.001 : 1.0);
    setRecord(before);
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    HidSim::SetCosts(costs);
    HidSim::ScriptFlash(HidSim::FlashOutcome(outcome), percent);
    HidSim::HoldDelivery({7, 1, std::string()});
    QCOMPARE(m_road->Start(mouseImage(), MouseTarget), started);
    if (started && HidSim::FlashOutcome(outcome) != HidSim::FlashOutcome::Silence) {
        // Written just before the start, unless it names the other target.
        QVERIFY(HidSim::WaitUntilHeld());
        QCOMPARE(record(), before.startsWith(QLatin1String("211")) ? before : QStringLiteral("210,1,36,1"));
        QVERIFY(m_road->Running());
    }
    HidSim::ReleaseHold();
    if (!end.isEmpty())
        QTRY_COMPARE(seen().isEmpty() ? QString() : seen().last(), end);
    else
        QVERIFY(seen().isEmpty());
    QVERIFY(!m_road->Running());
    const QStringList calls = seen();
    QCOMPARE(calls.count(QStringLiteral("ok")) + calls.count(QStringLiteral("failed")), end.isEmpty() ? 0 : 1);
    QCOMPARE(record(), after);
    if (end == QLatin1String("failed"))
        QCOMPARE(recordAtFailure(), after); // in place before the road hears of it
    QCOMPARE(logLines(), logAdded);
    if (HidSim::FlashOutcome(outcome) == HidSim::FlashOutcome::FailAt)
        QVERIFY(calls.contains(QStringLiteral("p%1").arg(percent)));
}

void TestFirmwareUpgrade::reportWithoutAFlashChangesNothing()
{
    setRecord(QStringLiteral("210,1,36,1"));
    const uint8_t success[3] = {7, 2, 1};
    const uint8_t failure[3] = {7, 2, 0};
    const uint8_t progress[3] = {7, 1, 50};
    m_road->HandleReport(success);
    m_road->HandleReport(failure);
    m_road->HandleReport(progress);
    QVERIFY(seen().isEmpty());
    QCOMPARE(record(), QStringLiteral("210,1,36,1"));
    QCOMPARE(logLines(), 0);

    // A late result after a time-out is ignored too.
    TestEnv::TimeScale fast(0.001);
    HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
    QVERIFY(m_road->Start(mouseImage(), MouseTarget));
    QTRY_COMPARE(seen(), QStringList{QStringLiteral("failed")});
    m_road->HandleReport(success);
    QCOMPARE(seen(), QStringList{QStringLiteral("failed")});
    QCOMPARE(record(), QStringLiteral("210,1,36,1"));
}

// The report time-out falls due while onProgress still has a report in hand (a library that
// reported just in time, a handler slow to return): the report counts, the flash goes on, and
// no progress is handled after the end.
void TestFirmwareUpgrade::reportInHandIsNoSilence()
{
    auto inHand = std::make_shared<QSemaphore>();
    auto letGo = std::make_shared<QSemaphore>();
    auto first = std::make_shared<std::atomic<bool>>(true);
    m_road->onProgress = [this, inHand, letGo, first](int percent) {
        if (first->exchange(false)) {
            inHand->release();
            letGo->acquire();
        }
        note(QStringLiteral("p%1").arg(percent));
    };
    const auto release = qScopeGuard([letGo] { letGo->release(); });
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    HidSim::SetCosts(costs);
    std::optional<TestEnv::TimeScale> fast;
    fast.emplace(0.001);
    QVERIFY(m_road->Start(mouseImage(), MouseTarget));
    // No event is processed until the first report is in hand: the silence watch, started
    // through this thread's events, cannot look before it.
    QVERIFY(inHand->tryAcquire(1, 10000));
    // Twice the time-out: the watch, ticking many times as often, looks past the time-out first.
    bool twice = false;
    QTimer::singleShot(2 * Timing::Scaled(Timing::UpgradeReportTimeout), [&twice] { twice = true; });
    QTRY_VERIFY(twice);
    QCOMPARE(seen(), QStringList());
    QVERIFY(m_road->Running());
    fast.reset(); // the rest of the flash at full time
    letGo->release();
    QTRY_COMPARE(seen().isEmpty() ? QString() : seen().last(), QStringLiteral("ok"));
    QCOMPARE(seen().first(), QStringLiteral("p0"));
    QVERIFY(!seen().contains(QStringLiteral("failed")));
    QCOMPARE(record(), QString());
    QCOMPARE(logLines(), 0);
}

void TestFirmwareUpgrade::recordKeptForATargetWaitingInBootMode()
{
    const FirmwareImage image = mouseImage();
    QCOMPARE(FirmwareUpgrade::BootDeviceCount(FirmwareImage()), 0);
    QCOMPARE(HidSim::CallCount("UsbUpgradeC_FindBootDevices"), 0); // no empty image reaches the library
    FirmwareUpgrade::KeepRecordIfWaiting(image, MouseTarget);
    QCOMPARE(record(), QString());
    QVERIFY(HidSim::SetBootMode("drive1-mouse", true));
    QCOMPARE(FirmwareUpgrade::BootDeviceCount(image), 1);
    setRecord(QStringLiteral("211,4,36,2"));
    FirmwareUpgrade::KeepRecordIfWaiting(image, MouseTarget);
    QCOMPARE(record(), QStringLiteral("211,4,36,2")); // an existing record stays
    setRecord(QString());
    FirmwareUpgrade::KeepRecordIfWaiting(image, MouseTarget);
    QCOMPARE(record(), QStringLiteral("210,1,36,1"));
}

VEXO_TEST_CORE_MAIN(TestFirmwareUpgrade)
#include "tst_firmwareupgrade.moc"
