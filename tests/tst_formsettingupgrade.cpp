#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/formsetting.h"
#include "pages/settings/updaterepair.h"
#include "platform/registrystore.h"
#include "tools/firmwarebuilder.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

constexpr int Hour = 3600000;

// What the hub's SigProgress carried, in order, as "value:code".
class ProgressLog : public QObject
{
    Q_OBJECT
public:
    QStringList seen;
    QList<int> bar() const
    {
        QList<int> values;
        for (const QString& s : seen)
            if (s.endsWith(QLatin1String(":0")))
                values << s.section(QLatin1Char(':'), 0, 0).toInt();
        return values;
    }
    QList<bool> repairButton; // SigUpDateButton's argument (false: show the Repair button)
public slots:
    void progress(int value, int code) { seen << QStringLiteral("%1:%2").arg(value).arg(code); }
    void updateButton(bool hide) { repairButton << hide; }
};

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

QString pageText(int position)
{
    return LangText(LangTable::FormSettingTexts, 0, position);
}

// Positions of the page's texts in its language table.
enum TextPosition {
    Wired = 14, NoDevice = 15, SameDevice = 17, VerNew = 18, NoReceiver = 23, NoUsb = 24, Error = 25,
    MultiMouse = 26, MultiDongle = 27
};

// Sample installation: Drive1 a mouse on its cable (MID 1), Drive2 a mouse behind a receiver (MID 2).
FirmwareImageSpec image(int kind, int mid, const QString& stem, quint32 version = 0x0102, int cid = 36)
{
    FirmwareImageSpec s;
    s.kind = kind;
    s.cid = cid;
    s.mid = mid;
    s.stem = stem;
    s.version = version;
    s.bodySize = 256;
    return s;
}

DeviceAllInfo entry(const QString& code)
{
    // M: mouse on its cable (Drive2's MID), M1: of another MID, R: 4 kHz receiver with an address.
    if (code == QLatin1String("R")) {
        DeviceAllInfo d = DeviceLinkFixture::InfoFor("rx-path", 36, 2, 1, 1);
        d.ReceiverAddress = {0x12, 0x34, 0x56};
        d.VersionText = QStringLiteral("v1.0");
        return d;
    }
    return DeviceLinkFixture::InfoFor("mouse-path", 36, code == QLatin1String("M1") ? 1 : 2, 2, 1);
}

} // namespace

class TestFormSettingUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // The machine tick by tick
    void mouseRoad_data();
    void mouseRoad();
    void barSplit_data();
    void barSplit();
    void oneDeviceOrNone_data();
    void oneDeviceOrNone();
    void successLeavesNoRecord();
    void refusedStart();
    void nothingToFlash();
    void receiverWaitingInBootMode_data();
    void receiverWaitingInBootMode();
    void recordKeptForReceiversLeftWaiting();
    void startAfterTheCheck_data();
    void startAfterTheCheck();
    void resumeFailedMouse();
    void receiverThenMouse();
    void oneFlashAtATime_data();
    void oneFlashAtATime();
    void setVerFourWhileFlashing();

    // Labels and the update check
    void setVer_data();
    void setVer();
    void chechIsUpDate_data();
    void chechIsUpDate();
    void updateButton_data();
    void updateButton();

private:
    void makePage();
    void writeImage(const QString& name, const FirmwareImageSpec& spec);
    // The mouse on its cable is the open device (Drive1, v1.0) with an image v1.2 for it.
    void cableMouse();
    // The 4 kHz receiver is the open device (Drive2, v1.0) with an image v1.2 for it.
    void receiverOnly();
    void tick(int kind) { QVERIFY(QMetaObject::invokeMethod(m_page.get(), kind == 210 ? "onMouseCheckTimer" : "onDongleCheckTimer")); }
    void call(const char* slot) { QVERIFY(QMetaObject::invokeMethod(m_page.get(), slot)); }
    void label(int index, const QString& text)
    {
        QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SlotLabelText", Q_ARG(int, index), Q_ARG(QString, text)));
    }
    // Ticks until the flash has been started (second tick), then until the road has ended.
    void runRoad(int kind);
    bool visible(const char* name) const { return TestEnv::NamedChild<QWidget>(m_page.get(), name)->isVisibleTo(m_page.get()); }
    QString warningText() const;
    QString repairText() const;

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<FormSetting> m_page;
    std::unique_ptr<ProgressLog> m_progress;
};

void TestFormSettingUpgrade::initTestCase()
{
    TestEnv::Installation install;
    LoadLanguageFiles();
}

void TestFormSettingUpgrade::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestFormSettingUpgrade::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    // Only the images a test writes (the installation ships some).
    QDir bin(m_fixture->installation().path() + QStringLiteral("/bin"));
    QVERIFY(bin.removeRecursively() || !bin.exists());
    QVERIFY(bin.mkpath(QStringLiteral(".")));
    CurrentLanguage.store(0);
    ReceiverUpdateState.store(0);
    MouseUpdateState.store(0);
    UpgradeImageCount.store(1);
    UpgradeRunning.store(false);
    RepairUpgradeRunning.store(false);
    NewerMouseFirmware.store(false);
    NewerReceiverFirmware.store(false);
    ReceiverType.store(0);
    FirmwareCid.store(0);
    DeviceWatchEnabled.store(1);
    WorkerDeviceList.set({});
    RemoveUpdateFailInfo();
    m_progress = std::make_unique<ProgressLog>();
    PostMsg::Connect(SIGNAL(SigProgress(int,int)), m_progress.get(), SLOT(progress(int,int)));
    PostMsg::Connect(SIGNAL(SigUpDateButton(bool)), m_progress.get(), SLOT(updateButton(bool)));
}

void TestFormSettingUpgrade::cleanup()
{
    m_page.reset();
    m_fixture.reset(); // stops the library: no report outlives the test
    m_progress.reset();
    RemoveUpdateFailInfo();
    UpgradeRunning.store(false);
    WorkerDeviceList.set({});
}

void TestFormSettingUpgrade::makePage()
{
    m_page = std::make_unique<FormSetting>(nullptr);
    // The test ticks by hand; the timers only show whether a road runs.
    ReceiverCheckTimer->setInterval(Hour);
    MouseCheckTimer->setInterval(Hour);
}

void TestFormSettingUpgrade::writeImage(const QString& name, const FirmwareImageSpec& spec)
{
    QVERIFY(TestEnv::WriteFile(m_fixture->installation().path() + QStringLiteral("/bin/") + name, BuildFirmwareImage(spec)));
}

void TestFormSettingUpgrade::cableMouse()
{
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!path.isEmpty());
    DeviceAllInfo info = DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0);
    info.FirmwareVersionText = QStringLiteral("v1.0");
    CurrentDevice.set(info);
    WorkerDeviceList.set({info});
    VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 1, QStringLiteral("VEXO_S1_MOUSE"))));
    VEXO_CHECKED(label(1, QStringLiteral("v1.0")));
}

void TestFormSettingUpgrade::receiverOnly()
{
    HidSim::DeviceSpec spec = DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56);
    spec.firmwareName = "VEXO_P2_RX4K";
    const QByteArray path = m_fixture->add(spec);
    QVERIFY(!path.isEmpty());
    DeviceAllInfo info = DeviceLinkFixture::InfoFor(path, 36, 2, 1, 1);
    info.VersionText = QStringLiteral("v1.0");
    CurrentDevice.set(info);
    WorkerDeviceList.set({info});
    VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), image(211, 2, QStringLiteral("VEXO_P2_RX4K"))));
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
}

void TestFormSettingUpgrade::runRoad(int kind)
{
    std::atomic<int>& state = kind == 210 ? MouseUpdateState : ReceiverUpdateState;
    VEXO_CHECKED(tick(kind));
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
    VEXO_CHECKED(tick(kind));
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1);
    for (int i = 0; i < 2; ++i) // step 2, then step 3 once the result is in
        VEXO_CHECKED(tick(kind));
    QTRY_VERIFY(state.load() != 1);
    VEXO_CHECKED(tick(kind));
    VEXO_CHECKED(tick(kind));
}

QString TestFormSettingUpgrade::warningText() const
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("UpDateWarning") && w->isVisible())
            return w->findChild<QLabel*>(QStringLiteral("label"))->text();
    return QStringLiteral("<hidden>");
}

QString TestFormSettingUpgrade::repairText() const
{
    auto* text = UpDateRepairDialog ? UpDateRepairDialog->findChild<QWidget*>(QStringLiteral("ToolText_2")) : nullptr;
    return text ? text->property("text").toString() : QStringLiteral("<no repair dialog>");
}

// ---- The machine tick by tick ----

void TestFormSettingUpgrade::mouseRoad_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("beforeReturn");
    QTest::addColumn<bool>("scaled");       // time shrunk: a silent flash times out at once
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("logAdded");
    QTest::addColumn<QString>("lastProgress");
    QTest::addColumn<bool>("bootMode");
    QTest::addColumn<int>("version");
    using O = HidSim::FlashOutcome;
    QTest::newRow("success") << int(O::Success) << 0 << false << false << 2 << "" << 0 << "0:2" << false << 0x0102;
    QTest::newRow("result before the start returns")
        << int(O::Success) << 0 << true << false << 2 << "" << 0 << "0:2" << false << 0x0102;
    QTest::newRow("failure at 30 %")
        << int(O::FailAt) << 30 << false << false << 3 << "210,0,36,1" << 8 << "0:1" << true << 0x0100;
    QTest::newRow("unplugged at 30 %")
        << int(O::UnplugAt) << 30 << false << false << 3 << "210,0,36,1" << 8 << "0:1" << true << 0x0100;
    QTest::newRow("silence") << int(O::Silence) << 0 << false << true << 3 << "210,0,36,1" << 8 << "0:1" << true << 0x0100;
}

void TestFormSettingUpgrade::mouseRoad()
{
    QFETCH(int, outcome);
    QFETCH(int, percent);
    QFETCH(bool, beforeReturn);
    QFETCH(bool, scaled);
    QFETCH(int, state);
    QFETCH(QString, record);
    QFETCH(int, logAdded);
    QFETCH(QString, lastProgress);
    QFETCH(bool, bootMode);
    QFETCH(int, version);
    std::unique_ptr<TestEnv::TimeScale> scale;
    if (scaled)
        scale = std::make_unique<TestEnv::TimeScale>(0.001);
    makePage();
    VEXO_CHECKED(cableMouse());
    HidSim::ScriptFlash(HidSim::FlashOutcome(outcome), percent, beforeReturn);
    const int lines = logLines();
    HidSim::ClearCalls();

    m_page->on_Mouse_clicked();
    QVERIFY(MouseCheckTimer->isActive());
    QVERIFY(UpgradeRunning.load());
    QCOMPARE(DeviceWatchEnabled.load(), quint8(0));
    VEXO_CHECKED(runRoad(210));

    QCOMPARE(MouseUpdateState.load(), state);
    QCOMPARE(::record(), record);
    QCOMPARE(logLines() - lines, logAdded);
    QTRY_VERIFY(!m_progress->seen.isEmpty() && m_progress->seen.last() == lastProgress);
    QTRY_COMPARE(HidSim::InBootMode("m1"), bootMode);
    QCOMPARE(HidSim::FirmwareVersion("m1"), version);
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("1")), state == 2 ? QStringLiteral("v1.2") : QString());
    if (state == 2)
        QTRY_COMPARE(TestEnv::NamedChild<QLabel>(m_page.get(), "label_7")->text(), QStringLiteral("v1.2"));
    QVERIFY(!MouseCheckTimer->isActive());
    QVERIFY(!ReceiverCheckTimer->isActive());
    QVERIFY(!UpgradeRunning.load());
    QCOMPARE(DeviceWatchEnabled.load(), quint8(1));
    QVERIFY(!NewerMouseFirmware.load());
    // The choice page keeps its Repair button exactly while a record remains.
    QCOMPARE(m_progress->repairButton, record.isEmpty() ? QList<bool>() : QList<bool>{false});
    // The bar only went up.
    const QList<int> bar = m_progress->bar();
    for (int i = 1; i < bar.size(); ++i)
        QVERIFY(bar.at(i) >= bar.at(i - 1));
}

void TestFormSettingUpgrade::barSplit_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("top");
    QTest::newRow("receiver alone") << 211 << 1 << 40;
    QTest::newRow("receiver of two") << 211 << 2 << 20;
    QTest::newRow("mouse alone") << 210 << 1 << 40;
    QTest::newRow("mouse of two") << 210 << 2 << 70;
}

void TestFormSettingUpgrade::barSplit()
{
    QFETCH(int, kind);
    QFETCH(int, images);
    QFETCH(int, top);
    makePage();
    if (kind == 210)
        VEXO_CHECKED(cableMouse());
    else
        VEXO_CHECKED(receiverOnly());
    UpgradeImageCount.store(images);
    HidSim::ScriptFlash(HidSim::FlashOutcome::FailAt, 40);
    HidSim::ClearCalls();
    if (kind == 210)
        m_page->on_Mouse_clicked();
    else
        m_page->on_Receive_clicked();
    VEXO_CHECKED(runRoad(kind));
    QTRY_VERIFY(m_progress->seen.contains(QStringLiteral("0:1")));
    const QList<int> bar = m_progress->bar();
    QVERIFY(!bar.isEmpty());
    QCOMPARE(bar.last(), top);
    QCOMPARE(*std::max_element(bar.begin(), bar.end()), top);
    QCOMPARE(::record(), kind == 210 ? QStringLiteral("210,0,36,1") : QStringLiteral("211,4,36,2"));
}

void TestFormSettingUpgrade::oneDeviceOrNone_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("chained");
    QTest::addColumn<QString>("warningButton"); // shown instead of a message ("": none)
    QTest::addColumn<int>("message");           // text position, -1: no message box
    QTest::addColumn<int>("language");
    QTest::newRow("no mouse, started") << 210 << QStringList() << false << "toolButton_3" << -1 << 0;
    QTest::newRow("no mouse, chained") << 210 << QStringList() << true << "" << int(Wired) << 0;
    QTest::newRow("two mice, chained") << 210 << QStringList{"M", "M"} << true << "" << int(SameDevice) << 0;
    QTest::newRow("two mice, chained, language 1") << 210 << QStringList{"M", "M"} << true << "" << int(SameDevice) << 1;
    QTest::newRow("no receiver, started") << 211 << QStringList() << false << "toolButton_2" << -1 << 0;
    QTest::newRow("no receiver, chained") << 211 << QStringList() << true << "" << int(NoDevice) << 0;
    QTest::newRow("no receiver, chained, language 1") << 211 << QStringList() << true << "" << int(NoDevice) << 1;
}

void TestFormSettingUpgrade::oneDeviceOrNone()
{
    QFETCH(int, kind);
    QFETCH(QStringList, entries);
    QFETCH(bool, chained);
    QFETCH(QString, warningButton);
    QFETCH(int, message);
    QFETCH(int, language);
    CurrentLanguage.store(language);
    makePage();
    // A receiver's mouse is open (Drive2); the list is the test's.
    CurrentDevice.set(entry(QStringLiteral("R")));
    DeviceList list;
    for (const QString& code : entries)
        list << entry(code);
    WorkerDeviceList.set(list);
    VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), image(211, 2, QStringLiteral("VEXO_P2_RX4K"))));
    HidSim::ClearCalls();
    if (chained) {
        // The continuation after the other road starts this one.
        (kind == 210 ? NewerMouseFirmware : NewerReceiverFirmware).store(true);
        (kind == 210 ? ReceiverUpdateState : MouseUpdateState).store(4);
        QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SlotContinue", Q_ARG(int, 0)));
    } else {
        if (kind == 210)
            m_page->on_Mouse_clicked();
        else
            m_page->on_Receive_clicked();
    }
    QVERIFY((kind == 210 ? MouseCheckTimer : ReceiverCheckTimer)->isActive());
    VEXO_CHECKED(tick(kind));
    VEXO_CHECKED(tick(kind));
    QCOMPARE((kind == 210 ? MouseUpdateState : ReceiverUpdateState).load(), 0);
    QCOMPARE(warningText(), message < 0 ? QStringLiteral("<hidden>") : LangText(LangTable::FormSettingTexts, language, message));
    if (message >= 0)
        QVERIFY(warningText() != LangText(LangTable::FormSettingTexts, 1 - language, message));
    for (const char* button : {"toolButton_2", "toolButton_3"})
        QCOMPARE(visible(button), warningButton == QLatin1String(button));
    VEXO_CHECKED(tick(kind));
    QVERIFY(!ReceiverCheckTimer->isActive());
    QVERIFY(!MouseCheckTimer->isActive());
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
    QVERIFY(!UpgradeRunning.load());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("UpDateWarning"))
            w->hide();
}

void TestFormSettingUpgrade::nothingToFlash()
{
    makePage();
    VEXO_CHECKED(cableMouse());
    VEXO_CHECKED(label(1, QStringLiteral("v1.2"))); // the image's own version
    HidSim::ClearCalls();
    m_page->on_Mouse_clicked();
    VEXO_CHECKED(tick(210));
    VEXO_CHECKED(tick(210));
    QCOMPARE(MouseUpdateState.load(), 4);
    auto* button = TestEnv::NamedChild<QToolButton>(m_page.get(), "Receive_2");
    QCOMPARE(button->text(), pageText(VerNew));
    QVERIFY(button->styleSheet().contains(QLatin1String("Confirm.png")));
    VEXO_CHECKED(tick(210));
    QVERIFY(!MouseCheckTimer->isActive());
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
    // No road follows: the repair dialog says why nothing was flashed.
    QCOMPARE(repairText(), pageText(VerNew));

    // Up to date: a new start does nothing until SetVer(4).
    m_page->on_Mouse_clicked();
    QVERIFY(!MouseCheckTimer->isActive());
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SetVer", Q_ARG(int, 4)));
    m_page->on_Mouse_clicked();
    QVERIFY(MouseCheckTimer->isActive());
}

void TestFormSettingUpgrade::successLeavesNoRecord()
{
    // The flashed mouse restarts off the bus after its success; the road's end may see it so.
    makePage();
    VEXO_CHECKED(cableMouse());
    m_page->on_Mouse_clicked();
    for (int i = 0; i < 4; ++i)
        VEXO_CHECKED(tick(210));
    QTRY_COMPARE(MouseUpdateState.load(), 2);
    VEXO_CHECKED(tick(210));
    QTRY_VERIFY(!HidSim::InBootMode("m1"));
    QVERIFY(HidSim::SetBootMode("m1", true));
    VEXO_CHECKED(tick(210));
    QVERIFY(!MouseCheckTimer->isActive());
    QCOMPARE(::record(), QString());
    QVERIFY(m_progress->repairButton.isEmpty());
}

void TestFormSettingUpgrade::refusedStart()
{
    makePage();
    VEXO_CHECKED(cableMouse());
    NewerMouseFirmware.store(true);
    NewerReceiverFirmware.store(true);
    HidSim::ScriptFlash(HidSim::FlashOutcome::Refuse);
    const int lines = logLines();
    m_page->on_Mouse_clicked();
    VEXO_CHECKED(tick(210));
    VEXO_CHECKED(tick(210));
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1);
    QCOMPARE(MouseUpdateState.load(), 3);
    QVERIFY(!NewerMouseFirmware.load() && !NewerReceiverFirmware.load());
    QTRY_COMPARE(m_progress->seen, QStringList{"0:1"});
    // Over at the next tick, with nothing logged and no record.
    VEXO_CHECKED(tick(210));
    QVERIFY(!MouseCheckTimer->isActive());
    QVERIFY(!UpgradeRunning.load());
    QCOMPARE(logLines(), lines);
    QCOMPARE(::record(), QString());
    QVERIFY(!HidSim::InBootMode("m1"));
}

void TestFormSettingUpgrade::receiverWaitingInBootMode_data()
{
    QTest::addColumn<bool>("imageKept");
    QTest::newRow("flashed whatever the rescan says") << true;
    QTest::newRow("image gone before the start") << false;
}

void TestFormSettingUpgrade::receiverWaitingInBootMode()
{
    QFETCH(bool, imageKept);
    makePage();
    VEXO_CHECKED(receiverOnly());
    QVERIFY(HidSim::SetBootMode("r4", true));
    WorkerDeviceList.set({}); // off the bus while it waits
    // Shown version equal to the image's: only the boot-mode case still flashes it.
    VEXO_CHECKED(label(0, QStringLiteral("v1.2")));
    HidSim::ClearCalls();
    m_page->on_Receive_clicked();
    VEXO_CHECKED(tick(211));
    QCOMPARE(HidSim::CallCount("UsbUpgradeC_FindBootDevices"), 1);
    if (!imageKept) {
        QVERIFY(QFile::remove(m_fixture->installation().path() + QStringLiteral("/bin/rx.bin")));
        VEXO_CHECKED(tick(211));
        QCOMPARE(ReceiverUpdateState.load(), 4);
        VEXO_CHECKED(tick(211));
        QVERIFY(!ReceiverCheckTimer->isActive());
        QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
        return;
    }
    VEXO_CHECKED(tick(211));
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1);
    VEXO_CHECKED(tick(211));
    VEXO_CHECKED(tick(211));
    QTRY_VERIFY(ReceiverUpdateState.load() != 1);
    VEXO_CHECKED(tick(211));
    VEXO_CHECKED(tick(211));
    QCOMPARE(ReceiverUpdateState.load(), 2);
    QTRY_VERIFY(!HidSim::InBootMode("r4"));
    QCOMPARE(HidSim::FirmwareVersion("r4"), 0x0102);
    QCOMPARE(::record(), QString());
    QTRY_COMPARE(TestEnv::NamedChild<QLabel>(m_page.get(), "label_5")->text(), QStringLiteral("v1.2"));
}

void TestFormSettingUpgrade::recordKeptForReceiversLeftWaiting()
{
    // Two receivers wait for the same image: no unique device, and the road leaves a record.
    makePage();
    VEXO_CHECKED(receiverOnly());
    HidSim::DeviceSpec second = DeviceLinkFixture::Receiver("r4b", "0x5141", 4, 0x21, 0x43, 0x65);
    second.firmwareName = "VEXO_P2_RX4K";
    QVERIFY(!m_fixture->add(second).isEmpty());
    QVERIFY(HidSim::SetBootMode("r4", true));
    QVERIFY(HidSim::SetBootMode("r4b", true));
    WorkerDeviceList.set({});
    m_page->on_Receive_clicked();
    VEXO_CHECKED(tick(211));
    VEXO_CHECKED(tick(211));
    QCOMPARE(ReceiverUpdateState.load(), 0);
    QVERIFY(visible("toolButton_2"));
    VEXO_CHECKED(tick(211));
    QVERIFY(!ReceiverCheckTimer->isActive());
    QCOMPARE(::record(), QStringLiteral("211,4,36,2"));
    QTRY_COMPARE(m_progress->repairButton, QList<bool>{false});
}

void TestFormSettingUpgrade::startAfterTheCheck_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<QString>("road"); // "receiver", "mouse", "": none
    QTest::newRow("both images") << QStringList{"M", "R"} << "" << QStringList{"rx", "mouse"} << "receiver";
    QTest::newRow("nothing newer") << QStringList{"M", "R"} << "" << QStringList() << "";
    QTest::newRow("mouse resumed") << QStringList{"R"} << "210,4,36,2" << QStringList{"mouse"} << "mouse";
}

void TestFormSettingUpgrade::startAfterTheCheck()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, record);
    QFETCH(QStringList, images);
    QFETCH(QString, road);
    makePage();
    CurrentDevice.set(entry(QStringLiteral("R")));
    DeviceList list;
    for (const QString& code : entries)
        list << entry(code);
    WorkerDeviceList.set(list);
    if (images.contains(QLatin1String("rx")))
        VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), image(211, 2, QStringLiteral("VEXO_P2_RX4K"))));
    if (images.contains(QLatin1String("mouse")))
        VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse("mb");
    mouse.mid = 2;
    mouse.firmwareName = "VEXO_P2_MOUSE";
    QVERIFY(!m_fixture->add(mouse).isEmpty());
    QVERIFY(HidSim::SetBootMode("mb", true));
    setRecord(record);
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
    VEXO_CHECKED(label(1, QStringLiteral("v1.0")));
    bool offered = false;
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ChechIsUpDate", Q_RETURN_ARG(bool, offered)));
    QCOMPARE(offered, !road.isEmpty());
    auto* button = TestEnv::NamedChild<QToolButton>(m_page.get(), "Receive_2");
    button->setStyleSheet(QString());

    VEXO_CHECKED(call("on_Start"));
    QCOMPARE(ReceiverCheckTimer->isActive(), road == QLatin1String("receiver"));
    QCOMPARE(MouseCheckTimer->isActive(), road == QLatin1String("mouse"));
    if (road.isEmpty())
        QVERIFY(button->styleSheet().contains(QLatin1String("Confirm.png")));
}

void TestFormSettingUpgrade::receiverThenMouse()
{
    // A cable mouse of Drive2 listed with its receiver: both get their image, the bar is split.
    makePage();
    HidSim::DeviceSpec rx = DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56);
    rx.firmwareName = "VEXO_P2_RX4K";
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse("m2");
    mouse.mid = 2;
    mouse.firmwareName = "VEXO_P2_MOUSE";
    mouse.receiver = "r4";
    const QByteArray rxPath = m_fixture->add(rx);
    const QByteArray mousePath = m_fixture->add(mouse);
    QVERIFY(!rxPath.isEmpty() && !mousePath.isEmpty());
    DeviceAllInfo rxInfo = DeviceLinkFixture::InfoFor(rxPath, 36, 2, 1, 1);
    rxInfo.ReceiverAddress = {0x12, 0x34, 0x56};
    DeviceAllInfo mouseInfo = DeviceLinkFixture::InfoFor(mousePath, 36, 2, 2, 1);
    CurrentDevice.set(mouseInfo);
    WorkerDeviceList.set({mouseInfo, rxInfo});
    VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), image(211, 2, QStringLiteral("VEXO_P2_RX4K"))));
    VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
    VEXO_CHECKED(label(1, QStringLiteral("v1.0")));

    bool offered = false;
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ChechIsUpDate", Q_RETURN_ARG(bool, offered)));
    QVERIFY(offered);
    QCOMPARE(UpgradeImageCount.load(), 2);
    HidSim::ClearCalls();
    VEXO_CHECKED(call("on_Start"));
    QVERIFY(ReceiverCheckTimer->isActive());
    VEXO_CHECKED(runRoad(211));
    QCOMPARE(ReceiverUpdateState.load(), 2);
    // The receiver's end started the mouse road.
    QVERIFY(MouseCheckTimer->isActive());
    QVERIFY(!m_progress->seen.contains(QStringLiteral("0:2")));
    HidSim::ClearCalls();
    VEXO_CHECKED(runRoad(210));
    QCOMPARE(MouseUpdateState.load(), 2);
    QTRY_COMPARE(m_progress->seen.last(), QStringLiteral("0:2"));
    QCOMPARE(m_progress->seen.count(QStringLiteral("0:2")), 1);
    const QList<int> bar = m_progress->bar();
    QCOMPARE(bar.first(), 0);
    QCOMPARE(bar.last(), 100);
    QVERIFY(bar.contains(50));
    QCOMPARE(HidSim::FirmwareVersion("r4"), 0x0102);
    QCOMPARE(HidSim::FirmwareVersion("m2"), 0x0102);
    QVERIFY(!MouseCheckTimer->isActive());
    QCOMPARE(::record(), QString());
}

void TestFormSettingUpgrade::resumeFailedMouse()
{
    // The receiver is listed; the mouse whose flash failed waits in boot mode on its cable.
    makePage();
    CurrentDevice.set(entry(QStringLiteral("R")));
    WorkerDeviceList.set({entry(QStringLiteral("R"))});
    VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse("mb");
    mouse.mid = 2;
    mouse.firmwareName = "VEXO_P2_MOUSE";
    QVERIFY(!m_fixture->add(mouse).isEmpty());
    QVERIFY(HidSim::SetBootMode("mb", true));
    setRecord(QStringLiteral("210,4,36,2"));
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
    VEXO_CHECKED(label(1, QString()));
    bool offered = false;
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ChechIsUpDate", Q_RETURN_ARG(bool, offered)));
    QVERIFY(offered);
    HidSim::ClearCalls();
    VEXO_CHECKED(call("on_Start"));
    QVERIFY(MouseCheckTimer->isActive());
    VEXO_CHECKED(runRoad(210));
    QCOMPARE(MouseUpdateState.load(), 2);
    QTRY_VERIFY(!HidSim::InBootMode("mb")); // back on the bus once restarted
    QCOMPARE(HidSim::FirmwareVersion("mb"), 0x0102);
    QCOMPARE(::record(), QString());
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("2")), QStringLiteral("v1.2"));
    QVERIFY(m_progress->repairButton.isEmpty());
}

void TestFormSettingUpgrade::oneFlashAtATime_data()
{
    QTest::addColumn<QString>("busy");
    QTest::newRow("mouse flashing") << "mouse";
    QTest::newRow("receiver road between ticks") << "receiver";
    QTest::newRow("repair dialog flashing") << "dialog";
}

void TestFormSettingUpgrade::oneFlashAtATime()
{
    QFETCH(QString, busy);
    makePage();
    if (busy == QLatin1String("mouse")) {
        VEXO_CHECKED(cableMouse());
        HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
        m_page->on_Mouse_clicked();
        VEXO_CHECKED(tick(210));
        VEXO_CHECKED(tick(210));
        QCOMPARE(MouseUpdateState.load(), 1);
    } else if (busy == QLatin1String("receiver")) {
        VEXO_CHECKED(receiverOnly());
        m_page->on_Receive_clicked();
        VEXO_CHECKED(tick(211));
    } else {
        VEXO_CHECKED(receiverOnly());
        RepairUpgradeRunning.store(true);
    }
    HidSim::ClearCalls();
    VEXO_CHECKED(call("on_Start"));
    VEXO_CHECKED(call("on_Receive_2_clicked"));
    QVERIFY(UpDateRepairDialog && !UpDateRepairDialog->isVisible());
    if (busy == QLatin1String("receiver")) {
        // The road goes on where it was: the next tick starts the flash.
        VEXO_CHECKED(tick(211));
        QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1);
    } else {
        QCOMPARE(ReceiverCheckTimer->isActive(), false);
        QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
    }
    RepairUpgradeRunning.store(false);
}

void TestFormSettingUpgrade::setVerFourWhileFlashing()
{
    makePage();
    VEXO_CHECKED(cableMouse());
    HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
    m_page->on_Mouse_clicked();
    VEXO_CHECKED(tick(210));
    VEXO_CHECKED(tick(210));
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SetVer", Q_ARG(int, 4)));
    // The mouse road still counts as running: no receiver road starts beside it.
    m_page->on_Receive_clicked();
    QVERIFY(!ReceiverCheckTimer->isActive());
    QVERIFY(MouseCheckTimer->isActive());
}

// ---- Labels and the update check ----

void TestFormSettingUpgrade::setVer_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("listed");      // a cable mouse listed with its receiver (else the receiver's mouse)
    QTest::addColumn<bool>("mouseImage");  // an image of another version for the mouse
    QTest::addColumn<QString>("receiverLabel");
    QTest::addColumn<QString>("mouseLabel");
    QTest::addColumn<QString>("warnings"); // visible warning buttons: "23", "2", "3", ""
    QTest::addColumn<QString>("caption");  // "ReceiveText", "VerNewText"
    QTest::addColumn<QString>("style");    // picture in the update button's style ("": unchanged)
    QTest::newRow("0 receiver's mouse") << 0 << true << false << false << "v1.1" << "v2.3" << "23" << "VerNewText" << "Confirm.png";
    QTest::newRow("0 update available") << 0 << true << false << true << "v1.1" << "v2.3" << "23" << "VerNewText" << "WaitUpdate.png";
    QTest::newRow("0 offline") << 0 << false << false << true << "v1.1" << "" << "23" << "VerNewText" << "Confirm.png";
    QTest::newRow("0 listed receiver") << 0 << true << true << false << "v3.4" << "v2.3" << "23" << "VerNewText" << "Confirm.png";
    QTest::newRow("1") << 1 << true << false << false << "old5" << "old7" << "3" << "VerNewText" << "";
    QTest::newRow("2") << 2 << true << false << false << "old5" << "old7" << "2" << "VerNewText" << "";
    QTest::newRow("3") << 3 << true << false << false << "old5" << "old7" << "23" << "ReceiveText" << "";
    QTest::newRow("4") << 4 << true << false << false << "old5" << "old7" << "" << "ReceiveText" << "";
    QTest::newRow("5") << 5 << true << false << true << "v1.1" << "v2.3" << "" << "ReceiveText" << "";
    QTest::newRow("6") << 6 << true << false << false << "" << "" << "23" << "VerNewText" << "";
    QTest::newRow("7") << 7 << true << false << false << "old5" << "old7" << "23" << "VerNewText" << "";
}

void TestFormSettingUpgrade::setVer()
{
    QFETCH(int, index);
    QFETCH(bool, online);
    QFETCH(bool, listed);
    QFETCH(bool, mouseImage);
    QFETCH(QString, receiverLabel);
    QFETCH(QString, mouseLabel);
    QFETCH(QString, warnings);
    QFETCH(QString, caption);
    QFETCH(QString, style);
    makePage();
    DeviceAllInfo current = entry(QStringLiteral("R"));
    current.Online = online ? 1 : 0;
    current.VersionText = QStringLiteral("v1.1");
    current.FirmwareVersionText = QStringLiteral("v2.3");
    if (listed) {
        DeviceAllInfo mouse = entry(QStringLiteral("M"));
        mouse.FirmwareVersionText = QStringLiteral("v2.3");
        DeviceAllInfo rx = entry(QStringLiteral("R"));
        rx.VersionText = QStringLiteral("v3.4");
        current = mouse;
        WorkerDeviceList.set({mouse, rx});
    }
    // The label slot writes into the open device's record: labels first.
    VEXO_CHECKED(label(0, QStringLiteral("old5")));
    VEXO_CHECKED(label(1, QStringLiteral("old7")));
    CurrentDevice.set(current);
    if (mouseImage)
        VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    auto* button = TestEnv::NamedChild<QToolButton>(m_page.get(), "Receive_2");
    button->setStyleSheet(QString());
    VEXO_CHECKED(call("SetVerText"));
    for (const char* name : {"toolButton_2", "toolButton_3"})
        TestEnv::NamedChild<QWidget>(m_page.get(), name)->show();

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SetVer", Q_ARG(int, index)));
    QCOMPARE(TestEnv::NamedChild<QLabel>(m_page.get(), "label_5")->text(), receiverLabel);
    QCOMPARE(TestEnv::NamedChild<QLabel>(m_page.get(), "label_7")->text(), mouseLabel);
    QCOMPARE(visible("toolButton_2"), warnings.contains(QLatin1Char('2')));
    QCOMPARE(visible("toolButton_3"), warnings.contains(QLatin1Char('3')));
    QCOMPARE(button->text(), pageText(caption == QLatin1String("VerNewText") ? VerNew : 7));
    if (style.isEmpty())
        QCOMPARE(button->styleSheet(), QString());
    else
        QVERIFY2(button->styleSheet().contains(style), qPrintable(button->styleSheet()));
    if (index == 0)
        QCOMPARE(NewerMouseFirmware.load(), mouseImage && online);
}

void TestFormSettingUpgrade::chechIsUpDate_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("images");   // "rx", "mouse"
    QTest::addColumn<bool>("mouseWaits");      // a Drive2 mouse waits in boot mode on its cable
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("notice");           // text position, -1: none
    QTest::addColumn<int>("imageCount");       // -1: not looked at
    QTest::addColumn<int>("bootQueries");      // UsbUpgradeC_FindBootDevices calls
    const QStringList none;
    const QStringList both{"rx", "mouse"};
    QTest::newRow("no entry") << none << "" << both << false << false << int(Error) << -1 << 0;
    QTest::newRow("two receivers") << QStringList{"R", "R"} << "" << both << false << false << int(NoUsb) << -1 << 0;
    QTest::newRow("MIDs differ") << QStringList{"M1", "R"} << "" << both << false << false << int(NoReceiver) << -1 << 0;
    QTest::newRow("no receiver listed") << QStringList{"M", "M"} << "" << both << false << false << int(NoReceiver) << -1 << 0;
    QTest::newRow("no image") << QStringList{"M", "R"} << "" << none << false << false << int(VerNew) << -1 << 0;
    QTest::newRow("both images") << QStringList{"M", "R"} << "" << both << false << true << -1 << 2 << 0;
    QTest::newRow("mouse image") << QStringList{"M", "R"} << "" << QStringList{"mouse"} << false << true << -1 << 1 << 0;
    QTest::newRow("three, two mice") << QStringList{"M", "M", "R"} << "" << both << false << false << int(MultiMouse) << -1 << 0;
    QTest::newRow("three, two receivers") << QStringList{"M", "R", "R"} << "" << both << false << false << int(MultiDongle) << -1 << 0;
    QTest::newRow("mouse, no record") << QStringList{"M"} << "" << both << false << false << int(NoReceiver) << -1 << 0;
    QTest::newRow("receiver, no record") << QStringList{"R"} << "" << both << false << false << int(NoUsb) << -1 << 0;
    QTest::newRow("three-part record") << QStringList{"R"} << "210,4,36" << both << true << false << int(NoUsb) << -1 << 0;
    QTest::newRow("mouse resumed") << QStringList{"R"} << "210,4,36,2" << QStringList{"mouse"} << true << true << -1 << 1 << 1;
    QTest::newRow("mouse resumed, receiver too") << QStringList{"R"} << "210,4,36,2" << both << true << true << -1 << 2 << 1;
    QTest::newRow("CID as a byte") << QStringList{"R"} << "210,4,292,2" << both << true << true << -1 << 2 << 1;
    QTest::newRow("no image for the failed mouse") << QStringList{"R"} << "210,4,36,2" << QStringList{"rx"} << true << false << int(Error) << -1 << 0;
    QTest::newRow("mouse not waiting") << QStringList{"R"} << "210,4,36,2" << both << false << false << int(NoDevice) << -1 << 1;
    QTest::newRow("receiver record, receiver listed") << QStringList{"R"} << "211,4,36,2" << both << false << false << int(NoUsb) << -1 << 0;
    QTest::newRow("receiver record, other MID") << QStringList{"M"} << "211,4,36,3" << both << false << false << int(NoUsb) << -1 << 0;
    QTest::newRow("mouse record, mouse listed") << QStringList{"M"} << "210,4,36,2" << both << true << false << int(NoReceiver) << -1 << 0;
    QTest::newRow("other MID") << QStringList{"R"} << "210,4,36,3" << both << true << false << int(NoReceiver) << -1 << 0;
    QTest::newRow("other CID") << QStringList{"R"} << "210,4,37,2" << both << true << false << int(Error) << -1 << 0;
    QTest::newRow("unknown kind") << QStringList{"R"} << "5,4,36,2" << both << true << false << int(Error) << -1 << 0;
}

void TestFormSettingUpgrade::chechIsUpDate()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, record);
    QFETCH(QStringList, images);
    QFETCH(bool, mouseWaits);
    QFETCH(bool, answer);
    QFETCH(int, notice);
    QFETCH(int, imageCount);
    QFETCH(int, bootQueries);
    makePage();
    CurrentDevice.set(entry(QStringLiteral("R")));
    DeviceList list;
    for (const QString& code : entries)
        list << entry(code);
    WorkerDeviceList.set(list);
    if (images.contains(QLatin1String("rx")))
        VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), image(211, 2, QStringLiteral("VEXO_P2_RX4K"))));
    if (images.contains(QLatin1String("mouse")))
        VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    if (mouseWaits) {
        HidSim::DeviceSpec mouse = DeviceLinkFixture::CableMouse("mb");
        mouse.mid = 2;
        mouse.firmwareName = "VEXO_P2_MOUSE";
        QVERIFY(!m_fixture->add(mouse).isEmpty());
        QVERIFY(HidSim::SetBootMode("mb", true));
    }
    setRecord(record);
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
    VEXO_CHECKED(label(1, QStringLiteral("v1.0")));
    UpgradeImageCount.store(-1);
    HidSim::ClearCalls();

    bool offered = !answer;
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ChechIsUpDate", Q_RETURN_ARG(bool, offered)));
    QCOMPARE(offered, answer);
    QCOMPARE(FirmwareCid.load(), 36);
    if (imageCount >= 0)
        QCOMPARE(UpgradeImageCount.load(), imageCount);
    QCOMPARE(HidSim::CallCount("UsbUpgradeC_FindBootDevices"), bootQueries);
    QCOMPARE(::record(), record); // a check changes no record
    if (notice >= 0) {
        QCOMPARE(repairText(), pageText(notice));
    }
}

void TestFormSettingUpgrade::updateButton_data()
{
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<bool>("upToDateCaption"); // the button already says the firmware is current
    QTest::addColumn<bool>("dialogShown");
    QTest::addColumn<bool>("captionAfter");    // VerNewText afterwards
    QTest::newRow("offer") << QStringList{"mouse"} << false << true << false;
    QTest::newRow("nothing newer") << QStringList() << false << false << true;
    QTest::newRow("already current") << QStringList{"mouse"} << true << false << true;
}

void TestFormSettingUpgrade::updateButton()
{
    QFETCH(QStringList, images);
    QFETCH(bool, upToDateCaption);
    QFETCH(bool, dialogShown);
    QFETCH(bool, captionAfter);
    makePage();
    CurrentDevice.set(entry(QStringLiteral("M")));
    WorkerDeviceList.set({entry(QStringLiteral("M")), entry(QStringLiteral("R"))});
    if (images.contains(QLatin1String("mouse")))
        VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), image(210, 2, QStringLiteral("VEXO_P2_MOUSE"))));
    VEXO_CHECKED(label(0, QStringLiteral("v1.0")));
    VEXO_CHECKED(label(1, QStringLiteral("v1.0")));
    if (upToDateCaption)
        VEXO_CHECKED(call("SetVerText"));
    HidSim::ClearCalls();
    VEXO_CHECKED(call("on_Receive_2_clicked"));
    QCOMPARE(UpDateRepairDialog->isVisible(), dialogShown);
    QVERIFY(!dialogShown || UpDateRepairDialog->isModal());
    QCOMPARE(TestEnv::NamedChild<QToolButton>(m_page.get(), "Receive_2")->text() == pageText(VerNew), captionAfter);
    UpDateRepairDialog->hide();
}

VEXO_TEST_MAIN(TestFormSettingUpgrade)
#include "tst_formsettingupgrade.moc"
