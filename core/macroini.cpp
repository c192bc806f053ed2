#include "macroini.h"

#include "apppaths.h"

#include <QMutexLocker>
#include <QSettings>
#include <QVariant>

MacroIni* MacroIni::instance()
{
    static MacroIni accessor;
    return &accessor;
}

QSettings* MacroIni::settingsLocked()
{
    const QString path = AppPaths::UserDataFolder() + QStringLiteral("/Macro.ini");
    if (!m_settings || path != m_path) {
        m_path = path;
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        m_settings->setIniCodec("UTF-8");
    }
    return m_settings.get();
}

QString MacroIni::value(const QString& group, const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // pick up what another instance wrote
    return s->value(group + QLatin1Char('/') + key).toString();
}

void MacroIni::setValue(const QString& group, const QString& key, const QString& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->setValue(group + QLatin1Char('/') + key, value);
    s->sync();
}
