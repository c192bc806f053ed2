#ifndef INIFILE_H
#define INIFILE_H

#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// One INI file behind a lock, read as UTF-8 and written by QSettings in its plain form (ASCII,
// other characters escaped). The file's path is asked for on every access, so the accessor
// follows a changed installation or home folder (tests move both).
class IniFile
{
public:
    explicit IniFile(std::function<QString()> path);

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
    bool contains(const QString& key);
    // Every key ("group/key") with its value, from one reading of the file.
    QHash<QString, QVariant> values();
    // Write at once, as QSettings would (keys in its normal form), the whole file replaced
    // through one save; nothing when the file already holds the value or lacks the key.
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
    // Writes the file's values and change() into a copy beside it through QSettings and puts
    // the copy in place: one save, in Qt's escaping and key forms. The file stays as it was
    // on any error.
    void saveLocked(const std::function<void(QSettings&)>& change);

    std::function<QString()> m_pathOf;
    QMutex m_mutex;
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};

#endif
