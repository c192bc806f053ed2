#ifndef FIRMWAREUPGRADE_H
#define FIRMWAREUPGRADE_H

// One road that flashes firmware through the HID library (the repair dialog's, the settings
// page's machine's). It keeps what both roads share:
// - the "UpdateFailInfo" record: written just before each start for the target about to be
//   flashed unless it already names the other target; put back when the start is refused;
//   removed only by a success of the target it names; written for the target that fails;
// - the library's eight log lines appended on every failed flash (time-out and unplug too);
// - the report time-out: no report for Timing::UpgradeReportTimeout since the start or the
//   last report counts as a failure report; a report still in the hands of onProgress is no
//   silence;
// - a report arriving while no flash of this road runs changes nothing, and no onProgress
//   runs after the end it took part in.
//
// The library calls a plain function; each road owns one such function that forwards the
// report to HandleReport of its object. Handlers run on the thread that reports (a library
// thread, or this object's thread for a time-out) and may start the next flash.

#include "device/firmwareimages.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

class FirmwareUpgrade : public QObject
{
    Q_OBJECT
public:
    using StatusCallback = void (*)(const uint8_t* report);

    // The four numbers of a record: the target flashed and the device it belongs to.
    struct Target {
        int kind = 0;          // FirmwareKind
        int receiverType = 0;  // receiver class 1, 2, 4, 8 (0: none)
        int cid = 0;
        int mid = 0;
    };

    explicit FirmwareUpgrade(StatusCallback status, QObject* parent = nullptr);
    ~FirmwareUpgrade() override;

    // Set before the first start; not changed while a flash runs.
    std::function<void(int percent)> onProgress;
    std::function<void(const Target& target)> onSuccess;   // after the record rule
    std::function<void(const Target& target)> onFailure;   // after the record and the log lines

    // Flashes a copy of image (kept until its result). False when the library refused: the
    // record is then as it was and no handler runs. A result may arrive before this returns.
    bool Start(const FirmwareImage& image, const Target& target);
    // Reads one status report ([7, 1, percent] progress, [7, 2, 1] success, [7, 2, x] failure).
    void HandleReport(const uint8_t* report);
    bool Running() const { return m_state.load() != Idle; }
    // The version the last started image carries (its header was checked by Start).
    quint32 FlashedVersion() const;

    // A road ending while target waits in boot mode for image leaves a record of that target
    // (when there is none yet).
    static void KeepRecordIfWaiting(const FirmwareImage& image, const Target& target);
    // Devices waiting in boot mode for image; 0 for no image (the library never sees an empty one).
    static int BootDeviceCount(const FirmwareImage& image);

private:
    void checkSilence();
    void finish(bool success);

    // Reporting: a progress report in the hands of onProgress. The reports and the silence
    // check each move the state with one compare-and-swap, so the time-out on this object's
    // thread cannot end a flash under a handler running on the library's.
    enum State { Idle, Flashing, Reporting };

    StatusCallback m_status;
    QTimer m_watch;
    std::atomic<int> m_state{Idle};
    std::atomic<long long> m_lastReport{0};
    mutable std::mutex m_mutex; // guards m_target and m_image; never held across a call out
    Target m_target;
    FirmwareImage m_image;
};

#endif
