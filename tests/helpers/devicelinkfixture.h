#ifndef DEVICELINKFIXTURE_H
#define DEVICELINKFIXTURE_H

#include "core/deviceallinfo.h"
#include "helpers/testenv.h"
#include "hidusb/flashdatamap.h"

#include "hidusb/hidsim.h"

#include <QByteArray>

#include <memory>

// A private HOME, an installation (the sample one unless a test copies it), an empty
// simulated bus and fresh device-link state; everything is stopped and cleared again at
// the end. Helpers add the sample devices and make one the chosen, fully read device.
class DeviceLinkFixture
{
public:
    explicit DeviceLinkFixture(TestEnv::Installation::Mode mode = TestEnv::Installation::Shared);
    ~DeviceLinkFixture();

    // Drive1 of the sample installation on its cable (CID 36, MID 1, kind 2).
    static HidSim::DeviceSpec CableMouse(const std::string& id = "m1");
    // Drive2 of the sample installation behind its 4 kHz receiver (kind 1).
    static HidSim::DeviceSpec ReceiverMouse(const std::string& id, const std::string& receiver);
    static HidSim::DeviceSpec Receiver(const std::string& id, const std::string& pid, int type,
                                       uint8_t a0, uint8_t a1, uint8_t a2);

    QByteArray add(const HidSim::DeviceSpec& device);
    // The device record discovery would make for a path (identified as the library answers).
    static DeviceAllInfo InfoFor(const QByteArray& path, quint8 cid, quint8 mid, quint8 kind, quint32 driveIndex);
    // Makes the device the chosen one, binds the service and marks DeviceConfig as its full
    // read with the device's stored record.
    void chooseFullyRead(const std::string& id, const DeviceAllInfo& info);

    // A record's bytes, for comparing records and what the device was sent.
    static QByteArray Bytes(const FlashDataMap& record);
    // The settings the simulated device holds in its active profile.
    static FlashDataMap StoredRecord(const std::string& id);

    TestEnv::TempHome& home() { return *m_home; }
    TestEnv::Installation& installation() { return *m_install; }

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

#endif
