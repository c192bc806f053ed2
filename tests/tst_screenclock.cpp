#include "core/configini.h"
#include "device/devicediscovery.h"
#include "device/screenclock.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"

#include "hidusb/hidsim.h"

#include <QCoreApplication>
#include <QtTest>

#include <memory>

namespace {

const QDateTime TuesdayNight(QDate(2026, 12, 8), QTime(23, 59, 30));

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

HidSim::DeviceSpec screen(const std::string& id)
{
    HidSim::DeviceSpec s;
    s.id = id;
    s.kind = HidSim::Kind::Screen;
    s.pid = "0x5301";
    return s;
}

// The clock a screen device accepted last, or empty.
QByteArray acceptedClock(const std::string& id)
{
    uint8_t clock[40] = {};
    if (!HidSim::GetScreenClock(id, clock))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(clock), 40);
}

// Ticks until (and including) tick `last` of a fresh count; the ticks that sent.
QList<int> tickUntil(ScreenClockSync& sync, int last, const QDateTime& now)
{
    QList<int> sent;
    for (int t = 1; t <= last; ++t)
        if (sync.Tick(now))
            sent << t;
    return sent;
}

} // namespace

class TestScreenClock : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void packetOfTuesdayNight();
    void checksum_data();
    void checksum();
    void replyCheck_data();
    void replyCheck();

    void findsConfiguredScreens();
    void hotplugNoticeSetsIds();
    void firstOfThreeOpenedOnce();
    void noDeviceNothingOpened();
    void badRepliesThenNothingUntilNextTenthSecond();
    void deviceGoneGivesNoReply();

private:
    std::unique_ptr<DeviceLinkFixture> m_fixture;
};

void TestScreenClock::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    HidVendorId.set(QStringLiteral("0x3706"));
    HidProductIds.set({QStringLiteral("0x5301")});
    FoundHidPaths.set(QStringList());
}

void TestScreenClock::cleanup()
{
    m_fixture.reset();
    HidVendorId.set(QString());
    HidProductIds.set(QStringList());
    FoundHidPaths.set(QStringList());
}

void TestScreenClock::packetOfTuesdayNight()
{
    QByteArray expected = bytes({0x0A, 0x00, 0x10, 0x07, 0xEA, 0x0C, 0x08, 0x17, 0x3B, 0x1E, 0x02});
    expected.append(QByteArray(28, '\0'));
    expected.append(char(0xC4));
    QCOMPARE(ScreenClockPacket(TuesdayNight).toHex(' '), expected.toHex(' '));
}

void TestScreenClock::checksum_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("sum");
    QByteArray head = bytes({0x0A, 0x00, 0x10});
    head.append(QByteArray(37, '\0'));
    QTest::newRow("head and zeros") << head << 0x3B;
    QByteArray exact = bytes({0x50, 0x05});
    exact.append(QByteArray(38, '\0'));
    QTest::newRow("body adding up to 0x55") << exact << 0x00;
    QByteArray wrapping(40, char(0xFF));
    // 39 x 0xFF = 0x26D9, 0xD9 after the wrap; 0x55 - 0xD9 = 0x7C in eight bits.
    QTest::newRow("sum wraps") << wrapping << 0x7C;
    QByteArray lastIgnored(40, '\0');
    lastIgnored[39] = char(0x99);
    QTest::newRow("last byte not counted") << lastIgnored << 0x55;
}

void TestScreenClock::checksum()
{
    QFETCH(QByteArray, packet);
    QFETCH(int, sum);
    QCOMPARE(int(ScreenCommandChecksum(packet)), sum);
}

void TestScreenClock::replyCheck_data()
{
    QTest::addColumn<int>("changedByte");
    QTest::addColumn<bool>("valid");
    QTest::newRow("echo") << -1 << true;
    for (int i = 0; i <= 6; ++i)
        QTest::addRow("byte %d differs", i) << i << false;
    QTest::newRow("hour differs (not compared)") << 7 << true;
    QTest::newRow("checksum wrong") << 39 << false;
}

void TestScreenClock::replyCheck()
{
    QFETCH(int, changedByte);
    QFETCH(bool, valid);
    const QByteArray command = ScreenClockPacket(TuesdayNight);
    QByteArray reply = command;
    if (changedByte >= 0) {
        reply[changedByte] = char(reply.at(changedByte) ^ 0x01);
        // Only a wrong checksum when that is the change under test.
        if (changedByte != 39)
            reply[39] = char(ScreenCommandChecksum(reply));
    }
    QCOMPARE(ScreenReplyValid(command, reply), valid);
}

void TestScreenClock::findsConfiguredScreens()
{
    HidProductIds.set({QStringLiteral("0x5301"), QStringLiteral("0x5302")});
    m_fixture->add(screen("s1"));
    HidSim::DeviceSpec other = screen("s2");
    other.pid = "0x5302";
    m_fixture->add(other);
    HidSim::DeviceSpec foreign = screen("s3");
    foreign.pid = "0x5399";
    m_fixture->add(foreign);
    QCOMPARE(FindScreenDevices(), 2);
    QCOMPARE(FoundHidPaths.get(), (QStringList{QString::fromStdString(HidSim::PathOf("s1")),
                                               QString::fromStdString(HidSim::PathOf("s2"))}));
    const auto calls = HidSim::Calls("UsbFinderC_FindHidDevicesByDeviceId");
    QCOMPARE(int(calls.size()), 2);
    QVERIFY2(calls.front().arguments.find(",1,8,") != std::string::npos, calls.front().arguments.c_str());

    HidSim::RemoveDevice("s1");
    HidSim::RemoveDevice("s2");
    QCOMPARE(FindScreenDevices(), 0);
    QVERIFY(FoundHidPaths.get().isEmpty());
}

void TestScreenClock::hotplugNoticeSetsIds()
{
    HidVendorId.set(QStringLiteral("stale"));
    HidProductIds.set({QStringLiteral("stale")});
    DevicePageHotplugCallback();
    const ConfigIni::Snapshot config = ConfigIni::instance()->snapshot();
    QCOMPARE(HidVendorId.get(), config.value(QStringLiteral("Option"), QStringLiteral("VID")));
    QCOMPARE(HidProductIds.get(), (QStringList{QStringLiteral("0x5101"), QStringLiteral("0x5111"),
                                               QStringLiteral("0x5121"), QStringLiteral("0x5141"),
                                               QStringLiteral("0x5181")}));
    // Every run sets them again.
    HidProductIds.set(QStringList());
    DevicePageHotplugCallback();
    QCOMPARE(HidProductIds.get().size(), 5);
}

void TestScreenClock::firstOfThreeOpenedOnce()
{
    for (const char* id : {"s1", "s2", "s3"})
        m_fixture->add(screen(id));
    QCOMPARE(FindScreenDevices(), 3);
    HidSim::ClearCalls();
    ScreenClockSync sync;
    // The first tick does nothing; the 50th (ten seconds) and the 100th send.
    QCOMPARE(tickUntil(sync, 100, TuesdayNight), (QList<int>{50, 100}));
    const auto opens = HidSim::Calls("UsbFinderC_OpenDevice");
    QCOMPARE(int(opens.size()), 1);
    QCOMPARE(QString::fromStdString(opens.front().arguments), QString::fromStdString(HidSim::PathOf("s1")));
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 2);
    QCOMPARE(acceptedClock("s1").toHex(), ScreenClockPacket(TuesdayNight).toHex());
    QVERIFY(acceptedClock("s2").isEmpty());
    QVERIFY(acceptedClock("s3").isEmpty());

    // Gone and back under the same path: opened again.
    HidSim::RemoveDevice("s2");
    HidSim::RemoveDevice("s3");
    HidSim::Unplug("s1");
    FindScreenDevices();
    QCOMPARE(tickUntil(sync, 50, TuesdayNight), QList<int>());
    HidSim::Plug("s1");
    FindScreenDevices();
    QCOMPARE(tickUntil(sync, 50, TuesdayNight), (QList<int>{50}));
    const auto later = HidSim::Calls("UsbFinderC_OpenDevice");
    QCOMPARE(int(later.size()), 2);
    QCOMPARE(QString::fromStdString(later.back().arguments), QString::fromStdString(HidSim::PathOf("s1")));
}

void TestScreenClock::noDeviceNothingOpened()
{
    FindScreenDevices();
    HidSim::ClearCalls();
    ScreenClockSync sync;
    QCOMPARE(tickUntil(sync, 100, TuesdayNight), QList<int>());
    QCOMPARE(HidSim::CallCount("UsbFinderC_OpenDevice"), 0);
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 0);
    // The counter restarts whether or not anything was sent.
    QCOMPARE(sync.Ticks(), 0);
}

void TestScreenClock::badRepliesThenNothingUntilNextTenthSecond()
{
    m_fixture->add(screen("s1"));
    FindScreenDevices();
    HidSim::ClearCalls();
    HidSim::ScriptBadScreenReplies(5);
    ScreenClockSync sync;
    QCOMPARE(tickUntil(sync, 50, TuesdayNight), (QList<int>{50}));
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 5);
    QVERIFY(acceptedClock("s1").isEmpty());
    // Given up until the next tenth second: nothing for 49 ticks, then one good exchange.
    QCOMPARE(tickUntil(sync, 49, TuesdayNight), QList<int>());
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 5);
    QVERIFY(sync.Tick(TuesdayNight));
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 6);
    QCOMPARE(acceptedClock("s1").toHex(), ScreenClockPacket(TuesdayNight).toHex());
    // An exchange without an answer may have gone to a stale handle: the device is opened again.
    QCOMPARE(HidSim::CallCount("UsbFinderC_OpenDevice"), 2);
}

void TestScreenClock::deviceGoneGivesNoReply()
{
    m_fixture->add(screen("s1"));
    FindScreenDevices();
    ScreenClockSync sync;
    QCOMPARE(tickUntil(sync, 50, TuesdayNight), (QList<int>{50}));
    // A device gone from the bus answers nothing valid: five exchanges, no result; back, it answers.
    HidSim::Unplug("s1");
    HidSim::ClearCalls();
    QByteArray command = ScreenClockPacket(TuesdayNight);
    QVERIFY(!SendScreenCommand(command).has_value());
    QCOMPARE(HidSim::CallCount("UsbFinderC_ReadWriteDeviceData"), 5);
    HidSim::Plug("s1");
    const auto reply = SendScreenCommand(command);
    QVERIFY(reply.has_value());
    QCOMPARE(reply->left(7), command.left(7));
}

VEXO_TEST_CORE_MAIN(TestScreenClock)
#include "tst_screenclock.moc"
