#include "platform/registrystore.h"

#include "core/apppaths.h"

#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

RegistryStore* RegistryStore::instance()
{
    static RegistryStore store;
    return &store;
}

QString RegistryStore::ProgramKey()
{
    const QString app = AppPaths::AppFolderName();
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + app + QLatin1Char('\\') + app
        + QStringLiteral("\\Mouse Drive Test");
}

QString RegistryStore::FilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + AppPaths::AppFolderName() + QStringLiteral("/registry.ini");
}

QString RegistryStore::GroupFor(const QString& key, const QString& name)
{
    QString group = key;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A value name may hold characters that QSettings treats as separators.
    QString safeName = name;
    safeName.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return group + QLatin1Char('/') + safeName;
}

// A fresh QSettings per call: the file follows the current HOME, and calls are rare.
QVariant RegistryStore::value(const QString& key, const QString& name, const QVariant& defaultValue)
{
    QMutexLocker lock(&m_mutex);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setIniCodec("UTF-8");
    return s.value(GroupFor(key, name), defaultValue);
}

void RegistryStore::setValue(const QString& key, const QString& name, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setIniCodec("UTF-8");
    s.setValue(GroupFor(key, name), value);
    s.sync();
}

void RegistryStore::remove(const QString& key, const QString& name)
{
    QMutexLocker lock(&m_mutex);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setIniCodec("UTF-8");
    s.remove(GroupFor(key, name));
    s.sync();
}

bool RegistryStore::contains(const QString& key, const QString& name)
{
    QMutexLocker lock(&m_mutex);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setIniCodec("UTF-8");
    return s.contains(GroupFor(key, name));
}
