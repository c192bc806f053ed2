#ifndef DIALOGCHANGE_H
#define DIALOGCHANGE_H

#include "core/deviceallinfo.h"

#include <QList>
#include <QPoint>
#include <QScopedPointer>
#include <QString>
#include <QWidget>

class QLabel;
class mytoolButtonEnter;

namespace Ui {
class DialogChange;
}

// The device choice page: one image button per listed device, three to a page, the
// language box, minimise and close, and the repair button while an interrupted firmware
// upgrade is recorded. Every hot-plug notice while it is registered rebuilds the buttons
// from FoundDeviceList; a click opens the device or first asks about its firmware.
class DialogChange : public QWidget
{
    Q_OBJECT
public:
    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    // Replaces every device button by the devices of FoundDeviceList.
    void RebuildDeviceList();
    // Re-checks the device at index and shows its state on its button.
    void UpdateDeviceButtonState(int index);

signals:
    // Sent (and handled at once) before a click opens a device or the repair dialog: both
    // talk to the device pages.
    void DeviceFrameNeeded();

public slots:
    void SlotSameLanguageA(int index);
    void SlotUpDateButton(bool IsHide);
    void SlotEnterKey();
    void SlotAllLanguage(int index);
    void slotButtonClicked();

private slots:
    void on_MinButton_clicked();
    void on_CloseButton_clicked();
    void on_LeftButton_clicked();
    void on_RightButton_clicked();
    void on_comboBox_activated(int index);
    void on_Repair_clicked();

private:
    // Where one device's widgets go on a page of the stack.
    struct DevicePlace {
        QPoint button;
        QPoint mark;
        QPoint rate;
    };

    void DeviceNotice();
    void ShowRepair(bool shown);
    void TurnPage(int step);
    void AddDeviceWidgets(QWidget* page, int index, const DeviceAllInfo& device, const DevicePlace& place);
    // True when the click ends here (a question, the pairing dialog or a warning was shown).
    bool FirmwareCheckEndsClick(const DeviceAllInfo& device);
    void OpenPairing(const DeviceAllInfo& device);
    void OpenDevice(const DeviceAllInfo& device);

    const QScopedPointer<Ui::DialogChange> m_ui;
    QString ImageFolder;
    QList<mytoolButtonEnter*> DeviceButtonList;
    QList<QLabel*> OfflineMarkList;
    QList<QLabel*> ConnectionIconList;
    QList<QLabel*> RateIconList;
    QString ConnectHintText;
    QString RepairHintText;
    QString OfflineTipText1;
    QString OfflineTipText2;
};

#endif
