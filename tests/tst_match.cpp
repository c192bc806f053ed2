#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/match.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/roundedwindow.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

using TestEnv::NamedChild;

// Where a dialog is opened from decides which device it pairs through.
enum class Opener { DevicePages, ChosenOnChoicePage, FirstListed };

QString MatchText(int position)
{
    return LangText(LangTable::MatchTexts, CurrentLanguage, position);
}

// A 4 kHz receiver and a mouse that is paired with nothing yet.
struct PairingBus
{
    DeviceLinkFixture link;
    TestEnv::TimeScale scale;
    QByteArray receiverPath;
    DeviceAllInfo receiver;
    int rebuilds = 0;

    // At the default scale a poll takes 50 ms and the time-out 3 s.
    explicit PairingBus(double timeScale = 0.05)
        : scale(timeScale)
    {
        receiverPath = link.add(DeviceLinkFixture::Receiver("r1", "0x5141", 4, 0x11, 0x22, 0x33));
        HidSim::DeviceSpec mouse = DeviceLinkFixture::ReceiverMouse("m2", "");
        link.add(mouse);
        receiver = DeviceLinkFixture::InfoFor(receiverPath, 36, 2, 1, 1);
        receiver.VidText = QStringLiteral("0x3706");
        receiver.PidText = QStringLiteral("0x5141");
        SetRebuildDeviceListHook([this]() { ++rebuilds; });
        HidSim::ClearCalls();
    }
    ~PairingBus() { SetRebuildDeviceListHook(nullptr); }

    // Puts an entry where the opener leaves the device to pair.
    static void Offer(Opener opener, const DeviceAllInfo& entry)
    {
        switch (opener) {
        case Opener::DevicePages:
            CurrentDevice.set(entry);
            CurrentDevicePath.set(entry.Path);
            MainPageActive.store(1);
            break;
        case Opener::ChosenOnChoicePage:
            PairChosenDevice.set(entry);
            PairChosen.store(true);
            break;
        case Opener::FirstListed:
            FoundDeviceList.set(DeviceList{entry});
            break;
        }
    }
};

// The dialog as its callers run it, shown (not run modally) so the test drives it.
struct OpenMatch
{
    std::unique_ptr<Match> dialog = std::make_unique<Match>(nullptr);
    QPushButton* button = NamedChild<QPushButton>(dialog.get(), "MatchButton");
    QStringList captions; // the caption after each step of the dots
    int usbTicks = 0;
    int pollTicks = 0;
    int failedAtPoll = -1; // the poll after which the failure view first showed

    OpenMatch()
    {
        dialog->PreparePairing();
        QObject::connect(NamedChild<QTimer>(dialog.get(), "MatchTextTimer"), &QTimer::timeout, dialog.get(),
                         [this]() { captions << button->text(); });
        QObject::connect(NamedChild<QTimer>(dialog.get(), "MatchUsbTimer"), &QTimer::timeout, dialog.get(),
                         [this]() { ++usbTicks; });
        QObject::connect(NamedChild<QTimer>(dialog.get(), "MatchPairTimer"), &QTimer::timeout, dialog.get(),
                         [this]() {
                             ++pollTicks;
                             if (failedAtPoll < 0 && PairResult.load() == Match::Failed)
                                 failedAtPoll = pollTicks;
                         });
    }

    bool show()
    {
        dialog->show();
        dialog->activateWindow();
        return QTest::qWaitForWindowActive(dialog.get());
    }
    QString style() const { return button->styleSheet(); }
    // Lets the 100 ms timer run a few times.
    void letButtonTimerRun()
    {
        const int target = usbTicks + 3;
        QTRY_VERIFY(usbTicks >= target);
    }
};

} // namespace

class TestMatch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void successPairsTheMouse_data();
    void successPairsTheMouse();
    void failureAllowsAnotherPress();
    void receiverGoneFailsAtNextPoll_data();
    void receiverGoneFailsAtNextPoll();
    void silenceEndsWithTimeoutInModalRun();
    void statusReports_data();
    void statusReports();
    void nothingToPairThrough_data();
    void nothingToPairThrough();
    void closeRefusedWhilePairing_data();
    void closeRefusedWhilePairing();
    void roundedCornersWithoutCompositor_data();
    void roundedCornersWithoutCompositor();
};

void TestMatch::init()
{
    CurrentLanguage = 0;
    PairResult.store(Match::Ready);
    PairingActive.store(false);
    PairingFromMainPage.store(false);
}

void TestMatch::cleanup()
{
    RoundedWindow::SetCornersBlendedForTests(-1);
    PairingActive.store(false);
    PairingFromMainPage.store(false);
}

void TestMatch::successPairsTheMouse_data()
{
    QTest::addColumn<int>("opener");
    QTest::addColumn<bool>("withSpace");
    QTest::newRow("device pages, Space") << int(Opener::DevicePages) << true;
    QTest::newRow("chosen on the choice page") << int(Opener::ChosenOnChoicePage) << false;
    QTest::newRow("first listed device") << int(Opener::FirstListed) << false;
}

void TestMatch::successPairsTheMouse()
{
    QFETCH(int, opener);
    QFETCH(bool, withSpace);
    PairingBus bus;
    LoadLanguageFiles();
    const bool fromDevicePages = Opener(opener) == Opener::DevicePages;
    PairingBus::Offer(Opener(opener), bus.receiver);
    QVERIFY(HidSim::ReceiverAddress("m2") != HidSim::ReceiverAddress("r1"));
    QVERIFY(HidSim::SetFirmwareVersion("m2", 0x0107));
    QSignalSpy setver(PostMsg::instance(), &PostMsg::SigSetver);

    OpenMatch m;
    QVERIFY(m.show());
    QCOMPARE(m.button->text(), MatchText(2));
    VEXO_CHECKED(m.letButtonTimerRun());
    QVERIFY(m.button->isVisible());
    QVERIFY(m.button->isEnabled());

    // The receiver's first answer waits, so the pairing is seen running.
    HidSim::ScriptPairing(HidSim::PairOutcome::Success, "m2");
    HidSim::HoldDelivery(HidSim::HoldPoint{6, -1, std::string()});
    if (withSpace)
        QTest::keyClick(m.dialog.get(), Qt::Key_Space);
    else
        QTest::mouseClick(m.button, Qt::LeftButton);
    QVERIFY(HidSim::WaitUntilHeld());
    QCOMPARE(PairResult.load(), int(Match::Pairing));
    QCOMPARE(MainPageActive.load(), 0);
    QCOMPARE(HidSim::Calls("UsbServerC_Start").back().arguments,
             (bus.receiverPath + ',' + bus.receiverPath).toStdString());
    QCOMPARE(HidSim::Calls("UsbServer_EnterDonglePairOnlyCid").back().arguments, std::string("36"));

    QTRY_VERIFY(m.captions.size() >= 6);
    const QString matching = MatchText(3);
    const QStringList dots{QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("...")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(m.captions.at(i), matching + dots.at(i % 4));
    HidSim::ReleaseHold();

    QTRY_COMPARE(m.button->text(), MatchText(5));
    QCOMPARE(PairResult.load(), int(Match::Succeeded));
    QVERIFY(m.style().contains(QLatin1String("PairSuccess.png")));
    VEXO_CHECKED(m.letButtonTimerRun());
    QVERIFY(!m.button->isEnabled());
    // The result stays readable on the button.
    QVERIFY(m.button->isVisible());
    QVERIFY(m.style().contains(QLatin1String("PairSuccess.png")));
    QCOMPARE(HidSim::ReceiverAddress("m2"), HidSim::ReceiverAddress("r1"));
    // The paired mouse's version is recorded for its model (Drive2: CID 36, MID 2), so the
    // choice page opens it next time without pairing again.
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("2")), QStringLiteral("v1.7"));
    QCOMPARE(MainPageActive.load(), fromDevicePages ? 1 : 0);
    QVERIFY(!PairingFromMainPage.load());

    const int requests = HidSim::CallCount("UsbServer_EnterDonglePairOnlyCid");
    QTest::keyClick(m.dialog.get(), Qt::Key_Space);
    QTest::mouseClick(m.button, Qt::LeftButton);
    QCOMPARE(HidSim::CallCount("UsbServer_EnterDonglePairOnlyCid"), requests);
    QCOMPARE(m.button->text(), MatchText(5));

    // Closing hands the hot-plug notice back to the page the dialog came from.
    setver.clear();
    bus.rebuilds = 0;
    HidSim::ClearCalls();
    QTest::mouseClick(NamedChild<QToolButton>(m.dialog.get(), "CloseButton"), Qt::LeftButton);
    QVERIFY(!m.dialog->isVisible());
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 1);
    QCOMPARE(HidSim::Calls("StartUsbChanged").front().arguments, std::string("600"));
    QCOMPARE(setver.count() > 0, fromDevicePages);
    QCOMPARE(bus.rebuilds > 0, !fromDevicePages);
    QCOMPARE(MainPageActive.load(), fromDevicePages ? 1 : 0);
}

void TestMatch::failureAllowsAnotherPress()
{
    PairingBus bus;
    LoadLanguageFiles();
    PairingBus::Offer(Opener::DevicePages, bus.receiver);
    OpenMatch m;
    QVERIFY(m.show());
    VEXO_CHECKED(m.letButtonTimerRun());

    HidSim::ScriptPairing(HidSim::PairOutcome::Failure, "m2");
    QTest::mouseClick(m.button, Qt::LeftButton);
    QTRY_COMPARE(m.button->text(), MatchText(4));
    QCOMPARE(PairResult.load(), int(Match::Failed));
    QVERIFY(m.style().contains(QLatin1String("PairFail.png")));
    QCOMPARE(MainPageActive.load(), 1);
    QVERIFY(HidSim::ReceiverAddress("m2") != HidSim::ReceiverAddress("r1"));

    // The next press binds the service again and asks again; Space still presses the button
    // after its caption changed.
    VEXO_CHECKED(m.letButtonTimerRun());
    QVERIFY(m.button->isEnabled());
    HidSim::ScriptPairing(HidSim::PairOutcome::Success, "m2");
    QTest::keyClick(m.dialog.get(), Qt::Key_Space);
    QTRY_COMPARE(m.button->text(), MatchText(5));
    QCOMPARE(HidSim::CallCount("UsbServerC_Start"), 2);
    QCOMPARE(HidSim::CallCount("UsbServer_EnterDonglePairOnlyCid"), 2);
    QCOMPARE(HidSim::ReceiverAddress("m2"), HidSim::ReceiverAddress("r1"));
    QCOMPARE(MainPageActive.load(), 1);
}

void TestMatch::receiverGoneFailsAtNextPoll_data()
{
    QTest::addColumn<bool>("otherReceiverLeft");
    QTest::newRow("no receiver of the model left") << false;
    QTest::newRow("another receiver of the model left") << true;
}

void TestMatch::receiverGoneFailsAtNextPoll()
{
    QFETCH(bool, otherReceiverLeft);
    PairingBus bus;
    LoadLanguageFiles();
    if (otherReceiverLeft)
        QVERIFY(!bus.link.add(DeviceLinkFixture::Receiver("r2", "0x5141", 4, 0x44, 0x55, 0x66)).isEmpty());
    PairingBus::Offer(Opener::DevicePages, bus.receiver);
    OpenMatch m;
    QVERIFY(m.show());
    VEXO_CHECKED(m.letButtonTimerRun());

    HidSim::ScriptPairing(HidSim::PairOutcome::Silence);
    QTest::mouseClick(m.button, Qt::LeftButton);
    QTRY_VERIFY(m.pollTicks >= 2);
    QCOMPARE(PairResult.load(), int(Match::Pairing));
    QVERIFY(PairingActive.load());

    QVERIFY(HidSim::Unplug("r1"));
    const int unpluggedAt = m.pollTicks;
    QTRY_COMPARE(PairResult.load(), int(Match::Failed));
    QCOMPARE(m.failedAtPoll, unpluggedAt + 1);
    QVERIFY(!PairingActive.load());
    QCOMPARE(m.button->text(), MatchText(4));
    QVERIFY(m.style().contains(QLatin1String("PairFail.png")));
    QCOMPARE(MainPageActive.load(), 1);
    QVERIFY(!PairingFromMainPage.load());
}

void TestMatch::silenceEndsWithTimeoutInModalRun()
{
    PairingBus bus(0.005);
    LoadLanguageFiles();
    PairingBus::Offer(Opener::FirstListed, bus.receiver);
    Match dialog(nullptr);
    dialog.PreparePairing();
    HidSim::ScriptPairing(HidSim::PairOutcome::Silence);

    bool timedOut = false;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        auto* button = NamedChild<QPushButton>(modal, "MatchButton");
        [&]() {
            QTRY_VERIFY(button->isEnabled());
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(PairingActive.load());
            // The receiver stays and answers "pairing" at every poll: only the time-out ends it.
            QTRY_COMPARE_WITH_TIMEOUT(button->text(), MatchText(4), 10000);
            timedOut = true;
        }();
        QTest::mouseClick(NamedChild<QToolButton>(modal, "CloseButton"), Qt::LeftButton);
        if (modal->isVisible())
            static_cast<QDialog*>(modal)->done(QDialog::Rejected); // never leave the test hanging
    }, "Match");
    dialog.exec();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(timedOut);
    QCOMPARE(PairResult.load(), int(Match::Failed));
    QVERIFY(!PairingActive.load());
    QVERIFY(HidSim::CallCount("UsbServer_ReadDonglePairStatus") > 0);
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 1);
}

void TestMatch::statusReports_data()
{
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("caption");
    QTest::newRow("pairing in progress") << true << 6 << QByteArray("\x01", 1) << int(Match::Pairing) << 3;
    QTest::newRow("failed") << true << 6 << QByteArray("\x02", 1) << int(Match::Failed) << 4;
    QTest::newRow("succeeded") << true << 6 << QByteArray("\x03", 1) << int(Match::Succeeded) << 5;
    QTest::newRow("idle") << true << 6 << QByteArray("\x00", 1) << int(Match::Pairing) << 3;
    QTest::newRow("pairing without a status byte") << true << 6 << QByteArray() << int(Match::Pairing) << 3;
    QTest::newRow("another command") << true << 4 << QByteArray("\x03", 1) << int(Match::Pairing) << 3;
    QTest::newRow("head of one byte") << false << 6 << QByteArray("\x03", 1) << int(Match::Pairing) << 3;
}

void TestMatch::statusReports()
{
    QFETCH(bool, wellFormed);
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(int, result);
    QFETCH(int, caption);
    PairingBus bus;
    LoadLanguageFiles();
    PairingBus::Offer(Opener::DevicePages, bus.receiver);
    OpenMatch m;
    QVERIFY(m.show());
    VEXO_CHECKED(m.letButtonTimerRun());
    HidSim::ScriptPairing(HidSim::PairOutcome::NoAnswer);
    QTest::mouseClick(m.button, Qt::LeftButton);
    QCOMPARE(MainPageActive.load(), 0);

    const std::vector<uint8_t> bytes(data.begin(), data.end());
    if (wellFormed)
        QVERIFY(HidSim::SendCommand(uint8_t(command), 0, bytes));
    else
        QVERIFY(HidSim::SendReport({uint8_t(command)}, bytes));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCoreApplication::processEvents();

    QCOMPARE(PairResult.load(), result);
    const bool ended = result != int(Match::Pairing);
    // While pairing, the dots go on moving behind the caption.
    if (ended)
        QCOMPARE(m.button->text(), MatchText(caption));
    else
        QVERIFY2(m.button->text().startsWith(MatchText(caption)), qPrintable(m.button->text()));
    QCOMPARE(PairingActive.load(), !ended);
    QCOMPARE(MainPageActive.load(), ended ? 1 : 0);
    QCOMPARE(NamedChild<QTimer>(m.dialog.get(), "MatchPairTimer")->isActive(), !ended);
    if (!ended)
        return;

    // The device pages got MainPageActive back once; a repeated report does not set it again.
    MainPageActive.store(0);
    QVERIFY(HidSim::SendCommand(uint8_t(command), 0, bytes));
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(MainPageActive.load(), 0);
}

void TestMatch::nothingToPairThrough_data()
{
    QTest::addColumn<bool>("listEmpty");
    QTest::newRow("mouse on its cable") << false;
    QTest::newRow("no device listed") << true;
}

void TestMatch::nothingToPairThrough()
{
    QFETCH(bool, listEmpty);
    PairingBus bus;
    LoadLanguageFiles();
    const QByteArray cablePath = bus.link.add(DeviceLinkFixture::CableMouse("m1"));
    DeviceAllInfo cable = DeviceLinkFixture::InfoFor(cablePath, 36, 1, 2, 0);
    cable.VidText = QStringLiteral("0x3706");
    cable.PidText = QStringLiteral("0x5101");
    QVERIFY(cable.Wired);
    if (!listEmpty)
        PairingBus::Offer(Opener::FirstListed, cable);

    // From the first moment it is shown: the label says why, and no button looks as if it could pair.
    OpenMatch m;
    QVERIFY(m.show());
    auto* label = NamedChild<QLabel>(m.dialog.get(), "label");
    auto* text = NamedChild<QTextEdit>(m.dialog.get(), "textEdit");
    QVERIFY(label->isVisible());
    QVERIFY(!text->isVisible());
    QCOMPARE(label->text(), MatchText(0));
    QVERIFY(!m.button->isVisible());
    QVERIFY(!m.button->isEnabled());
    VEXO_CHECKED(m.letButtonTimerRun());
    QVERIFY(!m.button->isVisible());

    QTest::keyClick(m.dialog.get(), Qt::Key_Space);
    QTest::mouseClick(m.button, Qt::LeftButton);
    QCOMPARE(PairResult.load(), int(Match::Ready));
    QCOMPARE(HidSim::CallCount("UsbServerC_Start"), 0);
    QCOMPARE(HidSim::CallCount("UsbServer_EnterDonglePairOnlyCid"), 0);
}

void TestMatch::closeRefusedWhilePairing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << QStringLiteral("button");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("window close") << QStringLiteral("close");
}

void TestMatch::closeRefusedWhilePairing()
{
    QFETCH(QString, how);
    PairingBus bus;
    LoadLanguageFiles();
    PairingBus::Offer(Opener::DevicePages, bus.receiver);
    OpenMatch m;
    QVERIFY(m.show());
    VEXO_CHECKED(m.letButtonTimerRun());
    const auto tryClose = [&]() {
        if (how == QLatin1String("button"))
            QTest::mouseClick(NamedChild<QToolButton>(m.dialog.get(), "CloseButton"), Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(m.dialog.get(), Qt::Key_Escape);
        else
            m.dialog->close();
        QCoreApplication::processEvents();
    };

    HidSim::ScriptPairing(HidSim::PairOutcome::Silence);
    QTest::mouseClick(m.button, Qt::LeftButton);
    QVERIFY(PairingActive.load());
    HidSim::ClearCalls();
    tryClose();
    QVERIFY(m.dialog->isVisible());
    QVERIFY(PairingActive.load());
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 0);
    QVERIFY(NamedChild<QTimer>(m.dialog.get(), "MatchPairTimer")->isActive());

    // Once the receiver check ended the request, the same way out works.
    QVERIFY(HidSim::Unplug("r1"));
    QTRY_COMPARE(PairResult.load(), int(Match::Failed));
    tryClose();
    QVERIFY(!m.dialog->isVisible());
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 1);
    for (const char* name : {"MatchPairTimer", "MatchUsbTimer", "MatchTextTimer"})
        QVERIFY2(!NamedChild<QTimer>(m.dialog.get(), name)->isActive(), name);
    QCOMPARE(MainPageActive.load(), 1);
}

void TestMatch::roundedCornersWithoutCompositor_data()
{
    QTest::addColumn<bool>("blended");
    QTest::newRow("no compositing manager") << false;
    QTest::newRow("compositing manager") << true;
}

void TestMatch::roundedCornersWithoutCompositor()
{
    QFETCH(bool, blended);
    RoundedWindow::SetCornersBlendedForTests(blended ? 1 : 0);
    Match dialog(nullptr);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    if (blended) {
        QVERIFY(dialog.mask().isEmpty());
        return;
    }
    const QRegion shape = dialog.mask();
    for (const QPoint& corner : {QPoint(0, 0), QPoint(457, 0), QPoint(0, 241), QPoint(457, 241)})
        QVERIFY2(!shape.contains(corner), qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    QVERIFY(shape.contains(QPoint(229, 121)));
    QCOMPARE(shape.boundingRect(), QRect(0, 0, 458, 242));
}

VEXO_TEST_MAIN(TestMatch)
#include "tst_match.moc"
