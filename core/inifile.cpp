#include "core/inifile.h"

#include "core/savefilecommit.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>
#include <QSaveFile>

namespace {

// QSettings writes its own lock file beside the file (synced) before its save (synced
// again); the program is the only writer of its files, so it writes the INI text itself, in
// QSettings' escaping so that QSettings reads back the same keys and texts.

// Letters, digits, "_-." as they are; "/" as "\"; others as %XX or %UXXXX.
void appendEscapedKey(const QString& key, QByteArray& out)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const QChar c : key) {
        const ushort ch = c.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'
                   || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hex[ch / 16];
            out += hex[ch % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(ch >> shift) & 0xF];
        }
    }
}

// Control characters, quotes and backslashes escaped, the rest in UTF-8; in quotes when it
// holds ";", "," (a list otherwise) or "=", or starts or ends with a space.
void appendEscapedText(const QString& text, QByteArray& out)
{
    const int start = out.size();
    bool quotes = false;
    bool escapeNextIfHexDigit = false;
    QString plain;
    const auto flushPlain = [&]() {
        out += plain.toUtf8();
        plain.clear();
    };
    for (const QChar c : text) {
        const ushort ch = c.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            quotes = true;
        const bool hexDigit = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (escapeNextIfHexDigit && hexDigit) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        const char* escape = nullptr;
        switch (ch) {
        case '\a': escape = "\\a"; break;
        case '\b': escape = "\\b"; break;
        case '\f': escape = "\\f"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\t': escape = "\\t"; break;
        case '\v': escape = "\\v"; break;
        case '"': escape = "\\\""; break;
        case '\\': escape = "\\\\"; break;
        default: break;
        }
        if (escape || ch <= 0x1F)
            flushPlain();
        if (escape) {
            out += escape;
        } else if (ch <= 0x1F) {
            out += "\\x" + QByteArray::number(ch, 16);
            escapeNextIfHexDigit = true;
        } else {
            plain += c;
        }
    }
    flushPlain();
    if (quotes || (out.size() > start && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

// The file's text: one section per first part of the keys. False when a value is not text.
bool IniText(const QMap<QString, QVariant>& values, QByteArray* text)
{
    QMap<QString, QMap<QString, QString>> sections;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.value().userType() != QMetaType::QString)
            return false;
        const int slash = it.key().indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        QString value = it.value().toString();
        // A leading "@" marks a typed value in QSettings' files; a text one is doubled.
        if (value.startsWith(QLatin1Char('@')))
            value.prepend(QLatin1Char('@'));
        sections[section].insert(key, value);
    }
    text->clear();
    for (auto section = sections.constBegin(); section != sections.constEnd(); ++section) {
        QByteArray name;
        appendEscapedKey(section.key(), name);
        if (name.isEmpty())
            name = "General";
        else if (name.compare("general", Qt::CaseInsensitive) == 0)
            name = "%General";
        if (section != sections.constBegin())
            *text += '\n';
        *text += '[' + name + "]\n";
        for (auto entry = section.value().constBegin(); entry != section.value().constEnd(); ++entry) {
            appendEscapedKey(entry.key(), *text);
            *text += '=';
            appendEscapedText(entry.value(), *text);
            *text += '\n';
        }
    }
    return true;
}

QMap<QString, QVariant> AllValues(QSettings* s)
{
    QMap<QString, QVariant> all;
    const QStringList keys = s->allKeys();
    for (const QString& key : keys)
        all.insert(key, s->value(key));
    return all;
}

} // namespace

IniFile::IniFile(std::function<QString()> path)
    : m_pathOf(std::move(path))
{
}

QSettings* IniFile::settingsLocked()
{
    const QString path = m_pathOf();
    if (!m_settings || path != m_path) {
        m_path = path;
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        m_settings->setIniCodec("UTF-8");
    }
    return m_settings.get();
}

bool IniFile::ClearStaleLock(const QString& path)
{
    // The name QSettings locks while it writes (QLockFile, stale only after 30 s).
    QLockFile probe(QFileInfo(path).absoluteFilePath() + QStringLiteral(".lock"));
    probe.setStaleLockTime(kUnreadableLockMs);
    // Takes a free name, or removes one naming a dead process and takes it.
    if (probe.tryLock(0)) {
        probe.unlock();
        return true;
    }
    qint64 pid = 0;
    QString host, app;
    if (probe.error() != QLockFile::LockFailedError || probe.getLockInfo(&pid, &host, &app))
        return false; // a live writer: QSettings waits for it
    // Empty or torn: its writer died while writing it, or is writing it right now. Once it is
    // older than the short stale time it goes; a live holder's flock keeps it.
    if (probe.tryLock(kUnreadableLockMs + kUnreadableLockMs / 2)) {
        probe.unlock();
        return true;
    }
    return false;
}

void IniFile::syncWriteLocked(QSettings* s)
{
    ClearStaleLock(m_path);
    s->sync();
}

QVariant IniFile::value(const QString& key, const QVariant& defaultValue)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // pick up what another process wrote
    return s->value(key, defaultValue);
}

bool IniFile::contains(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync();
    return s->contains(key);
}

QHash<QString, QVariant> IniFile::values()
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // once; the values below come from what it read
    QHash<QString, QVariant> all;
    const QStringList keys = s->allKeys();
    for (const QString& key : keys)
        all.insert(key, s->value(key));
    return all;
}

bool IniFile::replaceLocked(const QMap<QString, QVariant>& values)
{
    QByteArray text;
    if (QFileInfo::exists(m_path + QStringLiteral(".lock")) || !IniText(values, &text))
        return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QDateTime before = QFileInfo(m_path).lastModified();
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(text);
    if (!CommitSaveFile(out))
        return false;
    // QSettings knows a file it has read by its size and its time to the millisecond: a new
    // text of the same size written within that millisecond would read as the old one.
    if (before.isValid() && QFileInfo(m_path).lastModified() <= before) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(before.addMSecs(1), QFileDevice::FileModificationTime);
    }
    // Read anew on the next access: the file changed behind QSettings.
    m_settings.reset();
    return true;
}

void IniFile::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync(); // what another process wrote
    if (s->contains(key) && s->value(key) == value)
        return;
    QMap<QString, QVariant> all = AllValues(s);
    all.insert(key, value);
    if (replaceLocked(all))
        return;
    s->setValue(key, value);
    syncWriteLocked(s);
}

void IniFile::remove(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    QSettings* s = settingsLocked();
    s->sync();
    // The key and everything under it, as QSettings::remove.
    QMap<QString, QVariant> all = AllValues(s);
    bool removed = false;
    for (auto it = all.begin(); it != all.end();) {
        if (key.isEmpty() || it.key() == key || it.key().startsWith(key + QLatin1Char('/'))) {
            it = all.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    if (!removed || replaceLocked(all))
        return;
    s->remove(key);
    syncWriteLocked(s);
}
