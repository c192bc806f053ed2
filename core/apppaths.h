#ifndef APPPATHS_H
#define APPPATHS_H

#include <QString>

// Where the program's files live. Every reader and writer asks here.
class AppPaths
{
public:
    // "Vexo Gaming Mouse": names the per-user folder, the single-instance segment and the registry key.
    static QString AppFolderName();
    // The per-user folder: the generic data location + "/" + AppFolderName().
    static QString UserDataFolder();
    // The installation folder: the executable's folder unless set otherwise.
    static QString InstallFolder();
    static void SetInstallFolder(const QString& folder);
};

#endif
