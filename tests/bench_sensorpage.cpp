// Benchmark of the sensor page, run by hand (not part of the suite):
//   build/tests/bench_sensorpage [fills]
// Page construction and page fill: the GUI time of showing a device record on the whole page (the slot the worker
// reaches), and of the repaint that follows. Drags: the DPI handle over 100 positions and the
// level marker over 60, each then released, against the simulated library's call log.
// Exits 2 when a drag writes while moving or more than once on release.

#include "core/devicestate.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensor.h"
#include "ui/lang/languagefilereader.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double min = 0, median = 0, max = 0;
};

Figures Summarise(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return {ns.front() / 1e6, ns[ns.size() / 2] / 1e6, ns.back() / 1e6};
}

struct Cost {
    int writes = 0;
    int reports = 0;
    int changedBytes = 0;
};

// Record writes and reports since the last ClearCalls, and the bytes the mouse changed.
Cost CostSince(const FlashDataMap& before)
{
    Cost cost;
    for (const HidSim::Call& c : HidSim::Calls("ProtocolDataUpdate")) {
        ++cost.writes;
        cost.reports += c.reports;
    }
    const FlashDataMap after = DeviceLinkFixture::StoredRecord("m1");
    const auto* a = reinterpret_cast<const quint8*>(&before);
    const auto* b = reinterpret_cast<const quint8*>(&after);
    for (size_t i = 0; i < sizeof(FlashDataMap); ++i)
        cost.changedBytes += a[i] != b[i] ? 1 : 0;
    return cost;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int fills = argc > 1 ? std::max(10, atoi(argv[1])) : 500;

    DeviceLinkFixture fixture;
    const QByteArray path = fixture.add(DeviceLinkFixture::CableMouse("m1"));
    // The eight-level 3395 of the sample installation (Drive2), written through m1.
    DeviceAllInfo info = DeviceLinkFixture::InfoFor(path, 36, 2, 1, 1);
    fixture.chooseFullyRead("m1", info);
    LoadLanguageFiles();

    QElapsedTimer built;
    built.start();
    Sensor page;
    std::printf("page construction: %.3f ms\n", built.nsecsElapsed() / 1e6);
    page.show();
    if (!QTest::qWaitForWindowExposed(&page))
        return 1;

    FlashDataMap records[2] = {DeviceLinkFixture::StoredRecord("m1"), DeviceLinkFixture::StoredRecord("m1")};
    records[1].currentDpiLevel = 3;
    records[1].dpiLevelCount = 5;
    records[1].reportRate = 0x10;
    records[1].performance = 1;
    records[1].dpiEffectMode = 2;
    std::vector<qint64> slot, repaint;
    QElapsedTimer clock;
    for (int i = 0; i < fills; ++i) {
        clock.start();
        page.SlotUpDataSenSorUISensor(records[i % 2]);
        slot.push_back(clock.nsecsElapsed());
        clock.start();
        page.repaint();
        repaint.push_back(clock.nsecsElapsed());
    }
    const Figures f = Summarise(slot);
    const Figures r = Summarise(repaint);
    std::printf("page fill (%d records): min %.3f ms, median %.3f ms, max %.3f ms\n", fills, f.min, f.median, f.max);
    std::printf("repaint after a fill:   min %.3f ms, median %.3f ms, max %.3f ms\n", r.min, r.median, r.max);

    // The sweep: press on the handle, 100 moves to the right, release.
    page.SlotUpDataSenSorUISensor(records[0]);
    UiSendsChanges.store(1);
    auto* slider = page.findChild<QSlider*>(QStringLiteral("horizontalSliderC"));
    auto* spin = page.findChild<QSpinBox*>(QStringLiteral("spinBoxA"));
    if (!slider || !spin)
        return 1;
    HidSim::ClearCalls();
    const FlashDataMap before = DeviceLinkFixture::StoredRecord("m1");
    QPoint at = TestEnv::SliderHandleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, at);
    int shownChanges = 0;
    int lastShown = spin->value();
    for (int i = 0; i < 100; ++i) {
        at.rx() += 3;
        QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
        if (spin->value() != lastShown) {
            ++shownChanges;
            lastShown = spin->value();
        }
    }
    const int writesWhileDragging = HidSim::CallCount("ProtocolDataUpdate");
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    const Cost slide = CostSince(before);
    std::printf("slider sweep: 100 moves (number box changed %d times), %d writes while dragging, "
                "%d record write(s) after the release, %d report(s) sent, %d byte(s) changed, shown %d DPI\n",
                shownChanges, writesWhileDragging, slide.writes, slide.reports, slide.changedBytes, spin->value());

    // The marker: press on it, 60 moves to the right over the strip, release under level 3.
    auto* marker = page.findChild<QLabel*>(QStringLiteral("label_8"));
    QWidget* editor = marker ? marker->parentWidget() : nullptr;
    if (!editor)
        return 1;
    HidSim::ClearCalls();
    const FlashDataMap beforeDrop = DeviceLinkFixture::StoredRecord("m1");
    QPoint grip = marker->geometry().center();
    QTest::mousePress(editor, Qt::LeftButton, {}, grip);
    for (int i = 0; i < 60; ++i) {
        grip.rx() += 3;
        QMouseEvent move(QEvent::MouseMove, grip, editor->mapToGlobal(grip), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(editor, &move);
    }
    const int writesWhileMoving = HidSim::CallCount("ProtocolDataUpdate");
    QTest::mouseRelease(editor, Qt::LeftButton, {}, grip);
    const Cost drop = CostSince(beforeDrop);
    std::printf("marker drag: 60 moves, %d writes while dragging, %d record write(s) after the release, "
                "%d report(s) sent, %d byte(s) changed, current level %d -> %d\n",
                writesWhileMoving, drop.writes, drop.reports, drop.changedBytes, beforeDrop.currentDpiLevel,
                DeviceLinkFixture::StoredRecord("m1").currentDpiLevel);
    UiSendsChanges.store(0);
    const bool ok = writesWhileDragging == 0 && slide.writes == 1 && writesWhileMoving == 0 && drop.writes == 1;
    return ok ? 0 : 2;
}
