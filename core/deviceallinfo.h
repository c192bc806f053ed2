#ifndef DEVICEALLINFO_H
#define DEVICEALLINFO_H

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

// One found device, copied by value into lists and signals.
class DeviceAllInfo
{
public:
    DeviceAllInfo() = default;

    // 1 when the mouse itself is on its cable, 0 when reached through a receiver (kinds 0, 1, 4, 5).
    static quint8 WiredForConnection(quint8 connectionType) { return (connectionType & 0xFA) != 0 ? 1 : 0; }
    // The model's MID, the high byte of CidMid.
    int Mid() const { return CidMid >> 8; }
    // "v" + major in decimal + "." + minor in hexadecimal, as the device reports versions.
    static QString VersionTextFor(quint32 version);

    // The library's bytes, passed back unchanged on every call.
    QByteArray Path;
    QString VidText = QStringLiteral("0");
    QString PidText = QStringLiteral("0");
    quint16 CidMid = 0;          // low byte CID, high byte MID
    quint8 ConnectionType = 0;
    quint32 DriveIndex = 0;      // section "Drive" + (DriveIndex + 1)
    quint8 Online = 0;
    quint8 Wired = 0;
    QString VersionText;         // USB release
    QString FirmwareVersionText;
    QList<quint8> ReceiverAddress;
};

Q_DECLARE_METATYPE(DeviceAllInfo)

#endif
