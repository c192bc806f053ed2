#ifndef HIDSIM_H
#define HIDSIM_H

// Control interface of the simulated devices behind HIDUsb.h, for tests and scenarios.
// The program itself never includes this header.
//
// Devices are named by an id. A mouse is reached on its cable (its own path, product id
// and connection kind 2 or 3) and/or through the receiver it is paired with (the
// receiver's path). A receiver answers for its mouse while the mouse is awake and off
// its cable. A device with a screen takes the raw clock exchange.

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct FlashDataMap;
struct DongleRGB;

namespace HidSim {

enum class Kind { Mouse, Receiver, Screen };

struct DeviceSpec
{
    std::string id;
    Kind kind = Kind::Mouse;
    std::string vid = "0x3706";
    std::string pid;             // mouse: its cable's; receiver and screen: their own
    std::string path;            // empty: made from vid, pid and id
    uint8_t cid = 36;
    uint8_t mid = 1;
    uint8_t cableKind = 2;       // mouse on its cable: 2 or 3
    int receiverType = 1;        // receiver: 1, 2, 4 or 8 (connection kinds 0, 4, 1, 5)
    uint16_t release = 0x0100;   // USB release
    uint16_t firmware = 0x0100;  // firmware version, major << 8 | minor
    uint16_t slaveVersion = 0;   // receiver's radio firmware; 0: same as firmware
    std::string firmwareName;    // name stem of the images the device takes
    bool plugged = true;         // receiver and screen: on USB; mouse: cable plugged
    bool hasCable = true;        // mouse: can be used on a cable at all
    bool awake = true;           // mouse: powered and in range of its receiver
    std::string receiver;        // mouse: id of the receiver it is paired with
    uint8_t address[3] = {0, 0, 0}; // receiver: its address
    uint8_t battery = 80;
    bool charging = false;       // on the cable a mouse always charges
    int profiles = 4;            // 1: the mouse has no profile switching
    std::vector<uint8_t> factory; // 10,428-byte record; empty: built-in defaults
    bool ledOption = false;      // receiver: LED record (mode at byte 0)
    uint8_t ledMode = 1;
    bool longRangeOption = false;
    uint8_t longRange = 0;
    bool screen = false;         // takes the raw clock exchange
};

// Per-operation costs in milliseconds of real time (all 0 after Reset).
struct Costs
{
    int reportMs = 0;       // each 64-byte report of a record write (stored after the last)
    int answerMs = 0;       // delay before an answer is delivered
    int flashStepMs = 0;    // between two progress reports of a flash
    int pairMs = 0;         // from the pairing request to its result
    int resetMs = 0;        // factory reset -> device ready
    int reenumerateMs = 0;  // a flashed device off the bus -> back
};

// ---- Scenario and lifetime ----
enum class Start { Empty, Default };
// Stops and forgets everything (devices, service binding, hot-plug callback, scripts,
// call log), then loads nothing or the default scenario. Costs become 0. Persistence is
// on for the default scenario (state file under the current XDG data folder), off for
// an empty start.
void Reset(Start start = Start::Empty);
// The default scenario: $HIDUSB_SIM_SCENARIO, else hidusb-sim.json beside the
// executable, else beside the library.
std::string DefaultScenarioPath();
bool LoadScenarioFile(const std::string& path, std::string* error = nullptr);
bool LoadScenarioText(const std::string& json, std::string* error = nullptr);
std::string StateFilePath();
void SetPersistence(bool on);
// A change reaches the state file a moment later, written by a thread of the library's own
// (changes close together as one write). Flush writes it now: on return the file holds every
// change made before the call. UsbServer_Exit, Shutdown, Reset and the end of the process
// flush too.
void Flush();
// How often the state file was replaced since the last Reset.
int StateFileWrites();
// Stops the library's threads (waits for them; on the application's thread it keeps
// processing events meanwhile so that a callback blocked on it can finish). The next
// call that needs a thread starts it again.
void Shutdown();
void SetCosts(const Costs& costs);
Costs GetCosts();

// ---- Devices ----
// A device that leaves (removed, unplugged, asleep, in boot mode) takes the answers it
// still owed with it, at once: they are not delivered even if it comes back in time.
bool AddDevice(const DeviceSpec& spec);
bool RemoveDevice(const std::string& id);
bool Plug(const std::string& id);    // receiver, screen: onto USB; mouse: its cable
bool Unplug(const std::string& id);
bool SetAwake(const std::string& id, bool awake); // mouse: presence through its receiver
std::vector<std::string> DeviceIds();
std::string PathOf(const std::string& id);

// ---- Plugging by hand (the vexo-sim tool) ----
// The program's library opens the control socket when it loads its scenario; here a test
// opens it. False when it cannot be made or another process serves it. Reset closes it.
bool OpenControlChannel();
void CloseControlChannel();
std::string ControlChannelPath();

// ---- Device state ----
// profile -1: the active one.
bool GetSettings(const std::string& id, int profile, FlashDataMap* out);
bool SetSettings(const std::string& id, int profile, const FlashDataMap& record);
std::vector<uint8_t> StoredDump(const std::string& id, int profile = -1);
bool GetFactorySettings(const std::string& id, FlashDataMap* out);
int ActiveProfile(const std::string& id);
// report: the mouse reports command 14 and a status change to the bound service.
bool SetActiveProfile(const std::string& id, int profile, bool report);
int FirmwareVersion(const std::string& id);     // -1: no such device
int SlaveVersion(const std::string& id);
bool SetFirmwareVersion(const std::string& id, int version);
bool InBootMode(const std::string& id);
bool SetBootMode(const std::string& id, bool boot); // off the bus, waiting for an image
std::vector<uint8_t> ReceiverAddress(const std::string& id); // receiver: its own; mouse: paired
bool GetDongleRGB(const std::string& id, DongleRGB* out);
int LongRangeMode(const std::string& id);
// The receiver's own buttons: report 21 / 23 to the bound service.
bool SetDongleLedMode(const std::string& id, uint8_t mode, bool report);
bool SetLongRangeMode(const std::string& id, uint8_t mode, bool report);
bool SetBattery(const std::string& id, uint8_t level, bool charging, bool report);
int BatteryLevel(const std::string& id);
bool DriverActive(const std::string& id);       // last UsbServer_SetPCDriverStatus
int BatteryOptimize(const std::string& id);     // last UsbServer_SetBatteryOptimizeEnable
// A press of the mouse's button: the function of its active profile acts on the device
// (DPI switch, report-rate switch, light switch, profile switch) and is reported as a
// status change. Returns false when the button's function does nothing the device keeps.
bool PressButton(const std::string& id, int button);
bool GetScreenClock(const std::string& id, uint8_t* clock40); // last accepted command

// ---- Faults and scripts ----
// The next n identity queries of the device answer CID 0 and MID 0.
void FailIdentityQueries(const std::string& id, int n);
// The next n record writes fail (ProtocolDataUpdate returns 0, nothing stored).
void FailNextWrites(int n);
// The next record write that reaches the device loses it half-way: a receiver or a mouse
// on its cable is unplugged, a mouse reached through its receiver goes out of reach (as
// SetAwake false); a hot-plug notice follows, the write returns 0 and the device keeps
// its settings. Writes that reach other devices leave it armed.
void UnplugDuringNextWrite(const std::string& id);
// Delivers a report to the bound service as it is, lengths included (may be malformed).
bool SendReport(const std::vector<uint8_t>& head, const std::vector<uint8_t>& data);
// The same with a well-formed head.
bool SendCommand(uint8_t command, uint8_t subCommand, const std::vector<uint8_t>& data, uint8_t status = 0);
// The bound mouse reports a status change / device ready as the device would.
bool ReportStatusChange(const std::vector<uint8_t>& flags7);
bool ReportDeviceReady();

enum class PairOutcome {
    Success,  // state 1, then 3; the mouse takes the receiver's address
    Failure,  // state 1, then 2
    Silence,  // state 1 and nothing more
    NoAnswer  // the receiver does not answer at all
};
// For the next pairing request; mouseId: the mouse that pairs (empty: the one the
// receiver was made for, else the first mouse of that CID).
void ScriptPairing(PairOutcome outcome, const std::string& mouseId = std::string());

// Whatever the script, a device unplugged (or removed) during its flash makes it fail:
// no more progress, result 0, and the device waits in boot mode for a new flash.
enum class FlashOutcome {
    Success,  // progress 0..100, then result 1; the device takes the image's version
    FailAt,   // progress up to failPercent, then result 0; the device waits in boot mode
    Refuse,   // UsbUpgrade_Start returns 0, no report
    Silence,  // UsbUpgrade_Start returns 1, no report ever
    UnplugAt  // the target is unplugged once the flash reaches failPercent (before that report)
};
// From a flash's start until its success the target waits in boot mode (off the bus, in the
// state file too), so a flash that never ends (silence, shutdown, process ended) leaves it
// there; boot-mode devices count for UsbUpgradeC_FindBootDevices and UsbUpgrade_Start only
// while plugged.
// Scripts the next flash (scripts queue up; without one a flash succeeds).
// resultBeforeReturn: UsbUpgrade_Start returns only after the result was reported.
void ScriptFlash(FlashOutcome outcome, int failPercent = 0, bool resultBeforeReturn = false);
// The next n raw exchanges answer with a wrong reply.
void ScriptBadScreenReplies(int n);

// ---- Holds: races forced without sleeping ----
// command, subCommand: of the report (-1: any). Command 7 matches a flash's status report
// as well, its second byte taken as subCommand (1 progress, 2 result).
// atCall empty: the thread that hands the report over stops just before the callback
// gets it. atCall a library function's name ("UsbServer_ReadDPILed", "ProtocolDataUpdate"
// (either write), ...): the callback's thread stops when, while handed that report, it
// calls that function, on entry, before the call looks at any device. With command and
// subCommand both -1 a call outside every callback stops too. "ProtocolDataUpdate:half-way":
// a record write stops when half its reports went out, before the device keeps it.
// "StateFile:half-written" (command and subCommand -1): the thread that writes the state
// file stops with half of the new file written, before it replaces the old one; Flush and
// UsbServer_Exit wait for it meanwhile. "ControlChannel:accepted" and
// "ControlChannel:part-of-a-line" (command and subCommand -1): the control socket's thread
// stops with a client just accepted, or with a part of its command line read and the rest to
// wait for; closing the channel waits for it meanwhile.
// A held thread holds no lock of the library: every call works meanwhile. A report held
// before its callback is still handed to the callback it was taken for, even after a
// rebind meanwhile (its report binding is then the old one).
struct HoldPoint
{
    int command = -1;
    int subCommand = -1;
    std::string atCall;
};
// Arms one hold, for the next matching delivery (replacing one armed and not yet taken).
void HoldDelivery(const HoldPoint& point);
// Waits until a thread is held; on the application's thread it keeps processing events
// meanwhile. False after timeoutMs.
bool WaitUntilHeld(int timeoutMs = 5000);
// Lets the held thread go on and disarms a hold not yet taken. Reset, Shutdown and every
// stop of the library's threads do the same, so nothing stays held.
void ReleaseHold();

// ---- Call log (the latest 8,192 calls) ----
struct Call
{
    std::string function;
    std::string arguments;     // the arguments as text, comma-separated
    std::thread::id thread;
    std::string device;        // the device the call reached (empty: none): the mouse of
                               // a request or write, else the receiver (pairing, a start
                               // with its mouse away), the device at a finder's path
    std::vector<uint8_t> bytes; // record writes: the 10,428 bytes; other buffers sent
                                // (kept for the latest 512 calls)
    int reports = 0;           // record writes: 64-byte reports sent
    int result = 0;
};
std::vector<Call> Calls();
std::vector<Call> Calls(const std::string& function);
int CallCount(const std::string& function);
void ClearCalls();
int ReportsSent(); // since the last ClearCalls

// Every report handed to a callback (data, hot-plug and upgrade callbacks).
struct Delivery
{
    enum Target { Data, Hotplug, Upgrade } target = Data;
    std::vector<uint8_t> head;
    std::vector<uint8_t> data;
    std::thread::id thread;
};
std::vector<Delivery> Deliveries();

// Reports queued for the bound service and not yet delivered, plus one for a delivery in
// progress. Answers belong to the binding they were asked under (a rebind drops them) and
// to the device that made them (and the receiver they came through): its leaving drops
// them. Device events (device ready, status changes, profile switches, pairing results)
// go to whatever binding reaches the device when they are due.
int PendingAnswers();
std::thread::id ServiceThreadId();
std::thread::id NotifierThreadId();

} // namespace HidSim

#endif
