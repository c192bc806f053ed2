#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/sensor/sensorlod.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QStringList items(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

QByteArray sentBytes(const HidSim::Call& call)
{
    return QByteArray(reinterpret_cast<const char*>(call.bytes.data()), int(call.bytes.size()));
}

const QStringList kTwoItems = {QStringLiteral("1mm"), QStringLiteral("2mm")};
const QStringList kThreeItems = {QStringLiteral("0.7mm"), QStringLiteral("1mm"), QStringLiteral("2mm")};

} // namespace

class TestSensorLOD : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void builtState();
    void itemsPerModel_data();
    void itemsPerModel();
    void setLodIndex_data();
    void setLodIndex();
    void choiceWritesLod_data();
    void choiceWritesLod();
    void choosingShownItemWritesNothing();
    void choiceWritesNothing_data();
    void choiceWritesNothing();
    void valueOutsideListWritesNothing_data();
    void valueOutsideListWritesNothing();
    void disabledListFollowsRecords();

private:
    // Shows a record the way the sensor page does: with the loading flag set.
    void showRecord(bool model3950, int lod);
    QComboBox* list() const { return m_frame->findChild<QComboBox*>(QStringLiteral("LOD")); }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<SensorLOD> m_frame;
    FlashDataMap m_start{};
    QByteArray m_path;
};

void TestSensorLOD::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_start = DeviceLinkFixture::StoredRecord("m1");
    m_start.lod = 2;
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    UiSendsChanges.store(1);
    SensorLoading.store(0);
    m_frame = std::make_unique<SensorLOD>(nullptr);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QVERIFY(list());
    HidSim::ClearCalls();
}

void TestSensorLOD::cleanup()
{
    m_frame.reset();
    UiSendsChanges.store(0);
    SensorLoading.store(0);
    m_fixture.reset();
}

void TestSensorLOD::showRecord(bool model3950, int lod)
{
    SensorLoading.store(1);
    if (model3950)
        m_frame->AddLodItem();
    else
        m_frame->RemoveLodItem();
    m_frame->SetLodIndex(lod - 1);
    m_frame->SetLodEnabled(true);
    SensorLoading.store(0);
}

void TestSensorLOD::builtState()
{
    QComboBox* box = list();
    QCOMPARE(items(*box), kTwoItems);
    QCOMPARE(box->currentText(), QStringLiteral("1mm"));
    QVERIFY(!box->isEnabled());
    auto* caption = m_frame->findChild<QLabel*>(QStringLiteral("label"));
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral(" LOD"));

    // The language texts replace the caption only, never the distances.
    m_frame->SetLodLabelText(QStringLiteral("Lift-off distance"));
    m_frame->SetLodToolTip(QStringLiteral("Height at which the sensor stops tracking"));
    QCOMPARE(caption->text(), QStringLiteral("Lift-off distance"));
    QCOMPARE(caption->toolTip(), QStringLiteral("Height at which the sensor stops tracking"));
    QCOMPARE(items(*box), kTwoItems);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorLOD::itemsPerModel_data()
{
    QTest::addColumn<QString>("models"); // one record per letter: 'A' model 3950, 'o' another
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("3950") << "A" << kThreeItems;
    QTest::newRow("3950 twice adds one item") << "AA" << kThreeItems;
    QTest::newRow("other model keeps the built list") << "o" << kTwoItems;
    QTest::newRow("3950 then other") << "Ao" << kTwoItems;
    QTest::newRow("3950, other, other") << "Aoo" << kTwoItems;
    QTest::newRow("other, 3950, 3950") << "oAA" << kThreeItems;
}

void TestSensorLOD::itemsPerModel()
{
    QFETCH(QString, models);
    QFETCH(QStringList, expected);
    for (const QChar model : models)
        VEXO_CHECKED(showRecord(model == QLatin1Char('A'), 1));
    QCOMPARE(items(*list()), expected);
    // Whatever moved, the record's distance stays shown and nothing was written.
    QCOMPARE(list()->currentText(), QStringLiteral("1mm"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorLOD::setLodIndex_data()
{
    QTest::addColumn<bool>("model3950");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("shown");
    QTest::newRow("3 items: lod 1") << true << 0 << 1 << "1mm";
    QTest::newRow("3 items: lod 2") << true << 1 << 2 << "2mm";
    QTest::newRow("3 items: lod 3") << true << 2 << 0 << "0.7mm";
    QTest::newRow("3 items: lod 4 keeps 2mm") << true << 3 << 2 << "2mm";
    QTest::newRow("3 items: lod 0 keeps 2mm") << true << -1 << 2 << "2mm";
    QTest::newRow("2 items: lod 1") << false << 0 << 0 << "1mm";
    QTest::newRow("2 items: lod 2") << false << 1 << 1 << "2mm";
    QTest::newRow("2 items: lod 3 leaves no item") << false << 2 << -1 << "";
}

void TestSensorLOD::setLodIndex()
{
    QFETCH(bool, model3950);
    QFETCH(int, argument);
    QFETCH(int, index);
    QFETCH(QString, shown);
    VEXO_CHECKED(showRecord(model3950, 2));
    QCOMPARE(list()->currentText(), QStringLiteral("2mm"));

    SensorLoading.store(1);
    m_frame->SetLodIndex(argument);
    SensorLoading.store(0);

    QCOMPARE(list()->currentIndex(), index);
    QCOMPARE(list()->currentText(), shown);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorLOD::choiceWritesLod_data()
{
    QTest::addColumn<bool>("model3950");
    QTest::addColumn<int>("shownLod");
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("lod");
    QTest::newRow("3 items: 0.7mm") << true << 1 << 0 << 3;
    QTest::newRow("3 items: 1mm") << true << 3 << 1 << 1;
    QTest::newRow("3 items: 2mm") << true << 3 << 2 << 2;
    QTest::newRow("2 items: 1mm") << false << 2 << 0 << 1;
    QTest::newRow("2 items: 2mm") << false << 1 << 1 << 2;
}

void TestSensorLOD::choiceWritesLod()
{
    QFETCH(bool, model3950);
    QFETCH(int, shownLod);
    QFETCH(int, choice);
    QFETCH(int, lod);
    m_start.lod = quint8(shownLod);
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    VEXO_CHECKED(showRecord(model3950, shownLod));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    list()->setCurrentIndex(choice);

    FlashDataMap expected = m_start;
    expected.lod = quint8(lod);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(sentBytes(writes.front()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);
}

void TestSensorLOD::choosingShownItemWritesNothing()
{
    VEXO_CHECKED(showRecord(true, 3));
    list()->setCurrentIndex(0);
    QCOMPARE(list()->currentText(), QStringLiteral("0.7mm"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestSensorLOD::choiceWritesNothing_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("sensorLoading");
    QTest::addColumn<bool>("deviceAway");
    QTest::addColumn<int>("offlineNotices");
    QTest::newRow("page loading") << true << true << false << 0;
    QTest::newRow("pages not yet shown") << false << false << false << 0;
    QTest::newRow("device offline") << true << false << true << 1;
}

void TestSensorLOD::choiceWritesNothing()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, sensorLoading);
    QFETCH(bool, deviceAway);
    QFETCH(int, offlineNotices);
    VEXO_CHECKED(showRecord(true, 2));
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    SensorLoading.store(sensorLoading ? 1 : 0);
    if (deviceAway)
        QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    list()->setCurrentIndex(0);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), offlineNotices);
    if (offlineNotices > 0)
        QCOMPARE(offline.first().first().toInt(), 0);
    // The list keeps the user's choice; the record keeps the old distance until the next read.
    QCOMPARE(list()->currentText(), QStringLiteral("0.7mm"));
    QCOMPARE(DeviceConfig.get().lod, quint8(2));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
}

void TestSensorLOD::valueOutsideListWritesNothing_data()
{
    QTest::addColumn<bool>("model3950");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("index");
    QTest::newRow("2 items: lod 3") << false << 2 << -1;
    QTest::newRow("2 items: lod 0") << false << -1 << -1;
    QTest::newRow("3 items: lod 4") << true << 3 << 2;
}

void TestSensorLOD::valueOutsideListWritesNothing()
{
    QFETCH(bool, model3950);
    QFETCH(int, argument);
    QFETCH(int, index);
    VEXO_CHECKED(showRecord(model3950, 2));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    // Not loading: a list left without a current item has no distance to write.
    m_frame->SetLodIndex(argument);

    QCOMPARE(list()->currentIndex(), index);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").lod, quint8(2));
}

void TestSensorLOD::disabledListFollowsRecords()
{
    QComboBox* box = list();
    // A device without the setting: the page leaves the list disabled but still shows its records.
    SensorLoading.store(1);
    m_frame->AddLodItem();
    m_frame->SetLodIndex(2);
    m_frame->SetLodEnabled(false);
    SensorLoading.store(0);
    QVERIFY(!box->isEnabled());
    QCOMPARE(box->currentText(), QStringLiteral("0.7mm"));
    box->ensurePolished();
    // Dimmed, not black: black would vanish on the list's dark field.
    QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::Text), QColor(160, 160, 160));
    QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(160, 160, 160));

    m_frame->SetLodEnabled(true);
    QVERIFY(box->isEnabled());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

VEXO_TEST_MAIN(TestSensorLOD)
#include "tst_sensorlod.moc"
