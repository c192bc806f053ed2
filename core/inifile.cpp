#include "core/inifile.h"

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

QVariant IniFile::value(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // pick up what another process wrote
    return s->value(key);
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

void IniFile::setValue(const QString& key, const QString& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->setValue(key, value);
    s->sync();
}
