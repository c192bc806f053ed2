#ifndef TIMING_H
#define TIMING_H

#include <QEventLoop>

// Every interval and wait of the program goes through here. Tests shrink time with
// SetScale; the code paths stay the same. Durations are in milliseconds of real time
// at scale 1 and are measured with a monotonic clock.

namespace Timing {

// Named durations.
constexpr int OpenDeviceDelay = 150;         // device announced -> worker started
constexpr int PresencePoll = 1300;           // worker's presence re-check
constexpr int StatusChangeSpacing = 3000;    // device-reported changes followed up at most this often
constexpr int UpdateFirstCheck = 2500;       // update dialog: first look for a full read
constexpr int UpdateWaitStep = 500;          // update dialog: one wait for the pages
constexpr int UpdateWaitSteps = 12;
constexpr int ReloadSettle = 2000;          // update dialog: the device settles after a reload
constexpr int BackArrowWait = 100;           // after telling the device the program is inactive
constexpr int CloseWait = 200;               // closing: hot-plug stopped -> device service stopped
constexpr int HotplugInterval = 600;         // handed to the library's hot-plug registration
constexpr int SettingsPageTick = 1000;       // settings page timers
constexpr int MacroSaveSettle = 1500;        // button page: a saved macro's file settles before it is sent
constexpr int PumpSlice = 100;               // most time spent in one event-processing call
constexpr int PairingButtonPoll = 100;       // pairing dialog: button availability
constexpr int PairingStatusPoll = 1000;      // pairing dialog: status request and receiver check
constexpr int PairingDotStep = 500;          // pairing dialog: one step of the caption's dots
constexpr int PairingTimeout = 60000;        // pairing dialog: no result by then counts as a failure
constexpr int UpgradeReportTimeout = 30000;  // a flash silent this long (since its start or last report) failed
constexpr int KeyRepeatPairWait = 50;        // a key release waits this long for the press of an X11 auto-repeat

double Scale();
void SetScale(double factor);
// A duration after scaling: 0 stays 0, anything else at least 1 ms.
int Scaled(int ms);
// Milliseconds on a monotonic clock since an arbitrary start.
long long MonotonicMs();
// Plain sleep of the calling thread, scaled.
void Sleep(int ms);

} // namespace Timing

// Waits ms (scaled) while the calling thread keeps processing its events. With
// QEventLoop::ExcludeUserInputEvents the window keeps drawing and queued signals run, but
// clicks and keys wait until the caller returns, as they would behind a plain sleep.
void WaitPumpingEvents(int ms, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

#endif
