#ifndef SCREENCLOCK_H
#define SCREENCLOCK_H

// Clock synchronisation of a device with a picture screen: every ten seconds the local date
// and time go to the first screen device found, as one 40-byte command exchanged raw with
// the opened device. Nothing in the program starts it.

#include "core/devicestate.h"
#include "device/devicediscovery.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The screen devices' paths as FindScreenDevices found them last.
extern Guarded<QStringList> FoundHidPaths;

constexpr int ScreenPacketLength = 40;
constexpr int ScreenExchangeAttempts = 5;
constexpr int ScreenClockTickMs = 200;
constexpr int ScreenClockTicksPerCommand = 50;

// The clock command for a local date and time, checksum included.
QByteArray ScreenClockPacket(const QDateTime& local);
// 0x55 minus the byte sum of everything but the last byte, modulo 256.
quint8 ScreenCommandChecksum(const QByteArray& packet);
// A reply repeats bytes 0 to 6 of the command and carries its own valid checksum.
bool ScreenReplyValid(const QByteArray& command, const QByteArray& reply);

// Rebuilds FoundHidPaths from the configured ids (HidVendorId, HidProductIds); returns the
// number of paths.
int FindScreenDevices();
// The same as the library's hot-plug callback.
void ScreenDevicesHotplugCallback();

// Completes the checksum and exchanges the command with the opened device, at most five
// times; the first valid reply, or none.
std::optional<QByteArray> SendScreenCommand(QByteArray command);

// The tick of the synchronisation: counts ticks and, every 50th, sends the clock to the first
// found device. A path is opened once while it stays found.
class ScreenClockSync
{
public:
    // Counter back to 0 (a start).
    void Restart() { m_ticks = 0; }
    // True when this tick exchanged a command (whatever the reply).
    bool Tick(const QDateTime& now);
    int Ticks() const { return m_ticks; }

private:
    int m_ticks = 0;
    QByteArray m_openedPath;
};

#endif
