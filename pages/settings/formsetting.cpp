#include "pages/settings/formsetting.h"
#include "ui_formsetting.h"

#include "core/configini.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/mainpagehotplug.h"
#include "device/worker.h"
#include "pages/settings/match.h"
#include "pages/settings/updaterepair.h"
#include "pages/settings/updatewarning.h"
#include "platform/mousesettings.h"
#include "platform/startatlogin.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <iterator>

QTimer* ReceiverCheckTimer = nullptr;
QTimer* MouseCheckTimer = nullptr;

namespace {

constexpr int ContentWidth = 880;
constexpr int ShortContentHeight = 630;
constexpr int TallContentHeight = 780;
const QString NoOption = QStringLiteral("-1");

// A receiver connection: kinds 0, 1, 4 and 5.
bool onReceiver(quint8 connectionType)
{
    return (connectionType & 0xFA) == 0;
}

bool deviceOnline(const QByteArray& path)
{
    return (UsbFinderC_GetDeviceOnLine(path.constData()) & 0xFF) != 0;
}

} // namespace

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FormSetting)
    , LedInfoDialog(nullptr)
    , PictureDialogA(nullptr)
    , PictureDialogB(nullptr)
    , LightModeDialog(nullptr)
{
    ui->setupUi(this);

    for (QWidget* w : {static_cast<QWidget*>(ui->NewLabel), static_cast<QWidget*>(ui->Receive_2),
                       static_cast<QWidget*>(ui->TitleButton_8), static_cast<QWidget*>(ui->label_12),
                       static_cast<QWidget*>(ui->label_13), static_cast<QWidget*>(ui->frameClose)})
        w->hide();

    // The lower rows close up over the hidden sleep-time group.
    ui->TitleButton_5->move(40, 350);
    ui->label_9->move(70, 343);
    ui->checkBox->move(40, 380);
    ui->label_10->move(70, 380);
    ui->toolButton->move(40, 420);
    ui->pushButton->move(60, 420);
    ui->TitleButton_6->move(40, 480);
    ui->label_11->move(70, 473);
    ui->checkBox_2->move(40, 510);
    ui->textEdit->move(65, 505);
    ui->TitleButton_7->move(40, 560);
    ui->label_14->move(70, 553);
    const int ledRows[] = {580, 620, 660};
    QCheckBox* boxes[] = {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3};
    QTextEdit* captions[] = {ui->textEdit_2, ui->textEdit_3, ui->textEdit_4};
    for (int i = 0; i < 3; ++i) {
        boxes[i]->move(70, ledRows[i]);
        captions[i]->move(90, ledRows[i]);
    }

    PostMsg::Connect(SIGNAL(SigLanguageSameB(int)), this, SLOT(SlotLanguageSameB(int)));
    PostMsg::Connect(SIGNAL(SigSetNewVer()), this, SLOT(SetVerText()));
    PostMsg::Connect(SIGNAL(SigLightToFrom(int)), this, SLOT(SlotLightToFrom(int)));
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)));
    PostMsg::Connect(SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)));
    PostMsg::Connect(SIGNAL(SigForm()), this, SLOT(SlotForm()));
    PostMsg::Connect(SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    PostMsg::Connect(SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    PostMsg::Connect(SIGNAL(SigLabelText(int,QString)), this, SLOT(SlotLabelText(int,QString)));
    PostMsg::Connect(SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    PostMsg::Connect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()));
    PostMsg::Connect(SIGNAL(SigUpdateStart()), this, SLOT(on_Start()));
    PostMsg::Connect(SIGNAL(SigContinue(int)), this, SLOT(SlotContinue(int)));

    connect(ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    SkinFolder = Skin::Folder(QStringLiteral("FormSetting"));

    UpDateRepairDialog = new UpDateRepair(nullptr);
    UpDateRepairDialog->hide();
    // Discovery asks whether the repair dialog is open before it has it check again.
    SetRepairDialogVisibleHook([] { return UpDateRepairDialog && UpDateRepairDialog->isVisible(); });
    UpdateWarningDialog = new UpDateWarning(nullptr);
    LedModeGroup = new QButtonGroup(this);
    LedModeGroup->setExclusive(true);

    ApplySkin();

    ReceiverCheckTimer = new QTimer(this);
    MouseCheckTimer = new QTimer(this);
    connect(ReceiverCheckTimer, &QTimer::timeout, this, &FormSetting::onDongleCheckTimer);
    connect(MouseCheckTimer, &QTimer::timeout, this, &FormSetting::onMouseCheckTimer);
    ReceiverCheckTimer->setInterval(Timing::Scaled(Timing::SettingsPageTick));
    MouseCheckTimer->setInterval(Timing::Scaled(Timing::SettingsPageTick));

    VersionLabelOrigin = ui->label->pos();

    bool ok = false;
    if (MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")).toInt(&ok, 10) == 1 && ok)
        ui->checkBox->setChecked(true);

    SetLongRangeGroupVisible(false);
    SetLedGroupVisible(false);
    PlaceBottom(false);

    for (QCheckBox* box : boxes)
        LedModeGroup->addButton(box);

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FormSetting::~FormSetting()
{
    SetRepairDialogVisibleHook(nullptr);
    delete UpDateRepairDialog;
    UpDateRepairDialog = nullptr;
    delete UpdateWarningDialog;
    ReceiverCheckTimer = nullptr;
    MouseCheckTimer = nullptr;
    delete ui;
}

void FormSetting::mousePressEvent(QMouseEvent*)
{
}

void FormSetting::ApplySkin()
{
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    ButtonColorText = Skin::OptionColor(QStringLiteral("ButtonColor"));
    const QString& f = SkinFolder;

    for (QLabel* l : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7,
                      ui->label_8, ui->label_9, ui->label_10, ui->label_11, ui->label_14})
        l->setStyleSheet(Skin::LabelStyle(label));
    ui->pushButton_2->setStyleSheet(Skin::PictureButtonStyle(QStringLiteral("QPushButton"),
                                                             Skin::ColorDeclaration(ButtonColorText),
                                                             QStringLiteral("background-image"), f,
                                                             QStringLiteral("PariButton.png")));
    ui->pushButton->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("left")));
    ui->pushButton_3->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("right")));
    ui->pushButton_4->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("right")));
    for (QToolButton* mark : {ui->TitleButton_2, ui->TitleButton_3, ui->TitleButton_4, ui->TitleButton_5,
                              ui->TitleButton_6, ui->TitleButton_7})
        mark->setStyleSheet(Skin::BorderImageStyle(mark->objectName(), f, QStringLiteral("Title.png")));
    ui->toolButton->setStyleSheet(Skin::BorderImageStyle(ui->toolButton->objectName(), f, QStringLiteral("Mouse.png")));

    Skin::ApplyComboSkin(ui->comboBox, f, true, QStringLiteral("QComboBox:disabled{color: rgb(63, 63, 63);}"));
    ui->comboBox->setMaxVisibleItems(5);

    for (QCheckBox* box : {ui->checkBox, ui->checkBox_2})
        box->setStyleSheet(Skin::NamedCheckBoxStyle(box->objectName(), f));
    for (QCheckBox* box : {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3})
        box->setStyleSheet(Skin::OptionCheckBoxStyle(f, label));
    for (QTextEdit* edit : {ui->textEdit, ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        edit->setStyleSheet(Skin::TransparentTextEditStyle(edit->objectName(), label));
    for (QToolButton* warning : {ui->toolButton_2, ui->toolButton_3}) {
        warning->setStyleSheet(Skin::PictureButtonStyle(QStringLiteral("QToolButton"),
                                                        QStringLiteral("color: rgb(255,106,0);"),
                                                        QStringLiteral("background-image"), f,
                                                        QStringLiteral("Picture.png")));
        warning->hide();
    }
    ui->scrollArea->setFrameShape(QFrame::NoFrame);
    ui->scrollAreaWidgetContents->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
}

// ---- Languages ----

void FormSetting::SlotAllLanguage(int index)
{
    const QString family = Skin::FormFontFamily();
    ui->Receive_2->setFont(QFont(family, 10));

    struct Placement {
        int labelX;
        QPoint receive;
    };
    static const Placement placements[] = {
        {260, {280, 170}}, {150, {280, 170}}, {150, {330, 170}}, {170, {280, 170}}, {280, {330, 170}},
    };
    int labelX = 235;
    QPoint receive(285, 155);
    bool moveReceive = true;
    if (index >= 0 && index < int(std::size(placements))) {
        labelX = placements[index].labelX;
        receive = placements[index].receive;
    } else if (index == 5) {
        ui->Receive_2->setFont(QFont(family, 7));
        labelX = 280;
        moveReceive = false;
    }
    ui->label_5->move(labelX, 155);
    if (moveReceive)
        ui->Receive_2->move(receive);
    ui->toolButton_2->move(460, 160);
    ui->label_7->move(labelX, 185);
    ui->toolButton_3->move(460, 190);

    const bool chinese = index == 1 || index == 2;
    ui->pushButton_4->setText(LangText(LangTable::EnglishTexts, 0, chinese ? 1 : 0));
    ui->pushButton_3->setText(LangText(LangTable::EnglishTexts, 0, chinese ? 2 : 3));

    const auto text = [index](int position) { return LangText(LangTable::FormSettingTexts, index, position); };
    ui->label->setText(text(0));
    ui->label_2->setText(text(1));
    ui->label_3->setText(text(2));
    ui->label_4->setText(text(3));
    ui->label_6->setText(text(4));
    ui->label_8->setText(text(5));
    ui->pushButton_2->setText(text(6));
    ReceiveText = text(7);
    ui->Receive_2->setText(ReceiveText);
    ui->label_9->setText(text(9));
    ui->label_10->setText(text(10));
    ui->pushButton->setText(text(11));
    ui->label_11->setText(text(12));
    ui->textEdit->setText(text(13));
    WiredModeText = text(14);
    NoDeviceText = text(15);
    ui->NewLabel->setText(text(16));
    SameDeviceText = text(17);
    VerNewText = text(18);
    ui->label_14->setText(text(19));
    ui->textEdit_2->setText(text(20));
    ui->textEdit_3->setText(text(21));
    ui->textEdit_4->setText(text(22));
    NoRecieveText = text(23);
    NoUSBText = text(24);
    ErrorText = text(25);
    MultiMouseText = text(26);
    MultiDongleText = text(27);
    for (int item = 0; item < StopCloseTime::ItemCount; ++item)
        ui->frameClose->SetStopCloseItemText(item, text(28 + item));
    ui->label_12->setText(text(39));
    ui->label_13->setText(text(40));
}

void FormSetting::on_comboBox_activated(int index)
{
    MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QString::number(index));
    CurrentLanguage.store(index);
    PostMsg* hub = PostMsg::instance();
    hub->EmitAllLanguage(index);
    hub->EmitLanguageSameA(index);
}

void FormSetting::SlotLanguageSameB(int index)
{
    const QSignalBlocker blocker(ui->comboBox);
    ui->comboBox->setCurrentIndex(index);
}

// ---- Rows ----

QStringList FormSetting::AdvancedOptions()
{
    const QString section = QStringLiteral("Drive") + QString::number(CurrentDeviceIndex() + 1);
    QStringList items = ConfigIni::instance()->valueList(section, QStringLiteral("Adveanced"));
    for (QString& item : items)
        item = item.trimmed();
    while (items.size() < 2)
        items << NoOption;
    return items;
}

bool FormSetting::LedRowApplies()
{
    const DeviceAllInfo device = CurrentDevice.get();
    return AdvancedOptions().at(1) != NoOption && device.Wired != 1 && device.ConnectionType == 1;
}

void FormSetting::SetLongRangeGroupVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->TitleButton_6), static_cast<QWidget*>(ui->label_11),
                       static_cast<QWidget*>(ui->checkBox_2), static_cast<QWidget*>(ui->textEdit)})
        w->setVisible(visible);
}

void FormSetting::SetLedGroupVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->TitleButton_7), static_cast<QWidget*>(ui->label_14),
                       static_cast<QWidget*>(ui->ReUntil), static_cast<QWidget*>(ui->ReUntil_2),
                       static_cast<QWidget*>(ui->ReUntil_3), static_cast<QWidget*>(ui->textEdit_2),
                       static_cast<QWidget*>(ui->textEdit_3), static_cast<QWidget*>(ui->textEdit_4)})
        w->setVisible(visible);
}

void FormSetting::PlaceBottom(bool ledShown)
{
    const int height = ledShown ? TallContentHeight : ShortContentHeight;
    ui->scrollAreaWidgetContents->setMinimumSize(ContentWidth, height);
    ui->scrollAreaWidgetContents->setMaximumSize(ContentWidth, height);
    const int shift = height - ShortContentHeight;
    ui->pushButton_3->move(610, 540 + shift);
    ui->pushButton_4->move(490, 560 + shift);
}

void FormSetting::ApplyFormRules(bool showLongRange)
{
    const QStringList advanced = AdvancedOptions();
    const DeviceAllInfo device = CurrentDevice.get();
    if (advanced.at(1) == NoOption)
        SetLedGroupVisible(false);
    if (advanced.at(0) == NoOption)
        SetLongRangeGroupVisible(false);
    else if (showLongRange)
        SetLongRangeGroupVisible(true);
    if (onReceiver(device.ConnectionType)) {
        SetLedGroupVisible(false);
        PlaceBottom(false);
    }
    if (device.Wired) {
        SetLongRangeGroupVisible(false);
        SetLedGroupVisible(false);
        PlaceBottom(false);
    }
    // The receiver's LED mode came with the same read, before this signal: keep its row
    // without checking a box again, which would send the mode back.
    if (LedRowApplies() && CurrentDongleRGB->mode != 0) {
        SetLedGroupVisible(true);
        PlaceBottom(true);
    }
}

void FormSetting::SlotForm()
{
    ApplyFormRules(true);
}

void FormSetting::SlotFormB()
{
    ApplyFormRules(false);
}

void FormSetting::SlotFormResetForm()
{
    SetLongRangeGroupVisible(false);
    SetLedGroupVisible(false);
    ui->checkBox_2->setChecked(false);
    PlaceBottom(false);
}

void FormSetting::SlotLongRangeMode(bool Select)
{
    if (AdvancedOptions().at(0) == NoOption)
        return;
    SetLongRangeGroupVisible(true);
    ui->checkBox_2->setChecked(Select);
}

void FormSetting::SlotRGBValue(DongleRGB* Rgb)
{
    if (!LedRowApplies())
        return;
    SetLedGroupVisible(true);
    switch (Rgb ? Rgb->mode : 0) {
    case 1:
        ui->ReUntil->setChecked(true);
        break;
    case 2:
        ui->ReUntil_2->setChecked(true);
        break;
    case 3:
        ui->ReUntil_3->setChecked(true);
        break;
    default:
        break;
    }
    PlaceBottom(true);
}

void FormSetting::SlotScroolChange(int index)
{
    ui->label->move(VersionLabelOrigin.x(), VersionLabelOrigin.y() + index + 10);
}

// ---- Options ----

void FormSetting::on_checkBox_clicked(bool checked)
{
    StartAtLogin::Set(checked);
}

void FormSetting::LedModeToggled(quint8 mode, bool checked)
{
    if (!UiSendsChanges.load())
        return;
    const QByteArray path = CurrentDevicePath.get();
    if (!deviceOnline(path)) {
        PostMsg::instance()->EmitMouseOffLineo(0);
        return;
    }
    if (!checked)
        return;
    CurrentDongleRGB->mode = mode;
    UsbFinderC_Set4KDongleRGB(path.constData(), CurrentDongleRGB);
}

void FormSetting::on_ReUntil_toggled(bool checked)
{
    LedModeToggled(1, checked);
}

void FormSetting::on_ReUntil_2_toggled(bool checked)
{
    LedModeToggled(2, checked);
}

void FormSetting::on_ReUntil_3_toggled(bool checked)
{
    LedModeToggled(3, checked);
}

void FormSetting::on_checkBox_2_toggled(bool checked)
{
    if (!UiSendsChanges.load())
        return;
    const QByteArray path = CurrentDevicePath.get();
    if (deviceOnline(path))
        UsbFinderC_SetLongRangeMode(path.constData(), checked ? 1 : 0);
    else
        PostMsg::instance()->EmitMouseOffLineo(0);
}

void FormSetting::on_checkBox_2_clicked(bool)
{
}

void FormSetting::on_pushButton_clicked()
{
    MouseSettings::Open();
}

void FormSetting::on_pushButton_3_clicked()
{
    QDesktopServices::openUrl(QUrl(ui->pushButton_3->text(), QUrl::TolerantMode));
}

void FormSetting::on_pushButton_2_clicked()
{
    Match match(nullptr);
    match.PreparePairing();
    Skin::MoveCenteredOver(&match, this, QPoint(-70, -30));
    match.exec();
    // The dialog put its own callbacks in place; the device pages get theirs back,
    // whatever the pairing did.
    StartUsbChanged(MainPageHotplugCallback, Timing::HotplugInterval);
    BindDeviceService(CurrentDevicePath.get());
}

void FormSetting::SlotLightToFrom(int index)
{
    const int item = StopCloseTime::StopCloseIndexOfSeconds(index);
    if (item >= 0)
        ui->frameClose->SetStopCloseIndex(item);
}

// ---- Version labels ----

void FormSetting::SlotLabelText(int index, QString Text)
{
    if (index == 0) {
        ui->label_5->setText(Text);
        CurrentDevice.update([&Text](DeviceAllInfo& d) { d.VersionText = Text; });
    } else if (index == 1) {
        ui->label_7->setText(Text);
        CurrentDevice.update([&Text](DeviceAllInfo& d) { d.FirmwareVersionText = Text; });
    }
}

void FormSetting::SlotLabelTextB(QString TextA, QString Text)
{
    ui->label_5->setText(TextA);
    const QString color = Skin::ColorDeclaration(ButtonColorText);
    const QString button = QStringLiteral("QToolButton");
    if (Text == QLatin1String("true")) {
        ui->Receive_2->setStyleSheet(
            Skin::PictureButtonStyle(button, color, QStringLiteral("background-image"), SkinFolder,
                                     QStringLiteral("WaitUpdate.png"))
            + QStringLiteral("QToolButton::hover{background-image: ")
            + Skin::Url(SkinFolder, QStringLiteral("WaitUpdateHover.png")) + QStringLiteral(";}"));
    } else {
        ui->Receive_2->setStyleSheet(Skin::PictureButtonStyle(button, color, QStringLiteral("border-image"),
                                                              SkinFolder, QStringLiteral("Confirm.png")));
    }
}

void FormSetting::SetVerText()
{
    ui->Receive_2->setText(VerNewText);
}

// ---- Firmware (filled by the upgrade machine) ----

void FormSetting::on_Receive_clicked()
{
}

void FormSetting::on_Mouse_clicked()
{
}

void FormSetting::onDongleCheckTimer()
{
}

void FormSetting::onMouseCheckTimer()
{
}

void FormSetting::SetVer(int)
{
}

void FormSetting::SlotContinue(int)
{
}

void FormSetting::on_Receive_2_clicked()
{
}

void FormSetting::on_Start()
{
}

bool FormSetting::ChechIsUpDate()
{
    return false;
}

void FormSetting::SlotCheckUpdate()
{
}

void FormSetting::on_toolButton_4_clicked()
{
}

void FormSetting::on_pushButton_5_clicked()
{
}
