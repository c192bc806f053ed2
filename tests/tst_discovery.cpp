#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/mainpagehotplug.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "tools/firmwarebuilder.h"

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <thread>

namespace {

QStringList pathsOf(const DeviceList& list)
{
    QStringList out;
    for (const DeviceAllInfo& d : list)
        out << QString::fromUtf8(d.Path);
    return out;
}

QString pathOf(const std::string& id)
{
    return QString::fromStdString(HidSim::PathOf(id));
}

QList<int> driveIndexesOf(const DeviceList& list)
{
    QList<int> out;
    for (const DeviceAllInfo& d : list)
        out << int(d.DriveIndex);
    return out;
}

// A cable mouse of the sample CID whose MID names its model.
QByteArray addCableMouse(DeviceLinkFixture& fixture, const std::string& id, int mid)
{
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse(id);
    mouse.mid = uint8_t(mid);
    return fixture.add(mouse);
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void productIdOrder();
    void listOrderAndFields();
    void rebuildReplacesListsWhole();
    void identification_data();
    void identification();
    void twoSectionsSameMid();
    void deviceTotalBounds_data();
    void deviceTotalBounds();
    void hugeTotalUnlistedModel_data();
    void hugeTotalUnlistedModel();
    void onlineRefreshWithAddress();
    void reidentifyReplacesByPath();
    void noDevice();
    void noticesReachGuiThreadCoalesced();

    void followMouseToCable();
    void chosenDeviceGone_data();
    void chosenDeviceGone();
    void chosenDeviceStays();
    void firmwareCheck_data();
    void firmwareCheck();

private:
    void setConfig(const QString& key, const QVariant& value);
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<HubRecorder> m_hub;
};

void TestDiscovery::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_hub = std::make_unique<HubRecorder>();
    ConfigDeviceTotal.store(2);
}

void TestDiscovery::cleanup()
{
    if (Worker* w = WorkerThread.exchange(nullptr)) {
        CancelWorkerRun();
        w->WaitProcessingEvents();
        delete w;
    }
    m_hub.reset();
    m_fixture.reset();
}

void TestDiscovery::setConfig(const QString& key, const QVariant& value)
{
    QSettings config(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
    config.setValue(key, value);
    config.sync();
}

void TestDiscovery::productIdOrder()
{
    QSettings config(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
    config.setValue(QStringLiteral("Option/USB_PID"), QStringList{QString::fromLatin1(QByteArray("1234").toBase64()), QString(),
                                                                 QString::fromLatin1(QByteArray("5678").toBase64())});
    config.setValue(QStringLiteral("Option/Wireless_PID"), QString());
    config.sync();
    const QVector<QString> ids = ConfiguredProductIds(ConfigIni::instance()->snapshot());
    QCOMPARE(ids.mid(0, 2), (QVector<QString>{"1234", "5678"}));
    QCOMPARE(ids.mid(2), (QVector<QString>{"0x5121", "0x5141", "0x5181"}));
}

void TestDiscovery::listOrderAndFields()
{
    // A receiver first on the bus, then a mouse on its cable: the cable's product id comes first.
    m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));
    m_fixture->add(DeviceLinkFixture::ReceiverMouse("m2", "r4"));
    HidSim::DeviceSpec cable = DeviceLinkFixture::CableMouse("m1");
    cable.release = 0x0203;
    m_fixture->add(cable);

    DevicePageHotplugCallback();
    const DeviceList found = FoundDeviceList.get();
    QCOMPARE(pathsOf(found), (QStringList{pathOf("m1"), pathOf("r4")}));
    QCOMPARE(pathsOf(DevicePageList.get()), pathsOf(found));
    const DeviceAllInfo& mouse = found.at(0);
    QCOMPARE(mouse.VidText, QStringLiteral("0x3706"));
    QCOMPARE(mouse.PidText, QStringLiteral("0x5101"));
    QCOMPARE(mouse.VersionText, QStringLiteral("v2.3"));
    QCOMPARE(int(mouse.CidMid), 36 + 256 * 1);
    QCOMPARE(int(mouse.ConnectionType), 2);
    QCOMPARE(int(mouse.Wired), 1);
    QCOMPARE(int(mouse.DriveIndex), 0);
    QCOMPARE(int(mouse.Online), 1);
    const DeviceAllInfo& receiver = found.at(1);
    QCOMPARE(receiver.PidText, QStringLiteral("0x5141"));
    QCOMPARE(int(receiver.ConnectionType), 1);
    QCOMPARE(int(receiver.Wired), 0);
    QCOMPARE(int(receiver.DriveIndex), 1);
    QVERIFY(receiver.FirmwareVersionText.isEmpty());
    QCOMPARE(WirelessPidList.get(), QStringList{"0x5111"});
    QCOMPARE(Wireless4PidList.get(), QStringList{"0x5141"});
}

// A reader on another thread (a flash's handler asks whether the mouse is on its cable) sees
// the devices listed before a rebuild or after it, never lists emptied or half built.
void TestDiscovery::rebuildReplacesListsWhole()
{
    m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    DevicePageHotplugCallback();
    const QStringList before{pathOf("m1")};
    QCOMPARE(pathsOf(FoundDeviceList.get()), before);
    m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));

    // The rebuild stops at its first identity query while the other thread reads.
    HidSim::HoldDelivery({-1, -1, "UsbFinderC_GetDeviceInfo"});
    bool held = false;
    QStringList found;
    QStringList page;
    std::thread reader([&] {
        held = HidSim::WaitUntilHeld(10000);
        found = pathsOf(FoundDeviceList.get());
        page = pathsOf(DevicePageList.get());
        HidSim::ReleaseHold();
    });
    DevicePageHotplugCallback();
    reader.join();
    QVERIFY(held);
    QCOMPARE(found, before);
    QCOMPARE(page, before);
    QCOMPARE(pathsOf(FoundDeviceList.get()), (QStringList{pathOf("m1"), pathOf("r4")}));
    QCOMPARE(pathsOf(DevicePageList.get()), pathsOf(FoundDeviceList.get()));
}

void TestDiscovery::identification_data()
{
    QTest::addColumn<int>("zeroAnswers");
    QTest::addColumn<int>("cid");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("driveIndex");
    QTest::newRow("answers at once") << 0 << 36 << 1 << 0;
    QTest::newRow("eight 0/0 answers, then identified") << 8 << 36 << 1 << 0;
    QTest::newRow("nine 0/0 answers: unidentified") << 9 << 36 << 1 << 2;
    QTest::newRow("another CID: unidentified") << 0 << 8 << 1 << 2;
    QTest::newRow("unknown MID: unidentified") << 0 << 36 << 9 << 2;
}

void TestDiscovery::identification()
{
    QFETCH(int, zeroAnswers);
    QFETCH(int, cid);
    QFETCH(int, mid);
    QFETCH(int, driveIndex);
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse();
    mouse.cid = uint8_t(cid);
    mouse.mid = uint8_t(mid);
    m_fixture->add(mouse);
    HidSim::FailIdentityQueries("m1", zeroAnswers);
    HidSim::ClearCalls();
    DevicePageHotplugCallback();
    const DeviceList found = FoundDeviceList.get();
    QCOMPARE(found.size(), 1);
    QCOMPARE(int(found.first().DriveIndex), driveIndex);
    QCOMPARE(int(found.first().Wired), 1);
    QCOMPARE(HidSim::CallCount("UsbFinderC_GetDeviceInfo"), qMin(zeroAnswers + 1, 10));
}

void TestDiscovery::twoSectionsSameMid()
{
    setConfig(QStringLiteral("Drive2/MID"), 1);
    m_fixture->add(DeviceLinkFixture::CableMouse());
    DevicePageHotplugCallback();
    QCOMPARE(int(FoundDeviceList.get().first().DriveIndex), 0);
}

void TestDiscovery::deviceTotalBounds_data()
{
    // The sample file has two sections; the mice are of Drive2 (MID 2) and of no section (MID 9).
    QTest::addColumn<QString>("total");
    QTest::addColumn<QList<int>>("listed");  // device choice page: DriveIndex of each entry
    QTest::addColumn<QList<int>>("matched"); // device pages: DriveIndex of a match, -1 for none
    QTest::newRow("negative") << "-5" << QList<int>{} << QList<int>{-1, -1};
    QTest::newRow("zero") << "0" << QList<int>{} << QList<int>{-1, -1};
    QTest::newRow("not a number") << "abc" << QList<int>{} << QList<int>{-1, -1};
    QTest::newRow("below the second section") << "1" << QList<int>{1, 1} << QList<int>{-1, -1};
    QTest::newRow("the sections of the file") << "2" << QList<int>{1, 2} << QList<int>{1, -1};
    QTest::newRow("far more than the file has") << "2000000000" << QList<int>{1, 2000000000} << QList<int>{1, -1};
}

void TestDiscovery::deviceTotalBounds()
{
    QFETCH(QString, total);
    QFETCH(QList<int>, listed);
    QFETCH(QList<int>, matched);
    setConfig(QStringLiteral("Option/DeviceTotal"), total);
    const QList<QByteArray> paths{addCableMouse(*m_fixture, "m1", 2), addCableMouse(*m_fixture, "m3", 9)};

    DevicePageHotplugCallback();
    QCOMPARE(driveIndexesOf(FoundDeviceList.get()), listed);

    const ConfigIni::Snapshot config = ConfigIni::instance()->snapshot();
    QList<int> found;
    for (const QByteArray& path : paths) {
        DeviceAllInfo record = NewDeviceRecord(path, QStringLiteral("0x3706"), QStringLiteral("0x5101"));
        found << (FindDeviceInConfigW(record, path, config) == 1 ? int(record.DriveIndex) : -1);
    }
    QCOMPARE(found, matched);
}

void TestDiscovery::hugeTotalUnlistedModel_data()
{
    QTest::addColumn<bool>("devicePages");
    QTest::newRow("device choice page") << false;
    QTest::newRow("device pages") << true;
}

void TestDiscovery::hugeTotalUnlistedModel()
{
    QFETCH(bool, devicePages);
    setConfig(QStringLiteral("Option/DeviceTotal"), 2000000000);
    const QByteArray path = addCableMouse(*m_fixture, "m1", 9);
    if (devicePages)
        CurrentDevice.set(DeviceLinkFixture::InfoFor(path, 36, 9, 2, 0));

    QElapsedTimer timer;
    timer.start();
    if (devicePages)
        MainPageHotplugCallback();
    else
        DevicePageHotplugCallback();
    const qint64 ms = timer.elapsed();

    QCOMPARE(driveIndexesOf(devicePages ? WorkerDeviceList.get() : FoundDeviceList.get()), QList<int>{2000000000});
    // Trying every number up to DeviceTotal would take minutes at the least.
    QVERIFY2(ms < 1000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
}

void TestDiscovery::onlineRefreshWithAddress()
{
    m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));
    m_fixture->add(DeviceLinkFixture::ReceiverMouse("m2", "r4"));
    DevicePageHotplugCallback();
    RefreshDeviceOnline(0);
    DeviceAllInfo r = FoundDeviceList.get().first();
    QCOMPARE(int(r.Online), 1);
    QCOMPARE(r.ReceiverAddress, (QList<quint8>{0x12, 0x34, 0x56}));
    QCOMPARE(DevicePageList.get().first().ReceiverAddress, r.ReceiverAddress);

    // The mouse falls asleep: the receiver is there, the device is not online.
    QVERIFY(HidSim::SetAwake("m2", false));
    RefreshDeviceOnline(0);
    QCOMPARE(int(FoundDeviceList.get().first().Online), 0);

    // An index outside the list refreshes no entry and asks the library nothing.
    QVERIFY(HidSim::SetAwake("m2", true));
    HidSim::ClearCalls();
    for (int index : {1, 5, -1})
        RefreshDeviceOnline(index);
    QCOMPARE(int(HidSim::Calls().size()), 0);
    QCOMPARE(FoundDeviceList.get().size(), 1);
    QCOMPARE(int(FoundDeviceList.get().first().Online), 0);
}

void TestDiscovery::reidentifyReplacesByPath()
{
    m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    HidSim::DeviceSpec second = DeviceLinkFixture::CableMouse("m3");
    m_fixture->add(second);
    HidSim::FailIdentityQueries("m3", 9);
    DevicePageHotplugCallback();
    QCOMPARE(int(FoundDeviceList.get().at(1).DriveIndex), 2);
    // The page's own list lost its first entry (as when receivers are dropped).
    DevicePageList.update([](DeviceList& l) { l.removeFirst(); });
    ReidentifyDevice(1);
    const DeviceAllInfo again = FoundDeviceList.get().at(1);
    QCOMPARE(int(again.DriveIndex), 0);
    QCOMPARE(int(again.Online), 1);
    const DeviceList page = DevicePageList.get();
    QCOMPARE(page.size(), 1);
    QCOMPARE(QString::fromUtf8(page.first().Path), pathOf("m3"));
    QCOMPARE(int(page.first().DriveIndex), 0);
}

void TestDiscovery::noDevice()
{
    FoundDeviceList.set({DeviceAllInfo()});
    int rebuilds = 0;
    SetRebuildDeviceListHook([&rebuilds] { ++rebuilds; });
    DevicePageHotplugCallback();
    SetRebuildDeviceListHook(nullptr);
    QVERIFY(FoundDeviceList.get().isEmpty());
    QVERIFY(DevicePageList.get().isEmpty());
    QCOMPARE(rebuilds, 1);
}

void TestDiscovery::noticesReachGuiThreadCoalesced()
{
    m_fixture->add(DeviceLinkFixture::CableMouse());
    QList<QThread*> ranOn;
    SetRebuildDeviceListHook([&ranOn] { ranOn << QThread::currentThread(); });
    QThread* notifier = QThread::create([] {
        for (int i = 0; i < 5; ++i)
            DevicePageHotplugNotice();
    });
    notifier->start();
    QVERIFY(notifier->wait(5000));
    delete notifier;
    QVERIFY(ranOn.isEmpty()); // nothing runs on the notifier's thread
    QTRY_VERIFY(!ranOn.isEmpty());
    QCoreApplication::processEvents();
    SetRebuildDeviceListHook(nullptr);
    QCOMPARE(ranOn, QList<QThread*>{QThread::currentThread()});
    QCOMPARE(FoundDeviceList.get().size(), 1);

    // On the GUI thread itself the notice is handled at once.
    int rebuilds = 0;
    SetRebuildDeviceListHook([&rebuilds] { ++rebuilds; });
    DevicePageHotplugNotice();
    SetRebuildDeviceListHook(nullptr);
    QCOMPARE(rebuilds, 1);
}

void TestDiscovery::followMouseToCable()
{
    // Drive1 through its 1 kHz receiver; the same mouse then gets its cable.
    HidSim::DeviceSpec receiver = DeviceLinkFixture::Receiver("r1", "0x5111", 1, 0xAA, 0xBB, 0xCC);
    receiver.mid = 1;
    m_fixture->add(receiver);
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse("m1");
    mouse.plugged = false;
    mouse.receiver = "r1";
    m_fixture->add(mouse);
    const QByteArray receiverPath = QByteArray::fromStdString(HidSim::PathOf("r1"));
    DeviceAllInfo chosen = DeviceLinkFixture::InfoFor(receiverPath, 36, 1, 0, 0);
    chosen.ReceiverAddress = {0xAA, 0xBB, 0xCC};
    CurrentDevice.set(chosen);
    CurrentDevicePath.set(PlaceholderDevicePath());
    MainPageActive.store(1);
    auto* worker = new Worker(nullptr);
    WorkerThread.store(worker);

    MainPageHotplugCallback();
    QCOMPARE(CurrentDevicePath.get(), receiverPath); // the enumeration points the path at the device
    QCOMPARE(m_hub->count(QStringLiteral("ChangeMainDialog:0")), 0);

    QVERIFY(HidSim::Plug("m1"));
    MainPageHotplugCallback();

    const QByteArray cablePath = QByteArray::fromStdString(HidSim::PathOf("m1"));
    QCOMPARE(CurrentDevice.get().Path, cablePath);
    QCOMPARE(CurrentDevicePath.get(), cablePath);
    QCOMPARE(int(CurrentDevice.get().Wired), 1);
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished() && !DeviceReloadPending.load(), 15000);
    QCOMPARE(QByteArray::fromStdString(HidSim::Calls("UsbServerC_Start").back().arguments).left(cablePath.size()), cablePath);
}

void TestDiscovery::chosenDeviceGone_data()
{
    QTest::addColumn<bool>("watch");
    QTest::newRow("watching") << true;
    QTest::newRow("upgrade running") << false;
}

void TestDiscovery::chosenDeviceGone()
{
    QFETCH(bool, watch);
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    CurrentDevice.set(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    DeviceWatchEnabled.store(watch ? 1 : 0);
    QVERIFY(HidSim::RemoveDevice("m1"));
    MainPageHotplugCallback();
    QCoreApplication::processEvents();
    QCOMPARE(m_hub->count(QStringLiteral("ChangeMainDialog:0")), watch ? 1 : 0);
    QCOMPARE(CurrentDevice.get().Path.isEmpty(), watch);
}

void TestDiscovery::chosenDeviceStays()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    HidSim::DeviceSpec other = DeviceLinkFixture::CableMouse("other");
    other.mid = 2; // another model: dropped from the worker's list
    m_fixture->add(other);
    CurrentDevice.set(DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    MainPageHotplugCallback();
    QCoreApplication::processEvents();
    QCOMPARE(m_hub->count(QStringLiteral("ChangeMainDialog:0")), 0);
    QCOMPARE(pathsOf(WorkerDeviceList.get()), QStringList{QString::fromUtf8(path)});
    QCOMPARE(m_hub->names().first(), QStringLiteral("Setver:4"));
}

void TestDiscovery::firmwareCheck_data()
{
    QTest::addColumn<bool>("binFolder");
    QTest::addColumn<quint32>("receiverImage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("newer receiver image") << true << quint32(0x0200) << "LabelTextB:v1.0|true";
    QTest::newRow("same versions") << true << quint32(0x0100) << "LabelTextB:v1.0|";
    QTest::newRow("no bin folder") << false << quint32(0) << "LabelTextB:v1.0|";
}

void TestDiscovery::firmwareCheck()
{
    QFETCH(bool, binFolder);
    QFETCH(quint32, receiverImage);
    QFETCH(QString, expected);
    const QString bin = m_fixture->installation().path() + QStringLiteral("/bin");
    QDir(bin).removeRecursively();
    if (binFolder) {
        QDir().mkpath(bin);
        FirmwareImageSpec rx;
        rx.kind = 211;
        rx.cid = 36;
        rx.mid = 1;
        rx.stem = QStringLiteral("VEXO_S1_RX2K");
        rx.version = receiverImage;
        QFile f(bin + QStringLiteral("/rx.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(BuildFirmwareImage(rx));
    }
    // A mouse on its cable with a receiver of connection kind 4 (type 2) beside it.
    HidSim::DeviceSpec receiver = DeviceLinkFixture::Receiver("r2", "0x5121", 2, 1, 2, 3);
    receiver.mid = 1;
    receiver.release = 0x0100;
    m_fixture->add(receiver);
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse();
    mouse.receiver = "r2";
    const QByteArray path = m_fixture->add(mouse);
    DeviceAllInfo chosen = DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0);
    chosen.FirmwareVersionText = QStringLiteral("v1.0");
    CurrentDevice.set(chosen);
    MainPageHotplugCallback();
    QCoreApplication::processEvents();
    QCOMPARE(m_hub->namesStartingWith(QStringLiteral("LabelTextB:")), QStringList{expected});
}

VEXO_TEST_CORE_MAIN(TestDiscovery)
#include "tst_discovery.moc"
