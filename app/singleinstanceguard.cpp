#include "app/singleinstanceguard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(const QString& key)
    : m_path(LockFilePath(key))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstanceGuard::LockFilePath(const QString& key)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath(); // the name still carries the user id
    const QByteArray home = QFile::encodeName(QDir::homePath());
    const QByteArray homeHash = QCryptographicHash::hash(home, QCryptographicHash::Sha256).toHex().left(16);
    return folder + QLatin1Char('/') + key + QLatin1Char('-') + QString::number(::getuid()) + QLatin1Char('-')
        + QString::fromLatin1(homeHash) + QStringLiteral(".lock");
}

bool SingleInstanceGuard::AnotherInstanceRuns()
{
    if (m_fd >= 0)
        return false;
    // Never unlinked: removing a lock file another start has just opened would let two run.
    // Close-on-exec, so a program started from here does not inherit the lock.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false; // no guard to be had: run
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_fd = fd;
        return false;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held; // any other failure: no guard to be had, run
}
