#ifndef DIALOGMAIN_H
#define DIALOGMAIN_H

#include "platform/crashdumphandler.h"

#include <QDialog>
#include <QPoint>
#include <QScopedPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class Dialog;
class DialogChange;
class QAction;
class QMenu;

namespace Ui {
class DialogMain;
}

// The product's name as the window, the tray and the registry know it.
extern const QString ProductName;

// The one top-level window: a stack of the device choice page (0) and the device page frame
// (1, built after the first paint or when a device opens), the tray icon, the offline notice,
// dragging and the window-wide keys. Every way out (close buttons, Alt+F4, the tray's exit,
// the session ending) takes one shutdown road.
class DialogMain : public QDialog
{
    Q_OBJECT
public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

    enum Page { ChoicePage = 0, FramePage = 1 };

    // Builds the device frame and its pages unless they exist. The window builds them once its
    // first paint is on screen; every road that opens a device calls this first.
    void EnsureDeviceFrame();
    bool DeviceFrameBuilt() const;

    // Whether minimising hides to the tray; without a system tray the window minimises as
    // usual. Tests may decide it.
    static bool TrayAvailable();
    static void SetTrayAvailableForTests(int available); // -1: ask the system
    // The tray's exit ends the event loop; a test keeps its own loop running.
    static void SetExitForTests(std::function<void(int)> exit);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void SlotChangeMainDialog(int index);
    void SlotChangeSize(int index);
    void SlotMouseOffLine(int index);
    void SlotUpPageLight();
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void slotActionMain();
    void slotActionExitApp();
    void SlotAllLanguage(int index);

private:
    // The form has no pushButton: a plain function, so that nothing tries to attach it.
    void on_pushButton_clicked();
    void MigrateLanguageIndex();
    void MinimiseToTray();
    void RestoreWindow(bool tellDevice);
    void PairFromDevicePages();
    void SpaceOnChoicePage();
    void RunPairing(bool chosenDevice);
    // The one road out: blocking signals let go, the cache saved when the frame is shown,
    // hot-plug and the device service stopped. Runs once.
    void ShutDown();
    bool FrameShown() const;

    const QScopedPointer<Ui::DialogMain> m_ui;
    CrashDumpHandler CrashDump;
    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* TrayMenu = nullptr;
    QAction* ShowAction = nullptr;
    QAction* ExitAction = nullptr;
    QPoint DragOffset;
    QPoint PressGlobal;
    QPoint PressWindow;
    DialogChange* ChoicePageWidget = nullptr;
    Dialog* FrameWidget = nullptr;
    QString TrayShowText;
    QString TrayExitText;
    bool ShutDownDone = false;
    bool FrameBuildPosted = false;
    bool Minimised = false;
    bool BackRoadRunning = false;
};

#endif
