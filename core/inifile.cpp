#include "core/inifile.h"

#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>

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

void IniFile::syncWriteLocked(QSettings* s)
{
    ClearStaleLock(m_path);
    s->sync();
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

void IniFile::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->setValue(key, value);
    syncWriteLocked(s);
}

void IniFile::remove(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->remove(key);
    syncWriteLocked(s);
}
