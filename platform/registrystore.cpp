#include "platform/registrystore.h"

#include "core/apppaths.h"

// The file follows the current HOME: IniFile asks for the path on every access.
RegistryStore::RegistryStore()
    : m_file(&RegistryStore::FilePath)
{
}

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
    return AppPaths::UserConfigFolder() + QStringLiteral("/registry.ini");
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

QVariant RegistryStore::value(const QString& key, const QString& name, const QVariant& defaultValue)
{
    return m_file.value(GroupFor(key, name), defaultValue);
}

void RegistryStore::setValue(const QString& key, const QString& name, const QVariant& value)
{
    m_file.setValue(GroupFor(key, name), value);
}

void RegistryStore::remove(const QString& key, const QString& name)
{
    m_file.remove(GroupFor(key, name));
}

bool RegistryStore::contains(const QString& key, const QString& name)
{
    return m_file.contains(GroupFor(key, name));
}
