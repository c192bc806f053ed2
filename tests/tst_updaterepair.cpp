#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/updaterepair.h"
#include "tools/firmwarebuilder.h"
#include "platform/registrystore.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "shell/dialogchange.h"
#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <optional>

#include <memory>

namespace {

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
    return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
}

QString autoText(int position)
{
    return LangText(LangTable::AutoRepairTexts, 0, position);
}

QString progressText(int position)
{
    return LangText(LangTable::ProgressTexts, 0, position);
}

QString confirmText()
{
    return LangText(LangTable::DialogChangeTexts, 0, 4);
}

// What a dialog shows, read from its widgets.
struct Shown {
    explicit Shown(const UpDateRepair& d)
        : text(d.findChild<QLabel*>(QStringLiteral("ToolText_2")))
        , upgrade(d.findChild<QToolButton*>(QStringLiteral("NewHong_2")))
        , cancel(d.findChild<QToolButton*>(QStringLiteral("NewHong")))
        , close(d.findChild<QToolButton*>(QStringLiteral("CloseButton")))
        , bar(d.findChild<QProgressBar*>(QStringLiteral("progressBar_2")))
    {
    }
    // The end view: cancel and close usable again. A road that ends on the library's thread
    // reaches the dialog as queued hub signals, the text first, then the choice page's Repair
    // button, and this view last: once it shows, the whole end has arrived.
    bool ended() const { return !cancel->isHidden() && cancel->isEnabled() && close->isEnabled(); }
    QLabel* text;
    QToolButton* upgrade;
    QToolButton* cancel;
    QToolButton* close;
    QProgressBar* bar;
};

// The default scenario's drive 1: mouse on its cable (MID 1) and its 1 kHz receiver.
const char* const Mouse = "drive1-mouse";
const char* const Rx = "drive1-receiver";

} // namespace

class TestUpDateRepair : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void checkUpgradeResume_data();
    void checkUpgradeResume();
    void upgrade_data();
    void upgrade();
    void receiverCutOff_data();
    void receiverCutOff();
    void closeWhileFlashing();
    void autoRepair_data();
    void autoRepair();
    void viewTexts_data();
    void viewTexts();

private:
    void removeImage(const QString& name);
    std::unique_ptr<DeviceLinkFixture> m_fixture;
};

void TestUpDateRepair::initTestCase()
{
    const TestEnv::Installation install;
    LoadLanguageFiles();
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::AutoRepairTexts) >= 2);
    // Every text the views are told apart by is there, and none equals another.
    QVERIFY(!autoText(12).isEmpty() && !confirmText().isEmpty() && autoText(4) != confirmText());
}

void TestUpDateRepair::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    HidSim::Reset(HidSim::Start::Default);
    CurrentLanguage = 0;
    // The roads here flash Drive1's mouse and Drive2's receiver: they get images newer than the
    // sample devices (the sample ships both current).
    struct Newer {
        const char* file;
        const char* replaces;
        int kind;
        int mid;
        const char* stem;
        quint32 version;
    };
    const Newer newer[] = {
        {"VEXO_S1_MOUSE_v1.2.bin", "VEXO_S1_MOUSE_v1.0.bin", 210, 1, "VEXO_S1_MOUSE", 0x0102},
        {"VEXO_P2_RX4K_v1.3.bin", "VEXO_P2_RX4K_v1.0.bin", 211, 2, "VEXO_P2_RX4K", 0x0103},
    };
    const QString bin = m_fixture->installation().path() + QStringLiteral("/bin/");
    for (const Newer& image : newer) {
        FirmwareImageSpec spec;
        spec.kind = image.kind;
        spec.cid = 36;
        spec.mid = image.mid;
        spec.stem = QLatin1String(image.stem);
        spec.version = image.version;
        QVERIFY(QFile::remove(bin + QLatin1String(image.replaces)));
        QVERIFY(TestEnv::WriteFile(bin + QLatin1String(image.file), BuildFirmwareImage(spec)));
    }
}

void TestUpDateRepair::cleanup()
{
    HidSim::Reset(HidSim::Start::Empty);
    RepairImageList.clear();
    RepairUpgradeRunning = false;
    UpgradeRunning = false;
    MainPageActive = 0;
    m_fixture.reset();
}

void TestUpDateRepair::removeImage(const QString& name)
{
    QVERIFY(QFile::remove(m_fixture->installation().path() + QStringLiteral("/bin/") + name));
}

void TestUpDateRepair::checkUpgradeResume_data()
{
    QTest::addColumn<QString>("failInfo");
    QTest::addColumn<QStringList>("unplugged");
    QTest::addColumn<QStringList>("inBoot");
    QTest::addColumn<bool>("extraReceiver"); // a second drive-1 receiver
    QTest::addColumn<bool>("twoMice");       // a second drive-1 mouse on its cable
    QTest::addColumn<QString>("missingImage");
    QTest::addColumn<int>("notice");         // AutoRepairTexts position; -1: prompt, -2: nothing shown
    QTest::addColumn<bool>("bootAsked");     // UsbUpgradeC_FindBootDevices reached the library

    const QStringList none;
    const QStringList drive2{QStringLiteral("drive2-receiver")};
    QTest::newRow("no record") << "" << none << none << false << false << "" << -2 << false;
    QTest::newRow("three parts") << "211,1,36" << none << none << false << false << "" << -2 << false;
    QTest::newRow("no device") << "211,1,36,1" << QStringList{"drive1-mouse", "drive1-receiver", "drive2-receiver"}
                               << none << false << false << "" << 2 << true;
    QTest::newRow("mouse resume, only the mouse on its cable") << "210,1,36,1" << drive2 << none << false << false
                                                               << "" << 5 << true;
    QTest::newRow("receiver resume, only a receiver")
        << "211,4,36,2" << QStringList{"drive1-mouse", "drive1-receiver"} << none << false << false << "" << 6 << true;
    QTest::newRow("receiver of another model") << "211,1,36,1" << none << none << false << false << "" << 11 << true;
    QTest::newRow("mouse of another model") << "210,4,36,2" << none << none << false << false << "" << 10 << false;
    QTest::newRow("receiver resume offered") << "211,1,36,1" << drive2 << none << false << false << "" << -1 << true;
    QTest::newRow("both parts in boot mode") << "211,1,36,1" << drive2 << QStringList{"drive1-mouse", "drive1-receiver"}
                                             << false << false << "" << -1 << true;
    QTest::newRow("mouse in boot mode, receiver listed") << "210,1,36,1" << drive2 << QStringList{"drive1-mouse"}
                                                         << false << false << "" << -1 << true;
    QTest::newRow("no waiting device") << "211,1,36,1" << QStringList{"drive1-receiver", "drive2-receiver"} << none
                                       << false << false << "" << 2 << true;
    QTest::newRow("no image for the failed part") << "211,1,36,1" << drive2 << none << false << false
                                                  << "VEXO_S1_RX1K_v1.2.bin" << 8 << false;
    // A receiver of the same model waiting in boot mode beside the listed one: two to flash.
    QTest::newRow("two waiting receivers") << "211,1,36,1" << drive2 << QStringList{"rx2"} << true << false << ""
                                           << 3 << true;
    QTest::newRow("no image, total 2") << "211,1,36,1" << drive2 << QStringList{"rx2"} << true << false
                                       << "VEXO_S1_RX1K_v1.2.bin" << 8 << false;
    // Two of one kind are told apart on the choice page first (its duplicate notice).
    QTest::newRow("two mice on their cables") << "210,1,36,1" << drive2 << none << false << true << "" << 10 << false;
    QTest::newRow("two receivers listed") << "211,1,36,1" << none << none << true << false << "" << 11 << false;
    QTest::newRow("no image, total 0") << "211,1,36,1" << QStringList{"drive1-receiver", "drive2-receiver"} << none
                                       << false << false << "VEXO_S1_RX1K_v1.2.bin" << 8 << false;
    // Drive 2's mouse has no cable: its receiver, waiting with its image, is repaired alone.
    const QStringList driveOne{Mouse, Rx};
    QTest::newRow("receiver waiting, its mouse without a cable") << "211,4,36,2" << driveOne << drive2 << false
                                                                 << false << "" << -1 << true;
    QTest::newRow("receiver waiting, the other model listed") << "211,4,36,2" << none << drive2 << false << false
                                                              << "" << -1 << true;
    QTest::newRow("receiver waiting, a receiver of the other model listed")
        << "211,1,36,1" << none << QStringList{Rx} << false << false << "" << -1 << true;
    QTest::newRow("receiver waiting without its image") << "211,4,36,2" << QStringList{Mouse} << drive2 << false
                                                        << false << "VEXO_P2_RX4K_v1.3.bin" << 6 << true;
}

void TestUpDateRepair::checkUpgradeResume()
{
    QFETCH(QString, failInfo);
    QFETCH(QStringList, unplugged);
    QFETCH(QStringList, inBoot);
    QFETCH(bool, extraReceiver);
    QFETCH(bool, twoMice);
    QFETCH(QString, missingImage);
    QFETCH(int, notice);
    QFETCH(bool, bootAsked);
    for (const QString& id : unplugged)
        QVERIFY(HidSim::Unplug(id.toStdString()));
    if (extraReceiver) {
        HidSim::DeviceSpec rx = DeviceLinkFixture::Receiver("rx2", "0x5111", 1, 1, 2, 3);
        rx.mid = 1;
        rx.firmwareName = "VEXO_S1_RX1K";
        QVERIFY(HidSim::AddDevice(rx));
    }
    if (twoMice)
        QVERIFY(HidSim::AddDevice(DeviceLinkFixture::CableMouse("m2")));
    for (const QString& id : inBoot)
        QVERIFY(HidSim::SetBootMode(id.toStdString(), true));
    if (!missingImage.isEmpty())
        VEXO_CHECKED(removeImage(missingImage));
    setRecord(failInfo);
    // Two listed devices of one kind: the choice page says so first.
    const bool duplicates = twoMice || (extraReceiver && !inBoot.contains(QStringLiteral("rx2")));
    bool duplicateNotice = false;
    if (duplicates)
        TestEnv::AnswerNextModal([&duplicateNotice](QWidget* modal) {
            duplicateNotice = true;
            modal->close();
        }, "QuestiondialogB");
    DialogChange page; // lists the devices and keeps the lists through its hot-plug callback
    QCOMPARE(duplicateNotice, duplicates);
    HidSim::ClearCalls();

    UpDateRepair dialog;
    dialog.ResetRepairView();
    const Shown shown(dialog);
    const bool answer = dialog.CheckUpgradeResume();
    QCOMPARE(answer, notice == -1);
    if (notice == -2) {
        QCOMPARE(shown.text->text(), QString());
        QCOMPARE(shown.upgrade->text(), autoText(4));
    } else if (notice >= 0) {
        QCOMPARE(shown.text->text(), autoText(notice));
        QCOMPARE(shown.upgrade->text(), confirmText());
        QVERIFY(shown.cancel->isEnabled() && shown.close->isEnabled());
    }
    QCOMPARE(HidSim::CallCount("UsbUpgradeC_FindBootDevices") > 0, bootAsked);
    for (const HidSim::Call& c : HidSim::Calls("UsbUpgradeC_FindBootDevices"))
        QVERIFY(c.arguments != "(null)");
    QCOMPARE(record(), failInfo); // the check never changes the record
}

void TestUpDateRepair::upgrade_data()
{
    QTest::addColumn<QString>("moment");     // what happens: see the rows
    QTest::addColumn<bool>("done");          // the success view
    QTest::addColumn<int>("lastBar");
    QTest::addColumn<QString>("after");      // the record after the road
    QTest::addColumn<QStringList>("inBoot");
    QTest::addColumn<int>("rxVersion");
    QTest::addColumn<int>("mouseVersion");
    QTest::addColumn<int>("logAdded");
    const QStringList none;
    QTest::newRow("both stages succeed") << "success" << true << 100 << "" << none << 0x0102 << 0x0102 << 0;
    QTest::newRow("result before the start returns") << "early" << true << 100 << "" << none << 0x0102 << 0x0102 << 0;
    QTest::newRow("failure at 40 % in stage 0") << "fail0" << false << 20 << "211,1,36,1" << QStringList{Rx} << 0x0100
                                                << 0x0100 << 8;
    QTest::newRow("failure at 40 % in stage 1") << "fail1" << false << 70 << "210,1,36,1" << QStringList{Mouse}
                                                << 0x0102 << 0x0100 << 8;
    QTest::newRow("refused") << "refuse" << false << 0 << "211,1,36,1" << none << 0x0100 << 0x0100 << 0;
    QTest::newRow("silence") << "silence" << false << 0 << "211,1,36,1" << QStringList{Rx} << 0x0100 << 0x0100 << 8;
    QTest::newRow("receiver unplugged at 30 %") << "unplug" << false << 10 << "211,1,36,1" << QStringList{Rx}
                                                << 0x0100 << 0x0100 << 8;
    QTest::newRow("mouse unplugged between stages") << "mouseGone" << false << 50 << "" << none << 0x0102 << 0x0100
                                                    << 0;
    QTest::newRow("library shut down mid-flash, state reloaded")
        << "shutdown" << false << 0 << "211,1,36,1" << QStringList{Rx} << 0x0100 << 0x0100 << 8;
}

void TestUpDateRepair::upgrade()
{
    QFETCH(QString, moment);
    QFETCH(bool, done);
    QFETCH(int, lastBar);
    QFETCH(QString, after);
    QFETCH(QStringList, inBoot);
    QFETCH(int, rxVersion);
    QFETCH(int, mouseVersion);
    QFETCH(int, logAdded);
    // Only a flash that goes silent ends by the report time-out; elsewhere a slow machine must not
    // see it fire between two reports.
    const bool silent = moment == QLatin1String("silence") || moment == QLatin1String("shutdown");
    std::optional<TestEnv::TimeScale> fast;
    fast.emplace(silent ? 0.002 : 1.0);
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    costs.reenumerateMs = 1;
    HidSim::SetCosts(costs);
    QVERIFY(HidSim::Unplug("drive2-receiver"));
    setRecord(QStringLiteral("211,1,36,1"));
    std::optional<DialogChange> page; // lists the devices and keeps the lists through its hot-plug callback
    page.emplace();

    QList<int> bar;
    // Goes before the list, also on an early return, and takes the calls still queued with it.
    QObject barContext;
    const QMetaObject::Connection barSeen =
        connect(PostMsg::instance(), &PostMsg::SigAutoRepairProgress, &barContext, [&bar](int v) { bar << v; });
    if (moment == QLatin1String("success") || moment == QLatin1String("mouseGone")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::Success);
    } else if (moment == QLatin1String("early")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::Success, 0, true);
        HidSim::ScriptFlash(HidSim::FlashOutcome::Success, 0, true);
    } else if (moment == QLatin1String("fail0")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::FailAt, 40);
    } else if (moment == QLatin1String("fail1")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::Success);
        HidSim::ScriptFlash(HidSim::FlashOutcome::FailAt, 40);
    } else if (moment == QLatin1String("refuse")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::Refuse);
    } else if (moment == QLatin1String("silence")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
    } else if (moment == QLatin1String("unplug")) {
        HidSim::ScriptFlash(HidSim::FlashOutcome::UnplugAt, 30);
    } else if (moment == QLatin1String("shutdown")) {
        HidSim::HoldDelivery({7, 1, std::string()});
    }
    if (moment == QLatin1String("mouseGone"))
        HidSim::HoldDelivery({7, 2, std::string()});
    // A flash of a few steps can end on the library's thread before the click returns: its first
    // report waits until the road was seen running.
    const bool heldAtFirstReport = !silent && moment != QLatin1String("refuse") && moment != QLatin1String("early")
        && moment != QLatin1String("mouseGone");
    if (heldAtFirstReport)
        HidSim::HoldDelivery({7, 1, std::string()});

    UpDateRepair dialog;
    const Shown shown(dialog);
    dialog.ResetRepairView();
    QVERIFY(dialog.CheckUpgradeResume());
    dialog.ShowResumePrompt();
    shown.upgrade->click();
    if (heldAtFirstReport)
        QVERIFY(HidSim::WaitUntilHeld());
    if (moment != QLatin1String("refuse") && moment != QLatin1String("early"))
        QVERIFY(RepairUpgradeRunning.load());
    if (heldAtFirstReport)
        HidSim::ReleaseHold();

    if (moment == QLatin1String("mouseGone")) {
        QVERIFY(HidSim::WaitUntilHeld());
        QVERIFY(HidSim::Unplug(Mouse));
        QTRY_VERIFY(FoundDeviceList.get().isEmpty() || !FoundDeviceList.get().first().Wired);
        HidSim::ReleaseHold();
    } else if (moment == QLatin1String("shutdown")) {
        QVERIFY(HidSim::WaitUntilHeld());
        HidSim::Shutdown(); // the flash is cut off; the road hears nothing more
    }
    const QString endText = done ? progressText(1) : progressText(2);
    QTRY_COMPARE(shown.text->text(), endText);
    QTRY_VERIFY(shown.ended());
    QTRY_VERIFY(!RepairUpgradeRunning.load());
    if (moment == QLatin1String("shutdown")) {
        // The next run finds what the state file kept, and lists its devices afresh.
        page.reset();
        HidSim::Reset(HidSim::Start::Default);
        HidSim::SetCosts(costs);
        page.emplace();
    }
    disconnect(barSeen);

    QCOMPARE(shown.bar->value(), done ? 100 : lastBar);
    for (int i = 1; i < bar.size(); ++i)
        QVERIFY(bar.at(i) >= bar.at(i - 1));
    if (!bar.isEmpty() && !done)
        QCOMPARE(bar.last(), moment == QLatin1String("mouseGone") ? 50 : lastBar);
    QCOMPARE(record(), after);
    // A flashed device comes back onto the bus on the library's own time.
    for (const char* id : {Mouse, Rx})
        QTRY_COMPARE(HidSim::InBootMode(id), inBoot.contains(QLatin1String(id)));
    QTRY_COMPARE(HidSim::FirmwareVersion(Rx), rxVersion);
    QCOMPARE(HidSim::FirmwareVersion(Mouse), mouseVersion);
    QCOMPARE(logLines(), logAdded);
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("1")), done ? QStringLiteral("v1.2") : QString());
    QVERIFY(!RepairUpgradeRunning.load() && !UpgradeRunning.load());
    QCOMPARE(int(DeviceWatchEnabled.load()), 1);

    // A cut-off upgrade is repaired by a fresh dialog until no record remains; these flashes report.
    fast.reset();
    if (moment == QLatin1String("mouseGone"))
        QVERIFY(HidSim::Plug(Mouse));
    if (moment == QLatin1String("unplug"))
        QVERIFY(HidSim::Plug(Rx));
    for (int round = 0; round < 3 && ReadUpdateFailInfo(nullptr); ++round) {
        UpDateRepair fresh;
        const Shown again(fresh);
        fresh.ResetRepairView();
        // The page's hot-plug callback brings the lists up to date meanwhile.
        QTRY_VERIFY2(fresh.CheckUpgradeResume(), qPrintable(again.text->text()));
        fresh.ShowResumePrompt();
        again.upgrade->click();
        QTRY_VERIFY(!RepairUpgradeRunning.load() && again.text->text() != progressText(0));
        QTRY_VERIFY(again.ended());
    }
    QCOMPARE(record(), QString());
    QTRY_VERIFY(!HidSim::InBootMode(Rx) && !HidSim::InBootMode(Mouse));
    QTRY_COMPARE(HidSim::FirmwareVersion(Rx), 0x0102);
    QVERIFY(HidSim::Plug(Mouse));

    // The device choice page shows Repair exactly while a record exists.
    DialogChange fresh;
    QVERIFY(!fresh.findChild<QPushButton*>(QStringLiteral("Repair"))->isVisibleTo(&fresh));
    setRecord(after.isEmpty() ? QStringLiteral("211,1,36,1") : after);
    DialogChange withRecord;
    QVERIFY(withRecord.findChild<QPushButton*>(QStringLiteral("Repair"))->isVisibleTo(&withRecord));
}

void TestUpDateRepair::receiverCutOff_data()
{
    QTest::addColumn<QString>("cut");       // how the receiver's flash is cut off
    QTest::addColumn<bool>("otherModel");   // drive 1's mouse on its cable and its receiver meanwhile
    QTest::newRow("unplugged at 30 %, plugged back") << "unplug" << false;
    QTest::newRow("unplugged at 30 %, the other model listed") << "unplug" << true;
    QTest::newRow("silent flash") << "silence" << true;
    QTest::newRow("program ended mid-flash") << "shutdown" << false;
}

// Drive 2's receiver, cut off during its update, waits in boot mode; its mouse has no cable.
void TestUpDateRepair::receiverCutOff()
{
    QFETCH(QString, cut);
    QFETCH(bool, otherModel);
    const char* const Rx2 = "drive2-receiver";
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    costs.reenumerateMs = 1;
    HidSim::SetCosts(costs);
    {
        // Only a flash that goes silent ends by the report time-out.
        TestEnv::TimeScale time(cut == QLatin1String("unplug") ? 1.0 : 0.002);
        QVERIFY(HidSim::Unplug(Mouse));
        QVERIFY(HidSim::Unplug(Rx));
        if (cut == QLatin1String("unplug"))
            HidSim::ScriptFlash(HidSim::FlashOutcome::UnplugAt, 30);
        else if (cut == QLatin1String("silence"))
            HidSim::ScriptFlash(HidSim::FlashOutcome::Silence);
        else
            HidSim::HoldDelivery({7, 1, std::string()});
        DialogChange page;
        QCOMPARE(FoundDeviceList.get().size(), 1);
        UpDateRepair update; // the receiver update Space starts
        update.StartAutoRepair(0);
        if (cut == QLatin1String("shutdown")) {
            QVERIFY(HidSim::WaitUntilHeld());
            HidSim::Shutdown();
        }
        QTRY_VERIFY(!RepairUpgradeRunning.load());
        QTRY_VERIFY(Shown(update).ended()); // nothing of this road reaches the next dialog
    }
    QCOMPARE(record(), QStringLiteral("211,4,36,2"));
    if (cut == QLatin1String("shutdown")) {
        HidSim::Reset(HidSim::Start::Default); // the next run finds what the state file kept
        HidSim::SetCosts(costs);
        QVERIFY(HidSim::Unplug(Mouse));
        QVERIFY(HidSim::Unplug(Rx));
    }
    if (cut == QLatin1String("unplug"))
        QVERIFY(HidSim::Plug(Rx2));
    if (otherModel) {
        QVERIFY(HidSim::Plug(Mouse));
        QVERIFY(HidSim::Plug(Rx));
    }
    QVERIFY(HidSim::InBootMode(Rx2));

    TestEnv::TimeScale time(1.0);
    DialogChange page;
    // The receiver is off the bus; drive 1's mouse is listed on its cable.
    QTRY_COMPARE(FoundDeviceList.get().size(), otherModel ? 1 : 0);
    auto* repairButton = page.findChild<QPushButton*>(QStringLiteral("Repair"));
    QVERIFY(repairButton->isVisibleTo(&page));
    HidSim::ClearCalls();
    UpDateRepair dialog;
    const Shown shown(dialog);
    dialog.ResetRepairView();
    QVERIFY2(dialog.CheckUpgradeResume(), qPrintable(shown.text->text()));
    dialog.ShowResumePrompt();
    shown.upgrade->click();
    QTRY_COMPARE(shown.text->text(), progressText(1));
    QTRY_VERIFY(shown.ended());
    QTRY_VERIFY(!RepairUpgradeRunning.load());
    QCOMPARE(shown.bar->value(), 100);
    QCOMPARE(record(), QString());
    QVERIFY(!repairButton->isVisibleTo(&page));
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1); // the receiver alone
    QTRY_VERIFY(!HidSim::InBootMode(Rx2));
    QCOMPARE(HidSim::FirmwareVersion(Rx2), 0x0103);
    QCOMPARE(HidSim::FirmwareVersion("drive2-mouse"), 0x0100);
    QCOMPARE(HidSim::FirmwareVersion(Rx), 0x0100);
}

void TestUpDateRepair::closeWhileFlashing()
{
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    HidSim::SetCosts(costs);
    QVERIFY(HidSim::Unplug("drive2-receiver"));
    setRecord(QStringLiteral("211,1,36,1"));
    DialogChange page;
    HidSim::HoldDelivery({7, 1, std::string()});
    UpDateRepair dialog;
    const Shown shown(dialog);
    dialog.show();
    dialog.ResetRepairView();
    QVERIFY(dialog.CheckUpgradeResume());
    dialog.ShowResumePrompt();
    HidSim::ClearCalls();
    shown.upgrade->click();
    QVERIFY(HidSim::WaitUntilHeld());
    // Escape, the close event and the buttons: nothing closes it while it flashes.
    dialog.reject();
    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QVERIFY(!shown.close->isEnabled() && shown.cancel->isHidden() && shown.upgrade->isHidden());
    // Nor does a second start begin another flash.
    dialog.StartUpgrade();
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 1);
    HidSim::ReleaseHold();
    QTRY_COMPARE(shown.text->text(), progressText(1));
    QTRY_VERIFY(shown.ended());
    QTRY_VERIFY(!RepairUpgradeRunning.load());
    QSignalSpy newVer(PostMsg::instance(), &PostMsg::SigSetNewVer);
    shown.close->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(newVer.count(), 1); // the bar showed 100
}

void TestUpDateRepair::autoRepair_data()
{
    QTest::addColumn<QString>("outcome"); // "flashed", "no image", "refused"
    QTest::newRow("receiver flashed") << "flashed";
    QTest::newRow("no image") << "no image";
    QTest::newRow("refused") << "refused";
}

// What Space on the device choice page starts for the one listed wireless device.
void TestUpDateRepair::autoRepair()
{
    QFETCH(QString, outcome);
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    HidSim::SetCosts(costs);
    QVERIFY(HidSim::Unplug(Mouse));
    QVERIFY(HidSim::Unplug("drive2-receiver"));
    if (outcome == QLatin1String("no image"))
        VEXO_CHECKED(removeImage(QStringLiteral("VEXO_S1_RX1K_v1.2.bin")));
    if (outcome == QLatin1String("refused"))
        HidSim::ScriptFlash(HidSim::FlashOutcome::Refuse);
    DialogChange page;
    QCOMPARE(FoundDeviceList.get().size(), 1);
    QVERIFY(!FoundDeviceList.get().first().Wired);
    HidSim::ClearCalls();
    UpDateRepair dialog;
    const Shown shown(dialog);
    dialog.StartAutoRepair(0);
    if (outcome == QLatin1String("flashed")) {
        QTRY_COMPARE(shown.text->text(), progressText(1));
        QCOMPARE(HidSim::FirmwareVersion(Rx), 0x0102);
        QCOMPARE(shown.bar->value(), 100);
    } else if (outcome == QLatin1String("no image")) {
        QCOMPARE(shown.text->text(), autoText(8));
        QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), 0);
    } else {
        QCOMPARE(shown.text->text(), progressText(2));
        QCOMPARE(HidSim::FirmwareVersion(Rx), 0x0100);
    }
    QTRY_VERIFY(!RepairUpgradeRunning.load());
    QCOMPARE(record(), QString()); // flashed: removed; refused: put back as it was
    QCOMPARE(logLines(), 0);
    QTRY_VERIFY(shown.ended());
}

void TestUpDateRepair::viewTexts_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("Chinese") << 0;
    QTest::newRow("English") << 1;
}

void TestUpDateRepair::viewTexts()
{
    QFETCH(int, language);
    UpDateRepair dialog;
    PostMsg::instance()->EmitAllLanguage(language);
    const Shown shown(dialog);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("ToolText"))->text(),
             LangText(LangTable::AutoRepairTexts, language, 0));
    dialog.ResetRepairView();
    QCOMPARE(shown.upgrade->text(), LangText(LangTable::AutoRepairTexts, language, 4));
    QCOMPARE(shown.cancel->text(), LangText(LangTable::AutoRepairTexts, language, 1));
    QVERIFY(shown.bar->isHidden());
    dialog.ShowResumePrompt();
    QCOMPARE(shown.text->text(), LangText(LangTable::AutoRepairTexts, language, 12));
    dialog.ShowUpgradeRunning();
    QCOMPARE(shown.text->text(), LangText(LangTable::ProgressTexts, language, 0));
    QVERIFY(shown.upgrade->isHidden() && shown.cancel->isHidden() && !shown.close->isEnabled());
    PostMsg::instance()->EmitProgress(0, 5);
    QCOMPARE(shown.text->text(), LangText(LangTable::ProgressTexts, language, 2));
    QCOMPARE(shown.upgrade->text(), LangText(LangTable::DialogChangeTexts, language, 4));
    QCOMPARE(shown.bar->value(), 50);
    QCOMPARE(shown.upgrade->shortcut(), QKeySequence(Qt::Key_Return));
    QCOMPARE(shown.cancel->shortcut(), QKeySequence(Qt::Key_Escape));
    PostMsg::instance()->EmitProgress(0, 2);
    QCOMPARE(shown.text->text(), LangText(LangTable::ProgressTexts, language, 1));
    QCOMPARE(shown.bar->value(), 100);
    PostMsg::instance()->EmitAllLanguage(0);
}

VEXO_TEST_MAIN(TestUpDateRepair)
#include "tst_updaterepair.moc"
