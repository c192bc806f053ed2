#include "pages/settings/match.h"

#include "core/configini.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/mainpagehotplug.h"
#include "device/receivermouseversion.h"
#include "device/worker.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/roundedwindow.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include "ui_match.h"

#include <QEvent>
#include <QKeySequence>
#include <QTimer>

std::atomic<int> PairResult{Match::Ready};
std::atomic<bool> PairingActive{false};
std::atomic<bool> PairingFromMainPage{false};

namespace {

// The receiver and the model's section of the running request, for its success report on the
// library's thread.
struct PairingTarget {
    QByteArray path;
    QString section;
};
Guarded<PairingTarget> g_pairingTarget;

constexpr int PairingCommand = 6;
constexpr quint8 PairStatusFailed = 2;
constexpr quint8 PairStatusSucceeded = 3;

// The device pages rest while a pairing they started runs; every end gives them back once.
void ReturnMainPage()
{
    if (PairingFromMainPage.exchange(false))
        MainPageActive.store(1);
}

QTimer* NewTimer(QObject* parent, const char* name)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    return timer;
}

} // namespace

Match::Match(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::Match)
{
    m_ui->setupUi(this);
    MatchSkinFolder = Skin::Folder(QStringLiteral("Setting"));
    setWindowFlags(Skin::DialogWindowFlags());
    setFixedSize(size());
    setAttribute(Qt::WA_TranslucentBackground);
    RoundedWindow::Apply(this);

    const QString labelColor = Skin::OptionColor(QStringLiteral("LabelColor"));
    m_ui->textEdit->setStyleSheet(QStringLiteral("QTextEdit{border:0px;background:transparent;")
                                + Skin::ColorDeclaration(labelColor) + QStringLiteral("}"));
    m_ui->label->setStyleSheet(Skin::LabelStyle(labelColor));
    m_ui->label->hide();
    MatchButtonColor = Skin::OptionColor(QStringLiteral("ButtonColor"));
    SetButtonStyle(ButtonImage::Pair);
    m_ui->toolButton_2->setStyleSheet(
        Skin::CentredImageStyle(QStringLiteral("toolButton_2"), MatchSkinFolder, QStringLiteral("Picture.png"))
        + QStringLiteral("#toolButton_2{") + Skin::ColorDeclaration(QStringLiteral("255,255,255"))
        + QStringLiteral("}"));
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(MatchSkinFolder, QStringLiteral("CloseSecondPage")));
    m_ui->MatchA->setStyleSheet(
        Skin::CentredImageStyle(QStringLiteral("MatchA"), MatchSkinFolder, QStringLiteral("BackSecondPage.png")));

    PathAtStart = CurrentDevice.read([](const DeviceAllInfo& d) { return d.Path; });

    MatchPairTimer = NewTimer(this, "MatchPairTimer");
    MatchUsbTimer = NewTimer(this, "MatchUsbTimer");
    MatchTextTimer = NewTimer(this, "MatchTextTimer");
    MatchTimeoutTimer = NewTimer(this, "MatchTimeoutTimer");
    MatchTimeoutTimer->setSingleShot(true);
    connect(MatchPairTimer, &QTimer::timeout, this, &Match::onPairTimeupDestroy);
    connect(MatchUsbTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(MatchTextTimer, &QTimer::timeout, this, &Match::onTextTimeupDestroy);
    connect(MatchTimeoutTimer, &QTimer::timeout, this, &Match::EndWithoutResult);

    PostMsg::Connect(SIGNAL(SigTimerStop()), this, SLOT(SlotStopTimer()));
    PostMsg::Connect(SIGNAL(SigButtonEnable(int)), this, SLOT(SlotButtonenable(int)));
    connect(m_ui->CloseButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

Match::~Match()
{
    // The request dies with its dialog: the next dialog must not find it still running,
    // and the device pages get their device handling back.
    if (PairingActive.exchange(false))
        ReturnMainPage();
}

void Match::PreparePairing()
{
    m_ui->MatchButton->setShortcut(QKeySequence(Qt::Key_Space));
    PairDotCount = 0;
    PairResult.store(Ready);
    Finished = false;
    m_ui->MatchButton->setEnabled(true);
    SetButtonStyle(ButtonImage::Pair);
    SetTextKeepingShortcut(m_ui->MatchButton, MatchButtonText);

    PreparedOnMainPage = MainPageActive.load() == 1;
    DeviceAllInfo entry;
    if (PreparedOnMainPage) {
        entry = CurrentDevice.get();
        entry.Path = PathAtStart;
    } else if (PairChosen.load()) {
        entry = PairChosenDevice.get();
    } else {
        const DeviceList found = FoundDeviceList.get();
        if (!found.isEmpty()) {
            entry = found.first();
        } else {
            // Nothing to pair through: the button stays unusable.
            entry.Path.clear();
            entry.Wired = 1;
        }
    }
    PairPath = entry.Path;
    PairVidText = entry.VidText;
    PairPidText = entry.PidText;
    PairWireless = entry.Wired != 0;
    PairCid = quint8(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt());
    PairSection = DeviceSection(entry.DriveIndex);

    MatchUsbTimer->start(Timing::Scaled(Timing::PairingButtonPoll));
    // Decided now, not at the first poll: the dialog is shown next.
    onUSBTimeupDestroy();
}

void Match::StartPairing()
{
    if (PairingActive.load()) {
        UsbServer_EnterDonglePairOnlyCid(PairCid);
        return;
    }
    qCDebug(lcDevice) << "Enter";
    PairingActive.store(true);
    g_pairingTarget.set(PairingTarget{PairPath, PairSection});
    MatchPairTimer->start(Timing::Scaled(Timing::PairingStatusPoll));
    MatchTimeoutTimer->start(Timing::Scaled(Timing::PairingTimeout));
    BindPairingService(PairPath, &Match::PairingCallback);
    UsbServer_EnterDonglePairOnlyCid(PairCid);
}

void Match::PairingCallback(const uint8_t* head, int headLength, const uint8_t* data, int dataLength)
{
    qCDebug(lcDevice) << "in2";
    const int command = head && headLength >= 2 ? head[1] : 0;
    qCDebug(lcDevice) << command;
    // A status report without its status byte says nothing.
    if (command != PairingCommand || !data || dataLength < 1)
        return;
    PostMsg* hub = PostMsg::instance();
    switch (data[0]) {
    case PairStatusFailed:
        hub->EmitTimerStop();
        PairingActive.store(false);
        qCDebug(lcDevice) << "fail";
        PairResult.store(Failed);
        hub->EmitButtonEnable(0);
        break;
    case PairStatusSucceeded: {
        hub->EmitTimerStop();
        PairingActive.store(false);
        qCDebug(lcDevice) << "success";
        // The paired mouse's version is recorded now: the choice page opens it without a
        // second pairing, also when it never was on its cable.
        const PairingTarget target = g_pairingTarget.get();
        ReceiverMouseVersion::ForSection(target.section).RecordReported(target.path);
        PairResult.store(Succeeded);
        hub->EmitButtonEnable(1);
        break;
    }
    default:
        return;
    }
    ReturnMainPage();
}

void Match::WindowClosedSet()
{
    if (PairingActive.load())
        return;
    FinishDialog();
    close();
}

void Match::reject()
{
    if (PairingActive.load())
        return;
    FinishDialog();
    QDialog::reject();
}

void Match::FinishDialog()
{
    if (Finished)
        return;
    Finished = true;
    // Hot-plug notices go back to the page the dialog was opened from.
    StartUsbChanged(PreparedOnMainPage ? MainPageHotplugCallback : DevicePageHotplugNotice,
                    Timing::HotplugInterval);
    MatchPairTimer->stop();
    MatchUsbTimer->stop();
    MatchTextTimer->stop();
    MatchTimeoutTimer->stop();
    ReturnMainPage();
}

void Match::on_MatchButton_clicked()
{
    if (PairResult.load() == Succeeded || !ButtonEnabled)
        return;
    PairResult.store(Pairing);
    MatchTextTimer->start(Timing::Scaled(Timing::PairingDotStep));
    SetTextKeepingShortcut(m_ui->MatchButton, MatchingText);
    SetButtonStyle(ButtonImage::Pair);
    // A press replaces a running request: that one ends here, this one takes over.
    ReturnMainPage();
    if (MainPageActive.load() == 1) {
        MainPageActive.store(0);
        PairingFromMainPage.store(true);
    }
    PairingActive.store(false);
    StartPairing();
}

void Match::onPairTimeupDestroy()
{
    UsbServer_ReadDonglePairStatus();
    const QList<QByteArray> paths = FindPaths(PairVidText, PairPidText, false);
    if (!paths.contains(PairPath))
        EndWithoutResult();
}

void Match::EndWithoutResult()
{
    if (!PairingActive.exchange(false))
        return;
    MatchPairTimer->stop();
    MatchTextTimer->stop();
    MatchTimeoutTimer->stop();
    PairResult.store(Failed);
    SetTextKeepingShortcut(m_ui->MatchButton, MatchFailText);
    SetButtonStyle(ButtonImage::Fail);
    ReturnMainPage();
}

void Match::onUSBTimeupDestroy()
{
    // After a success the button keeps its result until the dialog closes.
    if (PairResult.load() == Succeeded)
        return;
    if (!PairingActive.load()) {
        ButtonEnabled = !PairWireless;
        m_ui->label->setVisible(PairWireless);
        m_ui->textEdit->setVisible(!PairWireless);
    }
    // A button that cannot pair is not shown at all; the label says why.
    m_ui->MatchButton->setEnabled(ButtonEnabled);
    m_ui->MatchButton->setVisible(ButtonEnabled);
}

void Match::onTextTimeupDestroy()
{
    static const char* const Dots[] = {"", ".", "..", "..."};
    if (PairDotCount >= 0 && PairDotCount <= 3) {
        SetTextKeepingShortcut(m_ui->MatchButton, MatchingText + QLatin1String(Dots[PairDotCount]));
        ++PairDotCount;
    } else if (PairDotCount == 4) {
        SetTextKeepingShortcut(m_ui->MatchButton, MatchingText);
        PairDotCount = 1;
    } else {
        ++PairDotCount;
    }
}

void Match::SlotStopTimer()
{
    MatchPairTimer->stop();
    MatchTextTimer->stop();
    MatchTimeoutTimer->stop();
}

void Match::SlotButtonenable(int index)
{
    if (index == 1) {
        SetTextKeepingShortcut(m_ui->MatchButton, MatchSuccessText);
        SetButtonStyle(ButtonImage::Success);
        m_ui->MatchButton->setEnabled(false);
    } else if (index == 0) {
        SetTextKeepingShortcut(m_ui->MatchButton, MatchFailText);
        SetButtonStyle(ButtonImage::Fail);
    }
}

void Match::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::MatchTexts, index, 0));
    m_ui->textEdit->setText(LangText(LangTable::MatchTexts, index, 1));
    MatchButtonText = LangText(LangTable::MatchTexts, index, 2);
    SetTextKeepingShortcut(m_ui->MatchButton, MatchButtonText);
    MatchingText = LangText(LangTable::MatchTexts, index, 3);
    MatchFailText = LangText(LangTable::MatchTexts, index, 4);
    MatchSuccessText = LangText(LangTable::MatchTexts, index, 5);
}

void Match::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
    QDialog::changeEvent(event);
}

void Match::SetButtonStyle(ButtonImage image)
{
    const QString file = image == ButtonImage::Success ? QStringLiteral("PairSuccess.png")
        : image == ButtonImage::Fail                   ? QStringLiteral("PairFail.png")
                                                       : QStringLiteral("Pair.png");
    SetButtonSheet(Skin::PictureButtonStyle(QStringLiteral("QPushButton"), Skin::ColorDeclaration(MatchButtonColor),
                                            QStringLiteral("background-image"), MatchSkinFolder, file));
}

void Match::SetButtonSheet(const QString& sheet)
{
    // The status poll asks for the same sheet ten times a second; setting it re-polishes.
    if (m_ui->MatchButton->styleSheet() != sheet)
        m_ui->MatchButton->setStyleSheet(sheet);
}
