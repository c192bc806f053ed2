#include "testenv.h"

#include "apppaths.h"
#include "hidsim.h"
#include "startup.h"
#include "timing.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace TestEnv {

QString BuiltInstallFolder()
{
    return QStringLiteral(VEXO_INSTALL_DIR);
}

QString SourceFolder()
{
    return QStringLiteral(VEXO_SOURCE_DIR);
}

static const char* const kHomeVars[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                       "XDG_RUNTIME_DIR"};

TempHome::TempHome()
{
    for (const char* var : kHomeVars)
        m_saved.insert(var, qgetenv(var));
    const QString home = m_dir.path();
    QDir(home).mkpath(QStringLiteral(".local/share"));
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral(".cache"));
    QDir(home).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                             | QFileDevice::ExeOwner);
    const auto vars = environment();
    for (auto it = vars.constBegin(); it != vars.constEnd(); ++it)
        qputenv(it.key().constData(), it.value());
}

TempHome::~TempHome()
{
    for (auto it = m_saved.constBegin(); it != m_saved.constEnd(); ++it) {
        if (it.value().isEmpty())
            qunsetenv(it.key().constData());
        else
            qputenv(it.key().constData(), it.value());
    }
}

QHash<QByteArray, QByteArray> TempHome::environment() const
{
    const QByteArray home = QFile::encodeName(m_dir.path());
    return {{"HOME", home},
            {"XDG_DATA_HOME", home + "/.local/share"},
            {"XDG_CONFIG_HOME", home + "/.config"},
            {"XDG_CACHE_HOME", home + "/.cache"},
            {"XDG_RUNTIME_DIR", home + "/runtime"}};
}

QString TempHome::userDataFolder() const
{
    return m_dir.path() + QStringLiteral("/.local/share/") + AppPaths::AppFolderName();
}

static void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(dst);
        else
            QFile::copy(src, dst);
    }
}

Installation::Installation(Mode mode)
    : m_previous(AppPaths::InstallFolder())
{
    if (mode == Shared) {
        m_path = BuiltInstallFolder();
    } else {
        m_path = m_dir.path();
        const QString from = BuiltInstallFolder();
        for (const QString& sub : {QStringLiteral("usersetting"), QStringLiteral("Language"),
                                   QStringLiteral("bin")})
            if (QDir(from + QLatin1Char('/') + sub).exists())
                copyTree(from + QLatin1Char('/') + sub, m_path + QLatin1Char('/') + sub);
        // The skin images are many and only read: link them instead of copying.
        QFile::link(from + QStringLiteral("/Picture"), m_path + QStringLiteral("/Picture"));
        for (const QString& file : QDir(from).entryList({QStringLiteral("*.h"), QStringLiteral("*.json")}, QDir::Files))
            QFile::copy(from + QLatin1Char('/') + file, m_path + QLatin1Char('/') + file);
    }
    AppPaths::SetInstallFolder(m_path);
}

Installation::~Installation()
{
    AppPaths::SetInstallFolder(m_previous == QCoreApplication::applicationDirPath() ? QString() : m_previous);
}

TimeScale::TimeScale(double factor)
    : m_previous(Timing::Scale())
{
    Timing::SetScale(factor);
}

TimeScale::~TimeScale()
{
    Timing::SetScale(m_previous);
}

SimulatedDevices::SimulatedDevices(Start start)
{
    HidSim::Reset(start == DefaultScenario ? HidSim::Start::Default : HidSim::Start::Empty);
}

SimulatedDevices::~SimulatedDevices()
{
    HidSim::Reset(HidSim::Start::Empty);
}

void AnswerNextModal(std::function<void(QWidget*)> answer, const char* className, int timeoutMs)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* clock = new QElapsedTimer;
    clock->start();
    const QByteArray wanted = className ? QByteArray(className) : QByteArray();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, wanted, timeoutMs]() {
        QWidget* modal = QApplication::activeModalWidget();
        const bool match = modal && modal->isVisible()
            && (wanted.isEmpty() || modal->inherits(wanted.constData()));
        if (match || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (match)
                answer(modal);
        }
    });
    timer->start(5);
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Child mode: watch the program's windows from inside its own event loop.
static void installWatcher()
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* reported = new QList<QPointer<QWidget>>;
    QObject::connect(timer, &QTimer::destroyed, [reported]() { delete reported; });
    QObject::connect(timer, &QTimer::timeout, [reported]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            QStringList texts;
            for (QLabel* label : modal->findChildren<QLabel*>())
                texts << label->text();
            std::printf("MODAL %s|%s\n", qPrintable(modal->objectName()), qPrintable(texts.join(QLatin1Char('|'))));
            std::fflush(stdout);
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && !reported->contains(w)) {
                reported->append(w);
                std::printf("SHOWN %s\n", qPrintable(w->objectName()));
                std::fflush(stdout);
            }
        }
    });
    timer->start(20);
}

int RunAppChildIfAsked(int argc, char** argv)
{
    if (argc < 2 || qstrcmp(argv[1], "--run-app") != 0)
        return -1;
    AppPaths::SetInstallFolder(BuiltInstallFolder());
    qAddPreRoutine(installWatcher);
    char* args[] = {argv[0], nullptr};
    int one = 1;
    return VexoMain(one, args);
}

} // namespace TestEnv
