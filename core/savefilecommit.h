#ifndef SAVEFILECOMMIT_H
#define SAVEFILECOMMIT_H

class QSaveFile;
class QString;
class QTemporaryFile;

// QSaveFile::commit() of Qt 5.15 renames the file into place even when its last buffered
// write failed (a full disk, a size limit), so a cut-off file would replace a good one. This
// flushes first and keeps the old file when anything failed. Every file the program writes
// through QSaveFile is committed here.
bool CommitSaveFile(QSaveFile& file);

// A file that is written by name (QSettings writes so) cannot be a QSaveFile: it is made
// beside its target as "<target>.XXXXXX", the name QSaveFile gives its own (start-up knows
// such a name as a save's leftover), with the target's permissions or, for a new target, those
// QSaveFile would give it. Open on return; false when it could not be made.
bool OpenFileBeside(QTemporaryFile& file, const QString& target);
// Puts the file made by OpenFileBeside, once written and on the disk, in place of target in
// one rename. On any error the old target stays and the file goes.
bool CommitFileBeside(QTemporaryFile& file, const QString& target);

#endif
