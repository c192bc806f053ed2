#include "pages/settings/updaterepair.h"

#include "core/configini.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/firmwareupgrade.h"
#include "hidusb/HIDUsb.h"
#include "platform/registrystore.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/skin.h"

#include "ui_updaterepair.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <optional>
#include <utility>

UpDateRepair* UpDateRepairDialog = nullptr;

namespace {

// The dialog's upgrade state, shared by every instance and the status callback.
std::atomic<bool> RepairProgressActive{false};
std::atomic<int> RepairStage{0};
std::atomic<int> RepairFailedStage{0};   // -1: no failed target (automatic repair)
std::atomic<int> RepairImageCount{1};
std::atomic<int> RepairReceiverType{0};
std::atomic<int> RepairCid{0};
std::atomic<int> RepairMid{0};
std::atomic<bool> RepairReceiverOnly{false}; // the road ends after the receiver

// What the callback needs besides numbers; copies taken under the lock.
struct RepairShared {
    std::mutex mutex;
    QString mouseStem;
    QStringList failFields;
    QByteArray mouseImage;   // the second stage's image, kept until the road ends
    QString cidText;         // for "MouseVer"
    QString midText;
};
RepairShared& shared()
{
    static RepairShared s;
    return s;
}

// Unreferenced routines' state.
std::atomic<bool> ReceiverIdRead{false};
QByteArray ReceiverIdBytes;

FirmwareUpgrade::Target targetFor(int kind)
{
    return {kind, RepairReceiverType.load(), RepairCid.load(), RepairMid.load()};
}

// After every end of the dialog's road.
void endRoad()
{
    RepairProgressActive.store(false);
    RepairUpgradeRunning.store(false);
    UpgradeRunning.store(false);
    DeviceWatchEnabled.store(1);
}

// The device choice page hides its Repair button only when no record remains.
void emitRepairButton()
{
    PostMsg::instance()->EmitUpDateButton(!ReadUpdateFailInfo(nullptr));
}

void endFailed(int state)
{
    endRoad();
    PostMsg* hub = PostMsg::instance();
    hub->EmitAutoRepair(1);
    emitRepairButton();
    hub->EmitProgress(0, state);
}

void endDone()
{
    endRoad();
    PostMsg* hub = PostMsg::instance();
    hub->EmitAutoRepair(0);
    emitRepairButton();
    hub->EmitProgress(0, 2);
}

bool mousePresent(const QByteArray& mouseImage)
{
    if (RepairFailedStage.load() == 1)
        return true;
    for (const DeviceAllInfo& d : FoundDeviceList.get())
        if (d.Wired && d.Mid() == RepairMid.load())
            return true;
    return FirmwareUpgrade::BootDeviceCount(mouseImage) > 0;
}

void onProgress(int reported)
{
    RepairProgressActive.store(true);
    int percent = reported;
    if (RepairImageCount.load() == 2)
        percent = reported / 2 + (RepairStage.load() == 1 ? 50 : 0);
    PostMsg::instance()->EmitAutoRepairProgress(percent);
}

FirmwareUpgrade* road();

void onSuccess(const FirmwareUpgrade::Target&)
{
    QByteArray mouseImage;
    QString cidText, midText;
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        mouseImage = shared().mouseImage;
        cidText = shared().cidText;
        midText = shared().midText;
    }
    if (RepairStage.load() == 1) {
        WriteMouseVer(cidText, midText, FirmwareVersionText(road()->FlashedVersion()));
        endDone();
        return;
    }
    if (RepairReceiverOnly.load()) {
        endDone();
        return;
    }
    RepairStage.store(1);
    RepairProgressActive.store(false);
    const FirmwareUpgrade::Target mouse = targetFor(MouseFirmware);
    if (!mouseImage.isEmpty() && mousePresent(mouseImage)) {
        RepairImageList.set(mouseImage);
        if (road()->Start(mouseImage, mouse))
            return;
        endFailed(6);
        return;
    }
    if (!mouseImage.isEmpty())
        FirmwareUpgrade::KeepRecordIfWaiting(mouseImage, mouse);
    endFailed(5);
}

void onFailure(const FirmwareUpgrade::Target&)
{
    endFailed(6);
}

// One road for every instance: one flash at a time.
FirmwareUpgrade* road()
{
    static FirmwareUpgrade* instance = [] {
        auto* r = new FirmwareUpgrade(&UpDateRepair::UpgradeStatusCallback, QCoreApplication::instance());
        r->onProgress = onProgress;
        r->onSuccess = onSuccess;
        r->onFailure = onFailure;
        return r;
    }();
    return instance;
}

QString receiverStemKey(const QString& receiverClass)
{
    bool ok = false;
    const int type = receiverClass.toInt(&ok);
    return ok && QString::number(type) == receiverClass ? FirmwareStemKey(ReceiverFirmware, type) : QString();
}

// What a view does to one widget: an empty field leaves the widget as it is.
struct WidgetLook {
    std::optional<bool> shown;
    std::optional<bool> enabled;
};
constexpr std::optional<bool> Keep{std::nullopt};
constexpr std::optional<bool> Yes{true};
constexpr std::optional<bool> No{false};

// Devices waiting in boot mode for the image of one target (0 without an image).
int waitingFor(int kind, const QString& stem, int cid, int mid)
{
    if (stem.isEmpty())
        return 0;
    FirmwareImageList list;
    ::ScanFirmwareImages(kind, QString(), stem, cid, mid, list);
    return FirmwareUpgrade::BootDeviceCount(list.first());
}

} // namespace

UpDateRepair::UpDateRepair(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::UpDateRepair)
{
    m_ui->setupUi(this);
    m_ui->NewHong->hide();
    m_ui->progressBar_2->hide();
    m_ui->NewHong_2->hide();
    m_ui->ToolText_2->hide();

    SkinFolder = Skin::WarningDialogFolder();
    setWindowFlags(Skin::MainWindowFlags());
    m_ui->AutoRepair->setStyleSheet(
        Skin::FrameStyle(QStringLiteral("AutoRepair"), SkinFolder, Skin::FrameImage::Border));
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(SkinFolder));
    const QString buttonColor = Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("ButtonColor")));
    const QString buttonStyle = QStringLiteral("QToolButton{border:0px;") + buttonColor
        + QStringLiteral("border-image: ") + Skin::Url(SkinFolder, QStringLiteral("ok_nr.png"))
        + QStringLiteral(";}QToolButton:hover{border-image: ") + Skin::Url(SkinFolder, QStringLiteral("ok_enter.png"))
        + QStringLiteral(";}");
    m_ui->NewHong->setStyleSheet(buttonStyle);
    m_ui->NewHong_2->setStyleSheet(buttonStyle);
    m_ui->ToolText->setStyleSheet(QStringLiteral("QLabel{")
                                + Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("LabelColor")))
                                + QStringLiteral("background: transparent;}"));
    m_ui->ToolText_2->setStyleSheet(QStringLiteral("QLabel{color: rgb(255,0,0);background: transparent;}"));
    // White on a green dark enough to read (over 4.5:1), also where the bar is full.
    m_ui->progressBar_2->setStyleSheet(QStringLiteral(
        "QProgressBar{border: 2px solid grey;border-radius: 5px;background: transparent;color: white;"
        "text-align: center;}QProgressBar::chunk{background-color: rgb(30, 130, 0);width: 20px;}"));
    Transition = ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("Transition")).toInt();

    PostMsg::Connect(SIGNAL(SigAutoRepair(int)), this, SLOT(SlotAutoRepair(int)));
    PostMsg::Connect(SIGNAL(SigAutoRepairProgress(int)), this, SLOT(SlotAutoRepairProgress(int)));
    PostMsg::Connect(SIGNAL(SigProgress(int,int)), this, SLOT(SlotProgress(int,int)));
    PostMsg::Connect(SIGNAL(SigRepairCheckUpdate()), this, SLOT(SlotRepairCheckUpdate()));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
    // The form's captions are Chinese; a road that shows the buttons without a view of its own
    // (the automatic repair) shows them in the current language.
    SetTextKeepingShortcut(m_ui->NewHong_2, UpgradeText);
    SetTextKeepingShortcut(m_ui->NewHong, CancelText);
}

UpDateRepair::~UpDateRepair() = default;

void UpDateRepair::setShortcuts()
{
    // "Enter" first, then replaced: only Return is bound.
    m_ui->NewHong_2->setShortcut(QKeySequence(QStringLiteral("Enter")));
    m_ui->NewHong_2->setShortcut(QKeySequence(Qt::Key_Return));
    m_ui->NewHong->setShortcut(QKeySequence(Qt::Key_Escape));
}

void UpDateRepair::showLook(Look look)
{
    using Text = QString UpDateRepair::*;
    // Per look: the view it enters (none: the view stays), the texts of the message, the
    // action and the cancel button (none: the text stays), and each widget's state.
    struct Row {
        Look look;
        std::optional<View> view;
        Text messageText, actionText, cancelText;
        WidgetLook message, action, cancel, close, bar;
    };
    static const Row rows[] = {
        {Look::Start, View::Start, nullptr, &UpDateRepair::UpgradeText, &UpDateRepair::CancelText,
         {Yes, Keep}, {Yes, Keep}, {Yes, Keep}, {Yes, Keep}, {No, Keep}},
        {Look::Prompt, View::Prompt, &UpDateRepair::ReadyUpdateText, &UpDateRepair::UpgradeText,
         &UpDateRepair::CancelText, {Yes, Keep}, {Yes, Keep}, {Yes, Yes}, {Yes, Yes}, {No, Keep}},
        {Look::Notice, View::Notice, nullptr, &UpDateRepair::ConfirmText, nullptr,
         {Yes, Keep}, {Yes, Keep}, {Yes, Yes}, {Yes, Yes}, {No, Keep}},
        {Look::Running, View::Running, &UpDateRepair::UpdateNotMoveText, nullptr, nullptr,
         {Yes, Keep}, {No, Keep}, {No, No}, {Yes, No}, {Yes, Keep}},
        {Look::AutoRepairEnded, View::Ended, nullptr, &UpDateRepair::ConfirmText, nullptr,
         {Keep, Keep}, {Keep, Keep}, {Yes, Keep}, {Keep, Keep}, {Keep, Keep}},
        {Look::Ended, View::Ended, nullptr, &UpDateRepair::ConfirmText, nullptr,
         {Yes, Keep}, {Yes, Keep}, {Yes, Yes}, {Keep, Yes}, {Keep, Keep}},
        {Look::EndedWithoutConfirm, View::Ended, nullptr, nullptr, nullptr,
         {Yes, Keep}, {Keep, Keep}, {Yes, Yes}, {Keep, Yes}, {Keep, Keep}},
        {Look::CancelAndBarHidden, std::nullopt, nullptr, nullptr, nullptr,
         {Keep, Keep}, {Keep, Keep}, {No, Keep}, {Keep, Keep}, {No, Keep}},
    };
    const Row* row = std::find_if(std::begin(rows), std::end(rows), [look](const Row& r) { return r.look == look; });
    if (row->view)
        m_view = *row->view;
    if (row->messageText)
        m_ui->ToolText_2->setText(this->*row->messageText);
    if (row->actionText)
        m_ui->NewHong_2->setText(this->*row->actionText);
    if (row->cancelText)
        m_ui->NewHong->setText(this->*row->cancelText);
    const std::pair<QWidget*, WidgetLook> widgets[] = {{m_ui->ToolText_2, row->message},
                                                       {m_ui->NewHong_2, row->action},
                                                       {m_ui->NewHong, row->cancel},
                                                       {m_ui->CloseButton, row->close},
                                                       {m_ui->progressBar_2, row->bar}};
    for (const auto& [widget, state] : widgets) {
        if (state.shown)
            widget->setVisible(*state.shown);
        if (state.enabled)
            widget->setEnabled(*state.enabled);
    }
    // Setting a caption drops a button's shortcut.
    setShortcuts();
}

void UpDateRepair::ResetRepairView()
{
    m_ui->ToolText_2->setText(QString());
    m_ui->progressBar_2->setValue(0);
    showLook(Look::Start);
}

void UpDateRepair::ShowResumePrompt()
{
    showLook(Look::Prompt);
}

void UpDateRepair::ShowRepairNotice()
{
    showLook(Look::Notice);
}

void UpDateRepair::ShowUpgradeRunning()
{
    showLook(Look::Running);
}

void UpDateRepair::SetRepairText(const QString& text)
{
    m_ui->ToolText_2->setText(text);
}

bool UpDateRepair::notice(const QString& text)
{
    SetRepairText(text);
    ShowRepairNotice();
    return false;
}

bool UpDateRepair::flashing() const
{
    return RepairProgressActive.load() || RepairUpgradeRunning.load() || UpgradeRunning.load();
}

bool UpDateRepair::ScanFirmwareImages(int kind, QString& shownVersion, const QString& stem, int cid, int mid)
{
    shownVersion.remove(QLatin1Char('v'));
    return ::ScanFirmwareImages(kind, shownVersion, stem, cid, mid, RepairImageList);
}

bool UpDateRepair::CheckUpgradeResume()
{
    const QString raw =
        RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo")).toString();
    const QStringList fields = raw.split(QLatin1Char(','), Qt::KeepEmptyParts);
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        shared().failFields = fields;
    }
    if (raw.isEmpty() || fields.size() != 4)
        return false;
    RepairReceiverType.store(0);
    FailedKind = fields.at(0).toInt();
    const int failedMid = fields.at(3).toInt();
    const QString receiverClass = fields.at(1);

    // The device section of the failed model, its stems and identity: the boot-mode tests
    // below need them before the device checks.
    ConfigIni* config = ConfigIni::instance();
    const int total = config->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt();
    for (int k = 1; k <= total; ++k) {
        const QString group = QStringLiteral("Drive") + QString::number(k);
        if (config->value(group, QStringLiteral("MID")).toInt() == failedMid) {
            RepairDriveGroup = group;
            break;
        }
    }
    const QString mouseStem = config->value(RepairDriveGroup, QStringLiteral("MM"));
    const QString stemKey = receiverStemKey(receiverClass);
    if (!stemKey.isEmpty()) {
        RepairReceiverType.store(receiverClass.toInt());
        RepairReceiverStem = config->value(RepairDriveGroup, stemKey);
    }
    const int cid = fields.at(2).toInt();
    const int mid = config->value(RepairDriveGroup, QStringLiteral("MID")).toInt();
    RepairCid.store(cid);
    RepairMid.store(mid);
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        shared().mouseStem = mouseStem;
    }
    // A target waiting in boot mode for its image is connected, off the bus as it is. Asked
    // only when a listed device does not do.
    const QString receiverStem = RepairReceiverStem;
    auto mouseWaiting = [=] { return waitingFor(MouseFirmware, mouseStem, cid, mid) > 0; };
    auto receiverWaiting = [=] { return waitingFor(ReceiverFirmware, receiverStem, cid, mid) > 0; };

    const DeviceList found = FoundDeviceList.get();
    if (found.isEmpty() && !mouseWaiting() && !receiverWaiting())
        return notice(NoDeviceText);
    if (found.size() > 1) {
        int mice = 0, receivers = 0;
        DeviceAllInfo lastMouse, lastReceiver;
        for (const DeviceAllInfo& d : found) {
            if (d.Wired) {
                ++mice;
                lastMouse = d;
            } else {
                ++receivers;
                lastReceiver = d;
            }
        }
        if (mice >= 2)
            return notice(MultiMouseText);
        if (receivers >= 2)
            return notice(MultiDongleText);
        if (FailedKind == MouseFirmware && mice == 1 && lastMouse.Mid() != failedMid)
            return notice(MultiMouseText);
        // A listed receiver of another model is not the one flashed when the failed one waits.
        if (FailedKind == ReceiverFirmware && receivers == 1 && lastReceiver.Mid() != failedMid && !receiverWaiting())
            return notice(MultiDongleText);
    }

    int receiverCount = 0;
    if (FailedKind == ReceiverFirmware) {
        const QStringList lists[4] = {WirelessPidList.get(), Wireless2PidList.get(), Wireless4PidList.get(),
                                      Wireless8PidList.get()};
        const DeviceList copy = DevicePageList.get();
        auto countIn = [&copy](const QStringList& pids) {
            int n = 0;
            for (const DeviceAllInfo& d : copy)
                n += pids.contains(d.PidText);
            return n;
        };
        for (const DeviceAllInfo& d : copy)
            for (const QStringList& pids : lists)
                if (pids.contains(d.PidText)) {
                    ++receiverCount;
                    break;
                }
        if (receiverCount == 1) {
            const int index = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                                          QStringLiteral("8")}.indexOf(receiverClass);
            receiverCount = index < 0 ? 0 : countIn(lists[index]);
        }
    }
    RepairStage.store(0);

    if (AutoRepairRequested) {
        StartAllowed = true;
    } else {
        const DeviceAllInfo first = found.isEmpty() ? DeviceAllInfo() : found.first();
        if (FailedKind == ReceiverFirmware) {
            // The failed receiver waiting with its image is flashed without its mouse: a wireless
            // mouse has no cable.
            if ((found.isEmpty() || !first.Wired || first.Mid() != failedMid) && !mouseWaiting()
                && !receiverWaiting())
                return notice(NoUSBText);
        } else if ((found.isEmpty() || first.Wired || first.Mid() != failedMid) && !receiverWaiting()) {
            return notice(NoRecieveText);
        }
        QString none;
        const bool mouseFound = ScanFirmwareImages(MouseFirmware, none, mouseStem, cid, mid);
        none.clear();
        const bool receiverFound =
            !RepairReceiverStem.isEmpty() && ScanFirmwareImages(ReceiverFirmware, none, RepairReceiverStem, cid, mid);
        RepairImageCount.store(mouseFound && receiverFound ? 2 : 1);
        // The failed target is scanned last: its image heads the list.
        none.clear();
        if (FailedKind == ReceiverFirmware) {
            RepairFailedStage.store(0);
            StartAllowed = !RepairReceiverStem.isEmpty()
                && ScanFirmwareImages(ReceiverFirmware, none, RepairReceiverStem, cid, mid);
        } else {
            RepairFailedStage.store(1);
            StartAllowed = ScanFirmwareImages(MouseFirmware, none, mouseStem, cid, mid);
        }
    }

    if (!StartAllowed)
        return notice(FileErrorText); // nothing to flash is never offered
    const int waiting = FirmwareUpgrade::BootDeviceCount(RepairImageList.first());
    const int totalWaiting = waiting + receiverCount;
    if (totalWaiting == 1)
        return true;
    RepairUpgradeRunning.store(false);
    return notice(totalWaiting == 0 ? NoDeviceText : SameDeviceText);
}

void UpDateRepair::StartUpgrade()
{
    if (flashing() || road()->Running())
        return; // one flash at a time
    if (!StartAllowed) {
        notice(FileErrorText);
        return;
    }
    const int cid = RepairCid.load();
    const int mid = ConfigIni::instance()->value(RepairDriveGroup, QStringLiteral("MID")).toInt();
    QString mouseStem;
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        mouseStem = shared().mouseStem;
    }
    QString none;
    const bool mouseFound = ScanFirmwareImages(MouseFirmware, none, mouseStem, cid, mid);
    const QByteArray mouseImage = mouseFound ? RepairImageList.first() : QByteArray();
    none.clear();
    const bool receiverFound =
        !RepairReceiverStem.isEmpty() && ScanFirmwareImages(ReceiverFirmware, none, RepairReceiverStem, cid, mid);
    const QByteArray receiverImage = receiverFound ? RepairImageList.first() : QByteArray();
    // A receiver record whose mouse cannot be flashed now (no image, neither on its cable nor
    // waiting) repairs the receiver alone and ends there, done.
    const bool receiverAlone =
        receiverFound && RepairFailedStage.load() == 0 && !(mouseFound && mousePresent(mouseImage));
    RepairReceiverOnly.store(receiverAlone);
    RepairImageCount.store(mouseFound && receiverFound && !receiverAlone ? 2 : 1);
    beginUpgrade(receiverImage, receiverAlone ? QByteArray() : mouseImage);
}

void UpDateRepair::beginUpgrade(const QByteArray& receiverImage, const QByteArray& mouseImage)
{
    ConfigIni* config = ConfigIni::instance();
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        shared().mouseImage = mouseImage;
        shared().cidText = config->value(QStringLiteral("Option"), QStringLiteral("CID"));
        shared().midText = config->value(RepairDriveGroup, QStringLiteral("MID"));
    }
    if (receiverImage.isEmpty() && mouseImage.isEmpty()) {
        StartAllowed = false;
        RepairImageList.clear();
        notice(FileErrorText); // nothing flashed is no success
        return;
    }
    RepairUpgradeRunning.store(true);
    ShowUpgradeRunning();
    DeviceWatchEnabled.store(0);
    const bool receiverFirst = !receiverImage.isEmpty();
    RepairStage.store(receiverFirst ? 0 : 1);
    const QByteArray image = receiverFirst ? receiverImage : mouseImage;
    RepairImageList.set(image);
    StartAllowed = road()->Start(image, targetFor(receiverFirst ? ReceiverFirmware : MouseFirmware));
    if (!StartAllowed)
        endFailed(6); // refused: a failure without log lines
}

void UpDateRepair::StartAutoRepair(int mode)
{
    AutoRepairRequested = true;
    AutoRepairMode = mode;
    const DeviceList found = FoundDeviceList.get();
    if (found.size() != 1 || flashing()) {
        StartAllowed = false;
        notice(FileErrorText);
        return;
    }
    const DeviceAllInfo device = found.first();
    ConfigIni* config = ConfigIni::instance();
    RepairDriveGroup = DeviceSection(device.DriveIndex);
    const int cid = config->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    const int mid = config->value(RepairDriveGroup, QStringLiteral("MID")).toInt();
    RepairCid.store(cid);
    RepairMid.store(mid);
    RepairReceiverType.store(ReceiverTypeFor(device.ConnectionType));
    const QString stemKey = FirmwareStemKey(ReceiverFirmware, RepairReceiverType.load());
    RepairReceiverStem = stemKey.isEmpty() ? QString() : config->value(RepairDriveGroup, stemKey);
    {
        std::lock_guard<std::mutex> lock(shared().mutex);
        shared().mouseStem = config->value(RepairDriveGroup, QStringLiteral("MM"));
    }
    RepairFailedStage.store(-1);
    RepairImageCount.store(1);
    // The same scan as the Space road: an image whose version differs from the receiver's.
    QString version = device.VersionText;
    StartAllowed =
        !RepairReceiverStem.isEmpty() && ScanFirmwareImages(ReceiverFirmware, version, RepairReceiverStem, cid, mid);
    if (!StartAllowed) {
        notice(FileErrorText);
        return;
    }
    RepairReceiverOnly.store(true);
    beginUpgrade(RepairImageList.first(), QByteArray());
}

void UpDateRepair::UpgradeStatusCallback(const uint8_t* report)
{
    road()->HandleReport(report);
}

bool UpDateRepair::CopyDongleIdToMice()
{
    ReceiverIdRead.store(false);
    const DeviceList copy = DevicePageList.get();
    for (const DeviceAllInfo& d : copy) {
        if (d.Wired)
            continue;
        uint8_t buffer[10] = {};
        ReceiverIdRead.store(UsbFinderC_GetDeviceOnLineWithUsbAddress(d.Path.constData(), buffer) != 0);
        if (!ReceiverIdRead.load())
            continue;
        ReceiverIdBytes.append(char(buffer[9]));
        ReceiverIdBytes.append(char(buffer[8]));
        ReceiverIdBytes.append(char(buffer[7]));
        ResendDongleIdToMice();
    }
    return ReceiverIdRead.load();
}

void UpDateRepair::ResendDongleIdToMice()
{
    if (!ReceiverIdRead.load() || ReceiverIdBytes.size() < 3)
        return;
    const int type = RepairReceiverType.load();
    const uint8_t code = type == 1 ? 0 : (type == 2 || type == 4) ? 1 : type == 8 ? 4 : 0;
    const uint8_t record[5] = {uint8_t(ReceiverIdBytes.at(0)), uint8_t(ReceiverIdBytes.at(1)),
                               uint8_t(ReceiverIdBytes.at(2)), 0, code};
    ReceiverIdBytes.clear();
    for (const DeviceAllInfo& d : DevicePageList.get())
        if (d.Wired)
            UsbFinderC_SetDongleIDToMouse(d.Path.constData(), record);
}

void UpDateRepair::HideCancelAndProgress()
{
    showLook(Look::CancelAndBarHidden);
}

void UpDateRepair::reject()
{
    if (flashing())
        return;
    if (!m_ui->progressBar_2->isHidden()) {
        if (m_ui->progressBar_2->value() == 100)
            PostMsg::instance()->EmitSetNewVer();
        else if (MainPageActive.load() != 0)
            PostMsg::instance()->EmitChangeMainDialog(0);
    }
    QDialog::reject();
}

void UpDateRepair::closeEvent(QCloseEvent* event)
{
    if (flashing()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event); // takes reject(), the close handling
}

void UpDateRepair::on_CloseButton_clicked()
{
    reject();
}

void UpDateRepair::on_NewHong_clicked()
{
    reject();
}

void UpDateRepair::SlotAutoRepair(int index)
{
    m_ui->ToolText_2->setText(index == 0 ? UpDateSuccessText : UpDateFailText);
    showLook(Look::AutoRepairEnded);
}

void UpDateRepair::SlotAutoRepairProgress(int index)
{
    m_ui->progressBar_2->setValue(index);
}

void UpDateRepair::SlotAllLanguage(int index)
{
    m_ui->ToolText->setText(LangText(LangTable::AutoRepairTexts, index, 0));
    CancelText = LangText(LangTable::AutoRepairTexts, index, 1);
    NoDeviceText = LangText(LangTable::AutoRepairTexts, index, 2);
    SameDeviceText = LangText(LangTable::AutoRepairTexts, index, 3);
    UpgradeText = LangText(LangTable::AutoRepairTexts, index, 4);
    NoRecieveText = LangText(LangTable::AutoRepairTexts, index, 5);
    NoUSBText = LangText(LangTable::AutoRepairTexts, index, 6);
    ErrorText = LangText(LangTable::AutoRepairTexts, index, 7);
    FileErrorText = LangText(LangTable::AutoRepairTexts, index, 8);
    Error2Text = LangText(LangTable::AutoRepairTexts, index, 9);
    MultiMouseText = LangText(LangTable::AutoRepairTexts, index, 10);
    MultiDongleText = LangText(LangTable::AutoRepairTexts, index, 11);
    ReadyUpdateText = LangText(LangTable::AutoRepairTexts, index, 12);
    UpdateNotMoveText = LangText(LangTable::ProgressTexts, index, 0);
    UpDateSuccessText = LangText(LangTable::ProgressTexts, index, 1);
    UpDateFailText = LangText(LangTable::ProgressTexts, index, 2);
    ConfirmText = LangText(LangTable::DialogChangeTexts, index, 4);
}

void UpDateRepair::SlotProgress(int schedue, int Discrib)
{
    switch (Discrib) {
    case 0:
        m_ui->progressBar_2->setValue(schedue);
        break;
    case 1:
        showLook(Look::Ended);
        m_ui->ToolText_2->setText(UpDateFailText);
        break;
    case 2:
        showLook(Look::Ended);
        m_ui->ToolText_2->setText(UpDateSuccessText);
        m_ui->progressBar_2->setValue(100);
        break;
    case 3:
        m_ui->NewHong->hide();
        break;
    case 4:
        m_ui->NewHong->hide();
        m_ui->progressBar_2->setValue(0);
        break;
    case 5:
        showLook(Look::Ended);
        m_ui->ToolText_2->setText(UpDateFailText);
        m_ui->progressBar_2->setValue(50);
        break;
    case 6:
        showLook(Look::EndedWithoutConfirm);
        m_ui->ToolText_2->setText(UpDateFailText);
        break;
    default:
        break;
    }
    setShortcuts();
}

void UpDateRepair::on_NewHong_2_clicked()
{
    if (!RepairProgressActive.load() && !m_ui->progressBar_2->isHidden()) {
        reject();
        return;
    }
    // Chosen by the view, not by the caption: captions may be equal when a text is missing.
    if (m_view == View::Notice || m_view == View::Ended) {
        QDialog::reject();
        return;
    }
    if (MainPageActive.load() != 0) {
        PostMsg::instance()->EmitUpdateStart();
        return;
    }
    StartUpgrade();
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    if (CheckUpgradeResume())
        ShowResumePrompt();
}
