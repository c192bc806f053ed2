#include "core/timing.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/widgets/keyboardhook.h"
#include "ui/widgets/keyboardsource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>
#include <utility>

namespace {

// One key message as the hook procedure sees it.
struct HookEvent {
    int vk;
    int message;
};
using HookEvents = QVector<HookEvent>;

HookEvent down(int vk) { return {vk, KeyboardHook::KeyDown}; }
HookEvent up(int vk) { return {vk, KeyboardHook::KeyUp}; }
HookEvent sysDown(int vk) { return {vk, KeyboardHook::SysKeyDown}; }
HookEvent sysUp(int vk) { return {vk, KeyboardHook::SysKeyUp}; }

constexpr int VkA = 0x41, VkB = 0x42, VkF10 = 0x79, VkLAlt = 0xA4;

// "41 1 0": virtual key, down, repeat.
QString report(int vk, bool isDown, bool repeat)
{
    return QString::asprintf("%02X %d %d", vk, int(isDown), int(repeat));
}

// Collects what a hook reports, with the event time it offers during the call.
struct Reports {
    QStringList list;
    QVector<quint32> times;

    void attach(KeyboardHook& hook)
    {
        hook.SetCallback([this, &hook](int vk, bool isDown, bool repeat) {
            list << report(vk, isDown, repeat);
            times << hook.EventTime();
        });
    }
};

} // namespace

Q_DECLARE_METATYPE(HookEvents)

class TestKeyboardHook : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The hook procedure's steps, without a window.
    void deliverTracksKeys_data();
    void deliverTracksKeys();
    void emptyCallbackStillTracks();
    void eventTimeDuringCallback();
    void uninstallIsIdempotent();

    // Through the window system, as a user's keys arrive.
    void keysFromWindow_data();
    void keysFromWindow();
    void nativeKeysFromWindow_data();
    void nativeKeysFromWindow();
    void releaseMatchesPress();
    void autoRepeatPairs();
    void platformRepeats_data();
    void platformRepeats();
    void hookChangedByRelease_data();
    void hookChangedByRelease();
    void ignoredKeyReportedOnce();
    void keyStillReachesLineEdit();
    void nothingWhileInactive();
    void nothingWhenUninstalledOrDestroyed();
    void instancesApart();
    void uninstallDuringCallback();
    void eventTimePassedThrough();

private:
    QWindow* window() const { return m_window->windowHandle(); }
    void send(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false,
              ulong timestamp = 0);

    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_edit = nullptr;
    QWidget* m_plain = nullptr;
};

void TestKeyboardHook::init()
{
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_edit = new QLineEdit(m_window.get());
    layout->addWidget(m_edit);
    // Takes the focus but no key: Qt offers its keys to the parent as well.
    m_plain = new QWidget(m_window.get());
    m_plain->setFocusPolicy(Qt::StrongFocus);
    m_plain->setMinimumSize(40, 20);
    layout->addWidget(m_plain);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
}

void TestKeyboardHook::cleanup()
{
    KeyboardSource::Instance()->SetActivePredicate({});
    m_window.reset();
    // Every hook of a test is gone: nothing may stay attached to the application.
    QVERIFY(!KeyboardSource::Instance()->IsFiltering());
}

void TestKeyboardHook::send(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                            ulong timestamp)
{
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    event.setTimestamp(timestamp);
    QCoreApplication::sendEvent(window(), &event);
}

void TestKeyboardHook::deliverTracksKeys_data()
{
    QTest::addColumn<bool>("tracksSystemKeys");
    QTest::addColumn<HookEvents>("events");
    QTest::addColumn<QStringList>("expected");

    const QStringList held = {"41 1 0", "41 1 1", "41 1 1", "41 0 0"};
    QTest::newRow("held key repeats") << false << HookEvents{down(VkA), down(VkA), down(VkA), up(VkA)} << held;
    QTest::newRow("same key after release")
        << false << HookEvents{down(VkA), up(VkA), down(VkA), up(VkA)}
        << QStringList{"41 1 0", "41 0 0", "41 1 0", "41 0 0"};
    QTest::newRow("second key while the first is held")
        << false << HookEvents{down(VkA), down(VkB), down(VkB), up(VkB), up(VkA)}
        << QStringList{"41 1 0", "42 1 0", "42 1 1", "42 0 0", "41 0 0"};
    QTest::newRow("first key repeats after the second")
        << false << HookEvents{down(VkA), down(VkB), down(VkA)} << QStringList{"41 1 0", "42 1 0", "41 1 0"};
    QTest::newRow("other message leaves down")
        << false << HookEvents{down(VkA), {VkB, 0x0102}, up(VkA), {VkB, 0x0102}}
        << QStringList{"41 1 0", "42 1 0", "41 0 0", "42 0 0"};

    // Alt alone arrives as system messages; its release keeps the last key.
    QTest::newRow("Alt alone, tracked")
        << true << HookEvents{sysDown(VkLAlt), sysDown(VkLAlt), sysUp(VkLAlt)}
        << QStringList{"A4 1 0", "A4 1 1", "A4 0 1"};
    QTest::newRow("Alt alone after a release, not tracked")
        << false << HookEvents{down(VkA), up(VkA), sysDown(VkLAlt), sysUp(VkLAlt)}
        << QStringList{"41 1 0", "41 0 0", "A4 0 0", "A4 0 1"};
    QTest::newRow("Alt while a key is held, not tracked")
        << false << HookEvents{down(VkA), sysDown(VkLAlt), sysUp(VkLAlt), up(VkA)}
        << QStringList{"41 1 0", "A4 1 0", "A4 1 1", "41 0 0"};
    QTest::newRow("key with Alt held, tracked")
        << true << HookEvents{sysDown(VkLAlt), sysDown(VkA), sysUp(VkA), sysUp(VkLAlt)}
        << QStringList{"A4 1 0", "41 1 0", "41 0 1", "A4 0 0"};
    QTest::newRow("key with Alt held, not tracked")
        << false << HookEvents{sysDown(VkLAlt), sysDown(VkA), sysUp(VkA), sysUp(VkLAlt)}
        << QStringList{"A4 0 0", "41 0 0", "41 0 1", "A4 0 0"};
    QTest::newRow("F10, tracked") << true << HookEvents{sysDown(VkF10), sysUp(VkF10)}
                                  << QStringList{"79 1 0", "79 0 1"};
    QTest::newRow("F10, not tracked") << false << HookEvents{sysDown(VkF10), sysUp(VkF10)}
                                      << QStringList{"79 0 0", "79 0 1"};
    QTest::newRow("held key repeats, tracked") << true << HookEvents{down(VkA), down(VkA), down(VkA), up(VkA)}
                                               << held;
}

void TestKeyboardHook::deliverTracksKeys()
{
    QFETCH(bool, tracksSystemKeys);
    QFETCH(HookEvents, events);
    QFETCH(QStringList, expected);
    KeyboardHook hook(tracksSystemKeys);
    QCOMPARE(hook.TracksSystemKeys(), tracksSystemKeys);
    Reports reports;
    reports.attach(hook);
    for (const HookEvent& e : events)
        hook.Deliver(e.vk, e.message, 0);
    QCOMPARE(reports.list, expected);
}

void TestKeyboardHook::emptyCallbackStillTracks()
{
    KeyboardHook hook(false);
    hook.Deliver(VkA, KeyboardHook::KeyDown, 0); // nobody to tell
    Reports reports;
    reports.attach(hook);
    hook.Deliver(VkA, KeyboardHook::KeyDown, 0);
    hook.SetCallback({});
    hook.Deliver(VkA, KeyboardHook::KeyUp, 0);
    reports.attach(hook);
    hook.Deliver(VkA, KeyboardHook::KeyDown, 0);
    // The unreported press and release still count.
    QCOMPARE(reports.list, (QStringList{"41 1 1", "41 1 0"}));
}

void TestKeyboardHook::eventTimeDuringCallback()
{
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Deliver(VkA, KeyboardHook::KeyDown, 1000);
    hook.Deliver(VkA, KeyboardHook::KeyUp, 0xFFFFFFF0u);
    QCOMPARE(reports.times, (QVector<quint32>{1000, 0xFFFFFFF0u}));
}

void TestKeyboardHook::uninstallIsIdempotent()
{
    KeyboardSource* const source = KeyboardSource::Instance();
    KeyboardHook other(false);
    Reports otherReports;
    otherReports.attach(other);
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);

    hook.Uninstall(); // never installed
    QVERIFY(!hook.IsInstalled());
    QVERIFY(!source->IsFiltering());

    other.Install();
    hook.Install();
    hook.Install(); // no second registration
    QVERIFY(hook.IsInstalled());
    QTest::keyClick(window(), Qt::Key_A);
    QCOMPARE(reports.list, (QStringList{"41 1 0", "41 0 0"}));

    hook.Uninstall();
    hook.Uninstall();
    QVERIFY(!hook.IsInstalled());
    QVERIFY(source->IsRegistered(&other));
    QVERIFY(source->IsFiltering());
    QTest::keyClick(window(), Qt::Key_B);
    QCOMPARE(reports.list.size(), 2);
    QCOMPARE(otherReports.list, (QStringList{"41 1 0", "41 0 0", "42 1 0", "42 0 0"}));

    other.Uninstall();
    QVERIFY(!source->IsFiltering());
    // The callback stays for the next installation.
    hook.Install();
    QTest::keyClick(window(), Qt::Key_C);
    QCOMPARE(reports.list.mid(2), (QStringList{"43 1 0", "43 0 0"}));
}

void TestKeyboardHook::keysFromWindow_data()
{
    QTest::addColumn<bool>("tracksSystemKeys");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("expected");

    const int none = Qt::NoModifier;
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("letter") << false << int(Qt::Key_A) << none << QStringList{"41 1 0", "41 0 0"};
    QTest::newRow("Shift+letter") << false << int(Qt::Key_Z) << int(Qt::ShiftModifier)
                                  << QStringList{"A0 1 0", "5A 1 0", "5A 0 0", "A0 0 0"};
    QTest::newRow("Shift+1 is the 1 key") << false << int(Qt::Key_1) << int(Qt::ShiftModifier)
                                          << QStringList{"A0 1 0", "31 1 0", "31 0 0", "A0 0 0"};
    QTest::newRow("Shift+1 as !") << false << int(Qt::Key_Exclam) << int(Qt::ShiftModifier)
                                  << QStringList{"A0 1 0", "31 1 0", "31 0 0", "A0 0 0"};
    QTest::newRow("digit") << false << int(Qt::Key_0) << none << QStringList{"30 1 0", "30 0 0"};
    QTest::newRow("keypad 1") << false << int(Qt::Key_1) << keypad << QStringList{"61 1 0", "61 0 0"};
    QTest::newRow("keypad 0") << false << int(Qt::Key_0) << keypad << QStringList{"60 1 0", "60 0 0"};
    QTest::newRow("keypad End") << false << int(Qt::Key_End) << keypad << QStringList{"23 1 0", "23 0 0"};
    QTest::newRow("keypad 5 without Num Lock") << false << int(Qt::Key_Clear) << keypad
                                               << QStringList{"0C 1 0", "0C 0 0"};
    QTest::newRow("keypad *") << false << int(Qt::Key_Asterisk) << keypad << QStringList{"6A 1 0", "6A 0 0"};
    QTest::newRow("keypad /") << false << int(Qt::Key_Slash) << keypad << QStringList{"6F 1 0", "6F 0 0"};
    QTest::newRow("main block /") << false << int(Qt::Key_Slash) << none << QStringList{"BF 1 0", "BF 0 0"};
    QTest::newRow("keypad Enter") << false << int(Qt::Key_Enter) << keypad << QStringList{"0D 1 0", "0D 0 0"};
    QTest::newRow("Shift") << false << int(Qt::Key_Shift) << none << QStringList{"A0 1 0", "A0 0 0"};
    QTest::newRow("Ctrl") << false << int(Qt::Key_Control) << none << QStringList{"A2 1 0", "A2 0 0"};
    QTest::newRow("Win") << false << int(Qt::Key_Meta) << none << QStringList{"5B 1 0", "5B 0 0"};
    QTest::newRow("right Win") << false << int(Qt::Key_Super_R) << none << QStringList{"5C 1 0", "5C 0 0"};
    QTest::newRow("Alt, tracked") << true << int(Qt::Key_Alt) << none << QStringList{"A4 1 0", "A4 0 1"};
    QTest::newRow("Alt, not tracked") << false << int(Qt::Key_Alt) << none << QStringList{"A4 0 0", "A4 0 1"};
    QTest::newRow("AltGr, tracked") << true << int(Qt::Key_AltGr) << none << QStringList{"A5 1 0", "A5 0 1"};
    QTest::newRow("F10, tracked") << true << int(Qt::Key_F10) << none << QStringList{"79 1 0", "79 0 1"};
    QTest::newRow("F10, not tracked") << false << int(Qt::Key_F10) << none << QStringList{"79 0 0", "79 0 1"};
    QTest::newRow("F9 is no system key") << false << int(Qt::Key_F9) << none << QStringList{"78 1 0", "78 0 0"};
    QTest::newRow("Alt+A, tracked") << true << int(Qt::Key_A) << int(Qt::AltModifier)
                                    << QStringList{"A4 1 0", "41 1 0", "41 0 1", "A4 0 0"};
    QTest::newRow("Alt+A, not tracked") << false << int(Qt::Key_A) << int(Qt::AltModifier)
                                        << QStringList{"A4 0 0", "41 0 0", "41 0 1", "A4 0 0"};
    // With Ctrl held nothing is a system key.
    QTest::newRow("Ctrl+Alt+A, not tracked")
        << false << int(Qt::Key_A) << int(Qt::ControlModifier | Qt::AltModifier)
        << QStringList{"A2 1 0", "A4 1 0", "41 1 0", "41 0 0", "A4 0 0", "A2 0 0"};
}

void TestKeyboardHook::keysFromWindow()
{
    QFETCH(bool, tracksSystemKeys);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, expected);
    KeyboardHook hook(tracksSystemKeys);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    // With a text of its own: QTest has no character for some keys (AltGr).
    QTest::sendKeyEvent(QTest::Click, window(), Qt::Key(key), QString(), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(reports.list, expected);
}

void TestKeyboardHook::nativeKeysFromWindow_data()
{
    // What the X11 platform hands over: the X keycode, the keysym at the current level, and
    // the modifiers before the key.
    QTest::addColumn<int>("keycode");
    QTest::addColumn<int>("keysym");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("vk");

    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("Shift_L") << 50 << 0xFFE1 << int(Qt::Key_Shift) << none << 0xA0;
    QTest::newRow("Shift_R") << 62 << 0xFFE2 << int(Qt::Key_Shift) << none << 0xA1;
    QTest::newRow("Control_L") << 37 << 0xFFE3 << int(Qt::Key_Control) << none << 0xA2;
    QTest::newRow("Control_R") << 105 << 0xFFE4 << int(Qt::Key_Control) << none << 0xA3;
    QTest::newRow("Alt_L") << 64 << 0xFFE9 << int(Qt::Key_Alt) << none << 0xA4;
    QTest::newRow("Alt_R") << 108 << 0xFFEA << int(Qt::Key_Alt) << none << 0xA5;
    QTest::newRow("AltGr") << 108 << 0xFE03 << int(Qt::Key_AltGr) << none << 0xA5;
    QTest::newRow("Shift+Alt_L gives Meta_L") << 64 << 0xFFE7 << int(Qt::Key_Meta) << shift << 0xA4;
    QTest::newRow("Alt_L as group switch") << 64 << 0xFE08 << int(Qt::Key_unknown) << shift << 0xA4;
    QTest::newRow("Super_L") << 133 << 0xFFEB << int(Qt::Key_Super_L) << none << 0x5B;
    QTest::newRow("Super_R") << 134 << 0xFFEC << int(Qt::Key_Super_R) << none << 0x5C;
    QTest::newRow("KP_1, Num Lock on") << 87 << 0xFFB1 << int(Qt::Key_1) << keypad << 0x61;
    QTest::newRow("KP_1, Num Lock off") << 87 << 0xFF9C << int(Qt::Key_End) << keypad << 0x23;
    QTest::newRow("KP_5, Num Lock on") << 84 << 0xFFB5 << int(Qt::Key_5) << keypad << 0x65;
    QTest::newRow("KP_5, Num Lock off") << 84 << 0xFF9D << int(Qt::Key_Clear) << keypad << 0x0C;
    QTest::newRow("KP_Decimal, Num Lock off") << 91 << 0xFF9F << int(Qt::Key_Delete) << keypad << 0x2E;
    QTest::newRow("KP_Enter") << 104 << 0xFF8D << int(Qt::Key_Enter) << keypad << 0x0D;
    QTest::newRow("1") << 10 << 0x31 << int(Qt::Key_1) << none << 0x31;
    QTest::newRow("Shift+1") << 10 << 0x21 << int(Qt::Key_Exclam) << shift << 0x31;
    QTest::newRow("Shift+minus") << 20 << 0x5F << int(Qt::Key_Underscore) << shift << 0xBD;
    QTest::newRow("a") << 38 << 0x61 << int(Qt::Key_A) << none << 0x41;
    QTest::newRow("Shift+a") << 38 << 0x41 << int(Qt::Key_A) << shift << 0x41;
    QTest::newRow("French layout: a on the Q key") << 24 << 0x61 << int(Qt::Key_A) << none << 0x41;
    QTest::newRow("French layout: & on the 1 key") << 10 << 0x26 << int(Qt::Key_Ampersand) << none << 0x31;
    QTest::newRow("Russian layout: ef on the A key") << 38 << 0x6C6 << 0x0424 << none << 0x41;
    QTest::newRow("ISO key left of Z") << 94 << 0x3C << int(Qt::Key_Less) << none << 0xE2;
    QTest::newRow("Space") << 65 << 0x20 << int(Qt::Key_Space) << none << 0x20;
    QTest::newRow("F10") << 76 << 0xFFC7 << int(Qt::Key_F10) << none << 0x79;
    QTest::newRow("Print") << 107 << 0xFF61 << int(Qt::Key_Print) << none << 0x2C;
    QTest::newRow("Menu") << 135 << 0xFF67 << int(Qt::Key_Menu) << none << 0x5D;
    QTest::newRow("Num_Lock") << 77 << 0xFF7F << int(Qt::Key_NumLock) << none << 0x90;
    QTest::newRow("Right") << 114 << 0xFF53 << int(Qt::Key_Right) << none << 0x27;
}

void TestKeyboardHook::nativeKeysFromWindow()
{
    QFETCH(int, keycode);
    QFETCH(int, keysym);
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, vk);
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, qtKey, Qt::KeyboardModifiers(modifiers), quint32(keycode), quint32(keysym), 0);
        QCoreApplication::sendEvent(window(), &event);
    }
    QCOMPARE(reports.list.size(), 2);
    QCOMPARE(reports.list.first().left(2), QString::asprintf("%02X", vk));
    QCOMPARE(reports.list.last().left(2), QString::asprintf("%02X", vk));
}

void TestKeyboardHook::releaseMatchesPress()
{
    // Num Lock switched off while keypad 5 is held: the release still names the key pressed.
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, 84, 0xFFB5, 0);
    QCoreApplication::sendEvent(window(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Clear, Qt::KeypadModifier, 84, 0xFF9D, 0);
    QCoreApplication::sendEvent(window(), &release);
    // The next press is taken afresh.
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Clear, Qt::KeypadModifier, 84, 0xFF9D, 0);
    QCoreApplication::sendEvent(window(), &again);
    QCOMPARE(reports.list, (QStringList{"65 1 0", "65 0 0", "0C 1 0"}));
}

void TestKeyboardHook::autoRepeatPairs()
{
    KeyboardHook hook(false);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    send(QEvent::KeyPress, Qt::Key_A);
    for (int i = 0; i < 2; ++i) {
        send(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, true);
        send(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, true);
    }
    send(QEvent::KeyRelease, Qt::Key_A);
    QCOMPARE(reports.list, (QStringList{"41 1 0", "41 1 1", "41 1 1", "41 0 0"}));
}

void TestKeyboardHook::platformRepeats_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("queued");
    QTest::addColumn<QStringList>("expected");

    struct Case {
        const char* name;
        const char* script;
        QStringList expected;
    };
    // An auto-repeat is a release and a press of one key at one server time.
    const Case cases[] = {
        {"held key", "A+1000 A-1500 A+1500 A-1533 A+1533 A-2100", {"41 1 0", "41 1 1", "41 1 1", "41 0 0"}},
        {"released and pressed again", "A+1000 A-1100 A+1200 A-1300", {"41 1 0", "41 0 0", "41 1 0", "41 0 0"}},
        {"release, then another key at the same time", "A+1000 A-1100 B+1100 B-1200",
         {"41 1 0", "41 0 0", "42 1 0", "42 0 0"}},
        {"two releases at the same time", "A+1000 B+1050 A-1100 B-1100", {"41 1 0", "42 1 0", "41 0 0", "42 0 0"}},
        {"second key held over the first", "A+1000 B+1100 B-1500 B+1500 B-1600 A-1700",
         {"41 1 0", "42 1 0", "42 1 1", "42 0 0", "41 0 0"}},
    };
    for (const Case& c : cases) {
        for (const bool queued : {false, true}) {
            QTest::addRow("%s, %s", c.name, queued ? "queued" : "one by one")
                << QString::fromLatin1(c.script) << queued << c.expected;
        }
    }
}

void TestKeyboardHook::platformRepeats()
{
    QFETCH(QString, script);
    QFETCH(bool, queued);
    QFETCH(QStringList, expected);
    m_plain->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_plain);
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    VEXO_CHECKED(TestEnv::SendPlatformKeys(script, queued));
    // The last release comes out on its own as well.
    QTRY_COMPARE(reports.list, expected);
}

namespace {
// Runs a step when the widget receives an event of one type, as a button acting on it does.
class OnEvent : public QObject
{
public:
    OnEvent(QEvent::Type type, std::function<void()> step) : m_type(type), m_step(std::move(step)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == m_type)
            m_step();
        return QObject::eventFilter(watched, event);
    }

private:
    const QEvent::Type m_type;
    std::function<void()> m_step;
};
} // namespace

void TestKeyboardHook::hookChangedByRelease_data()
{
    QTest::addColumn<bool>("install");
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<QStringList>("expected");
    // A release reaches only the hooks installed when it happened and still installed.
    QTest::newRow("installed by the release") << true << false << QStringList{"42 1 0"};
    QTest::newRow("removed by the release") << false << false << QStringList{"41 1 0"};
    // A click right after the release comes after it, also for the owner the click stops.
    QTest::newRow("removed by a click after the release") << false << true << QStringList{"41 1 0", "41 0 0"};
}

void TestKeyboardHook::hookChangedByRelease()
{
    QFETCH(bool, install);
    QFETCH(bool, byClick);
    QFETCH(QStringList, expected);
    m_plain->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_plain);
    KeyboardHook other(true);
    Reports otherReports;
    otherReports.attach(other);
    other.Install();
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    if (!install)
        hook.Install();
    OnEvent filter(byClick ? QEvent::MouseButtonPress : QEvent::KeyRelease,
                   [&hook, install] { install ? hook.Install() : hook.Uninstall(); });
    m_plain->installEventFilter(&filter);
    VEXO_CHECKED(TestEnv::SendPlatformKeys(QStringLiteral("A+1000 A-1100"), false));
    if (byClick)
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, m_plain->geometry().center());
    VEXO_CHECKED(TestEnv::SendPlatformKeys(QStringLiteral("B+1200"), false));
    m_plain->removeEventFilter(&filter);
    QCOMPARE(otherReports.list, (QStringList{"41 1 0", "41 0 0", "42 1 0"}));
    QCOMPARE(reports.list, expected);
    hook.Uninstall();
    other.Uninstall();
}

void TestKeyboardHook::ignoredKeyReportedOnce()
{
    m_plain->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_plain);
    KeyboardHook hook(false);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    QTest::keyClick(window(), Qt::Key_B);
    QCOMPARE(reports.list, (QStringList{"42 1 0", "42 0 0"}));
}

void TestKeyboardHook::keyStillReachesLineEdit()
{
    m_edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_edit);
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    QTest::keyClick(window(), 'a');
    QTest::keyClick(window(), 'b');
    QCOMPARE(m_edit->text(), QStringLiteral("ab"));
    QCOMPARE(reports.list, (QStringList{"41 1 0", "41 0 0", "42 1 0", "42 0 0"}));
}

void TestKeyboardHook::nothingWhileInactive()
{
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    bool active = false;
    KeyboardSource::Instance()->SetActivePredicate([&active] { return active; });
    QTest::keyPress(window(), Qt::Key_A);
    QCOMPARE(reports.list, QStringList());
    // State is left as it was: the press in the background did not count.
    active = true;
    QTest::keyPress(window(), Qt::Key_A);
    QCOMPARE(reports.list, QStringList{"41 1 0"});
}

void TestKeyboardHook::nothingWhenUninstalledOrDestroyed()
{
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    QTest::keyClick(window(), Qt::Key_A);
    hook.Install();
    hook.Uninstall();
    QTest::keyClick(window(), Qt::Key_A);
    QCOMPARE(reports.list, QStringList());

    // A destroyed hook leaves nothing behind for the next key.
    bool called = false;
    auto gone = std::make_unique<KeyboardHook>(true);
    gone->SetCallback([&called](int, bool, bool) { called = true; });
    gone->Install();
    gone.reset();
    QVERIFY(!KeyboardSource::Instance()->IsFiltering());
    QTest::keyClick(window(), Qt::Key_A);
    QVERIFY(!called);
}

void TestKeyboardHook::instancesApart()
{
    KeyboardHook recorder(true);
    KeyboardHook dialog(false);
    Reports recorded;
    Reports captured;
    recorded.attach(recorder);
    captured.attach(dialog);

    recorder.Install();
    QTest::keyClick(window(), Qt::Key_A);
    QCOMPARE(recorded.list, (QStringList{"41 1 0", "41 0 0"}));
    QCOMPARE(captured.list, QStringList());

    dialog.Install();
    QTest::keyPress(window(), Qt::Key_Alt);
    QCOMPARE(recorded.list.mid(2), QStringList{"A4 1 0"});
    QCOMPARE(captured.list, QStringList{"A4 0 0"});

    recorder.Uninstall();
    QTest::keyRelease(window(), Qt::Key_Alt);
    QCOMPARE(recorded.list.size(), 3);
    QCOMPARE(captured.list, (QStringList{"A4 0 0", "A4 0 1"}));
}

void TestKeyboardHook::uninstallDuringCallback()
{
    // The first owner stops the second one while a key is being reported.
    KeyboardHook first(true);
    KeyboardHook second(true);
    Reports secondReports;
    secondReports.attach(second);
    first.SetCallback([&second](int, bool, bool) { second.Uninstall(); });
    first.Install();
    second.Install();
    QTest::keyPress(window(), Qt::Key_A);
    QCOMPARE(secondReports.list, QStringList());
    QVERIFY(!second.IsInstalled());
    first.Uninstall();
}

void TestKeyboardHook::eventTimePassedThrough()
{
    KeyboardHook hook(true);
    Reports reports;
    reports.attach(hook);
    hook.Install();
    send(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, false, 4000000123ul);
    send(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, false, 4000000170ul);
    QCOMPARE(reports.times, (QVector<quint32>{4000000123u, 4000000170u}));

    // Without a time of its own an event takes the monotonic clock's.
    const quint32 before = quint32(Timing::MonotonicMs());
    send(QEvent::KeyPress, Qt::Key_B);
    const quint32 after = quint32(Timing::MonotonicMs());
    QCOMPARE(reports.times.size(), 3);
    QVERIFY(quint32(reports.times.last() - before) <= quint32(after - before));

    // The window system's events carry their own time.
    QTest::keyRelease(window(), Qt::Key_B);
    QCOMPARE(reports.times.size(), 4);
    QVERIFY(reports.times.last() != 0);
}

VEXO_TEST_MAIN(TestKeyboardHook)
#include "tst_keyboardhook.moc"
