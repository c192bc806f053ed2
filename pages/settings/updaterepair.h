#ifndef UPDATEREPAIR_H
#define UPDATEREPAIR_H

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QScopedPointer>

#include <cstdint>

namespace Ui {
class UpDateRepair;
}

// The firmware repair and upgrade dialog. Its resume check reads the "UpdateFailInfo" record,
// checks that the right devices are there and offers the repair; its own upgrade flashes the
// receiver image, then the mouse image, on one bar. The settings page's machine drives the
// same views through SigProgress. Every instance hears the hub's broadcasts.
class UpDateRepair : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateRepair(QWidget* parent = nullptr);
    ~UpDateRepair() override;

    void ResetRepairView();
    void ShowResumePrompt();
    // The caller puts the message into the notice text first.
    void ShowRepairNotice();
    void ShowUpgradeRunning();
    void SetRepairText(const QString& text);

    // True when the repair can be offered; a problem shows its notice and answers false.
    bool CheckUpgradeResume();
    // The dialog's own upgrade: receiver first, then the mouse.
    void StartUpgrade();
    // Updates the receiver of the one listed wireless device, without a resume check.
    void StartAutoRepair(int mode);
    // The image scan of this dialog: fills RepairImageList; the shown version loses its "v".
    bool ScanFirmwareImages(int kind, QString& shownVersion, const QString& stem, int cid, int mid);
    // Handed to the library; forwards the report to the dialog's road.
    static void UpgradeStatusCallback(const uint8_t* report);

    // Kept from the original routine set; nothing calls them.
    bool CopyDongleIdToMice();
    void ResendDongleIdToMice();
    void HideCancelAndProgress();

    // Escape: the close handling (nothing closes the dialog while it flashes).
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAutoRepair(int index);
    void SlotAutoRepairProgress(int index);
    void SlotAllLanguage(int index);
    void SlotProgress(int schedue, int Discrib);
    void on_NewHong_2_clicked();
    void SlotRepairCheckUpdate();

private:
    enum class View { Start, Prompt, Notice, Running, Ended };
    // What the view setters make of the dialog's widgets; the table is in showLook.
    enum class Look {
        Start, Prompt, Notice, Running, AutoRepairEnded, Ended, EndedWithoutConfirm, CancelAndBarHidden
    };

    void showLook(Look look);
    bool notice(const QString& text);
    void setShortcuts();
    bool flashing() const;
    // Starts the first stage with the receiver image (may be empty) and the mouse image kept
    // for the second stage.
    void beginUpgrade(const QByteArray& receiverImage, const QByteArray& mouseImage);

    const QScopedPointer<Ui::UpDateRepair> m_ui;
    View m_view = View::Start;
    QString SkinFolder;
    int Transition = 0;
    bool AutoRepairRequested = false;
    int AutoRepairMode = 0;
    int FailedKind = 0;
    QString RepairDriveGroup;
    QString RepairReceiverStem;
    bool StartAllowed = false;

    QString CancelText;
    QString NoDeviceText;
    QString SameDeviceText;
    QString UpgradeText;
    QString NoRecieveText;
    QString NoUSBText;
    QString ErrorText;
    QString FileErrorText;
    QString Error2Text;
    QString MultiMouseText;
    QString MultiDongleText;
    QString ReadyUpdateText;
    QString UpdateNotMoveText;
    QString UpDateSuccessText;
    QString UpDateFailText;
    QString ConfirmText;
};

// The settings page's repair dialog (null while no settings page exists).
extern UpDateRepair* UpDateRepairDialog;

#endif
