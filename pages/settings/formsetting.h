#ifndef FORMSETTING_H
#define FORMSETTING_H

#include "hidusb/flashdatamap.h"
#include "pages/settings/ledinfo.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <QScopedPointer>

#include <atomic>
#include <cstdint>
#include <mutex>


class LedModeGroup;
class QMouseEvent;
class FirmwareUpgrade;
class QTimer;
class UpDateWarning;

namespace Ui {
class FormSetting;
}

// The firmware checks' one-second timers, children of the settings page (null without it).
extern QTimer* ReceiverCheckTimer;
extern QTimer* MouseCheckTimer;

// The stage of each firmware road: 0 no device to flash, 1 flashing, 2 succeeded, 3 failed,
// 4 nothing to flash. Written by the library's status callback as well.
extern std::atomic<int> ReceiverUpdateState;
extern std::atomic<int> MouseUpdateState;
// 2 when the last update check found images for both devices: the bar is then split.
extern std::atomic<int> UpgradeImageCount;

// The settings page: language, device information, pairing, start at login, the desktop's
// mouse settings, and the receiver's long-range and LED options for devices that have them.
class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

    // Start the receiver's or the mouse's firmware road. Only called directly (the form has no
    // Receive or Mouse button), so they are no slots that a form would try to attach.
    void on_Receive_clicked();
    void on_Mouse_clicked();

protected:
    // A press on the page goes no further up.
    void mousePressEvent(QMouseEvent* event) override;

private slots:
    void on_pushButton_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_2_clicked();
    void SetVerText();
    void on_comboBox_activated(int index);
    void SlotAllLanguage(int index);
    void SlotLanguageSameB(int index);
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotLightToFrom(int index);
    void SlotLongRangeMode(bool Select);
    void onDongleCheckTimer();
    void onMouseCheckTimer();
    void SlotLabelText(int index, QString Text);
    void SlotLabelTextB(QString TextA, QString Text);
    void SlotScroolChange(int index);
    void SetVer(int index);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotContinue(int index);
    void on_checkBox_clicked(bool checked);
    void on_checkBox_2_toggled(bool checked);
    void on_checkBox_2_clicked(bool checked);
    void on_Receive_2_clicked();
    void on_Start();
    bool ChechIsUpDate();
    void SlotCheckUpdate();

private:
    // Named like slots of buttons the form lacks: plain functions, so that nothing tries to attach them.
    void on_toolButton_4_clicked();
    void on_pushButton_5_clicked();
    // Items 0 (long range) and 1 (LED mode) of the chosen device's "Adveanced" list, read
    // afresh; a missing item reads "-1" (no such option).
    static QStringList AdvancedOptions();
    // SlotRGBValue's condition: the model has the LED option and sits behind a 4 kHz receiver.
    static bool LedRowApplies();
    void SetLongRangeGroupVisible(bool visible);
    void SetLedGroupVisible(bool visible);
    // The content height and the two bottom lines for the LED group hidden or shown.
    void PlaceBottom(bool ledShown);
    // The full read's rules shared by SlotForm and SlotFormB.
    void ApplyFormRules(bool showLongRange);
    void LedModeToggled(int mode, bool checked);
    void ApplySkin();

    // Firmware upgrade machine: one step of the road of kind per timer tick.
    void RunFirmwareUpgrade(int step, int kind, QString shownVersion);
    void EndReceiverUpdate();
    void EndMouseUpdate();
    // The library's status callback for both kinds; runs on the library's thread.
    static void UpgradeDoneCallback(const uint8_t* report);
    // Kept with the machine; nothing calls them except IsAnyFlashing (the one-flash guard).
    void WaitMs(int ms);
    void SetUpgradeRunning();
    void StopUpgradeTimers();
    bool IsReceiverFlashing() const;
    bool IsMouseFlashing() const;
    bool IsAnyFlashing() const;
    bool CopyDongleIdToMice();

    void WireMachineRoad();
    // A road runs or a flash of either road is under way: no second one starts.
    bool FlashInProgress() const;
    void StartReceiverRoad();
    void StartMouseRoad();
    void EndWithNothingToFlash(int kind);
    void StartFlash(int kind);
    void EndRoad(int kind);
    void FillVersionLabels(bool check);
    void SetUpdateStyle(bool available);
    // The repair dialog's notice view with text; false, the answer of a failed check.
    bool RepairNotice(const QString& text);
    QString DeviceSection() const;
    int SectionMid() const;
    QString SectionValue(const QString& key) const;
    // The receiver class of the listed receiver of a wireless device ("" stem key when none).
    static int ListedReceiverType(QString* stemKey = nullptr);

    const QScopedPointer<Ui::FormSetting> m_ui;
    QString SkinFolder;
    // Language texts the firmware checks show.
    QString NoDeviceText;
    QString SameDeviceText;
    QString VerNewText;
    QString ReceiveText;
    QString NoRecieveText;
    QString NoUSBText;
    QString ErrorText;
    QString MultiDongleText;
    QString MultiMouseText;
    UpDateWarning* UpdateWarningDialog = nullptr;
    QPoint VersionLabelOrigin;
    LedModeGroup* LedModes = nullptr;
    QString ButtonColorText;
    // Built with the page and never shown by it; it follows the receiver's LED mode itself. The
    // page's other dormant dialogs (pictures, light mode) have no effect and are not built.
    LedInfo LedInfoDialog;

    // Upgrade machine
    int UpgradeStep = 0;
    quint8 ReceiverUpgradeActive = 0;
    quint8 MouseUpgradeActive = 0;
    quint8 ReceiverUpToDate = 0;
    quint8 MouseUpToDate = 0;
    quint8 ChainedStart = 0;
    int BootDeviceCounts[4] = {0, 0, 0, 0}; // receiver classes 1, 2, 4, 8
    QList<QByteArray> ReceiverPaths; // the library's path bytes, unchanged
    int MouseResumePending = 0;
    QString DriveGroup;
    QString ReceiverStem;
    QString ResumeReceiverStem;
    // What a road that flashed nothing tells in the repair dialog when no road follows it.
    QString RoadEndText;
    FirmwareUpgrade* MachineRoad = nullptr;
    // What the status callback needs of the flash it reports on, fixed at its start.
    std::mutex FlashMutex;
    QString FlashCidText;
    QString FlashMidText;
};

#endif
