#ifndef MAINPAGEHOTPLUG_H
#define MAINPAGEHOTPLUG_H

// The hot-plug notice while the device pages are shown: re-enumerates into
// WorkerDeviceList, follows the chosen device to another path of the same model (same
// receiver address), goes back to the device choice page when it is gone, and checks the
// firmware images for a mouse on its cable. Runs on the library's notifier thread.

#include "core/configini.h"
#include "core/deviceallinfo.h"

#include <QByteArray>
#include <QString>
#include <QVector>

void MainPageHotplugCallback();
// Both read Config.ini only through the notice's snapshot.
void EnumerateDevicesW(const QString& vendorId, const QVector<QString>& productIds, const ConfigIni::Snapshot& config);
// 1 when a device section matched.
int FindDeviceInConfigW(DeviceAllInfo& record, const QByteArray& path, const ConfigIni::Snapshot& config);
// Takes over a device (when present) and restarts the worker.
void StartWorker(const DeviceAllInfo& device);

#endif
