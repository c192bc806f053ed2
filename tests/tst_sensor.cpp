#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/sensordefinitions.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensor.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/langtext.h"

#include "hidusb/hidsim.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QStyleOptionComboBox>
#include <QtTest>

#include <memory>

namespace {

// Drive1 of the sample installation: sensor VXP3311 (no mode switch, no LOD setting), six
// levels, layout 2. Drive2: sensor 3395 (mode switch, LOD setting), eight levels, layout 1.
constexpr quint32 Drive1 = 0;
constexpr quint32 Drive2 = 1;

const char* const kLevelButtons[8] = {"BlueButton",  "BrightRedButton", "RedButton",      "YellowButton",
                                      "GreenButton", "PurpleButton",    "LightBlueButton", "LightYellowButton"};
const char* const kRateButtons[7] = {"Button125HZ",  "Button250HZ",  "Button500HZ", "Button1000HZ",
                                     "Button2000HZ", "Button4000HZ", "Button8000HZ"};

// The 3395's DPI code: value / 50 - 1 in byte 0 (low) and byte 2 (high).
void SetLevelDpi3395(FlashDataMap& m, int level, int dpi)
{
    const int code = dpi / 50 - 1;
    m.dpiLevels[level].code[0] = quint8(code & 0xFF);
    m.dpiLevels[level].code[1] = quint8(code & 0xFF);
    m.dpiLevels[level].code[2] = quint8(code >> 8);
}

} // namespace

class TestSensor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void loadSetsSensorMode_data();
    void loadSetsSensorMode();
    void loadShowsRecordWithoutWriting();
    void layoutFollowsDevice();
    void loadClampsRecordValues_data();
    void loadClampsRecordValues();
    void loadedFlagOnlyForFullReads();
    void rateRule_data();
    void rateRule();
    void userChangesWriteOnce_data();
    void userChangesWriteOnce();
    void writesNothingWhileLoadingOrBeforeOpen();
    void offlineChangeStoresNothing();
    void reset_data();
    void reset();
    void deviceLevelReport_data();
    void deviceLevelReport();
    void deviceLightReportIsNotWrittenBack();
    void texts_data();
    void texts();
    void disabledListsReadable_data();
    void disabledListsReadable();

private:
    void choose(quint32 drive, quint8 connectionType, quint8 wired);
    FlashDataMap record() const;
    template <typename T>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QComboBox* modes() const { return child<QComboBox>("ModelChoose"); }
    bool cordedRowHidden() const
    {
        return static_cast<QListView*>(modes()->view())->isRowHidden(Sensor::CordedMode);
    }
    int checkedRate() const;

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<Sensor> m_page;
    QByteArray m_path;
};

void TestSensor::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    choose(Drive2, 1, 0);
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(0);
    SensorLoading.store(0);
    m_page = std::make_unique<Sensor>(nullptr);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    HidSim::ClearCalls();
}

void TestSensor::cleanup()
{
    m_page.reset();
    UiSendsChanges.store(0);
    SensorLoading.store(0);
    SensorLoaded.store(0);
    CurrentLanguage.store(0);
    m_fixture.reset();
}

void TestSensor::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

// The device record points at the sample section `drive`; writes still reach m1.
void TestSensor::choose(quint32 drive, quint8 connectionType, quint8 wired)
{
    DeviceAllInfo info = DeviceLinkFixture::InfoFor(m_path, 36, 1, connectionType, drive);
    info.Wired = wired;
    m_fixture->chooseFullyRead("m1", info);
}

// A record the 3395 shows as it is: four levels of 400, 800, 1600, 3200 DPI, level 1 current.
FlashDataMap TestSensor::record() const
{
    FlashDataMap m = DeviceLinkFixture::StoredRecord("m1");
    m.reportRate = 0x01;
    m.dpiLevelCount = 4;
    m.currentDpiLevel = 1;
    const int dpi[8] = {400, 800, 1600, 3200, 6400, 12800, 19200, 26000};
    for (int i = 0; i < 8; ++i) {
        SetLevelDpi3395(m, i, dpi[i]);
        m.dpiLevels[i].red = quint8(16 * i);
        m.dpiLevels[i].green = 0x0A;
        m.dpiLevels[i].blue = 0xFF;
    }
    m.lod = 2;
    m.modelChoose = 1;
    m.performance = 1;
    m.performanceOpen = 90;
    m.dpiEffectOn = 1;
    m.dpiEffectMode = 2;
    m.dpiEffectSpeed = 4;
    m.dpiEffectBrightness = 150;
    return m;
}

int TestSensor::checkedRate() const
{
    for (int i = 0; i < 7; ++i) {
        if (child<QToolButton>(kRateButtons[i])->isChecked())
            return i;
    }
    return -1;
}

void TestSensor::loadSetsSensorMode_data()
{
    QTest::addColumn<quint32>("drive");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("wired");
    QTest::addColumn<int>("reportRate");
    QTest::addColumn<int>("modelChoose");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rateButton");

    QTest::newRow("receiver 1000 Hz: stored mode") << Drive2 << 1 << 0 << 0x01 << 1 << true << 1 << 3;
    QTest::newRow("receiver 2000 Hz: Corded") << Drive2 << 1 << 0 << 0x10 << 0 << false << 2 << 4;
    QTest::newRow("kind 4 at 8000 Hz: Corded") << Drive2 << 4 << 0 << 0x40 << 1 << false << 2 << 6;
    QTest::newRow("kind 3 at 4000 Hz: stored mode") << Drive2 << 3 << 0 << 0x20 << 0 << true << 0 << 5;
    QTest::newRow("cable at 4000 Hz: 1000 Hz shown, Corded") << Drive2 << 2 << 1 << 0x20 << 1 << false << 2 << 3;
    QTest::newRow("cable at 8000 Hz: 8000 Hz shown") << Drive2 << 2 << 1 << 0x40 << 1 << false << 2 << 6;
    QTest::newRow("cable at 500 Hz: Corded") << Drive2 << 2 << 1 << 0x02 << 0 << false << 2 << 2;
    QTest::newRow("no mode switch: list off, item kept") << Drive1 << 1 << 0 << 0x01 << 1 << false << 0 << 3;
    QTest::newRow("unknown rate code: no button") << Drive2 << 1 << 0 << 0x03 << 0 << true << 0 << -1;
}

void TestSensor::loadSetsSensorMode()
{
    QFETCH(quint32, drive);
    QFETCH(int, connectionType);
    QFETCH(int, wired);
    QFETCH(int, reportRate);
    QFETCH(int, modelChoose);
    QFETCH(bool, enabled);
    QFETCH(int, mode);
    QFETCH(int, rateButton);
    choose(drive, quint8(connectionType), quint8(wired));
    FlashDataMap m = record();
    m.reportRate = quint8(reportRate);
    m.modelChoose = quint8(modelChoose);
    UiSendsChanges.store(1);

    m_page->SlotUpDataSenSorUISensor(m);

    QCOMPARE(modes()->isEnabled(), enabled);
    QCOMPARE(modes()->currentIndex(), mode);
    QCOMPARE(checkedRate(), rateButton);
    // Whenever the list can be opened, "Corded" is not offered.
    if (modes()->isEnabled())
        QVERIFY(cordedRowHidden());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensor::loadShowsRecordWithoutWriting()
{
    UiSendsChanges.store(1);
    m_page->SlotUpDataSenSorUISensor(record());

    // Levels 1 to 4 shown with their values, the marker under the second, the slider on 800.
    for (int i = 0; i < 8; ++i) {
        auto* button = child<QToolButton>(kLevelButtons[i]);
        QCOMPARE(button->isVisible(), i < 4);
        QCOMPARE(button->isChecked(), i == 1);
    }
    QCOMPARE(child<QToolButton>("YellowButton")->text(), QStringLiteral("3200"));
    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), 8);
    QCOMPARE(child<QComboBox>("ChooseEvent")->currentIndex(), 3);
    QCOMPARE(child<QLabel>("label_8")->x(), 118);
    QCOMPARE(child<QSlider>("horizontalSliderC")->value(), 800);
    QCOMPARE(child<QSlider>("horizontalSliderC")->maximum(), 26000);
    QCOMPARE(child<QSlider>("horizontalSliderC")->minimum(), 50);
    QCOMPARE(child<QSpinBox>("spinBoxA")->value(), 800);
    // 3395 gives the LOD setting with two items; lod 2 is "2mm".
    auto* lod = child<QComboBox>("LOD");
    QVERIFY(lod->isEnabled());
    QCOMPARE(lod->count(), 2);
    QCOMPARE(lod->currentText(), QStringLiteral("2mm"));
    QVERIFY(child<QCheckBox>("Performance")->isChecked());
    QVERIFY(child<QComboBox>("PerformanceOpen")->isEnabled());
    QCOMPARE(child<QComboBox>("PerformanceOpen")->currentIndex(), 5);
    QCOMPARE(child<QComboBox>("Model")->currentIndex(), 2);
    QCOMPARE(child<QSlider>("SpeedH")->value(), 4);
    QCOMPARE(child<QSlider>("LightH")->value(), 6);
    QCOMPARE(SensorLoading.load(), quint8(0));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);

    // A performance time that is no item keeps the item shown.
    FlashDataMap m = record();
    m.performanceOpen = 15;
    m.performance = 0;
    m_page->SlotUpDataSenSorUISensor(m);
    QCOMPARE(child<QComboBox>("PerformanceOpen")->currentIndex(), 5);
    QVERIFY(!child<QComboBox>("PerformanceOpen")->isEnabled());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensor::layoutFollowsDevice()
{
    auto* effect = m_page->findChild<QWidget*>(QStringLiteral("frameEffect"));
    QVERIFY(effect);
    const char* const sensorSection[] = {"TitleButton_4", "label_5", "label_11", "ModelChoose",
                                         "frameLOD",      "Performance", "PerformanceOpen"};

    choose(Drive1, 2, 1);
    m_page->SlotUpDataSenSorUISensor(record());
    QCOMPARE(effect->pos(), QPoint(80, 316));
    QCOMPARE(child<QWidget>("TitleButton_3")->pos(), QPoint(40, 323));
    for (const char* name : sensorSection)
        QVERIFY2(!child<QWidget>(name)->isVisible(), name);
    // VXP3311: six levels, ranges up to 12000.
    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), 6);
    QCOMPARE(child<QSlider>("horizontalSliderC")->maximum(), 12000);
    QCOMPARE(child<QSlider>("horizontalSliderC")->minimum(), 100);

    choose(Drive2, 1, 0);
    m_page->SlotUpDataSenSorUISensor(record());
    QCOMPARE(effect->pos(), QPoint(80, 456));
    QCOMPARE(child<QWidget>("TitleButton_3")->pos(), QPoint(40, 463));
    for (const char* name : sensorSection)
        QVERIFY2(child<QWidget>(name)->isVisible(), name);
    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), 8);
}

void TestSensor::loadClampsRecordValues_data()
{
    QTest::addColumn<QString>("maxGrade");
    QTest::addColumn<int>("levelCount");
    QTest::addColumn<int>("currentLevel");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("countIndex");
    QTest::addColumn<int>("selected");

    QTest::newRow("DPIMaxGrade above 8") << "12" << 4 << 1 << 8 << 3 << 1;
    QTest::newRow("DPIMaxGrade negative") << "-3" << 4 << 1 << 0 << 0 << 1;
    QTest::newRow("level count 0") << "8" << 0 << 0 << 8 << 0 << 0;
    QTest::newRow("level count 200") << "8" << 200 << 2 << 8 << 7 << 2;
    QTest::newRow("level count above the grade") << "6" << 8 << 2 << 6 << 5 << 2;
    QTest::newRow("current level 9 shows level 0") << "8" << 4 << 9 << 8 << 3 << 0;
    QTest::newRow("current level 255 shows level 0") << "8" << 4 << 255 << 8 << 3 << 0;
}

void TestSensor::loadClampsRecordValues()
{
    QFETCH(QString, maxGrade);
    QFETCH(int, levelCount);
    QFETCH(int, currentLevel);
    QFETCH(int, items);
    QFETCH(int, countIndex);
    QFETCH(int, selected);
    m_page.reset();
    m_fixture.reset();
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QFile ini(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QByteArray text = ini.readAll();
    ini.close();
    QVERIFY(text.contains("DPIMaxGrade=8"));
    text.replace("DPIMaxGrade=8", "DPIMaxGrade=" + maxGrade.toLatin1());
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(text);
    ini.close();
    choose(Drive2, 1, 0);
    m_page = std::make_unique<Sensor>(nullptr);
    m_page->show();
    UiSendsChanges.store(1);
    HidSim::ClearCalls();
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");

    FlashDataMap m = record();
    m.dpiLevelCount = quint8(levelCount);
    m.currentDpiLevel = quint8(currentLevel);
    m_page->SlotUpDataSenSorUISensor(m);

    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), items);
    QCOMPARE(child<QComboBox>("ChooseEvent")->currentIndex(), items ? countIndex : -1);
    QVERIFY(child<QToolButton>(kLevelButtons[selected])->isChecked());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(stored));
}

void TestSensor::loadedFlagOnlyForFullReads()
{
    SensorLoaded.store(0);
    m_page->SlotUpDataSenSorUIB(record());
    QCOMPARE(SensorLoaded.load(), quint8(0));
    m_page->SlotUpDataSenSorUISensor(record());
    QCOMPARE(SensorLoaded.load(), quint8(1));
    m_page->SlotFormReset();
    QCOMPARE(SensorLoaded.load(), quint8(1));
    QCOMPARE(SensorLoading.load(), quint8(0));
}

void TestSensor::rateRule_data()
{
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("wired");
    QTest::addColumn<bool>("deviceReport"); // SlotUpDataReportRate, else SlotHideModel
    QTest::addColumn<int>("argument");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("mode");

    // Start: enabled on the stored mode 1 ("HP").
    QTest::newRow("user high rate, receiver kind 1: forced") << 1 << 0 << false << 1 << false << 2;
    QTest::newRow("user high rate, kind 5: forced") << 5 << 0 << false << 1 << false << 2;
    QTest::newRow("user high rate, kind 3: unchanged") << 3 << 0 << false << 1 << true << 1;
    QTest::newRow("user argument 7: unchanged") << 1 << 0 << false << 7 << true << 1;
    QTest::newRow("device 2000 Hz, kind 3: forced") << 3 << 0 << true << 0x10 << false << 2;
    QTest::newRow("device 8000 Hz, kind 0: forced") << 0 << 0 << true << 0x40 << false << 2;
    QTest::newRow("device 4000 Hz, wired: unchanged") << 2 << 1 << true << 0x20 << true << 1;
    QTest::newRow("device unknown code: unchanged") << 1 << 0 << true << 0x03 << true << 1;
}

void TestSensor::rateRule()
{
    QFETCH(int, connectionType);
    QFETCH(int, wired);
    QFETCH(bool, deviceReport);
    QFETCH(int, argument);
    QFETCH(bool, enabled);
    QFETCH(int, mode);
    choose(Drive2, 1, 0);
    FlashDataMap m = record();
    m.modelChoose = 1;
    QVERIFY(HidSim::SetSettings("m1", -1, m));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 1, Drive2));
    m_page->SlotUpDataSenSorUISensor(m);
    QCOMPARE(modes()->currentIndex(), 1);
    DeviceAllInfo info = CurrentDevice.get();
    info.ConnectionType = quint8(connectionType);
    info.Wired = quint8(wired);
    CurrentDevice.set(info);
    UiSendsChanges.store(1);
    HidSim::ClearCalls();

    if (deviceReport)
        m_page->SlotUpDataReportRate(argument);
    else
        m_page->SlotHideModel(argument);

    QCOMPARE(modes()->isEnabled(), enabled);
    QCOMPARE(modes()->currentIndex(), mode);
    if (deviceReport && argument == 0x10)
        QCOMPARE(checkedRate(), 4);

    // Back at a low rate the stored mode returns and "Corded" is hidden again.
    if (!enabled) {
        if (deviceReport)
            m_page->SlotUpDataReportRate(0x01);
        else
            m_page->SlotHideModel(0);
        QVERIFY(modes()->isEnabled());
        QCOMPARE(modes()->currentIndex(), 1);
        QVERIFY(cordedRowHidden());
    }
    // The mode the device holds never changes by these rules.
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").modelChoose, quint8(1));
}

void TestSensor::userChangesWriteOnce_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("offset"); // byte of the record
    QTest::addColumn<int>("value");

    QTest::newRow("mode LP") << "ModelChoose" << 0 << int(offsetof(FlashDataMap, modelChoose)) << 0;
    QTest::newRow("performance time 2 min") << "PerformanceOpen" << 2 << int(offsetof(FlashDataMap, performanceOpen))
                                            << 12;
    QTest::newRow("performance time 30 s") << "PerformanceOpen" << 0 << int(offsetof(FlashDataMap, performanceOpen))
                                           << 3;
    QTest::newRow("performance off") << "Performance" << 0 << int(offsetof(FlashDataMap, performance)) << 0;
}

void TestSensor::userChangesWriteOnce()
{
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(int, offset);
    QFETCH(int, value);
    const FlashDataMap m = record();
    QVERIFY(HidSim::SetSettings("m1", -1, m));
    choose(Drive2, 1, 0);
    m_page->SlotUpDataSenSorUISensor(m);
    UiSendsChanges.store(1);
    HidSim::ClearCalls();

    if (control == QLatin1String("Performance"))
        QTest::mouseClick(child<QCheckBox>("Performance"), Qt::LeftButton, {}, QPoint(8, 15));
    else
        child<QComboBox>(control.toLatin1().constData())->setCurrentIndex(index);

    FlashDataMap expected = m;
    reinterpret_cast<quint8*>(&expected)[offset] = quint8(value);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    if (control == QLatin1String("Performance"))
        QVERIFY(!child<QComboBox>("PerformanceOpen")->isEnabled());
}

void TestSensor::writesNothingWhileLoadingOrBeforeOpen()
{
    m_page->SlotUpDataSenSorUISensor(record());
    for (int sends = 0; sends < 2; ++sends) {
        UiSendsChanges.store(quint8(sends));
        SensorLoading.store(quint8(sends)); // open but loading, or not yet open
        modes()->setCurrentIndex(sends == 0 ? 0 : 1);
        child<QComboBox>("PerformanceOpen")->setCurrentIndex(sends);
        if (!sends)
            QTest::mouseClick(child<QCheckBox>("Performance"), Qt::LeftButton, {}, QPoint(8, 15));
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    // "Corded" is never written, whoever selects it.
    SensorLoading.store(0);
    UiSendsChanges.store(1);
    modes()->setCurrentIndex(Sensor::CordedMode);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensor::offlineChangeStoresNothing()
{
    m_page->SlotUpDataSenSorUISensor(record());
    UiSendsChanges.store(1);
    const FlashDataMap before = DeviceConfig.get();
    QVERIFY(HidSim::Unplug("m1"));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    child<QComboBox>("PerformanceOpen")->setCurrentIndex(0);

    QCOMPARE(offline.count(), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(before));
    QCOMPARE(child<QComboBox>("PerformanceOpen")->currentIndex(), 0); // the user's choice stays
}

void TestSensor::reset_data()
{
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("wired");
    QTest::addColumn<QString>("visibleRates");
    QTest::addColumn<int>("mode");

    QTest::newRow("kind 0") << 0 << 0 << "1111000" << 0;
    QTest::newRow("kind 1") << 1 << 0 << "1111110" << 2;
    QTest::newRow("kind 4") << 4 << 0 << "1111100" << 2;
    QTest::newRow("kind 5") << 5 << 0 << "1111111" << 2;
    QTest::newRow("kind 2, wired") << 2 << 1 << "1111000" << 2;
    QTest::newRow("kind 9: rates and mode kept") << 9 << 0 << "1111111" << 1;
}

void TestSensor::reset()
{
    QFETCH(int, connectionType);
    QFETCH(int, wired);
    QFETCH(QString, visibleRates);
    QFETCH(int, mode);
    // The page as a receiver mouse at 8000 Hz left it.
    choose(Drive2, 5, 0);
    FlashDataMap m = record();
    m.reportRate = 0x40;
    m_page->SlotUpDataSenSorUISensor(m);
    modes()->setCurrentIndex(1);
    QVERIFY(HidSim::Unplug("m1"));
    DeviceAllInfo info = CurrentDevice.get();
    info.ConnectionType = quint8(connectionType);
    info.Wired = quint8(wired);
    CurrentDevice.set(info);
    UiSendsChanges.store(1);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    m_page->SlotFormReset();

    QString shown;
    for (const char* name : kRateButtons)
        shown += child<QToolButton>(name)->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(shown, visibleRates);
    QCOMPARE(checkedRate(), connectionType == 9 ? 6 : 0);
    QCOMPARE(modes()->currentIndex(), mode);
    // Five levels from the device's defaults, the second current, slider on 1000.
    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), 5);
    QCOMPARE(child<QComboBox>("ChooseEvent")->currentIndex(), 4);
    QVERIFY(child<QToolButton>("BrightRedButton")->isChecked());
    QCOMPARE(child<QToolButton>("GreenButton")->text(), QStringLiteral("6400"));
    QCOMPARE(child<QSlider>("horizontalSliderC")->value(), 1000);
    QCOMPARE(child<QSpinBox>("spinBoxA")->value(), 1000);
    QCOMPARE(child<QComboBox>("LOD")->currentText(), QStringLiteral("1mm"));
    QVERIFY(!child<QCheckBox>("Performance")->isChecked());
    QVERIFY(!child<QComboBox>("PerformanceOpen")->isEnabled());
    QCOMPARE(child<QComboBox>("PerformanceOpen")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>("Model")->currentIndex(), 2);
    QCOMPARE(child<QSlider>("SpeedH")->value(), 3);
    QCOMPARE(child<QSlider>("LightH")->value(), 5);
    QCOMPARE(SensorLoading.load(), quint8(0));
    // A reset shows defaults; it never raises the offline notice.
    QCOMPARE(offline.count(), 0);
}

void TestSensor::deviceLevelReport_data()
{
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("markerX");

    QTest::newRow("level 3 while open") << 1 << 3 << 3 << 300;
    QTest::newRow("level 0 before open") << 0 << 0 << 0 << 27;
    QTest::newRow("level 9: nothing") << 1 << 9 << 1 << 118;
}

void TestSensor::deviceLevelReport()
{
    QFETCH(int, sends);
    QFETCH(int, level);
    QFETCH(int, selected);
    QFETCH(int, markerX);
    FlashDataMap m = record();
    m.dpiLevelCount = 8;
    m_page->SlotUpDataSenSorUISensor(m);
    UiSendsChanges.store(quint8(sends));
    HidSim::ClearCalls();

    m_page->SlotUpDataDPI(level);

    QVERIFY(child<QToolButton>(kLevelButtons[selected])->isChecked());
    QCOMPARE(child<QLabel>("label_8")->x(), markerX);
    QCOMPARE(UiSendsChanges.load(), quint8(sends));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensor::deviceLightReportIsNotWrittenBack()
{
    m_page->SlotUpDataSenSorUISensor(record());
    UiSendsChanges.store(1);
    HidSim::ClearCalls();
    FlashDataMap report = record();
    report.dpiEffectOn = 1;
    report.dpiEffectMode = 1;
    report.dpiEffectSpeed = 9;        // beyond the slider
    report.dpiEffectBrightness = 100; // no step of its own

    m_page->SlotUpDataDPILed(report);

    QCOMPARE(child<QComboBox>("Model")->currentIndex(), 1);
    QCOMPARE(child<QSlider>("SpeedH")->value(), 5);
    QCOMPARE(child<QSlider>("LightH")->value(), 10);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(SensorLoading.load(), quint8(0));
}

void TestSensor::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("lastTime");
    QTest::addColumn<QString>("breathing");
    QTest::addColumn<QString>("rateTitle");

    QTest::newRow("English") << 0 << "Sensor settings" << "15 min" << "Breathing" << "Report rate";
    QTest::newRow("Chinese") << 1 << QStringLiteral("传感器设置") << QStringLiteral("15分钟") << QStringLiteral("呼吸")
                             << QStringLiteral("回报率");
}

void TestSensor::texts()
{
    QFETCH(int, language);
    QFETCH(QString, section);
    QFETCH(QString, lastTime);
    QFETCH(QString, breathing);
    QFETCH(QString, rateTitle);

    emit PostMsg::instance()->SigAllLanguage(language);

    QCOMPARE(child<QLabel>("label_5")->text(), section);
    QCOMPARE(child<QComboBox>("PerformanceOpen")->itemText(5), lastTime);
    QCOMPARE(child<QComboBox>("Model")->itemText(2), breathing);
    QVERIFY(child<QLabel>("label_11")->toolTip().contains(QLatin1String("Corded")));
    QVERIFY(!child<QCheckBox>("Performance")->toolTip().isEmpty());
    // The frames' captions and the untranslated mode items.
    const auto labels = m_page->findChildren<QLabel*>(QStringLiteral("label"));
    bool rateTitleShown = false;
    for (QLabel* l : labels)
        rateTitleShown = rateTitleShown || l->text() == rateTitle;
    QVERIFY(rateTitleShown);
    QCOMPARE(modes()->itemText(2), QStringLiteral("Corded"));
}

// A list the device does not offer is shown disabled, its text dimmed but readable on its field.
void TestSensor::disabledListsReadable_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("sensor mode") << "ModelChoose";
    QTest::newRow("performance") << "PerformanceOpen";
    QTest::newRow("lift-off distance") << "LOD";
}

void TestSensor::disabledListsReadable()
{
    QFETCH(QString, list);
    auto* box = child<QComboBox>(qPrintable(list));
    box->setEnabled(false);
    QVERIFY(box->isVisible());
    QVERIFY(!box->currentText().isEmpty());
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.subControls = QStyle::SC_All;
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    // The box draws its text centred in the field, as a button label.
    const QRect text = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                           box->fontMetrics().size(0, box->currentText()), field);
    const double contrast = TestEnv::ContrastRatio(box, text);
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
}

VEXO_TEST_MAIN(TestSensor)
#include "tst_sensor.moc"
