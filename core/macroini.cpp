#include "core/macroini.h"

#include "core/apppaths.h"

MacroIni::MacroIni()
    : m_file([] { return AppPaths::UserDataFolder() + QStringLiteral("/Macro.ini"); })
{
}

MacroIni* MacroIni::instance()
{
    static MacroIni accessor;
    return &accessor;
}

QString MacroIni::value(const QString& group, const QString& key)
{
    return m_file.value(group + QLatin1Char('/') + key).toString();
}

void MacroIni::setValue(const QString& group, const QString& key, const QString& value)
{
    m_file.setValue(group + QLatin1Char('/') + key, value);
}
