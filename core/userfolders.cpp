#include "core/userfolders.h"

#include "core/apppaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList UserFolderTree()
{
    return {QStringLiteral("/Log"), QStringLiteral("/Device_Info"), QStringLiteral("/Exception"),
            QStringLiteral("/usersetting"), QStringLiteral("/usersetting/MainPage"),
            QStringLiteral("/usersetting/MacroPage"), QStringLiteral("/usersetting/SensorPage")};
}

void PrepareUserFolders()
{
    const QString base = AppPaths::UserDataFolder();
    for (const QString& sub : UserFolderTree()) {
        QDir dir(base + sub);
        if (!dir.exists())
            dir.mkpath(QStringLiteral("."));
    }
    const QString macroIni = base + QStringLiteral("/Macro.ini");
    if (!QFile::exists(macroIni)) {
        QFile file(macroIni);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.close();
    }
}

void PurgeOldFiles(const QString& folder)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            continue;
        const qint64 modified = entry.lastModified().toSecsSinceEpoch();
        if (modified > now)
            continue; // dated in the future: no age
        if ((now - modified) / 86400 > 7)
            QFile::remove(entry.absoluteFilePath());
    }
}
