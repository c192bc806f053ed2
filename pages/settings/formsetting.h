#ifndef FORMSETTING_H
#define FORMSETTING_H

#include "hidusb/flashdatamap.h"
#include "pages/lighting/lightmodeset.h"
#include "pages/settings/inputpica.h"
#include "pages/settings/inputpicb.h"
#include "pages/settings/ledinfo.h"

#include <QPoint>
#include <QString>
#include <QWidget>


class QButtonGroup;
class QMouseEvent;
class QTimer;
class UpDateWarning;

namespace Ui {
class FormSetting;
}

// The firmware checks' one-second timers, children of the settings page (null without it).
extern QTimer* ReceiverCheckTimer;
extern QTimer* MouseCheckTimer;

// The settings page: language, device information, pairing, start at login, the desktop's
// mouse settings, and the receiver's long-range and LED options for devices that have them.
class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

protected:
    // A press on the page goes no further up.
    void mousePressEvent(QMouseEvent* event) override;

private slots:
    void on_pushButton_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_2_clicked();
    void on_Receive_clicked();
    void on_Mouse_clicked();
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
    void on_toolButton_4_clicked();
    void SetVer(int index);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotContinue(int index);
    void on_checkBox_clicked(bool checked);
    void on_pushButton_5_clicked();
    void on_checkBox_2_toggled(bool checked);
    void on_ReUntil_toggled(bool checked);
    void on_ReUntil_2_toggled(bool checked);
    void on_ReUntil_3_toggled(bool checked);
    void on_checkBox_2_clicked(bool checked);
    void on_Receive_2_clicked();
    void on_Start();
    bool ChechIsUpDate();
    void SlotCheckUpdate();

private:
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
    void LedModeToggled(quint8 mode, bool checked);
    void ApplySkin();

    Ui::FormSetting* ui;
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
    QButtonGroup* LedModeGroup = nullptr;
    QString ButtonColorText;
    // Built with the page and never shown by it; the LED dialog follows the receiver itself.
    LedInfo LedInfoDialog;
    InputPicA PictureDialogA;
    InputPicB PictureDialogB;
    LightModeSet LightModeDialog;
};

#endif
