#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "device/firmwareimages.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/formsetting.h"
#include "pages/settings/updaterepair.h"
#include "tools/firmwarebuilder.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "shell/dialogchange.h"
#include "shell/mytoolbuttonenter.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

Q_DECLARE_METATYPE(HidSim::DeviceSpec)

namespace {

// What the device choice road tells the other windows, in order, with the dialogs it shows
// noted in between by the tests.
class RoadRecorder : public QObject
{
    Q_OBJECT
public:
    RoadRecorder()
    {
        PostMsg::Connect(SIGNAL(SigSetver(int)), this, SLOT(setver(int)));
        PostMsg::Connect(SIGNAL(SigMouseIndex(int)), this, SLOT(mouseIndex(int)));
        PostMsg::Connect(SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), this, SLOT(select(DeviceAllInfo)));
        PostMsg::Connect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(labelTextB(QString,QString)));
        PostMsg::Connect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(changeMainDialog(int)));
        PostMsg::Connect(SIGNAL(SigRepairCheckUpdate()), this, SLOT(repairCheck()));
        PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(allLanguage(int)));
        PostMsg::Connect(SIGNAL(SigLanguageSameB(int)), this, SLOT(languageSameB(int)));
        PostMsg::Connect(SIGNAL(SigChangeSize(int)), this, SLOT(changeSize(int)));
    }

    void note(const QString& what) { events << what; }
    QStringList startingWith(const QString& prefix) const { return events.filter(QRegularExpression(QLatin1Char('^') + prefix)); }

    QStringList events;
    DeviceAllInfo selected;
    // At SigChangeMainDialog(1): the device pages are shown, the read must not have begun.
    int mainPageActiveAtChange = -1;
    bool workerStartedAtChange = false;
    qint64 changeAt = 0;
    std::function<bool()> workerStarted;

public slots:
    void setver(int index) { note(QStringLiteral("Setver:%1").arg(index)); }
    void mouseIndex(int index) { note(QStringLiteral("MouseIndex:%1").arg(index)); }
    void select(DeviceAllInfo info)
    {
        selected = info;
        note(QStringLiteral("Select"));
    }
    void labelTextB(QString version, QString flag) { note(QStringLiteral("LabelTextB:%1|%2").arg(version, flag)); }
    void changeMainDialog(int index)
    {
        mainPageActiveAtChange = MainPageActive.load();
        workerStartedAtChange = workerStarted && workerStarted();
        changeAt = Timing::MonotonicMs();
        note(QStringLiteral("ChangeMainDialog:%1").arg(index));
    }
    void repairCheck() { note(QStringLiteral("RepairCheckUpdate")); }
    void allLanguage(int index) { note(QStringLiteral("AllLanguage:%1").arg(index)); }
    void languageSameB(int index) { note(QStringLiteral("LanguageSameB:%1").arg(index)); }
    void changeSize(int index) { note(QStringLiteral("ChangeSize:%1").arg(index)); }
};

// Receivers of the sample installation: type 1, 2, 4 or 8 for the model with that MID.
HidSim::DeviceSpec receiverOf(const std::string& id, int type, int mid)
{
    static const char* const pids[] = {"0x5111", "0x5121", "", "0x5141", "", "", "", "0x5181"};
    HidSim::DeviceSpec r = DeviceLinkFixture::Receiver(id, pids[type - 1], type, 0x3A, uint8_t(mid), uint8_t(type));
    r.mid = uint8_t(mid);
    return r;
}

HidSim::DeviceSpec mouseBehind(const std::string& id, const std::string& receiver, int mid)
{
    HidSim::DeviceSpec m = DeviceLinkFixture::ReceiverMouse(id, receiver);
    m.mid = uint8_t(mid);
    return m;
}

HidSim::DeviceSpec cableMouse(const std::string& id, int mid, int kind = 2)
{
    HidSim::DeviceSpec m = DeviceLinkFixture::CableMouse(id);
    m.mid = uint8_t(mid);
    m.cableKind = uint8_t(kind);
    return m;
}

// Seven receivers that are no two alike: four of model 1, three of model 2.
QList<HidSim::DeviceSpec> distinctReceivers(int count)
{
    const int kinds[][2] = {{1, 1}, {2, 1}, {4, 1}, {8, 1}, {1, 2}, {2, 2}, {4, 2}};
    QList<HidSim::DeviceSpec> out;
    for (int i = 0; i < count; ++i)
        out << receiverOf("r" + std::to_string(i), kinds[i][0], kinds[i][1]);
    return out;
}

QStackedWidget* stackOf(DialogChange& page)
{
    return page.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
}

int buttonIndex(const QObject* button)
{
    return button->objectName().mid(3).toInt();
}

// The device buttons on the pages of the stack (pages taken off it are on their way out).
QList<mytoolButtonEnter*> deviceButtons(DialogChange& page)
{
    QList<mytoolButtonEnter*> out;
    QStackedWidget* stack = stackOf(page);
    for (int i = 0; i < stack->count(); ++i)
        out += stack->widget(i)->findChildren<mytoolButtonEnter*>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(out.begin(), out.end(),
              [](const QObject* a, const QObject* b) { return buttonIndex(a) < buttonIndex(b); });
    return out;
}

template <typename T>
T* onPages(DialogChange& page, const QString& name)
{
    QStackedWidget* stack = stackOf(page);
    for (int i = 0; i < stack->count(); ++i)
        if (T* w = stack->widget(i)->findChild<T*>(name, Qt::FindDirectChildrenOnly))
            return w;
    return nullptr;
}

// The report-rate mark on a button's top-left corner, if there is one.
QLabel* rateIconOf(const QWidget* button)
{
    for (QLabel* label : button->parentWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (label->objectName().isEmpty() && label->pos() == button->pos() + QPoint(7, 10))
            return label;
    return nullptr;
}

// The image file a style sheet shows.
QString imageOf(const QWidget* w)
{
    static const QRegularExpression image(QStringLiteral("background-image: url\\(([^)]*)\\)"));
    return image.match(w->styleSheet()).captured(1);
}

void setConfig(DeviceLinkFixture& fixture, const QString& key, const QVariant& value)
{
    QSettings config(fixture.installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
    config.setValue(key, value);
    config.sync();
}

} // namespace

class TestDialogChange : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sampleDevices();
    void backdropDrawnWhole();
    void deviceButton_data();
    void deviceButton();
    void paging_data();
    void paging();
    void identicalDevices_data();
    void identicalDevices();
    void hotplugAddsAndRemoves();
    void receiverBesideCableMouse_data();
    void receiverBesideCableMouse();
    void deviceTotalBounds_data();
    void deviceTotalBounds();
    void pointerEnterRechecks_data();
    void pointerEnterRechecks();

    void repairButton_data();
    void repairButton();
    void repairDialog_data();
    void repairDialog();

    void openDevice_data();
    void openDevice();
    void openingWait_data();
    void openingWait();
    void mouseIndexByModel_data();
    void mouseIndexByModel();
    void staleIndexOpensNothing_data();
    void staleIndexOpensNothing();

    void languageTexts_data();
    void languageTexts();
    void languageChoice_data();
    void languageChoice();
    void minimiseAndClose_data();
    void minimiseAndClose();

private:
    QString skinFolder() const;
    void addAll(const QList<HidSim::DeviceSpec>& specs);
    void writeImage(const QString& name, int kind, int mid, const QString& stem, const QString& version);
    void answerDialogs(DialogChange* page, const QStringList& answers, int step = 0);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<TestEnv::TimeScale> m_time;
    std::unique_ptr<RoadRecorder> m_road;
    // The worker's start, seen from its own thread.
    std::atomic<bool> m_workerStarted{false};
    std::atomic<int> m_reloadPendingAtStart{-1};
    std::atomic<int> m_mainPageActiveAtStart{-1};
    std::atomic<qint64> m_startAt{0};
    bool m_dialogsCentred = true;
    QStringList m_dialogMessages;
    int m_answersLeft = 0;
};

void TestDialogChange::initTestCase()
{
    const TestEnv::Installation install;
    LoadLanguageFiles();
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::DialogChangeTexts) >= 2);
}

void TestDialogChange::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_time = std::make_unique<TestEnv::TimeScale>(0.1);
    CurrentLanguage = 0;
    m_workerStarted = false;
    m_reloadPendingAtStart = -1;
    m_mainPageActiveAtStart = -1;
    m_dialogsCentred = true;
    m_dialogMessages.clear();
    auto* worker = new Worker(nullptr);
    connect(worker, &QThread::started, worker, [this] {
        m_reloadPendingAtStart = DeviceReloadPending.load();
        m_mainPageActiveAtStart = MainPageActive.load();
        m_startAt = Timing::MonotonicMs();
        m_workerStarted = true;
    }, Qt::DirectConnection);
    WorkerThread.store(worker);
    m_road = std::make_unique<RoadRecorder>();
    m_road->workerStarted = [this] { return m_workerStarted.load(); };
}

void TestDialogChange::cleanup()
{
    if (Worker* w = WorkerThread.exchange(nullptr)) {
        CancelWorkerRun();
        w->WaitProcessingEvents();
        delete w;
    }
    m_road.reset();
    PairChosen = false;
    PairChosenDevice.set(DeviceAllInfo());
    NewerReceiverFirmware = false;
    UpgradeImageList.clear();
    RepairImageList.clear();
    MouseIsNewTipsText.clear();
    WiredModeText.clear();
    CurrentLanguage = 0;
    ConfigDeviceTotal = 0;
    m_time.reset();
    m_fixture.reset();
}

QString TestDialogChange::skinFolder() const
{
    return m_fixture->installation().path() + QStringLiteral("/Picture/DialogChange/");
}

void TestDialogChange::addAll(const QList<HidSim::DeviceSpec>& specs)
{
    for (const HidSim::DeviceSpec& spec : specs)
        QVERIFY2(!m_fixture->add(spec).isEmpty(), spec.id.c_str());
}

void TestDialogChange::writeImage(const QString& name, int kind, int mid, const QString& stem, const QString& version)
{
    const FirmwareVersion v = ParseFirmwareVersion(version);
    FirmwareImageSpec spec;
    spec.kind = kind;
    spec.cid = 36;
    spec.mid = mid;
    spec.stem = stem;
    spec.version = quint32(v.major << 8 | v.minor);
    spec.bodySize = 64;
    QFile f(m_fixture->installation().path() + QStringLiteral("/bin/") + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.write(BuildFirmwareImage(spec)) > 0);
}

// Answers the dialogs one after the other ("RePair:OK", "RePair:Cancel", "Match",
// "UpDateWarning"), noting each on the road and whether it sat where it belongs; a dialog
// nobody expected is noted and closed.
void TestDialogChange::answerDialogs(DialogChange* page, const QStringList& answers, int step)
{
    m_answersLeft = answers.size() - step;
    if (step >= answers.size())
        return;
    const QString answer = answers.at(step);
    const QString kind = answer.section(QLatin1Char(':'), 0, 0);
    TestEnv::AnswerNextModal([=](QWidget* modal) {
        m_road->note(kind);
        const QPoint shift = kind == QLatin1String("UpDateWarning") ? QPoint(-20, 0) : QPoint();
        m_dialogsCentred = m_dialogsCentred
            && modal->pos() == Skin::CenteredPosition(page->mapToGlobal(QPoint()), page->size(), modal->size(), shift);
        for (QLabel* label : modal->findChildren<QLabel*>())
            m_dialogMessages << label->text();
        answerDialogs(page, answers, step + 1);
        if (answer == QLatin1String("RePair:OK"))
            modal->findChild<QToolButton*>(QStringLiteral("OK"))->click();
        else if (answer == QLatin1String("RePair:Cancel"))
            modal->findChild<QToolButton*>(QStringLiteral("Cancel"))->click();
        else
            modal->close();
    }, kind.toLatin1().constData());
}

// The backdrop is drawn pixel for pixel wherever no child covers it, as its border-image was.
void TestDialogChange::backdropDrawnWhole()
{
    const QImage picture(skinFolder() + QStringLiteral("MainBack.png"));
    QVERIFY(!picture.isNull());
    DialogChange page;
    QWidget* frame = page.findChild<QWidget*>(QStringLiteral("frameChange"));
    QVERIFY(frame);
    QCOMPARE(frame->size(), picture.size());
    const QImage drawn = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = picture.convertToFormat(QImage::Format_RGB32);
    int compared = 0;
    for (int y = 0; y < expected.height(); y += 7) {
        for (int x = 0; x < expected.width(); x += 7) {
            if (frame->childAt(x, y))
                continue;
            ++compared;
            QCOMPARE(drawn.pixel(x, y), expected.pixel(x, y));
        }
    }
    QVERIFY(compared > 5000);
}

void TestDialogChange::sampleDevices()
{
    HidSim::Reset(HidSim::Start::Default);
    DialogChange page;
    const QList<mytoolButtonEnter*> buttons = deviceButtons(page);

    // The 1 kHz receiver of the model whose mouse is on its cable is not offered.
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(FoundDeviceList.get().size(), 2);
    QCOMPARE(DevicePageList.get().size(), 3);
    QCOMPARE(FoundDeviceList.get().at(0).Path, QByteArray::fromStdString(HidSim::PathOf("drive1-mouse")));
    QCOMPARE(FoundDeviceList.get().at(1).Path, QByteArray::fromStdString(HidSim::PathOf("drive2-receiver")));

    const QString folder = skinFolder();
    QCOMPARE(buttons.at(0)->geometry(), QRect(135, 0, 284, 360));
    QCOMPARE(buttons.at(1)->geometry(), QRect(445, 0, 284, 360));
    QCOMPARE(imageOf(buttons.at(0)), folder + QStringLiteral("OnLine0.png"));
    QCOMPARE(imageOf(buttons.at(1)), folder + QStringLiteral("OnLine0.png"));
    auto* usb = onPages<QLabel>(page, QStringLiteral("UsbWifi0"));
    auto* wifi = onPages<QLabel>(page, QStringLiteral("UsbWifi1"));
    QCOMPARE(usb->pos(), QPoint(360, 20));
    QCOMPARE(wifi->pos(), QPoint(665, 20));
    QCOMPARE(imageOf(usb), folder + QStringLiteral("OnLineUsb.png"));
    QCOMPARE(imageOf(wifi), folder + QStringLiteral("OnLineWifi.png"));
    QVERIFY(usb->isVisibleTo(&page) && wifi->isVisibleTo(&page));
    QVERIFY(!rateIconOf(buttons.at(0)));
    QVERIFY(rateIconOf(buttons.at(1)));
    QCOMPARE(imageOf(rateIconOf(buttons.at(1))), folder + QStringLiteral("4KHz.png"));
    for (QWidget* w : {static_cast<QWidget*>(buttons.at(0)), static_cast<QWidget*>(usb), static_cast<QWidget*>(wifi)})
        QVERIFY2(QFileInfo::exists(imageOf(w)), qPrintable(imageOf(w)));

    QVERIFY(!page.findChild<QLabel*>(QStringLiteral("label_2"))->isVisibleTo(&page));
    QVERIFY(page.findChild<QLabel*>(QStringLiteral("label_3"))->isVisibleTo(&page));
    QVERIFY(!page.findChild<QToolButton*>(QStringLiteral("LeftButton"))->isVisibleTo(&page));
    QVERIFY(!page.findChild<QToolButton*>(QStringLiteral("RightButton"))->isVisibleTo(&page));
}

void TestDialogChange::deviceButton_data()
{
    QTest::addColumn<QList<HidSim::DeviceSpec>>("devices");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("connectionImage");
    QTest::addColumn<bool>("connectionShown");
    QTest::addColumn<bool>("markShown");
    QTest::addColumn<QString>("rateImage"); // "" for none

    QTest::newRow("mouse on its cable") << QList<HidSim::DeviceSpec>{cableMouse("m", 1)} << "OnLine0.png"
                                        << "OnLineUsb.png" << true << false << "";
    QTest::newRow("mouse on its cable, kind 3") << QList<HidSim::DeviceSpec>{cableMouse("m", 1, 3)} << "OnLine0.png"
                                                << "OnLineUsb.png" << true << false << "8KHz.png";
    QTest::newRow("1 kHz receiver, mouse awake")
        << QList<HidSim::DeviceSpec>{receiverOf("r", 1, 2), mouseBehind("m", "r", 2)} << "OnLine0.png"
        << "OnLineWifi.png" << true << false << "1KHz.png";
    QTest::newRow("2 kHz receiver alone") << QList<HidSim::DeviceSpec>{receiverOf("r", 2, 2)} << "DisOnlin0.png"
                                          << "OnLineWifi.png" << false << true << "2KHz.png";
    HidSim::DeviceSpec asleep = mouseBehind("m", "r", 2);
    asleep.awake = false;
    QTest::newRow("4 kHz receiver, mouse asleep") << QList<HidSim::DeviceSpec>{receiverOf("r", 4, 2), asleep}
                                                  << "DisOnlin0.png" << "OnLineWifi.png" << false << true << "4KHz.png";
    QTest::newRow("8 kHz receiver, mouse awake")
        << QList<HidSim::DeviceSpec>{receiverOf("r", 8, 2), mouseBehind("m", "r", 2)} << "OnLine0.png"
        << "OnLineWifi.png" << true << false << "8KHz.png";
    QTest::newRow("unknown model") << QList<HidSim::DeviceSpec>{cableMouse("m", 9)} << "Unknow.png" << "OnLineUsb.png"
                                   << true << false << "";
}

// One device alone on the page: its image by state, its connection icon, offline mark and
// report-rate mark, where a single device sits.
void TestDialogChange::deviceButton()
{
    QFETCH(QList<HidSim::DeviceSpec>, devices);
    QFETCH(QString, image);
    QFETCH(QString, connectionImage);
    QFETCH(bool, connectionShown);
    QFETCH(bool, markShown);
    QFETCH(QString, rateImage);
    VEXO_CHECKED(addAll(devices));
    DialogChange page;

    const QList<mytoolButtonEnter*> buttons = deviceButtons(page);
    QCOMPARE(buttons.size(), 1);
    mytoolButtonEnter* button = buttons.first();
    QCOMPARE(button->objectName(), QStringLiteral("btn0"));
    QCOMPARE(button->geometry(), QRect(305, 0, 284, 360));
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QCOMPARE(imageOf(button), skinFolder() + image);

    auto* connection = onPages<QLabel>(page, QStringLiteral("UsbWifi0"));
    auto* mark = onPages<QLabel>(page, QStringLiteral("label0"));
    QVERIFY(connection && mark);
    QCOMPARE(connection->geometry(), QRect(530, 20, 32, 32));
    QCOMPARE(mark->geometry(), QRect(530, 20, 32, 32));
    QCOMPARE(imageOf(connection), skinFolder() + connectionImage);
    QCOMPARE(imageOf(mark), skinFolder() + QStringLiteral("DisOnline.png"));
    QCOMPARE(connection->isVisibleTo(&page), connectionShown);
    QCOMPARE(mark->isVisibleTo(&page), markShown);
    QCOMPARE(mark->toolTip(), LangText(LangTable::DialogChangeTexts, 0, 5) + QLatin1Char('\n')
                                  + LangText(LangTable::DialogChangeTexts, 0, 6));

    QLabel* rate = rateIconOf(button);
    QCOMPARE(rate != nullptr, !rateImage.isEmpty());
    if (rate) {
        QCOMPARE(rate->geometry(), QRect(312, 10, 42, 26));
        QCOMPARE(imageOf(rate), skinFolder() + rateImage);
    }
}

void TestDialogChange::paging_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QList<QPoint>>("lastPage"); // buttons of the last page
    QTest::addColumn<QString>("clicks");         // R right, L left
    QTest::addColumn<QStringList>("states");     // "page arrows" before and after each click

    QTest::newRow("4 devices") << 4 << QList<QPoint>{{305, 0}} << "RL" << QStringList{"0 R", "1 L", "0 R"};
    QTest::newRow("5 devices") << 5 << QList<QPoint>{{135, 0}, {445, 0}} << "" << QStringList{"0 R"};
    QTest::newRow("6 devices") << 6 << QList<QPoint>{{0, 0}, {300, 0}, {600, 0}} << "" << QStringList{"0 R"};
    QTest::newRow("7 devices") << 7 << QList<QPoint>{{305, 0}} << "RRRLL"
                               << QStringList{"0 R", "1 LR", "2 L", "2 L", "1 LR", "0 R"};
}

void TestDialogChange::paging()
{
    QFETCH(int, devices);
    QFETCH(QList<QPoint>, lastPage);
    QFETCH(QString, clicks);
    QFETCH(QStringList, states);
    VEXO_CHECKED(addAll(distinctReceivers(devices)));
    DialogChange page;
    QStackedWidget* stack = stackOf(page);
    auto* left = page.findChild<QToolButton*>(QStringLiteral("LeftButton"));
    auto* right = page.findChild<QToolButton*>(QStringLiteral("RightButton"));

    QCOMPARE(stack->count(), (devices + 2) / 3);
    QList<QPoint> last;
    for (auto* b : stack->widget(stack->count() - 1)->findChildren<mytoolButtonEnter*>())
        last << b->pos();
    std::sort(last.begin(), last.end(), [](const QPoint& a, const QPoint& b) { return a.x() < b.x(); });
    QCOMPARE(last, lastPage);
    QCOMPARE(deviceButtons(page).size(), devices);
    for (int i = 0; i < stack->count(); ++i)
        for (auto* b : stack->widget(i)->findChildren<mytoolButtonEnter*>())
            QCOMPARE(buttonIndex(b) / 3, i);

    const auto state = [&] {
        return QString::number(stack->currentIndex()) + QLatin1Char(' ')
            + (left->isVisibleTo(&page) ? QStringLiteral("L") : QString())
            + (right->isVisibleTo(&page) ? QStringLiteral("R") : QString());
    };
    QStringList seen{state()};
    for (const QChar c : clicks) {
        (c == QLatin1Char('R') ? right : left)->click();
        seen << state();
    }
    QCOMPARE(seen, states);
    QVERIFY(page.findChild<QLabel*>(QStringLiteral("label_3"))->isVisibleTo(&page));
    QVERIFY(!page.findChild<QLabel*>(QStringLiteral("label_2"))->isVisibleTo(&page));
}

void TestDialogChange::identicalDevices_data()
{
    QTest::addColumn<QList<HidSim::DeviceSpec>>("added");
    QTest::newRow("two 1 kHz receivers of one model") << QList<HidSim::DeviceSpec>{receiverOf("twin", 1, 1)};
    QTest::newRow("two mice of one model on their cables")
        << QList<HidSim::DeviceSpec>{cableMouse("c1", 2), cableMouse("c2", 2)};
}

// Four devices are listed; identical ones arrive: the notice, and no button until the next notice.
void TestDialogChange::identicalDevices()
{
    QFETCH(QList<HidSim::DeviceSpec>, added);
    VEXO_CHECKED(addAll(distinctReceivers(4)));
    DialogChange page;
    page.move(40, 30);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* right = page.findChild<QToolButton*>(QStringLiteral("RightButton"));
    QVERIFY(right->isVisible());

    bool shown = false;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        shown = true;
        m_dialogsCentred = modal->pos()
            == Skin::CenteredPosition(page.mapToGlobal(QPoint()), page.size(), modal->size());
        modal->close();
    }, "QuestiondialogB");
    VEXO_CHECKED(addAll(added));
    QTRY_VERIFY(shown);
    QVERIFY(m_dialogsCentred);

    QCOMPARE(stackOf(page)->count(), 0);
    QVERIFY(deviceButtons(page).isEmpty());
    QVERIFY(page.findChild<QLabel*>(QStringLiteral("label_2"))->isVisible());
    QVERIFY(!page.findChild<QLabel*>(QStringLiteral("label_3"))->isVisible());
    QVERIFY(!right->isVisible());
    QVERIFY(!page.findChild<QToolButton*>(QStringLiteral("LeftButton"))->isVisible());
    QCOMPARE(FoundDeviceList.get().size(), 4 + added.size());
}

void TestDialogChange::hotplugAddsAndRemoves()
{
    DialogChange page;
    auto* hint = page.findChild<QLabel*>(QStringLiteral("label_2"));
    auto* openHint = page.findChild<QLabel*>(QStringLiteral("label_3"));
    QVERIFY(deviceButtons(page).isEmpty());
    QVERIFY(hint->isVisibleTo(&page));
    QVERIFY(!openHint->isVisibleTo(&page));
    QCOMPARE(hint->text(), LangText(LangTable::DialogChangeTexts, 0, 0));

    VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
    QTRY_COMPARE(deviceButtons(page).size(), 1);
    QVERIFY(!hint->isVisibleTo(&page));
    QVERIFY(openHint->isVisibleTo(&page));
    QPointer<mytoolButtonEnter> first = deviceButtons(page).first();

    VEXO_CHECKED(addAll({receiverOf("r4", 4, 2), mouseBehind("m2", "r4", 2)}));
    QTRY_COMPARE(deviceButtons(page).size(), 2);
    // Each rebuild makes new buttons; the old ones go once control is back in the event loop.
    QTRY_VERIFY(first.isNull());

    QVERIFY(HidSim::RemoveDevice("m1"));
    QTRY_COMPARE(deviceButtons(page).size(), 1);
    QCOMPARE(imageOf(onPages<QLabel>(page, QStringLiteral("UsbWifi0"))), skinFolder() + QStringLiteral("OnLineWifi.png"));

    QVERIFY(HidSim::RemoveDevice("r4"));
    QTRY_COMPARE(stackOf(page)->count(), 0);
    QVERIFY(hint->isVisibleTo(&page));
    QVERIFY(!openHint->isVisibleTo(&page));
}

void TestDialogChange::receiverBesideCableMouse_data()
{
    QTest::addColumn<QList<HidSim::DeviceSpec>>("receivers");
    QTest::addColumn<int>("listed");
    QTest::newRow("its own 1 kHz receiver") << QList<HidSim::DeviceSpec>{receiverOf("r1", 1, 1)} << 1;
    QTest::newRow("two receivers of its model")
        << QList<HidSim::DeviceSpec>{receiverOf("r1", 1, 1), receiverOf("r4", 4, 1)} << 1;
    QTest::newRow("a receiver of another model") << QList<HidSim::DeviceSpec>{receiverOf("r4", 4, 2)} << 2;
}

// The mouse of model 1 on its cable is listed, the receivers of its model are not; the repair
// dialog's list keeps them.
void TestDialogChange::receiverBesideCableMouse()
{
    QFETCH(QList<HidSim::DeviceSpec>, receivers);
    QFETCH(int, listed);
    VEXO_CHECKED(addAll(receivers));
    VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
    DialogChange page;

    const DeviceList found = FoundDeviceList.get();
    QCOMPARE(found.size(), listed);
    QCOMPARE(found.first().Path, QByteArray::fromStdString(HidSim::PathOf("m1")));
    QCOMPARE(DevicePageList.get().size(), receivers.size() + 1);
    QCOMPARE(deviceButtons(page).size(), listed);
    QCOMPARE(imageOf(onPages<QLabel>(page, QStringLiteral("UsbWifi0"))), skinFolder() + QStringLiteral("OnLineUsb.png"));
}

void TestDialogChange::deviceTotalBounds_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QStringList>("images");
    QTest::newRow("negative") << "-5" << QStringList{"Unknow.png"};
    QTest::newRow("not a number") << "abc" << QStringList{"Unknow.png"};
    QTest::newRow("far beyond the file") << "2000000000" << QStringList{"OnLine0.png", "Unknow.png"};
}

// Whatever DeviceTotal says, the page lists what discovery found, and an unidentified device
// opens nothing.
void TestDialogChange::deviceTotalBounds()
{
    QFETCH(QString, total);
    QFETCH(QStringList, images);
    setConfig(*m_fixture, QStringLiteral("Option/DeviceTotal"), total);
    VEXO_CHECKED(addAll({cableMouse("known", 1)}));
    // A device that never tells who it is; with no sections it is the only one listed.
    VEXO_CHECKED(addAll({cableMouse("silent", 9)}));
    HidSim::FailIdentityQueries("silent", 1000);
    DialogChange page;

    QStringList shown;
    for (mytoolButtonEnter* b : deviceButtons(page))
        shown << QFileInfo(imageOf(b)).fileName();
    QCOMPARE(shown, images);

    mytoolButtonEnter* unknown = deviceButtons(page).last();
    unknown->click();
    QCOMPARE(m_road->events, QStringList{"Setver:6"});
    QCOMPARE(MainPageActive.load(), 0);
    QVERIFY(!m_workerStarted);
}

void TestDialogChange::pointerEnterRechecks_data()
{
    QTest::addColumn<QString>("enteredName"); // the name the entered button carries
    QTest::addColumn<QString>("event");       // "enter" or "leave"
    QTest::addColumn<bool>("listedLater");    // a fifth entry was listed after the buttons were built
    QTest::addColumn<int>("rechecked");       // the button restyled, -1 none
    QTest::addColumn<int>("queries");         // presence queries made
    QTest::newRow("btn3 re-checks device 3") << "btn3" << "enter" << false << 3 << 1;
    QTest::newRow("no number re-checks device 0") << "btnX" << "enter" << false << 0 << 1;
    QTest::newRow("leaving changes nothing") << "btn3" << "leave" << false << -1 << 0;
    QTest::newRow("an index beyond the list") << "btn7" << "enter" << false << -1 << 0;
    QTest::newRow("an entry that has no button") << "btn4" << "enter" << true << -1 << 1;
}

void TestDialogChange::pointerEnterRechecks()
{
    QFETCH(QString, enteredName);
    QFETCH(QString, event);
    QFETCH(bool, listedLater);
    QFETCH(int, rechecked);
    QFETCH(int, queries);
    QList<HidSim::DeviceSpec> devices = distinctReceivers(4);
    for (int i = 0; i < 4; ++i)
        devices << mouseBehind("m" + std::to_string(i), "r" + std::to_string(i), 1);
    VEXO_CHECKED(addAll(devices));
    DialogChange page;
    QList<mytoolButtonEnter*> buttons = deviceButtons(page);
    QCOMPARE(buttons.size(), 4);
    for (mytoolButtonEnter* b : buttons)
        QCOMPARE(QFileInfo(imageOf(b)).fileName(), QStringLiteral("OnLine0.png"));

    // No notice may restyle the buttons meanwhile: only the pointer does.
    StopUsbChanged();
    for (int i = 0; i < 4; ++i)
        QVERIFY(HidSim::SetAwake("m" + std::to_string(i), false));
    // The device at index 3 sits behind the receiver listed last (the 8 kHz one).
    QCOMPARE(FoundDeviceList.get().at(3).Path, QByteArray::fromStdString(HidSim::PathOf("r3")));
    if (listedLater)
        FoundDeviceList.update([](DeviceList& l) { l.append(l.first()); });

    mytoolButtonEnter* entered = buttons.at(enteredName == QLatin1String("btnX") ? 2 : 3);
    entered->setObjectName(enteredName);
    const int queriesBefore = HidSim::CallCount("UsbFinderC_GetDeviceOnLineWithUsbAddress");
    QEvent e(event == QLatin1String("enter") ? QEvent::Enter : QEvent::Leave);
    QApplication::sendEvent(entered, &e);

    for (int i = 0; i < 4; ++i) {
        const bool restyled = i == rechecked;
        QCOMPARE(QFileInfo(imageOf(buttons.at(i))).fileName(),
                 restyled ? QStringLiteral("DisOnlin0.png") : QStringLiteral("OnLine0.png"));
        // Device 3 sits on the second page, which is not shown: its own state counts.
        QCOMPARE(onPages<QLabel>(page, QStringLiteral("label%1").arg(i))->isHidden(), !restyled);
        QCOMPARE(onPages<QLabel>(page, QStringLiteral("UsbWifi%1").arg(i))->isHidden(), restyled);
    }
    QCOMPARE(HidSim::CallCount("UsbFinderC_GetDeviceOnLineWithUsbAddress") - queriesBefore, queries);
}

void TestDialogChange::repairButton_data()
{
    QTest::addColumn<bool>("recordedBefore"); // an upgrade was cut off in an earlier run
    QTest::addColumn<QString>("then");        // "", "record", "remove" (then a notice), "hub:shown", "hub:hidden"
    QTest::addColumn<bool>("shown");
    QTest::newRow("nothing recorded") << false << "" << false;
    QTest::newRow("recorded in an earlier run") << true << "" << true;
    QTest::newRow("recorded later, seen at the next notice") << false << "record" << true;
    QTest::newRow("removed later, gone at the next notice") << true << "remove" << false;
    QTest::newRow("SigUpDateButton(false)") << false << "hub:shown" << true;
    QTest::newRow("SigUpDateButton(true)") << true << "hub:hidden" << false;
}

void TestDialogChange::repairButton()
{
    QFETCH(bool, recordedBefore);
    QFETCH(QString, then);
    QFETCH(bool, shown);
    if (recordedBefore)
        WriteUpdateFailInfo(211, 4, 36, 2);
    DialogChange page;
    auto* repair = page.findChild<QPushButton*>(QStringLiteral("Repair"));
    auto* hint = page.findChild<QLabel*>(QStringLiteral("label_2"));
    QCOMPARE(repair->isVisibleTo(&page), recordedBefore);

    if (then == QLatin1String("record") || then == QLatin1String("remove")) {
        if (then == QLatin1String("record"))
            WriteUpdateFailInfo(211, 4, 36, 2);
        else
            RemoveUpdateFailInfo();
        QCOMPARE(repair->isVisibleTo(&page), recordedBefore);
        VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
        QTRY_COMPARE(deviceButtons(page).size(), 1);
    } else if (then.startsWith(QLatin1String("hub:"))) {
        PostMsg::instance()->EmitUpDateButton(then == QLatin1String("hub:hidden"));
    }
    QCOMPARE(repair->isVisibleTo(&page), shown);
    QCOMPARE(hint->text(), LangText(LangTable::DialogChangeTexts, 0, shown ? 2 : 0));
}

void TestDialogChange::repairDialog_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<bool>("settingsPage"); // the page that owns the repair dialog exists
    QTest::addColumn<QString>("action");    // "click", "Return", "Return on the device pages"
    QTest::addColumn<bool>("opened");
    QTest::newRow("repair button clicked") << true << true << "click" << true;
    QTest::newRow("Return with the repair button shown") << true << true << "Return" << true;
    QTest::newRow("Return with no repair button") << false << true << "Return" << false;
    QTest::newRow("Return while the device pages show") << true << true << "Return on the device pages" << false;
    QTest::newRow("no repair dialog yet") << true << false << "click" << false;
}

void TestDialogChange::repairDialog()
{
    QFETCH(bool, recorded);
    QFETCH(bool, settingsPage);
    QFETCH(QString, action);
    QFETCH(bool, opened);
    if (recorded)
        WriteUpdateFailInfo(211, 4, 36, 2);
    // The settings page owns the repair dialog.
    std::unique_ptr<FormSetting> settings;
    if (settingsPage)
        settings = std::make_unique<FormSetting>();
    QCOMPARE(UpDateRepairDialog != nullptr, settingsPage);
    QStackedWidget window;
    auto* page = new DialogChange;
    window.addWidget(page);
    window.addWidget(new QWidget);
    window.move(60, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (action == QLatin1String("Return on the device pages"))
        window.setCurrentIndex(1);

    if (action == QLatin1String("click"))
        page->findChild<QPushButton*>(QStringLiteral("Repair"))->click();
    else
        PostMsg::instance()->EmitEnterKey();

    QCOMPARE(UpDateRepairDialog && UpDateRepairDialog->isVisible(), opened);
    QCOMPARE(m_road->events, opened ? QStringList{"RepairCheckUpdate"} : QStringList());
    if (!opened)
        return;
    QVERIFY(UpDateRepairDialog->isModal());
    QCOMPARE(UpDateRepairDialog->pos(),
             Skin::CenteredPosition(page->mapToGlobal(QPoint()), page->size(), UpDateRepairDialog->size()));
    // While it is open, a notice has it check again.
    m_road->events.clear();
    VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
    QTRY_COMPARE(m_road->events, QStringList{"RepairCheckUpdate"});
    UpDateRepairDialog->close();
}

void TestDialogChange::openDevice_data()
{
    QTest::addColumn<QString>("device");        // "cable": model 1 on its cable; "receiver": model 2's 4 kHz receiver
    QTest::addColumn<bool>("mouseAwake");       // the receiver reaches its mouse (v1.0), which then tells its version
    QTest::addColumn<QString>("mouseVer");      // recorded mouse version, "" none
    QTest::addColumn<QString>("mouseImage");    // version of model 2's mouse image in bin, "" none
    QTest::addColumn<QString>("receiverImage"); // version of its 4 kHz receiver image, "" none
    QTest::addColumn<bool>("binFolder");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("road");
    QTest::addColumn<bool>("newerReceiverBefore");
    QTest::addColumn<bool>("newerReceiverAfter");
    QTest::addColumn<QString>("mouseVerAfter");

    const QStringList opened{"Setver:6", "MouseIndex:1", "Select", "LabelTextB:v1.0|", "ChangeMainDialog:1"};
    QTest::newRow("mouse on its cable: no firmware question")
        << "cable" << true << "" << "" << "" << true << QStringList()
        << QStringList{"Setver:6", "MouseIndex:0", "Select", "LabelTextB:v1.0|", "ChangeMainDialog:1"} << true << false
        << "";
    QTest::newRow("mouse on its cable, no bin folder: receiver flag untouched")
        << "cable" << true << "" << "" << "" << false << QStringList()
        << QStringList{"Setver:6", "MouseIndex:0", "Select", "LabelTextB:v1.0|", "ChangeMainDialog:1"} << true << true
        << "";
    QTest::newRow("receiver, mouse out of reach, no version recorded: pairing")
        << "receiver" << false << "" << "v1.3" << "" << true << QStringList{"Match"}
        << QStringList{"Setver:6", "MouseIndex:1", "Match"} << false << false << "";
    QTest::newRow("receiver, no version recorded, the receiver tells it: opened")
        << "receiver" << true << "" << "v1.0" << "v1.0" << true << QStringList() << opened << false << false << "v1.0";
    QTest::newRow("receiver, neither image differs: opened")
        << "receiver" << true << "v1.0" << "v1.0" << "v1.0" << true << QStringList() << opened << false << false
        << "v1.0";
    QTest::newRow("receiver, no bin folder: opened")
        << "receiver" << true << "v1.0" << "" << "" << false << QStringList() << opened << false << false << "v1.0";
    QTest::newRow("receiver, both images differ, Cancel")
        << "receiver" << true << "v1.0" << "v1.3" << "v1.3" << true << QStringList{"RePair:Cancel"}
        << QStringList{"Setver:6", "MouseIndex:1", "RePair"} << false << false << "v1.0";
    QTest::newRow("receiver, both images differ, OK: pairing")
        << "receiver" << true << "v1.0" << "v1.3" << "v1.3" << true << QStringList{"RePair:OK", "Match"}
        << QStringList{"Setver:6", "MouseIndex:1", "RePair", "Match"} << false << false << "v1.0";
    QTest::newRow("receiver, mouse out of reach, both images differ from the record")
        << "receiver" << false << "v1.0" << "v1.3" << "v1.3" << true << QStringList{"RePair:Cancel"}
        << QStringList{"Setver:6", "MouseIndex:1", "RePair"} << false << false << "v1.0";
    QTest::newRow("receiver, only the mouse image differs: warning")
        << "receiver" << true << "v1.0" << "v1.3" << "v1.0" << true << QStringList{"UpDateWarning"}
        << QStringList{"Setver:6", "MouseIndex:1", "UpDateWarning"} << false << false << "v1.0";
    QTest::newRow("receiver, a stale record of the image's version: the mouse's own version warns")
        << "receiver" << true << "v1.3" << "v1.3" << "v1.0" << true << QStringList{"UpDateWarning"}
        << QStringList{"Setver:6", "MouseIndex:1", "UpDateWarning"} << false << false << "v1.0";
    QTest::newRow("receiver, only the receiver image differs: opened, update waiting")
        << "receiver" << true << "v1.0" << "v1.0" << "v1.3" << true << QStringList()
        << QStringList{"Setver:6", "MouseIndex:1", "Select", "LabelTextB:v1.0|true", "ChangeMainDialog:1"} << false
        << true << "v1.0";
}

void TestDialogChange::openDevice()
{
    QFETCH(QString, device);
    QFETCH(bool, mouseAwake);
    QFETCH(QString, mouseVer);
    QFETCH(QString, mouseImage);
    QFETCH(QString, receiverImage);
    QFETCH(bool, binFolder);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, road);
    QFETCH(bool, newerReceiverBefore);
    QFETCH(bool, newerReceiverAfter);
    QFETCH(QString, mouseVerAfter);

    const QString bin = m_fixture->installation().path() + QStringLiteral("/bin");
    QVERIFY(QDir(bin).removeRecursively());
    if (binFolder) {
        QVERIFY(QDir().mkpath(bin));
        if (!mouseImage.isEmpty())
            VEXO_CHECKED(writeImage(QStringLiteral("mouse.bin"), MouseFirmware, 2, QStringLiteral("VEXO_P2_MOUSE"), mouseImage));
        if (!receiverImage.isEmpty())
            VEXO_CHECKED(writeImage(QStringLiteral("rx.bin"), ReceiverFirmware, 2, QStringLiteral("VEXO_P2_RX4K"),
                                    receiverImage));
    }
    if (!mouseVer.isEmpty())
        WriteMouseVer(QStringLiteral("36"), QStringLiteral("2"), mouseVer);
    NewerReceiverFirmware = newerReceiverBefore;
    WiredModeText = QStringLiteral("Connect the mouse by its cable to update it");

    const bool cable = device == QLatin1String("cable");
    if (cable)
        VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
    HidSim::DeviceSpec behind = mouseBehind("m2", "r4", 2);
    behind.awake = mouseAwake;
    if (!cable)
        VEXO_CHECKED(addAll({receiverOf("r4", 4, 2), behind}));
    const std::string id = cable ? "m1" : "r4";
    const QByteArray path = QByteArray::fromStdString(HidSim::PathOf(id));
    DialogChange page;
    page.move(80, 50);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(deviceButtons(page).size(), 1);
    HidSim::ClearCalls();

    answerDialogs(&page, answers);
    // A dialog that nobody expects is noted and closed, so that the click returns.
    QTimer unexpected;
    connect(&unexpected, &QTimer::timeout, this, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_answersLeft > 0 || !modal || !modal->isVisible())
            return;
        m_road->note(QStringLiteral("unexpected ") + QString::fromLatin1(modal->metaObject()->className()));
        modal->close();
    });
    unexpected.start(10);
    deviceButtons(page).first()->click();

    QCOMPARE(m_road->events, road);
    QVERIFY(m_dialogsCentred);
    QCOMPARE(bool(NewerReceiverFirmware.load()), newerReceiverAfter);
    // No scan changes what the list says of the device.
    QCOMPARE(FoundDeviceList.get().first().VersionText, QStringLiteral("v1.0"));
    // What the receiver told of its mouse is recorded for the model.
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("2")), mouseVerAfter);

    const bool pairing = road.contains(QStringLiteral("Match"));
    QCOMPARE(bool(PairChosen.load()), pairing);
    if (pairing)
        QCOMPARE(PairChosenDevice.get().Path, path);
    if (road.contains(QStringLiteral("UpDateWarning")))
        QVERIFY(m_dialogMessages.contains(WiredModeText));

    const bool opened = road.contains(QStringLiteral("ChangeMainDialog:1"));
    QCOMPARE(MainPageActive.load(), opened ? 1 : 0);
    if (!opened) {
        QVERIFY(!m_workerStarted);
        QCOMPARE(HidSim::CallCount("UsbServer_ReadAllFlashData"), 0);
        return;
    }
    QCOMPARE(m_road->selected.Path, path);
    QCOMPARE(CurrentDevice.get().Path, path);
    // The device pages were asked for first; the read started only after the wait, with
    // both flags already set.
    QCOMPARE(m_road->mainPageActiveAtChange, 0);
    QVERIFY(!m_road->workerStartedAtChange);
    QTRY_VERIFY(m_workerStarted);
    QCOMPARE(m_reloadPendingAtStart.load(), 1);
    QCOMPARE(m_mainPageActiveAtStart.load(), 1);
    QVERIFY(m_startAt - m_road->changeAt >= Timing::Scaled(Timing::OpenDeviceDelay));
    QTRY_VERIFY(HidSim::CallCount("UsbServer_ReadAllFlashData") > 0);
    QCOMPARE(HidSim::Calls("UsbServer_ReadAllFlashData").front().device, cable ? std::string("m1") : std::string("m2"));
}

void TestDialogChange::openingWait_data()
{
    QTest::addColumn<QString>("during"); // what happens while the opened device's pages wait for the read
    QTest::addColumn<bool>("reads");
    QTest::newRow("queued work runs, then the read starts") << "queued" << true;
    QTest::newRow("the device goes: back to the choice page") << "back" << false;
    QTest::newRow("the device goes, told from the library's thread") << "backFromThread" << false;
}

void TestDialogChange::openingWait()
{
    QFETCH(QString, during);
    QFETCH(bool, reads);
    VEXO_CHECKED(addAll({cableMouse("m1", 1)}));
    DialogChange page;
    QCOMPARE(deviceButtons(page).size(), 1);
    HidSim::ClearCalls();
    DeviceReloadPending.store(0);

    // The window is not held up: work queued when the pages are asked for runs before the read.
    bool queuedRanBeforeRead = false;
    QObject scope; // ends what is still pending when the test ends early
    connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, &scope, [&](int index) {
        if (index != 1)
            return;
        if (during == QLatin1String("backFromThread")) {
            std::thread library([] { PostMsg::instance()->EmitChangeMainDialog(0); });
            library.join();
            return;
        }
        QTimer::singleShot(0, &scope, [&] {
            queuedRanBeforeRead = !WorkerThread.load()->isRunning() && DeviceReloadPending.load() == 0;
            if (during == QLatin1String("back"))
                PostMsg::instance()->EmitChangeMainDialog(0);
        });
    });
    deviceButtons(page).first()->click();

    QCOMPARE(WorkerThread.load()->isRunning() || m_workerStarted, reads);
    QCOMPARE(MainPageActive.load(), reads ? 1 : 0);
    if (during != QLatin1String("backFromThread"))
        QVERIFY(queuedRanBeforeRead);
    QTRY_COMPARE(m_road->startingWith(QStringLiteral("ChangeMainDialog")),
                 reads ? QStringList{"ChangeMainDialog:1"} : (QStringList{"ChangeMainDialog:1", "ChangeMainDialog:0"}));
    if (reads) {
        QTRY_VERIFY(HidSim::CallCount("UsbServer_ReadAllFlashData") > 0);
        return;
    }
    QCOMPARE(DeviceReloadPending.load(), 0);
    QCOMPARE(HidSim::CallCount("UsbServer_ReadAllFlashData"), 0);
}

void TestDialogChange::mouseIndexByModel_data()
{
    QTest::addColumn<int>("mid");
    QTest::addColumn<QStringList>("announced");
    QTest::newRow("MID 1") << 1 << QStringList{"MouseIndex:0"};
    QTest::newRow("MID 2") << 2 << QStringList{"MouseIndex:1"};
    QTest::newRow("MID 3") << 3 << QStringList();
}

void TestDialogChange::mouseIndexByModel()
{
    QFETCH(int, mid);
    QFETCH(QStringList, announced);
    setConfig(*m_fixture, QStringLiteral("Drive1/MID"), mid);
    VEXO_CHECKED(addAll({cableMouse("m1", mid)}));
    DialogChange page;
    QCOMPARE(deviceButtons(page).size(), 1);
    deviceButtons(page).first()->click();
    QCOMPARE(m_road->startingWith(QStringLiteral("MouseIndex")), announced);
    QCOMPARE(m_road->events.first(), QStringLiteral("Setver:6"));
    QVERIFY(m_road->events.contains(QStringLiteral("ChangeMainDialog:1")));
}

void TestDialogChange::staleIndexOpensNothing_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("the list shrank under the buttons") << "shrink";
    QTest::newRow("a name beyond the list") << "btn5";
    QTest::newRow("a negative index") << "btn-1";
}

void TestDialogChange::staleIndexOpensNothing()
{
    QFETCH(QString, change);
    VEXO_CHECKED(addAll({cableMouse("m1", 1), receiverOf("r4", 4, 2), mouseBehind("m2", "r4", 2)}));
    DialogChange page;
    QList<mytoolButtonEnter*> buttons = deviceButtons(page);
    QCOMPARE(buttons.size(), 2);
    mytoolButtonEnter* clicked = buttons.at(1);
    if (change == QLatin1String("shrink"))
        FoundDeviceList.update([](DeviceList& l) { l.removeLast(); });
    else
        clicked->setObjectName(change);

    clicked->click();
    QCOMPARE(m_road->events, QStringList());
    QCOMPARE(MainPageActive.load(), 0);
    QVERIFY(!m_workerStarted);
}

void TestDialogChange::languageTexts_data()
{
    QTest::addColumn<int>("built");
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0 << 0;
    QTest::newRow("Chinese") << 1 << 1;
    QTest::newRow("English, then Chinese") << 0 << 1;
    QTest::newRow("Chinese, then English") << 1 << 0;
}

void TestDialogChange::languageTexts()
{
    QFETCH(int, built);
    QFETCH(int, language);
    // An offline device shows its mark with the offline tip.
    VEXO_CHECKED(addAll({receiverOf("r4", 4, 2)}));
    CurrentLanguage = built;
    DialogChange page;
    if (built != language)
        PostMsg::instance()->EmitAllLanguage(language);

    const auto text = [&](int position) {
        const QString t = LangText(LangTable::DialogChangeTexts, language, position);
        // The two languages differ, so a text of the other language cannot pass.
        if (t.isEmpty() || t == LangText(LangTable::DialogChangeTexts, 1 - language, position))
            return QStringLiteral("<no text of its own at %1>").arg(position);
        return t;
    };
    auto* hint = page.findChild<QLabel*>(QStringLiteral("label_2"));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("label_3"))->text(), text(1));
    QCOMPARE(hint->text(), text(0));
    QCOMPARE(onPages<QLabel>(page, QStringLiteral("label0"))->toolTip(), text(5) + QLatin1Char('\n') + text(6));
    QCOMPARE(MouseIsNewTipsText, text(8));
    PostMsg::instance()->EmitUpDateButton(false);
    QCOMPARE(hint->text(), text(2));
    PostMsg::instance()->EmitUpDateButton(true);
    QCOMPARE(hint->text(), text(0));
}

void TestDialogChange::languageChoice_data()
{
    QTest::addColumn<int>("built");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("chosen");
    QTest::newRow("English, then Chinese chosen") << 0 << 0 << 1;
    QTest::newRow("Chinese, then English chosen") << 1 << 1 << 0;
    QTest::newRow("a language the files lack shows English") << 7 << 0 << 1;
}

void TestDialogChange::languageChoice()
{
    QFETCH(int, built);
    QFETCH(int, shown);
    QFETCH(int, chosen);
    CurrentLanguage = built;
    DialogChange page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("comboBox"));
    QCOMPARE(TestEnv::ComboItemTexts(combo), (QStringList{QStringLiteral("English"), QString::fromUtf8("简体中文")}));
    QCOMPARE(combo->currentIndex(), shown);
    QCOMPARE(combo->maxVisibleItems(), 5);

    // Told by the top-level window: shown without being stored or announced again; a language
    // the list lacks shows English, never an empty list.
    PostMsg::instance()->EmitLanguageSameA(chosen);
    QCOMPARE(combo->currentIndex(), chosen);
    PostMsg::instance()->EmitLanguageSameA(7);
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).isEmpty());
    QCOMPARE(m_road->events, QStringList());

    // Chosen by the user: stored, then announced.
    VEXO_CHECKED(TestEnv::PickComboItem(combo, chosen));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")), QString::number(chosen));
    QCOMPARE(CurrentLanguage.load(), chosen);
    QCOMPARE(m_road->events, (QStringList{QStringLiteral("AllLanguage:%1").arg(chosen),
                                          QStringLiteral("LanguageSameB:%1").arg(chosen)}));
    QCOMPARE(combo->currentIndex(), chosen);
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("label_3"))->text(),
             LangText(LangTable::DialogChangeTexts, chosen, 1));
}

void TestDialogChange::minimiseAndClose_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("sent");
    QTest::newRow("minimise") << "MinButton" << "ChangeSize:2";
    QTest::newRow("close") << "CloseButton" << "ChangeSize:3";
}

void TestDialogChange::minimiseAndClose()
{
    QFETCH(QString, button);
    QFETCH(QString, sent);
    DialogChange page;
    page.findChild<QToolButton*>(button)->click();
    QCOMPARE(m_road->events, QStringList{sent});
}

VEXO_TEST_MAIN(TestDialogChange)
#include "tst_dialogchange.moc"
