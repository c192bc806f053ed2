#include "core/timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace {
std::atomic<double> g_scale{1.0};
}

double Timing::Scale()
{
    return g_scale.load();
}

void Timing::SetScale(double factor)
{
    g_scale.store(factor > 0 ? factor : 1.0);
}

int Timing::Scaled(int ms)
{
    if (ms <= 0)
        return 0;
    const double v = std::ceil(ms * g_scale.load());
    return std::max(1, static_cast<int>(std::min(v, 2147483647.0)));
}

long long Timing::MonotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void Timing::Sleep(int ms)
{
    const int d = Scaled(ms);
    if (d > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(d));
}

void WaitPumpingEvents(int ms, QEventLoop::ProcessEventsFlags flags)
{
    const int total = Timing::Scaled(ms);
    QElapsedTimer clock;
    clock.start();
    if (!QCoreApplication::instance()) {
        Timing::Sleep(ms);
        return;
    }
    // Slices of at most PumpSlice ms, each one a short event loop, so the thread stays
    // responsive without spinning.
    for (qint64 left = total - clock.elapsed(); left > 0; left = total - clock.elapsed()) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(left, Timing::PumpSlice)), &loop, &QEventLoop::quit);
        loop.exec(flags);
    }
    QCoreApplication::processEvents(flags);
}
