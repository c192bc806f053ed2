#include "holds.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace HidEngine {

namespace {

struct HoldState
{
    std::mutex mu;
    std::condition_variable cv;
    bool armed = false;
    HidSim::HoldPoint point;
    uint64_t taken = 0;    // holds taken so far
    uint64_t released = 0; // holds up to this one may go on
    // Counted from the numbers, not by the held thread: released means no longer held,
    // even before that thread wakes up.
    bool holding() const { return taken > released; }
};

HoldState& Holds()
{
    static HoldState* holds = new HoldState;
    return *holds;
}

struct Site
{
    bool active = false;
    int command = -1;
    int sub = -1;
};

Site& CurrentSite()
{
    thread_local Site site;
    return site;
}

bool matches(const HidSim::HoldPoint& p, int command, int sub)
{
    return (p.command < 0 || p.command == command) && (p.subCommand < 0 || p.subCommand == sub);
}

void holdHere(HoldState& h, std::unique_lock<std::mutex>& lock)
{
    h.armed = false;
    const uint64_t mine = ++h.taken;
    h.cv.notify_all();
    h.cv.wait(lock, [&]() { return h.released >= mine; });
}

} // namespace

void ArmHold(const HidSim::HoldPoint& point)
{
    HoldState& h = Holds();
    std::lock_guard<std::mutex> lock(h.mu);
    h.point = point;
    h.armed = true;
}

void HoldBeforeCallback(int command, int sub)
{
    HoldState& h = Holds();
    std::unique_lock<std::mutex> lock(h.mu);
    if (h.armed && h.point.atCall.empty() && matches(h.point, command, sub))
        holdHere(h, lock);
}

void HoldAtCall(const char* function, const char* alias)
{
    const Site& site = CurrentSite();
    HoldState& h = Holds();
    std::unique_lock<std::mutex> lock(h.mu);
    if (!h.armed || h.point.atCall.empty())
        return;
    // Any report (both -1) includes none: a call made outside every callback.
    const bool anyReport = h.point.command < 0 && h.point.subCommand < 0;
    if (site.active ? !matches(h.point, site.command, site.sub) : !anyReport)
        return;
    if (h.point.atCall == function || (alias && h.point.atCall == alias))
        holdHere(h, lock);
}

void ReleaseHolds()
{
    HoldState& h = Holds();
    std::lock_guard<std::mutex> lock(h.mu);
    h.armed = false;
    h.released = h.taken;
    h.cv.notify_all();
}

bool WaitUntilHeldImpl(int timeoutMs)
{
    HoldState& h = Holds();
    QCoreApplication* app = QCoreApplication::instance();
    // The held thread may be waiting for this one's event loop before it reaches the hold.
    const bool pump = app && QThread::currentThread() == app->thread();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(h.mu);
            const long long left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
            if (h.holding())
                return true;
            if (left <= 0)
                return false;
            if (h.cv.wait_for(lock, std::chrono::milliseconds(pump ? std::min(5LL, left) : left),
                              [&]() { return h.holding(); }))
                return true;
        }
        if (pump)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

ReportSite::ReportSite(int command, int sub)
{
    Site& site = CurrentSite();
    m_command = site.command;
    m_sub = site.sub;
    m_active = site.active;
    site.active = true;
    site.command = command;
    site.sub = sub;
}

ReportSite::~ReportSite()
{
    Site& site = CurrentSite();
    site.active = m_active;
    site.command = m_command;
    site.sub = m_sub;
}

} // namespace HidEngine
