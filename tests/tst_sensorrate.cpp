#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensorrate.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const char* const kButtons[SensorRate::RateCount] = {"Button125HZ",  "Button250HZ",  "Button500HZ", "Button1000HZ",
                                                     "Button2000HZ", "Button4000HZ", "Button8000HZ"};

QToolButton* button(const SensorRate& frame, int index)
{
    return frame.findChild<QToolButton*>(QLatin1String(kButtons[index]));
}

int checkedIndex(const SensorRate& frame)
{
    int found = -1;
    for (int i = 0; i < SensorRate::RateCount; ++i) {
        if (button(frame, i)->isChecked()) {
            if (found >= 0)
                return -2; // more than one
            found = i;
        }
    }
    return found;
}

QByteArray sentBytes(const HidSim::Call& call)
{
    return QByteArray(reinterpret_cast<const char*>(call.bytes.data()), int(call.bytes.size()));
}

} // namespace

class TestSensorRate : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clickWritesRate_data();
    void clickWritesRate();
    void clickOnCheckedButtonWritesAgain();
    void clickWritesNothing_data();
    void clickWritesNothing();
    void setRateIndex_data();
    void setRateIndex();
    void showRateButtons_data();
    void showRateButtons();

private:
    void click(int index);
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<SensorRate> m_frame;
    FlashDataMap m_start{};
    QByteArray m_path;
};

void TestSensorRate::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    m_start = DeviceLinkFixture::StoredRecord("m1");
    UiSendsChanges.store(1);
    SensorLoading.store(0);
    m_frame = std::make_unique<SensorRate>(nullptr);
    m_frame->ShowRateButtons(3);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    HidSim::ClearCalls();
}

void TestSensorRate::cleanup()
{
    m_frame.reset();
    UiSendsChanges.store(0);
    SensorLoading.store(0);
    m_fixture.reset();
}

void TestSensorRate::click(int index)
{
    QToolButton* b = button(*m_frame, index);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestSensorRate::clickWritesRate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("highRate");
    QTest::newRow("125Hz") << 0 << 0x08 << 0;
    QTest::newRow("250Hz") << 1 << 0x04 << 0;
    QTest::newRow("500Hz") << 2 << 0x02 << 0;
    QTest::newRow("1000Hz") << 3 << 0x01 << 0;
    QTest::newRow("2000Hz") << 4 << 0x10 << 1;
    QTest::newRow("4000Hz") << 5 << 0x20 << 1;
    QTest::newRow("8000Hz") << 6 << 0x40 << 1;
}

void TestSensorRate::clickWritesRate()
{
    QFETCH(int, index);
    QFETCH(int, code);
    QFETCH(int, highRate);
    // Start from another rate so the write is a real change.
    m_start.reportRate = quint8(code == 0x08 ? 0x01 : 0x08);
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    HidSim::ClearCalls();
    QSignalSpy hide(PostMsg::instance(), &PostMsg::SigHideModel);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    VEXO_CHECKED(click(index));

    FlashDataMap expected = m_start;
    expected.reportRate = quint8(code);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(sentBytes(writes.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(hide.count(), 1);
    QCOMPARE(hide.first().first().toInt(), highRate);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(checkedIndex(*m_frame), index);
}

void TestSensorRate::clickOnCheckedButtonWritesAgain()
{
    QSignalSpy hide(PostMsg::instance(), &PostMsg::SigHideModel);
    VEXO_CHECKED(click(5));
    VEXO_CHECKED(click(5));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 2);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").reportRate, quint8(0x20));
    QCOMPARE(hide.count(), 2);
    QCOMPARE(hide.at(1).first().toInt(), 1);
    QCOMPARE(checkedIndex(*m_frame), 5);
}

void TestSensorRate::clickWritesNothing_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("sensorLoading");
    QTest::addColumn<bool>("deviceAway");
    QTest::addColumn<bool>("unchecking");
    QTest::addColumn<int>("offlineNotices");
    QTest::addColumn<int>("checkedAfter");
    QTest::newRow("pages not yet shown") << false << false << false << false << 0 << 5;
    QTest::newRow("device offline") << true << false << true << false << 1 << 5;
    QTest::newRow("button unchecked") << true << false << false << true << 0 << -1;
}

void TestSensorRate::clickWritesNothing()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, sensorLoading);
    QFETCH(bool, deviceAway);
    QFETCH(bool, unchecking);
    QFETCH(int, offlineNotices);
    QFETCH(int, checkedAfter);
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    SensorLoading.store(sensorLoading ? 1 : 0);
    if (deviceAway)
        QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy hide(PostMsg::instance(), &PostMsg::SigHideModel);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    if (unchecking)
        emit button(*m_frame, 5)->clicked(false); // a click that leaves the button unchecked
    else
        VEXO_CHECKED(click(5));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(hide.count(), 0);
    QCOMPARE(offline.count(), offlineNotices);
    if (offlineNotices > 0)
        QCOMPARE(offline.first().first().toInt(), 0);
    QCOMPARE(checkedIndex(*m_frame), checkedAfter);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
}

void TestSensorRate::setRateIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("checked");
    for (int i = 0; i < SensorRate::RateCount; ++i)
        QTest::newRow(kButtons[i]) << i << i;
    QTest::newRow("index 7 keeps 500Hz") << 7 << 2;
    QTest::newRow("index -1 keeps 500Hz") << -1 << 2;
}

void TestSensorRate::setRateIndex()
{
    QFETCH(int, index);
    QFETCH(int, checked);
    QSignalSpy hide(PostMsg::instance(), &PostMsg::SigHideModel);
    m_frame->SetRateIndex(2);
    m_frame->SetRateIndex(index);
    QCOMPARE(checkedIndex(*m_frame), checked);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(hide.count(), 0);
}

void TestSensorRate::showRateButtons_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("visible"); // one digit per button, 125 Hz first
    QTest::newRow("mode 0: up to 1000Hz") << 0 << "1111000";
    QTest::newRow("mode 1: up to 4000Hz") << 1 << "1111110";
    QTest::newRow("mode 2: up to 2000Hz") << 2 << "1111100";
    QTest::newRow("mode 3: up to 8000Hz") << 3 << "1111111";
    QTest::newRow("mode 4 keeps mode 1") << 4 << "1111110";
    QTest::newRow("mode -1 keeps mode 1") << -1 << "1111110";
}

void TestSensorRate::showRateButtons()
{
    QFETCH(int, mode);
    QFETCH(QString, visible);
    m_frame->SetRateIndex(6);
    m_frame->ShowRateButtons(1);
    m_frame->ShowRateButtons(mode);
    QString shown;
    for (int i = 0; i < SensorRate::RateCount; ++i)
        shown += button(*m_frame, i)->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(shown, visible);
    // A hidden button keeps its state: the device's rate is still the one checked.
    QCOMPARE(checkedIndex(*m_frame), 6);
}

VEXO_TEST_MAIN(TestSensorRate)
#include "tst_sensorrate.moc"
