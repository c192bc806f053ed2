#ifndef HIDUSB_ENGINE_H
#define HIDUSB_ENGINE_H

// The simulated devices and the library's threads. One process-wide Engine, created on
// first use and never destroyed (callers may hold paths and arrays for the whole run).
//
// Locking: Engine::mu guards everything below it; logMu guards the call log; internMu the
// path strings; the state file's saver has locks of its own, taken after Engine::mu, never
// before it. No lock is held while a callback of the program runs, and no call waits
// for a callback: unbinding bumps a generation number and answers of an older generation
// are dropped. A test's hold (HidSim::HoldDelivery) waits on a mutex of its own, never
// with Engine::mu held.

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"
#include "holds.h"
#include "scenario.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace HidEngine {

constexpr int RecordLength = 10428;

struct Device
{
    HidSim::DeviceSpec spec;
    int vid = -1;
    int pid = -1;
    std::string path;
    // Changing state.
    bool plugged = true;
    bool awake = true;
    bool boot = false;
    bool reenumerating = false;
    int firmware = 0;
    int slave = 0;
    int release = 0;
    uint8_t address[3] = {0, 0, 0}; // receiver: its own; mouse: the receiver it is paired with
    std::string pairedMouse;       // receiver
    uint8_t battery = 80;
    bool charging = false;
    int active = 0;
    std::vector<std::vector<uint8_t>> images; // one 6,912-byte dump per profile
    std::vector<uint8_t> factory;              // record bytes
    int identityFailures = 0;
    uint64_t stateSerial = 0; // grows whenever the active settings change
    std::array<uint8_t, 10> led{};
    uint8_t longRange = 0;
    int pairState = 0;
    bool pairNoAnswer = false;
    bool driverActive = false;
    int batteryOptimize = -1;
    std::vector<uint8_t> clock;

    bool isMouse() const { return spec.kind == HidSim::Kind::Mouse; }
    bool isReceiver() const { return spec.kind == HidSim::Kind::Receiver; }
    bool onCable() const { return isMouse() && spec.hasCable && plugged && !boot && !reenumerating; }
    // What a flash goes over: a receiver's USB, a mouse's cable (a mouse without one has
    // no link to lose).
    bool flashLinkUp() const { return plugged || (isMouse() && !spec.hasCable); }
    bool listed() const; // visible on the bus under its path
    int connectionKind() const;
};

// A report on its way to the data callback. An answer belongs to the binding it was asked
// under and to the devices it came from: it is dropped when one of them leaves. A device
// event (eventDevice set: device ready, status change, profile switch, pairing result)
// goes to whatever binding reaches that device when it is delivered.
struct Answer
{
    uint64_t generation = 0;
    std::string eventDevice;
    std::string device;       // the mouse the answer came from (empty: none)
    std::string via;          // the receiver it came through (empty: none)
    uint64_t stateSerial = 0; // its settings serial when it made the answer
    long long due = 0;
    std::vector<uint8_t> head;
    std::vector<uint8_t> data;
};

struct FlashScript
{
    HidSim::FlashOutcome outcome = HidSim::FlashOutcome::Success;
    int failPercent = 0;
    bool resultBeforeReturn = false;
};

struct PairScript
{
    HidSim::PairOutcome outcome = HidSim::PairOutcome::Success;
    std::string mouse;
};

// Stop request and end mark of one service or notifier thread.
struct LoopControl
{
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
};

// A flash or pairing thread.
struct Job
{
    std::thread thread;
    std::atomic<bool> done{false};
};

struct Engine
{
    std::mutex mu;
    std::condition_variable serviceCv;
    std::condition_variable notifierCv;
    std::condition_variable jobCv; // wakes sleeping jobs on shutdown; flash results

    bool initialized = false;
    std::vector<std::unique_ptr<Device>> devices;
    HidSim::Costs costs;
    int batteryDrainSeconds = 0;
    bool persist = false;
    std::string statePath;
    std::map<std::string, HidScenario::DeviceState> savedStates; // of devices not present now

    // Device service.
    std::string boundPath;
    HidUsbDataCallback dataCallback = nullptr;
    uint64_t generation = 1;
    std::deque<Answer> queue;
    long long lastDue = 0;
    int inFlight = 0;
    std::thread serviceThread;
    std::shared_ptr<LoopControl> serviceCtl;
    std::thread::id serviceId;
    long long nextDrain = 0;

    // Hot-plug.
    HidUsbHotplugCallback hotplug = nullptr;
    bool noticePending = false;
    std::thread notifierThread;
    std::shared_ptr<LoopControl> notifierCtl;
    std::thread::id notifierId;

    // Jobs and scripts.
    uint64_t epoch = 1; // bumped by shutdown: running jobs stop reporting
    std::vector<std::unique_ptr<Job>> jobs;
    std::deque<FlashScript> flashScripts;
    std::deque<PairScript> pairScripts;
    int failWrites = 0;
    std::string unplugDuringWrite; // id: the next write reaching it loses it half-way
    int badScreenReplies = 0;
    std::string openedPath;
    std::vector<std::string> upgradeLog;
    uint64_t flashesReported = 0;

    // Call log.
    std::mutex logMu;
    std::deque<HidSim::Call> calls;
    std::deque<HidSim::Delivery> deliveries;
    int reports = 0;
};

Engine& E();

// What the data callback running on this thread is being handed (binding 0: none).
struct DeliveryContext
{
    uint32_t binding = 0;
    std::string device;       // the mouse that made the report
    uint64_t stateSerial = 0; // its settings serial then
};
DeliveryContext& CurrentDelivery();
uint32_t BindingNumber(uint64_t generation);

// All of these expect Engine::mu held ("Locked").
// Loads the default scenario on the library's first use; true when it did so just now.
bool EnsureInitLocked();
Device* FindByIdLocked(const std::string& id);
Device* ListedByPathLocked(const char* path);
Device* MouseOfReceiverLocked(const Device& receiver); // awake, off its cable, paired
Device* TargetLocked();        // the mouse the bound path reaches
Device* BoundReceiverLocked(); // the receiver at the bound path
bool OnlineLocked(const Device& d);
void EnqueueLocked(uint8_t command, uint8_t sub, std::vector<uint8_t> data, int extraDelayMs = 0,
                   uint8_t status = 0);
void EnqueueEventLocked(const Device& device, uint8_t command, uint8_t sub, std::vector<uint8_t> data,
                        int extraDelayMs = 0);
// An answer the bound receiver makes itself: it does not depend on its mouse.
void EnqueueReceiverLocked(const Device& receiver, uint8_t command, uint8_t sub, std::vector<uint8_t> data);
// Drops the answers of older bindings; device events stay.
void DropAnswersLocked();
void EnqueueRawLocked(std::vector<uint8_t> head, std::vector<uint8_t> data, int extraDelayMs = 0);
void NoticeLocked();
// After a device came, went, slept, woke or changed mode: answers whose device (or the
// receiver they came through) the binding no longer reaches are dropped now, so that they
// are not delivered if it comes back before they were due; then a hot-plug notice.
void PresenceChangedLocked();
// Hands a copy of what the devices keep to the state file's saver (statesaver.h).
void SaveLocked();
bool DecodeActiveLocked(const Device& d, int profile, void* record);
// Bumps the device's settings serial when the active profile's image changed.
bool StoreRecordLocked(Device& d, int profile, const void* record, int* reportsChanged);
// The 64-byte reports a write of the record would change; -1 when it does not fit.
int ChangedReportsLocked(const Device& d, int profile, const void* record);
void StartJobLocked(std::function<void()> body);
// Sleeps ms (real) unless the engine shuts down meanwhile; false then. Takes the lock.
bool JobSleep(int ms, uint64_t epoch);
// Presence of the bound target before a change; after the change, reports device ready
// when the target became reachable.
bool TargetReachableLocked();
void ReadyIfReachedLocked(bool before);
// A receiver or screen onto USB or off it, a mouse's cable in or out; hot-plug follows.
void SetPluggedLocked(Device& d, bool plugged);

// Applies a scenario (devices, costs, saved state).
void LoadScenarioLocked(const HidScenario::Scenario& s, bool persist);
void AddDeviceLocked(const HidSim::DeviceSpec& spec);
void StopThreads(bool pumpEvents, int timeoutMs);
void ClearLocked();
std::string DefaultScenarioPathImpl();
bool ReadFile(const std::string& path, std::string* out);

// Logging, no engine lock needed.
void LogCall(const char* function, std::string arguments, std::vector<uint8_t> bytes = {}, int reports = 0,
             int result = 0, std::string device = std::string());
void LogDelivery(HidSim::Delivery::Target target, const uint8_t* head, int headLength, const uint8_t* data,
                 int dataLength);
std::string PathText(const char* path);

// Stable strings and arrays for the whole run.
char* Intern(const std::string& s);
char** InternArray(const std::vector<std::string>& items);

long long NowMs();
int ParseHexId(const std::string& text);

} // namespace HidEngine

#endif
