#ifndef CONFIGINI_H
#define CONFIGINI_H

#include "core/inifile.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Read accessor of the installation's device description file "/usersetting/Config.ini".
// Some keys are stored as Base64 and come back decoded. Safe to call from any thread.
class ConfigIni
{
public:
    // The whole file as one reading saw it. A hot-plug notice reads everything from one of
    // these, so it parses the file once and sees one state of it.
    class Snapshot
    {
    public:
        QString value(const QString& group, const QString& key) const;
        QStringList valueList(const QString& group, const QString& key) const;
        // n of every section "Drive<n>" the file has with 1 <= n <= total, ascending.
        QVector<int> driveSections(int total) const;

    private:
        friend class ConfigIni;
        QHash<QString, QVariant> m_values; // by "group/key"
        QVector<int> m_drives;             // ascending, no repeats
    };

    static ConfigIni* instance();

    // Each call reads the file again, so it follows changes made by another process.
    QString value(const QString& group, const QString& key);
    QStringList valueList(const QString& group, const QString& key);
    Snapshot snapshot();

    static bool IsEncodedKey(const QString& key);
    static QString DecodeText(const QString& stored);

private:
    ConfigIni();
    IniFile m_file;
};

#endif
