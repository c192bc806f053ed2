#include "core/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {
QMutex& installMutex()
{
    static QMutex mutex;
    return mutex;
}
QString& installOverride()
{
    static QString folder;
    return folder;
}
// The installation does not move while the program runs: looked up once.
QString& installFound()
{
    static QString folder;
    return folder;
}
}

QString AppPaths::AppFolderName()
{
    return QStringLiteral("Vexo Gaming Mouse");
}

QString AppPaths::UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
        + AppFolderName();
}

QString AppPaths::UserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + AppFolderName();
}

QString AppPaths::InstallFolder()
{
    QMutexLocker lock(&installMutex());
    if (!installOverride().isEmpty())
        return installOverride();
    if (installFound().isEmpty()) {
        // Empty before the application object exists: nothing to look up from yet.
        const QString exeFolder = QCoreApplication::applicationDirPath();
        if (exeFolder.isEmpty())
            return QString();
        installFound() = InstallFolderFor(exeFolder);
    }
    return installFound();
}

void AppPaths::SetInstallFolder(const QString& folder)
{
    QMutexLocker lock(&installMutex());
    installOverride() = folder;
}

QString AppPaths::InstallFolderFor(const QString& exeFolder)
{
    if (QFileInfo(exeFolder + QStringLiteral("/usersetting/Config.ini")).isFile())
        return exeFolder;
    // Installed: the data's folder exists even when a file in it went missing.
    const QString shared = QDir::cleanPath(exeFolder + QStringLiteral("/../share/vexo"));
    if (QFileInfo(shared).isDir())
        return shared;
    return exeFolder;
}
