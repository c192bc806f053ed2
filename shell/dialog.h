#ifndef DIALOG_H
#define DIALOG_H

#include <QScopedPointer>
#include <QString>
#include <QWidget>

class Buttoninterface;
class FormSetting;
class LampLight;
class Macro;
class QButtonGroup;
class Sensor;
class UpDataParam;

namespace Ui {
class Dialog;
}

// The frame around the five device pages: navigation buttons, the back arrow to the device
// choice page, minimise and close, the battery gauge, and the settings-read dialog that
// each read pass of the device opens.
class Dialog : public QWidget
{
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void WindowClosed();
    void WindowMin();
    void on_ButtonMain_clicked();
    void on_SensorButton_clicked();
    void on_MacroButton_clicked();
    void on_LightsButton_clicked();
    void on_UpArrow_clicked();
    void on_SetButton_clicked();
    void SlotSecondDialog();
    void SlotUpDataParam(int index);
    void SlotStartRecord(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotMouseIndex(int index);
    void on_CloseButton_clicked();
    void on_FormSetting_clicked();

private:
    // Named like slots of buttons the form lacks: plain functions, so that nothing tries to attach them.
    void on_MouseB_clicked();
    void on_MouseC_clicked();
    void ApplySkin();
    // The record and its cache name are taken together, so they belong to the same read.
    static void SaveCurrentDeviceCache();

    const QScopedPointer<Ui::Dialog> m_ui;
    QButtonGroup* ButtonGroup = nullptr;
    Buttoninterface* ButtonPage = nullptr;
    LampLight* LightPage = nullptr;
    Macro* MacroPage = nullptr;
    Sensor* SensorPage = nullptr;
    FormSetting* SettingPage = nullptr;
    UpDataParam* UpdateDialog = nullptr;
    QString ImageFolder;
    // True from the start of the settings-read dialog's modal run until it returns.
    bool UpdateDialogRunning = false;
    // True while the back road runs (its wait processes events).
    bool BackRoadRunning = false;
};

#endif
