#ifndef USERFOLDERS_H
#define USERFOLDERS_H

#include <QString>
#include <QStringList>

// The per-user folders, in creation order, relative to the per-user folder.
QStringList UserFolderTree();
// Creates the missing folders of the tree and an empty "/Macro.ini" when there is none.
void PrepareUserFolders();
// Removes the files of one folder that are more than seven whole days old; sub-folders stay.
void PurgeOldFiles(const QString& folder);

#endif
