#include "shell/dialogmain.h"

#include "core/apppaths.h"
#include "core/configini.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/mainpagehotplug.h"
#include "device/wirelessfirmwarecheck.h"
#include "device/worker.h"
#include "pages/settings/match.h"
#include "pages/settings/updaterepair.h"
#include "pages/settings/updatewarning.h"
#include "platform/registrystore.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/languagelist.h"
#include "ui/lang/qttranslation.h"
#include "shell/dialog.h"
#include "shell/dialogchange.h"
#include "ui/widgets/containreset.h"
#include "ui/widgets/offlinenoticeguard.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include "ui_dialogmain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QtDebug>

#include <atomic>

const QString ProductName = QStringLiteral("Vexo Gaming Mouse");

namespace {

std::atomic<int> g_trayForTests{-1};
std::function<void(int)> g_exitForTests;

QString languageIndexKey()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + AppPaths::AppFolderName() + QLatin1Char('\\')
        + ProductName + QLatin1Char('\\') + ProductName;
}

} // namespace

bool DialogMain::TrayAvailable()
{
    const int forced = g_trayForTests.load();
    return forced >= 0 ? forced != 0 : QSystemTrayIcon::isSystemTrayAvailable();
}

void DialogMain::SetTrayAvailableForTests(int available)
{
    g_trayForTests.store(available);
}

void DialogMain::SetExitForTests(std::function<void(int)> exit)
{
    g_exitForTests = std::move(exit);
}

DialogMain::DialogMain(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DialogMain)
{
    m_ui->setupUi(this);
    LoadLanguageFiles();
    MigrateLanguageIndex();
    // A stored language this installation lacks starts in language 0; Macro.ini keeps it until a choice.
    CurrentLanguage.store(LanguageList::Held(
        MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt()));
    CrashDump.InstallCrashDumpFilter();

    // The worker first: opening a device from the choice page talks to it. The device frame
    // comes once the choice page is on screen (see paintEvent), or when a device opens.
    CreateRunWorker();
    ChoicePageWidget = new DialogChange(this);
    m_ui->stackedWidgetMain->addWidget(ChoicePageWidget);
    m_ui->stackedWidgetMain->setCurrentWidget(ChoicePageWidget);
    connect(ChoicePageWidget, &DialogChange::DeviceFrameNeeded, this, &DialogMain::EnsureDeviceFrame);

    setWindowFlags(Skin::MainWindowFlags());
    // A task bar shows it beside the window's name.
    setWindowIcon(Skin::ProgramIcon());
    setFixedSize(width(), height());

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    PostMsg::Connect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));
    PostMsg::Connect(SIGNAL(SigChangeSize(int)), this, SLOT(SlotChangeSize(int)));
    PostMsg::Connect(SIGNAL(SigMouseOffLineo(int)), this, SLOT(SlotMouseOffLine(int)));
    PostMsg::Connect(SIGNAL(SigUpPageLight()), this, SLOT(SlotUpPageLight()));

    // Owned by the window; its activation is routed once, however often the menu is rebuilt.
    // Its picture is read when the tray first shows it. Queued: a restore hides the icon, and
    // hiding destroys the icon's window, which must not happen inside its own mouse handling.
    TrayIcon = new QSystemTrayIcon(this);
    TrayIcon->setToolTip(ProductName);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        QMetaObject::invokeMethod(
            this, [this, reason] { on_activatedSysTrayIcon(reason); }, Qt::QueuedConnection);
    });

    // The session ending closes the program on the same road as the close button.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &DialogMain::ShutDown);

    PostMsg* hub = PostMsg::instance();
    const int language = CurrentLanguage.load();
    hub->EmitLanguageSameA(language);
    hub->EmitLanguageSameB(language);
    hub->EmitAllLanguage(language);
}

DialogMain::~DialogMain()
{
    ShutDown();
    // Before the pages go: a pass still running may be delivering to them.
    EndRunWorker();
}

void DialogMain::EnsureDeviceFrame()
{
    if (FrameWidget)
        return;
    FrameWidget = new Dialog(this);
    m_ui->stackedWidgetMain->addWidget(FrameWidget);
    // Polished now, as a part of the window shown: opening a device costs no more than before.
    FrameWidget->ensurePolished();
}

bool DialogMain::DeviceFrameBuilt() const
{
    return FrameWidget != nullptr;
}

void DialogMain::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (FrameBuildPosted)
        return;
    FrameBuildPosted = true;
    // Posted: this paint reaches the screen before the frame is built. A window already
    // closed needs no frame.
    QTimer::singleShot(0, this, [this] {
        if (!ShutDownDone)
            EnsureDeviceFrame();
    });
}

void DialogMain::MigrateLanguageIndex()
{
    RegistryStore* registry = RegistryStore::instance();
    const QString key = languageIndexKey();
    const int old = registry->value(key, QStringLiteral("LanguageIndex")).toInt();
    if (old != 0)
        MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QString::number(old));
    registry->remove(key, QStringLiteral("LanguageIndex"));
}

bool DialogMain::FrameShown() const
{
    return FrameWidget && m_ui->stackedWidgetMain->currentWidget() == FrameWidget;
}

void DialogMain::SlotChangeMainDialog(int index)
{
    UiSendsChanges.store(1);
    PostMsg* hub = PostMsg::instance();
    if (index == ChoicePage) {
        // A second return arriving during the wait (a hot-plug notice) has nothing left to do.
        if (BackRoadRunning)
            return;
        BackRoadRunning = true;
        hub->EmitSecondPageChange();
        MainPageActive.store(0);
        hub->EmitMainPageChange();
        StopDeviceService();
        // The window keeps drawing; clicks and keys wait for the choice page.
        WaitPumpingEvents(Timing::BackArrowWait, QEventLoop::ExcludeUserInputEvents);
        m_ui->stackedWidgetMain->setCurrentWidget(ChoicePageWidget);
        StartUsbChanged(DevicePageHotplugNotice, Timing::HotplugInterval);
        BackRoadRunning = false;
    } else if (index == FramePage) {
        EnsureDeviceFrame();
        m_ui->stackedWidgetMain->setCurrentWidget(FrameWidget);
        StartUsbChanged(MainPageHotplugCallback, Timing::HotplugInterval);
    }
}

void DialogMain::SlotChangeSize(int index)
{
    if (index == MinimiseFromFrame || index == CloseFromFrame)
        UsbServer_SetPCDriverStatus(0);
    if (index == MinimiseFromFrame || index == MinimiseFromChoicePage) {
        MinimiseToTray();
    } else if (index == CloseFromFrame || index == CloseFromChoicePage) {
        ShutDown();
        close();
    }
}

void DialogMain::MinimiseToTray()
{
    if (!TrayAvailable()) {
        // Nowhere to hide to: an ordinary minimise, restored through the window manager.
        Minimised = true;
        showMinimized();
        return;
    }
    hide();
    if (TrayIcon->icon().isNull())
        TrayIcon->setIcon(windowIcon());
    // The earlier menu and its actions are replaced, not stacked; the icon shows the menu itself
    // on a right click, so that there is one menu road.
    delete TrayMenu;
    TrayMenu = new QMenu(this);
    ShowAction = new QAction(TrayShowText, TrayMenu);
    ExitAction = new QAction(TrayExitText, TrayMenu);
    connect(ShowAction, &QAction::triggered, this, &DialogMain::slotActionMain);
    connect(ExitAction, &QAction::triggered, this, &DialogMain::slotActionExitApp);
    TrayMenu->addAction(ShowAction);
    TrayMenu->addSeparator();
    TrayMenu->addAction(ExitAction);
    TrayIcon->setContextMenu(TrayMenu);
    TrayIcon->show();
}

void DialogMain::RestoreWindow(bool tellDevice)
{
    showNormal();
    activateWindow();
    if (tellDevice && FrameShown())
        UsbServer_SetPCDriverStatus(1);
    TrayIcon->hide();
}

void DialogMain::SlotMouseOffLine(int index)
{
    OfflineNoticeGuard::Run(index, this, [] {
        OfflineCheckPending.store(1);
        RestartWorkerPending.store(1);
    });
}

void DialogMain::SlotUpPageLight()
{
}

void DialogMain::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    // A right click (Context) needs nothing here: the icon opens its context menu itself.
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        RestoreWindow(false);
        break;
    case QSystemTrayIcon::Trigger:
        RestoreWindow(true);
        break;
    default:
        break;
    }
}

void DialogMain::slotActionMain()
{
    RestoreWindow(true);
}

void DialogMain::slotActionExitApp()
{
    // The orderly road first, then the run ends with code 0.
    ShutDown();
    if (g_exitForTests)
        g_exitForTests(0);
    else
        QCoreApplication::exit(0);
}

void DialogMain::SlotAllLanguage(int index)
{
    TrayShowText = LangText(LangTable::DialogMainTexts, index, 0);
    TrayExitText = LangText(LangTable::DialogMainTexts, index, 1);
    QtTranslation::Apply(index);
}

void DialogMain::on_pushButton_clicked()
{
    close();
}

void DialogMain::ShutDown()
{
    if (ShutDownDone)
        return;
    ShutDownDone = true;
    qCDebug(lcDevice) << "close";
    // A device thread blocked on the GUI thread lets go; no new blocking signal waits.
    PostMsg::BeginShutdown();
    if (FrameShown()) {
        UsbServer_SetPCDriverStatus(0);
        SaveDeviceInfoCache(DeviceInfoCacheName.get(), DeviceConfig.get());
    }
    StopUsbChanged();
    CancelWorkerRun();
    WaitPumpingEvents(Timing::CloseWait);
    StopDeviceService();
    if (TrayIcon)
        TrayIcon->hide();
}

void DialogMain::closeEvent(QCloseEvent* event)
{
    // A window-manager close (Alt+F4) takes the close button's road.
    ShutDown();
    QDialog::closeEvent(event);
}

void DialogMain::changeEvent(QEvent* event)
{
    // Restored from an ordinary minimise (no tray): the device hears the program is back.
    if (event->type() == QEvent::WindowStateChange && Minimised && !isMinimized()) {
        Minimised = false;
        if (FrameShown())
            UsbServer_SetPCDriverStatus(1);
    }
    QDialog::changeEvent(event);
}

void DialogMain::mousePressEvent(QMouseEvent* event)
{
    PressGlobal = event->globalPos();
    PressWindow = pos();
    DragOffset = PressGlobal - PressWindow;
}

void DialogMain::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::LeftButton && !isMaximized() && !DragOffset.isNull())
        move(event->globalPos() - DragOffset);
}

void DialogMain::mouseReleaseEvent(QMouseEvent*)
{
    DragOffset = QPoint();
}

void DialogMain::keyPressEvent(QKeyEvent* event)
{
    if (MacroRecording.load())
        return;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMsg::instance()->EmitEnterKey();
        return;
    case Qt::Key_Space:
        // Pairing binds the device service: its reports are for the pages.
        EnsureDeviceFrame();
        if (FrameShown())
            PairFromDevicePages();
        else
            SpaceOnChoicePage();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DialogMain::RunPairing(bool chosenDevice)
{

    Match match(nullptr);
    PairChosen.store(chosenDevice);
    match.PreparePairing();
    Skin::MoveCenteredOver(&match, this);
    match.exec();
}

void DialogMain::PairFromDevicePages()
{
    RunPairing(true);
    // Pairing took the device service and the hot-plug notice; the device pages get both back
    // and read the mouse the receiver holds now.
    RebindAfterPairing();
    StartUsbChanged(MainPageHotplugCallback, Timing::HotplugInterval);
}

void DialogMain::SpaceOnChoicePage()
{
    const DeviceList found = FoundDeviceList.get();
    if (found.size() != 1 || found.first().Wired)
        return;
    const WirelessFirmwareCheck check =
        WirelessFirmwareCheck::Run(found.first(), WirelessFirmwareCheck::Images::Probe);
    bool pair = !check.mouseVersionKnown;
    if (!pair) {
        if (check.newReceiver && !check.newMouse) {
            UpDateRepair repair(nullptr);
            Skin::MoveCenteredOver(&repair, this);
            ContainReset question(nullptr);
            question.SetMessage(MouseIsNewTipsText);
            Skin::MoveCenteredOver(&question, this, QPoint(-20, 0));
            question.exec();
            if (question.Confirmed) {
                // Flashes the receiver; the dialog shows how it ends.
                repair.StartAutoRepair(0);
                repair.exec();
            }
            return;
        }
        if (check.newMouse && !check.newReceiver) {
            UpDateWarning warning(nullptr);
            warning.SetMessage(WiredModeText);
            Skin::MoveCenteredOver(&warning, this, QPoint(-20, 0));
            warning.exec();
            return;
        }
        pair = true;
    }
    if (pair) {
        RunPairing(false);
        BindDeviceService(CurrentDevicePath.get());
    }
}
