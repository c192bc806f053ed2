#ifndef HIDUSB_SCENARIO_H
#define HIDUSB_SCENARIO_H

// Scenario files (which devices exist, how they start) and the state file (what the
// devices keep across runs).
//
// Scenario, JSON:
//   { "costs": { "reportMs", "answerMs", "flashStepMs", "pairMs", "resetMs", "reenumerateMs" },
//     "batteryDrainSeconds": 0,      // > 0: a mouse off its cable loses 1 % this often
//     "persist": true,
//     "devices": [ { "id", "kind": "mouse" | "receiver" | "screen", "vid", "pid", "path",
//                    "cid", "mid", "cableKind", "receiverType", "release", "firmware",
//                    "slaveVersion", "firmwareName", "plugged", "hasCable", "awake",
//                    "receiver", "address": [a, b, c], "battery", "charging", "profiles",
//                    "ledOption", "ledMode", "longRangeOption", "longRange", "screen",
//                    "factory": { record fields by name, see FactoryFromJson } } ] }
// Numbers may be written as "0x.." texts as well. Each must be a whole number in range of
// what it describes (bytes 0..255, versions 0..0xFFFF, battery 0..100, profiles 1..256,
// receiverType 1, 2, 4 or 8, costs 0..3,600,000 ms, batteryDrainSeconds 0..86,400;
// flags true, false, 0 or 1): Parse refuses anything else with an error naming the key.

#include "hidusb/hidsim.h"

#include <map>
#include <string>
#include <vector>

namespace HidScenario {

struct Scenario
{
    std::vector<HidSim::DeviceSpec> devices;
    HidSim::Costs costs;
    int batteryDrainSeconds = 0;
    bool persist = true;
};

bool Parse(const std::string& json, Scenario* out, std::string* error);

// The factory record of a device whose scenario gives none: a sensible mouse.
std::vector<uint8_t> DefaultFactory();

// What one device keeps across runs.
struct DeviceState
{
    int mid = -1;
    int firmware = -1;
    int slave = -1;
    int release = -1;
    bool hasAddress = false;
    uint8_t address[3] = {0, 0, 0};
    std::string pairedMouse; // receiver
    bool hasPaired = false;
    int active = 0;
    std::vector<std::vector<uint8_t>> images; // dumps, trailing zeros cut
    std::vector<uint8_t> led;
    int longRange = -1;
    bool boot = false;
};

bool LoadState(const std::string& path, std::map<std::string, DeviceState>* out);
// The state file's text (JSON) for the states.
std::string StateText(const std::map<std::string, DeviceState>& states);

// The folder part of a file's path: "." for a bare name.
std::string FolderOf(const std::string& file);

} // namespace HidScenario

#endif
