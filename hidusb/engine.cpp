#include "engine.h"

#include "codec.h"
#include "statesaver.h"
#include "hidusb/flashdatamap.h"

#include <QCoreApplication>
#include <QThread>

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace HidEngine {

Engine& E()
{
    // Never destroyed: paths handed out stay valid and threads may still run at exit.
    static Engine* engine = new Engine;
    return *engine;
}

DeliveryContext& CurrentDelivery()
{
    thread_local DeliveryContext context;
    return context;
}

uint32_t BindingNumber(uint64_t generation)
{
    const uint32_t n = uint32_t(generation);
    return n == 0 ? 1 : n;
}

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int ParseHexId(const std::string& text)
{
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            s += c;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s = s.substr(2);
    if (s.empty() || s.size() > 6)
        return -1;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 16);
    return (end && *end == 0) ? int(v) : -1;
}

std::string PathText(const char* path)
{
    return path ? std::string(path) : std::string("(null)");
}

// ---- Interned strings --------------------------------------------------------------

namespace {
struct Interned
{
    std::mutex mu;
    std::map<std::string, char*> strings;
    std::map<std::vector<std::string>, char**> arrays;
};
Interned& Strings()
{
    static Interned* interned = new Interned;
    return *interned;
}
} // namespace

static char* internUnlocked(Interned& in, const std::string& s)
{
    auto it = in.strings.find(s);
    if (it != in.strings.end())
        return it->second;
    char* copy = new char[s.size() + 1];
    std::memcpy(copy, s.c_str(), s.size() + 1);
    in.strings.emplace(s, copy);
    return copy;
}

char* Intern(const std::string& s)
{
    Interned& in = Strings();
    std::lock_guard<std::mutex> lock(in.mu);
    return internUnlocked(in, s);
}

char** InternArray(const std::vector<std::string>& items)
{
    Interned& in = Strings();
    std::lock_guard<std::mutex> lock(in.mu);
    auto it = in.arrays.find(items);
    if (it != in.arrays.end())
        return it->second;
    char** array = new char*[items.size() + 1];
    for (size_t i = 0; i < items.size(); ++i)
        array[i] = internUnlocked(in, items[i]);
    array[items.size()] = nullptr;
    in.arrays.emplace(items, array);
    return array;
}

// ---- Logging ---------------------------------------------------------------------

// Bounded, since the program may run for hours: the bytes of older calls are let go first.
static const size_t MaxCalls = 8192;
static const size_t CallsWithBytes = 512;
static const size_t MaxDeliveries = 1024;

void LogCall(const char* function, std::string arguments, std::vector<uint8_t> bytes, int reports, int result,
             std::string device)
{
    Engine& e = E();
    HidSim::Call call;
    call.function = function;
    call.arguments = std::move(arguments);
    call.device = std::move(device);
    call.thread = std::this_thread::get_id();
    call.bytes = std::move(bytes);
    call.reports = reports;
    call.result = result;
    std::lock_guard<std::mutex> lock(e.logMu);
    e.reports += reports;
    e.calls.push_back(std::move(call));
    if (e.calls.size() > CallsWithBytes)
        std::vector<uint8_t>().swap(e.calls[e.calls.size() - CallsWithBytes - 1].bytes);
    while (e.calls.size() > MaxCalls)
        e.calls.pop_front();
}

void LogDelivery(HidSim::Delivery::Target target, const uint8_t* head, int headLength, const uint8_t* data,
                 int dataLength)
{
    Engine& e = E();
    HidSim::Delivery d;
    d.target = target;
    if (head && headLength > 0)
        d.head.assign(head, head + headLength);
    if (data && dataLength > 0)
        d.data.assign(data, data + dataLength);
    d.thread = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(e.logMu);
    e.deliveries.push_back(std::move(d));
    while (e.deliveries.size() > MaxDeliveries)
        e.deliveries.pop_front();
}

// ---- Devices ---------------------------------------------------------------------

bool Device::listed() const
{
    if (boot || reenumerating)
        return false;
    if (isMouse())
        return onCable();
    return plugged;
}

int Device::connectionKind() const
{
    if (isReceiver()) {
        switch (spec.receiverType) {
        case 1: return 0;
        case 2: return 4;
        case 4: return 1;
        case 8: return 5;
        default: return 0;
        }
    }
    return spec.cableKind;
}

Device* FindByIdLocked(const std::string& id)
{
    for (auto& d : E().devices)
        if (d->spec.id == id)
            return d.get();
    return nullptr;
}

Device* ListedByPathLocked(const char* path)
{
    if (!path)
        return nullptr;
    for (auto& d : E().devices)
        if (d->path == path && d->listed())
            return d.get();
    return nullptr;
}

Device* MouseOfReceiverLocked(const Device& r)
{
    if (!r.isReceiver() || !r.listed() || r.pairedMouse.empty())
        return nullptr;
    Device* m = FindByIdLocked(r.pairedMouse);
    if (!m || !m->isMouse() || m->boot || m->reenumerating || !m->awake || m->onCable())
        return nullptr;
    if (std::memcmp(m->address, r.address, 3) != 0)
        return nullptr;
    return m;
}

Device* TargetLocked()
{
    Engine& e = E();
    if (e.boundPath.empty())
        return nullptr;
    Device* d = ListedByPathLocked(e.boundPath.c_str());
    if (!d)
        return nullptr;
    if (d->isMouse())
        return d;
    if (d->isReceiver())
        return MouseOfReceiverLocked(*d);
    return nullptr;
}

Device* BoundReceiverLocked()
{
    Engine& e = E();
    if (e.boundPath.empty())
        return nullptr;
    Device* d = ListedByPathLocked(e.boundPath.c_str());
    return d && d->isReceiver() ? d : nullptr;
}

bool OnlineLocked(const Device& d)
{
    if (!d.listed())
        return false;
    if (d.isReceiver())
        return MouseOfReceiverLocked(d) != nullptr;
    return true;
}

bool TargetReachableLocked()
{
    return TargetLocked() != nullptr;
}

void ReadyIfReachedLocked(bool before)
{
    if (!before)
        if (Device* t = TargetLocked())
            EnqueueEventLocked(*t, HIDUSB_CMD_DEVICE_READY, 0, {0});
}

void SetPluggedLocked(Device& d, bool plugged)
{
    const bool before = TargetReachableLocked();
    d.plugged = plugged;
    if (d.isMouse() && plugged)
        d.charging = true;
    PresenceChangedLocked();
    ReadyIfReachedLocked(before);
}

// ---- Threads ---------------------------------------------------------------------

static void drainBatteriesLocked()
{
    Engine& e = E();
    Device* target = TargetLocked();
    for (auto& d : e.devices) {
        if (!d->isMouse() || d->boot)
            continue;
        const uint8_t before = d->battery;
        if (d->onCable()) {
            d->charging = true;
            if (d->battery < 100)
                ++d->battery;
        } else if (d->awake) {
            d->charging = false;
            if (d->battery > 1)
                --d->battery;
        }
        if (d.get() == target && d->battery != before)
            EnqueueEventLocked(*d, HIDUSB_CMD_STATUS_CHANGED, 0, {0, 0, 0, 0, 0, 0, 1});
    }
}

static bool reachesLocked(const std::string& id)
{
    const Device* t = TargetLocked();
    const Device* r = BoundReceiverLocked();
    return (t && t->spec.id == id) || (r && r->spec.id == id);
}

static void serviceLoop(std::shared_ptr<LoopControl> ctl)
{
    Engine& e = E();
    std::unique_lock<std::mutex> lock(e.mu);
    while (!ctl->stop) {
        const long long now = NowMs();
        if (e.batteryDrainSeconds > 0 && now >= e.nextDrain) {
            if (e.nextDrain != 0)
                drainBatteriesLocked();
            e.nextDrain = now + e.batteryDrainSeconds * 1000LL;
        }
        long long wakeAt = e.batteryDrainSeconds > 0 ? e.nextDrain : now + 60000;
        if (!e.queue.empty() && e.queue.front().due <= now) {
            Answer a = std::move(e.queue.front());
            e.queue.pop_front();
            if (a.eventDevice.empty() ? a.generation != e.generation : !reachesLocked(a.eventDevice))
                continue;
            HidUsbDataCallback cb = e.dataCallback;
            if (!cb)
                continue;
            e.inFlight = 1;
            DeliveryContext& context = CurrentDelivery();
            context.binding = BindingNumber(e.generation);
            context.device = a.device;
            context.stateSerial = a.stateSerial;
            lock.unlock();
            const int command = a.head.size() > 1 ? a.head[1] : -1;
            const int sub = a.head.size() > 4 ? a.head[4] : 0;
            // Once out of the queue the report is on its way: a rebind during a hold does
            // not take it back (that is the race a hold is for); only a stop does.
            HoldBeforeCallback(command, sub);
            if (!ctl->stop) {
                LogDelivery(HidSim::Delivery::Data, a.head.data(), int(a.head.size()), a.data.data(),
                            int(a.data.size()));
                ReportSite site(command, sub);
                cb(a.head.data(), int(a.head.size()), a.data.empty() ? nullptr : a.data.data(), int(a.data.size()));
            }
            context = DeliveryContext();
            lock.lock();
            e.inFlight = 0;
            continue;
        }
        if (!e.queue.empty())
            wakeAt = std::min(wakeAt, e.queue.front().due);
        e.serviceCv.wait_for(lock, std::chrono::milliseconds(std::max(1LL, wakeAt - now)));
    }
    ctl->ended = true;
}

static void notifierLoop(std::shared_ptr<LoopControl> ctl)
{
    Engine& e = E();
    std::unique_lock<std::mutex> lock(e.mu);
    while (!ctl->stop) {
        if (!e.noticePending) {
            e.notifierCv.wait(lock);
            continue;
        }
        e.noticePending = false;
        HidUsbHotplugCallback cb = e.hotplug;
        if (!cb)
            continue;
        lock.unlock();
        LogDelivery(HidSim::Delivery::Hotplug, nullptr, 0, nullptr, 0);
        cb();
        lock.lock();
    }
    ctl->ended = true;
}

static void ensureServiceLocked()
{
    Engine& e = E();
    if (e.serviceThread.joinable())
        return;
    e.serviceCtl = std::make_shared<LoopControl>();
    e.serviceThread = std::thread(serviceLoop, e.serviceCtl);
    e.serviceId = e.serviceThread.get_id();
}

static void ensureNotifierLocked()
{
    Engine& e = E();
    if (e.notifierThread.joinable())
        return;
    e.notifierCtl = std::make_shared<LoopControl>();
    e.notifierThread = std::thread(notifierLoop, e.notifierCtl);
    e.notifierId = e.notifierThread.get_id();
}

void EnqueueRawLocked(std::vector<uint8_t> head, std::vector<uint8_t> data, int extraDelayMs)
{
    Engine& e = E();
    if (!e.dataCallback)
        return;
    ensureServiceLocked();
    Answer a;
    a.generation = e.generation;
    a.due = std::max(NowMs() + e.costs.answerMs + extraDelayMs, e.lastDue);
    e.lastDue = a.due;
    a.head = std::move(head);
    a.data = std::move(data);
    if (const Device* t = TargetLocked()) {
        a.device = t->spec.id;
        a.stateSerial = t->stateSerial;
    }
    if (const Device* r = BoundReceiverLocked())
        a.via = r->spec.id;
    e.queue.push_back(std::move(a));
    e.serviceCv.notify_all();
}

void EnqueueReceiverLocked(const Device& receiver, uint8_t command, uint8_t sub, std::vector<uint8_t> data)
{
    EnqueueLocked(command, sub, std::move(data));
    Engine& e = E();
    if (!e.queue.empty()) {
        Answer& a = e.queue.back();
        a.device.clear();
        a.stateSerial = 0;
        a.via = receiver.spec.id;
    }
}

void EnqueueEventLocked(const Device& device, uint8_t command, uint8_t sub, std::vector<uint8_t> data,
                        int extraDelayMs)
{
    EnqueueLocked(command, sub, std::move(data), extraDelayMs);
    Engine& e = E();
    if (!e.queue.empty())
        e.queue.back().eventDevice = device.spec.id;
}

// Answers keep their order by due time; after a drop the next one need not wait for
// the dropped ones.
static void dropAnswersIfLocked(const std::function<bool(const Answer&)>& drop)
{
    Engine& e = E();
    for (auto it = e.queue.begin(); it != e.queue.end();)
        it = it->eventDevice.empty() && drop(*it) ? e.queue.erase(it) : it + 1;
    e.lastDue = 0;
    for (const Answer& a : e.queue)
        e.lastDue = std::max(e.lastDue, a.due);
}

void DropAnswersLocked()
{
    dropAnswersIfLocked([](const Answer&) { return true; });
}

void PresenceChangedLocked()
{
    const Engine& e = E();
    const Device* t = TargetLocked();
    const Device* r = BoundReceiverLocked();
    dropAnswersIfLocked([&](const Answer& a) {
        if (a.generation != e.generation)
            return true;
        if (!a.device.empty() && (!t || t->spec.id != a.device))
            return true;
        return !a.via.empty() && (!r || r->spec.id != a.via);
    });
    NoticeLocked();
}

void EnqueueLocked(uint8_t command, uint8_t sub, std::vector<uint8_t> data, int extraDelayMs, uint8_t status)
{
    std::vector<uint8_t> head = {0xA5, command, uint8_t(data.size() & 0xFF), status, sub};
    EnqueueRawLocked(std::move(head), std::move(data), extraDelayMs);
}

void NoticeLocked()
{
    Engine& e = E();
    if (!e.hotplug)
        return;
    ensureNotifierLocked();
    e.noticePending = true;
    e.notifierCv.notify_all();
}

static void reapJobsLocked(bool all)
{
    Engine& e = E();
    const std::thread::id self = std::this_thread::get_id();
    for (auto it = e.jobs.begin(); it != e.jobs.end();) {
        Job& j = **it;
        if ((all || j.done) && j.thread.get_id() != self && j.done) {
            j.thread.join();
            it = e.jobs.erase(it);
        } else {
            ++it;
        }
    }
}

void StartJobLocked(std::function<void()> body)
{
    Engine& e = E();
    reapJobsLocked(false);
    auto job = std::make_unique<Job>();
    Job* raw = job.get();
    job->thread = std::thread([raw, body]() {
        body();
        raw->done = true;
    });
    e.jobs.push_back(std::move(job));
}

bool JobSleep(int ms, uint64_t epoch)
{
    Engine& e = E();
    std::unique_lock<std::mutex> lock(e.mu);
    if (ms > 0)
        e.jobCv.wait_for(lock, std::chrono::milliseconds(ms), [&]() { return e.epoch != epoch; });
    return e.epoch == epoch;
}

// Waits for a thread to end; on the application's thread it keeps the event loop going so
// that a callback blocked on that thread can return. Gives up (detaches) after timeoutMs.
static void joinThread(std::thread& t, const std::function<bool()>& finished, bool pumpEvents, int timeoutMs)
{
    if (!t.joinable())
        return;
    if (t.get_id() == std::this_thread::get_id()) {
        t.detach();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    const bool pump = pumpEvents && app && QThread::currentThread() == app->thread();
    const long long until = NowMs() + timeoutMs;
    while (!finished() && NowMs() < until) {
        if (pump)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (finished())
        t.join();
    else
        t.detach();
}

void StopThreads(bool pumpEvents, int timeoutMs)
{
    Engine& e = E();
    std::thread service, notifier;
    std::shared_ptr<LoopControl> serviceCtl, notifierCtl;
    std::vector<std::unique_ptr<Job>> jobs;
    {
        std::lock_guard<std::mutex> lock(e.mu);
        ++e.epoch;
        ++e.generation;
        e.queue.clear();
        e.noticePending = false;
        service = std::move(e.serviceThread);
        notifier = std::move(e.notifierThread);
        serviceCtl = std::move(e.serviceCtl);
        notifierCtl = std::move(e.notifierCtl);
        if (serviceCtl)
            serviceCtl->stop = true;
        if (notifierCtl)
            notifierCtl->stop = true;
        jobs = std::move(e.jobs);
        e.jobs.clear();
        e.serviceId = std::thread::id();
        e.notifierId = std::thread::id();
        e.serviceCv.notify_all();
        e.notifierCv.notify_all();
        e.jobCv.notify_all();
    }
    // A held thread could not end otherwise; released only now, it sees the stop.
    ReleaseHolds();
    for (auto& job : jobs) {
        Job* j = job.get();
        joinThread(j->thread, [j]() { return j->done.load(); }, pumpEvents, timeoutMs);
    }
    if (serviceCtl)
        joinThread(service, [serviceCtl]() { return serviceCtl->ended.load(); }, pumpEvents, timeoutMs);
    if (notifierCtl)
        joinThread(notifier, [notifierCtl]() { return notifierCtl->ended.load(); }, pumpEvents, timeoutMs);
    // Last: a job that ended above may have changed what the devices keep.
    StateSaver::Stop(timeoutMs);
}

// ---- Records ---------------------------------------------------------------------

bool DecodeActiveLocked(const Device& d, int profile, void* record)
{
    const int p = profile < 0 ? d.active : profile;
    if (p < 0 || p >= int(d.images.size()))
        return false;
    return HidCodec::Decode(d.images[size_t(p)].data(), HidCodec::DumpLength, static_cast<FlashDataMap*>(record));
}

// The record as the profile's dump and the 64-byte reports that differ from the stored
// one; -1 when there is no such profile or the record does not fit.
static int encodeForProfile(const Device& d, int p, const void* record, std::vector<uint8_t>* dump)
{
    if (p < 0 || p >= int(d.images.size()))
        return -1;
    dump->assign(HidCodec::DumpLength, 0);
    if (!HidCodec::Encode(*static_cast<const FlashDataMap*>(record), dump->data()))
        return -1;
    const std::vector<uint8_t>& old = d.images[size_t(p)];
    int changed = 0;
    for (int at = 0; at < HidCodec::DumpLength; at += HIDUSB_REPORT_LENGTH)
        if (std::memcmp(old.data() + at, dump->data() + at, HIDUSB_REPORT_LENGTH) != 0)
            ++changed;
    return changed;
}

int ChangedReportsLocked(const Device& d, int profile, const void* record)
{
    std::vector<uint8_t> dump;
    return encodeForProfile(d, profile < 0 ? d.active : profile, record, &dump);
}

bool StoreRecordLocked(Device& d, int profile, const void* record, int* reportsChanged)
{
    const int p = profile < 0 ? d.active : profile;
    std::vector<uint8_t> dump;
    const int changed = encodeForProfile(d, p, record, &dump);
    if (changed < 0)
        return false;
    d.images[size_t(p)] = std::move(dump);
    if (changed > 0 && p == d.active)
        ++d.stateSerial;
    if (reportsChanged)
        *reportsChanged = changed;
    return true;
}

// ---- Scenario and state ----------------------------------------------------------

static std::string hex4(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFF);
    return buf;
}

static std::string defaultStatePath()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"))
        base = std::string(home) + "/.local/share";
    else
        base = "/tmp";
    return base + "/hidusb-sim/state.json";
}

static std::vector<uint8_t> imageOf(const std::vector<uint8_t>& record)
{
    std::vector<uint8_t> dump(HidCodec::DumpLength, 0);
    FlashDataMap m;
    std::memcpy(&m, record.data(), sizeof m);
    if (!HidCodec::Encode(m, dump.data())) {
        // A factory record with too many macros: keep the settings without macros.
        std::memset(m.macros, 0, sizeof m.macros);
        HidCodec::Encode(m, dump.data());
    }
    return dump;
}

// What the device kept from earlier runs, if anything.
static const HidScenario::DeviceState* savedStateLocked(const Device& d)
{
    const Engine& e = E();
    if (!e.persist)
        return nullptr;
    const auto saved = e.savedStates.find(d.spec.id);
    if (saved == e.savedStates.end())
        return nullptr;
    // Another model under the same id starts from the scenario.
    return saved->second.mid < 0 || saved->second.mid == d.spec.mid ? &saved->second : nullptr;
}

static void applyStateLocked(Device& d, const HidScenario::DeviceState& s)
{
    if (s.firmware >= 0)
        d.firmware = s.firmware;
    if (s.slave >= 0)
        d.slave = s.slave;
    if (s.release >= 0)
        d.release = s.release;
    if (s.hasAddress)
        std::memcpy(d.address, s.address, 3);
    if (s.hasPaired)
        d.pairedMouse = s.pairedMouse;
    for (size_t p = 0; p < s.images.size() && p < d.images.size(); ++p) {
        std::vector<uint8_t> dump = s.images[p];
        dump.resize(HidCodec::DumpLength, 0);
        FlashDataMap check;
        if (HidCodec::Decode(dump.data(), int(dump.size()), &check))
            d.images[p] = dump;
    }
    if (s.active >= 0 && s.active < int(d.images.size()))
        d.active = s.active;
    if (s.led.size() == d.led.size())
        std::memcpy(d.led.data(), s.led.data(), d.led.size());
    if (s.longRange >= 0)
        d.longRange = uint8_t(s.longRange);
    d.boot = s.boot;
}

// Pairing from the description (the mouse names its receiver) is how the devices first
// come; a pairing they kept from earlier runs wins over it, whichever of the two comes first.
static void pairFromDescriptionLocked(Device& mouse, Device& receiver)
{
    const HidScenario::DeviceState* kept = savedStateLocked(mouse);
    if (!kept || !kept->hasAddress)
        std::memcpy(mouse.address, receiver.address, 3);
    kept = savedStateLocked(receiver);
    if (!kept || !kept->hasPaired)
        receiver.pairedMouse = mouse.spec.id;
}

void AddDeviceLocked(const HidSim::DeviceSpec& spec)
{
    Engine& e = E();
    auto d = std::make_unique<Device>();
    d->spec = spec;
    if (spec.kind == HidSim::Kind::Screen)
        d->spec.screen = true;
    if (d->spec.profiles < 1)
        d->spec.profiles = 1;
    d->vid = ParseHexId(spec.vid);
    d->pid = ParseHexId(spec.pid);
    d->path = !spec.path.empty() ? spec.path : "hid-sim://" + hex4(d->vid) + ":" + hex4(d->pid) + "/" + spec.id;
    d->plugged = spec.plugged;
    d->awake = spec.awake;
    d->firmware = spec.firmware;
    d->slave = spec.slaveVersion ? spec.slaveVersion : spec.firmware;
    d->release = spec.release;
    d->battery = spec.battery;
    d->charging = spec.charging;
    d->led[0] = spec.ledMode;
    d->longRange = spec.longRange;
    if (d->isReceiver())
        std::memcpy(d->address, spec.address, 3);
    if (d->isMouse()) {
        d->factory = spec.factory.size() == size_t(RecordLength) ? spec.factory : HidScenario::DefaultFactory();
        const std::vector<uint8_t> image = imageOf(d->factory);
        d->images.assign(size_t(d->spec.profiles), image);
    }
    Device* raw = d.get();
    e.devices.push_back(std::move(d));
    if (const HidScenario::DeviceState* saved = savedStateLocked(*raw))
        applyStateLocked(*raw, *saved);
    if (raw->isMouse() && !raw->spec.receiver.empty())
        if (Device* r = FindByIdLocked(raw->spec.receiver))
            pairFromDescriptionLocked(*raw, *r);
    if (raw->isReceiver())
        for (auto& m : e.devices)
            if (m->isMouse() && m->spec.receiver == raw->spec.id)
                pairFromDescriptionLocked(*m, *raw);
}

void SaveLocked()
{
    Engine& e = E();
    if (!e.persist || e.statePath.empty())
        return;
    std::map<std::string, HidScenario::DeviceState> states = e.savedStates;
    for (auto& d : e.devices) {
        HidScenario::DeviceState s;
        s.mid = d->spec.mid;
        s.firmware = d->firmware;
        s.slave = d->slave;
        s.release = d->release;
        s.hasAddress = true;
        std::memcpy(s.address, d->address, 3);
        if (d->isReceiver()) {
            s.hasPaired = true;
            s.pairedMouse = d->pairedMouse;
            s.led.assign(d->led.begin(), d->led.end());
            s.longRange = d->longRange;
        }
        s.active = d->active;
        for (const auto& image : d->images) {
            const int used = std::min(int(image.size()), 8 + ((image[4] | (image[5] << 8))));
            s.images.emplace_back(image.begin(), image.begin() + std::max(0, std::min(used, int(image.size()))));
        }
        s.boot = d->boot;
        states[d->spec.id] = s;
    }
    e.savedStates = states;
    StateSaver::HandOver(e.statePath, std::move(states));
}

void ClearLocked()
{
    Engine& e = E();
    e.devices.clear();
    e.savedStates.clear();
    e.boundPath.clear();
    e.dataCallback = nullptr;
    ++e.generation;
    e.queue.clear();
    e.lastDue = 0;
    e.hotplug = nullptr;
    e.noticePending = false;
    e.flashScripts.clear();
    e.pairScripts.clear();
    e.failWrites = 0;
    e.unplugDuringWrite.clear();
    e.badScreenReplies = 0;
    e.openedPath.clear();
    e.upgradeLog.clear();
    e.costs = HidSim::Costs();
    e.batteryDrainSeconds = 0;
    e.persist = false;
    e.statePath.clear();
}

void LoadScenarioLocked(const HidScenario::Scenario& s, bool persist)
{
    Engine& e = E();
    e.devices.clear();
    e.costs = s.costs;
    e.batteryDrainSeconds = s.batteryDrainSeconds;
    e.nextDrain = 0;
    e.persist = persist && s.persist;
    e.statePath = defaultStatePath();
    e.savedStates.clear();
    if (e.persist) {
        StateSaver::RemoveLeftovers(e.statePath);
        HidScenario::LoadState(e.statePath, &e.savedStates);
    }
    // Receivers first, so that pairing from a mouse's description finds them.
    for (const auto& spec : s.devices)
        if (spec.kind == HidSim::Kind::Receiver)
            AddDeviceLocked(spec);
    for (const auto& spec : s.devices)
        if (spec.kind != HidSim::Kind::Receiver)
            AddDeviceLocked(spec);
    // Keep the description's order of listing.
    std::vector<std::unique_ptr<Device>> ordered;
    for (const auto& spec : s.devices)
        for (auto& d : e.devices)
            if (d && d->spec.id == spec.id) {
                ordered.push_back(std::move(d));
                break;
            }
    e.devices = std::move(ordered);
    // A mouse left in boot mode by a failed flash is still there next time.
    PresenceChangedLocked();
}

static bool fileExists(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

std::string DefaultScenarioPathImpl()
{
    if (const char* env = std::getenv("HIDUSB_SIM_SCENARIO"))
        if (*env)
            return env;
    // The build folder keeps the file beside the program and the library; an installation
    // keeps it in <prefix>/share/vexo, beside <prefix>/bin and <prefix>/lib/vexo.
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = 0;
        for (const char* rel : {"/hidusb-sim.json", "/../share/vexo/hidusb-sim.json"}) {
            const std::string path = HidScenario::FolderOf(exe) + rel;
            if (fileExists(path))
                return path;
        }
    }
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DefaultScenarioPathImpl), &info) && info.dli_fname) {
        for (const char* rel : {"/hidusb-sim.json", "/../../share/vexo/hidusb-sim.json"}) {
            const std::string path = HidScenario::FolderOf(info.dli_fname) + rel;
            if (fileExists(path))
                return path;
        }
    }
    return std::string();
}

bool ReadFile(const std::string& path, std::string* out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    *out = text;
    return true;
}

bool EnsureInitLocked()
{
    Engine& e = E();
    if (e.initialized)
        return false;
    e.initialized = true;
    const std::string path = DefaultScenarioPathImpl();
    std::string text;
    HidScenario::Scenario s;
    if (path.empty() || !ReadFile(path, &text) || !HidScenario::Parse(text, &s, nullptr))
        return false;
    LoadScenarioLocked(s, true);
    return true;
}

} // namespace HidEngine
