#include "core/configini.h"

#include "core/apppaths.h"

#include <QByteArray>

#include <algorithm>

static const char* const EncodedConfigKeys[] = {
    "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
    "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID",
};

namespace {

QString textOf(const QString& key, const QVariant& stored)
{
    // A list value reads as an empty text here; valueList is its accessor.
    const QString text = stored.toString();
    return ConfigIni::IsEncodedKey(key) ? ConfigIni::DecodeText(text) : text;
}

QStringList listOf(const QString& key, const QVariant& stored)
{
    QStringList items = stored.toStringList();
    if (ConfigIni::IsEncodedKey(key))
        for (QString& item : items)
            item = ConfigIni::DecodeText(item);
    return items;
}

// n of a group named exactly "Drive" + QString::number(n), else 0.
int driveNumberOf(const QString& group)
{
    const QLatin1String prefix("Drive");
    if (!group.startsWith(prefix))
        return 0;
    const QString digits = group.mid(prefix.size());
    bool ok = false;
    const int n = digits.toInt(&ok);
    // "Drive01" or "Drive+1" is no section a lookup by number would ever read.
    return ok && QString::number(n) == digits ? n : 0;
}

} // namespace

ConfigIni::ConfigIni()
    : m_file([] { return AppPaths::InstallFolder() + QStringLiteral("/usersetting/Config.ini"); })
{
}

ConfigIni* ConfigIni::instance()
{
    static ConfigIni accessor; // thread-safe initialisation
    return &accessor;
}

bool ConfigIni::IsEncodedKey(const QString& key)
{
    for (const char* k : EncodedConfigKeys)
        if (key == QLatin1String(k))
            return true;
    return false;
}

QString ConfigIni::DecodeText(const QString& stored)
{
    QString text = QString::fromUtf8(QByteArray::fromBase64(stored.toUtf8()));
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char(' '));
    return text;
}

QString ConfigIni::value(const QString& group, const QString& key)
{
    return textOf(key, m_file.value(group + QLatin1Char('/') + key));
}

QStringList ConfigIni::valueList(const QString& group, const QString& key)
{
    return listOf(key, m_file.value(group + QLatin1Char('/') + key));
}

ConfigIni::Snapshot ConfigIni::snapshot()
{
    Snapshot s;
    s.m_values = m_file.values();
    for (auto it = s.m_values.constBegin(); it != s.m_values.constEnd(); ++it) {
        const int slash = it.key().indexOf(QLatin1Char('/'));
        const int n = slash > 0 ? driveNumberOf(it.key().left(slash)) : 0; // keys outside a group name none
        if (n >= 1)
            s.m_drives << n;
    }
    std::sort(s.m_drives.begin(), s.m_drives.end());
    s.m_drives.erase(std::unique(s.m_drives.begin(), s.m_drives.end()), s.m_drives.end());
    return s;
}

QString ConfigIni::Snapshot::value(const QString& group, const QString& key) const
{
    return textOf(key, m_values.value(group + QLatin1Char('/') + key));
}

QStringList ConfigIni::Snapshot::valueList(const QString& group, const QString& key) const
{
    return listOf(key, m_values.value(group + QLatin1Char('/') + key));
}

QVector<int> ConfigIni::Snapshot::driveSections(int total) const
{
    const auto end = std::upper_bound(m_drives.cbegin(), m_drives.cend(), total);
    return QVector<int>(m_drives.cbegin(), end);
}
