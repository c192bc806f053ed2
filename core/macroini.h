#ifndef MACROINI_H
#define MACROINI_H

#include "core/inifile.h"

#include <QString>

// Read/write accessor of the per-user preference file "/Macro.ini". Every write reaches the
// file at once, so a change survives an exit right after it. Safe to call from any thread.
class MacroIni
{
public:
    static MacroIni* instance();

    QString value(const QString& group, const QString& key);
    void setValue(const QString& group, const QString& key, const QString& value);

private:
    MacroIni();
    IniFile m_file;
};

#endif
