#include "shell/dialog.h"

#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/worker.h"
#include "pages/buttons/buttoninterface.h"
#include "pages/lighting/lamplight.h"
#include "pages/macro/macro.h"
#include "pages/sensor/sensor.h"
#include "pages/settings/formsetting.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/updataparam.h"

#include "hidusb/HIDUsb.h"

#include "ui_dialog.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QtDebug>

#include <mutex>

namespace {

// The update dialog sits over the frame, this far above its centre.
const QPoint UpdateDialogShift(0, -20);

// Below this level the fill turns red.
constexpr int BatteryLowBelow = 16;

QString url(const QString& folder, const QString& image)
{
    return QStringLiteral("url(") + folder + image + QStringLiteral(")");
}

// Navigation buttons: an image for the normal, hover and checked states.
QString navigationButtonStyle(const QString& folder, const QString& normal, const QString& hover,
                              const QString& checked)
{
    return QStringLiteral("QToolButton{border: 0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: ")
        + url(folder, normal) + QStringLiteral(";}QToolButton:hover{background-image:  ") + url(folder, hover)
        + QStringLiteral(";}QToolButton:checked{background-image: ") + url(folder, checked) + QStringLiteral(";}");
}

QString batteryFillStyle(int level)
{
    return level < BatteryLowBelow
        ? QStringLiteral("#progressBar{border: none;background-color: transparent;}"
                         "#progressBar::chunk {background-color: rgb(152, 43, 34);}")
        : QStringLiteral("#progressBar{border: none;background-color: transparent;}"
                         "#progressBar::chunk {background-color: rgb(0, 255, 153);}");
}

} // namespace

Dialog::Dialog(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::Dialog)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::Folder(QStringLiteral("Dialog"));

    ButtonPage = new Buttoninterface(this);
    LightPage = new LampLight(this);
    MacroPage = new Macro(this);
    SensorPage = new Sensor(this);
    SettingPage = new FormSetting(this);
    m_ui->stackedWidgetDialog->addWidget(ButtonPage);
    m_ui->stackedWidgetDialog->addWidget(SensorPage);
    m_ui->stackedWidgetDialog->addWidget(MacroPage);
    m_ui->stackedWidgetDialog->addWidget(LightPage);
    m_ui->stackedWidgetDialog->addWidget(SettingPage);

    UpdateDialog = new UpDataParam(nullptr);
    qCDebug(lcDevice) << "Start";

    ApplySkin();
    m_ui->label->hide();
    m_ui->SetButton->hide();

    ButtonGroup = new QButtonGroup(this);
    ButtonGroup->setExclusive(true);
    ButtonGroup->addButton(m_ui->ButtonMain);
    ButtonGroup->addButton(m_ui->MacroButton);
    ButtonGroup->addButton(m_ui->LightsButton);
    ButtonGroup->addButton(m_ui->SensorButton);
    ButtonGroup->addButton(m_ui->FormSetting);

    connect(m_ui->MinButton, &QToolButton::clicked, this, &Dialog::WindowMin);
    m_ui->ButtonMain->setChecked(true);

    setWindowFlags(Skin::MainWindowFlags());
    setFixedSize(1020, 700);

    m_ui->stackedWidgetDialog->setCurrentWidget(ButtonPage);

    PostMsg::Connect(SIGNAL(SigSecondPageChange()), this, SLOT(SlotSecondDialog()));
    PostMsg::Connect(SIGNAL(SigUpDataParam(int)), this, SLOT(SlotUpDataParam(int)));
    PostMsg::Connect(SIGNAL(SigStartRecord(int)), this, SLOT(SlotStartRecord(int)));
    PostMsg::Connect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    PostMsg::Connect(SIGNAL(SigBattery(bool,int,bool)), this, SLOT(SlotBattery(bool,int,bool)));

    m_ui->label_3->hide();
    m_ui->label_2->hide();
}

Dialog::~Dialog()
{
    delete UpdateDialog;
}

void Dialog::ApplySkin()
{
    const QString& f = ImageFolder;
    const QString rgb = Skin::OptionColor(QStringLiteral("LabelColor"));
    // A missing colour leaves the declaration out, as the shared skin texts do.
    const QString color = rgb.isEmpty() ? QString() : QStringLiteral("color: rgb(") + rgb + QStringLiteral(";);");
    m_ui->label_2->setStyleSheet(QStringLiteral("#label_2{") + color + QStringLiteral("}"));
    m_ui->frame_2->setStyleSheet(QStringLiteral("#frame_2{border-image: ") + url(f, QStringLiteral("BackGround.png"))
                               + QStringLiteral(";}"));
    m_ui->BatteryButtonC->setStyleSheet(QStringLiteral("#BatteryButtonC{border:0px;background-image: ")
                                      + url(f, QStringLiteral("Battery.png"))
                                      + QStringLiteral(";background-position:center;background-repeat:no-repeat;}"));
    m_ui->label->setStyleSheet(QStringLiteral("#label{border-image: ") + url(f, QStringLiteral("Charg.png"))
                             + QStringLiteral(";}"));

    m_ui->ButtonMain->setStyleSheet(navigationButtonStyle(f, QStringLiteral("Home.png"), QStringLiteral("HomeHover.png"),
                                                        QStringLiteral("HomeChecked.png")));
    m_ui->SensorButton->setStyleSheet(navigationButtonStyle(f, QStringLiteral("Sensor.png"),
                                                          QStringLiteral("SensorHover.png"),
                                                          QStringLiteral("SensorChecked.png")));
    m_ui->MacroButton->setStyleSheet(navigationButtonStyle(f, QStringLiteral("Macro.png"),
                                                         QStringLiteral("MacroHover.png"),
                                                         QStringLiteral("MacroChecked.png")));
    m_ui->LightsButton->setStyleSheet(navigationButtonStyle(f, QStringLiteral("Light.png"),
                                                          QStringLiteral("LightHover.png"),
                                                          QStringLiteral("LightChecked.png")));
    m_ui->FormSetting->setStyleSheet(navigationButtonStyle(f, QStringLiteral("Setting.png"),
                                                         QStringLiteral("SettingHover.png"),
                                                         QStringLiteral("SettingClick.png")));

    // stem.png, stemHover.png, stemClick.png: the pressed form.
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(f, QStringLiteral("Close")));
    m_ui->MinButton->setStyleSheet(Skin::CloseButtonStyle(f, QStringLiteral("Min")));
    m_ui->SetButton->setStyleSheet(Skin::CloseButtonStyle(f, QStringLiteral("Setting")));
    m_ui->UpArrow->setStyleSheet(Skin::CloseButtonStyle(f, QStringLiteral("PageChange")));
}

void Dialog::SaveCurrentDeviceCache()
{
    QString name;
    FlashDataMap record;
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        name = DeviceInfoCacheName.get();
        record = DeviceConfig.get();
    }
    SaveDeviceInfoCache(name, record);
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
    QWidget::changeEvent(event);
}

void Dialog::WindowClosed()
{
    SaveCurrentDeviceCache();
    PostMsg::instance()->EmitChangeSize(CloseFromFrame);
}

void Dialog::WindowMin()
{
    PostMsg::instance()->EmitChangeSize(MinimiseFromFrame);
}

void Dialog::on_ButtonMain_clicked()
{
    m_ui->stackedWidgetDialog->setCurrentWidget(ButtonPage);
    PostMsg::instance()->EmitAddMacroButton();
}

void Dialog::on_SensorButton_clicked()
{
    m_ui->stackedWidgetDialog->setCurrentWidget(SensorPage);
}

void Dialog::on_MacroButton_clicked()
{
    m_ui->stackedWidgetDialog->setCurrentWidget(MacroPage);
}

void Dialog::on_LightsButton_clicked()
{
    m_ui->stackedWidgetDialog->setCurrentWidget(LightPage);
}

void Dialog::on_UpArrow_clicked()
{
    // The wait below runs queued work: nothing there may run the road again.
    if (BackRoadRunning)
        return;
    BackRoadRunning = true;
    UsbServer_SetPCDriverStatus(0);
    SaveCurrentDeviceCache();
    m_ui->ButtonMain->setChecked(true);
    WaitPumpingEvents(Timing::BackArrowWait, QEventLoop::ExcludeUserInputEvents);
    StopDeviceService();
    PostMsg::instance()->EmitChangeMainDialog(0);
    PostMsg::instance()->EmitSetMacroPage();
    BackRoadRunning = false;
}

void Dialog::on_SetButton_clicked() {}

void Dialog::on_MouseB_clicked() {}

void Dialog::on_MouseC_clicked() {}

void Dialog::SlotSecondDialog()
{
    m_ui->ButtonMain->setChecked(true);
    m_ui->stackedWidgetDialog->setCurrentWidget(ButtonPage);
}

void Dialog::SlotUpDataParam(int index)
{
    // One modal run at a time; none once the user is leaving or has left the device pages.
    if (UpdateDialogRunning || BackRoadRunning || MainPageActive.load() == 0)
        return;
    UpdateDialog->StartForReadPass(index);
    qCDebug(lcDevice) << "q";
    qCDebug(lcDevice) << "w";
    Skin::MoveCenteredOver(UpdateDialog, this, UpdateDialogShift);
    qCDebug(lcDevice) << "t1";
    UpdateDialogRunning = true;
    UpdateDialog->exec();
    UpdateDialogRunning = false;
}

void Dialog::SlotStartRecord(int index)
{
    if (index != 0 && index != 1)
        return;
    const bool enable = index == 1;
    m_ui->ButtonMain->setEnabled(enable);
    m_ui->SensorButton->setEnabled(enable);
    m_ui->LightsButton->setEnabled(enable);
    m_ui->MacroButton->setEnabled(enable);
    m_ui->FormSetting->setEnabled(enable);
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    m_ui->label->setVisible(IsCharg);
    // A level the bar cannot show would leave the previous fill under the new colour.
    m_ui->progressBar->setValue(qBound(m_ui->progressBar->minimum(), Number, m_ui->progressBar->maximum()));
    m_ui->label_2->setText(IsText ? QString::number(Number) + QLatin1Char('%') : QString::number(Number));
    m_ui->progressBar->setStyleSheet(batteryFillStyle(Number));
}

void Dialog::SlotMouseIndex(int) {}

void Dialog::on_CloseButton_clicked()
{
    SaveCurrentDeviceCache();
    PostMsg::instance()->EmitChangeSize(CloseFromFrame);
}

void Dialog::on_FormSetting_clicked()
{
    m_ui->stackedWidgetDialog->setCurrentWidget(SettingPage);
}
