#ifndef SAVEFILECOMMIT_H
#define SAVEFILECOMMIT_H

class QSaveFile;

// QSaveFile::commit() of Qt 5.15 renames the file into place even when its last buffered
// write failed (a full disk, a size limit), so a cut-off file would replace a good one. This
// flushes first and keeps the old file when anything failed. Every file the program writes
// through QSaveFile is committed here.
bool CommitSaveFile(QSaveFile& file);

#endif
