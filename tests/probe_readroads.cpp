// Stress probe of the read/write roads, run by hand (not part of the suite):
//   build/tests/probe_readroads [rounds]
// Wrong device: mouse A's dump is handled while, at a random offset after the handler
// starts, the service is rebound to mouse B and B's read is asked for; B must never hold
// A's record. Lost change: a read is asked for, and the user changes the light colour
// before or at a random offset into the handling of its answer; the change must survive
// on the mouse, in the record and on the pages.

#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

void spinUntil(Clock::time_point at)
{
    while (Clock::now() < at) {
    }
}

// Processes events until cond holds; false after timeoutMs.
bool settle(const std::function<bool()>& cond, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

QByteArray bytesOf(const HidSim::Call& c)
{
    return QByteArray(reinterpret_cast<const char*>(c.bytes.data()), int(c.bytes.size()));
}

void choose(const DeviceAllInfo& info)
{
    std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
    CurrentDevice.set(info);
    CurrentDevicePath.set(info.Path);
    SelectedCacheName.set(DeviceCacheName(info.CidMid));
}

void holdNextDump()
{
    HidSim::HoldPoint point;
    point.command = HIDUSB_CMD_SETTINGS;
    point.subCommand = HIDUSB_SUB_ALL;
    HidSim::HoldDelivery(point);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "vexo.device.debug=false\nqt.*=false\ndefault.debug=false");
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> offsetUs(0, 400);

    DeviceLinkFixture fixture;
    HubRecorder pages;

    HidSim::DeviceSpec receiver = DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56);
    receiver.ledOption = true;
    receiver.ledMode = 2;
    const QByteArray pathA = fixture.add(receiver);
    fixture.add(DeviceLinkFixture::ReceiverMouse("a", "r4"));
    const QByteArray pathB = fixture.add(DeviceLinkFixture::CableMouse("b"));
    const DeviceAllInfo infoA = DeviceLinkFixture::InfoFor(pathA, 36, 2, 1, 1);
    const DeviceAllInfo infoB = DeviceLinkFixture::InfoFor(pathB, 36, 1, 2, 0);
    FlashDataMap recordA = DeviceLinkFixture::StoredRecord("a");
    FlashDataMap recordB = DeviceLinkFixture::StoredRecord("b");
    recordA.lightColor[0] = 0xA1;
    recordB.lightColor[0] = 0xB1;
    HidSim::SetSettings("a", -1, recordA);
    HidSim::SetSettings("b", -1, recordB);
    const QByteArray bytesA = DeviceLinkFixture::Bytes(recordA);
    const QByteArray bytesB = DeviceLinkFixture::Bytes(recordB);

    QElapsedTimer total;
    total.start();

    // ---- Wrong device ----
    int wrongDevice = 0;
    int stuckSwitch = 0;
    for (int round = 0; round < rounds; ++round) {
        DeviceConfigPath.set(QByteArray());
        choose(infoA);
        BindDeviceService(pathA);
        HidSim::ClearCalls();
        holdNextDump();
        UsbServer_SetPCDriverStatus(1);
        UsbServer_ReadAllFlashData();
        if (!HidSim::WaitUntilHeld()) {
            ++stuckSwitch;
            continue;
        }
        const auto at = Clock::now() + std::chrono::microseconds(offsetUs(rng));
        std::atomic<bool> switched{false};
        // The worker's part of opening B, on a thread of its own as the worker does it.
        std::thread switcher([&] {
            spinUntil(at);
            choose(infoB);
            BindDeviceService(pathB);
            UsbServer_SetPCDriverStatus(1);
            UsbServer_ReadAllFlashData();
            switched = true;
        });
        HidSim::ReleaseHold();
        const bool done = settle([&] {
            return switched.load() && HidSim::PendingAnswers() == 0 && DeviceConfigPath.get() == pathB;
        });
        switcher.join();
        if (!done)
            ++stuckSwitch;
        bool wrong = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("b")) != bytesB
            || DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("a")) != bytesA;
        for (const HidSim::Call& c : HidSim::Calls("ProtocolDataUpdate"))
            if ((c.device == "b" && bytesOf(c) != bytesB) || (c.device == "a" && bytesOf(c) != bytesA))
                wrong = true;
        if (done && DeviceLinkFixture::Bytes(DeviceConfig.get()) != bytesB)
            wrong = true;
        if (wrong) {
            ++wrongDevice;
            HidSim::SetSettings("a", -1, recordA);
            HidSim::SetSettings("b", -1, recordB);
        }
    }

    // ---- Lost change ----
    int lostChange = 0;
    int stuckChange = 0;
    choose(infoB);
    BindDeviceService(pathB);
    for (int round = 0; round < rounds; ++round) {
        // B fully read.
        {
            std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
            DeviceConfig.set(DeviceLinkFixture::StoredRecord("b"));
            DeviceInfoCacheName.set(SelectedCacheName.get());
            DeviceConfigPath.set(pathB);
        }
        const uint8_t red = uint8_t(round % 251);
        const uint8_t green = uint8_t((round * 7) % 253);
        holdNextDump();
        UsbServer_ReadAllFlashData();
        if (!HidSim::WaitUntilHeld()) {
            ++stuckChange;
            continue;
        }
        pages.clear();
        const int offset = offsetUs(rng);
        const bool beforeRelease = offset % 4 == 0;
        bool written = false;
        // A change made after the light page took its last record is the page's own, shown by
        // the page itself; every record the page takes after the change must carry it.
        int lightFillsBefore = 0;
        if (beforeRelease)
            written = SetLightColor(red, green, 5);
        HidSim::ReleaseHold();
        if (!beforeRelease) {
            // The GUI thread is busy for a moment, as after a click; then the user's change.
            spinUntil(Clock::now() + std::chrono::microseconds(offset));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            lightFillsBefore = pages.count(QStringLiteral("Light"));
            written = SetLightColor(red, green, 5);
        }
        const bool done = settle([&] { return HidSim::PendingAnswers() == 0 && pages.count(QStringLiteral("Form")) > 0; });
        if (!done) {
            ++stuckChange;
            continue;
        }
        const auto holds = [&](const FlashDataMap& m) {
            return m.lightColor[0] == red && m.lightColor[1] == green && m.lightColor[2] == 5;
        };
        FlashDataMap shown = ZeroFlashDataMap();
        if (const HubRecorder::Event* e = pages.last(QStringLiteral("Light")))
            std::memcpy(&shown, e->record.constData(), size_t(std::min<int>(e->record.size(), sizeof shown)));
        if (!written || !holds(DeviceLinkFixture::StoredRecord("b")) || !holds(DeviceConfig.get())
            || (pages.count(QStringLiteral("Light")) > lightFillsBefore && !holds(shown))) {
            ++lostChange;
            if (qEnvironmentVariableIsSet("PROBE_VERBOSE"))
                std::fprintf(stderr, "lost: round %d offset %d before %d written %d stored %d record %d shown %d\n", round,
                             offset, int(beforeRelease), int(written), int(holds(DeviceLinkFixture::StoredRecord("b"))),
                             int(holds(DeviceConfig.get())), int(holds(shown)));
        }
    }

    QTextStream out(stdout);
    out << "rounds: " << rounds << " each, offsets 0-400 us, " << total.elapsed() << " ms\n"
        << "wrong-device rounds: " << wrongDevice << " (not settled: " << stuckSwitch << ")\n"
        << "lost-change rounds: " << lostChange << " (not settled: " << stuckChange << ")\n";
    out.flush();
    StopDeviceService();
    return wrongDevice + lostChange + stuckSwitch + stuckChange == 0 ? 0 : 1;
}
