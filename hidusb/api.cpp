// The library's C functions over the simulated devices.

#include "hidusb/HIDUsb.h"

#include "codec.h"
#include "controlchannel.h"
#include "engine.h"
#include "statesaver.h"
#include "hidusb/flashdatamap.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

using namespace HidEngine;

namespace {

std::string num(long long v)
{
    return std::to_string(v);
}

struct Locked
{
    std::unique_lock<std::mutex> lock;
    Locked()
        : lock(E().mu)
    {
        // The devices can be plugged and unplugged by hand while the program runs.
        if (EnsureInitLocked() && ControlChannelAtInit())
            OpenControlChannel();
    }
};

// The library's exit: no command comes in any more, then its threads end before it goes away.
__attribute__((destructor)) void stopAtExit()
{
    CloseControlChannel();
    StopThreads(false, 2000);
}

char** findPaths(const char* function, const char* vid, const char* pid, int* count, std::string extraArgs)
{
    std::vector<std::string> paths;
    {
        Locked l;
        const int wantVid = ParseHexId(vid ? vid : "");
        const int wantPid = ParseHexId(pid ? pid : "");
        const int limit = count ? *count : 0;
        for (auto& d : E().devices) {
            if (int(paths.size()) >= limit)
                break;
            if (d->listed() && wantVid >= 0 && wantPid >= 0 && d->vid == wantVid && d->pid == wantPid)
                paths.push_back(d->path);
        }
    }
    if (count)
        *count = int(paths.size());
    LogCall(function, PathText(vid) + "," + PathText(pid) + extraArgs + "," + num(count ? int(paths.size()) : -1), {},
            0, int(paths.size()));
    return InternArray(paths);
}

// Parsed 728-byte firmware header.
struct ImageHeader
{
    uint32_t length = 0;
    uint32_t version = 0;
    int kind = 0;
    int cid = 0;
    int mid = 0;
    std::string name;
};

ImageHeader readHeader(const uint8_t* image)
{
    ImageHeader h;
    h.length = uint32_t(image[0]) | uint32_t(image[1]) << 8 | uint32_t(image[2]) << 16 | uint32_t(image[3]) << 24;
    h.version = uint32_t(image[16]) | uint32_t(image[17]) << 8 | uint32_t(image[18]) << 16 | uint32_t(image[19]) << 24;
    h.kind = image[20];
    h.cid = image[21];
    h.mid = image[22];
    const char* name = reinterpret_cast<const char*>(image + 87);
    h.name.assign(name, strnlen(name, 64));
    return h;
}

bool takesImage(const Device& d, const ImageHeader& h)
{
    const bool kindMatches = (h.kind == 210 && d.isMouse()) || (h.kind == 211 && d.isReceiver());
    return kindMatches && d.spec.cid == h.cid && d.spec.mid == h.mid && d.spec.firmwareName == h.name;
}

std::string versionText(uint32_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "v%u.%x", v >> 8, v & 0xFF);
    return buf;
}

// One request to the bound mouse: answer(d) queues the answer; false when absent.
template <typename F> int request(const char* function, std::string args, F answer)
{
    int result = 0;
    std::string device;
    {
        Locked l;
        if (Device* d = TargetLocked()) {
            device = d->spec.id;
            result = answer(*d) ? 1 : 0;
        }
    }
    LogCall(function, std::move(args), {}, 0, result, std::move(device));
    return result;
}

std::string idOf(const Device* d)
{
    return d ? d->spec.id : std::string();
}

void pairingJob(uint64_t epoch, std::string receiverId, HidEngine::PairScript script, uint8_t cid,
                       uint64_t generation)
{
    if (!JobSleep(E().costs.pairMs, epoch))
        return;
    Engine& e = E();
    std::lock_guard<std::mutex> lock(e.mu);
    if (e.epoch != epoch)
        return;
    Device* r = FindByIdLocked(receiverId);
    if (!r || !r->listed() || r->pairState != 1)
        return;
    Device* m = nullptr;
    if (script.outcome == HidSim::PairOutcome::Success) {
        if (!script.mouse.empty())
            m = FindByIdLocked(script.mouse);
        if (!m)
            for (auto& d : e.devices)
                if (d->isMouse() && d->spec.receiver == receiverId && d->spec.cid == cid)
                    m = d.get();
        if (!m)
            for (auto& d : e.devices)
                if (d->isMouse() && d->spec.cid == cid) {
                    m = d.get();
                    break;
                }
    }
    const bool before = TargetReachableLocked();
    if (m && m->isMouse()) {
        // A receiver serves one mouse: the new one takes its address.
        r->pairedMouse = m->spec.id;
        std::memcpy(m->address, r->address, 3);
        m->awake = true;
        r->pairState = 3;
        SaveLocked();
        PresenceChangedLocked();
    } else {
        r->pairState = 2;
    }
    (void)generation;
    EnqueueEventLocked(*r, HIDUSB_CMD_PAIRING, 0, {uint8_t(r->pairState)});
    if (r->pairState == 3)
        ReadyIfReachedLocked(before);
}

} // namespace

extern "C" {

// ---- Discovery and presence -----------------------------------------------------------

char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count)
{
    HoldAtCall(__func__);
    return findPaths("UsbFinderC_FindHidDevicesByDefaultDeviceId", vid, pid, count, "");
}

char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int interfaceId, int deviceId,
                                           int* count)
{
    HoldAtCall(__func__);
    return findPaths("UsbFinderC_FindHidDevicesByDeviceId", vid, pid, count,
                     "," + num(interfaceId) + "," + num(deviceId));
}

int UsbFinderC_GetUsbDeviceAttribute(const char* path, uint8_t* attributes)
{
    HoldAtCall(__func__);
    int result = 0;
    std::string device;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        device = idOf(d);
        if (d && attributes) {
            std::memset(attributes, 0, 12);
            attributes[0] = 12;
            attributes[4] = uint8_t(d->vid);
            attributes[5] = uint8_t(d->vid >> 8);
            attributes[6] = uint8_t(d->pid);
            attributes[7] = uint8_t(d->pid >> 8);
            attributes[8] = uint8_t(d->release);
            attributes[9] = uint8_t(d->release >> 8);
            result = 1;
        }
    }
    LogCall("UsbFinderC_GetUsbDeviceAttribute", PathText(path), {}, 0, result, device);
    return result;
}

int UsbFinderC_GetDeviceInfo(const char* path, uint8_t* info)
{
    HoldAtCall(__func__);
    int result = 0;
    uint8_t answer[3] = {0, 0, 0};
    std::string device;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        device = idOf(d);
        if (d) {
            answer[2] = uint8_t(d->connectionKind());
            if (d->identityFailures > 0) {
                --d->identityFailures;
            } else {
                answer[0] = d->spec.cid;
                answer[1] = d->spec.mid;
            }
            result = 1;
        }
    }
    if (info)
        std::memcpy(info, answer, 3);
    LogCall("UsbFinderC_GetDeviceInfo", PathText(path), std::vector<uint8_t>(answer, answer + 3), 0, result, device);
    return result;
}

int UsbFinderC_GetDeviceOnLine(const char* path)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        result = d && OnlineLocked(*d) ? 1 : 0;
    }
    LogCall("UsbFinderC_GetDeviceOnLine", PathText(path), {}, 0, result);
    return result;
}

int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, uint8_t* buffer)
{
    HoldAtCall(__func__);
    uint8_t answer[10] = {};
    int result = 0;
    {
        Locked l;
        if (Device* d = ListedByPathLocked(path)) {
            result = OnlineLocked(*d) ? 1 : 0;
            answer[6] = uint8_t(result);
            std::memcpy(answer + 7, d->address, 3);
        }
    }
    if (buffer)
        std::memcpy(buffer, answer, 10);
    LogCall("UsbFinderC_GetDeviceOnLineWithUsbAddress", PathText(path), std::vector<uint8_t>(answer, answer + 10), 0,
            result);
    return result;
}

int UsbFinderC_GetVersion(const char* path)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        if (Device* d = ListedByPathLocked(path)) {
            const Device* mouse = d->isReceiver() ? MouseOfReceiverLocked(*d) : d;
            if (mouse)
                result = mouse->firmware;
        }
    }
    LogCall("UsbFinderC_GetVersion", PathText(path), {}, 0, result);
    return result;
}

int UsbFinderC_GetSlaveVersion(const char* path, int* version)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        if (d && d->isReceiver()) {
            if (version)
                *version = d->slave;
            result = 1;
        }
    }
    LogCall("UsbFinderC_GetSlaveVersion", PathText(path), {}, 0, result);
    return result;
}

int UsbFinderC_Get4KDongleRGBValue(const char* path, DongleRGB* rgb)
{
    HoldAtCall(__func__);
    int result = 0;
    std::vector<uint8_t> bytes;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        if (d && d->isReceiver() && d->spec.ledOption && rgb) {
            std::memcpy(rgb, d->led.data(), sizeof(DongleRGB));
            bytes.assign(d->led.begin(), d->led.end());
            result = 1;
        }
    }
    LogCall("UsbFinderC_Get4KDongleRGBValue", PathText(path), bytes, 0, result);
    return result;
}

int UsbFinderC_Set4KDongleRGB(const char* path, const DongleRGB* rgb)
{
    HoldAtCall(__func__);
    int result = 0;
    std::vector<uint8_t> bytes;
    if (rgb) {
        const auto* p = reinterpret_cast<const uint8_t*>(rgb);
        bytes.assign(p, p + sizeof(DongleRGB));
    }
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        if (d && d->isReceiver() && d->spec.ledOption && rgb) {
            std::memcpy(d->led.data(), rgb, sizeof(DongleRGB));
            if (E().boundPath == d->path)
                EnqueueReceiverLocked(*d, HIDUSB_CMD_RECEIVER_LIGHT, 0, bytes);
            SaveLocked();
            result = 1;
        }
    }
    LogCall("UsbFinderC_Set4KDongleRGB", PathText(path), bytes, 0, result);
    return result;
}

int UsbFinderC_GetLongRangeMode(const char* path, uint8_t* mode)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        if (d && d->isReceiver() && d->spec.longRangeOption && mode) {
            *mode = d->longRange;
            result = 1;
        }
    }
    LogCall("UsbFinderC_GetLongRangeMode", PathText(path), {}, 0, result);
    return result;
}

int UsbFinderC_SetLongRangeMode(const char* path, uint8_t mode)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        Device* d = ListedByPathLocked(path);
        if (d && d->isReceiver() && d->spec.longRangeOption) {
            const uint8_t before = d->longRange;
            d->longRange = mode ? 1 : 0;
            if (before && !d->longRange && E().boundPath == d->path)
                EnqueueReceiverLocked(*d, HIDUSB_CMD_LONG_RANGE, 0,
                                      {0, d->address[0], d->address[1], d->address[2], 0, 0, 0, 0, 0, 0});
            SaveLocked();
            result = 1;
        }
    }
    LogCall("UsbFinderC_SetLongRangeMode", PathText(path) + "," + num(mode), {}, 0, result);
    return result;
}

int UsbFinderC_SetDongleIDToMouse(const char* mousePath, const uint8_t* record)
{
    HoldAtCall(__func__);
    int result = 0;
    std::vector<uint8_t> bytes;
    if (record)
        bytes.assign(record, record + 5);
    {
        Locked l;
        Device* m = ListedByPathLocked(mousePath);
        if (m && m->isMouse() && record) {
            const bool before = TargetReachableLocked();
            const uint8_t address[3] = {record[2], record[1], record[0]};
            std::memcpy(m->address, address, 3);
            for (auto& r : E().devices)
                if (r->isReceiver() && std::memcmp(r->address, address, 3) == 0)
                    r->pairedMouse = m->spec.id;
            SaveLocked();
            PresenceChangedLocked();
            ReadyIfReachedLocked(before);
            result = 1;
        }
    }
    LogCall("UsbFinderC_SetDongleIDToMouse", PathText(mousePath), bytes, 0, result);
    return result;
}

int UsbFinderC_OpenDevice(const char* path)
{
    HoldAtCall(__func__);
    int result = 0;
    {
        Locked l;
        if (ListedByPathLocked(path)) {
            E().openedPath = path;
            result = 1;
        }
    }
    LogCall("UsbFinderC_OpenDevice", PathText(path), {}, 0, result);
    return result;
}

int UsbFinderC_ReadWriteDeviceData(const uint8_t* request, uint8_t* reply, uint8_t length)
{
    HoldAtCall(__func__);
    int result = 0;
    std::vector<uint8_t> bytes;
    if (request)
        bytes.assign(request, request + length);
    if (request && reply && length >= 2) {
        Locked l;
        Engine& e = E();
        Device* d = ListedByPathLocked(e.openedPath.c_str());
        std::vector<uint8_t> answer(length, 0);
        if (d && d->spec.screen) {
            uint8_t sum = 0;
            for (int i = 0; i < length - 1; ++i)
                sum = uint8_t(sum + request[i]);
            const bool valid = uint8_t(0x55 - sum) == request[length - 1];
            if (e.badScreenReplies > 0) {
                --e.badScreenReplies;
                answer[0] = uint8_t(request[0] ^ 0xFF);
            } else if (valid) {
                // The device echoes the command head with its own checksum.
                const int echo = std::min<int>(length - 1, 11);
                std::memcpy(answer.data(), request, size_t(echo));
                uint8_t s = 0;
                for (int i = 0; i < length - 1; ++i)
                    s = uint8_t(s + answer[size_t(i)]);
                answer[size_t(length - 1)] = uint8_t(0x55 - s);
                d->clock.assign(request, request + length);
                result = 1;
            }
        }
        std::memcpy(reply, answer.data(), length);
    }
    LogCall("UsbFinderC_ReadWriteDeviceData", num(length), bytes, 0, result);
    return result;
}

// ---- Device service --------------------------------------------------------------------

int UsbServerC_Start(const char* path, const char* interfacePath, HidUsbDataCallback callback)
{
    HoldAtCall(__func__);
    int result = 0;
    std::string device;
    {
        Locked l;
        Engine& e = E();
        e.boundPath = path ? path : "";
        e.dataCallback = callback;
        ++e.generation;
        DropAnswersLocked();
        const Device* reached = TargetLocked() ? TargetLocked() : BoundReceiverLocked();
        device = idOf(reached);
        result = reached ? 1 : 0;
    }
    LogCall("UsbServerC_Start", PathText(path) + "," + PathText(interfacePath), {}, 0, result, device);
    return result;
}

void UsbServer_Exit(void)
{
    HoldAtCall(__func__);
    {
        Locked l;
        Engine& e = E();
        e.boundPath.clear();
        e.dataCallback = nullptr;
        ++e.generation;
        DropAnswersLocked();
    }
    // The program's last call when it closes: nothing it changed is left unwritten.
    StateSaver::Flush();
    LogCall("UsbServer_Exit", "");
}

uint32_t UsbServer_GetBinding(void)
{
    HoldAtCall(__func__);
    Locked l;
    return BindingNumber(E().generation);
}

uint32_t UsbServer_GetReportBinding(void)
{
    HoldAtCall(__func__);
    return CurrentDelivery().binding;
}

int UsbServer_ReportPredatesWrite(void)
{
    HoldAtCall(__func__);
    // Asked at the moment of the call: a write made while the callback runs counts too.
    const DeliveryContext& context = CurrentDelivery();
    if (context.device.empty())
        return 0;
    Locked l;
    const Device* source = FindByIdLocked(context.device);
    return source && source->stateSerial != context.stateSerial ? 1 : 0;
}

int UsbServer_SetPCDriverStatus(uint8_t active)
{
    HoldAtCall(__func__);
    return request("UsbServer_SetPCDriverStatus", num(active), [&](Device& d) {
        d.driverActive = active != 0;
        return true;
    });
}

int UsbServer_SetBatteryOptimizeEnable(uint8_t enable)
{
    HoldAtCall(__func__);
    return request("UsbServer_SetBatteryOptimizeEnable", num(enable), [&](Device& d) {
        d.batteryOptimize = enable;
        return true;
    });
}

int UsbServer_ReadAllFlashData(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadAllFlashData", "", [](Device& d) {
        EnqueueLocked(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_ALL, d.images[size_t(d.active)]);
        return true;
    });
}

int UsbServer_ReadDPILed(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadDPILed", "", [](Device& d) {
        FlashDataMap m;
        if (!DecodeActiveLocked(d, -1, &m))
            return false;
        const DpiLevel& level = m.dpiLevels[m.currentDpiLevel & 7];
        EnqueueLocked(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_DPI_LIGHT,
                      {m.dpiEffectMode, m.dpiEffectBrightness, m.dpiEffectSpeed, m.dpiEffectOn, level.red, level.green,
                       level.blue, 0});
        return true;
    });
}

int UsbServer_ReadLedBar(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadLedBar", "", [](Device& d) {
        FlashDataMap m;
        if (!DecodeActiveLocked(d, -1, &m))
            return false;
        EnqueueLocked(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_LIGHT_BAR,
                      {m.lightMode, m.lightColor[0], m.lightColor[1], m.lightColor[2], m.lightSpeed, m.lightBrightness,
                       m.lightOn, m.lightOffWhileMoving, 0});
        return true;
    });
}

int UsbServer_ReadBatteryLevel(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadBatteryLevel", "", [](Device& d) {
        const bool charging = d.charging || d.onCable();
        const int mv = 3300 + d.battery * 9;
        EnqueueLocked(HIDUSB_CMD_BATTERY, 0, {d.battery, uint8_t(charging ? 1 : 0), uint8_t(mv & 0xFF), uint8_t(mv >> 8)});
        return true;
    });
}

int UsbServer_ReadVersion(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadVersion", "", [](Device& d) {
        EnqueueLocked(HIDUSB_CMD_VERSION, 0, {uint8_t(d.firmware & 0xFF), uint8_t((d.firmware >> 8) & 0xFF)});
        return true;
    });
}

int UsbServer_ReadConfig(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadConfig", "", [](Device& d) {
        if (d.spec.profiles > 1)
            EnqueueLocked(HIDUSB_CMD_CONFIG, 0, {uint8_t(d.active)});
        else
            EnqueueLocked(HIDUSB_CMD_CONFIG, 0, {});
        return true;
    });
}

int UsbServer_ReadCurrentDPI(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadCurrentDPI", "", [](Device& d) {
        FlashDataMap m;
        if (!DecodeActiveLocked(d, -1, &m))
            return false;
        EnqueueLocked(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_DPI_LEVEL, {m.currentDpiLevel});
        return true;
    });
}

int UsbServer_ReadReportRate(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_ReadReportRate", "", [](Device& d) {
        FlashDataMap m;
        if (!DecodeActiveLocked(d, -1, &m))
            return false;
        EnqueueLocked(HIDUSB_CMD_SETTINGS, HIDUSB_SUB_ALL, {m.reportRate});
        return true;
    });
}

int UsbServer_SetClearSetting(void)
{
    HoldAtCall(__func__);
    return request("UsbServer_SetClearSetting", "", [](Device& d) {
        FlashDataMap m;
        std::memcpy(&m, d.factory.data(), sizeof m);
        for (int p = 0; p < int(d.images.size()); ++p)
            StoreRecordLocked(d, p, &m, nullptr);
        d.active = 0;
        ++d.stateSerial;
        SaveLocked();
        EnqueueEventLocked(d, HIDUSB_CMD_DEVICE_READY, 0, {1}, E().costs.resetMs);
        return true;
    });
}

int UsbServer_SetCurrentConfig(uint8_t index)
{
    HoldAtCall(__func__);
    return request("UsbServer_SetCurrentConfig", num(index), [&](Device& d) {
        if (index >= d.images.size())
            return false;
        d.active = index;
        ++d.stateSerial;
        SaveLocked();
        EnqueueEventLocked(d, HIDUSB_CMD_CONFIG, 0, {index});
        EnqueueEventLocked(d, HIDUSB_CMD_STATUS_CHANGED, 0, {0, 0, 1, 0, 0, 0, 0});
        return true;
    });
}

int UsbServer_EnterDonglePairOnlyCid(uint8_t cid)
{
    HoldAtCall(__func__);
    int result = 0;
    std::string device;
    {
        Locked l;
        Engine& e = E();
        if (Device* r = BoundReceiverLocked()) {
            device = r->spec.id;
            PairScript script;
            if (!e.pairScripts.empty()) {
                script = e.pairScripts.front();
                e.pairScripts.pop_front();
            }
            r->pairNoAnswer = script.outcome == HidSim::PairOutcome::NoAnswer;
            if (!r->pairNoAnswer) {
                r->pairState = 1;
                EnqueueReceiverLocked(*r, HIDUSB_CMD_PAIRING, 0, {1});
                if (script.outcome != HidSim::PairOutcome::Silence) {
                    const uint64_t epoch = e.epoch;
                    const uint64_t generation = e.generation;
                    const std::string id = r->spec.id;
                    StartJobLocked([=]() { pairingJob(epoch, id, script, cid, generation); });
                }
            }
            result = 1;
        }
    }
    LogCall("UsbServer_EnterDonglePairOnlyCid", num(cid), {}, 0, result, device);
    return result;
}

int UsbServer_ReadDonglePairStatus(void)
{
    HoldAtCall(__func__);
    int result = 0;
    std::string device;
    {
        Locked l;
        if (Device* r = BoundReceiverLocked()) {
            device = r->spec.id;
            if (!r->pairNoAnswer)
                EnqueueReceiverLocked(*r, HIDUSB_CMD_PAIRING, 0, {uint8_t(r->pairState)});
            result = 1;
        }
    }
    LogCall("UsbServer_ReadDonglePairStatus", "", {}, 0, result, device);
    return result;
}

// ---- Record codec ----------------------------------------------------------------------

int ProtocolDataParser(const uint8_t* dump, int dumpLength, FlashDataMap* record)
{
    HoldAtCall(__func__);
    return HidCodec::Decode(dump, dumpLength, record) ? 1 : 0;
}

// Takes the armed half-way unplug when this write goes through that device: a receiver
// or a mouse on its cable is unplugged, a mouse reached through its receiver goes out of
// reach.
static std::function<void()> takeHalfwayUnplugLocked(Device& target)
{
    Engine& e = E();
    if (e.unplugDuringWrite.empty())
        return nullptr;
    Device* receiver = BoundReceiverLocked();
    Device* lost = nullptr;
    if (receiver && receiver->spec.id == e.unplugDuringWrite)
        lost = receiver;
    else if (target.spec.id == e.unplugDuringWrite)
        lost = &target;
    if (!lost)
        return nullptr;
    e.unplugDuringWrite.clear();
    const std::string id = lost->spec.id;
    const bool throughReceiver = lost->isMouse() && receiver;
    return [id, throughReceiver]() {
        Locked l;
        if (Device* d = FindByIdLocked(id)) {
            if (throughReceiver)
                d->awake = false;
            else
                d->plugged = false;
            PresenceChangedLocked();
        }
    };
}

static int writeRecord(const char* function, const FlashDataMap* record, const uint32_t* binding)
{
    std::vector<uint8_t> bytes;
    if (record) {
        const auto* p = reinterpret_cast<const uint8_t*>(record);
        bytes.assign(p, p + sizeof(FlashDataMap));
    }
    int result = 0;
    int sent = 0;
    long long costMs = 0;
    std::string why;
    std::string device;
    uint64_t generation = 0;
    int profile = -1;
    std::function<void()> unplugHalfway;
    {
        Locked l;
        Engine& e = E();
        Device* d = TargetLocked();
        if (!record) {
            why = "no record";
        } else if (binding && (e.boundPath.empty() || *binding != BindingNumber(e.generation))) {
            why = "stale binding";
        } else if (!d) {
            why = "absent";
        } else {
            device = d->spec.id;
            const int changed = ChangedReportsLocked(*d, -1, record);
            if (e.failWrites > 0) {
                --e.failWrites;
                why = "write failed";
            } else if (changed < 0) {
                why = "does not fit";
            } else {
                sent = changed;
                generation = e.generation;
                profile = d->active;
                costMs = (long long)sent * e.costs.reportMs;
                unplugHalfway = takeHalfwayUnplugLocked(*d);
                result = 1;
            }
        }
    }
    if (result) {
        // The reports take their time on the wire; the device keeps them only if it is
        // still there, reached the same way, when the last one arrived.
        std::this_thread::sleep_for(std::chrono::milliseconds(costMs / 2));
        if (unplugHalfway)
            unplugHalfway();
        HoldAtCall("ProtocolDataUpdate:half-way");
        std::this_thread::sleep_for(std::chrono::milliseconds(costMs - costMs / 2));
        Locked l;
        Engine& e = E();
        Device* d = TargetLocked();
        if (!d || d->spec.id != device || e.generation != generation) {
            why = "device left during the write";
            result = 0;
        } else if (!StoreRecordLocked(*d, profile, record, nullptr)) {
            why = "does not fit";
            result = 0;
        } else {
            SaveLocked();
        }
    }
    LogCall(function, why, std::move(bytes), sent, result, std::move(device));
    return result;
}

int ProtocolDataUpdate(const FlashDataMap* record)
{
    HoldAtCall(__func__);
    return writeRecord("ProtocolDataUpdate", record, nullptr);
}

int ProtocolDataUpdateOnBinding(const FlashDataMap* record, uint32_t binding)
{
    HoldAtCall(__func__, "ProtocolDataUpdate");
    return writeRecord("ProtocolDataUpdate", record, &binding);
}

int BufferToDPILed(const uint8_t* data, int dataLength, uint8_t* dpiLight)
{
    HoldAtCall(__func__);
    if (!data || !dpiLight || dataLength < 8)
        return 0;
    std::memcpy(dpiLight, data, 4);
    return 1;
}

int BufferToLedBar(const uint8_t* data, int dataLength, uint8_t* lightBar)
{
    HoldAtCall(__func__);
    if (!data || !lightBar || dataLength < 9)
        return 0;
    std::memcpy(lightBar, data, 7);
    return 1;
}

int GetDeviceBatteryStatus(const uint8_t* data, int dataLength, uint8_t* status)
{
    HoldAtCall(__func__);
    if (!data || !status || dataLength < 4)
        return 0;
    std::memcpy(status, data, 4);
    return 1;
}

int GetDeviceStatusChanged(const uint8_t* data, int dataLength, uint8_t* flags)
{
    HoldAtCall(__func__);
    if (!data || !flags || dataLength < 7)
        return 0;
    for (int i = 0; i < 7; ++i)
        flags[i] = data[i] ? 1 : 0;
    return 1;
}

// ---- Hot-plug --------------------------------------------------------------------------

int StartUsbChanged(HidUsbHotplugCallback callback, int intervalMs)
{
    HoldAtCall(__func__);
    {
        Locked l;
        Engine& e = E();
        e.hotplug = callback;
        e.noticePending = false;
    }
    LogCall("StartUsbChanged", num(intervalMs), {}, 0, 1);
    if (callback) {
        LogDelivery(HidSim::Delivery::Hotplug, nullptr, 0, nullptr, 0);
        callback();
    }
    return 1;
}

void StopUsbChanged(void)
{
    HoldAtCall(__func__);
    {
        Locked l;
        Engine& e = E();
        e.hotplug = nullptr;
        e.noticePending = false;
    }
    LogCall("StopUsbChanged", "");
}

// ---- Firmware upgrade ------------------------------------------------------------------

namespace {

struct FlashRun
{
    uint64_t epoch;
    std::string deviceId;
    ImageHeader header;
    FlashScript script;
    HidUsbUpgradeCallback status;
    std::shared_ptr<std::atomic<bool>> resultReported;
};

enum class FlashEnd { Success, Failure, Unplugged, Silent };

void setLogLocked(const FlashRun& run, int reached, FlashEnd end)
{
    char buf[160];
    std::vector<std::string> log;
    log.push_back("device " + run.deviceId);
    std::snprintf(buf, sizeof buf, "image %s %s kind %d cid %d mid %d", run.header.name.c_str(),
                  versionText(run.header.version).c_str(), run.header.kind, run.header.cid, run.header.mid);
    log.push_back(buf);
    std::snprintf(buf, sizeof buf, "image length %u", run.header.length);
    log.push_back(buf);
    log.push_back("enter boot mode: ok");
    log.push_back("erase: ok");
    std::snprintf(buf, sizeof buf, "write: %d%%", reached);
    log.push_back(buf);
    switch (end) {
    case FlashEnd::Success:
        log.push_back("verify: ok");
        log.push_back("result: success");
        break;
    case FlashEnd::Failure:
        log.push_back("verify: failed");
        log.push_back("result: failure, device waits in boot mode");
        break;
    case FlashEnd::Unplugged:
        log.push_back("verify: device unplugged");
        log.push_back("result: failure, device waits in boot mode");
        break;
    case FlashEnd::Silent:
        log.push_back("verify: waiting");
        log.push_back("result: none");
        break;
    }
    E().upgradeLog = log;
}

void report(const FlashRun& run, uint8_t what, uint8_t value)
{
    const uint8_t bytes[3] = {7, what, value};
    HoldBeforeCallback(bytes[0], bytes[1]);
    {
        std::lock_guard<std::mutex> lock(E().mu);
        if (E().epoch != run.epoch)
            return;
    }
    LogDelivery(HidSim::Delivery::Upgrade, nullptr, 0, bytes, 3);
    ReportSite site(bytes[0], bytes[1]);
    if (run.status)
        run.status(bytes);
}

// The device is still on the link the flash goes over.
bool flashLinkLocked(const FlashRun& run)
{
    const Device* d = FindByIdLocked(run.deviceId);
    return d && d->flashLinkUp();
}

void flashJob(FlashRun run)
{
    Engine& e = E();
    const bool fail = run.script.outcome == HidSim::FlashOutcome::FailAt;
    const bool pull = run.script.outcome == HidSim::FlashOutcome::UnplugAt;
    const int limit = fail ? std::max(0, std::min(100, run.script.failPercent)) : 100;
    auto finished = [&](bool reported) {
        if (reported)
            *run.resultReported = true;
        std::lock_guard<std::mutex> lock(e.mu);
        e.jobCv.notify_all();
    };
    if (run.script.outcome == HidSim::FlashOutcome::Silence) {
        std::lock_guard<std::mutex> lock(e.mu);
        setLogLocked(run, 0, FlashEnd::Silent);
        return;
    }
    // Checked before every step and before the result: a device pulled off mid-flash
    // holds a half-written image, so it can only wait in boot mode for a new flash.
    int reached = 0;
    bool unplugged = false;
    auto stillThere = [&]() {
        std::lock_guard<std::mutex> lock(e.mu);
        unplugged = !flashLinkLocked(run);
        return !unplugged;
    };
    for (int p = 0; p <= limit && !unplugged; p += 10) {
        if (!JobSleep(e.costs.flashStepMs, run.epoch)) {
            finished(false);
            return;
        }
        if (pull && p >= run.script.failPercent) {
            std::lock_guard<std::mutex> lock(e.mu);
            if (Device* d = FindByIdLocked(run.deviceId)) {
                d->plugged = false;
                PresenceChangedLocked();
            }
        }
        if (stillThere()) {
            report(run, 1, uint8_t(p));
            reached = p;
        }
    }
    if (!unplugged && fail && limit % 10 != 0 && stillThere()) {
        report(run, 1, uint8_t(limit));
        reached = limit;
    }
    bool failed = fail || unplugged;
    {
        std::lock_guard<std::mutex> lock(e.mu);
        if (e.epoch != run.epoch)
            return;
        if (!failed && !flashLinkLocked(run))
            unplugged = failed = true;
        setLogLocked(run, reached, unplugged ? FlashEnd::Unplugged : failed ? FlashEnd::Failure : FlashEnd::Success);
        if (Device* d = FindByIdLocked(run.deviceId)) {
            if (failed) {
                d->boot = true;
                PresenceChangedLocked();
            } else {
                d->firmware = int(run.header.version & 0xFFFF);
                if (d->isReceiver()) {
                    d->release = d->firmware;
                    d->slave = d->firmware;
                }
            }
            SaveLocked();
        } else if (e.persist) {
            // Removed mid-flash: it comes back waiting in boot mode.
            auto saved = e.savedStates.find(run.deviceId);
            if (saved != e.savedStates.end()) {
                saved->second.boot = true;
                SaveLocked();
            }
        }
    }
    report(run, 2, failed ? 0 : 1);
    finished(true);
    if (failed)
        return;
    // The device restarts with the new firmware: off the bus, then back.
    {
        std::lock_guard<std::mutex> lock(e.mu);
        if (e.epoch != run.epoch)
            return;
        if (Device* d = FindByIdLocked(run.deviceId)) {
            d->boot = false;
            d->reenumerating = true;
            PresenceChangedLocked();
        }
    }
    if (!JobSleep(e.costs.reenumerateMs, run.epoch))
        return;
    std::lock_guard<std::mutex> lock(e.mu);
    if (Device* d = FindByIdLocked(run.deviceId)) {
        const bool before = TargetReachableLocked();
        d->reenumerating = false;
        SaveLocked();
        PresenceChangedLocked();
        ReadyIfReachedLocked(before);
    }
}

} // namespace

int UsbUpgrade_Start(const uint8_t* image, HidUsbUpgradeCallback status, int timeoutMs)
{
    HoldAtCall(__func__);
    if (!image) {
        LogCall("UsbUpgrade_Start", "(null)," + num(timeoutMs), {}, 0, 0);
        return 0;
    }
    const ImageHeader header = readHeader(image);
    std::vector<uint8_t> bytes(image, image + HIDUSB_FIRMWARE_HEADER_LENGTH);
    int result = 0;
    std::shared_ptr<std::atomic<bool>> reported = std::make_shared<std::atomic<bool>>(false);
    bool waitForResult = false;
    uint64_t epoch = 0;
    std::string device;
    {
        Locked l;
        Engine& e = E();
        FlashScript script;
        if (!e.flashScripts.empty()) {
            script = e.flashScripts.front();
            e.flashScripts.pop_front();
        }
        Device* target = nullptr;
        for (auto& d : e.devices)
            if (!target && d->boot && d->flashLinkUp() && takesImage(*d, header))
                target = d.get();
        for (auto& d : e.devices)
            if (!target && d->listed() && takesImage(*d, header) && (d->isReceiver() || d->onCable()))
                target = d.get();
        device = idOf(target);
        if (target && script.outcome != HidSim::FlashOutcome::Refuse) {
            // The target leaves the bus for its boot loader and stays there until a flash
            // succeeds: a flash cut off by a shutdown or the end of the process leaves it waiting.
            if (!target->boot) {
                target->boot = true;
                PresenceChangedLocked();
            }
            SaveLocked();
            FlashRun run{e.epoch, target->spec.id, header, script, status, reported};
            epoch = e.epoch;
            StartJobLocked([run]() { flashJob(run); });
            waitForResult = script.resultBeforeReturn && script.outcome != HidSim::FlashOutcome::Silence;
            result = 1;
        }
    }
    if (waitForResult) {
        Engine& e = E();
        std::unique_lock<std::mutex> lock(e.mu);
        e.jobCv.wait_for(lock, std::chrono::seconds(10), [&]() { return reported->load() || e.epoch != epoch; });
    }
    LogCall("UsbUpgrade_Start", header.name + "," + versionText(header.version) + "," + num(timeoutMs), std::move(bytes),
            0, result, device);
    return result;
}

int UsbUpgradeC_FindBootDevices(const uint8_t* image, int* count)
{
    HoldAtCall(__func__);
    int n = 0;
    if (image) {
        const ImageHeader header = readHeader(image);
        Locked l;
        for (auto& d : E().devices)
            if (d->boot && d->flashLinkUp() && takesImage(*d, header))
                ++n;
    }
    if (count)
        *count = n;
    LogCall("UsbUpgradeC_FindBootDevices", image ? "" : "(null)", {}, 0, n);
    return n;
}

char** UsbUpgradeC_GetLogs(void)
{
    HoldAtCall(__func__);
    std::vector<std::string> lines;
    {
        Locked l;
        lines = E().upgradeLog;
    }
    lines.resize(HIDUSB_UPGRADE_LOG_LINES);
    LogCall("UsbUpgradeC_GetLogs", "");
    return InternArray(lines);
}

} // extern "C"
