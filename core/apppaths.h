#ifndef APPPATHS_H
#define APPPATHS_H

#include <QString>

// Where the program's files live. Every reader and writer asks here.
class AppPaths
{
public:
    // "Vexo Gaming Mouse": names the per-user folder, the single-instance lock and the registry key.
    static QString AppFolderName();
    // The per-user folder: the generic data location + "/" + AppFolderName().
    static QString UserDataFolder();
    // The per-user config folder: the generic config location + "/" + AppFolderName().
    static QString UserConfigFolder();
    // The installation folder: the one set with SetInstallFolder, else InstallFolderFor() the
    // executable's folder.
    static QString InstallFolder();
    static void SetInstallFolder(const QString& folder);
    // The data of a program in exeFolder: beside it (the build folder's dist/) or, installed,
    // in <prefix>/share/vexo. When neither holds usersetting/Config.ini: the installed folder if
    // it exists, else exeFolder, so that messages name where the data was expected.
    static QString InstallFolderFor(const QString& exeFolder);
};

#endif
