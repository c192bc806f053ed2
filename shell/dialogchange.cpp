#include "shell/dialogchange.h"

#include "core/configini.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/wirelessfirmwarecheck.h"
#include "device/worker.h"
#include "pages/settings/match.h"
#include "pages/settings/updaterepair.h"
#include "pages/settings/updatewarning.h"
#include "platform/registrystore.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagelist.h"
#include "shell/mytoolbuttonenter.h"
#include "ui/widgets/backdrop.h"
#include "ui/widgets/questiondialogb.h"
#include "ui/widgets/repair.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include "ui_dialogchange.h"

#include <QDir>
#include <QLabel>
#include <QVector>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

constexpr int CountGroups = 5;
// Far more device sections than any installation describes: a DeviceTotal beyond it counts
// as none instead of sizing the counting table.
constexpr int MaxCountedSections = 1024;

QString url(const QString& folder, const QString& image)
{
    return QStringLiteral("url(") + folder + image + QStringLiteral(")");
}

QString DeviceButtonStyle(const QString& folder, const QString& image)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: ")
        + url(folder, image) + QStringLiteral(";color: rgb(255, 255, 255);}");
}

// Offline mark and connection icon.
QString IconStyle(const QString& folder, const QString& image)
{
    return QStringLiteral("QLabel{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: ")
        + url(folder, image) + QStringLiteral(";color: rgb(255, 255, 255);}");
}

QString RateIconStyle(const QString& folder, const QString& image)
{
    return QStringLiteral("QLabel{background-image: ") + url(folder, image) + QStringLiteral(";}");
}

QString ArrowStyle(const QString& folder, const QString& stem)
{
    return QStringLiteral("QToolButton{border-image: ") + url(folder, stem + QStringLiteral(".png"))
        + QStringLiteral(";}QToolButton:hover{border-image: ") + url(folder, stem + QStringLiteral("Click.png"))
        + QStringLiteral(";}");
}

// Devices of one group in one section are identical: 0 the mouse on its cable, 1 to 4 the
// receiver kinds 0, 4, 1 and 5; -1 for a kind that is not counted.
int CountGroup(const DeviceAllInfo& device)
{
    if (device.Wired)
        return 0;
    switch (device.ConnectionType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 3;
    case 5: return 4;
    default: return -1;
    }
}

QString RateImage(quint8 connectionType)
{
    switch (connectionType) {
    case 0: return QStringLiteral("1KHz.png");
    case 4: return QStringLiteral("2KHz.png");
    case 1: return QStringLiteral("4KHz.png");
    case 3:
    case 5: return QStringLiteral("8KHz.png");
    default: return QString();
    }
}

bool IsUnidentified(const DeviceAllInfo& device)
{
    return qint64(device.DriveIndex) == qint64(ConfigDeviceTotal.load());
}

QString ButtonImage(const DeviceAllInfo& device)
{
    if (IsUnidentified(device))
        return QStringLiteral("Unknow.png");
    return device.Online ? QStringLiteral("OnLine0.png") : QStringLiteral("DisOnlin0.png");
}

// "btn" + index; -1 for a name that carries no index.
int IndexOfButton(const QObject* button)
{
    if (!button)
        return -1;
    QString rest = button->objectName();
    rest.remove(QStringLiteral("btn"));
    bool ok = false;
    const int index = rest.toInt(&ok);
    return ok ? index : -1;
}

bool PresentNow(const QByteArray& path)
{
    return (UsbFinderC_GetDeviceOnLine(path.constData()) & 0xFF) != 0;
}

bool UpgradeFailureRecorded()
{
    return !RegistryStore::instance()
                ->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo"))
                .toString()
                .isEmpty();
}

template <typename W>
void DeleteAllLater(QList<W*>& widgets)
{
    for (W* w : widgets)
        w->deleteLater();
    widgets.clear();
}

} // namespace

DialogChange::DialogChange(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::DialogChange)
{
    m_ui->setupUi(this);

    ImageFolder = Skin::Folder(QStringLiteral("DialogChange"));
    // The biggest picture this page shows: decoded meanwhile, drawn as its border-image was.
    new Backdrop(ImageFolder + QStringLiteral("MainBack.png"), m_ui->frameChange);
    m_ui->frameChange->setStyleSheet(QStringLiteral("#frameChange{border: 0px;}"));
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(ImageFolder));
    m_ui->MinButton->setStyleSheet(Skin::CloseButtonStyle(ImageFolder, QStringLiteral("Min")));
    m_ui->Repair->setStyleSheet(QStringLiteral("#Repair{border:0px;background-image: ")
                                + url(ImageFolder, QStringLiteral("Repair.png"))
                                + QStringLiteral(";background-position:center;background-repeat:no-repeat;}"));
    m_ui->RightButton->setStyleSheet(ArrowStyle(ImageFolder, QStringLiteral("Right")));
    m_ui->LeftButton->setStyleSheet(ArrowStyle(ImageFolder, QStringLiteral("Left")));
    Skin::ApplyComboSkin(m_ui->comboBox, ImageFolder);
    m_ui->comboBox->setMaxVisibleItems(5);

    m_ui->label_2->show();
    m_ui->label_3->show();
    m_ui->RightButton->hide();
    m_ui->LeftButton->hide();

    PostMsg::Connect(SIGNAL(SigLanguageSameA(int)), this, SLOT(SlotSameLanguageA(int)));
    PostMsg::Connect(SIGNAL(SigUpDateButton(bool)), this, SLOT(SlotUpDateButton(bool)));
    PostMsg::Connect(SIGNAL(SigEnterKey()), this, SLOT(SlotEnterKey()));

    m_ui->Repair->setVisible(UpgradeFailureRecorded());

    // Discovery lists an unidentified device under max(0, DeviceTotal).
    ConfigDeviceTotal.store(
        qMax(0, ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt()));

    LanguageList::Fill(m_ui->comboBox, CurrentLanguage);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);

    SetRebuildDeviceListHook([this] { DeviceNotice(); });
    StartUsbChanged(DevicePageHotplugNotice, Timing::HotplugInterval);
}

DialogChange::~DialogChange()
{
    SetRebuildDeviceListHook(nullptr);
}

void DialogChange::DeviceNotice()
{
    // Read at every notice: an upgrade cut off meanwhile shows the repair button at once.
    ShowRepair(UpgradeFailureRecorded());
    RebuildDeviceList();
}

void DialogChange::ShowRepair(bool shown)
{
    m_ui->Repair->setVisible(shown);
    m_ui->label_2->setText(shown ? RepairHintText : ConnectHintText);
}

void DialogChange::RebuildDeviceList()
{
    // A button may be the sender of the click being handled: delete nothing right away.
    DeleteAllLater(DeviceButtonList);
    DeleteAllLater(OfflineMarkList);
    DeleteAllLater(RateIconList);
    DeleteAllLater(ConnectionIconList);
    while (m_ui->stackedWidget->count() > 0) {
        QWidget* page = m_ui->stackedWidget->widget(0);
        m_ui->stackedWidget->removeWidget(page);
        page->hide();
        page->deleteLater();
    }

    DeviceList found = FoundDeviceList.get();
    if (found.isEmpty()) {
        m_ui->label_2->show();
        m_ui->label_3->hide();
        return;
    }

    const int total = ConfigDeviceTotal.load();
    const int sections = total < 0 || total > MaxCountedSections ? 0 : total;
    // One slot per section and, last, the slot of the unidentified devices.
    const int slotCount = sections + 1;
    QVector<int> counts(CountGroups * slotCount, 0);
    for (int i = 0; i < found.size(); ++i) {
        const DeviceAllInfo& device = found.at(i);
        const int group = CountGroup(device);
        int slot = -1;
        if (IsUnidentified(device))
            slot = sections;
        else if (device.DriveIndex < quint32(sections))
            slot = int(device.DriveIndex);
        if (group >= 0 && slot >= 0)
            ++counts[group * slotCount + slot];
        RefreshDeviceOnline(i);
    }

    if (std::any_of(counts.cbegin(), counts.cend(), [](int n) { return n >= 2; })) {
        m_ui->label_2->show();
        m_ui->label_3->hide();
        m_ui->RightButton->hide();
        m_ui->LeftButton->hide();
        QuestiondialogB notice(nullptr);
        Skin::MoveCenteredOver(&notice, this);
        notice.exec();
        return;
    }

    // A model whose mouse is on its cable is listed once: its receiver goes (DevicePageList
    // keeps it).
    for (int k = 0; k < sections; ++k) {
        if (counts.at(k) != 1)
            continue;
        FoundDeviceList.update([k](DeviceList& list) {
            for (int i = list.size() - 1; i >= 0; --i)
                if (list.at(i).DriveIndex == quint32(k) && !list.at(i).Wired)
                    list.removeAt(i);
        });
    }

    m_ui->label_2->hide();
    m_ui->label_3->show();

    static const DevicePlace FullPage[3] = {
        {{0, 0}, {225, 20}, {7, 10}}, {{300, 0}, {525, 20}, {307, 10}}, {{600, 0}, {825, 20}, {607, 10}}};
    static const DevicePlace OneLeft[1] = {{{305, 0}, {530, 20}, {312, 10}}};
    static const DevicePlace TwoLeft[2] = {{{135, 0}, {360, 20}, {142, 10}}, {{445, 0}, {665, 20}, {452, 10}}};

    found = FoundDeviceList.get();
    const int size = found.size();
    QWidget* page = nullptr;
    for (int i = 0; i < size; ++i) {
        const int slot = i % 3;
        if (slot == 0)
            page = new QWidget(m_ui->stackedWidget);
        const int onThisPage = std::min(3, size - (i - slot));
        const DevicePlace& place =
            onThisPage == 3 ? FullPage[slot] : onThisPage == 1 ? OneLeft[0] : TwoLeft[slot];
        AddDeviceWidgets(page, i, found.at(i), place);
        if (slot == onThisPage - 1)
            m_ui->stackedWidget->addWidget(page);
    }

    m_ui->stackedWidget->setCurrentIndex(0);
    m_ui->RightButton->setVisible(size > 3);
    m_ui->LeftButton->hide();

    for (mytoolButtonEnter* button : DeviceButtonList) {
        UpdateDeviceButtonState(IndexOfButton(button));
        connect(button, &QAbstractButton::clicked, this, &DialogChange::slotButtonClicked);
        connect(button, &mytoolButtonEnter::SigPointerEntered, this, &DialogChange::UpdateDeviceButtonState);
    }
}

void DialogChange::AddDeviceWidgets(QWidget* page, int index, const DeviceAllInfo& device, const DevicePlace& place)
{
    const QString number = QString::number(index);

    auto* button = new mytoolButtonEnter(page);
    button->setObjectName(QStringLiteral("btn") + number);
    button->setFixedSize(284, 360);
    button->setFocusPolicy(Qt::NoFocus);
    button->move(place.button);
    // Styled as the state check below will find it: a picture never shown is never decoded.
    button->setStyleSheet(DeviceButtonStyle(ImageFolder, ButtonImage(device)));
    DeviceButtonList << button;

    auto* mark = new QLabel(page);
    mark->setObjectName(QStringLiteral("label") + number);
    mark->setFixedSize(32, 32);
    mark->setFocusPolicy(Qt::NoFocus);
    mark->move(place.mark);
    mark->setStyleSheet(IconStyle(ImageFolder, QStringLiteral("DisOnline.png")));
    mark->setToolTip(OfflineTipText1 + QLatin1Char('\n') + OfflineTipText2);
    mark->hide();
    OfflineMarkList << mark;

    auto* connection = new QLabel(page);
    connection->setObjectName(QStringLiteral("UsbWifi") + number);
    connection->setFixedSize(32, 32);
    connection->setFocusPolicy(Qt::NoFocus);
    connection->move(place.mark);
    connection->setStyleSheet(IconStyle(
        ImageFolder, device.Wired ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png")));
    connection->hide();
    ConnectionIconList << connection;

    // An unidentified device's connection kind is not kept: a rate mark would be made up.
    const QString rate = IsUnidentified(device) ? QString() : RateImage(device.ConnectionType);
    if (!rate.isEmpty()) {
        auto* rateIcon = new QLabel(page);
        rateIcon->setFixedSize(42, 26);
        rateIcon->setFocusPolicy(Qt::NoFocus);
        rateIcon->move(place.rate);
        rateIcon->setStyleSheet(RateIconStyle(ImageFolder, rate));
        RateIconList << rateIcon;
    }
}

void DialogChange::UpdateDeviceButtonState(int index)
{
    ReidentifyDevice(index);
    const DeviceList found = FoundDeviceList.get();
    if (index < 0 || index >= found.size() || index >= DeviceButtonList.size())
        return;
    const DeviceAllInfo device = found.at(index);
    bool connectionShown = true;
    if (!IsUnidentified(device)) {
        connectionShown = device.Online;
        OfflineMarkList.at(index)->setVisible(!device.Online);
    }
    const QString style = DeviceButtonStyle(ImageFolder, ButtonImage(device));
    if (DeviceButtonList.at(index)->styleSheet() != style)
        DeviceButtonList.at(index)->setStyleSheet(style);
    ConnectionIconList.at(index)->setVisible(connectionShown);
}

void DialogChange::on_MinButton_clicked()
{
    PostMsg::instance()->EmitChangeSize(MinimiseFromChoicePage);
}

void DialogChange::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitChangeSize(CloseFromChoicePage);
}

void DialogChange::on_LeftButton_clicked()
{
    TurnPage(-1);
}

void DialogChange::on_RightButton_clicked()
{
    TurnPage(1);
}

void DialogChange::TurnPage(int step)
{
    m_ui->label_2->hide();
    m_ui->label_3->show();
    const int next = m_ui->stackedWidget->currentIndex() + step;
    const int pages = m_ui->stackedWidget->count();
    if (next < 0 || next >= pages)
        return;
    m_ui->stackedWidget->setCurrentIndex(next);
    // Every arrow that leads somewhere shows, also on middle pages.
    m_ui->LeftButton->setVisible(next > 0);
    m_ui->RightButton->setVisible(next < pages - 1);
}

void DialogChange::on_comboBox_activated(int index)
{
    MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QString::number(index));
    CurrentLanguage = index;
    PostMsg::instance()->EmitAllLanguage(index);
    PostMsg::instance()->EmitLanguageSameB(index);
}

void DialogChange::SlotSameLanguageA(int index)
{
    LanguageList::Select(m_ui->comboBox, index);
}

void DialogChange::SlotUpDateButton(bool IsHide)
{
    ShowRepair(!IsHide);
}

void DialogChange::SlotEnterKey()
{
    // Return reaches this page also while the device pages are shown: act only while this
    // page is the one on screen and offers the repair.
    if (isVisible() && !m_ui->Repair->isHidden())
        on_Repair_clicked();
}

void DialogChange::SlotAllLanguage(int index)
{
    ConnectHintText = LangText(LangTable::DialogChangeTexts, index, 0);
    m_ui->label_3->setText(LangText(LangTable::DialogChangeTexts, index, 1));
    RepairHintText = LangText(LangTable::DialogChangeTexts, index, 2);
    OfflineTipText1 = LangText(LangTable::DialogChangeTexts, index, 5);
    OfflineTipText2 = LangText(LangTable::DialogChangeTexts, index, 6);
    for (QLabel* mark : OfflineMarkList)
        mark->setToolTip(OfflineTipText1 + QLatin1Char('\n') + OfflineTipText2);
    MouseIsNewTipsText = LangText(LangTable::DialogChangeTexts, index, 8);
    m_ui->label_2->setText(m_ui->Repair->isHidden() ? ConnectHintText : RepairHintText);
}

void DialogChange::slotButtonClicked()
{
    emit DeviceFrameNeeded();
    const int index = IndexOfButton(sender());
    const DeviceList found = FoundDeviceList.get();
    // The list may have changed under the buttons: a stale index opens nothing.
    if (index < 0 || index >= found.size() || index >= DeviceButtonList.size())
        return;
    const DeviceAllInfo device = found.at(index);

    PostMsg* hub = PostMsg::instance();
    hub->EmitSetver(6);
    // An unidentified device has no section to read: clicking it does nothing.
    if (IsUnidentified(device))
        return;

    const int mid = ConfigIni::instance()->value(DeviceSection(device.DriveIndex), QStringLiteral("MID")).toInt();
    if (mid == 1)
        hub->EmitMouseIndex(0);
    else if (mid == 2)
        hub->EmitMouseIndex(1);

    bool checked = false;
    if (found.size() == 2) {
        // Two entries of one model, the clicked one away: check it even on its cable.
        const DeviceAllInfo& other = found.at(1 - index);
        if (other.CidMid == device.CidMid && !PresentNow(device.Path) && PresentNow(other.Path)) {
            if (FirmwareCheckEndsClick(device))
                return;
            checked = true;
        }
    }
    if (!device.Wired && !checked && FirmwareCheckEndsClick(device))
        return;
    OpenDevice(device);
}

bool DialogChange::FirmwareCheckEndsClick(const DeviceAllInfo& device)
{
    const WirelessFirmwareCheck check = WirelessFirmwareCheck::Run(device, WirelessFirmwareCheck::Images::Keep);
    // No version of the mouse known: only a pairing brings the mouse.
    if (!check.mouseVersionKnown) {
        OpenPairing(device);
        return true;
    }
    // Both parts differ from their images: pair again, or update. Only the mouse: it is updated
    // on its cable. Only the receiver, or neither: the device opens, where the receiver's update
    // is offered.
    if (check.newMouse && check.newReceiver) {
        RePair question(nullptr);
        Skin::MoveCenteredOver(&question, this);
        question.exec();
        if (question.PairAgain)
            OpenPairing(device);
        return true;
    }
    if (check.newMouse) {
        UpDateWarning warning(nullptr);
        warning.SetMessage(WiredModeText);
        Skin::MoveCenteredOver(&warning, this, QPoint(-20, 0));
        warning.exec();
        return true;
    }
    return false;
}

void DialogChange::OpenPairing(const DeviceAllInfo& device)
{
    PairChosenDevice.set(device);
    PairChosen.store(true);
    Match match(nullptr);
    match.PreparePairing();
    Skin::MoveCenteredOver(&match, this);
    match.exec();
}

void DialogChange::OpenDevice(const DeviceAllInfo& device)
{
    PostMsg* hub = PostMsg::instance();
    // The worker takes it as the current device before the receiver check reads its section.
    hub->EmitSelectMouseInfo(device);
    QString newerReceiver;
    if (QDir(FirmwareFolder()).exists()) {
        const QString version = device.VersionText;
        const bool newer = CheckFirmwareUpdate(ReceiverFirmware, version, ReceiverTypeFor(device.ConnectionType));
        NewerReceiverFirmware.store(newer);
        if (newer)
            newerReceiver = QStringLiteral("true");
    }
    hub->EmitLabelTextB(device.VersionText, newerReceiver);
    // The device pages are up and drawn before the read starts. Queued work runs during the
    // wait; a return to the choice page (the device went away, told from any thread, so the
    // flag is set at the emission itself) ends the opening.
    const auto leftFrame = std::make_shared<std::atomic<bool>>(false);
    const QMetaObject::Connection watch = connect(
        hub, &PostMsg::SigChangeMainDialog, this,
        [leftFrame](int index) {
            if (index == 0)
                leftFrame->store(true);
        },
        Qt::DirectConnection);
    hub->EmitChangeMainDialog(1);
    WaitPumpingEvents(Timing::OpenDeviceDelay, QEventLoop::ExcludeUserInputEvents);
    disconnect(watch);
    if (leftFrame->load())
        return;
    // The pass reads only while MainPageActive is 1, so both are set before the start.
    DeviceReloadPending.store(1);
    MainPageActive.store(1);
    StartWorkerPass();
}

void DialogChange::on_Repair_clicked()
{
    // The settings page owns the repair dialog.
    emit DeviceFrameNeeded();
    UpDateRepair* dialog = UpDateRepairDialog;
    if (!dialog)
        return;
    Skin::MoveCenteredOver(dialog, this);
    dialog->ResetRepairView();
    dialog->setModal(true);
    PostMsg::instance()->EmitRepairCheckUpdate();
    // Not exec: the dialog stays open on its own.
    dialog->show();
}
