#include "core/configini.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/sensordefinitions.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensordpi.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The levels the simulated Drive1 mouse (VXP3311) holds at the start of every test.
const int kStartDpi[SensorDPI::LevelCount] = {400, 800, 1200, 1600, 3200, 6000, 9600, 12000};

// Two ranges for the snapping cases, on a model whose codes are computed: the code is
// dpi / 50 - 1 up to 10000 and dpi / 100 - 1 with flags 0x22 above it.
const QStringList kTwoRanges = {"100", "10000", "50", "10100", "12800", "100", "22"};
const char* const kComputedModel = "3360";

quint8 colorOf(int level, int component)
{
    return quint8(10 * (level + 1) + component);
}

QString rgbOf(int level)
{
    return QStringLiteral("%1,%2,%3").arg(colorOf(level, 0)).arg(colorOf(level, 1)).arg(colorOf(level, 2));
}

QByteArray sentBytes(const HidSim::Call& call)
{
    return QByteArray(reinterpret_cast<const char*>(call.bytes.data()), int(call.bytes.size()));
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

enum Action {
    SliderRelease, // the handle let go at 2345
    AddStep,
    ReduceStep,
    LevelClick,    // level 4's button
    CountExchange, // two levels while level 2 is current
    CountPlain,    // five levels
    MarkerDrop,    // from level 2 onto level 3
    ColourChoice,  // (1, 2, 3) for level 2
};

} // namespace

Q_DECLARE_METATYPE(Action)

class TestSensorDPI : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void levelStrip();
    void valueChangeSnaps_data();
    void valueChangeSnaps();
    void sweepThenReleaseWritesOnce();
    void steps_data();
    void steps();
    void levelCount_data();
    void levelCount();
    void markerDrop_data();
    void markerDrop();
    void dragLeavingFrameReturns();
    void colourChoice_data();
    void colourChoice();
    void loadDpiDefaults_data();
    void loadDpiDefaults();
    void offline_data();
    void offline();
    void flags_data();
    void flags();
    void echoGuard_data();
    void echoGuard();
    void setLevelColor_data();
    void setLevelColor();
    void levelsOutOfRange_data();
    void levelsOutOfRange();

private:
    void start(TestEnv::Installation::Mode mode);
    FlashDataMap startRecord(int count, int current) const;
    void useRecord(const FlashDataMap& record);
    void loadRecord(const FlashDataMap& record);
    void useComputedRanges();
    void act(Action action);
    void release(int value);
    void dragMarker(int fromLevel, int releaseX);

    QToolButton* levelButton(int level) const;
    QToolButton* swatch(int level) const;
    QSlider* slider() const { return m_frame->findChild<QSlider*>(QStringLiteral("horizontalSliderC")); }
    QSpinBox* spin() const { return m_frame->findChild<QSpinBox*>(QStringLiteral("spinBoxA")); }
    QComboBox* countBox() const { return m_frame->findChild<QComboBox*>(QStringLiteral("ChooseEvent")); }
    QLabel* marker() const { return m_frame->findChild<QLabel*>(QStringLiteral("label_8")); }
    int checkedLevel() const;
    int writes() const { return HidSim::CallCount("ProtocolDataUpdate"); }
    static FlashDataMap stored() { return DeviceLinkFixture::StoredRecord("m1"); }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<SensorDPI> m_frame;
    QByteArray m_path;
    FlashDataMap m_start{};
};

void TestSensorDPI::init()
{
    VEXO_CHECKED(start(TestEnv::Installation::Shared));
}

void TestSensorDPI::start(TestEnv::Installation::Mode mode)
{
    m_frame.reset();
    m_fixture.reset();
    m_fixture = std::make_unique<DeviceLinkFixture>(mode);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));

    // What the sensor page does once and then for each record of Drive1.
    LoadSensorDefinitions();
    SensorModel = ConfigIni::instance()->value(QStringLiteral("Drive1"), QStringLiteral("Sensor"));
    QCOMPARE(SensorModel, QStringLiteral("VXP3311"));
    ParseDpiRanges(ConfigIni::instance()->valueList(QStringLiteral("Drive1"), QStringLiteral("DPIRange")));
    QCOMPARE(DpiRanges.count, 2);

    UiSendsChanges.store(1);
    SensorLoading.store(0);
    SettingsBusy.store(0);
    m_frame = std::make_unique<SensorDPI>(nullptr);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    useRecord(startRecord(8, 2));
}

void TestSensorDPI::cleanup()
{
    m_frame.reset();
    m_fixture.reset();
    SensorDefineTable = SensorDefinitionTable();
    SensorFeatureSwitches = SensorSwitchTexts();
    SensorModel.clear();
    DpiRanges = DpiRangeSet();
}

FlashDataMap TestSensorDPI::startRecord(int count, int current) const
{
    FlashDataMap record = stored();
    record.dpiLevelCount = quint8(count);
    record.currentDpiLevel = quint8(current);
    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        const DpiCodeBytes code = EncodeDpiLevel(kStartDpi[i]);
        record.dpiLevels[i] = {{code.byte0, code.byte1, code.byte2}, colorOf(i, 0), colorOf(i, 1), colorOf(i, 2)};
    }
    return record;
}

// The device holds the record, DeviceConfig is its full read and the editor shows it.
void TestSensorDPI::useRecord(const FlashDataMap& record)
{
    QVERIFY(HidSim::SetSettings("m1", -1, record));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    m_start = stored();
    loadRecord(m_start);
    HidSim::ClearCalls();
}

// The sensor page's fill sequence, with all eight levels offered.
void TestSensorDPI::loadRecord(const FlashDataMap& record)
{
    SensorDPI& f = *m_frame;
    const int current = record.currentDpiLevel;
    f.ClearLevelCountItems();
    f.BlockSliderSignals(true);
    f.SetSliderEnabled(true);
    SensorLoading.store(1);
    f.SetCurrentLevel(current);
    f.BlockLevelCountSignals(true);
    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        const DpiLevel& l = record.dpiLevels[i];
        f.SetLevelColor(i, QStringLiteral("#%1%2%3")
                               .arg(l.red, 2, 16, QLatin1Char('0'))
                               .arg(l.green, 2, 16, QLatin1Char('0'))
                               .arg(l.blue, 2, 16, QLatin1Char('0')));
        f.SetLevelCountItem(i, QString::number(i + 1));
    }
    f.BlockLevelCountSignals(false);
    f.StyleLevelButtons(current);
    f.SetSliderMaximum(DpiRanges.highest);
    f.SetSliderMinimum(DpiRanges.lowest);
    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        const int dpi = ReadDpiLevel(record.dpiLevels[i].code[0], record.dpiLevels[i].code[2]);
        f.SetLevelText(i, QString::number(dpi));
        if (i == current) {
            f.SetSliderValue(dpi);
            f.SetSpinValue(dpi);
        }
    }
    f.ShowLevels(record.dpiLevelCount - 1);
    f.SetLevelCountIndex(record.dpiLevelCount - 1);
    f.MoveMarkerToLevel(current + 1);
    f.SelectLevel(current);
    f.BlockSliderSignals(false);
    SensorLoading.store(0);
}

void TestSensorDPI::useComputedRanges()
{
    SensorModel = QLatin1String(kComputedModel);
    ParseDpiRanges(kTwoRanges);
    loadRecord(m_start);
    HidSim::ClearCalls();
}

QToolButton* TestSensorDPI::levelButton(int level) const
{
    return m_frame->findChild<QToolButton*>(QLatin1String(SensorDPI::LevelButtonNames[level]));
}

QToolButton* TestSensorDPI::swatch(int level) const
{
    return m_frame->findChild<QToolButton*>(QLatin1String(SensorDPI::LevelButtonNames[level]) + QLatin1Char('A'));
}

int TestSensorDPI::checkedLevel() const
{
    int found = -1;
    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        if (levelButton(i)->isChecked()) {
            if (found >= 0 || !swatch(i)->isChecked())
                return -2; // the two strips disagree
            found = i;
        }
    }
    return found;
}

// The user lets the handle go at a value (tracking is off: the value changes on release).
void TestSensorDPI::release(int value)
{
    QSlider* s = slider();
    s->setSliderDown(true);
    s->setSliderPosition(value);
    s->setSliderDown(false);
}

// Presses on the marker under a level (the marker passes the press on to the editor), drags
// it and lets it go at x.
void TestSensorDPI::dragMarker(int fromLevel, int releaseX)
{
    const QPoint grip(15, 15);
    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[fromLevel]);
    sendMouse(marker(), QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    const QPoint to(releaseX, SensorDPI::LevelMarkerSlots[fromLevel].y() + grip.y());
    sendMouse(m_frame.get(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(m_frame.get(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void TestSensorDPI::act(Action action)
{
    switch (action) {
    case SliderRelease: release(2345); break;
    case AddStep: QTest::mouseClick(m_frame->findChild<QToolButton*>(QStringLiteral("AddLevelA")), Qt::LeftButton); break;
    case ReduceStep: QTest::mouseClick(m_frame->findChild<QToolButton*>(QStringLiteral("ReduceLevelA")), Qt::LeftButton); break;
    case LevelClick: QTest::mouseClick(levelButton(4), Qt::LeftButton); break;
    case CountExchange: countBox()->setCurrentIndex(1); break;
    case CountPlain: countBox()->setCurrentIndex(4); break;
    case MarkerDrop: dragMarker(2, SensorDPI::LevelMarkerSlots[2].x() + 93); break;
    case ColourChoice: m_frame->SetColor(QColor(1, 2, 3)); break;
    }
}

void TestSensorDPI::levelStrip()
{
    // The marker's slots and drop windows are laid out on these places.
    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        QVERIFY(levelButton(i));
        QVERIFY(swatch(i));
        const bool selected = i == 2;
        QCOMPARE(levelButton(i)->geometry(),
                 selected ? QRect(15 + 91 * i - 7, 99 - 7, 68, 70) : QRect(15 + 91 * i, 99, 54, 56));
        QCOMPARE(swatch(i)->geometry(), selected ? QRect(17 + 91 * i - 8, 141 + 6, 66, 14) : QRect(17 + 91 * i, 141, 50, 12));
        QCOMPARE(levelButton(i)->text(), QString::number(kStartDpi[i]));
        QVERIFY2(swatch(i)->styleSheet().contains(QStringLiteral("background-color:rgb(") + rgbOf(i) + ')'),
                 qPrintable(swatch(i)->styleSheet()));
        QVERIFY(swatch(i)->styleSheet().contains(selected ? QLatin1String("MaxB.png") : QLatin1String("MinB.png")));
        QVERIFY(levelButton(i)->styleSheet().contains(selected ? QLatin1String("MaxA.png") : QLatin1String("MinA.png")));
    }
    QCOMPARE(checkedLevel(), 2);
    QCOMPARE(marker()->pos(), QPoint(209, 154));
    QCOMPARE(marker()->size(), QSize(30, 30));
    QCOMPARE(m_frame->size(), QSize(728, 194));
    QVERIFY(!slider()->hasTracking());
    QCOMPARE(slider()->value(), 1200);
    QCOMPARE(spin()->value(), 1200);
    QVERIFY(spin()->isReadOnly());
    QCOMPARE(countBox()->count(), 8);
    QCOMPARE(countBox()->currentIndex(), 7);
    QCOMPARE(writes(), 0);
}

void TestSensorDPI::valueChangeSnaps_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte2");
    QTest::newRow("1234 down to the 50 grid") << 1234 << 1200 << 50 << 23 << 0;
    QTest::newRow("first range's top") << 10000 << 10000 << 50 << 199 << 0;
    QTest::newRow("10050 in the gap: next minimum") << 10050 << 10100 << 100 << 100 << 0x22;
    QTest::newRow("10199 down to the 100 grid") << 10199 << 10100 << 100 << 100 << 0x22;
    QTest::newRow("12345 to 12300") << 12345 << 12300 << 100 << 122 << 0x22;
    QTest::newRow("lowest") << 100 << 100 << 50 << 1 << 0;
}

void TestSensorDPI::valueChangeSnaps()
{
    QFETCH(int, value);
    QFETCH(int, shown);
    QFETCH(int, pageStep);
    QFETCH(int, byte0);
    QFETCH(int, byte2);
    VEXO_CHECKED(useComputedRanges());
    slider()->setPageStep(1);

    release(value);

    QCOMPARE(slider()->value(), value); // the slider keeps where it was let go
    QCOMPARE(slider()->pageStep(), pageStep);
    QCOMPARE(spin()->value(), shown);
    QCOMPARE(levelButton(2)->text(), QString::number(shown));
    FlashDataMap expected = m_start;
    expected.dpiLevels[2].code[0] = quint8(byte0);
    expected.dpiLevels[2].code[1] = quint8(byte0);
    expected.dpiLevels[2].code[2] = quint8(byte2);
    const auto sent = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(sentBytes(sent.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));
}

void TestSensorDPI::sweepThenReleaseWritesOnce()
{
    QSignalSpy moved(slider(), &QSlider::sliderMoved);
    QSlider* s = slider();
    s->setSliderDown(true);
    for (int i = 0; i < 100; ++i) {
        s->setSliderPosition(150 + 117 * i);
        if (i == 49) {
            // Half-way: the number box follows, nothing else does.
            QCOMPARE(spin()->value(), 5850);
            QCOMPARE(levelButton(2)->text(), QStringLiteral("1200"));
            QCOMPARE(writes(), 0);
        }
    }
    QCOMPARE(moved.count(), 100);
    QCOMPARE(spin()->value(), 11700); // 11733 on the 100 grid
    QCOMPARE(writes(), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(m_start));

    s->setSliderDown(false);

    QCOMPARE(writes(), 1);
    QCOMPARE(levelButton(2)->text(), QStringLiteral("11700"));
    // Half of 11700 is 5850, the code 0x10 + (5850 - 100) / 50, with the second range's flags.
    const FlashDataMap after = stored();
    QCOMPARE(int(after.dpiLevels[2].code[0]), 0x83);
    QCOMPARE(int(after.dpiLevels[2].code[1]), 0x83);
    QCOMPARE(int(after.dpiLevels[2].code[2]), 0x22);
    FlashDataMap expected = m_start;
    std::copy(after.dpiLevels[2].code, after.dpiLevels[2].code + 3, expected.dpiLevels[2].code);
    QCOMPARE(DeviceLinkFixture::Bytes(after), DeviceLinkFixture::Bytes(expected));
}

void TestSensorDPI::steps_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("byte0"); // -1: nothing written
    QTest::addColumn<int>("byte2");
    QTest::newRow("up in the first range") << true << 9950 << 10000 << 199 << 0;
    QTest::newRow("up from a range's top to the next minimum") << true << 10000 << 10100 << 100 << 0x22;
    QTest::newRow("up past the highest is clamped") << true << 12750 << 12800 << 127 << 0x22;
    QTest::newRow("up at the highest changes nothing") << true << 12800 << 12800 << -1 << 0;
    QTest::newRow("down in the first range") << false << 5000 << 4950 << 98 << 0;
    QTest::newRow("down from a minimum into the range below") << false << 10100 << 10000 << 199 << 0;
    QTest::newRow("down below the lowest is clamped: nothing") << false << 100 << 100 << -1 << 0;
}

void TestSensorDPI::steps()
{
    QFETCH(bool, up);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, byte0);
    QFETCH(int, byte2);
    VEXO_CHECKED(useComputedRanges());
    m_frame->BlockSliderSignals(true);
    m_frame->SetLevelText(2, QString::number(from));
    m_frame->SetSliderValue(from);
    m_frame->SetSpinValue(from);
    m_frame->BlockSliderSignals(false);

    QTest::mouseClick(m_frame->findChild<QToolButton*>(up ? QStringLiteral("AddLevelA") : QStringLiteral("ReduceLevelA")),
                      Qt::LeftButton);

    QCOMPARE(slider()->value(), to);
    QCOMPARE(spin()->value(), to);
    QCOMPARE(levelButton(2)->text(), QString::number(to));
    FlashDataMap expected = m_start;
    if (byte0 >= 0) {
        expected.dpiLevels[2].code[0] = quint8(byte0);
        expected.dpiLevels[2].code[1] = quint8(byte0);
        expected.dpiLevels[2].code[2] = quint8(byte2);
    }
    QCOMPARE(writes(), byte0 >= 0 ? 1 : 0);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));
}

void TestSensorDPI::levelCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("newCount");
    QTest::addColumn<bool>("exchange");
    QTest::newRow("level 6 current, three levels: 6 and 2 trade places") << 8 << 6 << 3 << true;
    QTest::newRow("level 7 current, one level: 7 and 0 trade places") << 8 << 7 << 1 << true;
    QTest::newRow("level 2 current, seven levels") << 8 << 2 << 7 << false;
    QTest::newRow("level 2 current, three levels: it is the last") << 8 << 2 << 3 << false;
    QTest::newRow("raising three to eight") << 3 << 1 << 8 << false;
}

void TestSensorDPI::levelCount()
{
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(int, newCount);
    QFETCH(bool, exchange);
    VEXO_CHECKED(useRecord(startRecord(count, current)));
    const int last = newCount - 1;
    const int nowCurrent = exchange ? last : current;
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    countBox()->setCurrentIndex(last);

    FlashDataMap expected = m_start;
    expected.dpiLevelCount = quint8(newCount);
    if (exchange) {
        std::swap(expected.dpiLevels[last], expected.dpiLevels[current]);
        expected.currentDpiLevel = quint8(last);
    }
    const auto sent = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(sentBytes(sent.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);

    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        QCOMPARE(levelButton(i)->isVisibleTo(m_frame.get()), i <= last);
        QCOMPARE(swatch(i)->isVisibleTo(m_frame.get()), i <= last);
        int shownAs = i;
        if (exchange && i == last)
            shownAs = current;
        else if (exchange && i == current)
            shownAs = last;
        QCOMPARE(levelButton(i)->text(), QString::number(kStartDpi[shownAs]));
        QVERIFY2(swatch(i)->styleSheet().contains(QStringLiteral("rgb(") + rgbOf(shownAs) + ')'),
                 qPrintable(QString::number(i)));
    }
    QCOMPARE(checkedLevel(), nowCurrent);
    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[nowCurrent]);
    QCOMPARE(slider()->value(), kStartDpi[current]);
}

void TestSensorDPI::markerDrop_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("onMarker"); // false: a click on the frame's background
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("level");     // current level afterwards
    QTest::addColumn<int>("writes");
    // Slots: 27, 118, 209, 300, 391, 483, 573, 664.
    QTest::newRow("level 0, d 93: level 1") << 8 << 0 << true << 120 << 1 << 1;
    QTest::newRow("level 0, d 153: between windows") << 8 << 0 << true << 180 << 0 << 0;
    QTest::newRow("two levels, beyond the last: level sent again") << 2 << 0 << true << 200 << 0 << 1;
    QTest::newRow("seven levels, 615 beyond 612") << 7 << 0 << true << 615 << 0 << 1;
    QTest::newRow("eight levels, 615 is level 6") << 8 << 0 << true << 615 << 6 << 1;
    QTest::newRow("level 0 to 7") << 8 << 0 << true << 690 << 7 << 1;
    QTest::newRow("level 6, d -93: level 5 at 483") << 8 << 6 << true << 480 << 5 << 1;
    QTest::newRow("level 4, d -170: level 2") << 8 << 4 << true << 221 << 2 << 1;
    QTest::newRow("level 7 to 0") << 8 << 7 << true << 50 << 0 << 1;
    QTest::newRow("left of the strip") << 8 << 1 << true << 10 << 1 << 0;
    QTest::newRow("right of the strip") << 8 << 7 << true << 710 << 7 << 0;
    QTest::newRow("click on the background") << 8 << 3 << false << 400 << 3 << 0;
}

void TestSensorDPI::markerDrop()
{
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(bool, onMarker);
    QFETCH(int, x);
    QFETCH(int, level);
    QFETCH(int, writes);
    VEXO_CHECKED(useRecord(startRecord(count, current)));

    if (onMarker) {
        VEXO_CHECKED(dragMarker(current, x));
    } else {
        const QPoint at(x, 169);
        sendMouse(m_frame.get(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendMouse(m_frame.get(), QEvent::MouseMove, at + QPoint(5, 0), Qt::NoButton, Qt::LeftButton);
        sendMouse(m_frame.get(), QEvent::MouseButtonRelease, at + QPoint(5, 0), Qt::LeftButton, Qt::NoButton);
    }

    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[level]);
    QCOMPARE(checkedLevel(), level);
    QCOMPARE(slider()->value(), kStartDpi[level]);
    FlashDataMap expected = m_start;
    expected.currentDpiLevel = quint8(level);
    QCOMPARE(this->writes(), writes);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));

    // The editor's current level moved with it: Reduce now steps the new level.
    HidSim::ClearCalls();
    QTest::mouseClick(m_frame->findChild<QToolButton*>(QStringLiteral("ReduceLevelA")), Qt::LeftButton);
    QCOMPARE(this->writes(), 1);
    QCOMPARE(levelButton(level)->text(), QString::number(kStartDpi[level] - (kStartDpi[level] <= 6000 ? 50 : 100)));
}

void TestSensorDPI::dragLeavingFrameReturns()
{
    sendMouse(marker(), QEvent::MouseButtonPress, QPoint(15, 15), Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_frame.get(), QEvent::MouseMove, QPoint(300, 169), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(marker()->pos(), QPoint(285, 154)); // follows the pointer
    sendMouse(m_frame.get(), QEvent::MouseMove, QPoint(300, 194), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[2]);
    // The drag is over: later moves and the release change nothing.
    sendMouse(m_frame.get(), QEvent::MouseMove, QPoint(300, 169), Qt::NoButton, Qt::LeftButton);
    sendMouse(m_frame.get(), QEvent::MouseButtonRelease, QPoint(300, 169), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[2]);
    QCOMPARE(checkedLevel(), 2);
    QCOMPARE(writes(), 0);
}

void TestSensorDPI::colourChoice_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("deviceAway");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("notices");
    QTest::newRow("written as bytes 3 to 5") << true << false << true << 0;
    QTest::newRow("pages not shown: only the swatch") << false << false << false << 0;
    QTest::newRow("device away: only the swatch") << true << true << false << 1;
}

void TestSensorDPI::colourChoice()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, deviceAway);
    QFETCH(bool, written);
    QFETCH(int, notices);
    QTest::mouseClick(swatch(3), Qt::LeftButton);
    QCOMPARE(checkedLevel(), 3);
    auto* dialog = m_frame->findChild<QColorDialog*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(writes(), 1); // the level the click selected
    FlashDataMap expected = m_start;
    expected.currentDpiLevel = 3;
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));

    HidSim::ClearCalls();
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    if (deviceAway)
        QVERIFY(HidSim::Unplug("m1"));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    dialog->setCurrentColor(QColor(1, 2, 250));
    dialog->accept();

    QVERIFY(swatch(3)->styleSheet().contains(QLatin1String("background-color:rgb(1,2,250)")));
    QVERIFY(swatch(3)->styleSheet().contains(QLatin1String("MaxB.png")));
    if (written) {
        expected.dpiLevels[3].red = 1;
        expected.dpiLevels[3].green = 2;
        expected.dpiLevels[3].blue = 250;
    }
    QCOMPARE(writes(), written ? 1 : 0);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), notices);
}

void TestSensorDPI::loadDpiDefaults_data()
{
    QTest::addColumn<QString>("dpiColor");
    QTest::addColumn<QString>("dpiGrade");
    QTest::addColumn<QStringList>("colors"); // empty: swatches keep their look
    QTest::addColumn<QStringList>("texts");
    const QString sampleColor = "255,0,0,0,0,255,0,255,0,255,255,0,255,0,255,0,255,255,255,128,0,255,255,255";
    const QString sampleGrade = "400,800,1200,1600,3200,6400,9600,12000";
    const QStringList shown = {"400", "800", "1200", "1600", "3200", "6000", "9600", "12000"};
    QTest::newRow("sample lists")
        << sampleColor << sampleGrade
        << QStringList{"255,0,0", "0,0,255", "0,255,0", "255,255,0", "255,0,255", "0,255,255", "255,128,0", "255,255,255"}
        << sampleGrade.split(',');
    QTest::newRow("20 colour numbers: levels 6 and 7 keep theirs")
        << "1,1,1,2,2,2,3,3,3,4,4,4,5,5,5,6,6,6,7,7" << "100,200,300,400,500,600,700,800"
        << QStringList{"1,1,1", "2,2,2", "3,3,3", "4,4,4", "5,5,5", "6,6,6", rgbOf(6), rgbOf(7)}
        << QStringList{"100", "200", "300", "400", "500", "600", "700", "800"};
    QTest::newRow("7 grades change nothing") << sampleColor << "100,200,300,400,500,600,700" << QStringList()
                                             << shown;
}

void TestSensorDPI::loadDpiDefaults()
{
    QFETCH(QString, dpiColor);
    QFETCH(QString, dpiGrade);
    QFETCH(QStringList, colors);
    QFETCH(QStringList, texts);
    VEXO_CHECKED(start(TestEnv::Installation::PrivateCopy));
    QFile file(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString ini = QString::fromUtf8(file.readAll());
    file.close();
    // Drive1 comes first in the file.
    for (const auto& [key, value] : {std::pair<QString, QString>{"DPIColor=", dpiColor}, {"DPIGrade=", dpiGrade}}) {
        const int at = ini.indexOf(QLatin1Char('\n') + key);
        QVERIFY(at >= 0);
        const int end = ini.indexOf(QLatin1Char('\n'), at + 1);
        ini.replace(at + 1, end - at - 1, key + value);
    }
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(ini.toUtf8());
    file.close();
    QStringList stylesBefore;
    for (int i = 0; i < SensorDPI::LevelCount; ++i)
        stylesBefore << swatch(i)->styleSheet();

    SensorLoading.store(1); // as the page's reset
    m_frame->LoadDpiDefaults();
    SensorLoading.store(0);

    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        QCOMPARE(levelButton(i)->text(), texts.at(i));
        if (colors.isEmpty()) {
            QCOMPARE(swatch(i)->styleSheet(), stylesBefore.at(i));
            continue;
        }
        QVERIFY2(swatch(i)->styleSheet().contains(QStringLiteral("background-color:rgb(") + colors.at(i) + ')'),
                 qPrintable(swatch(i)->styleSheet()));
        QVERIFY(swatch(i)->styleSheet().contains(QLatin1String("MinB.png")));
        QCOMPARE(swatch(i)->geometry(), QRect(17 + 91 * i, 141, 50, 12));
    }
    QCOMPARE(writes(), 0);
}

void TestSensorDPI::offline_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("notices");
    QTest::addColumn<int>("level");      // the level the editor shows afterwards
    QTest::addColumn<int>("spinValue");
    QTest::addColumn<int>("countShown"); // visible levels
    QTest::newRow("slider release: raw value shown") << SliderRelease << 1 << 2 << 2345 << 8;
    QTest::newRow("add: nothing moves") << AddStep << 1 << 2 << 1200 << 8;
    QTest::newRow("reduce: nothing moves") << ReduceStep << 1 << 2 << 1200 << 8;
    // The slider's answer to the selection and the level's setter each report.
    QTest::newRow("level click: shown, not stored") << LevelClick << 2 << 4 << 3200 << 8;
    QTest::newRow("count with exchange") << CountExchange << 1 << 1 << 1200 << 2;
    QTest::newRow("count without exchange") << CountPlain << 1 << 2 << 1200 << 5;
    QTest::newRow("marker drop: the drop and the setter report") << MarkerDrop << 2 << 2 << 1200 << 8;
    QTest::newRow("colour") << ColourChoice << 1 << 2 << 1200 << 8;
}

void TestSensorDPI::offline()
{
    QFETCH(Action, action);
    QFETCH(int, notices);
    QFETCH(int, level);
    QFETCH(int, spinValue);
    QFETCH(int, countShown);
    QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    VEXO_CHECKED(act(action));

    QCOMPARE(writes(), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(offline.count(), notices);
    for (const QList<QVariant>& notice : offline)
        QCOMPARE(notice.first().toInt(), 0);
    QCOMPARE(checkedLevel(), level);
    QCOMPARE(spin()->value(), spinValue);
    for (int i = 0; i < SensorDPI::LevelCount; ++i)
        QCOMPARE(levelButton(i)->isVisibleTo(m_frame.get()), i < countShown);
    if (action == MarkerDrop) // the marker stays on the level it was dropped on
        QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[3]);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(m_start));
}

void TestSensorDPI::flags_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("writes");
    QTest::addColumn<QString>("levelText"); // of level 2 afterwards
    const QStringList flags = {"SensorLoading", "SettingsBusy", "UiSendsChanges clear"};
    for (Action a : {SliderRelease, AddStep, LevelClick, CountExchange, CountPlain, MarkerDrop, ColourChoice}) {
        const char* names[] = {"slider release", "add", "reduce", "level click", "count with exchange",
                               "count without exchange", "marker drop", "colour"};
        for (const QString& flag : flags) {
            int writes = 0;
            // The value write follows the user's hand whether or not the pages were shown;
            // only loading and an import or reset hold it back. Busy holds nothing else.
            if (flag == QLatin1String("UiSendsChanges clear") && (a == SliderRelease || a == AddStep))
                writes = 1;
            if (flag == QLatin1String("SettingsBusy") && a != SliderRelease && a != AddStep)
                writes = 1;
            QString text = QStringLiteral("1200");
            if (a == SliderRelease)
                text = QStringLiteral("2300");
            else if (a == AddStep)
                text = QStringLiteral("1250");
            else if (a == CountExchange)
                text = QStringLiteral("1200"); // the exchange happens only outside loading
            if (a == CountExchange && flag != QLatin1String("SensorLoading"))
                text = QStringLiteral("800");
            QTest::addRow("%s, %s", names[a], qPrintable(flag)) << a << flag << writes << text;
        }
    }
}

void TestSensorDPI::flags()
{
    QFETCH(Action, action);
    QFETCH(QString, flag);
    QFETCH(int, writes);
    QFETCH(QString, levelText);
    std::atomic<quint8>& f = flag == QLatin1String("SensorLoading") ? SensorLoading
        : flag == QLatin1String("SettingsBusy")                    ? SettingsBusy
                                                                   : UiSendsChanges;
    f.store(flag == QLatin1String("UiSendsChanges clear") ? 0 : 1);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    VEXO_CHECKED(act(action));

    QCOMPARE(this->writes(), writes);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(levelButton(2)->text(), levelText);
    if (writes == 0)
        QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(m_start));
}

void TestSensorDPI::echoGuard_data()
{
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("selectionWrites");
    QTest::addColumn<int>("level"); // whose value the user then changes
    QTest::newRow("right after a load") << 0 << 0 << 2;
    QTest::newRow("click on a level with another value") << 1 << 1 << 5;
    QTest::newRow("click on a level with the slider's value") << 2 << 1 << 5;
    QTest::newRow("level reported by the device") << 3 << 0 << 5;
    QTest::newRow("level selected by the page while the slider is blocked") << 4 << 0 << 5;
}

void TestSensorDPI::echoGuard()
{
    QFETCH(int, selection);
    QFETCH(int, selectionWrites);
    QFETCH(int, level);
    switch (selection) {
    case 1:
        QTest::mouseClick(levelButton(5), Qt::LeftButton);
        QCOMPARE(slider()->value(), 6000);
        break;
    case 2:
        m_frame->SetLevelText(5, QStringLiteral("1200"));
        QTest::mouseClick(levelButton(5), Qt::LeftButton);
        break;
    case 3: // the sensor page's answer to a level change the mouse reports
        UiSendsChanges.store(0);
        m_frame->MoveMarkerToLevel(6);
        m_frame->SelectLevel(5);
        m_frame->SetCurrentLevel(5);
        UiSendsChanges.store(1);
        QCOMPARE(slider()->value(), 6000);
        break;
    case 4: // as within the page's fill
        SensorLoading.store(1);
        m_frame->BlockSliderSignals(true);
        m_frame->SelectLevel(5);
        m_frame->BlockSliderSignals(false);
        SensorLoading.store(0);
        break;
    default:
        break;
    }
    QCOMPARE(writes(), selectionWrites);
    QCOMPARE(checkedLevel(), level);
    FlashDataMap expected = m_start;
    expected.currentDpiLevel = quint8(level == 2 || selectionWrites == 0 ? m_start.currentDpiLevel : level);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));

    // The user's next change is written, whatever came before it.
    release(2345);
    QCOMPARE(writes(), selectionWrites + 1);
    QCOMPARE(levelButton(level)->text(), QStringLiteral("2300"));
    const DpiCodeBytes code = EncodeDpiLevel(2300);
    expected.dpiLevels[level].code[0] = code.byte0;
    expected.dpiLevels[level].code[1] = code.byte1;
    expected.dpiLevels[level].code[2] = code.byte2;
    QCOMPARE(int(code.byte0), 0x10 + (2300 - 100) / 50);
    QCOMPARE(DeviceLinkFixture::Bytes(stored()), DeviceLinkFixture::Bytes(expected));
}

void TestSensorDPI::setLevelColor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rgb");
    QTest::newRow("hex digits") << "#1A2B3C" << "26,43,60";
    QTest::newRow("lower case") << "#ff0080" << "255,0,128";
    QTest::newRow("a group that does not convert") << "#zz0010" << "0,0,16";
    QTest::newRow("short text") << "#12" << "18,0,0";
}

void TestSensorDPI::setLevelColor()
{
    QFETCH(QString, text);
    QFETCH(QString, rgb);
    const QString before = swatch(6)->styleSheet();
    m_frame->SetLevelColor(6, text);
    QCOMPARE(swatch(6)->styleSheet(), before); // stored, not shown yet
    m_frame->StyleLevelButtons(2);
    QVERIFY2(swatch(6)->styleSheet().contains(QStringLiteral("background-color:rgb(") + rgb + ')'),
             qPrintable(swatch(6)->styleSheet()));
    QCOMPARE(writes(), 0);
}

void TestSensorDPI::levelsOutOfRange_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("level");
    const char* const calls[] = {"SetCurrentLevel", "StyleLevelButtons", "SelectLevel", "SetLevelText",
                                 "SetLevelColor",   "ShowLevels",        "MoveMarkerToLevel", "SetLevelCountIndex"};
    for (int c = 0; c < 8; ++c)
        for (int level : {-1, 8})
            QTest::addRow("%s(%d)", calls[c], c == 6 && level == 8 ? 9 : (c == 6 ? 0 : level)) << c << level;
}

void TestSensorDPI::levelsOutOfRange()
{
    QFETCH(int, call);
    QFETCH(int, level);
    QStringList before;
    for (int i = 0; i < SensorDPI::LevelCount; ++i)
        before << levelButton(i)->text() + swatch(i)->styleSheet();

    switch (call) {
    case 0: m_frame->SetCurrentLevel(level); break;
    case 1: m_frame->StyleLevelButtons(level); break;
    case 2: m_frame->SelectLevel(level); break;
    case 3: m_frame->SetLevelText(level, QStringLiteral("5")); break;
    case 4: m_frame->SetLevelColor(level, QStringLiteral("#010203")); m_frame->StyleLevelButtons(2); break;
    case 5: m_frame->ShowLevels(level); break;
    case 6: m_frame->MoveMarkerToLevel(level < 0 ? 0 : 9); break;
    case 7: m_frame->SetLevelCountIndex(level); break;
    }

    for (int i = 0; i < SensorDPI::LevelCount; ++i) {
        QCOMPARE(levelButton(i)->text() + swatch(i)->styleSheet(), before.at(i));
        QVERIFY(levelButton(i)->isVisibleTo(m_frame.get()));
    }
    QCOMPARE(checkedLevel(), 2);
    QCOMPARE(marker()->pos(), SensorDPI::LevelMarkerSlots[2]);
    QCOMPARE(countBox()->currentIndex(), 7);
    QCOMPARE(writes(), 0);

    // Level 2 is still the editor's current level: a drop one slot right lands on level 3.
    VEXO_CHECKED(dragMarker(2, SensorDPI::LevelMarkerSlots[2].x() + 93));
    QCOMPARE(checkedLevel(), 3);
    QCOMPARE(writes(), 1);
    QCOMPARE(int(stored().currentDpiLevel), 3);
}

VEXO_TEST_MAIN(TestSensorDPI)
#include "tst_sensordpi.moc"
