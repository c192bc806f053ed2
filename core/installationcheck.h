#ifndef INSTALLATIONCHECK_H
#define INSTALLATIONCHECK_H

// A broken installation otherwise shows only as empty windows, no mouse or lost settings:
// the start names each broken file or folder instead.

#include <QString>
#include <QStringList>

class QIODevice;

// One message per broken file or folder, naming it: usersetting/Config.ini or a language file
// (Language/0-Spanish.xml, Language/Net.xml) of installFolder missing or unreadable, its Picture
// folder missing, userFolder or a folder of its tree that is not a writable folder (only the
// topmost of a broken branch).
QStringList InstallationProblems(const QString& installFolder, const QString& userFolder);

// Writes each problem once to errors and, when logFolder can be written, to a new file there.
void ReportInstallationProblems(const QStringList& problems, QIODevice* errors, const QString& logFolder);

// Checks this program's installation and per-user folders; reports on standard error and in
// the per-user Log folder.
void CheckInstallation();

#endif
