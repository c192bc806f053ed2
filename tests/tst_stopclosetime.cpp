#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/stopclosetime.h"

#include "hidusb/hidsim.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QComboBox* sleepList(const StopCloseTime& frame)
{
    return frame.findChild<QComboBox*>(QStringLiteral("StopClose"));
}

} // namespace

class TestStopCloseTime : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pickWrites_data();
    void pickWrites();
    void pickSameItemWritesAgain();
    void pickGuards_data();
    void pickGuards();
    void activationWithoutItem_data();
    void activationWithoutItem();
    void offline();
    void setIndexNeverWrites_data();
    void setIndexNeverWrites();
    void itemText_data();
    void itemText();
    void indexOfStoredValue_data();
    void indexOfStoredValue();
    void skin();

private:
    // Makes the device hold `stored` and the list show `shown`.
    void startFrom(int stored, int shown);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<StopCloseTime> m_frame;
    FlashDataMap m_start{};
    QByteArray m_path;
};

void TestStopCloseTime::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    m_start = DeviceLinkFixture::StoredRecord("m1");
    UiSendsChanges.store(1);
    ButtonLoading.store(0);
    LightLoading.store(0);
    m_frame = std::make_unique<StopCloseTime>(nullptr);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    HidSim::ClearCalls();
}

void TestStopCloseTime::cleanup()
{
    m_frame.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    LightLoading.store(0);
    m_fixture.reset();
}

void TestStopCloseTime::startFrom(int stored, int shown)
{
    m_start.stopCloseTime = quint8(stored);
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    m_frame->SetStopCloseIndex(shown);
    QCOMPARE(sleepList(*m_frame)->currentIndex(), shown);
    HidSim::ClearCalls();
}

void TestStopCloseTime::pickWrites_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value"); // stopCloseTime, tens of seconds
    const char* const names[StopCloseTime::ItemCount] = {"10 s",   "30 s",   "1 min",  "5 min",  "10 min", "15 min",
                                                         "20 min", "25 min", "30 min", "35 min", "40 min"};
    const int values[StopCloseTime::ItemCount] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
    for (int i = 0; i < StopCloseTime::ItemCount; ++i)
        QTest::newRow(names[i]) << i << values[i];
}

void TestStopCloseTime::pickWrites()
{
    QFETCH(int, index);
    QFETCH(int, value);
    const int other = index == 2 ? 4 : 2;
    VEXO_CHECKED(startFrom(StopCloseTime::SleepTimeCodes[other], other));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    VEXO_CHECKED(TestEnv::PickComboItem(sleepList(*m_frame), index));

    FlashDataMap expected = m_start;
    expected.stopCloseTime = quint8(value);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);
    QCOMPARE(sleepList(*m_frame)->currentIndex(), index);
}

void TestStopCloseTime::pickSameItemWritesAgain()
{
    VEXO_CHECKED(startFrom(6, 2));
    VEXO_CHECKED(TestEnv::PickComboItem(sleepList(*m_frame), 3));
    VEXO_CHECKED(TestEnv::PickComboItem(sleepList(*m_frame), 3));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 2);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").stopCloseTime, quint8(30));
    QCOMPARE(sleepList(*m_frame)->currentIndex(), 3);
}

void TestStopCloseTime::pickGuards_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("buttonLoading");
    QTest::addColumn<bool>("lightLoading");
    QTest::addColumn<int>("writes");
    QTest::newRow("pages not yet shown") << false << false << false << 0;
    QTest::newRow("button page loading") << true << true << false << 0;
    // Only the button page's flag stops a pick, on either host.
    QTest::newRow("lighting page loading") << true << false << true << 1;
}

void TestStopCloseTime::pickGuards()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, buttonLoading);
    QFETCH(bool, lightLoading);
    QFETCH(int, writes);
    VEXO_CHECKED(startFrom(6, 2));
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    ButtonLoading.store(buttonLoading ? 1 : 0);
    LightLoading.store(lightLoading ? 1 : 0);

    VEXO_CHECKED(TestEnv::PickComboItem(sleepList(*m_frame), 10));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), writes);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").stopCloseTime, quint8(writes ? 240 : 6));
    QCOMPARE(sleepList(*m_frame)->currentIndex(), 10);
}

void TestStopCloseTime::activationWithoutItem_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("11") << 11;
}

void TestStopCloseTime::activationWithoutItem()
{
    QFETCH(int, index);
    VEXO_CHECKED(startFrom(6, 2));
    emit sleepList(*m_frame)->activated(index);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").stopCloseTime, quint8(6));
}

void TestStopCloseTime::offline()
{
    VEXO_CHECKED(startFrom(6, 2));
    QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    VEXO_CHECKED(TestEnv::PickComboItem(sleepList(*m_frame), 10));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 1);
    QCOMPARE(offline.first().first().toInt(), 0);
    QCOMPARE(DeviceConfig.get().stopCloseTime, quint8(6));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(sleepList(*m_frame)->currentIndex(), 10); // the list keeps the user's pick
}

void TestStopCloseTime::setIndexNeverWrites_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("buttonLoading");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("shownAfter");
    QTest::newRow("device pages shown") << true << false << 7 << 7;
    QTest::newRow("button page loading") << true << true << 7 << 7;
    QTest::newRow("pages not yet shown") << false << false << 7 << 7;
    QTest::newRow("index 11 keeps 1 min") << true << false << 11 << 2;
    QTest::newRow("index -1 keeps 1 min") << true << false << -1 << 2;
}

void TestStopCloseTime::setIndexNeverWrites()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, buttonLoading);
    QFETCH(int, index);
    QFETCH(int, shownAfter);
    VEXO_CHECKED(startFrom(6, 2));
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    ButtonLoading.store(buttonLoading ? 1 : 0);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    m_frame->SetStopCloseIndex(index);

    QCOMPARE(sleepList(*m_frame)->currentIndex(), shownAfter);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").stopCloseTime, quint8(6));
}

void TestStopCloseTime::itemText_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("changed"); // the item that changes, -1 none
    QTest::newRow("first item") << 0 << 0;
    QTest::newRow("5 min") << 3 << 3;
    QTest::newRow("last item") << 10 << 10;
    QTest::newRow("11 has no item") << 11 << -1;
    QTest::newRow("-1 has no item") << -1 << -1;
}

void TestStopCloseTime::itemText()
{
    QFETCH(int, index);
    QFETCH(int, changed);
    QStringList expected;
    for (int i = 0; i < StopCloseTime::ItemCount; ++i) {
        m_frame->SetStopCloseItemText(i, QStringLiteral("item %1").arg(i));
        expected << QStringLiteral("item %1").arg(i);
    }
    if (changed >= 0)
        expected[changed] = QStringLiteral("new text");

    m_frame->SetStopCloseItemText(index, QStringLiteral("new text"));

    QCOMPARE(TestEnv::ComboItemTexts(sleepList(*m_frame)), expected);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestStopCloseTime::indexOfStoredValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("index");
    QTest::newRow("1: 10 s") << 1 << 0;
    QTest::newRow("6: 1 min") << 6 << 2;
    QTest::newRow("30: 5 min") << 30 << 3;
    QTest::newRow("240: 40 min") << 240 << 10;
    QTest::newRow("12: 2 min is not offered") << 12 << -1;
    QTest::newRow("0") << 0 << -1;
    QTest::newRow("24: 240 s is not offered") << 24 << -1;
    QTest::newRow("255") << 255 << -1;
}

void TestStopCloseTime::indexOfStoredValue()
{
    QFETCH(int, value);
    QFETCH(int, index);
    QCOMPARE(StopCloseTime::StopCloseIndexOfValue(value), index);
    // The settings page gets the same time in seconds.
    QCOMPARE(StopCloseTime::StopCloseIndexOfSeconds(value * 10), index);
    QCOMPARE(StopCloseTime::StopCloseIndexOfSeconds(value * 10 + 5), -1);
}

void TestStopCloseTime::skin()
{
    QComboBox* box = sleepList(*m_frame);
    QCOMPARE(box->count(), StopCloseTime::ItemCount);
    // Images from the lighting page's folder, whichever page hosts it.
    QVERIFY(box->styleSheet().contains(m_fixture->installation().path()
                                       + QStringLiteral("/Picture/Light/ComboboxBack.png")));
    // The list keeps its own drop-down view: no list view sheet of the other lists.
    QVERIFY(box->view()->styleSheet().isEmpty());
}

VEXO_TEST_MAIN(TestStopCloseTime)
#include "tst_stopclosetime.moc"
