// The tray icon and its menu as a user meets them: a private X server with a window manager that
// has a system tray (icewm), the program's window on the xcb platform, and real pointer clicks
// from xdotool. A menu entry chosen while the icon is still handling its click is what used to
// end the program with a crash.

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/langtext.h"
#include "shell/dialogmain.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The X server and the window manager, started before the application object and ended with
// the test program (also when it dies: they are told by the kernel).
class XSession
{
public:
    bool start(QString* why)
    {
        for (const char* tool : {"Xvfb", "icewm", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                *why = QStringLiteral("%1 is not installed (./build.sh test installs it)").arg(QLatin1String(tool));
                return false;
            }
        }
        int displayPipe[2];
        if (::pipe(displayPipe) != 0) {
            *why = QStringLiteral("no pipe");
            return false;
        }
        const std::string fd = std::to_string(displayPipe[1]);
        m_server = spawn({"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                         displayPipe[0]);
        ::close(displayPipe[1]);
        std::string number;
        char c = 0;
        while (::read(displayPipe[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(displayPipe[0]);
        if (m_server <= 0 || number.empty()) {
            *why = QStringLiteral("the X server did not start");
            return false;
        }
        qputenv("DISPLAY", QByteArray(":") + number.c_str());
        // The window manager keeps its files in a home of its own.
        qputenv("HOME", m_home.path().toLocal8Bit());
        m_manager = spawn({"icewm"}, -1);
        return m_manager > 0;
    }

    ~XSession()
    {
        for (pid_t pid : {m_manager, m_server}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }

private:
    static pid_t spawn(std::initializer_list<const char*> arguments, int closeInChild)
    {
        std::vector<char*> argv;
        for (const char* a : arguments)
            argv.push_back(const_cast<char*>(a));
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(1);
            if (closeInChild >= 0)
                ::close(closeInChild);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }

    QTemporaryDir m_home;
    pid_t m_server = -1;
    pid_t m_manager = -1;
};

bool xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

QWidget* trayIconWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return w;
    return nullptr;
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menuEntries_data();
    void menuEntries();

private:
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<TestEnv::TimeScale> m_time;
    std::unique_ptr<DialogMain> m_window;
    QList<int> m_exitCodes;
};

void TestTray::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    // icewm takes the tray's selection a moment after it starts.
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 30000);
}

void TestTray::init()
{
    m_time = std::make_unique<TestEnv::TimeScale>(0.05);
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_exitCodes.clear();
    DialogMain::SetExitForTests([this](int code) { m_exitCodes << code; });
}

void TestTray::cleanup()
{
    m_window.reset();
    PostMsg::EndShutdown();
    DialogMain::SetExitForTests(nullptr);
    m_fixture.reset();
    m_time.reset();
}

void TestTray::menuEntries_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("entry"); // 0: show main window, 1: exit
    QTest::newRow("English, show") << 0 << 0;
    QTest::newRow("English, exit") << 0 << 1;
    QTest::newRow("Chinese, show") << 1 << 0;
    QTest::newRow("Chinese, exit") << 1 << 1;
}

void TestTray::menuEntries()
{
    QFETCH(int, language);
    QFETCH(int, entry);
    m_window = std::make_unique<DialogMain>(nullptr);
    CurrentLanguage.store(language);
    PostMsg::instance()->EmitAllLanguage(language);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    PostMsg::instance()->EmitChangeSize(MinimiseFromChoicePage);
    QVERIFY(!m_window->isVisible());
    // The tray has taken the icon in once the icon's window is on screen.
    QWidget* icon = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((icon = trayIconWindow()) && icon->windowHandle()
                                 && icon->windowHandle()->isExposed(),
                             20000);
    QPointer<QWidget> iconAlive(icon);
    const QString iconWindow = QString::number(icon->winId());

    // The entry is chosen from within whatever event loop runs while the menu is open, as a
    // user's click reaches a menu however the program waits for it.
    const QString expected = LangText(LangTable::DialogMainTexts, language, entry);
    QString chosen;
    QTimer chooser;
    chooser.setInterval(20);
    connect(&chooser, &QTimer::timeout, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible() || !menu->windowHandle() || !menu->windowHandle()->isExposed())
            return;
        chooser.stop();
        QAction* action = nullptr;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->text() == expected)
                action = a;
        if (!action)
            return;
        chosen = action->text();
        const QPoint at = menu->actionGeometry(action).center();
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(menu->winId()),
                 QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    });
    chooser.start();
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), iconWindow, QStringLiteral("4"),
                     QStringLiteral("4"), QStringLiteral("click"), QStringLiteral("3")}));

    if (entry == 0) {
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 20000);
        QCOMPARE(chosen, expected);
        // The icon leaves the tray once the window is back.
        QTRY_VERIFY(!m_window->findChild<QSystemTrayIcon*>()->isVisible());
        QVERIFY(m_exitCodes.isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(m_exitCodes, QList<int>{0}, 20000);
        QCOMPARE(chosen, expected);
        QVERIFY(PostMsg::ShuttingDown());
        QVERIFY(!m_window->isVisible());
    }
    QVERIFY(!iconAlive || !iconAlive->isVisible());
}

int main(int argc, char** argv)
{
    XSession session;
    QString why;
    if (!session.start(&why)) {
        std::fprintf(stderr, "tst_tray: %s\n", qPrintable(why));
        return 1;
    }
    Q_INIT_RESOURCE(resources);
    qputenv("QT_QPA_PLATFORM", "xcb");
    // As the program runs: without the X server's OpenGL set-up.
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    // The tray is the X11 one: no desktop bus offers another.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestTray tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_tray.moc"
