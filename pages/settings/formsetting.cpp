#include "pages/settings/formsetting.h"
#include "ui_formsetting.h"

#include "core/configini.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/firmwareupgrade.h"
#include "device/mainpagehotplug.h"
#include "device/worker.h"
#include "pages/settings/match.h"
#include "pages/settings/nomousesettings.h"
#include "pages/settings/updaterepair.h"
#include "pages/settings/updatewarning.h"
#include "platform/mousesettings.h"
#include "platform/startatlogin.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagelist.h"
#include "ui/widgets/ledmodegroup.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

#include <iterator>

QTimer* ReceiverCheckTimer = nullptr;
QTimer* MouseCheckTimer = nullptr;
std::atomic<int> ReceiverUpdateState{0};
std::atomic<int> MouseUpdateState{0};
std::atomic<int> UpgradeImageCount{1};

namespace {

constexpr int ContentWidth = 880;

// The bottom of the content in its two layouts. The link and the company line do not move
// by the content's growth: with the LED row they stand 170 pixels lower, the content 150.
struct BottomLayout
{
    int height;
    QPoint link;
    QPoint company;
};
constexpr BottomLayout LedRowHidden{630, {610, 540}, {490, 560}};
constexpr BottomLayout LedRowShown{780, {610, 710}, {490, 730}};
const QString NoOption = QStringLiteral("-1");

int optionCid()
{
    return ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
}

struct ReceiverClass {
    int type;
    int slot; // position in BootDeviceCounts
};
const ReceiverClass ScanOrder[] = {{4, 2}, {8, 3}, {2, 1}, {1, 0}};
const ReceiverClass BootOrder[] = {{1, 0}, {2, 1}, {4, 2}, {8, 3}};

// The settings page's road, for the library's plain status callback.
std::atomic<FirmwareUpgrade*> MachineRoadInUse{nullptr};

} // namespace

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::FormSetting)
    , LedInfoDialog(nullptr)
{
    m_ui->setupUi(this);

    for (QWidget* w : {static_cast<QWidget*>(m_ui->NewLabel), static_cast<QWidget*>(m_ui->Receive_2),
                       static_cast<QWidget*>(m_ui->TitleButton_8), static_cast<QWidget*>(m_ui->label_12),
                       static_cast<QWidget*>(m_ui->label_13), static_cast<QWidget*>(m_ui->frameClose)})
        w->hide();

    // The lower rows close up over the hidden sleep-time group.
    m_ui->TitleButton_5->move(40, 350);
    m_ui->label_9->move(70, 343);
    m_ui->checkBox->move(40, 380);
    m_ui->label_10->move(70, 380);
    m_ui->toolButton->move(40, 420);
    m_ui->pushButton->move(60, 420);
    m_ui->TitleButton_6->move(40, 480);
    m_ui->label_11->move(70, 473);
    m_ui->checkBox_2->move(40, 510);
    m_ui->textEdit->move(65, 505);
    m_ui->TitleButton_7->move(40, 560);
    m_ui->label_14->move(70, 553);
    const int ledRows[] = {580, 620, 660};
    QCheckBox* boxes[] = {m_ui->ReUntil, m_ui->ReUntil_2, m_ui->ReUntil_3};
    QTextEdit* captions[] = {m_ui->textEdit_2, m_ui->textEdit_3, m_ui->textEdit_4};
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

    connect(m_ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    SkinFolder = Skin::Folder(QStringLiteral("FormSetting"));

    UpDateRepairDialog = new UpDateRepair(nullptr);
    UpDateRepairDialog->hide();
    // Discovery asks whether the repair dialog is open before it has it check again.
    SetRepairDialogVisibleHook([] { return UpDateRepairDialog && UpDateRepairDialog->isVisible(); });
    UpdateWarningDialog = new UpDateWarning(nullptr);
    LedModes = new LedModeGroup(m_ui->ReUntil, m_ui->ReUntil_2, m_ui->ReUntil_3, this);
    connect(LedModes, &QButtonGroup::idToggled, this, &FormSetting::LedModeToggled);

    ApplySkin();

    ReceiverCheckTimer = new QTimer(this);
    MouseCheckTimer = new QTimer(this);
    connect(ReceiverCheckTimer, &QTimer::timeout, this, &FormSetting::onDongleCheckTimer);
    connect(MouseCheckTimer, &QTimer::timeout, this, &FormSetting::onMouseCheckTimer);
    ReceiverCheckTimer->setInterval(Timing::Scaled(Timing::SettingsPageTick));
    MouseCheckTimer->setInterval(Timing::Scaled(Timing::SettingsPageTick));
    WireMachineRoad();

    VersionLabelOrigin = m_ui->label->pos();

    if (StartAtLogin::Enabled())
        m_ui->checkBox->setChecked(true);

    SetLongRangeGroupVisible(false);
    SetLedGroupVisible(false);
    PlaceBottom(false);

    LanguageList::Fill(m_ui->comboBox, CurrentLanguage);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FormSetting::~FormSetting()
{
    // No report reaches the page once its members start to go.
    MachineRoadInUse.store(nullptr);
    delete MachineRoad;
    MachineRoad = nullptr;
    SetRepairDialogVisibleHook(nullptr);
    delete UpDateRepairDialog;
    UpDateRepairDialog = nullptr;
    delete UpdateWarningDialog;
    ReceiverCheckTimer = nullptr;
    MouseCheckTimer = nullptr;
}

void FormSetting::mousePressEvent(QMouseEvent*)
{
}

void FormSetting::ApplySkin()
{
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    ButtonColorText = Skin::OptionColor(QStringLiteral("ButtonColor"));
    const QString& f = SkinFolder;

    for (QLabel* l : {m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->label_4, m_ui->label_5, m_ui->label_6,
                      m_ui->label_7, m_ui->label_8, m_ui->label_9, m_ui->label_10, m_ui->label_11, m_ui->label_14})
        l->setStyleSheet(Skin::LabelStyle(label));
    m_ui->pushButton_2->setStyleSheet(Skin::PictureButtonStyle(QStringLiteral("QPushButton"),
                                                             Skin::ColorDeclaration(ButtonColorText),
                                                             QStringLiteral("background-image"), f,
                                                             QStringLiteral("PariButton.png")));
    m_ui->pushButton->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("left")));
    m_ui->pushButton_3->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("right")));
    m_ui->pushButton_4->setStyleSheet(Skin::LinkButtonStyle(label, QStringLiteral("right")));
    for (QToolButton* mark : {m_ui->TitleButton_2, m_ui->TitleButton_3, m_ui->TitleButton_4, m_ui->TitleButton_5,
                              m_ui->TitleButton_6, m_ui->TitleButton_7})
        mark->setStyleSheet(Skin::BorderImageStyle(mark->objectName(), f, QStringLiteral("Title.png")));
    m_ui->toolButton->setStyleSheet(
        Skin::BorderImageStyle(m_ui->toolButton->objectName(), f, QStringLiteral("Mouse.png")));

    Skin::ApplyComboSkin(m_ui->comboBox, f, true, QStringLiteral("QComboBox:disabled{color: rgb(63, 63, 63);}"));
    m_ui->comboBox->setMaxVisibleItems(5);

    for (QCheckBox* box : {m_ui->checkBox, m_ui->checkBox_2})
        box->setStyleSheet(Skin::NamedCheckBoxStyle(box->objectName(), f));
    for (QCheckBox* box : {m_ui->ReUntil, m_ui->ReUntil_2, m_ui->ReUntil_3})
        box->setStyleSheet(Skin::OptionCheckBoxStyle(f, label));
    for (QTextEdit* edit : {m_ui->textEdit, m_ui->textEdit_2, m_ui->textEdit_3, m_ui->textEdit_4})
        edit->setStyleSheet(Skin::TransparentTextEditStyle(edit->objectName(), label));
    for (QToolButton* warning : {m_ui->toolButton_2, m_ui->toolButton_3}) {
        warning->setStyleSheet(Skin::PictureButtonStyle(QStringLiteral("QToolButton"),
                                                        QStringLiteral("color: rgb(255,106,0);"),
                                                        QStringLiteral("background-image"), f,
                                                        QStringLiteral("Picture.png")));
        warning->hide();
    }
    m_ui->scrollArea->setFrameShape(QFrame::NoFrame);
    m_ui->scrollAreaWidgetContents->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
}

// ---- Languages ----

void FormSetting::SlotAllLanguage(int index)
{
    const QString family = Skin::FormFontFamily();
    m_ui->Receive_2->setFont(QFont(family, 10));

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
        m_ui->Receive_2->setFont(QFont(family, 7));
        labelX = 280;
        moveReceive = false;
    }
    m_ui->label_5->move(labelX, 155);
    if (moveReceive)
        m_ui->Receive_2->move(receive);
    m_ui->toolButton_2->move(460, 160);
    m_ui->label_7->move(labelX, 185);
    m_ui->toolButton_3->move(460, 190);

    const bool chinese = index == 1 || index == 2;
    m_ui->pushButton_4->setText(LangText(LangTable::EnglishTexts, 0, chinese ? 1 : 0));
    m_ui->pushButton_3->setText(LangText(LangTable::EnglishTexts, 0, chinese ? 2 : 3));

    const auto text = [index](int position) { return LangText(LangTable::FormSettingTexts, index, position); };
    m_ui->label->setText(text(0));
    m_ui->label_2->setText(text(1));
    m_ui->label_3->setText(text(2));
    m_ui->label_4->setText(text(3));
    m_ui->label_6->setText(text(4));
    m_ui->label_8->setText(text(5));
    m_ui->pushButton_2->setText(text(6));
    ReceiveText = text(7);
    m_ui->Receive_2->setText(ReceiveText);
    m_ui->label_9->setText(text(9));
    m_ui->label_10->setText(text(10));
    m_ui->pushButton->setText(text(11));
    m_ui->label_11->setText(text(12));
    m_ui->textEdit->setText(text(13));
    WiredModeText = text(14);
    NoDeviceText = text(15);
    m_ui->NewLabel->setText(text(16));
    SameDeviceText = text(17);
    VerNewText = text(18);
    m_ui->label_14->setText(text(19));
    m_ui->textEdit_2->setText(text(20));
    m_ui->textEdit_3->setText(text(21));
    m_ui->textEdit_4->setText(text(22));
    NoRecieveText = text(23);
    NoUSBText = text(24);
    ErrorText = text(25);
    MultiMouseText = text(26);
    MultiDongleText = text(27);
    for (int item = 0; item < StopCloseTime::ItemCount; ++item)
        m_ui->frameClose->SetStopCloseItemText(item, text(28 + item));
    m_ui->label_12->setText(text(39));
    m_ui->label_13->setText(text(40));
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
    LanguageList::Select(m_ui->comboBox, index);
}

// ---- Rows ----

QStringList FormSetting::AdvancedOptions()
{
    return CurrentAdvancedOptions();
}

bool FormSetting::LedRowApplies()
{
    return ReceiverLedOptionApplies();
}

void FormSetting::SetLongRangeGroupVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(m_ui->TitleButton_6), static_cast<QWidget*>(m_ui->label_11),
                       static_cast<QWidget*>(m_ui->checkBox_2), static_cast<QWidget*>(m_ui->textEdit)})
        w->setVisible(visible);
}

void FormSetting::SetLedGroupVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(m_ui->TitleButton_7), static_cast<QWidget*>(m_ui->label_14),
                       static_cast<QWidget*>(m_ui->ReUntil), static_cast<QWidget*>(m_ui->ReUntil_2),
                       static_cast<QWidget*>(m_ui->ReUntil_3), static_cast<QWidget*>(m_ui->textEdit_2),
                       static_cast<QWidget*>(m_ui->textEdit_3), static_cast<QWidget*>(m_ui->textEdit_4)})
        w->setVisible(visible);
}

void FormSetting::PlaceBottom(bool ledShown)
{
    const BottomLayout& bottom = ledShown ? LedRowShown : LedRowHidden;
    m_ui->scrollAreaWidgetContents->setMinimumSize(ContentWidth, bottom.height);
    m_ui->scrollAreaWidgetContents->setMaximumSize(ContentWidth, bottom.height);
    m_ui->pushButton_3->move(bottom.link);
    m_ui->pushButton_4->move(bottom.company);
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
    if (!DeviceAllInfo::WiredForConnection(device.ConnectionType)) {
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
    m_ui->checkBox_2->setChecked(false);
    PlaceBottom(false);
}

void FormSetting::SlotLongRangeMode(bool Select)
{
    if (AdvancedOptions().at(0) == NoOption)
        return;
    SetLongRangeGroupVisible(true);
    m_ui->checkBox_2->setChecked(Select);
}

void FormSetting::SlotRGBValue(DongleRGB* Rgb)
{
    if (!LedRowApplies())
        return;
    SetLedGroupVisible(true);
    if (Rgb)
        LedModes->ShowMode(Rgb->mode);
    PlaceBottom(true);
}

void FormSetting::SlotScroolChange(int index)
{
    m_ui->label->move(VersionLabelOrigin.x(), VersionLabelOrigin.y() + index + 10);
}

// ---- Options ----

void FormSetting::on_checkBox_clicked(bool checked)
{
    StartAtLogin::Set(checked);
}

void FormSetting::LedModeToggled(int mode, bool checked)
{
    if (!UiSendsChanges.load())
        return;
    const QByteArray path = CurrentDevicePath.get();
    if (!DevicePresent()) {
        PostMsg::instance()->EmitMouseOffLineo(0);
        return;
    }
    if (!checked)
        return;
    CurrentDongleRGB->mode = uint8_t(mode);
    UsbFinderC_Set4KDongleRGB(path.constData(), CurrentDongleRGB);
}

void FormSetting::on_checkBox_2_toggled(bool checked)
{
    if (!UiSendsChanges.load())
        return;
    const QByteArray path = CurrentDevicePath.get();
    if (DevicePresent())
        UsbFinderC_SetLongRangeMode(path.constData(), checked ? 1 : 0);
    else
        PostMsg::instance()->EmitMouseOffLineo(0);
}

void FormSetting::on_checkBox_2_clicked(bool)
{
}

void FormSetting::on_pushButton_clicked()
{
    const MouseSettings::Program program = MouseSettings::Find();
    if (!program.path.isEmpty()) {
        MouseSettings::Open(program);
        return;
    }
    // Nothing to open: the user learns what was looked for instead of seeing nothing happen.
    NoMouseSettings notice(MouseSettings::KnownPrograms(), nullptr);
    notice.PlaceOver(this, 0, 0);
    notice.exec();
}

void FormSetting::on_pushButton_3_clicked()
{
    QDesktopServices::openUrl(QUrl(m_ui->pushButton_3->text(), QUrl::TolerantMode));
}

void FormSetting::on_pushButton_2_clicked()
{
    Match match(nullptr);
    match.PreparePairing();
    Skin::MoveCenteredOver(&match, this, QPoint(-70, -30));
    match.exec();
    // The dialog put its own callbacks in place; the device pages get theirs back,
    // whatever the pairing did, and read the mouse the receiver holds now.
    StartUsbChanged(MainPageHotplugCallback, Timing::HotplugInterval);
    RebindAfterPairing();
}

void FormSetting::SlotLightToFrom(int index)
{
    const int item = StopCloseTime::StopCloseIndexOfSeconds(index);
    if (item >= 0)
        m_ui->frameClose->SetStopCloseIndex(item);
}

// ---- Version labels ----

void FormSetting::SlotLabelText(int index, QString Text)
{
    if (index == 0) {
        m_ui->label_5->setText(Text);
        CurrentDevice.update([&Text](DeviceAllInfo& d) { d.VersionText = Text; });
    } else if (index == 1) {
        m_ui->label_7->setText(Text);
        CurrentDevice.update([&Text](DeviceAllInfo& d) { d.FirmwareVersionText = Text; });
    }
}

void FormSetting::SlotLabelTextB(QString TextA, QString Text)
{
    m_ui->label_5->setText(TextA);
    const QString color = Skin::ColorDeclaration(ButtonColorText);
    const QString button = QStringLiteral("QToolButton");
    if (Text == QLatin1String("true")) {
        m_ui->Receive_2->setStyleSheet(
            Skin::PictureButtonStyle(button, color, QStringLiteral("background-image"), SkinFolder,
                                     QStringLiteral("WaitUpdate.png"))
            + QStringLiteral("QToolButton::hover{background-image: ")
            + Skin::Url(SkinFolder, QStringLiteral("WaitUpdateHover.png")) + QStringLiteral(";}"));
    } else {
        m_ui->Receive_2->setStyleSheet(Skin::PictureButtonStyle(button, color, QStringLiteral("border-image"),
                                                              SkinFolder, QStringLiteral("Confirm.png")));
    }
}

void FormSetting::SetVerText()
{
    m_ui->Receive_2->setText(VerNewText);
}

// ---- Firmware upgrade machine ----

void FormSetting::on_Receive_clicked()
{
    const DeviceAllInfo current = CurrentDevice.get();
    int type = 0;
    if (current.Wired && WorkerDeviceList.get().size() == 2)
        type = ListedReceiverType();
    else if (!current.Wired)
        type = ReceiverTypeFor(current.ConnectionType);
    ReceiverType.store(type);
    if (ReceiverUpToDate || MouseUpgradeActive || ReceiverUpgradeActive)
        return;
    StartReceiverRoad();
}

void FormSetting::on_Mouse_clicked()
{
    const DeviceAllInfo current = CurrentDevice.get();
    if (current.Wired) {
        const DeviceList list = WorkerDeviceList.get();
        if (list.isEmpty() || !list.first().Wired || list.first().Mid() != current.Mid()) {
            PostMsg::instance()->EmitProgress(0, 5);
            return;
        }
    }
    if (MouseUpToDate) {
        if (MouseUpToDate == 1)
            m_ui->Receive_2->setText(VerNewText);
        return;
    }
    if (ReceiverUpgradeActive || MouseUpgradeActive)
        return;
    StartMouseRoad();
}

void FormSetting::StartReceiverRoad()
{
    UpgradeRunning.store(true);
    UpgradeStep = 0;
    m_ui->toolButton_2->hide();
    SetVer(2);
    DeviceWatchEnabled.store(0);
    ReceiverCheckTimer->start();
    ReceiverUpgradeActive = 1;
}

void FormSetting::StartMouseRoad()
{
    UpgradeRunning.store(true);
    UpgradeStep = 0;
    m_ui->toolButton_3->hide();
    SetVer(1);
    DeviceWatchEnabled.store(0);
    MouseCheckTimer->start();
    MouseUpgradeActive = 1;
}

void FormSetting::onDongleCheckTimer()
{
    RunFirmwareUpgrade(UpgradeStep, ReceiverFirmware, m_ui->label_5->text());
}

void FormSetting::onMouseCheckTimer()
{
    RunFirmwareUpgrade(UpgradeStep, MouseFirmware, m_ui->label_7->text());
}

void FormSetting::RunFirmwareUpgrade(int step, int kind, QString shownVersion)
{
    const bool mouse = kind == MouseFirmware;
    switch (step) {
    case 0: {
        FirmwareCid.store(optionCid());
        FirmwareMid.store(SectionMid());
        bool found = false;
        if (mouse) {
            found = ScanFirmwareImages(MouseFirmware, shownVersion, SectionValue(QStringLiteral("MM")),
                                       FirmwareCid.load(), FirmwareMid.load());
        } else {
            ReceiverPaths.clear();
            const DeviceAllInfo current = CurrentDevice.get();
            const DeviceList list = WorkerDeviceList.get();
            const int type = ReceiverType.load();
            for (const ReceiverClass& c : ScanOrder) {
                const QString stem = SectionValue(FirmwareStemKey(ReceiverFirmware, c.type));
                if (type != c.type || (stem.isEmpty() && c.type != 1))
                    continue;
                found = ScanFirmwareImages(ReceiverFirmware, QString(), stem, FirmwareCid.load(), FirmwareMid.load());
                if (found)
                    BootDeviceCounts[c.slot] = FirmwareUpgrade::BootDeviceCount(UpgradeImageList.first());
            }
            for (const DeviceAllInfo& entry : list) {
                if (entry.Wired)
                    continue;
                if (current.Wired || entry.Path == current.Path)
                    ReceiverPaths << entry.Path;
            }
        }
        if (found || ReceiverType.load() == 0) {
            UpgradeStep = 1;
        } else {
            EndWithNothingToFlash(kind);
            UpgradeStep = 4;
        }
        break;
    }
    case 1: {
        int count = 0;
        if (mouse) {
            for (const DeviceAllInfo& entry : WorkerDeviceList.get())
                count += entry.Wired ? 1 : 0;
            count += MouseResumePending;
        } else {
            for (int n : BootDeviceCounts)
                count += n;
            count += ReceiverPaths.size();
        }
        if (count != 1) {
            (mouse ? MouseUpdateState : ReceiverUpdateState).store(0);
            mouse ? EndMouseUpdate() : EndReceiverUpdate();
            RoadEndText = count == 0 ? (mouse ? WiredModeText : NoDeviceText) : SameDeviceText;
            if (!ChainedStart) {
                (mouse ? m_ui->toolButton_3 : m_ui->toolButton_2)->show();
            } else {
                Skin::MoveCenteredOver(UpdateWarningDialog, this, QPoint(-75, -65));
                UpdateWarningDialog->setModal(true);
                UpdateWarningDialog->SetMessage(RoadEndText);
                UpdateWarningDialog->show();
                ChainedStart = 0;
            }
            UpgradeStep = 4;
            break;
        }
        const int cid = FirmwareCid.load();
        const int mid = FirmwareMid.load();
        bool found = false;
        bool waiting = false; // a receiver waits in boot mode: flashed whatever the scan says
        if (mouse) {
            found = ScanFirmwareImages(MouseFirmware, shownVersion, SectionValue(QStringLiteral("MM")), cid, mid);
        } else {
            for (const ReceiverClass& c : BootOrder) {
                if (BootDeviceCounts[c.slot] == 1) {
                    ScanFirmwareImages(ReceiverFirmware, QString(), SectionValue(FirmwareStemKey(ReceiverFirmware, c.type)), cid, mid);
                    waiting = true;
                    break;
                }
            }
            if (!waiting) {
                const int type = ReceiverType.load();
                if (type == 4 || type == 8 || type == 2) {
                    int version = 0;
                    const QString own = UsbFinderC_GetSlaveVersion(ReceiverPaths.first().constData(), &version)
                        ? FirmwareVersionText(quint32(version))
                        : QString();
                    found = ScanFirmwareImages(ReceiverFirmware, own, SectionValue(FirmwareStemKey(ReceiverFirmware, type)),
                                               cid, mid);
                } else {
                    found = ScanFirmwareImages(ReceiverFirmware, shownVersion, SectionValue(QStringLiteral("DM")), cid, mid);
                }
            }
        }
        // The library never gets an empty list's image.
        if ((!found && !waiting) || UpgradeImageList.isEmpty()) {
            EndWithNothingToFlash(kind);
            UpgradeStep = 4;
            break;
        }
        StartFlash(kind);
        break;
    }
    case 2:
        // The state went to 1 before the start, so a result reported meanwhile is kept.
        UpgradeStep = 3;
        break;
    case 3:
        if ((mouse ? MouseUpdateState : ReceiverUpdateState).load() != 1)
            UpgradeStep = 4;
        break;
    case 4:
        EndRoad(kind);
        break;
    default:
        break;
    }
}

void FormSetting::StartFlash(int kind)
{
    const bool mouse = kind == MouseFirmware;
    const FirmwareImage image = UpgradeImageList.first();
    UpgradeKind.store(kind);
    {
        std::lock_guard<std::mutex> lock(FlashMutex);
        FlashCidText = ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("CID"));
        FlashMidText = SectionValue(QStringLiteral("MID"));
    }
    std::atomic<int>& state = mouse ? MouseUpdateState : ReceiverUpdateState;
    state.store(1);
    const FirmwareUpgrade::Target target{kind, ReceiverType.load(), FirmwareCid.load(), FirmwareMid.load()};
    if (MachineRoad->Start(image, target)) {
        UpgradeStep = 2;
        return;
    }
    // Refused: a failure without log lines, ended at the next tick.
    state.store(3);
    NewerMouseFirmware.store(false);
    NewerReceiverFirmware.store(false);
    PostMsg::instance()->EmitProgress(0, 1);
    UpgradeStep = 4;
}

void FormSetting::EndRoad(int kind)
{
    const bool mouse = kind == MouseFirmware;
    if (mouse) {
        MouseUpgradeActive = 0;
        EndMouseUpdate();
    } else {
        ReceiverUpgradeActive = 0;
        EndReceiverUpdate();
    }
    const int state = (mouse ? MouseUpdateState : ReceiverUpdateState).load();
    // A target left waiting in boot mode stays repairable. After a success the target may still
    // be restarting off the bus; it waits for nothing.
    if (state != 2 && !UpgradeImageList.isEmpty())
        FirmwareUpgrade::KeepRecordIfWaiting(
            UpgradeImageList.first(), {kind, ReceiverType.load(), FirmwareCid.load(), FirmwareMid.load()});
    ChainedStart = 0;
    ReceiverCheckTimer->stop();
    MouseCheckTimer->stop();
    UpgradeRunning.store(false);
    if (!mouse) {
        // The road has run, whatever it found: the continuation must not start it again.
        NewerReceiverFirmware.store(false);
        if (MouseResumePending == 1) {
            ChainedStart = 1;
            on_Mouse_clicked();
        } else {
            SlotContinue(0);
        }
    }
    if (ReceiverUpgradeActive || MouseUpgradeActive)
        return;
    if ((state == 0 || state == 4) && UpDateRepairDialog)
        RepairNotice(state == 4 ? VerNewText : RoadEndText);
    if (ReadUpdateFailInfo(nullptr))
        PostMsg::instance()->EmitUpDateButton(false);
}

void FormSetting::EndWithNothingToFlash(int kind)
{
    if (kind == MouseFirmware) {
        MouseUpdateState.store(4);
        EndMouseUpdate();
        MouseUpToDate = 1;
    } else {
        ReceiverUpdateState.store(4);
        EndReceiverUpdate();
        ReceiverUpToDate = 1;
    }
}

// Only a success of the target it names removes the failure record, never the end of a road.
void FormSetting::EndReceiverUpdate()
{
    DeviceWatchEnabled.store(1);
    switch (ReceiverUpdateState.load()) {
    case 4:
        m_ui->toolButton_2->hide();
        SetUpdateStyle(false);
        break;
    case 2:
        m_ui->toolButton_2->hide();
        SetUpdateStyle(false);
        NewerReceiverFirmware.store(false);
        break;
    case 1:
        m_ui->toolButton_2->hide();
        break;
    default:
        break;
    }
    UpgradeStep = 4;
}

void FormSetting::EndMouseUpdate()
{
    DeviceWatchEnabled.store(1);
    switch (MouseUpdateState.load()) {
    case 4:
        m_ui->toolButton_3->hide();
        m_ui->Receive_2->setText(VerNewText);
        SetUpdateStyle(false);
        break;
    case 2:
        m_ui->toolButton_3->hide();
        SetUpdateStyle(false);
        NewerMouseFirmware.store(false);
        break;
    case 1:
        m_ui->toolButton_3->hide();
        break;
    default:
        break;
    }
    UpgradeStep = 4;
}

void FormSetting::UpgradeDoneCallback(const uint8_t* report)
{
    if (FirmwareUpgrade* road = MachineRoadInUse.load())
        road->HandleReport(report);
}

void FormSetting::WireMachineRoad()
{
    MachineRoad = new FirmwareUpgrade(&FormSetting::UpgradeDoneCallback, this);
    // The handlers run on the library's thread: atomics, registry, log and hub signals only.
    MachineRoad->onProgress = [](int percent) {
        const bool split = UpgradeImageCount.load() != 1;
        PostMsg* hub = PostMsg::instance();
        if (ReceiverUpdateState.load() == 1)
            hub->EmitProgress(split ? percent / 2 : percent, 0);
        if (MouseUpdateState.load() == 1)
            hub->EmitProgress(split ? 50 + percent / 2 : percent, 0);
    };
    MachineRoad->onSuccess = [this](const FirmwareUpgrade::Target&) {
        const QString text = FirmwareVersionText(MachineRoad->FlashedVersion());
        PostMsg* hub = PostMsg::instance();
        int flashing = 1;
        if (ReceiverUpdateState.compare_exchange_strong(flashing, 2)) {
            if (UpgradeImageCount.load() == 1)
                hub->EmitProgress(0, 2);
            hub->EmitLabelText(0, text);
        }
        flashing = 1;
        if (MouseUpdateState.compare_exchange_strong(flashing, 2)) {
            QString cid;
            QString mid;
            {
                std::lock_guard<std::mutex> lock(FlashMutex);
                cid = FlashCidText;
                mid = FlashMidText;
            }
            WriteMouseVer(cid, mid, text);
            hub->EmitProgress(0, 2);
            hub->EmitLabelText(1, text);
        }
    };
    MachineRoad->onFailure = [](const FirmwareUpgrade::Target&) {
        NewerMouseFirmware.store(false);
        NewerReceiverFirmware.store(false);
        int flashing = 1;
        ReceiverUpdateState.compare_exchange_strong(flashing, 3);
        flashing = 1;
        MouseUpdateState.compare_exchange_strong(flashing, 3);
        PostMsg::instance()->EmitProgress(0, 1);
    };
    MachineRoadInUse.store(MachineRoad);
}

void FormSetting::SlotContinue(int)
{
    for (int& n : BootDeviceCounts)
        n = 0;
    const int receiver = ReceiverUpdateState.load();
    if (NewerMouseFirmware.load() && (receiver == 2 || receiver == 4)) {
        ChainedStart = 1;
        on_Mouse_clicked();
    }
    const int mouse = MouseUpdateState.load();
    if (NewerReceiverFirmware.load() && (mouse == 2 || mouse == 4)) {
        ChainedStart = 1;
        on_Receive_clicked();
    }
}

// ---- Version labels and the update check ----

void FormSetting::SetVer(int index)
{
    switch (index) {
    case 0:
        FillVersionLabels(true);
        break;
    case 1:
        m_ui->toolButton_2->hide();
        break;
    case 2:
        m_ui->toolButton_3->hide();
        break;
    case 3:
        m_ui->Receive_2->setText(ReceiveText);
        break;
    case 4:
    case 5:
        m_ui->Receive_2->setText(ReceiveText);
        m_ui->toolButton_2->hide();
        m_ui->toolButton_3->hide();
        // A running road keeps its flags: clearing them would let a second road start.
        if (!UpgradeRunning.load()) {
            ReceiverUpToDate = 0;
            MouseUpToDate = 0;
            MouseUpgradeActive = 0;
            ReceiverUpgradeActive = 0;
        }
        if (index == 5)
            FillVersionLabels(false);
        break;
    case 6:
        m_ui->label_5->setText(QString());
        m_ui->label_7->setText(QString());
        break;
    default:
        break;
    }
}

void FormSetting::FillVersionLabels(bool check)
{
    const DeviceAllInfo current = CurrentDevice.get();
    const DeviceList list = WorkerDeviceList.get();
    QString receiverText;
    QString mouseText;
    if (current.Online) {
        mouseText = current.FirmwareVersionText;
        if (!current.Wired) {
            receiverText = current.VersionText;
        } else if (list.size() == 2) {
            for (const DeviceAllInfo& entry : list) {
                if (!entry.ReceiverAddress.isEmpty() && !entry.Wired) {
                    receiverText = entry.VersionText;
                    break;
                }
            }
        }
    } else {
        receiverText = current.VersionText;
    }
    int type = 0;
    if (current.Wired && list.size() == 2)
        type = ListedReceiverType();
    else if (!current.Wired)
        type = ReceiverTypeFor(current.ConnectionType);
    if (check && QDir(FirmwareFolder()).exists()) {
        NewerMouseFirmware.store(CheckFirmwareUpdate(MouseFirmware, mouseText, type));
        NewerReceiverFirmware.store(CheckFirmwareUpdate(ReceiverFirmware, receiverText, type));
        SetUpdateStyle(NewerMouseFirmware.load() || NewerReceiverFirmware.load());
    }
    m_ui->label_5->setText(receiverText);
    m_ui->label_7->setText(mouseText);
}

void FormSetting::SetUpdateStyle(bool available)
{
    SlotLabelTextB(m_ui->label_5->text(), available ? QStringLiteral("true") : QStringLiteral("false"));
}

bool FormSetting::RepairNotice(const QString& text)
{
    if (UpDateRepairDialog) {
        UpDateRepairDialog->SetRepairText(text);
        UpDateRepairDialog->ShowRepairNotice();
    }
    return false;
}

bool FormSetting::ChechIsUpDate()
{
    FirmwareCid.store(optionCid());
    ReceiverType.store(0);
    MouseResumePending = 0;
    UpdateFailRecord record;
    const bool hasRecord = ReadUpdateFailInfo(&record);
    DriveGroup = DeviceSection();
    const QString mouseStem = SectionValue(QStringLiteral("MM"));
    const int mid = SectionMid();
    const DeviceList list = WorkerDeviceList.get();

    if (list.isEmpty())
        return RepairNotice(ErrorText);
    if (list.size() > 2) {
        int mice = 0;
        for (const DeviceAllInfo& entry : list)
            mice += entry.Wired ? 1 : 0;
        return RepairNotice(mice >= 2 ? MultiMouseText : MultiDongleText);
    }
    if (list.size() == 2) {
        if (!list.at(0).Wired && !list.at(1).Wired)
            return RepairNotice(NoUSBText);
        if (list.at(0).Mid() != list.at(1).Mid())
            return RepairNotice(NoRecieveText);
        QString stemKey;
        const int type = ListedReceiverType(&stemKey);
        if (type == 0)
            return RepairNotice(NoRecieveText);
        ReceiverType.store(type);
        ReceiverStem = SectionValue(stemKey);
        const bool receiver =
            ScanFirmwareImages(ReceiverFirmware, m_ui->label_5->text(), ReceiverStem, FirmwareCid.load(), mid);
        const bool mouse = ScanFirmwareImages(MouseFirmware, m_ui->label_7->text(), mouseStem, FirmwareCid.load(), mid);
        NewerMouseFirmware.store(mouse);
        if (receiver || mouse) {
            UpgradeImageCount.store(receiver && mouse ? 2 : 1);
            return true;
        }
        ReceiverUpToDate = 1;
        return RepairNotice(VerNewText);
    }

    // One entry: a failed upgrade is to be resumed.
    const DeviceAllInfo entry = list.first();
    if (!hasRecord)
        return RepairNotice(entry.Wired ? NoRecieveText : NoUSBText);
    const bool sameMid = (record.mid & 0xFF) == entry.Mid();
    if (record.kind == ReceiverFirmware) {
        if (!entry.Wired || !sameMid)
            return RepairNotice(NoUSBText);
    } else if (record.kind == MouseFirmware) {
        MouseResumePending = 1;
        if (entry.Wired || !sameMid)
            return RepairNotice(NoRecieveText);
    } else {
        return RepairNotice(ErrorText);
    }
    static const QStringList classes = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("8")};
    if (classes.contains(record.receiverClass)) {
        const int type = record.receiverClass.toInt();
        ReceiverType.store(type);
        ResumeReceiverStem = SectionValue(FirmwareStemKey(ReceiverFirmware, type));
    }
    if ((record.cid & 0xFF) != (entry.CidMid & 0xFF))
        return RepairNotice(ErrorText);
    ScanFirmwareImages(record.kind, QString(), record.kind == ReceiverFirmware ? ResumeReceiverStem : mouseStem,
                       record.cid, mid);
    // Nothing to flash: the library gets no empty image.
    if (UpgradeImageList.isEmpty())
        return RepairNotice(ErrorText);
    const int count = FirmwareUpgrade::BootDeviceCount(UpgradeImageList.first());
    if (count == 1) {
        const bool other = record.kind == ReceiverFirmware
            ? ScanFirmwareImages(MouseFirmware, m_ui->label_7->text(), mouseStem, FirmwareCid.load(), mid)
            : ScanFirmwareImages(ReceiverFirmware, m_ui->label_5->text(), ResumeReceiverStem, FirmwareCid.load(), mid);
        UpgradeImageCount.store(other ? 2 : 1);
        return true;
    }
    return RepairNotice(count == 0 ? NoDeviceText : SameDeviceText);
}

bool FormSetting::FlashInProgress() const
{
    return ReceiverUpgradeActive || MouseUpgradeActive || IsAnyFlashing() || RepairUpgradeRunning.load();
}

void FormSetting::on_Receive_2_clicked()
{
    if (FlashInProgress())
        return;
    if (m_ui->Receive_2->text() == VerNewText)
        return;
    ReceiverUpToDate = 0;
    Skin::MoveCenteredOver(UpDateRepairDialog, this, QPoint(-75, -65));
    UpDateRepairDialog->setModal(true);
    UpDateRepairDialog->ResetRepairView();
    if (ChechIsUpDate()) {
        UpDateRepairDialog->ShowResumePrompt();
        UpDateRepairDialog->show();
    } else if (ReceiverUpToDate) {
        m_ui->Receive_2->setText(VerNewText);
    } else {
        UpDateRepairDialog->show();
    }
}

void FormSetting::on_Start()
{
    if (FlashInProgress())
        return;
    FirmwareCid.store(optionCid());
    for (int& n : BootDeviceCounts)
        n = 0;
    if (UpDateRepairDialog)
        UpDateRepairDialog->ShowUpgradeRunning();
    const int mid = ConfigIni::instance()->value(DriveGroup, QStringLiteral("MID")).toInt();
    const bool found =
        ScanFirmwareImages(ReceiverFirmware, m_ui->label_5->text(), ResumeReceiverStem, FirmwareCid.load(), mid);
    if (!found && MouseResumePending == 1) {
        ChainedStart = 1;
        on_Mouse_clicked();
        return;
    }
    if (ReceiverUpdateState.load() != 1 && MouseUpdateState.load() != 1 && !MouseUpgradeActive && !ReceiverUpToDate) {
        StartReceiverRoad();
    } else if (ReceiverUpToDate == 1) {
        SetUpdateStyle(false);
        SlotContinue(0);
    }
}

void FormSetting::SlotCheckUpdate()
{
    if (ChechIsUpDate())
        UpDateRepairDialog->ShowResumePrompt();
}

// ---- Upgrade routines nothing calls ----

void FormSetting::WaitMs(int ms)
{
    WaitPumpingEvents(ms);
}

void FormSetting::SetUpgradeRunning()
{
    UpgradeRunning.store(true);
}

void FormSetting::StopUpgradeTimers()
{
    ReceiverCheckTimer->stop();
    MouseCheckTimer->stop();
    UpgradeRunning.store(false);
}

bool FormSetting::IsReceiverFlashing() const
{
    return ReceiverUpdateState.load() == 1;
}

bool FormSetting::IsMouseFlashing() const
{
    return MouseUpdateState.load() == 1;
}

bool FormSetting::IsAnyFlashing() const
{
    return IsReceiverFlashing() || IsMouseFlashing();
}

bool FormSetting::CopyDongleIdToMice()
{
    const DeviceList list = WorkerDeviceList.get();
    bool present = false;
    for (const DeviceAllInfo& receiver : list) {
        if (receiver.Wired)
            continue;
        uint8_t buffer[10] = {};
        present = UsbFinderC_GetDeviceOnLineWithUsbAddress(receiver.Path.constData(), buffer) != 0;
        if (!present)
            continue;
        const int type = ReceiverType.load();
        const uint8_t code = type == 1 ? 0 : (type == 2 || type == 4) ? 1 : type == 8 ? 4 : 0;
        const uint8_t record[5] = {buffer[9], buffer[8], buffer[7], 0, code};
        for (const DeviceAllInfo& mouse : list)
            if (mouse.Wired)
                UsbFinderC_SetDongleIDToMouse(mouse.Path.constData(), record);
    }
    return present;
}

// ---- Device section ----

QString FormSetting::DeviceSection() const
{
    return CurrentDeviceSection();
}

QString FormSetting::SectionValue(const QString& key) const
{
    return ConfigIni::instance()->value(DeviceSection(), key);
}

int FormSetting::SectionMid() const
{
    return SectionValue(QStringLiteral("MID")).toInt();
}

int FormSetting::ListedReceiverType(QString* stemKey)
{
    for (const DeviceAllInfo& entry : WorkerDeviceList.get()) {
        if (entry.ReceiverAddress.isEmpty() || entry.Wired || DeviceAllInfo::WiredForConnection(entry.ConnectionType))
            continue;
        const int type = ReceiverTypeFor(entry.ConnectionType);
        if (stemKey)
            *stemKey = FirmwareStemKey(ReceiverFirmware, type);
        return type;
    }
    return 0;
}

void FormSetting::on_toolButton_4_clicked()
{
}

void FormSetting::on_pushButton_5_clicked()
{
}
