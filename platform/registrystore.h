#ifndef REGISTRYSTORE_H
#define REGISTRYSTORE_H

#include "core/inifile.h"

#include <QString>
#include <QVariant>

// The Windows registry keys the program uses, kept as groups of one INI file under the
// user's config folder. A key path such as "HKEY_CURRENT_USER\Software\A\B" becomes a group;
// each write is synced at once. Safe to call from any thread.
class RegistryStore
{
public:
    static RegistryStore* instance();

    // The program's own key: "HKEY_CURRENT_USER\Software\<app>\<app>\Mouse Drive Test".
    static QString ProgramKey();

    QVariant value(const QString& key, const QString& name, const QVariant& defaultValue = QVariant());
    void setValue(const QString& key, const QString& name, const QVariant& value);
    void remove(const QString& key, const QString& name);
    bool contains(const QString& key, const QString& name);

    // The file behind the store, in AppPaths::UserConfigFolder().
    static QString FilePath();

private:
    RegistryStore();
    static QString GroupFor(const QString& key, const QString& name);
    IniFile m_file;
};

#endif
