#ifndef USERFOLDERS_H
#define USERFOLDERS_H

#include <QString>
#include <QStringList>

// The per-user folders, in creation order, relative to the per-user folder.
QStringList UserFolderTree();
// Creates the missing folders of the tree and an empty "/Macro.ini" when there is none, and
// removes the temporary files of saves a kill interrupted.
void PrepareUserFolders();
// Removes, in folder and its sub-folders, the files an interrupted save leaves: regular files
// named "<name>.XXXXXX" (six ASCII letters or digits, of any case), also with ".lock" after
// them, last written more than a minute ago (a younger one may belong to a save still running).
void RemoveInterruptedSaves(const QString& folder);
// Removes the files of one folder that are more than seven whole days old; sub-folders stay.
void PurgeOldFiles(const QString& folder);

#endif
