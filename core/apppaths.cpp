#include "core/apppaths.h"

#include <QCoreApplication>
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

QString AppPaths::InstallFolder()
{
    {
        QMutexLocker lock(&installMutex());
        if (!installOverride().isEmpty())
            return installOverride();
    }
    return QCoreApplication::applicationDirPath();
}

void AppPaths::SetInstallFolder(const QString& folder)
{
    QMutexLocker lock(&installMutex());
    installOverride() = folder;
}
