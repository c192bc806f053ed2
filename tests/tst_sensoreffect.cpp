#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensoreffect.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include <memory>

namespace {

QByteArray sentBytes(const HidSim::Call& call)
{
    return QByteArray(reinterpret_cast<const char*>(call.bytes.data()), int(call.bytes.size()));
}

// The row widgets whose visibility a mode decides, in the order of the expected strings.
const char* const kRowWidgets[] = {"SpeedH", "SpeedSpinBox", "line", "LightH", "LightSpinBox", "line_2"};

} // namespace

class TestSensorEffect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void builtState();
    void rowsPerMode_data();
    void rowsPerMode();
    void modeWrites_data();
    void modeWrites();
    void offThenSteady();
    void sliderWrites_data();
    void sliderWrites();
    void dragWritesOnceOnRelease_data();
    void dragWritesOnceOnRelease();
    void reportedValuesAreBounded_data();
    void reportedValuesAreBounded();
    void brightnessStepOf_data();
    void brightnessStepOf();
    void changesWriteNothing_data();
    void changesWriteNothing();
    void emptiedModeListWritesNothing();

private:
    // Shows a record the way the sensor page does for a full read: with the loading flag set.
    void showRecord(int mode, int speed, int step);
    // The record the device and DeviceConfig start from, made the chosen device's full read.
    void startFrom(const FlashDataMap& record);
    QString visibleRows() const;
    template <typename T>
    T* child(const char* name) const
    {
        return m_frame->findChild<T*>(QLatin1String(name));
    }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<SensorEffect> m_frame;
    FlashDataMap m_start{};
    QByteArray m_path;
};

void TestSensorEffect::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_start = DeviceLinkFixture::StoredRecord("m1");
    m_start.dpiEffectOn = 1;
    m_start.dpiEffectMode = 2;
    m_start.dpiEffectSpeed = 3;
    m_start.dpiEffectBrightness = 128;
    VEXO_CHECKED(startFrom(m_start));
    UiSendsChanges.store(1);
    SensorLoading.store(0);
    m_frame = std::make_unique<SensorEffect>(nullptr);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    HidSim::ClearCalls();
}

void TestSensorEffect::cleanup()
{
    m_frame.reset();
    UiSendsChanges.store(0);
    SensorLoading.store(0);
    m_fixture.reset();
}

void TestSensorEffect::startFrom(const FlashDataMap& record)
{
    m_start = record;
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
}

void TestSensorEffect::showRecord(int mode, int speed, int step)
{
    SensorLoading.store(1);
    m_frame->SetEffectSlidersEnabled(true);
    m_frame->SetEffectMode(mode);
    m_frame->SetEffectSpeed(speed);
    m_frame->SetEffectBrightnessStep(step);
    SensorLoading.store(0);
    HidSim::ClearCalls();
}

QString TestSensorEffect::visibleRows() const
{
    QString shown;
    for (const char* name : kRowWidgets) {
        auto* w = child<QWidget>(name);
        shown += w && w->isVisibleTo(m_frame.get()) ? QLatin1Char('1') : QLatin1Char('0');
    }
    return shown;
}

void TestSensorEffect::builtState()
{
    auto* model = child<QComboBox>("Model");
    QVERIFY(model);
    QCOMPARE(model->currentIndex(), 0);
    QCOMPARE(model->count(), 3);
    QCOMPARE(child<QSlider>("SpeedH")->value(), 1);
    QCOMPARE(child<QSlider>("LightH")->value(), 1);
    QCOMPARE(visibleRows(), QStringLiteral("111111"));

    // The language texts the page hands over.
    m_frame->SetEffectTitleText(QStringLiteral("DPI light"));
    m_frame->SetSpeedLabelText(QStringLiteral("Speed"));
    m_frame->SetBrightnessLabelText(QStringLiteral("Brightness"));
    const QStringList modes = {QStringLiteral("Off"), QStringLiteral("Steady"), QStringLiteral("Breathing")};
    for (int i = 0; i < modes.size(); ++i)
        m_frame->SetEffectItemText(i, modes.at(i));
    QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("DPI light"));
    QCOMPARE(child<QLabel>("label_14")->text(), QStringLiteral("Speed"));
    QCOMPARE(child<QLabel>("label_15")->text(), QStringLiteral("Brightness"));
    for (int i = 0; i < modes.size(); ++i)
        QCOMPARE(model->itemText(i), modes.at(i));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorEffect::rowsPerMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("byUser");
    // SpeedH, SpeedSpinBox, line, LightH, LightSpinBox, line_2
    QTest::addColumn<QString>("visible");
    QTest::newRow("off") << 0 << false << "001001";
    QTest::newRow("steady") << 1 << false << "001110";
    QTest::newRow("breathing") << 2 << false << "110001";
    QTest::newRow("mode 3 keeps steady") << 3 << false << "001110";
    QTest::newRow("mode -1 keeps steady") << -1 << false << "001110";
    QTest::newRow("user: off") << 0 << true << "001001";
    QTest::newRow("user: breathing") << 2 << true << "110001";
}

void TestSensorEffect::rowsPerMode()
{
    QFETCH(int, mode);
    QFETCH(bool, byUser);
    QFETCH(QString, visible);
    VEXO_CHECKED(showRecord(1, 3, 5));
    SensorLoading.store(1);
    if (byUser)
        child<QComboBox>("Model")->setCurrentIndex(mode);
    else
        m_frame->SetEffectMode(mode);
    SensorLoading.store(0);

    QCOMPARE(visibleRows(), visible);
    // The captions and the mode list never hide; the list keeps a mode it has no item for out.
    QVERIFY(child<QWidget>("label_14")->isVisibleTo(m_frame.get()));
    QVERIFY(child<QWidget>("label_15")->isVisibleTo(m_frame.get()));
    QVERIFY(child<QWidget>("Model")->isVisibleTo(m_frame.get()));
    QCOMPARE(child<QComboBox>("Model")->currentIndex(), mode >= 0 && mode <= 2 ? mode : 1);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorEffect::modeWrites_data()
{
    QTest::addColumn<int>("effectOn");
    QTest::addColumn<int>("storedMode");
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("effectOnAfter");
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("off keeps breathing") << 1 << 2 << 0 << 0 << 2;
    QTest::newRow("off keeps steady") << 1 << 1 << 0 << 0 << 1;
    QTest::newRow("steady from off") << 0 << 2 << 1 << 1 << 1;
    QTest::newRow("breathing from steady") << 1 << 1 << 2 << 1 << 2;
}

void TestSensorEffect::modeWrites()
{
    QFETCH(int, effectOn);
    QFETCH(int, storedMode);
    QFETCH(int, choice);
    QFETCH(int, effectOnAfter);
    QFETCH(int, modeAfter);
    FlashDataMap start = m_start;
    start.dpiEffectOn = quint8(effectOn);
    start.dpiEffectMode = quint8(storedMode);
    VEXO_CHECKED(startFrom(start));
    VEXO_CHECKED(showRecord(effectOn ? storedMode : 0, 3, 5));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    child<QComboBox>("Model")->setCurrentIndex(choice);

    FlashDataMap expected = m_start;
    expected.dpiEffectOn = quint8(effectOnAfter);
    expected.dpiEffectMode = quint8(modeAfter);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(sentBytes(writes.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);
}

void TestSensorEffect::offThenSteady()
{
    VEXO_CHECKED(showRecord(2, 3, 5));
    auto* model = child<QComboBox>("Model");
    model->setCurrentIndex(0);
    model->setCurrentIndex(1);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 2);
    QCOMPARE(stored.dpiEffectOn, quint8(1));
    QCOMPARE(stored.dpiEffectMode, quint8(1));
    QCOMPARE(visibleRows(), QStringLiteral("001110"));
}

void TestSensorEffect::sliderWrites_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::newRow("speed 1") << "SpeedH" << 1 << 1 << 128;
    QTest::newRow("speed 5") << "SpeedH" << 5 << 5 << 128;
    QTest::newRow("brightness step 1") << "LightH" << 1 << 3 << 16;
    QTest::newRow("brightness step 2") << "LightH" << 2 << 3 << 30;
    QTest::newRow("brightness step 9") << "LightH" << 9 << 3 << 230;
    QTest::newRow("brightness step 10") << "LightH" << 10 << 3 << 255;
}

void TestSensorEffect::sliderWrites()
{
    QFETCH(QString, slider);
    QFETCH(int, value);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    VEXO_CHECKED(showRecord(2, 3, 5));
    auto* s = child<QSlider>(slider.toLatin1().constData());
    QVERIFY(s);

    s->setValue(value); // as a click on the groove lands: at once, one value change

    FlashDataMap expected = m_start;
    expected.dpiEffectSpeed = quint8(speed);
    expected.dpiEffectBrightness = quint8(brightness);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(sentBytes(writes.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    const char* number = slider == QLatin1String("SpeedH") ? "SpeedSpinBox" : "LightSpinBox";
    QCOMPARE(child<QSpinBox>(number)->value(), value);
}

void TestSensorEffect::dragWritesOnceOnRelease_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::newRow("speed 1 to 4") << "SpeedH" << "SpeedSpinBox" << 1 << 4 << 4 << 128;
    QTest::newRow("brightness 5 to 10") << "LightH" << "LightSpinBox" << 5 << 10 << 1 << 255;
    QTest::newRow("brightness 5 down to 1") << "LightH" << "LightSpinBox" << 5 << 1 << 1 << 16;
}

void TestSensorEffect::dragWritesOnceOnRelease()
{
    QFETCH(QString, slider);
    QFETCH(QString, number);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    FlashDataMap start = m_start;
    start.dpiEffectSpeed = 1;
    VEXO_CHECKED(startFrom(start));
    VEXO_CHECKED(showRecord(2, 1, 5));
    auto* s = child<QSlider>(slider.toLatin1().constData());
    auto* box = child<QSpinBox>(number.toLatin1().constData());
    QCOMPARE(s->value(), from);

    // The handle is held and moved step by step: the number follows, the device waits.
    s->setSliderDown(true);
    const int step = to > from ? 1 : -1;
    for (int v = from + step; v != to + step; v += step) {
        s->setSliderPosition(v);
        QCOMPARE(box->value(), v);
        QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    }
    s->setSliderDown(false);

    FlashDataMap expected = m_start;
    expected.dpiEffectSpeed = quint8(speed);
    expected.dpiEffectBrightness = quint8(brightness);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(s->value(), to);
    QCOMPARE(box->value(), to);
}

void TestSensorEffect::reportedValuesAreBounded_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("speedSlider");
    QTest::addColumn<int>("stepSlider");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("speedAfter");
    QTest::addColumn<int>("brightnessAfter");
    // The device's own DPI light report is shown without the loading flag: what the slider
    // bounds is written back.
    QTest::newRow("speed 9") << 9 << 128 << 5 << 5 << 1 << 5 << 128;
    QTest::newRow("speed 0") << 0 << 128 << 1 << 5 << 1 << 1 << 128;
    QTest::newRow("brightness 100") << 3 << 100 << 3 << 10 << 1 << 3 << 255;
    QTest::newRow("brightness 5") << 3 << 5 << 3 << 5 << 0 << 3 << 128;
    QTest::newRow("in range, unchanged") << 3 << 128 << 3 << 5 << 0 << 3 << 128;
    QTest::newRow("speed 4, brightness 30") << 4 << 30 << 4 << 2 << 2 << 4 << 30;
}

void TestSensorEffect::reportedValuesAreBounded()
{
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(int, speedSlider);
    QFETCH(int, stepSlider);
    QFETCH(int, writes);
    QFETCH(int, speedAfter);
    QFETCH(int, brightnessAfter);
    VEXO_CHECKED(showRecord(2, 3, 5));

    m_frame->SetEffectSpeed(speed);
    m_frame->SetEffectBrightnessStep(SensorEffect::BrightnessStepOf(brightness));

    QCOMPARE(child<QSlider>("SpeedH")->value(), speedSlider);
    QCOMPARE(child<QSlider>("LightH")->value(), stepSlider);
    QCOMPARE(child<QSpinBox>("SpeedSpinBox")->value(), speedSlider);
    QCOMPARE(child<QSpinBox>("LightSpinBox")->value(), stepSlider);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), writes);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(int(stored.dpiEffectSpeed), speedAfter);
    QCOMPARE(int(stored.dpiEffectBrightness), brightnessAfter);
}

void TestSensorEffect::brightnessStepOf_data()
{
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("step");
    QTest::newRow("16") << 16 << 1;
    QTest::newRow("128") << 128 << 5;
    QTest::newRow("255") << 255 << 10;
    QTest::newRow("100 is no step") << 100 << 100;
    QTest::newRow("5 is no step") << 5 << 5;
    QTest::newRow("0 is no step") << 0 << 0;
}

void TestSensorEffect::brightnessStepOf()
{
    QFETCH(int, brightness);
    QFETCH(int, step);
    QCOMPARE(SensorEffect::BrightnessStepOf(brightness), step);
    // Every step of the table maps back to itself.
    for (int s = 1; s <= SensorEffect::BrightnessStepCount; ++s)
        QCOMPARE(SensorEffect::BrightnessStepOf(SensorEffect::DpiEffectBrightnessSteps[s - 1]), s);
}

void TestSensorEffect::changesWriteNothing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("sensorLoading");
    QTest::addColumn<bool>("deviceAway");
    QTest::addColumn<int>("offlineNotices");
    const QStringList controls = {QStringLiteral("Model"), QStringLiteral("SpeedH"), QStringLiteral("LightH")};
    for (const QString& c : controls) {
        QTest::newRow(qPrintable(c + QStringLiteral(": page loading"))) << c << true << true << false << 0;
        QTest::newRow(qPrintable(c + QStringLiteral(": pages not yet shown"))) << c << false << false << false << 0;
        QTest::newRow(qPrintable(c + QStringLiteral(": device offline"))) << c << true << false << true << 1;
    }
}

void TestSensorEffect::changesWriteNothing()
{
    QFETCH(QString, control);
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, sensorLoading);
    QFETCH(bool, deviceAway);
    QFETCH(int, offlineNotices);
    VEXO_CHECKED(showRecord(2, 3, 5));
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    SensorLoading.store(sensorLoading ? 1 : 0);
    if (deviceAway)
        QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    // The display follows in every case.
    if (control == QLatin1String("Model")) {
        child<QComboBox>("Model")->setCurrentIndex(1);
        QCOMPARE(visibleRows(), QStringLiteral("001110"));
    } else if (control == QLatin1String("SpeedH")) {
        child<QSlider>("SpeedH")->setValue(5);
        QCOMPARE(child<QSpinBox>("SpeedSpinBox")->value(), 5);
    } else {
        child<QSlider>("LightH")->setValue(10);
        QCOMPARE(child<QSpinBox>("LightSpinBox")->value(), 10);
    }

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), offlineNotices);
    if (offlineNotices > 0)
        QCOMPARE(offline.first().first().toInt(), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
}

void TestSensorEffect::emptiedModeListWritesNothing()
{
    VEXO_CHECKED(showRecord(1, 3, 5));
    auto* model = child<QComboBox>("Model");
    model->setCurrentIndex(-1);
    QCOMPARE(model->currentIndex(), -1);
    QCOMPARE(visibleRows(), QStringLiteral("001110"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
}

VEXO_TEST_MAIN(TestSensorEffect)
#include "tst_sensoreffect.moc"
