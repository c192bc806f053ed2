// The control interface of hidsim.h.

#include "hidusb/hidsim.h"

#include "codec.h"
#include "controlchannel.h"
#include "controlsocket.h"
#include "engine.h"
#include "statesaver.h"
#include "hidusb/flashdatamap.h"

#include <cstring>

using namespace HidEngine;

namespace HidSim {

namespace {

// With this interface the tests decide when the control socket is open.
[[maybe_unused]] const bool g_socketByHand = (SetControlChannelAtInit(false), true);

struct Locked
{
    std::unique_lock<std::mutex> lock;
    Locked()
        : lock(E().mu)
    {
        EnsureInitLocked();
    }
};

} // namespace

void Reset(Start start)
{
    CloseControlChannel();
    StopThreads(true, 10000);
    StateSaver::ClearWrites();
    {
        std::lock_guard<std::mutex> lock(E().mu);
        ClearLocked();
        E().initialized = true;
    }
    {
        std::lock_guard<std::mutex> lock(E().logMu);
        E().calls.clear();
        E().deliveries.clear();
        E().reports = 0;
    }
    if (start == Start::Default) {
        LoadScenarioFile(DefaultScenarioPath());
        std::lock_guard<std::mutex> lock(E().mu);
        E().costs = Costs();
        E().batteryDrainSeconds = 0;
    }
}

std::string DefaultScenarioPath()
{
    return DefaultScenarioPathImpl();
}

bool LoadScenarioText(const std::string& json, std::string* error)
{
    HidScenario::Scenario s;
    if (!HidScenario::Parse(json, &s, error))
        return false;
    // The state it loads includes every change made so far.
    StateSaver::Flush();
    Locked l;
    LoadScenarioLocked(s, true);
    return true;
}

bool LoadScenarioFile(const std::string& path, std::string* error)
{
    std::string text;
    if (path.empty() || !ReadFile(path, &text)) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    return LoadScenarioText(text, error);
}

std::string StateFilePath()
{
    Locked l;
    return E().statePath;
}

void SetPersistence(bool on)
{
    Locked l;
    Engine& e = E();
    e.persist = on;
    if (on && e.statePath.empty()) {
        const char* xdg = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        e.statePath = (xdg && *xdg ? std::string(xdg) : std::string(home ? home : "/tmp") + "/.local/share")
            + "/hidusb-sim/state.json";
    }
    if (on)
        SaveLocked();
}

void Flush()
{
    StateSaver::Flush();
}

int StateFileWrites()
{
    return StateSaver::Writes();
}

void Shutdown()
{
    StopThreads(true, 10000);
}

void SetCosts(const Costs& costs)
{
    Locked l;
    E().costs = costs;
}

Costs GetCosts()
{
    Locked l;
    return E().costs;
}

// ---- Devices ----

bool AddDevice(const DeviceSpec& spec)
{
    Locked l;
    if (spec.id.empty() || FindByIdLocked(spec.id))
        return false;
    const bool before = TargetReachableLocked();
    AddDeviceLocked(spec);
    PresenceChangedLocked();
    ReadyIfReachedLocked(before);
    return true;
}

bool RemoveDevice(const std::string& id)
{
    Locked l;
    Engine& e = E();
    for (auto it = e.devices.begin(); it != e.devices.end(); ++it)
        if ((*it)->spec.id == id) {
            e.devices.erase(it);
            PresenceChangedLocked();
            return true;
        }
    return false;
}

static bool setPlugged(const std::string& id, bool plugged)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d)
        return false;
    SetPluggedLocked(*d, plugged);
    return true;
}

bool Plug(const std::string& id)
{
    return setPlugged(id, true);
}

bool Unplug(const std::string& id)
{
    return setPlugged(id, false);
}

bool SetAwake(const std::string& id, bool awake)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isMouse())
        return false;
    const bool before = TargetReachableLocked();
    d->awake = awake;
    PresenceChangedLocked();
    ReadyIfReachedLocked(before);
    return true;
}

bool OpenControlChannel()
{
    {
        Locked l; // the devices are there before a command can reach them
    }
    return HidEngine::OpenControlChannel();
}

void CloseControlChannel()
{
    HidEngine::CloseControlChannel();
}

std::string ControlChannelPath()
{
    return HidControl::SocketPath();
}

std::vector<std::string> DeviceIds()
{
    Locked l;
    std::vector<std::string> ids;
    for (auto& d : E().devices)
        ids.push_back(d->spec.id);
    return ids;
}

std::string PathOf(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->path : std::string();
}

// ---- Device state ----

bool GetSettings(const std::string& id, int profile, FlashDataMap* out)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d && out && DecodeActiveLocked(*d, profile, out);
}

bool SetSettings(const std::string& id, int profile, const FlashDataMap& record)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !StoreRecordLocked(*d, profile, &record, nullptr))
        return false;
    SaveLocked();
    return true;
}

std::vector<uint8_t> StoredDump(const std::string& id, int profile)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d)
        return {};
    const int p = profile < 0 ? d->active : profile;
    return p < int(d->images.size()) ? d->images[size_t(p)] : std::vector<uint8_t>();
}

bool GetFactorySettings(const std::string& id, FlashDataMap* out)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !out || d->factory.size() != sizeof(FlashDataMap))
        return false;
    std::memcpy(out, d->factory.data(), sizeof(FlashDataMap));
    return true;
}

int ActiveProfile(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->active : -1;
}

bool SetActiveProfile(const std::string& id, int profile, bool report)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || profile < 0 || profile >= int(d->images.size()))
        return false;
    d->active = profile;
    ++d->stateSerial;
    SaveLocked();
    if (report && TargetLocked() == d) {
        EnqueueEventLocked(*d, HIDUSB_CMD_CONFIG, 0, {uint8_t(profile)});
        EnqueueEventLocked(*d, HIDUSB_CMD_STATUS_CHANGED, 0, {0, 0, 1, 0, 0, 0, 0});
    }
    return true;
}

int FirmwareVersion(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->firmware : -1;
}

int SlaveVersion(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->slave : -1;
}

bool SetFirmwareVersion(const std::string& id, int version)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d)
        return false;
    d->firmware = version;
    if (d->isReceiver())
        d->slave = d->release = version;
    SaveLocked();
    return true;
}

bool InBootMode(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d && d->boot;
}

bool SetBootMode(const std::string& id, bool boot)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d)
        return false;
    const bool before = TargetReachableLocked();
    d->boot = boot;
    SaveLocked();
    PresenceChangedLocked();
    ReadyIfReachedLocked(before);
    return true;
}

std::vector<uint8_t> ReceiverAddress(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? std::vector<uint8_t>(d->address, d->address + 3) : std::vector<uint8_t>();
}

bool GetDongleRGB(const std::string& id, DongleRGB* out)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isReceiver() || !out)
        return false;
    std::memcpy(out, d->led.data(), sizeof(DongleRGB));
    return true;
}

int LongRangeMode(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d && d->isReceiver() ? d->longRange : -1;
}

bool SetDongleLedMode(const std::string& id, uint8_t mode, bool report)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isReceiver())
        return false;
    d->led[0] = mode;
    SaveLocked();
    if (report && E().boundPath == d->path)
        EnqueueEventLocked(*d, HIDUSB_CMD_RECEIVER_LIGHT, 0, std::vector<uint8_t>(d->led.begin(), d->led.end()));
    return true;
}

bool SetLongRangeMode(const std::string& id, uint8_t mode, bool report)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isReceiver())
        return false;
    d->longRange = mode ? 1 : 0;
    SaveLocked();
    if (report && !mode && E().boundPath == d->path)
        EnqueueEventLocked(*d, HIDUSB_CMD_LONG_RANGE, 0, {0, d->address[0], d->address[1], d->address[2], 0, 0, 0, 0, 0, 0});
    return true;
}

bool SetBattery(const std::string& id, uint8_t level, bool charging, bool report)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isMouse())
        return false;
    d->battery = level;
    d->charging = charging;
    if (report && TargetLocked() == d)
        EnqueueEventLocked(*d, HIDUSB_CMD_STATUS_CHANGED, 0, {0, 0, 0, 0, 0, 0, 1});
    return true;
}

int BatteryLevel(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->battery : -1;
}

bool DriverActive(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d && d->driverActive;
}

int BatteryOptimize(const std::string& id)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    return d ? d->batteryOptimize : -1;
}

bool PressButton(const std::string& id, int button)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || !d->isMouse() || button < 0 || button > 15 || d->boot)
        return false;
    FlashDataMap m;
    if (!DecodeActiveLocked(*d, -1, &m))
        return false;
    const ButtonFunctionCode f = m.buttonFunctions[button];
    uint8_t flags[7] = {};
    bool profileSwitch = false;
    switch (f.type) {
    case 2: { // DPI switch: cycle, up, down
        const int count = std::max(1, std::min(8, int(m.dpiLevelCount)));
        int level = m.currentDpiLevel;
        if (f.code == 1)
            level = (level + 1) % count;
        else if (f.code == 2)
            level = std::min(count - 1, level + 1);
        else if (f.code == 3)
            level = std::max(0, level - 1);
        else
            return false;
        m.currentDpiLevel = uint8_t(level);
        flags[0] = 1;
        break;
    }
    case 7: { // report-rate switch through 125, 250, 500, 1000 Hz
        static const uint8_t rates[4] = {0x08, 0x04, 0x02, 0x01};
        int i = 0;
        while (i < 4 && rates[i] != m.reportRate)
            ++i;
        m.reportRate = rates[(i + 1) % 4];
        flags[1] = 1;
        break;
    }
    case 8: // light switch
        if (f.code == 0) {
            const uint8_t on = (m.lightOn || m.dpiEffectOn) ? 0 : 1;
            m.lightOn = m.dpiEffectOn = on;
            flags[3] = flags[5] = 1;
        } else if (f.code == 1) {
            m.dpiEffectOn = m.dpiEffectOn ? 0 : 1;
            flags[3] = 1;
        } else if (f.code == 3) {
            m.lightOn = m.lightOn ? 0 : 1;
            flags[5] = 1;
        } else if (f.code == 4) {
            m.lightMode = uint8_t(m.lightMode % 5 + 1);
            flags[5] = 1;
        } else {
            return false;
        }
        break;
    case 9: // configuration switch
        if (d->images.size() < 2)
            return false;
        profileSwitch = true;
        break;
    default:
        return false;
    }
    if (profileSwitch) {
        d->active = (d->active + 1) % int(d->images.size());
        ++d->stateSerial;
    } else if (!StoreRecordLocked(*d, -1, &m, nullptr)) {
        return false;
    }
    SaveLocked();
    if (TargetLocked() == d) {
        if (profileSwitch) {
            EnqueueEventLocked(*d, HIDUSB_CMD_CONFIG, 0, {uint8_t(d->active)});
            EnqueueEventLocked(*d, HIDUSB_CMD_STATUS_CHANGED, 0, {0, 0, 1, 0, 0, 0, 0});
        } else {
            EnqueueEventLocked(*d, HIDUSB_CMD_STATUS_CHANGED, 0, std::vector<uint8_t>(flags, flags + 7));
        }
    }
    return true;
}

bool GetScreenClock(const std::string& id, uint8_t* clock40)
{
    Locked l;
    Device* d = FindByIdLocked(id);
    if (!d || d->clock.empty() || !clock40)
        return false;
    std::memcpy(clock40, d->clock.data(), std::min<size_t>(40, d->clock.size()));
    return true;
}

// ---- Faults and scripts ----

void FailIdentityQueries(const std::string& id, int n)
{
    Locked l;
    if (Device* d = FindByIdLocked(id))
        d->identityFailures = n;
}

void FailNextWrites(int n)
{
    Locked l;
    E().failWrites = n;
}

void UnplugDuringNextWrite(const std::string& id)
{
    Locked l;
    E().unplugDuringWrite = id;
}

bool SendReport(const std::vector<uint8_t>& head, const std::vector<uint8_t>& data)
{
    Locked l;
    if (!E().dataCallback)
        return false;
    EnqueueRawLocked(head, data);
    return true;
}

bool SendCommand(uint8_t command, uint8_t subCommand, const std::vector<uint8_t>& data, uint8_t status)
{
    Locked l;
    if (!E().dataCallback)
        return false;
    EnqueueLocked(command, subCommand, data, 0, status);
    return true;
}

bool ReportStatusChange(const std::vector<uint8_t>& flags7)
{
    Locked l;
    Device* t = TargetLocked();
    if (!t)
        return false;
    EnqueueEventLocked(*t, HIDUSB_CMD_STATUS_CHANGED, 0, flags7);
    return true;
}

bool ReportDeviceReady()
{
    Locked l;
    Device* t = TargetLocked();
    if (!t)
        return false;
    EnqueueEventLocked(*t, HIDUSB_CMD_DEVICE_READY, 0, {0});
    return true;
}

void ScriptPairing(PairOutcome outcome, const std::string& mouseId)
{
    Locked l;
    E().pairScripts.push_back(PairScript{outcome, mouseId});
}

void ScriptFlash(FlashOutcome outcome, int failPercent, bool resultBeforeReturn)
{
    Locked l;
    E().flashScripts.push_back(FlashScript{outcome, failPercent, resultBeforeReturn});
}

void ScriptBadScreenReplies(int n)
{
    Locked l;
    E().badScreenReplies = n;
}

// ---- Holds ----

void HoldDelivery(const HoldPoint& point)
{
    ArmHold(point);
}

bool WaitUntilHeld(int timeoutMs)
{
    return WaitUntilHeldImpl(timeoutMs);
}

void ReleaseHold()
{
    ReleaseHolds();
}

// ---- Call log ----

std::vector<Call> Calls()
{
    std::lock_guard<std::mutex> lock(E().logMu);
    return std::vector<Call>(E().calls.begin(), E().calls.end());
}

std::vector<Call> Calls(const std::string& function)
{
    std::vector<Call> out;
    std::lock_guard<std::mutex> lock(E().logMu);
    for (const Call& c : E().calls)
        if (c.function == function)
            out.push_back(c);
    return out;
}

int CallCount(const std::string& function)
{
    std::lock_guard<std::mutex> lock(E().logMu);
    int n = 0;
    for (const Call& c : E().calls)
        if (c.function == function)
            ++n;
    return n;
}

void ClearCalls()
{
    std::lock_guard<std::mutex> lock(E().logMu);
    E().calls.clear();
    E().deliveries.clear();
    E().reports = 0;
}

int ReportsSent()
{
    std::lock_guard<std::mutex> lock(E().logMu);
    return E().reports;
}

std::vector<Delivery> Deliveries()
{
    std::lock_guard<std::mutex> lock(E().logMu);
    return std::vector<Delivery>(E().deliveries.begin(), E().deliveries.end());
}

int PendingAnswers()
{
    Locked l;
    int n = E().inFlight;
    const Device* t = TargetLocked();
    const Device* r = BoundReceiverLocked();
    for (const Answer& a : E().queue) {
        if (a.eventDevice.empty() ? a.generation == E().generation
                                  : (t && t->spec.id == a.eventDevice) || (r && r->spec.id == a.eventDevice))
            ++n;
    }
    return n;
}

std::thread::id ServiceThreadId()
{
    Locked l;
    return E().serviceId;
}

std::thread::id NotifierThreadId()
{
    Locked l;
    return E().notifierId;
}

} // namespace HidSim
