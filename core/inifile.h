#ifndef INIFILE_H
#define INIFILE_H

#include <QHash>
#include <QMap>
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

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
    bool contains(const QString& key);
    // Every key ("group/key") with its value, from one reading of the file.
    QHash<QString, QVariant> values();
    // Writes at once, the whole file replaced through one save (one sync); nothing when the
    // file already holds it.
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    // Removes the lock file that QSettings keeps beside path while it writes, when the writer
    // that left it is dead: at once when the file names a dead process, within about a second
    // when it is empty or torn. A lock of a live writer stays. True when no lock file remains.
    static bool ClearStaleLock(const QString& path);
    // Longest age of an unreadable lock file that may still belong to a writer that is
    // just writing it.
    static constexpr int kUnreadableLockMs = 1000;

private:
    QSettings* settingsLocked();
    void syncWriteLocked(QSettings* s);
    // Replaces the file with these values. False, nothing written, when a value is not text
    // or another writer's lock file is there (QSettings' own write handles both), or when
    // the save failed.
    bool replaceLocked(const QMap<QString, QVariant>& values);

    std::function<QString()> m_pathOf;
    QMutex m_mutex;
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};

#endif
