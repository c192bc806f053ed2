#ifndef INSTALLATIONCHECK_H
#define INSTALLATIONCHECK_H

// A broken installation otherwise shows only as empty windows, no mouse or lost settings:
// the start names each broken file or folder instead.

#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// One broken file or folder.
struct InstallationProblem
{
    // A file or folder of the installation (reinstalling mends it), or a per-user folder.
    bool userFolder = false;
    // What a user is shown: an installation entry relative to the installation folder
    // ("Language/Net.xml"), a per-user folder in full.
    QString shown;
    // One English line naming the full path and what follows, for standard error and the log.
    QString message;
};

// The broken files and folders: a file the program reads from installFolder (usersetting/
// Config.ini, driver_sensor.h, the language files Language/0-Spanish.xml and Language/Net.xml,
// and noticeFiles, the second-start notice's own language files relative to installFolder)
// missing or unreadable, its Picture folder missing, userFolder or a folder of its tree that is
// not a writable folder (only the topmost of a broken branch).
QVector<InstallationProblem> InstallationProblems(const QString& installFolder, const QString& userFolder,
                                                  const QStringList& noticeFiles = {});

// Writes each problem once to errors and, when logFolder can be written, to a new file there.
void ReportInstallationProblems(const QStringList& problems, QIODevice* errors, const QString& logFolder);

// Checks this program's installation (with noticeFiles) and per-user folders, reports
// on standard error and in the per-user Log folder, and returns the problems for the window.
QVector<InstallationProblem> CheckInstallation(const QStringList& noticeFiles = {});

#endif
