#ifndef INIFILE_H
#define INIFILE_H

#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// One INI file behind a lock, in UTF-8. The file's path is asked for on every access, so the
// accessor follows a changed installation or home folder (tests move both).
class IniFile
{
public:
    explicit IniFile(std::function<QString()> path);

    QVariant value(const QString& key);
    // Every key ("group/key") with its value, from one reading of the file.
    QHash<QString, QVariant> values();
    // Writes and syncs at once.
    void setValue(const QString& key, const QString& value);

private:
    QSettings* settingsLocked();

    std::function<QString()> m_pathOf;
    QMutex m_mutex;
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};

#endif
