#include "core/configini.h"
#include "device/firmwareimages.h"
#include "device/receivermouseversion.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"

#include "hidusb/hidsim.h"

#include <QCoreApplication>
#include <QtTest>

#include <memory>

// The mouse version the choice road goes by: what the receiver tells of its mouse, recorded
// for the model, else the model's record.
class TestReceiverMouseVersion : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void versionOfTheModel_data();
    void versionOfTheModel();

private:
    std::unique_ptr<DeviceLinkFixture> m_fixture;
};

void TestReceiverMouseVersion::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
}

void TestReceiverMouseVersion::cleanup()
{
    m_fixture.reset();
}

void TestReceiverMouseVersion::versionOfTheModel_data()
{
    QTest::addColumn<QString>("call");     // "RecordAndRecall", or "RecordReported" (after a pairing)
    QTest::addColumn<QString>("mouse");    // "awake", "asleep", "on its cable", "receiver gone"
    QTest::addColumn<QString>("recorded"); // the model's record before ("" none)
    QTest::addColumn<QString>("answer");   // RecordAndRecall: the version; RecordReported: "true" / "false"
    QTest::addColumn<QString>("recordedAfter");

    QTest::newRow("told, nothing recorded") << "RecordAndRecall" << "awake" << "" << "v1.3" << "v1.3";
    QTest::newRow("told, an older record replaced") << "RecordAndRecall" << "awake" << "v1.0" << "v1.3" << "v1.3";
    QTest::newRow("mouse asleep: the record serves") << "RecordAndRecall" << "asleep" << "v1.0" << "v1.0" << "v1.0";
    QTest::newRow("mouse asleep, nothing recorded") << "RecordAndRecall" << "asleep" << "" << "" << "";
    QTest::newRow("mouse on its cable: the record serves") << "RecordAndRecall" << "on its cable" << "v1.0" << "v1.0" << "v1.0";
    QTest::newRow("receiver gone: the record serves") << "RecordAndRecall" << "receiver gone" << "v1.0" << "v1.0" << "v1.0";
    QTest::newRow("after a pairing: recorded") << "RecordReported" << "awake" << "v1.0" << "true" << "v1.3";
    QTest::newRow("after a pairing, mouse out of reach: record kept")
        << "RecordReported" << "asleep" << "v1.0" << "false" << "v1.0";
}

void TestReceiverMouseVersion::versionOfTheModel()
{
    QFETCH(QString, call);
    QFETCH(QString, mouse);
    QFETCH(QString, recorded);
    QFETCH(QString, answer);
    QFETCH(QString, recordedAfter);

    // Drive2 of the sample installation (CID 36, MID 2) behind its 4 kHz receiver.
    HidSim::DeviceSpec m = DeviceLinkFixture::ReceiverMouse("m2", "r4");
    m.firmware = 0x0103;
    m.awake = mouse != QLatin1String("asleep");
    if (mouse == QLatin1String("on its cable")) {
        m.hasCable = true;
        m.plugged = true;
    }
    const QByteArray path = m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 1, 2, 3));
    QVERIFY(!m_fixture->add(m).isEmpty());
    if (mouse == QLatin1String("receiver gone"))
        QVERIFY(HidSim::Unplug("r4"));
    if (!recorded.isEmpty())
        WriteMouseVer(QStringLiteral("36"), QStringLiteral("2"), recorded);
    WriteMouseVer(QStringLiteral("36"), QStringLiteral("1"), QStringLiteral("v9.9")); // another model

    const ReceiverMouseVersion version = ReceiverMouseVersion::ForSection(QStringLiteral("Drive2"));
    if (call == QLatin1String("RecordAndRecall"))
        QCOMPARE(version.RecordAndRecall(path), answer);
    else
        QCOMPARE(version.RecordReported(path) ? QStringLiteral("true") : QStringLiteral("false"), answer);
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("2")), recordedAfter);
    QCOMPARE(ReadMouseVer(QStringLiteral("36"), QStringLiteral("1")), QStringLiteral("v9.9"));
}

VEXO_TEST_CORE_MAIN(TestReceiverMouseVersion)
#include "tst_receivermouseversion.moc"
