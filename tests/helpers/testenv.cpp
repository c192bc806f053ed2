#include "helpers/testenv.h"

#include "core/apppaths.h"
#include "core/timing.h"
#include "hidusb/hidsim.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <memory>

namespace TestEnv {

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteDatedFile(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1 && file.flush()
        && file.setFileTime(modified, QFileDevice::FileModificationTime);
}

void EmitFromThread(const std::function<void()>& emitter)
{
    std::unique_ptr<QThread> thread(QThread::create(emitter));
    thread->start();
    QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), 10000);
    thread->wait();
}

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
    // The simulated devices' state file may still be on its way into this HOME.
    HidSim::Flush();
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

} // namespace TestEnv
