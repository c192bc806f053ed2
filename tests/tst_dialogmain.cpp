#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/macrotextfile.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/match.h"
#include "pages/settings/updaterepair.h"
#include "platform/crashhandler.h"
#include "platform/registrystore.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "shell/dialog.h"
#include "shell/dialogmain.h"
#include "ui/widgets/offlinenoticeguard.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The hub signals the top-level window sends or answers, in order.
class WindowSignals
{
public:
    WindowSignals()
    {
        PostMsg* hub = PostMsg::instance();
        m_connections << QObject::connect(hub, &PostMsg::SigLanguageSameA, [this](int i) { add("LanguageSameA", i); })
                      << QObject::connect(hub, &PostMsg::SigLanguageSameB, [this](int i) { add("LanguageSameB", i); })
                      << QObject::connect(hub, &PostMsg::SigAllLanguage, [this](int i) { add("AllLanguage", i); })
                      << QObject::connect(hub, &PostMsg::SigSecondPageChange, [this] { add("SecondPageChange"); })
                      << QObject::connect(hub, &PostMsg::SigMainPageChange, [this] { add("MainPageChange"); })
                      << QObject::connect(hub, &PostMsg::SigEnterKey, [this] { add("EnterKey"); });
    }
    ~WindowSignals()
    {
        for (const QMetaObject::Connection& c : m_connections)
            QObject::disconnect(c);
    }
    QStringList names;

private:
    void add(const char* name, int index = -1)
    {
        names << (index < 0 ? QString::fromLatin1(name) : QStringLiteral("%1:%2").arg(QLatin1String(name)).arg(index));
    }
    QList<QMetaObject::Connection> m_connections;
};

QStringList callsOf(const char* function)
{
    QStringList out;
    for (const HidSim::Call& c : HidSim::Calls(function))
        out << QString::fromStdString(c.arguments);
    return out;
}

// Runs action and closes the modal dialog it opened, if any: the class name of that dialog.
// A modal run keeps action from returning, so the zero timer fires inside it; without one it
// fires afterwards and finds nothing.
QString modalOpenedBy(const std::function<void()>& action)
{
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    action();
    QCoreApplication::processEvents();
    return opened;
}

// A key press as the platform delivers it: to the widget holding the keyboard focus, else to
// the active window.
void pressKey(Qt::Key key)
{
    QTest::keyClick(static_cast<QWidget*>(nullptr), key);
}

QString languageKey()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Vexo Gaming Mouse\\Vexo Gaming Mouse\\Vexo Gaming Mouse");
}

// A child of the window by its class: each page exists once.
QWidget* pageOf(QWidget* window, const char* className)
{
    for (QWidget* w : window->findChildren<QWidget*>())
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    return nullptr;
}

QComboBox* languageList(QWidget* window, const char* page)
{
    QWidget* owner = pageOf(window, page);
    return owner ? owner->findChild<QComboBox*>(QStringLiteral("comboBox")) : nullptr;
}

// One text of each page and the position of its table that it shows.
struct PageText {
    const char* page;
    const char* widget;
    LangTable table;
    int position;
};
const PageText PageTexts[] = {
    {"DialogChange", "label_3", LangTable::DialogChangeTexts, 1},
    {"Buttoninterface", "Reset", LangTable::ButtoninterfaceTexts, 1},
    {"Sensor", "label_5", LangTable::SensorTexts, 2},
    {"Macro", "label", LangTable::MacroTexts, 0},
    {"LampLight", "label", LangTable::LightTexts, 0},
    {"FormSetting", "label_2", LangTable::FormSettingTexts, 1},
};

// Both lists show the language and every page its texts.
void checkLanguageShown(QWidget* window, int language)
{
    const QStringList names{QStringLiteral("English"), QString::fromUtf8("简体中文")};
    for (const char* page : {"DialogChange", "FormSetting"}) {
        QComboBox* list = languageList(window, page);
        QVERIFY2(list, page);
        QCOMPARE(TestEnv::ComboItemTexts(list), names);
        QCOMPARE(list->currentIndex(), language);
    }
    for (const PageText& t : PageTexts) {
        QWidget* page = pageOf(window, t.page);
        QVERIFY2(page, t.page);
        QWidget* widget = page->findChild<QWidget*>(QLatin1String(t.widget));
        QVERIFY2(widget, t.widget);
        const QString expected = LangText(t.table, language, t.position);
        // The two languages differ here, so the other language's text cannot pass.
        QVERIFY2(!expected.isEmpty() && expected != LangText(t.table, 1 - language, t.position), t.page);
        QCOMPARE(widget->property("text").toString(), expected);
    }
}

// Whether the device frame existed when the window's first paint arrived.
class FirstPaintWatch : public QObject
{
public:
    explicit FirstPaintWatch(DialogMain* window)
        : m_window(window)
    {
        window->installEventFilter(this);
    }
    bool painted = false;
    bool frameAtFirstPaint = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !painted) {
            painted = true;
            frameAtFirstPaint = m_window->DeviceFrameBuilt();
        }
        return false;
    }

private:
    DialogMain* m_window;
};

} // namespace

class TestDialogMain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void languageSettled_data();
    void languageSettled();
    void languageTheFilesLack_data();
    void languageTheFilesLack();
    void languageFromEitherList_data();
    void languageFromEitherList();
    void startsOnTheChoicePage();
    void frameBuiltAfterFirstPaint();
    void deviceOpenedBeforeFirstPaint();
    void pageSwitch_data();
    void pageSwitch();
    void backWait();
    void minimiseAndRestore_data();
    void minimiseAndRestore();
    void trayMenuReplaced();
    void closeRoads_data();
    void closeRoads();
    void keys_data();
    void keys();
    void spaceOnChoicePage_data();
    void spaceOnChoicePage();
    void spaceUpdatesReceiver_data();
    void spaceUpdatesReceiver();
    void spaceOnDevicePages_data();
    void spaceOnDevicePages();
    void repairAfterCutOff_data();
    void repairAfterCutOff();
    void offlineNoticeOnce();
    void drag_data();
    void drag();
    void openReadBackOpenOther();
    void sampleDevicesOpen_data();
    void sampleDevicesOpen();
    void sampleMismatchKeepsItsRoad_data();
    void sampleMismatchKeepsItsRoad();
    void closeWhileReadIsBlocked();

private:
    DialogMain* makeWindow();
    void showFrame();

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<TestEnv::TimeScale> m_time;
    QByteArray m_path;
    QList<int> m_exitCodes;
    std::unique_ptr<DialogMain> m_window;
};

void TestDialogMain::init()
{
    m_time = std::make_unique<TestEnv::TimeScale>(0.05);
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse());
    DialogMain::SetTrayAvailableForTests(1);
    m_exitCodes.clear();
    DialogMain::SetExitForTests([this](int code) { m_exitCodes << code; });
}

void TestDialogMain::cleanup()
{
    m_window.reset();
    PostMsg::EndShutdown();
    DialogMain::SetTrayAvailableForTests(-1);
    DialogMain::SetExitForTests(nullptr);
    MacroRecording.store(0);
    m_fixture.reset();
    m_time.reset();
}

DialogMain* TestDialogMain::makeWindow()
{
    m_window = std::make_unique<DialogMain>(nullptr);
    return m_window.get();
}

void TestDialogMain::showFrame()
{
    // The device pages' hot-plug notice goes back at once when the chosen device is not there.
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    PostMsg::instance()->EmitChangeMainDialog(DialogMain::FramePage);
    QCOMPARE(m_window->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"))->currentIndex(),
             int(DialogMain::FramePage));
}

void TestDialogMain::languageSettled_data()
{
    QTest::addColumn<int>("registryIndex"); // -1: no value
    QTest::addColumn<QString>("macroIniBefore");
    QTest::addColumn<int>("language");
    QTest::newRow("no older value") << -1 << "" << 0;
    QTest::newRow("older value 0 leaves Macro.ini") << 0 << "1" << 1;
    QTest::newRow("older value 1 moves into Macro.ini") << 1 << "" << 1;
}

void TestDialogMain::languageSettled()
{
    QFETCH(int, registryIndex);
    QFETCH(QString, macroIniBefore);
    QFETCH(int, language);
    if (registryIndex >= 0)
        RegistryStore::instance()->setValue(languageKey(), QStringLiteral("LanguageIndex"), registryIndex);
    if (!macroIniBefore.isEmpty())
        MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), macroIniBefore);
    WindowSignals hub;
    makeWindow();
    QVERIFY(!RegistryStore::instance()->contains(languageKey(), QStringLiteral("LanguageIndex")));
    QCOMPARE(CurrentLanguage.load(), language);
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt(), language);
    // Every window built so far takes the language, in this order.
    QCOMPARE(hub.names, (QStringList{QStringLiteral("LanguageSameA:%1").arg(language),
                                     QStringLiteral("LanguageSameB:%1").arg(language),
                                     QStringLiteral("AllLanguage:%1").arg(language)}));
}

void TestDialogMain::languageTheFilesLack_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("7") << "7";
    QTest::newRow("negative") << "-1";
}

void TestDialogMain::languageTheFilesLack()
{
    QFETCH(QString, stored);
    MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), stored);
    WindowSignals hub;
    DialogMain* window = makeWindow();
    // Language 0 for the run; what the user stored stays until a choice replaces it.
    QCOMPARE(CurrentLanguage.load(), 0);
    QCOMPARE(hub.names, (QStringList{"LanguageSameA:0", "LanguageSameB:0", "AllLanguage:0"}));
    // The device pages come after that announcement: they take the language themselves.
    window->EnsureDeviceFrame();
    VEXO_CHECKED(checkLanguageShown(window, 0));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")), stored);
}

void TestDialogMain::languageFromEitherList_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("device choice page") << "DialogChange";
    QTest::newRow("settings page") << "FormSetting";
}

void TestDialogMain::languageFromEitherList()
{
    QFETCH(QString, page);
    DialogMain* window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_VERIFY(window->DeviceFrameBuilt());
    if (page == QLatin1String("FormSetting")) {
        showFrame();
        window->findChild<QToolButton*>(QStringLiteral("FormSetting"))->click();
    }
    QComboBox* list = languageList(window, qPrintable(page));
    QVERIFY(list && list->isVisible());
    VEXO_CHECKED(checkLanguageShown(window, 0));
    // Qt's own dialogs speak the chosen language too; one already open follows it.
    QColorDialog colours(window);
    colours.setOption(QColorDialog::DontUseNativeDialog);
    colours.show();
    const QString basicColours = QStringLiteral("&Basic colors");
    QLabel* basic = nullptr;
    for (QLabel* label : colours.findChildren<QLabel*>())
        if (label->text() == basicColours)
            basic = label;
    QVERIFY(basic);
    for (int language : {1, 0}) {
        WindowSignals hub;
        VEXO_CHECKED(TestEnv::PickComboItem(list, language));
        // The language-change events a translator sends, before the program's texts are read.
        QCoreApplication::sendPostedEvents();
        const QString translated = QCoreApplication::translate("QColorDialog", "&Basic colors");
        QCOMPARE(translated != basicColours, language != 0);
        QCOMPARE(basic->text(), translated);
        QFileDialog files(window);
        files.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(files.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
                 QCoreApplication::translate("QFileDialog", "Look in:"));
        QCOMPARE(CurrentLanguage.load(), language);
        QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt(), language);
        // The other list follows without announcing the language again.
        QCOMPARE(hub.names, (QStringList{QStringLiteral("AllLanguage:%1").arg(language),
                                         QStringLiteral("LanguageSame%1:%2")
                                             .arg(page == QLatin1String("FormSetting") ? "A" : "B")
                                             .arg(language)}));
        VEXO_CHECKED(checkLanguageShown(window, language));
    }
}

void TestDialogMain::startsOnTheChoicePage()
{
    DialogMain* window = makeWindow();
    auto* stack = window->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"));
    // The choice page alone: the device frame comes once the window is on screen.
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->widget(0)->metaObject()->className(), "DialogChange");
    QVERIFY(!window->DeviceFrameBuilt());
    QVERIFY(!window->findChild<Dialog*>());
    QCOMPARE(stack->currentIndex(), int(DialogMain::ChoicePage));
    QCOMPARE(window->size(), QSize(1020, 700));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->windowTitle(), QStringLiteral("Vexo Gaming Mouse"));
    // A task bar shows the program's picture, the one its desktop entry names.
    QCOMPARE(window->windowIcon().pixmap(64).toImage(),
             QImage(Skin::Folder(QStringLiteral("Dialog")) + QStringLiteral("Logo.png"))
                 .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // What opening a device talks to exists without the frame.
    QVERIFY(WorkerThread.load() != nullptr);
    QVERIFY(CrashHandler::IsInstalled());

    window->EnsureDeviceFrame();
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->widget(1)->metaObject()->className(), "Dialog");
    QCOMPARE(stack->currentIndex(), int(DialogMain::ChoicePage));
    QVERIFY(window->DeviceFrameBuilt());
    // Once only.
    window->EnsureDeviceFrame();
    QCOMPARE(stack->count(), 2);
    QCOMPARE(window->findChildren<Dialog*>().size(), 1);

    // The window's end ends the worker.
    m_window.reset();
    QVERIFY(!WorkerThread.load());
}

void TestDialogMain::pageSwitch_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<int>("exits");
    QTest::newRow("device pages") << 1 << 1 << QStringList{} << 0;
    QTest::newRow("back to the choice page") << 0 << 0 << QStringList{"SecondPageChange", "MainPageChange"} << 1;
    QTest::newRow("another index changes nothing") << 5 << 0 << QStringList{} << 0;
}

void TestDialogMain::pageSwitch()
{
    QFETCH(int, index);
    QFETCH(int, page);
    QFETCH(QStringList, told);
    QFETCH(int, exits);
    makeWindow();
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    UiSendsChanges.store(0);
    MainPageActive.store(1);
    HidSim::ClearCalls();
    WindowSignals hub;
    PostMsg::instance()->EmitChangeMainDialog(index);
    QCOMPARE(int(UiSendsChanges.load()), 1);
    QCOMPARE(m_window->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"))->currentIndex(), page);
    QCOMPARE(hub.names, told);
    QCOMPARE(HidSim::CallCount("UsbServer_Exit"), exits);
    QCOMPARE(MainPageActive.load(), index == 0 ? 0 : 1);
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), index == 5 ? 0 : 1);
}

void TestDialogMain::backWait()
{
    makeWindow();
    showFrame();
    MainPageActive.store(1);
    HidSim::ClearCalls();
    WindowSignals hub;
    auto* stack = m_window->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"));
    // Queued work runs while the device settles, the frame still shown; a second return
    // among it (a hot-plug notice) runs nothing twice.
    int pageDuringWait = -1;
    int exitsDuringWait = -1;
    QObject scope; // ends the timer when the test ends early
    QTimer::singleShot(0, &scope, [&] {
        pageDuringWait = stack->currentIndex();
        exitsDuringWait = HidSim::CallCount("UsbServer_Exit");
        PostMsg::instance()->EmitChangeMainDialog(DialogMain::ChoicePage);
    });
    PostMsg::instance()->EmitChangeMainDialog(DialogMain::ChoicePage);

    QCOMPARE(pageDuringWait, int(DialogMain::FramePage));
    QCOMPARE(exitsDuringWait, 1);
    QCOMPARE(stack->currentIndex(), int(DialogMain::ChoicePage));
    QCOMPARE(hub.names, (QStringList{"SecondPageChange", "MainPageChange"}));
    QCOMPARE(HidSim::CallCount("UsbServer_Exit"), 1);
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 1);
    QCOMPARE(MainPageActive.load(), 0);
}

void TestDialogMain::minimiseAndRestore_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("frame");
    QTest::newRow("from the frame, to the tray") << int(MinimiseFromFrame) << true << true;
    QTest::newRow("from the choice page, to the tray") << int(MinimiseFromChoicePage) << true << false;
    QTest::newRow("from the frame, no tray") << int(MinimiseFromFrame) << false << true;
    QTest::newRow("from the choice page, no tray") << int(MinimiseFromChoicePage) << false << false;
}

void TestDialogMain::minimiseAndRestore()
{
    QFETCH(int, code);
    QFETCH(bool, tray);
    QFETCH(bool, frame);
    DialogMain::SetTrayAvailableForTests(tray ? 1 : 0);
    DialogMain* window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    if (frame)
        showFrame();
    HidSim::ClearCalls();
    PostMsg::instance()->EmitChangeSize(code);
    // Only the frame tells the device that the program went quiet.
    QCOMPARE(callsOf("UsbServer_SetPCDriverStatus"), code == MinimiseFromFrame ? QStringList{"0"} : QStringList{});
    auto* icon = window->findChild<QSystemTrayIcon*>();
    QVERIFY(icon);
    if (tray) {
        QVERIFY(!window->isVisible());
        QVERIFY(icon->isVisible());
        // The tray shows the program's picture.
        QCOMPARE(icon->icon().pixmap(32).toImage(),
                 QIcon(Skin::Folder(QStringLiteral("Dialog")) + QStringLiteral("Logo.png")).pixmap(32).toImage());
        // A double click restores without telling the device; a single click tells it when the
        // frame is shown.
        HidSim::ClearCalls();
        // Handled once the icon's own event is over: restoring hides the icon.
        emit icon->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!window->isVisible());
        QTRY_VERIFY(window->isVisible());
        QVERIFY(!icon->isVisible());
        QCOMPARE(HidSim::CallCount("UsbServer_SetPCDriverStatus"), 0);
        PostMsg::instance()->EmitChangeSize(code);
        HidSim::ClearCalls();
        emit icon->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(callsOf("UsbServer_SetPCDriverStatus"), frame ? QStringList{"1"} : QStringList{});
    } else {
        QTRY_VERIFY(window->isMinimized());
        QVERIFY(!icon->isVisible());
        HidSim::ClearCalls();
        window->showNormal();
        QTRY_VERIFY(!window->isMinimized());
        QCOMPARE(callsOf("UsbServer_SetPCDriverStatus"), frame ? QStringList{"1"} : QStringList{});
    }
}

void TestDialogMain::trayMenuReplaced()
{
    DialogMain* window = makeWindow();
    window->show();
    showFrame();
    for (int round = 0; round < 3; ++round) {
        PostMsg::instance()->EmitChangeSize(MinimiseFromFrame);
        emit window->findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(window->isVisible());
    }
    PostMsg::instance()->EmitChangeSize(MinimiseFromFrame);
    QCOMPARE(window->findChildren<QMenu*>().size(), 1);
    QCOMPARE(window->findChildren<QMenu*>().first()->actions().size(), 3); // show, separator, exit
    // One routing of the icon: one restore, one word to the device.
    HidSim::ClearCalls();
    emit window->findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(callsOf("UsbServer_SetPCDriverStatus"), QStringList{"1"});
}

void TestDialogMain::closeRoads_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<bool>("frame");
    QTest::newRow("close button of the frame") << "code 1" << true;
    QTest::newRow("close button of the choice page") << "code 3" << false;
    QTest::newRow("window manager close on the frame") << "close" << true;
    QTest::newRow("tray exit from the frame") << "tray exit" << true;
}

void TestDialogMain::closeRoads()
{
    QFETCH(QString, road);
    QFETCH(bool, frame);
    DialogMain* window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    if (frame)
        showFrame();
    const QString cacheFile = DeviceCacheFolder() + DeviceInfoCacheName.get();
    QFile::remove(cacheFile);
    HidSim::ClearCalls();

    if (road == QLatin1String("code 1"))
        PostMsg::instance()->EmitChangeSize(CloseFromFrame);
    else if (road == QLatin1String("code 3"))
        PostMsg::instance()->EmitChangeSize(CloseFromChoicePage);
    else if (road == QLatin1String("close"))
        window->close();
    else {
        PostMsg::instance()->EmitChangeSize(MinimiseFromFrame);
        QMenu* menu = window->findChild<QMenu*>();
        QVERIFY(menu);
        menu->actions().last()->trigger();
    }

    QVERIFY(!window->isVisible() || road == QLatin1String("tray exit"));
    QVERIFY(PostMsg::ShuttingDown());
    // Hot-plug notices stop before the wait, the device service after it.
    QStringList order;
    for (const HidSim::Call& c : HidSim::Calls())
        if (c.function == "StopUsbChanged" || c.function == "UsbServer_Exit")
            order << QString::fromStdString(c.function);
    QCOMPARE(order.first(), QStringLiteral("StopUsbChanged"));
    QVERIFY(order.contains(QStringLiteral("UsbServer_Exit")));
    if (frame) {
        QVERIFY(callsOf("UsbServer_SetPCDriverStatus").contains(QStringLiteral("0")));
        FlashDataMap cached = ZeroFlashDataMap();
        QVERIFY(LoadDeviceInfoCache(DeviceInfoCacheName.get(), &cached));
        QCOMPARE(DeviceLinkFixture::Bytes(cached), DeviceLinkFixture::Bytes(DeviceConfig.get()));
    }
    QCOMPARE(m_exitCodes, road == QLatin1String("tray exit") ? QList<int>{0} : QList<int>{});
    // A second road out does nothing more.
    HidSim::ClearCalls();
    window->close();
    QCOMPARE(HidSim::CallCount("UsbServer_Exit"), 0);
}

void TestDialogMain::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("Return") << int(Qt::Key_Return) << false << QStringList{"EnterKey"};
    QTest::newRow("Enter") << int(Qt::Key_Enter) << false << QStringList{"EnterKey"};
    QTest::newRow("Escape swallowed") << int(Qt::Key_Escape) << false << QStringList{};
    QTest::newRow("F12 swallowed") << int(Qt::Key_F12) << false << QStringList{};
    QTest::newRow("Return while recording") << int(Qt::Key_Return) << true << QStringList{};
    QTest::newRow("Space while recording") << int(Qt::Key_Space) << true << QStringList{};
}

void TestDialogMain::keys()
{
    QFETCH(int, key);
    QFETCH(bool, recording);
    QFETCH(QStringList, told);
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    MacroRecording.store(recording ? 1 : 0);
    // One receiver without a recorded mouse version: Space would open the pairing dialog.
    DeviceAllInfo receiver = DeviceLinkFixture::InfoFor("r", 36, 1, 0, 0);
    FoundDeviceList.set(DeviceList{receiver});
    WindowSignals hub;
    QCOMPARE(modalOpenedBy([&] { pressKey(Qt::Key(key)); }), QString());
    QCOMPARE(hub.names, told);
    QVERIFY(window->isVisible()); // Escape does not close the window
}

void TestDialogMain::spaceOnChoicePage_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<bool>("wired");
    QTest::addColumn<QString>("mouseVer");    // recorded mouse version ("" none)
    QTest::addColumn<QString>("receiverVer"); // the receiver's own version text
    QTest::addColumn<QString>("shown");       // the dialog that opens ("" none)
    // The installation's images for the first model: mouse v1.0, receiver v1.2.
    QTest::newRow("no device") << 0 << false << "" << "v1.0" << "";
    QTest::newRow("two devices") << 2 << false << "" << "v1.0" << "";
    QTest::newRow("a mouse on its cable") << 1 << true << "" << "v1.0" << "";
    QTest::newRow("no recorded mouse version: pairing") << 1 << false << "" << "v1.0" << "Match";
    QTest::newRow("only the mouse image differs: warning") << 1 << false << "v1.1" << "v1.2" << "UpDateWarning";
    QTest::newRow("both differ: pairing") << 1 << false << "v1.1" << "v1.0" << "Match";
    QTest::newRow("neither differs: pairing") << 1 << false << "v1.0" << "v1.2" << "Match";
    QTest::newRow("only the receiver image differs: the repair question") << 1 << false << "v1.0" << "v1.0"
                                                                            << "ContainReset";
}

void TestDialogMain::spaceOnChoicePage()
{
    QFETCH(int, devices);
    QFETCH(bool, wired);
    QFETCH(QString, mouseVer);
    QFETCH(QString, receiverVer);
    QFETCH(QString, shown);
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (!mouseVer.isEmpty())
        WriteMouseVer(QStringLiteral("36"), QStringLiteral("1"), mouseVer);
    DeviceAllInfo device = DeviceLinkFixture::InfoFor("r", 36, 1, wired ? 2 : 0, 0);
    device.VersionText = receiverVer;
    DeviceList list;
    for (int i = 0; i < devices; ++i)
        list << device;
    FoundDeviceList.set(list);
    PairChosen.store(true);

    QCOMPARE(modalOpenedBy([&] { pressKey(Qt::Key_Space); }), shown);
    if (shown == QLatin1String("Match"))
        QVERIFY(!PairChosen.load()); // from the choice page the first listed device is paired
}

void TestDialogMain::spaceUpdatesReceiver_data()
{
    QTest::addColumn<QString>("outcome"); // "flashed", "no image", "refused"
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("text");         // ProgressTexts position shown at the end; -1: the missing image notice
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("receiverVersion");
    QTest::newRow("receiver flashed") << "flashed" << true << 1 << 100 << 0x0102;
    QTest::newRow("image gone before the answer") << "no image" << true << -1 << 0 << 0x0100;
    QTest::newRow("start refused") << "refused" << true << 2 << 0 << 0x0100;
    QTest::newRow("question declined") << "flashed" << false << 0 << 0 << 0x0100;
}

// Space on the choice page with one wireless device whose receiver alone has a newer image.
void TestDialogMain::spaceUpdatesReceiver()
{
    QFETCH(QString, outcome);
    QFETCH(bool, confirmed);
    QFETCH(int, text);
    QFETCH(int, bar);
    QFETCH(int, receiverVersion);
    HidSim::Reset(HidSim::Start::Default);
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    HidSim::SetCosts(costs);
    QVERIFY(HidSim::Unplug("drive1-mouse"));
    QVERIFY(HidSim::Unplug("drive2-receiver"));
    if (outcome == QLatin1String("refused"))
        HidSim::ScriptFlash(HidSim::FlashOutcome::Refuse);
    WriteMouseVer(QStringLiteral("36"), QStringLiteral("1"), QStringLiteral("v1.2")); // the mouse image is no newer
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(FoundDeviceList.get().size(), 1);
    QVERIFY(!FoundDeviceList.get().first().Wired);

    bool asked = false;
    TestEnv::AnswerNextModal([&](QWidget* question) {
        asked = true;
        if (outcome == QLatin1String("no image"))
            QVERIFY(QFile::remove(m_fixture->installation().path() + QStringLiteral("/bin/VEXO_S1_RX1K_v1.2.bin")));
        QTest::keyClick(question, confirmed ? Qt::Key_Return : Qt::Key_Escape);
    }, "ContainReset");
    const QString expected = text < 0 ? LangText(LangTable::AutoRepairTexts, CurrentLanguage, 8)
                                      : LangText(LangTable::ProgressTexts, CurrentLanguage, text);
    QString endText;
    QString cancelCaption;
    int endBar = -1;
    bool runningAtEnd = true;
    if (confirmed)
        TestEnv::AnswerNextModal([&](QWidget* repair) {
            // The flash runs on; the dialog is answered once it has ended. The road's flag drops
            // before the end-of-flash signals reach the dialog, so wait for the dialog's end too.
            auto* label = TestEnv::NamedChild<QLabel>(repair, "ToolText_2");
            auto* progress = TestEnv::NamedChild<QProgressBar>(repair, "progressBar_2");
            QTRY_VERIFY(!RepairUpgradeRunning.load());
            runningAtEnd = false;
            // A failed wait is seen by the checks below; the dialog is closed either way.
            (void)QTest::qWaitFor([&] { return label->text() == expected && progress->value() == bar; }, 10000);
            endText = label->text();
            endBar = progress->value();
            cancelCaption = TestEnv::NamedChild<QToolButton>(repair, "NewHong")->text();
            QTest::keyClick(repair, Qt::Key_Escape);
        }, "UpDateRepair");
    pressKey(Qt::Key_Space);
    QVERIFY(asked);
    QVERIFY(!QApplication::activeModalWidget());
    if (confirmed) {
        QVERIFY(!runningAtEnd);
        QCOMPARE(endText, expected);
        QCOMPARE(endBar, bar);
        QCOMPARE(cancelCaption, LangText(LangTable::AutoRepairTexts, CurrentLanguage, 1)); // in the window's language
    }
    QCOMPARE(HidSim::FirmwareVersion("drive1-receiver"), receiverVersion);
    // A flashed receiver leaves its boot loader once the library's thread is back from the result.
    QTRY_COMPARE(HidSim::InBootMode("drive1-receiver"), false);
    QCOMPARE(HidSim::CallCount("UsbUpgrade_Start"), outcome == QLatin1String("no image") || !confirmed ? 0 : 1);
    QCOMPARE(RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo")).toString(),
             QString());
}

void TestDialogMain::repairAfterCutOff_data()
{
    QTest::addColumn<bool>("otherModel"); // drive 1's mouse listed on its cable
    QTest::newRow("nothing listed") << false;
    QTest::newRow("the other model's mouse listed") << true;
}

// Drive 2's receiver was cut off during its update and waits off the bus; its mouse has no
// cable. Space finds no wireless device to act on; the Repair button repairs the receiver.
void TestDialogMain::repairAfterCutOff()
{
    QFETCH(bool, otherModel);
    TestEnv::TimeScale time(1.0); // no report time-out between two reports of the flash
    HidSim::Reset(HidSim::Start::Default);
    HidSim::Costs costs;
    costs.flashStepMs = 1;
    costs.reenumerateMs = 1;
    HidSim::SetCosts(costs);
    if (!otherModel)
        QVERIFY(HidSim::Unplug("drive1-mouse"));
    QVERIFY(HidSim::Unplug("drive1-receiver"));
    // Cut off half-way: what it runs now is not the image's version.
    QVERIFY(HidSim::SetFirmwareVersion("drive2-receiver", 0x00FF));
    QVERIFY(HidSim::SetBootMode("drive2-receiver", true));
    WriteUpdateFailInfo(211, 4, 36, 2);
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(FoundDeviceList.get().size(), otherModel ? 1 : 0);
    auto* repairButton = TestEnv::NamedChild<QPushButton>(window, "Repair");
    QVERIFY(repairButton->isVisible());

    QCOMPARE(modalOpenedBy([&] { pressKey(Qt::Key_Space); }), QString());
    QVERIFY(UpDateRepairDialog && !UpDateRepairDialog->isVisible());

    repairButton->click();
    QVERIFY(UpDateRepairDialog->isVisible());
    auto* text = TestEnv::NamedChild<QLabel>(UpDateRepairDialog, "ToolText_2");
    QCOMPARE(text->text(), LangText(LangTable::AutoRepairTexts, CurrentLanguage, 12)); // the prompt
    UpDateRepairDialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(UpDateRepairDialog));
    pressKey(Qt::Key_Return);
    QTRY_COMPARE(text->text(), LangText(LangTable::ProgressTexts, CurrentLanguage, 1));
    QTRY_VERIFY(!RepairUpgradeRunning.load());
    QCOMPARE(RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo")).toString(),
             QString());
    // The page hears of the end by a hub signal queued behind the dialog's text.
    QTRY_VERIFY(!repairButton->isVisible());
    QTRY_VERIFY(!HidSim::InBootMode("drive2-receiver"));
    QCOMPARE(HidSim::FirmwareVersion("drive2-receiver"), 0x0100);
    QCOMPARE(HidSim::FirmwareVersion("drive2-mouse"), 0x0100);
    pressKey(Qt::Key_Escape);
    QTRY_VERIFY(!UpDateRepairDialog->isVisible());
}

void TestDialogMain::offlineNoticeOnce()
{
    DialogMain* window = makeWindow();
    window->show();
    OfflineCheckPending.store(0);
    RestartWorkerPending.store(0);
    int notices = 0;
    TestEnv::AnswerNextModal([&](QWidget* notice) {
        ++notices;
        // A second report while this notice is open does not stack another one.
        PostMsg::instance()->EmitMouseOffLineo(1);
        QCOMPARE(int(OfflineCheckPending.load()), 1);
        QCOMPARE(int(RestartWorkerPending.load()), 1);
        notice->close();
    }, "MouseOffLine");
    PostMsg::instance()->EmitMouseOffLineo(0);
    QCOMPARE(notices, 1);
    QVERIFY(!OfflineNoticeGuard::IsOpen());
}

void TestDialogMain::drag_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left button") << int(Qt::LeftButton) << true;
    QTest::newRow("left and right buttons") << int(Qt::LeftButton | Qt::RightButton) << false;
}

void TestDialogMain::drag()
{
    QFETCH(int, buttons);
    QFETCH(bool, moves);
    DialogMain* window = makeWindow();
    window->move(100, 100);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPoint start = window->pos();
    const QPoint grab = start + QPoint(500, 5);
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(500, 5), grab, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QMouseEvent move(QEvent::MouseMove, QPoint(530, 45), grab + QPoint(30, 40), Qt::NoButton,
                     Qt::MouseButtons(buttons), Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    QCOMPARE(window->pos(), moves ? start + QPoint(30, 40) : start);
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(530, 45), grab + QPoint(30, 40), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    // After the release a move is no drag.
    QApplication::sendEvent(window, &move);
    QCOMPARE(window->pos(), moves ? start + QPoint(30, 40) : start);
}

namespace {

QToolButton* deviceButton(DialogMain* window, int index)
{
    return window->findChild<QToolButton*>(QStringLiteral("btn%1").arg(index));
}

int shownPage(DialogMain* window)
{
    return window->findChild<QStackedWidget*>(QStringLiteral("stackedWidgetMain"))->currentIndex();
}

} // namespace

void TestDialogMain::openReadBackOpenOther()
{
    // A second mouse, behind its 4 kHz receiver; its firmware is recorded as current and the
    // receiver has a newer image, so a click opens it on the plain road.
    m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));
    m_fixture->add(DeviceLinkFixture::ReceiverMouse("m2", "r4"));
    WriteMouseVer(QStringLiteral("36"), QStringLiteral("2"), QStringLiteral("v1.3"));
    HubRecorder pages;
    DialogMain* window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_VERIFY(deviceButton(window, 0) && deviceButton(window, 1));

    // Open the cable mouse: the frame shows and its settings are read and shown.
    QTest::mouseClick(deviceButton(window, 0), Qt::LeftButton);
    QCOMPARE(shownPage(window), int(DialogMain::FramePage));
    QTRY_VERIFY(DeviceConfigPath.get() == m_path && DeviceDataLoaded.load() && pages.count(QStringLiteral("Form")) == 1);
    QTRY_VERIFY(!QApplication::activeModalWidget()); // the update dialog closed itself
    QCOMPARE(pages.last(QStringLiteral("Sensor"))->record, DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")));

    // Back to the choice page.
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("UpArrow")), Qt::LeftButton);
    QTRY_COMPARE(shownPage(window), int(DialogMain::ChoicePage));
    QCOMPARE(MainPageActive.load(), 0);
    QTRY_VERIFY(deviceButton(window, 1));

    // Open the other mouse; it goes out of reach while its settings are asked for.
    pages.clear();
    bool sleptAway = false;
    const QMetaObject::Connection atRead = connect(PostMsg::instance(), &PostMsg::SigUpDataParam, this, [&] {
        if (!sleptAway) {
            sleptAway = true;
            QVERIFY(HidSim::SetAwake("m2", false));
        }
    });
    HidSim::Costs slow;
    slow.answerMs = 5000; // the dump is still on its way when the mouse goes
    HidSim::SetCosts(slow);
    bool noticeSeen = false;
    TestEnv::AnswerNextModal([&](QWidget*) {
        // The notice stays until the mouse is back, then closes itself.
        noticeSeen = true;
        HidSim::SetCosts(HidSim::Costs());
        QVERIFY(HidSim::SetAwake("m2", true));
    }, "MouseOffLine", 20000);
    QTest::mouseClick(deviceButton(window, 1), Qt::LeftButton);
    QCOMPARE(shownPage(window), int(DialogMain::FramePage));
    QTRY_VERIFY_WITH_TIMEOUT(noticeSeen, 20000);
    // Back again: read anew, the pages filled with the second mouse's settings.
    const QByteArray pathM2 = QByteArray::fromStdString(HidSim::PathOf("r4"));
    QTRY_VERIFY_WITH_TIMEOUT(DeviceConfigPath.get() == pathM2 && pages.count(QStringLiteral("Form")) >= 1, 20000);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(pages.last(QStringLiteral("Sensor"))->record, DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m2")));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m2")));
    disconnect(atRead);
}

void TestDialogMain::sampleDevicesOpen_data()
{
    QTest::addColumn<QString>("mouse");         // the sample mouse whose pages open
    QTest::addColumn<QString>("clicked");       // the listed device whose button is clicked
    QTest::addColumn<bool>("cableOut");         // Drive1's mouse cable unplugged first
    QTest::addColumn<bool>("outOfReach");       // Drive2's mouse not reached by its receiver until paired
    QTest::addColumn<bool>("receiverUpdate");   // the settings page offers the receiver's update
    QTest::addColumn<bool>("receiverOptions");  // the receiver's LED and long-range rows
    QTest::addColumn<bool>("liftOff");          // the sensor page's sensor section (Drive1's layout has none)
    QTest::newRow("Drive1 on its cable") << "drive1-mouse" << "drive1-mouse" << false << false << true << false
                                         << false;
    QTest::newRow("Drive1 through its receiver") << "drive1-mouse" << "drive1-receiver" << true << false << true
                                                 << false << false;
    QTest::newRow("Drive2 through its receiver") << "drive2-mouse" << "drive2-receiver" << false << false << false
                                                 << true << true;
    QTest::newRow("Drive2, paired first") << "drive2-mouse" << "drive2-receiver" << false << true << false << true
                                          << true;
}

// From a fresh HOME, the sample installation's devices: each opens to its pages, at most after
// one pairing, the sensor page with its lift-off distance and the settings page with what the
// receiver offers.
void TestDialogMain::sampleDevicesOpen()
{
    QFETCH(QString, mouse);
    QFETCH(QString, clicked);
    QFETCH(bool, cableOut);
    QFETCH(bool, outOfReach);
    QFETCH(bool, receiverUpdate);
    QFETCH(bool, receiverOptions);
    QFETCH(bool, liftOff);
    HidSim::Reset(HidSim::Start::Default);
    if (cableOut)
        QVERIFY(HidSim::Unplug("drive1-mouse"));
    if (outOfReach)
        QVERIFY(HidSim::SetAwake("drive2-mouse", false));
    const QByteArray path = QByteArray::fromStdString(HidSim::PathOf(clicked.toStdString()));
    HubRecorder pages;
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const auto buttonOf = [window, path]() -> QToolButton* {
        const DeviceList found = FoundDeviceList.get();
        for (int i = 0; i < found.size(); ++i)
            if (found.at(i).Path == path)
                return deviceButton(window, i);
        return nullptr;
    };
    QTRY_VERIFY(buttonOf());

    int pairings = 0;
    if (outOfReach) {
        // No version to go by: the pairing dialog; paired, the mouse is there.
        TestEnv::AnswerNextModal([&pairings](QWidget* match) {
            ++pairings;
            TestEnv::NamedChild<QPushButton>(match, "MatchButton")->click();
            QTRY_COMPARE(PairResult.load(), int(Match::Succeeded));
            match->close();
        }, "Match");
        QTest::mouseClick(buttonOf(), Qt::LeftButton);
        QCOMPARE(pairings, 1);
        QCOMPARE(shownPage(window), int(DialogMain::ChoicePage));
        QTRY_VERIFY(buttonOf());
    }
    // Nothing else may stand in the way.
    QTimer unexpected;
    QString stoodInTheWay;
    connect(&unexpected, &QTimer::timeout, this, [&stoodInTheWay] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && qstrcmp(modal->metaObject()->className(), "UpDataParam") != 0) {
            stoodInTheWay = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    unexpected.start(10);
    QTest::mouseClick(buttonOf(), Qt::LeftButton);
    QCOMPARE(stoodInTheWay, QString());
    QCOMPARE(shownPage(window), int(DialogMain::FramePage));
    QTRY_VERIFY(DeviceConfigPath.get() == path && DeviceDataLoaded.load() && pages.count(QStringLiteral("Form")) >= 1);
    QTRY_VERIFY(!QApplication::activeModalWidget()); // the please-wait dialog closed itself
    unexpected.stop();
    QCOMPARE(stoodInTheWay, QString());
    QCOMPARE(pages.last(QStringLiteral("Sensor"))->record,
             DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord(mouse.toStdString())));

    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("SensorButton")), Qt::LeftButton);
    QWidget* sensor = pageOf(window, "Sensor");
    QTRY_VERIFY(sensor->isVisible());
    QWidget* liftOffFrame = TestEnv::NamedChild<QWidget>(sensor, "frameLOD");
    QCOMPARE(liftOffFrame->isVisible(), liftOff);
    if (liftOff)
        QVERIFY(TestEnv::NamedChild<QWidget>(liftOffFrame, "LOD")->isEnabled());
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("FormSetting")), Qt::LeftButton);
    QWidget* settings = pageOf(window, "FormSetting");
    QTRY_VERIFY(settings->isVisible());
    QTRY_COMPARE(TestEnv::NamedChild<QWidget>(settings, "checkBox_2")->isVisible(), receiverOptions);
    QTRY_COMPARE(TestEnv::NamedChild<QWidget>(settings, "ReUntil")->isVisible(), receiverOptions);
    QTRY_COMPARE(TestEnv::NamedChild<QWidget>(settings, "Receive_2")->styleSheet().contains(QLatin1String("WaitUpdate.png")),
                 receiverUpdate);
}

void TestDialogMain::sampleMismatchKeepsItsRoad_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("differing"); // the parts whose firmware is not the image's
    QTest::addColumn<QString>("shown");
    QTest::newRow("Drive2's mouse: update on the cable")
        << "drive2-receiver" << "drive2-mouse" << "UpDateWarning";
    QTest::newRow("both parts of Drive2: pair again")
        << "drive2-receiver" << "drive2-mouse drive2-receiver" << "RePair";
    // Drive1's receiver has its update waiting in the sample: with the mouse, both differ.
    QTest::newRow("Drive1's mouse, its cable out: pair again")
        << "drive1-receiver" << "drive1-mouse" << "RePair";
}

// The same sample with firmware that really differs from the images: the click still leads
// to the pair-again question or the update warning, never to the pages.
void TestDialogMain::sampleMismatchKeepsItsRoad()
{
    QFETCH(QString, clicked);
    QFETCH(QString, differing);
    QFETCH(QString, shown);
    HidSim::Reset(HidSim::Start::Default);
    QVERIFY(HidSim::Unplug("drive1-mouse"));
    for (const QString& id : differing.split(QLatin1Char(' ')))
        QVERIFY(HidSim::SetFirmwareVersion(id.toStdString(), 0x0101));
    const QByteArray path = QByteArray::fromStdString(HidSim::PathOf(clicked.toStdString()));
    DialogMain* window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QToolButton* button = nullptr;
    QTRY_VERIFY((button = [window, path]() -> QToolButton* {
        const DeviceList found = FoundDeviceList.get();
        for (int i = 0; i < found.size(); ++i)
            if (found.at(i).Path == path)
                return deviceButton(window, i);
        return nullptr;
    }()));
    for (int click = 0; click < 2; ++click) {
        QCOMPARE(modalOpenedBy([button] { QTest::mouseClick(button, Qt::LeftButton); }), shown);
        QCOMPARE(shownPage(window), int(DialogMain::ChoicePage));
        QCOMPARE(MainPageActive.load(), 0);
    }
}

// The first paint shows the choice page alone; the frame is built right after it, behind the
// choice page.
void TestDialogMain::frameBuiltAfterFirstPaint()
{
    DialogMain* window = makeWindow();
    FirstPaintWatch watch(window);
    window->show();
    QVERIFY(!window->DeviceFrameBuilt());
    QTRY_VERIFY(watch.painted);
    QVERIFY(!watch.frameAtFirstPaint);
    QTRY_VERIFY(window->DeviceFrameBuilt());
    QCOMPARE(shownPage(window), int(DialogMain::ChoicePage));
    QCOMPARE(window->findChildren<Dialog*>().size(), 1);
}

// A device opened before the first paint: the click builds the frame first, so the pages hear
// everything the click tells them, and the posted build adds nothing.
void TestDialogMain::deviceOpenedBeforeFirstPaint()
{
    HubRecorder pages;
    DialogMain* window = makeWindow();
    FirstPaintWatch watch(window);
    QTRY_VERIFY(deviceButton(window, 0));
    window->show();
    QVERIFY(!watch.painted);
    QVERIFY(!window->DeviceFrameBuilt());
    // The click's first word to the pages.
    int frameAtFirstWord = -1;
    const QMetaObject::Connection firstWord = connect(PostMsg::instance(), &PostMsg::SigSetver, this, [&](int) {
        if (frameAtFirstWord < 0)
            frameAtFirstWord = window->DeviceFrameBuilt() ? 1 : 0;
    });

    QTest::mouseClick(deviceButton(window, 0), Qt::LeftButton);
    disconnect(firstWord);
    QCOMPARE(frameAtFirstWord, 1);
    QCOMPARE(shownPage(window), int(DialogMain::FramePage));
    QTRY_VERIFY(DeviceConfigPath.get() == m_path && DeviceDataLoaded.load() && pages.count(QStringLiteral("Form")) == 1);
    QTRY_VERIFY(!QApplication::activeModalWidget()); // the frame's update dialog closed itself
    QCOMPARE(pages.last(QStringLiteral("Sensor"))->record, DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")));
    QTRY_VERIFY(watch.painted);
    QCoreApplication::processEvents();
    QCOMPARE(window->findChildren<Dialog*>().size(), 1);
}

void TestDialogMain::spaceOnDevicePages_data()
{
    QTest::addColumn<QString>("navigation"); // the frame's button that shows the page
    QTest::addColumn<bool>("macroList");     // the button page's function menu open on its macros
    QTest::newRow("button page") << "ButtonMain" << false;
    QTest::newRow("button page, macro list open") << "ButtonMain" << true;
    QTest::newRow("sensor page") << "SensorButton" << false;
    QTest::newRow("macro page") << "MacroButton" << false;
    QTest::newRow("lighting page") << "LightsButton" << false;
    QTest::newRow("settings page") << "FormSetting" << false;
}

// Space reaches the window's pairing road from wherever the platform puts the focus: after the
// please-wait dialog, after a page switch and after the pairing dialog itself.
void TestDialogMain::spaceOnDevicePages()
{
    QFETCH(QString, navigation);
    QFETCH(bool, macroList);
    QVERIFY(QDir().mkpath(MacroFolder()));
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")), "1\n"));
    DialogMain* window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_VERIFY(deviceButton(window, 0));
    // A closed dialog hands the activation back to the window, and with it the focus.
    const auto activeAgain = [window] {
        QTRY_VERIFY(!QApplication::activeModalWidget());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    };
    const auto spaceOpensPairing = [window] {
        bool pairing = false;
        TestEnv::AnswerNextModal([&pairing](QWidget* modal) {
            pairing = true;
            modal->close();
        }, "Match");
        const QWidget* focus = QApplication::focusWidget();
        const QString target = !focus ? QStringLiteral("the window")
            : focus->objectName().isEmpty() ? QString::fromLatin1(focus->metaObject()->className())
                                            : focus->objectName();
        pressKey(Qt::Key_Space);
        QVERIFY2(pairing, qPrintable(QStringLiteral("Space went to ") + target));
        QVERIFY(window->isVisible());
        QCOMPARE(shownPage(window), int(DialogMain::FramePage));
    };

    // Opening the device reads it under the please-wait dialog.
    bool waited = false;
    TestEnv::AnswerNextModal([&waited](QWidget*) { waited = true; }, "UpDataParam");
    QTest::mouseClick(deviceButton(window, 0), Qt::LeftButton);
    QTRY_VERIFY(waited);
    VEXO_CHECKED(activeAgain());
    QTest::mouseClick(window->findChild<QToolButton*>(navigation), Qt::LeftButton);
    if (macroList) {
        // The second button's function menu, then its macro entry.
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("RightKey")), Qt::LeftButton);
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("DPI_10")), Qt::LeftButton);
        QTRY_COMPARE(window->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_2"))->currentWidget()->objectName(),
                     QStringLiteral("page_5"));
    }
    VEXO_CHECKED(spaceOpensPairing());
    VEXO_CHECKED(activeAgain());
    VEXO_CHECKED(spaceOpensPairing());

    // A read pass on this page: the please-wait dialog closes itself once the pages took the record.
    LightLoaded.store(1);
    SensorLoaded.store(1);
    ButtonLoaded.store(1);
    PostMsg::instance()->EmitUpDataParam(0);
    VEXO_CHECKED(activeAgain());
    VEXO_CHECKED(spaceOpensPairing());
}

void TestDialogMain::closeWhileReadIsBlocked()
{
    // A report handler waits on the GUI thread (a blocking signal) when the user closes.
    DialogMain* window = makeWindow();
    window->show();
    showFrame();
    QTRY_VERIFY(!QApplication::activeModalWidget());
    HidSim::HoldPoint hold;
    hold.command = HIDUSB_CMD_SETTINGS;
    hold.subCommand = HIDUSB_SUB_DPI_LIGHT;
    HidSim::HoldDelivery(hold);
    QVERIFY(UsbServer_ReadDPILed());
    QVERIFY(HidSim::WaitUntilHeld());
    HidSim::ReleaseHold();
    // The report is now on its way to a page through a blocking signal, and this thread does
    // not serve it: the close must not wait for it forever.
    QElapsedTimer clock;
    clock.start();
    PostMsg::instance()->EmitChangeSize(CloseFromFrame);
    m_window.reset();
    QVERIFY2(clock.elapsed() < 5000, "closing waited for the blocked read");
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    FlashDataMap cached = ZeroFlashDataMap();
    QVERIFY(LoadDeviceInfoCache(DeviceInfoCacheName.get(), &cached));
    QCOMPARE(DeviceLinkFixture::Bytes(cached), DeviceLinkFixture::Bytes(DeviceConfig.get()));
}

VEXO_TEST_MAIN(TestDialogMain)
#include "tst_dialogmain.moc"
