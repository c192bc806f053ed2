#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/updataparam.h"

#include "hidusb/hidsim.h"
#include "hidusb/HIDUsb.h"

#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

void setLoadedFlags(quint8 value)
{
    LightLoaded.store(value);
    SensorLoaded.store(value);
    ButtonLoaded.store(value);
}

bool anyLoadedFlag()
{
    return LightLoaded.load() || SensorLoaded.load() || ButtonLoaded.load();
}

// A configuration export file: marker, sensor name and record, each a length-prefixed block.
void writeExportFile(const QString& path, const QByteArray& marker, const QByteArray& sensor, const QByteArray& record)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    const auto padded = [](QByteArray text) { return text.leftJustified(12, '\0', true); };
    out.writeBytes(padded(marker).constData(), 12);
    out.writeBytes(padded(sensor).constData(), 12);
    out.writeBytes(record.constData(), uint(record.size()));
}

QString cachePath()
{
    return DeviceCacheFolder() + SelectedCacheName.get();
}

} // namespace

class TestUpDataParam : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void waitsForThePages_data();
    void waitsForThePages();
    void cacheAfterNormalRead_data();
    void cacheAfterNormalRead();
    void reloadModeFollowsEachPass();
    void cachedRecordWhenNotLoaded_data();
    void cachedRecordWhenNotLoaded();

    void importAccepted();
    void importRefused_data();
    void importRefused();
    void importWithDeviceGone();

private:
    // Runs the dialog modally until its timer has done its work.
    void run(UpDataParam& dialog);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<HubRecorder> m_recorder;
    std::unique_ptr<TestEnv::TimeScale> m_time;
    FlashDataMap m_device;
};

void TestUpDataParam::initTestCase()
{
    TestEnv::Installation install;
    LoadLanguageFiles();
}

void TestUpDataParam::init()
{
    m_time = std::make_unique<TestEnv::TimeScale>(0.02);
    m_fixture = std::make_unique<DeviceLinkFixture>();
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse());
    QVERIFY(!path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    m_device = DeviceLinkFixture::StoredRecord("m1");
    DeviceDataLoaded.store(1);
    ImportCheckResult = 0;
    m_recorder = std::make_unique<HubRecorder>();
    m_recorder->setsLoadedFlags = false; // each test sets the pages' flags itself
}

void TestUpDataParam::cleanup()
{
    m_recorder.reset();
    m_fixture.reset();
    m_time.reset();
    ImportCheckResult = 0;
}

void TestUpDataParam::run(UpDataParam& dialog)
{
    const QPointer<QWidget> shown = &dialog;
    m_recorder->windowShown = [shown] { return shown && shown->isVisible(); };
    // A dialog whose timer never closes it is rejected later, so the test fails instead of hanging.
    bool stuck = false;
    QTimer::singleShot(20000, &dialog, [&] { if (dialog.isVisible()) { stuck = true; dialog.reject(); } });
    dialog.exec();
    QVERIFY2(!stuck, "the dialog did not close itself");
    QVERIFY(!dialog.isVisible());
}

void TestUpDataParam::waitsForThePages_data()
{
    QTest::addColumn<int>("passIndex"); // 1: the device reported changed settings
    QTest::addColumn<QString>("pages"); // when the pages report the record loaded
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("flagsAfter");
    QTest::newRow("read, pages already done") << 0 << "before" << QStringList{"Setver:4"} << false;
    QTest::newRow("read, pages done during a wait") << 0 << "during" << QStringList{"Setver:4"} << false;
    QTest::newRow("read, pages never report: time-out notice") << 0 << "never" << QStringList{"Setver:4", "Offline:1"}
                                                                << false;
    QTest::newRow("reload, pages already done") << 1 << "before" << QStringList{"Setver:4"} << true;
    QTest::newRow("reload, pages done during a wait") << 1 << "during" << QStringList{"Setver:4"} << true;
    QTest::newRow("reload, pages never report: offline notice") << 1 << "never"
                                                                << QStringList{"Setver:4", "Offline:0"} << false;
}

void TestUpDataParam::waitsForThePages()
{
    QFETCH(int, passIndex);
    QFETCH(QString, pages);
    QFETCH(QStringList, told);
    QFETCH(bool, flagsAfter);
    setLoadedFlags(pages == QLatin1String("before") ? 1 : 0);
    if (pages == QLatin1String("during"))
        m_recorder->onEvent = [](const QString& name) {
            if (name.startsWith(QLatin1String("Setver:")))
                QTimer::singleShot(0, [] { setLoadedFlags(1); });
        };
    UpDataParam dialog(nullptr);
    dialog.StartForReadPass(passIndex);
    const qint64 start = Timing::MonotonicMs();
    run(dialog);
    const qint64 took = Timing::MonotonicMs() - start;

    QCOMPARE(m_recorder->names(), told);
    QCOMPARE(anyLoadedFlag(), flagsAfter);
    if (told.size() > 1) {
        QVERIFY2(!m_recorder->last(told.last())->windowShown, "the dialog must be closed before the notice opens");
        // Twelve waits of 500 ms, after the first 2,500 ms.
        QVERIFY(took >= Timing::Scaled(Timing::UpdateFirstCheck)
                           + Timing::UpdateWaitSteps * Timing::Scaled(Timing::UpdateWaitStep));
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_device));
}

void TestUpDataParam::cacheAfterNormalRead_data()
{
    QTest::addColumn<bool>("cacheBefore");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("pagesReport");
    QTest::newRow("no cache file: written") << false << true << true;
    QTest::newRow("no cache file, read timed out: written all the same") << false << true << false;
    QTest::newRow("cache file present: left alone") << true << true << true;
    QTest::newRow("device offline: nothing written") << false << false << true;
}

void TestUpDataParam::cacheAfterNormalRead()
{
    QFETCH(bool, cacheBefore);
    QFETCH(bool, online);
    QFETCH(bool, pagesReport);
    FlashDataMap older = m_device;
    older.lightColor[0] = quint8(older.lightColor[0] + 1);
    if (cacheBefore)
        SaveDeviceInfoCache(SelectedCacheName.get(), older);
    DeviceOnline.store(online ? 1 : 0);
    setLoadedFlags(pagesReport ? 1 : 0);

    UpDataParam dialog(nullptr);
    dialog.StartForReadPass(0);
    run(dialog);

    FlashDataMap cached = ZeroFlashDataMap();
    const bool present = LoadDeviceInfoCache(SelectedCacheName.get(), &cached);
    QCOMPARE(present, cacheBefore || online);
    if (present)
        QCOMPARE(DeviceLinkFixture::Bytes(cached), DeviceLinkFixture::Bytes(cacheBefore ? older : m_device));
    if (present)
        QCOMPARE(QFileInfo(cachePath()).size(), qint64(4 + sizeof(FlashDataMap)));
}

// The frame's one dialog serves every read pass: a device-reported change does not leave the
// next ordinary pass in the reload wait.
void TestUpDataParam::reloadModeFollowsEachPass()
{
    UpDataParam dialog(nullptr);
    setLoadedFlags(1);
    dialog.StartForReadPass(1);
    run(dialog);
    QVERIFY(dialog.ReloadWaitMode);
    QVERIFY2(anyLoadedFlag(), "the reload wait leaves the flags set");
    QVERIFY(!QFile::exists(cachePath()));

    dialog.StartForReadPass(0);
    QVERIFY(!dialog.ReloadWaitMode);
    run(dialog);
    QVERIFY2(!anyLoadedFlag(), "an ordinary pass clears them");
    QVERIFY(QFile::exists(cachePath()));
    QCOMPARE(m_recorder->names(), (QStringList{"Setver:4", "Setver:4"}));
}

void TestUpDataParam::cachedRecordWhenNotLoaded_data()
{
    QTest::addColumn<bool>("cached");
    QTest::newRow("with a cache file") << true;
    QTest::newRow("without a cache file") << false;
}

void TestUpDataParam::cachedRecordWhenNotLoaded()
{
    QFETCH(bool, cached);
    FlashDataMap cache = m_device;
    cache.lightColor[0] = quint8(cache.lightColor[0] + 1);
    if (cached)
        SaveDeviceInfoCache(SelectedCacheName.get(), cache);
    DeviceDataLoaded.store(0);
    setLoadedFlags(1);

    UpDataParam dialog(nullptr);
    dialog.StartForReadPass(0);
    run(dialog);

    if (cached) {
        QCOMPARE(m_recorder->names(), (QStringList{"Setver:4", "LightUIA", "SensorUIB", "ButtonUIC", "FormB", "Offline:0"}));
        for (const QString& page : {QStringLiteral("LightUIA"), QStringLiteral("SensorUIB"), QStringLiteral("ButtonUIC")})
            QCOMPARE(m_recorder->last(page)->record, DeviceLinkFixture::Bytes(cache));
    } else {
        QCOMPARE(m_recorder->names(), (QStringList{"Setver:4", "Offline:0"}));
    }
    // The notice opens over the dialog, which closes when it has been dismissed.
    QVERIFY(m_recorder->last(QStringLiteral("Offline:0"))->windowShown);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_device));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestUpDataParam::importAccepted()
{
    FlashDataMap record = m_device;
    record.lightColor[0] = 11;
    record.lightColor[1] = 22;
    record.lightColor[2] = 33;
    record.dpiLevelCount = 6; // the device's DPIMaxGrade
    record.currentDpiLevel = 5;
    record.reportRate = quint8(record.reportRate ^ 1);
    QVERIFY(DeviceLinkFixture::Bytes(record) != DeviceLinkFixture::Bytes(m_device));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("profile.bin"));
    writeExportFile(file, "Dovoz", "VXP3311", DeviceLinkFixture::Bytes(record));

    ImportRunning = 1;
    UpDataParam dialog(nullptr);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label"))->text(), LangText(LangTable::UpDataParamTexts, 0, 1));
    dialog.StartTimer();
    dialog.ImportMode = true;
    dialog.ImportFilePath = file;
    run(dialog);
    const qint64 closed = Timing::MonotonicMs();
    ImportRunning = 0;

    QCOMPARE(ImportCheckResult.load(), 0);
    QVERIFY(!dialog.ImportMode);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(writes.front().bytes.data()), int(writes.front().bytes.size())),
             DeviceLinkFixture::Bytes(record));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(record));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(record));
    QCOMPARE(m_recorder->names(), (QStringList{"Setver:4", "LightUIA", "SensorUIB", "ButtonUIC", "FormB"}));
    for (const QString& page : {QStringLiteral("LightUIA"), QStringLiteral("SensorUIB"), QStringLiteral("ButtonUIC")})
        QCOMPARE(m_recorder->last(page)->record, DeviceLinkFixture::Bytes(record));
    // The pages get five waits to redraw, however fast they are.
    QVERIFY(closed - m_recorder->last(QStringLiteral("FormB"))->at >= 5 * Timing::Scaled(Timing::UpdateWaitStep));
}

void TestUpDataParam::importRefused_data()
{
    QTest::addColumn<QByteArray>("marker"); // empty: no file at all
    QTest::addColumn<QByteArray>("sensor");
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("recordBytes");
    QTest::addColumn<QString>("device"); // what keeps the device from taking a good file
    QTest::addColumn<int>("result");
    const int whole = int(sizeof(FlashDataMap));
    const QByteArray ok("Dovoz");
    const QByteArray sensor("VXP3311");
    QTest::newRow("no such file") << QByteArray() << sensor << 6 << whole << "" << 1;
    QTest::newRow("not an export file") << QByteArray("dovoz") << sensor << 6 << whole << "" << 1;
    QTest::newRow("record cut short") << ok << sensor << 6 << 4000 << "" << 1;
    QTest::newRow("another sensor") << ok << QByteArray("3395") << 6 << whole << "" << 2;
    QTest::newRow("more DPI levels than the device") << ok << sensor << 7 << whole << "" << 2;
    QTest::newRow("the record does not fit the device") << ok << sensor << 6 << whole << "full"
                                                        << ImportRefusedByDevice;
    QTest::newRow("the device's own read has not arrived") << ok << sensor << 6 << whole << "unread"
                                                           << ImportRefusedByDevice;
    QTest::newRow("the write fails") << ok << sensor << 6 << whole << "fails" << ImportRefusedByDevice;
}

void TestUpDataParam::importRefused()
{
    QFETCH(QByteArray, marker);
    QFETCH(QByteArray, sensor);
    QFETCH(int, levels);
    QFETCH(int, recordBytes);
    QFETCH(QString, device);
    QFETCH(int, result);
    FlashDataMap record = m_device;
    record.lightColor[0] = 99;
    record.dpiLevelCount = quint8(levels);
    record.currentDpiLevel = 0;
    if (device == QLatin1String("full")) {
        // Sixteen macros of seventy events each are more than the device's memory holds.
        for (MacroRecord& macro : record.macros) {
            macro.nameLength = 1;
            macro.name[0] = 'm';
            macro.eventCount = 70;
            for (quint32 e = 0; e < 70; ++e)
                macro.events[e] = {quint8(e % 2), 1, quint16(4 + e % 20), quint32(10 + e)};
        }
    } else if (device == QLatin1String("unread")) {
        DeviceConfigPath.set(QByteArray());
    } else if (device == QLatin1String("fails")) {
        HidSim::FailNextWrites(1);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("profile.bin"));
    if (!marker.isEmpty())
        writeExportFile(file, marker, sensor, DeviceLinkFixture::Bytes(record).left(recordBytes));

    UpDataParam dialog(nullptr);
    dialog.move(200, 150);
    dialog.StartTimer();
    dialog.ImportMode = true;
    dialog.ImportFilePath = file;
    QString message;
    QPoint noticeAt;
    QPoint dialogAt;
    TestEnv::AnswerNextModal([&](QWidget* notice) {
        message = notice->findChild<QLabel*>(QStringLiteral("label"))->text();
        noticeAt = notice->pos();
        dialogAt = dialog.mapToGlobal(QPoint(0, 0));
        QTest::mouseClick(notice->findChild<QToolButton*>(QStringLiteral("NewHong")), Qt::LeftButton);
    }, "InportFail");
    run(dialog);

    QCOMPARE(ImportCheckResult.load(), result);
    QCOMPARE(message, LangText(LangTable::InportFailTexts, 0, result - 1));
    QCOMPARE(noticeAt, dialogAt); // same size: centred means the same corner
    QVERIFY(!dialog.ImportMode);
    QCOMPARE(m_recorder->names(), QStringList{"Setver:4"});
    if (device.isEmpty())
        QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0); // refused before the device was asked
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_device));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_device));
}

void TestUpDataParam::importWithDeviceGone()
{
    FlashDataMap record = m_device;
    record.lightColor[0] = 42;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("profile.bin"));
    writeExportFile(file, "Dovoz", "VXP3311", DeviceLinkFixture::Bytes(record));

    UpDataParam dialog(nullptr);
    dialog.StartTimer();
    dialog.ImportMode = true;
    dialog.ImportFilePath = file;
    // The cable comes out while the dialog waits.
    m_recorder->onEvent = [](const QString& name) {
        if (name.startsWith(QLatin1String("Setver:")))
            QVERIFY(HidSim::Unplug("m1"));
    };
    run(dialog);

    QCOMPARE(ImportCheckResult.load(), 0);
    QVERIFY(!dialog.ImportMode);
    QCOMPARE(m_recorder->names(), (QStringList{"Setver:4", "Offline:0"}));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(m_device));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_device));
}

VEXO_TEST_MAIN(TestUpDataParam)
#include "tst_updataparam.moc"
