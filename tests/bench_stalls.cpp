// Benchmark of GUI-thread stalls, run by hand (not part of the suite):
//   build/tests/bench_stalls [repetitions]
// The whole window against the simulated devices of the sample installation (the mouse behind
// its receiver, the state file kept under a private HOME, the sample costs): user actions on
// the pages, each repeated, and per action the longest time the GUI thread did not get back
// to its event loop, from the action until its answers from the device have been handled.
// The marks are every event the application delivers and every time the event loop goes to
// sleep, so a slot that pumps events counts in pieces and waiting for events counts not at all.
// Exits 2 when an action failed to reach the device or left a dialog open.

#include "core/devicestate.h"
#include "device/buttoncatalogue.h"
#include "device/macrotextfile.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testwidgets.h"
#include "shell/dialogmain.h"

#include "hidusb/hidsim.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

// The longest stretch between two marks of the GUI thread while it was not asleep in its
// event loop.
class StallClock
{
public:
    StallClock() { m_clock.start(); }
    void start()
    {
        m_last = m_clock.nsecsElapsed();
        m_asleep = false;
        m_longest = 0;
    }
    void mark()
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (!m_asleep)
            m_longest = std::max(m_longest, now - m_last);
        m_asleep = false;
        m_last = now;
    }
    void asleep()
    {
        mark();
        m_asleep = true;
    }
    qint64 longest() const { return m_longest; }

private:
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    bool m_asleep = false;
};

StallClock g_clock;

class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        g_clock.mark();
        const bool result = QApplication::notify(receiver, event);
        g_clock.mark();
        return result;
    }
};

// Runs the event loop, asleep when nothing is due, for ms of real time.
void RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds (checked every few ms) or timeoutMs passed.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        RunFor(5);
    }
    return true;
}

QWidget* PageOf(QWidget* window, const char* className)
{
    for (QWidget* w : window->findChildren<QWidget*>())
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    qFatal("no page %s", className);
    return nullptr;
}

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

// A user's pick from a list: the list opens, the item is chosen with Return. Of two items the
// one not shown, so that every pick is a change.
void Pick(QComboBox* box, int one, int other)
{
    const int index = box->currentIndex() == one ? other : one;
    box->showPopup();
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(box->model()->index(index, box->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
}

struct Action
{
    Action(const char* name, const char* navigation, std::function<void(int)> run, const char* libraryCall,
           int settleMs = 150, const char* note = "")
        : name(name)
        , navigation(navigation)
        , run(std::move(run))
        , libraryCall(libraryCall)
        , settleMs(settleMs)
        , note(note)
    {
    }
    const char* name;
    // Shows the page the action happens on (not timed).
    const char* navigation;
    // The action itself; round counts the repetitions, so two values can alternate.
    std::function<void(int round)> run;
    // What the device has to have seen before the action counts as done (its answers are
    // handled within the settle time after it).
    const char* libraryCall;
    int settleMs;
    // Waits the program makes on purpose, on the GUI thread, on this road.
    const char* note;
};

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// The benchmark could not set the scene: says why and exits with 1.
int Stop(const char* why)
{
    std::fprintf(stderr, "bench_stalls: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [] { g_clock.asleep(); });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [] { g_clock.mark(); });

    // Run by hand as well as from ctest: the sample devices are the build's installation's.
    if (qEnvironmentVariableIsEmpty("HIDUSB_SIM_SCENARIO"))
        qputenv("HIDUSB_SIM_SCENARIO",
                QFile::encodeName(TestEnv::BuiltInstallFolder() + QStringLiteral("/hidusb-sim.json")));
    DeviceLinkFixture fixture;
    // The sample devices with their costs and a state file, as the program meets them; the
    // mouse behind its 4 kHz receiver only, so that the receiver's options are on the pages.
    const std::string scenario = HidSim::DefaultScenarioPath();
    if (!HidSim::LoadScenarioFile(scenario))
        return Stop(qPrintable(QStringLiteral("no device description in \"%1\" (HIDUSB_SIM_SCENARIO)")
                                   .arg(QString::fromStdString(scenario))));
    HidSim::RemoveDevice("drive1-mouse");
    HidSim::RemoveDevice("drive1-receiver");
    QDir().mkpath(MacroFolder());
    const QString macroFile = MacroFilePath(MacroFolder(), QStringLiteral("bench"));
    {
        QFile file(macroFile);
        if (!file.open(QIODevice::WriteOnly) || file.write("1\n0x06 1 0\n10ms\n0x06 1 1\n") <= 0)
            return Stop(qPrintable(QStringLiteral("cannot write the macro file %1").arg(macroFile)));
    }

    DialogMain window(nullptr);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return Stop("the window was not shown");
    auto deviceButton = [&window] { return window.findChild<QToolButton*>(QStringLiteral("btn0")); };
    if (!RunUntil([&] { return deviceButton() != nullptr; }, 10000))
        return Stop("the choice page shows no mouse");
    QTest::mouseClick(deviceButton(), Qt::LeftButton);
    // Read and shown; the please-wait dialog closed itself.
    if (!RunUntil([] { return DeviceDataLoaded.load() && !QApplication::activeModalWidget(); }, 20000)
        || !RunUntil([] { return !QApplication::activeModalWidget(); }, 20000))
        return Stop("the mouse's settings were not read, or a dialog stayed open");
    RunFor(500);

    QWidget* sensor = PageOf(&window, "Sensor");
    QWidget* buttons = PageOf(&window, "Buttoninterface");
    QWidget* lighting = PageOf(&window, "LampLight");
    QWidget* settings = PageOf(&window, "FormSetting");
    QWidget* macro = PageOf(&window, "Macro");

    std::vector<Action> actions;
    actions.emplace_back("sensor: report rate", "SensorButton", [&](int) {
        auto* rate1000 = Child<QToolButton>(sensor, "Button1000HZ");
        QTest::mouseClick(rate1000->isChecked() ? Child<QToolButton>(sensor, "Button500HZ") : rate1000,
                          Qt::LeftButton);
    }, "ProtocolDataUpdate");
    actions.emplace_back("sensor: lift-off distance", "SensorButton", [&](int) {
        Pick(Child<QComboBox>(sensor, "LOD"), 0, 1);
    }, "ProtocolDataUpdate");
    actions.emplace_back("sensor: DPI slider drag", "SensorButton", [&](int round) {
        auto* slider = Child<QSlider>(sensor, "horizontalSliderC");
        QPoint at = TestEnv::SliderHandleCentre(slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        for (int i = 0; i < 20; ++i) {
            at.rx() += round % 2 ? -4 : 4;
            QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(slider, &move);
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    }, "ProtocolDataUpdate");
    actions.emplace_back("sensor: DPI light effect", "SensorButton", [&](int) {
        Pick(Child<QComboBox>(sensor, "ChooseEvent"), 1, 2);
    }, "ProtocolDataUpdate");
    actions.emplace_back("buttons: assign a function", "ButtonMain", [&](int round) {
        QTest::mouseClick(Child<QAbstractButton>(buttons, ButtonSlotMap[2].selector), Qt::LeftButton);
        QTest::mouseClick(Child<QAbstractButton>(buttons, round % 2 ? "MidKey" : "DPI_2"), Qt::LeftButton);
    }, "ProtocolDataUpdate");
    // Above the values that ask for a confirmation.
    actions.emplace_back("buttons: debounce time", "ButtonMain", [&](int) {
        Pick(Child<QComboBox>(buttons, "Debunce"), 8, 9);
    }, "ProtocolDataUpdate");
    actions.emplace_back("lighting: light mode", "LightsButton", [&](int) {
        Pick(Child<QComboBox>(lighting, "LightMod"), 1, 2);
    }, "ProtocolDataUpdate");
    actions.emplace_back("lighting: brightness", "LightsButton", [&](int) {
        auto* slider = Child<QSlider>(lighting, "horizontalLight");
        slider->triggerAction(slider->value() == slider->maximum() ? QAbstractSlider::SliderToMinimum
                                                                   : QAbstractSlider::SliderToMaximum);
    }, "ProtocolDataUpdate");
    actions.emplace_back("lighting: sleep time", "LightsButton", [&](int) {
        Pick(Child<QComboBox>(lighting, "StopClose"), 3, 4);
    }, "ProtocolDataUpdate");
    actions.emplace_back("settings: start at login", "FormSetting", [&](int) {
        QTest::mouseClick(Child<QCheckBox>(settings, "checkBox"), Qt::LeftButton, {}, QPoint(8, 8));
    }, nullptr);
    actions.emplace_back("settings: receiver light", "FormSetting", [&](int round) {
        QTest::mouseClick(Child<QCheckBox>(settings, round % 2 ? "ReUntil_2" : "ReUntil_3"), Qt::LeftButton, {},
                          QPoint(8, 15));
    }, "UsbFinderC_Set4KDongleRGB");
    actions.emplace_back("settings: long range", "FormSetting", [&](int) {
        QTest::mouseClick(Child<QCheckBox>(settings, "checkBox_2"), Qt::LeftButton, {}, QPoint(8, 8));
    }, "UsbFinderC_SetLongRangeMode");
    actions.emplace_back("settings: sleep time", "FormSetting", [&](int) {
        Pick(Child<QWidget>(settings, "frameClose")->findChild<QComboBox*>(), 5, 6);
    }, "ProtocolDataUpdate");
    actions.emplace_back("settings: language", "FormSetting", [&](int) {
        Pick(Child<QComboBox>(settings, "comboBox"), 0, 1);
    }, nullptr);
    actions.emplace_back("macro: save", "MacroButton", [&](int round) {
        auto* list = Child<QListWidget>(macro, "listWidgetHong");
        const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("bench"), Qt::MatchExactly);
        if (found.isEmpty())
            qFatal("no macro to save");
        if (list->currentItem() != found.first())
            list->setCurrentItem(found.first());
        Child<QSpinBox>(macro, "NumberEdit")->setValue(2 + round % 2);
        QTest::mouseClick(Child<QToolButton>(macro, "Save"), Qt::LeftButton);
    }, nullptr, 250);
    actions.emplace_back("buttons: profile switch", "ButtonMain", [&](int) {
        Pick(Child<QComboBox>(buttons, "ProjectChoose"), 0, 1);
    }, "UsbServer_SetCurrentConfig", 6000,
        "the device's own change is read under the please-wait dialog, which waits 2 s at its end");
    actions.emplace_back("frame: page buttons", "ButtonMain", [&](int) {
        for (const char* page : {"SensorButton", "MacroButton", "LightsButton", "FormSetting", "ButtonMain"})
            QTest::mouseClick(Child<QToolButton>(&window, page), Qt::LeftButton);
    }, nullptr);
    actions.emplace_back("frame: back, open the mouse", "ButtonMain", [&](int) {
        QTest::mouseClick(Child<QToolButton>(&window, "UpArrow"), Qt::LeftButton);
        RunUntil([&] { return deviceButton() && deviceButton()->isVisible(); }, 10000);
        DeviceDataLoaded.store(0);
        QTest::mouseClick(deviceButton(), Qt::LeftButton);
        RunUntil([] { return DeviceDataLoaded.load() != 0; }, 20000);
    }, "UsbServer_ReadAllFlashData", 500, "the device settles 200 ms on the way back and 150 ms at the opening; the window draws on");

    QFile loadFile(QStringLiteral("/proc/loadavg"));
    const QByteArray load = loadFile.open(QIODevice::ReadOnly) ? loadFile.readLine().trimmed() : QByteArray("?");
    std::printf("%d repetitions per action (load average %s); longest time the GUI thread was blocked, in ms;\n"
                "* over 16 ms\n",
                rounds, load.constData());
    std::printf("%-30s %9s %9s\n", "action", "median", "max");
    bool allReached = true;
    for (const Action& action : actions) {
        QTest::mouseClick(Child<QToolButton>(&window, action.navigation), Qt::LeftButton);
        RunFor(200);
        std::vector<qint64> longest;
        for (int round = 0; round < rounds; ++round) {
            HidSim::ClearCalls();
            g_clock.start();
            action.run(round);
            const bool reached = !action.libraryCall
                || RunUntil([&] { return HidSim::CallCount(action.libraryCall) > 0; }, 5000);
            allReached = allReached && reached;
            RunFor(action.settleMs);
            RunUntil([] { return !QApplication::activeModalWidget(); }, 20000);
            longest.push_back(g_clock.longest());
            if (QWidget* modal = QApplication::activeModalWidget()) {
                std::printf("  %s: round %d left %s open\n", action.name, round, modal->metaObject()->className());
                modal->close();
                allReached = false;
            }
            if (!reached)
                std::printf("  %s: round %d did not reach the device\n", action.name, round);
        }
        std::sort(longest.begin(), longest.end());
        const double max = Ms(longest.back());
        std::printf("%-30s %9.2f %9.2f %s%s%s%s\n", action.name, Ms(longest[longest.size() / 2]), max,
                    max > 16 ? "*" : " ", *action.note ? " (" : "", action.note, *action.note ? ")" : "");
        std::fflush(stdout);
    }
    window.close();
    return allReached ? 0 : 2;
}
