#include "startup.h"

#include "apppaths.h"
#include "dialogmain.h"
#include "exeisrun.h"
#include "singleinstanceguard.h"

#include <QApplication>
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

int VexoMain(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    PrepareUserFolders();
    const QString base = AppPaths::UserDataFolder();
    PurgeOldFiles(base + QStringLiteral("/Log"));
    PurgeOldFiles(base + QStringLiteral("/Exception"));

    QApplication app(argc, argv);

    // Kept until the process ends, so the segment lives as long as this instance.
    static SingleInstanceGuard* guard = new SingleInstanceGuard(AppPaths::AppFolderName());
    if (guard->AnotherInstanceRuns()) {
        ExeIsRun* notice = new ExeIsRun(nullptr);
        notice->exec();
        delete notice;
        return 0;
    }

    // Not deleted before the process ends; the static keeps it reachable.
    static DialogMain* window = nullptr;
    window = new DialogMain(nullptr);
    window->show();
    return app.exec();
}
