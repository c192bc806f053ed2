#include "device/screenclock.h"

#include "hidusb/HIDUsb.h"

#include <QDate>
#include <QTime>

#include <cstring>

Guarded<QStringList> FoundHidPaths;

namespace {

// The library's interface and device numbers of a screen device.
constexpr int ScreenInterfaceId = 1;
constexpr int ScreenDeviceId = 8;
// Bytes 0 to 6 (head, year, month, day) must come back unchanged.
constexpr int EchoedBytes = 7;

} // namespace

QByteArray ScreenClockPacket(const QDateTime& local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    QByteArray p(ScreenPacketLength, '\0');
    p[0] = char(0x0A);
    p[1] = char(0x00);
    p[2] = char(0x10);
    p[3] = char((date.year() >> 8) & 0xFF);
    p[4] = char(date.year() & 0xFF);
    p[5] = char(date.month());
    p[6] = char(date.day());
    p[7] = char(time.hour());
    p[8] = char(time.minute());
    p[9] = char(time.second());
    p[10] = char(date.dayOfWeek());
    p[ScreenPacketLength - 1] = char(ScreenCommandChecksum(p));
    return p;
}

quint8 ScreenCommandChecksum(const QByteArray& packet)
{
    quint8 sum = 0;
    for (int i = 0; i + 1 < packet.size(); ++i)
        sum = quint8(sum + quint8(packet.at(i)));
    return quint8(0x55 - sum);
}

bool ScreenReplyValid(const QByteArray& command, const QByteArray& reply)
{
    if (reply.size() != ScreenPacketLength || command.size() < EchoedBytes)
        return false;
    if (std::memcmp(reply.constData(), command.constData(), EchoedBytes) != 0)
        return false;
    return quint8(reply.at(ScreenPacketLength - 1)) == ScreenCommandChecksum(reply);
}

int FindScreenDevices()
{
    const QString vendor = HidVendorId.get();
    QStringList found;
    // The library is asked without the lock; the list is swapped in whole.
    for (const QString& id : HidProductIds.get())
        for (const QByteArray& path : FindPathsWithDeviceId(vendor, id, ScreenInterfaceId, ScreenDeviceId))
            found << QString::fromLatin1(path);
    FoundHidPaths.set(found);
    return found.size();
}

void ScreenDevicesHotplugCallback()
{
    FindScreenDevices();
}

std::optional<QByteArray> SendScreenCommand(QByteArray command)
{
    command.resize(ScreenPacketLength);
    command[ScreenPacketLength - 1] = char(ScreenCommandChecksum(command));
    QByteArray reply(ScreenPacketLength, '\0');
    for (int attempt = 0; attempt < ScreenExchangeAttempts; ++attempt) {
        // A device that writes nothing must not leave the last attempt's reply standing.
        reply.fill('\0');
        UsbFinderC_ReadWriteDeviceData(reinterpret_cast<const uint8_t*>(command.constData()),
                                       reinterpret_cast<uint8_t*>(reply.data()), uint8_t(ScreenPacketLength));
        if (ScreenReplyValid(command, reply))
            return reply;
    }
    return std::nullopt;
}

bool ScreenClockSync::Tick(const QDateTime& now)
{
    if (++m_ticks < ScreenClockTicksPerCommand)
        return false;
    m_ticks = 0;
    const QStringList paths = FoundHidPaths.get();
    // A device that has left is opened again when it is back.
    if (!paths.contains(QString::fromLatin1(m_openedPath)))
        m_openedPath.clear();
    if (paths.isEmpty())
        return false;
    const QByteArray first = paths.first().toLatin1();
    if (first != m_openedPath) {
        if (!UsbFinderC_OpenDevice(first.constData()))
            return false;
        m_openedPath = first;
    }
    // No answer: the handle may be stale (unplugged and back between two ticks); reopen next time.
    if (!SendScreenCommand(ScreenClockPacket(now)))
        m_openedPath.clear();
    return true;
}
