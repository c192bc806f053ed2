#include "core/inifile.h"

#include "core/savefilecommit.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>
#include <QTemporaryFile>

IniFile::IniFile(std::function<QString()> path)
    : m_pathOf(std::move(path))
{
}

QSettings* IniFile::settingsLocked()
{
    const QString path = m_pathOf();
    if (!m_settings || path != m_path) {
        m_path = path;
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        m_settings->setIniCodec("UTF-8");
    }
    return m_settings.get();
}

bool IniFile::ClearStaleLock(const QString& path)
{
    // The name QSettings locks while it writes (QLockFile, stale only after 30 s).
    QLockFile probe(QFileInfo(path).absoluteFilePath() + QStringLiteral(".lock"));
    probe.setStaleLockTime(kUnreadableLockMs);
    // Takes a free name, or removes one naming a dead process and takes it.
    if (probe.tryLock(0)) {
        probe.unlock();
        return true;
    }
    qint64 pid = 0;
    QString host, app;
    if (probe.error() != QLockFile::LockFailedError || probe.getLockInfo(&pid, &host, &app))
        return false; // a live writer: QSettings waits for it
    // Empty or torn: its writer died while writing it, or is writing it right now. Once it is
    // older than the short stale time it goes; a live holder's flock keeps it.
    if (probe.tryLock(kUnreadableLockMs + kUnreadableLockMs / 2)) {
        probe.unlock();
        return true;
    }
    return false;
}

QVariant IniFile::value(const QString& key, const QVariant& defaultValue)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // pick up what another process wrote
    return s->value(key, defaultValue);
}

bool IniFile::contains(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync();
    return s->contains(key);
}

QHash<QString, QVariant> IniFile::values()
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // once; the values below come from what it read
    QHash<QString, QVariant> all;
    const QStringList keys = s->allKeys();
    for (const QString& key : keys)
        all.insert(key, s->value(key));
    return all;
}

void IniFile::saveLocked(const std::function<void(QSettings&)>& change)
{
    // A lock file beside the file is another writer's (QSettings locks so while it writes): a
    // dead one's goes, a live one is waited for and kept out until the copy is in place.
    const QString lockName = m_path + QStringLiteral(".lock");
    QLockFile peer(lockName);
    if (QFileInfo::exists(lockName) && !ClearStaleLock(m_path) && !peer.lock())
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings* s = settingsLocked();
    s->sync(); // what a writer waited for wrote
    QTemporaryFile copy;
    if (!OpenFileBeside(copy, m_path))
        return;
    copy.close();
    {
        // The current values go in as the reader decoded them (files of earlier versions hold
        // UTF-8 text); QSettings writes them in its plain form, ASCII with every other
        // character escaped: with a text codec, Qt 5 writes a text one UTF-16 unit at a time
        // and loses the characters beyond the first plane.
        QSettings writer(copy.fileName(), QSettings::IniFormat);
        const QStringList keys = s->allKeys();
        for (const QString& key : keys)
            writer.setValue(key, s->value(key));
        change(writer);
        writer.sync();
        if (writer.status() != QSettings::NoError)
            return;
    }
    const QDateTime before = QFileInfo(m_path).lastModified();
    if (!CommitFileBeside(copy, m_path))
        return;
    // QSettings knows a file it has read by its size and its time to the millisecond: a new
    // text of the same size written within that millisecond would read as the old one.
    if (before.isValid() && QFileInfo(m_path).lastModified() <= before) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(before.addMSecs(1), QFileDevice::FileModificationTime);
    }
    // Read anew on the next access: the file changed behind QSettings.
    m_settings.reset();
}

void IniFile::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // what another process wrote
    // QSettings ignores an empty key.
    if (key.isEmpty() || (s->contains(key) && s->value(key) == value))
        return;
    saveLocked([&key, &value](QSettings& writer) { writer.setValue(key, value); });
}

void IniFile::remove(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync();
    // The key and everything under it, as QSettings reads the key.
    s->beginGroup(key);
    const bool under = !s->allKeys().isEmpty();
    s->endGroup();
    if (!under && !s->contains(key))
        return;
    saveLocked([&key](QSettings& writer) { writer.remove(key); });
}
