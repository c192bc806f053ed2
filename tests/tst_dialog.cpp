#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/devicedatacallback.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "shell/dialog.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/updataparam.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QStringList NavigationButtons{"ButtonMain", "SensorButton", "MacroButton", "LightsButton", "FormSetting"};

// Stands in for the top-level window the frame lives in: takes the keys the frame passes on
// and answers the page switch as the window does (button page again, device pages left).
class Host : public QWidget
{
    Q_OBJECT
public:
    Host()
    {
        resize(1020, 700);
        PostMsg::Connect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));
        PostMsg::Connect(SIGNAL(SigChangeSize(int)), this, SLOT(SlotChangeSize(int)));
        PostMsg::Connect(SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
    }

    QList<int> keys;
    QStringList road;                    // hub signals the frame sent, in order
    std::function<void(const QString&)> onRoad; // runs as each arrives

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }

private slots:
    void SlotChangeMainDialog(int index)
    {
        note(QStringLiteral("ChangeMainDialog:%1").arg(index));
        if (index == 0) {
            PostMsg::instance()->EmitSecondPageChange();
            MainPageActive.store(0);
        }
    }
    void SlotChangeSize(int index) { note(QStringLiteral("ChangeSize:%1").arg(index)); }
    void SlotSetMacroPage() { note(QStringLiteral("SetMacroPage")); }

private:
    void note(const QString& name)
    {
        road << name;
        if (onRoad)
            onRoad(name);
    }
};

// The library calls that tell the device about the program and end its service, in order.
QStringList serviceCalls()
{
    QStringList out;
    for (const HidSim::Call& c : HidSim::Calls()) {
        if (c.function == "UsbServer_SetPCDriverStatus")
            out << QStringLiteral("SetPCDriverStatus(%1)").arg(QString::fromStdString(c.arguments));
        else if (c.function == "UsbServer_Exit")
            out << QStringLiteral("Exit");
    }
    return out;
}

// What a cache file of the record holds: its length, then its bytes.
QByteArray cacheFileBytes(const FlashDataMap& record)
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    const QByteArray bytes = DeviceLinkFixture::Bytes(record);
    stream.writeBytes(bytes.constData(), uint(bytes.size()));
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

UpDataParam* updateDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<UpDataParam*>(w))
            return d;
    return nullptr;
}

// One look at the update dialog at the moment it acts (its timer has fired, it is still open).
struct UpdateRun {
    bool modal = false;
    bool reloadWait = false;
    QPoint pos;
    QSize size;
};

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void builtWithItsPagesAndSkin();
    void navigation_data();
    void navigation();
    void battery_data();
    void battery();
    void backArrow();
    void backArrowOnce();
    void closeAndMinimise_data();
    void closeAndMinimise();
    void recording_data();
    void recording();
    void backArrowWhileRecording();
    void keys_data();
    void keys();
    void formTextsOnLanguageChange();
    void updateDialogPerPass();
    void oneUpdateDialogAtATime_data();
    void oneUpdateDialogAtATime();
    void updateIgnoredWhenLeaving_data();
    void updateIgnoredWhenLeaving();

private:
    QToolButton* button(const QString& name) const { return m_frame->findChild<QToolButton*>(name); }
    QStackedWidget* stack() const { return m_frame->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetDialog")); }
    QString currentPage() const { return QString::fromLatin1(stack()->currentWidget()->metaObject()->className()); }
    QString cachePath() const { return DeviceCacheFolder() + DeviceInfoCacheName.get(); }
    // Records each update dialog run as it acts; then runs also with each hub event.
    void watchUpdateRuns(std::function<void(const QString&)> also = nullptr);

    std::unique_ptr<TestEnv::TimeScale> m_time;
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<HubRecorder> m_recorder;
    std::unique_ptr<Host> m_host;
    Dialog* m_frame = nullptr;
    QList<UpdateRun> m_runs;
};

void TestDialog::init()
{
    m_time = std::make_unique<TestEnv::TimeScale>(0.02);
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_recorder = std::make_unique<HubRecorder>();
    // Built as the window builds it, after the worker; a device is chosen and read afterwards.
    CreateRunWorker();
    m_host = std::make_unique<Host>();
    m_frame = new Dialog(m_host.get());
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    QVERIFY(!path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    MainPageActive.store(1);
    m_runs.clear();
}

void TestDialog::cleanup()
{
    // The worker ends before the pages and the library go, as the window ends it.
    EndRunWorker();
    m_host.reset();
    m_frame = nullptr;
    m_recorder.reset();
    m_fixture.reset();
    m_time.reset();
}

void TestDialog::watchUpdateRuns(std::function<void(const QString&)> also)
{
    m_recorder->onEvent = [this, also](const QString& name) {
        if (also)
            also(name);
        if (name != QLatin1String("Setver:4"))
            return;
        UpDataParam* d = updateDialog();
        QVERIFY(d);
        m_runs << UpdateRun{QApplication::activeModalWidget() == d && d->isVisible(), d->ReloadWaitMode, d->pos(),
                            d->size()};
    };
}

void TestDialog::builtWithItsPagesAndSkin()
{
    QStringList pages;
    for (int i = 0; i < stack()->count(); ++i)
        pages << QString::fromLatin1(stack()->widget(i)->metaObject()->className());
    QCOMPARE(pages, (QStringList{"Buttoninterface", "Sensor", "Macro", "LampLight", "FormSetting"}));
    QCOMPARE(currentPage(), QStringLiteral("Buttoninterface"));
    QVERIFY(button("ButtonMain")->isChecked());
    QCOMPARE(m_frame->minimumSize(), QSize(1020, 700));
    QCOMPARE(m_frame->maximumSize(), QSize(1020, 700));
    QVERIFY(m_frame->windowFlags().testFlag(Qt::FramelessWindowHint));
    for (const char* hidden : {"label", "label_2", "label_3"})
        QVERIFY2(m_frame->findChild<QLabel*>(hidden)->isHidden(), hidden);
    QVERIFY(button("SetButton")->isHidden());

    // Every image the frame's style sheets name is a file of its own skin folder; the form's
    // compiled-in defaults are gone.
    const QString folder = Skin::Folder(QStringLiteral("Dialog"));
    const QRegularExpression urls(QStringLiteral("url\\(([^)]*)\\)"));
    QSet<QString> named;
    for (QWidget* w : m_frame->findChildren<QWidget*>()) {
        // The pages skin themselves from their own folders.
        if (stack()->isAncestorOf(w))
            continue;
        auto it = urls.globalMatch(w->styleSheet());
        while (it.hasNext()) {
            const QString file = it.next().captured(1);
            QVERIFY2(file.startsWith(folder), qPrintable(w->objectName() + ": " + file));
            QVERIFY2(QFile::exists(file), qPrintable(file));
            named << file.mid(folder.size());
        }
    }
    for (const char* image : {"BackGround.png", "Battery.png", "Charg.png", "HomeChecked.png", "SensorHover.png",
                              "MacroChecked.png", "LightChecked.png", "SettingClick.png", "CloseClick.png",
                              "MinHover.png", "PageChangeClick.png"})
        QVERIFY2(named.contains(QLatin1String(image)), image);

    // The update dialog has no parent, yet goes with the frame.
    const QPointer<UpDataParam> dialog = updateDialog();
    QVERIFY(dialog);
    QVERIFY(!dialog->parent());
    m_host.reset();
    m_frame = nullptr;
    QVERIFY(!dialog);
}

void TestDialog::navigation_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("macroButtonsRebuilt");
    QTest::newRow("home") << "ButtonMain" << "Buttoninterface" << 0 << 1;
    QTest::newRow("sensor") << "SensorButton" << "Sensor" << 1 << 0;
    QTest::newRow("macro") << "MacroButton" << "Macro" << 2 << 0;
    QTest::newRow("light") << "LightsButton" << "LampLight" << 3 << 0;
    QTest::newRow("settings") << "FormSetting" << "FormSetting" << 4 << 0;
}

void TestDialog::navigation()
{
    QFETCH(QString, clicked);
    QFETCH(QString, page);
    QFETCH(int, index);
    QFETCH(int, macroButtonsRebuilt);
    // Start from another page than the one asked for.
    const QString other = clicked == QLatin1String("LightsButton") ? QStringLiteral("MacroButton")
                                                                   : QStringLiteral("LightsButton");
    QTest::mouseClick(button(other), Qt::LeftButton);
    QSignalSpy rebuilt(PostMsg::instance(), &PostMsg::SigAddMacroButton);

    QTest::mouseClick(button(clicked), Qt::LeftButton);

    QCOMPARE(currentPage(), page);
    QCOMPARE(stack()->currentIndex(), index);
    for (const QString& name : NavigationButtons)
        QVERIFY2(button(name)->isChecked() == (name == clicked), qPrintable(name));
    QCOMPARE(rebuilt.count(), macroButtonsRebuilt);

    // A second click on the checked button keeps it checked.
    QTest::mouseClick(button(clicked), Qt::LeftButton);
    QVERIFY(button(clicked)->isChecked());
    QCOMPARE(currentPage(), page);
}

void TestDialog::battery_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("charging");
    QTest::addColumn<bool>("showText");
    QTest::addColumn<int>("fill");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QString>("number");
    QTest::newRow("empty") << 0 << false << true << 0 << true << "0%";
    QTest::newRow("15: red") << 15 << false << true << 15 << true << "15%";
    QTest::newRow("16: green") << 16 << false << true << 16 << false << "16%";
    QTest::newRow("full, charging") << 100 << true << true << 100 << false << "100%";
    QTest::newRow("low, charging") << 5 << true << false << 5 << true << "5";
    QTest::newRow("above full: full bar") << 120 << false << false << 100 << false << "120";
}

void TestDialog::battery()
{
    QFETCH(int, level);
    QFETCH(bool, charging);
    QFETCH(bool, showText);
    QFETCH(int, fill);
    QFETCH(bool, red);
    QFETCH(QString, number);
    auto* bar = m_frame->findChild<QProgressBar*>(QStringLiteral("progressBar"));
    auto* icon = m_frame->findChild<QLabel*>(QStringLiteral("label"));
    auto* text = m_frame->findChild<QLabel*>(QStringLiteral("label_2"));
    // Reports through the device's own road. The gauge takes each in one slot: its number
    // shows that it arrived. One of another level and state first, so each value is a change.
    ShowBatteryText.store(showText ? 1 : 0);
    const int first = level == 50 ? 60 : 50;
    QVERIFY(HidSim::SendCommand(4, 0, {uint8_t(first), uint8_t(charging ? 0 : 1), 0, 0}));
    QTRY_VERIFY(text->text().startsWith(QString::number(first)));
    QCOMPARE(icon->isHidden(), charging);

    QVERIFY(HidSim::SendCommand(4, 0, {uint8_t(level), uint8_t(charging ? 1 : 0), 0, 0}));
    QTRY_COMPARE(text->text(), number);

    QCOMPARE(bar->value(), fill);
    QCOMPARE(icon->isHidden(), !charging);
    QVERIFY(text->isHidden());
    const QString chunk = red ? QStringLiteral("rgb(152, 43, 34)") : QStringLiteral("rgb(0, 255, 153)");
    QVERIFY2(bar->styleSheet().contains(QStringLiteral("::chunk {background-color: ") + chunk),
             qPrintable(bar->styleSheet()));
    QVERIFY(!bar->isTextVisible());
}

void TestDialog::backArrow()
{
    // The record differs from what the device holds: the cache takes the program's record.
    FlashDataMap record = DeviceConfig.get();
    record.lightColor[0] = quint8(record.lightColor[0] + 1);
    DeviceConfig.set(record);
    QTest::mouseClick(button(QStringLiteral("SensorButton")), Qt::LeftButton);
    bool cacheAtSwitch = false;
    bool checkedAtSwitch = false;
    QStringList callsAtSwitch;
    m_host->onRoad = [&](const QString& name) {
        if (name != QLatin1String("ChangeMainDialog:0"))
            return;
        cacheAtSwitch = fileBytes(cachePath()) == cacheFileBytes(record);
        checkedAtSwitch = button(QStringLiteral("ButtonMain"))->isChecked();
        callsAtSwitch = serviceCalls();
    };

    QTest::mouseClick(button(QStringLiteral("UpArrow")), Qt::LeftButton);

    QCOMPARE(m_host->road, (QStringList{"ChangeMainDialog:0", "SetMacroPage"}));
    QVERIFY2(cacheAtSwitch, "the cache holds the record before the window switches");
    QVERIFY(checkedAtSwitch);
    QCOMPARE(callsAtSwitch, (QStringList{"SetPCDriverStatus(0)", "Exit"}));
    QVERIFY(!HidSim::DriverActive("m1"));
    QVERIFY(ServicePath.get().isEmpty());
    QCOMPARE(ServiceBinding.get(), 0u);
    // Nothing reaches the frame from the device any more.
    QVERIFY(!HidSim::SendCommand(4, 0, {10, 0, 0, 0}));
    // Shown again, the frame opens on the button page.
    QCOMPARE(currentPage(), QStringLiteral("Buttoninterface"));
    QVERIFY(button(QStringLiteral("ButtonMain"))->isChecked());
}

void TestDialog::backArrowOnce()
{
    // A second click while the road waits does not run it again.
    QToolButton* back = button(QStringLiteral("UpArrow"));
    QTimer::singleShot(0, back, [back] { back->click(); });
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(m_host->road, (QStringList{"ChangeMainDialog:0", "SetMacroPage"}));
    QCOMPARE(serviceCalls(), (QStringList{"SetPCDriverStatus(0)", "Exit"}));
}

void TestDialog::closeAndMinimise_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("fullRead");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("saved");
    QTest::newRow("close button") << "CloseButton" << true << int(CloseFromFrame) << true;
    QTest::newRow("window closed") << "WindowClosed" << true << int(CloseFromFrame) << true;
    QTest::newRow("close before the first full read: no file") << "CloseButton" << false << int(CloseFromFrame)
                                                                << false;
    QTest::newRow("minimise button") << "MinButton" << true << int(MinimiseFromFrame) << false;
}

void TestDialog::closeAndMinimise()
{
    QFETCH(QString, action);
    QFETCH(bool, fullRead);
    QFETCH(int, code);
    QFETCH(bool, saved);
    if (!fullRead)
        DeviceInfoCacheName.set(QString());
    const QString path = DeviceCacheFolder() + DeviceCacheName(CurrentDevice.get().CidMid);
    const QByteArray expected = cacheFileBytes(DeviceConfig.get());
    bool savedAtSignal = false;
    m_host->onRoad = [&](const QString&) { savedAtSignal = fileBytes(path) == expected; };

    if (action == QLatin1String("WindowClosed"))
        QVERIFY(QMetaObject::invokeMethod(m_frame, "WindowClosed"));
    else
        QTest::mouseClick(button(action), Qt::LeftButton);

    QCOMPARE(m_host->road, QStringList{QStringLiteral("ChangeSize:%1").arg(code)});
    QCOMPARE(savedAtSignal, saved);
    QCOMPARE(QFile::exists(path), saved);
    QCOMPARE(QDir(DeviceCacheFolder()).entryList(QDir::Files).size(), saved ? 1 : 0);
    // The window tells the device; the frame itself does not.
    QCOMPARE(serviceCalls(), QStringList());
}

void TestDialog::recording_data()
{
    QTest::addColumn<int>("before"); // -1: as built
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("recording starts") << -1 << 0 << false;
    QTest::newRow("recording stops") << 0 << 1 << true;
    QTest::newRow("2 while enabled") << -1 << 2 << true;
    QTest::newRow("2 while disabled") << 0 << 2 << false;
    QTest::newRow("-1 while disabled") << 0 << -1 << false;
}

void TestDialog::recording()
{
    QFETCH(int, before);
    QFETCH(int, index);
    QFETCH(bool, enabled);
    if (before >= 0)
        PostMsg::instance()->EmitStartRecord(before);
    PostMsg::instance()->EmitStartRecord(index);

    for (const QString& name : NavigationButtons)
        QVERIFY2(button(name)->isEnabled() == enabled, qPrintable(name));
    for (const char* name : {"UpArrow", "MinButton", "CloseButton"})
        QVERIFY2(button(QLatin1String(name))->isEnabled(), name);
    // A disabled button takes no click.
    QTest::mouseClick(button(QStringLiteral("LightsButton")), Qt::LeftButton);
    QCOMPARE(currentPage(), enabled ? QStringLiteral("LampLight") : QStringLiteral("Buttoninterface"));
}

void TestDialog::backArrowWhileRecording()
{
    MacroRecording.store(1);
    PostMsg::instance()->EmitStartRecord(0);
    QTest::mouseClick(button(QStringLiteral("UpArrow")), Qt::LeftButton);

    QCOMPARE(m_host->road, (QStringList{"ChangeMainDialog:0", "SetMacroPage"}));
    // The macro page ended the recording, and the frame's buttons work again.
    QCOMPARE(MacroRecording.load(), quint8(0));
    for (const QString& name : NavigationButtons)
        QVERIFY2(button(name)->isEnabled(), qPrintable(name));
}

void TestDialog::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("passedOn");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    QTest::newRow("F12") << int(Qt::Key_F12) << false;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("A") << int(Qt::Key_A) << true;
    QTest::newRow("F11") << int(Qt::Key_F11) << true;
}

void TestDialog::keys()
{
    QFETCH(int, key);
    QFETCH(bool, passedOn);
    m_host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_host.get()));
    QTest::keyClick(m_frame, Qt::Key(key));
    QCOMPARE(m_host->keys, passedOn ? QList<int>{key} : QList<int>{});
}

void TestDialog::formTextsOnLanguageChange()
{
    QVERIFY(HidSim::SendCommand(4, 0, {42, 0, 0, 0}));
    auto* text = m_frame->findChild<QLabel*>(QStringLiteral("label_2"));
    QTRY_VERIFY(text->text().startsWith(QLatin1String("42")));
    m_frame->setWindowTitle(QStringLiteral("changed"));

    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(m_frame, &change);

    QCOMPARE(text->text(), QStringLiteral("100%"));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Dialog"));
    QVERIFY(text->isHidden());
}

void TestDialog::updateDialogPerPass()
{
    DeviceDataLoaded.store(1);
    watchUpdateRuns();
    const QPoint corner = m_frame->mapToGlobal(QPoint(0, 0));
    // Each pass decides the mode: a device-reported change, then ordinary reads.
    const QList<int> passes{1, 0, 1, 0};
    for (int pass : passes) {
        LightLoaded.store(1);
        SensorLoaded.store(1);
        ButtonLoaded.store(1);
        // Runs modally until the dialog has done its work and closed itself.
        PostMsg::instance()->EmitUpDataParam(pass);
    }

    QCOMPARE(m_runs.size(), passes.size());
    for (int i = 0; i < passes.size(); ++i) {
        const UpdateRun& run = m_runs.at(i);
        QVERIFY2(run.modal, qPrintable(QString::number(i)));
        QCOMPARE(run.reloadWait, passes.at(i) == 1);
        QCOMPARE(run.pos, QPoint(corner.x() + (1020 - run.size.width()) / 2,
                                 corner.y() + (700 - run.size.height()) / 2 - 20));
    }
    QVERIFY(!updateDialog()->isVisible());
    QCOMPARE(m_recorder->count(QStringLiteral("Offline:0")) + m_recorder->count(QStringLiteral("Offline:1")), 0);
}

void TestDialog::oneUpdateDialogAtATime_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("pagesReport");
    // While the dialog waits for its timer.
    QTest::newRow("before it acts") << "waiting" << true;
    // After it closed itself, while the time-out notice still holds its run open.
    QTest::newRow("after it closed") << "Offline:1" << false;
}

void TestDialog::oneUpdateDialogAtATime()
{
    QFETCH(QString, when);
    QFETCH(bool, pagesReport);
    DeviceDataLoaded.store(1);
    LightLoaded.store(pagesReport ? 1 : 0);
    SensorLoaded.store(pagesReport ? 1 : 0);
    ButtonLoaded.store(pagesReport ? 1 : 0);
    bool secondReturned = false;
    const auto second = [&secondReturned] {
        PostMsg::instance()->EmitUpDataParam(1);
        secondReturned = true;
    };
    if (when == QLatin1String("waiting")) {
        watchUpdateRuns();
        QTimer::singleShot(0, m_frame, second);
    } else {
        watchUpdateRuns([&](const QString& name) {
            if (name == when)
                second();
        });
    }

    PostMsg::instance()->EmitUpDataParam(0);

    QVERIFY(secondReturned);
    QCOMPARE(m_runs.size(), 1);
    QVERIFY(!m_runs.first().reloadWait);
    UpDataParam* dialog = updateDialog();
    QVERIFY(!dialog->isVisible());
    QTimer* timer = dialog->findChild<QTimer*>();
    QVERIFY(timer);
    QVERIFY2(!timer->isActive(), "a second pass restarted the dialog's timer");
}

void TestDialog::updateIgnoredWhenLeaving_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("after going back") << "back";
    QTest::newRow("while the back road waits") << "backRoad";
    QTest::newRow("device pages not active") << "inactive";
}

void TestDialog::updateIgnoredWhenLeaving()
{
    QFETCH(QString, when);
    DeviceDataLoaded.store(1);
    watchUpdateRuns();
    if (when == QLatin1String("back")) {
        QTest::mouseClick(button(QStringLiteral("UpArrow")), Qt::LeftButton);
        PostMsg::instance()->EmitUpDataParam(0);
    } else if (when == QLatin1String("backRoad")) {
        QTimer::singleShot(0, m_frame, [] { PostMsg::instance()->EmitUpDataParam(1); });
        QTest::mouseClick(button(QStringLiteral("UpArrow")), Qt::LeftButton);
        QCOMPARE(m_host->road, (QStringList{"ChangeMainDialog:0", "SetMacroPage"}));
    } else {
        MainPageActive.store(0);
        PostMsg::instance()->EmitUpDataParam(1);
    }

    QCOMPARE(m_recorder->count(QStringLiteral("Param:0")) + m_recorder->count(QStringLiteral("Param:1")), 1);
    QCOMPARE(m_runs.size(), 0);
    QVERIFY(!updateDialog()->isVisible());
    QVERIFY(!updateDialog()->findChild<QTimer*>()->isActive());
}

VEXO_TEST_MAIN(TestDialog)
#include "tst_dialog.moc"
