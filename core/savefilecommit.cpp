#include "core/savefilecommit.h"

#include <QSaveFile>

bool CommitSaveFile(QSaveFile& file)
{
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
