#include "core/savefilecommit.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The mode open(2) gives a new file, 0666 less the umask; the kernel shows the umask in
// /proc/self/status (umask(2) would change it for every thread to read it).
mode_t NewFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray& line : lines) {
            bool ok = false;
            const uint umask = line.startsWith("Umask:") ? line.mid(6).trimmed().toUInt(&ok, 8) : 0;
            if (ok)
                return 0666 & ~umask;
        }
    }
    return 0600;
}

} // namespace

bool CommitSaveFile(QSaveFile& file)
{
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool OpenFileBeside(QTemporaryFile& file, const QString& target)
{
    file.setFileTemplate(target + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return false;
    struct stat info {};
    const mode_t mode =
        ::stat(QFile::encodeName(target).constData(), &info) == 0 ? info.st_mode & 0777 : NewFileMode();
    if (::fchmod(file.handle(), mode) == 0)
        return true;
    file.remove();
    return false;
}

bool CommitFileBeside(QTemporaryFile& file, const QString& target)
{
    file.close();
    // Another writer may have replaced the file under its name: synced through that name.
    const QString written = file.fileName();
    QFile data(written);
    // EINVAL: a file system that cannot sync; QSaveFile goes on there too.
    bool ok = data.open(QIODevice::ReadOnly) && (::fdatasync(data.handle()) == 0 || errno == EINVAL);
    data.close();
    ok = ok && std::rename(QFile::encodeName(written).constData(), QFile::encodeName(target).constData()) == 0;
    if (ok)
        file.setAutoRemove(false);
    else
        file.remove();
    return ok;
}
