#include "core/userfolders.h"

#include "core/apppaths.h"
#include "core/savefilecommit.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

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
        QSaveFile file(macroIni);
        if (file.open(QIODevice::WriteOnly))
            CommitSaveFile(file);
    }
    RemoveInterruptedSaves(base);
    RemoveInterruptedSaves(AppPaths::UserConfigFolder());
}

void RemoveInterruptedSaves(const QString& folder)
{
    // A save writes "<target>.XXXXXX" beside its target and renames it into place: QSaveFile
    // does (named that way from the start, or, with O_TMPFILE, only for the moment of the
    // rename), and so does an INI file's save, whose copy QSettings writes through a
    // "<copy>.XXXXXX" of its own under the lock "<copy>.lock". A kill in between leaves them,
    // with or without a target (a first save, a leftover's own leftover). The six characters
    // are random letters (digits in other Qt versions), so any case goes: these folders hold
    // only the program's own files.
    static const QRegularExpression leftover(
        QRegularExpression::anchoredPattern(QStringLiteral(".+\\.[A-Za-z0-9]{6}(\\.lock)?")));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-60);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        // A younger one may belong to a save still running.
        if (leftover.match(entry.fileName()).hasMatch() && entry.lastModified().toUTC() < before)
            QFile::remove(entry.absoluteFilePath());
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
