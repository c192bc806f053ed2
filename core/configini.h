#ifndef CONFIGINI_H
#define CONFIGINI_H

#include "inifile.h"

#include <QString>
#include <QStringList>

// Read accessor of the installation's device description file "/usersetting/Config.ini".
// Some keys are stored as Base64 and come back decoded. Safe to call from any thread.
class ConfigIni
{
public:
    static ConfigIni* instance();

    QString value(const QString& group, const QString& key);
    QStringList valueList(const QString& group, const QString& key);

    static bool IsEncodedKey(const QString& key);
    static QString DecodeText(const QString& stored);

private:
    ConfigIni();
    IniFile m_file;
};

#endif
