#ifndef WORKER_H
#define WORKER_H

#include "core/deviceallinfo.h"

#include "hidusb/HIDUsb.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>

class QTimer;

// Read passes of the chosen device: one pass per start, on its own thread. The object and
// its presence timer live on the GUI thread.
class Worker : public QThread
{
    Q_OBJECT
public:
    explicit Worker(QObject* unused = nullptr);
    ~Worker() override;

    // Waits for a running pass while the calling (GUI) thread keeps processing events.
    void WaitProcessingEvents();

protected:
    void run() override;

private slots:
    void SlotSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SlotMainPageChange();
    void SlotCheckOnline();

private:
    int OpenedConnectionType = 0;
    QByteArray OpenedPath;
};

// The worker's presence timer.
extern QTimer* WorkerPollTimer;
// Binds the library's device service to a path with DeviceDataCallback and remembers the
// path and the binding, in one step against the device-data callback.
void BindDeviceService(const QByteArray& path);
// Binds the service to the pairing callback. A receiver asked to pair may take another
// mouse, so DeviceConfig stops counting as the chosen device's record: nothing is sent to
// the device until a full read arrives again.
void BindPairingService(const QByteArray& path, HidUsbDataCallback callback);
// After a pairing dialog on the device pages: the data callback back, and a read pass when
// the pairing gave the record up.
void RebindAfterPairing();
// Ends the device service; reports still on their way are stale from then on.
void StopDeviceService();
// DeviceReloadPending = 0.
void CancelWorkerRun();
// Sets DeviceReloadPending and starts the one worker (a start while a pass runs is ignored).
void StartWorkerPass();
// Starting a factory reset's read: the service is bound again, so the pass really reads.
void PrepareResetReadPass();
// The run's one worker, made before the first window (its presence poll starts at once) and
// independent of the pages. A second call while one exists changes nothing.
void CreateRunWorker();
// Ends the run's worker: the poll stops, a pending pass is dropped, a running pass ends (it
// may wait on this thread), then the hot-plug notices stop. Nothing when there is none.
void EndRunWorker();

#endif
