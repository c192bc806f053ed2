#include "configini.h"

#include "apppaths.h"

#include <QByteArray>
#include <QVariant>

static const char* const EncodedConfigKeys[] = {
    "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
    "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID",
};

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
    // A list value reads as an empty text here; valueList is its accessor.
    const QString text = m_file.value(group + QLatin1Char('/') + key).toString();
    return IsEncodedKey(key) ? DecodeText(text) : text;
}

QStringList ConfigIni::valueList(const QString& group, const QString& key)
{
    QStringList items = m_file.value(group + QLatin1Char('/') + key).toStringList();
    if (IsEncodedKey(key))
        for (QString& item : items)
            item = DecodeText(item);
    return items;
}
