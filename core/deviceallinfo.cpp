#include "core/deviceallinfo.h"

QString DeviceAllInfo::VersionTextFor(quint32 version)
{
    return QStringLiteral("v") + QString::number(version >> 8) + QStringLiteral(".")
        + QString::number(version & 0xFF, 16);
}
