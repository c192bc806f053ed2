#ifndef DEVICEDISCOVERY_H
#define DEVICEDISCOVERY_H

// Finding the configured devices: the device choice page's hot-plug notice rebuilds
// FoundDeviceList and DevicePageList from the library's paths, identifies each device by its
// CID, MID and connection kind, and refreshes its presence and receiver address.

#include "core/configini.h"
#include "core/deviceallinfo.h"
#include "core/devicestate.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>

extern Guarded<DeviceList> DevicePageList;
extern Guarded<QStringList> WirelessPidList;
extern Guarded<QStringList> Wireless2PidList;
extern Guarded<QStringList> Wireless4PidList;
extern Guarded<QStringList> Wireless8PidList;
// "Option"/"DeviceTotal" as read when the device choice page was built; the DriveIndex of
// an unidentified device.
extern std::atomic<int> ConfigDeviceTotal;
// The vendor id and the product ids of the latest hot-plug run; the screen clock's device
// search uses them.
extern Guarded<QString> HidVendorId;
extern Guarded<QStringList> HidProductIds;

// The device choice page rebuilds its buttons through this hook.
void SetRebuildDeviceListHook(std::function<void()> hook);
// The settings page's repair dialog: whether it is shown, and whether its upgrade runs.
void SetRepairDialogVisibleHook(std::function<bool()> hook);
extern std::atomic<bool> RepairUpgradeRunning;
bool RepairDialogVisible();

// The hot-plug notice of the device choice page. The library's call is marshalled onto the
// GUI thread (repeats coalesced); the work itself runs there.
void DevicePageHotplugCallback();
// What is registered with the library.
void DevicePageHotplugNotice();

// The ones taking a Config.ini snapshot read nothing else of the file.
// The configured devices at the library's paths, identified, in the order found.
DeviceList EnumerateDevices(const QString& vendorId, const QVector<QString>& productIds,
                            const ConfigIni::Snapshot& config);
bool FindDeviceInConfig(DeviceAllInfo& device, const ConfigIni::Snapshot& config);
void RefreshDeviceOnline(int index);
// Identifies one listed entry again and refreshes its presence; the entry stays listed.
void ReidentifyDevice(int index);

// Shared by both enumerations.
QVector<QString> ConfiguredProductIds(const ConfigIni::Snapshot& config);
// Paths of one product id, as the library returned them (count preset to 5).
QList<QByteArray> FindPaths(const QString& vendorId, const QString& productId, bool byDeviceId);
// The paths of one product's HID interface with that device id (at most five).
QList<QByteArray> FindPathsWithDeviceId(const QString& vendorId, const QString& productId, int interfaceId,
                                        int deviceId);
// A fresh record for a path: ids, release text, offline.
DeviceAllInfo NewDeviceRecord(const QByteArray& path, const QString& vendorId, const QString& productId);

// Result of asking a device who it is. The sections "Drive<n>" the file has with
// n <= "Option"/"DeviceTotal" are tried in ascending n; the first match wins.
struct DeviceIdentity {
    quint8 cid = 0;
    quint8 mid = 0;
    quint8 kind = 0;
    int section = -1;        // matching 0-based section, -1 for none
    bool answered = false;   // CID or MID non-zero
};
enum class DeviceMatch {
    Section,      // a device section of Config.ini
    Unidentified, // listed with DriveIndex = DeviceTotal
    NotListed     // identified, but no section and no unidentified slot (DeviceTotal <= 0)
};
// Fills Wired, CidMid, ConnectionType and DriveIndex of a record from a device's answer, as
// both enumerations do.
DeviceMatch ApplyIdentity(DeviceAllInfo& device, const DeviceIdentity& id, const ConfigIni::Snapshot& config);

// Bytes 6 to 9 of an address query: presence and the receiver address.
struct AddressAnswer {
    bool online = false;
    QList<quint8> address;
};
AddressAnswer ReadAddressAnswer(const uint8_t* buffer);

DeviceIdentity IdentifyDevice(const QByteArray& path, const ConfigIni::Snapshot& config);

#endif
