#include "core/installationcheck.h"

#include "core/apppaths.h"
#include "core/savefilecommit.h"
#include "core/userfolders.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

namespace {

QString unreadableFile(const QString& path, const QString& consequence)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("Missing file %1: %2.").arg(path, consequence);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read file %1 (%2): %3.").arg(path, file.errorString(), consequence);
    return QString();
}

QString unwritableFolder(const QString& path)
{
    const QString consequence = QStringLiteral("settings, macros and logs are not saved");
    const QFileInfo info(path);
    if (!info.isDir())
        return QStringLiteral("Cannot create folder %1: %2.").arg(path, consequence);
    if (!info.isWritable())
        return QStringLiteral("Cannot write in folder %1: %2.").arg(path, consequence);
    return QString();
}

} // namespace

QVector<InstallationProblem> InstallationProblems(const QString& installFolder, const QString& userFolder,
                                                  const QStringList& noticeFiles)
{
    QVector<InstallationProblem> problems;
    const auto addFile = [&](const QString& name, const QString& consequence) {
        const QString message = unreadableFile(installFolder + QLatin1Char('/') + name, consequence);
        if (!message.isEmpty())
            problems.append({false, name, message});
    };
    addFile(QStringLiteral("usersetting/Config.ini"), QStringLiteral("no mouse can be recognised"));
    addFile(QStringLiteral("driver_sensor.h"), QStringLiteral("the sensor settings cannot be shown"));
    for (const QString& name : {QStringLiteral("Language/0-Spanish.xml"), QStringLiteral("Language/Net.xml")})
        addFile(name, QStringLiteral("windows show no texts"));
    for (const QString& name : noticeFiles)
        addFile(name, QStringLiteral("the notice of a second start falls back to other texts"));
    const QString pictures = installFolder + QStringLiteral("/Picture");
    if (!QFileInfo(pictures).isDir())
        problems.append({false, QStringLiteral("Picture"),
                         QStringLiteral("Missing folder %1: windows are drawn without their images.").arg(pictures)});

    // A folder that cannot be made leaves its whole branch missing: name only its top.
    QStringList broken;
    QStringList folders{userFolder};
    for (const QString& sub : UserFolderTree())
        folders << userFolder + sub;
    for (const QString& folder : folders) {
        const bool underBroken = std::any_of(broken.cbegin(), broken.cend(), [&](const QString& top) {
            return folder.startsWith(top + QLatin1Char('/'));
        });
        if (underBroken)
            continue;
        const QString message = unwritableFolder(folder);
        if (!message.isEmpty()) {
            broken << folder;
            problems.append({true, folder, message});
        }
    }
    return problems;
}

void ReportInstallationProblems(const QStringList& problems, QIODevice* errors, const QString& logFolder)
{
    QStringList unique = problems;
    unique.removeDuplicates();
    if (unique.isEmpty())
        return;
    for (const QString& problem : unique)
        errors->write("vexo: " + problem.toLocal8Bit() + '\n');
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QSaveFile log(logFolder + QStringLiteral("/installation_") + stamp + QStringLiteral(".txt"));
    // No Log folder to write in is itself one of the problems: standard error has said it.
    if (!log.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    log.write(unique.join(QLatin1Char('\n')).toUtf8() + '\n');
    CommitSaveFile(log);
}

QVector<InstallationProblem> CheckInstallation(const QStringList& noticeFiles)
{
    const QString userFolder = AppPaths::UserDataFolder();
    const QVector<InstallationProblem> problems =
        InstallationProblems(AppPaths::InstallFolder(), userFolder, noticeFiles);
    QStringList messages;
    for (const InstallationProblem& problem : problems)
        messages << problem.message;
    QFile errors;
    if (errors.open(stderr, QIODevice::WriteOnly)) {
        ReportInstallationProblems(messages, &errors, userFolder + QStringLiteral("/Log"));
        errors.flush();
    }
    return problems;
}
