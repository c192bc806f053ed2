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
    // Qt 5.15 names the temporary file of a save "<target>.XXXXXX", six random ASCII letters
    // (written that way from the start, or, with O_TMPFILE, only for the moment of the rename).
    // Both cases are demanded: a word such as "backup" beside a file is somebody's own copy.
    static const QRegularExpression temporary(
        QRegularExpression::anchoredPattern(QStringLiteral("(.+)\\.[A-Za-z]{6}")));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-60);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        const QRegularExpressionMatch match = temporary.match(entry.fileName());
        if (!match.hasMatch() || entry.lastModified().toUTC() >= before)
            continue;
        const QString letters = entry.fileName().right(6);
        if (letters == letters.toLower() || letters == letters.toUpper())
            continue;
        const QFileInfo target(entry.absolutePath() + QLatin1Char('/') + match.captured(1));
        if (target.isFile() && !target.isSymLink())
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
