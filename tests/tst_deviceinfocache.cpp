#include "core/userfolders.h"
#include "core/apppaths.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "helpers/testenv.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

FlashDataMap sampleRecord()
{
    FlashDataMap m = ZeroFlashDataMap();
    m.reportRate = 0x01;
    m.dpiLevelCount = 4;
    m.currentDpiLevel = 1;
    m.reserved[0] = 0xAB;
    m.macros[15].nameLength = 3;
    std::memcpy(m.macros[15].name, "abc", 3);
    m.macros[15].events[69].delay = 0xDEADBEEF;
    return m;
}

QByteArray block(const QByteArray& bytes)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.writeBytes(bytes.constData(), uint(bytes.size()));
    return out;
}

// A block length of 2 GiB, far beyond any of these files.
const QByteArray HugeLength = QByteArray::fromHex("80000000");

QByteArray recordBytes(const FlashDataMap& m)
{
    return QByteArray(reinterpret_cast<const char*>(&m), int(sizeof m));
}

// 12 bytes beginning with the text and a NUL, as the export writes them.
QByteArray padded12(const QByteArray& text)
{
    QByteArray b = text.left(12);
    b.append(QByteArray(12 - b.size(), '\0'));
    return b;
}

} // namespace

class TestDeviceInfoCache : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cacheName_data();
    void cacheName();
    void saveAndLoad();
    void saveWithoutName();
    void loadBlocks_data();
    void loadBlocks();
    void profileCheck_data();
    void profileCheck();

private:
    QString writeFile(const QByteArray& bytes);
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_install;
};

void TestDeviceInfoCache::init()
{
    ResetDeviceState();
    m_home = std::make_unique<TestEnv::TempHome>();
    PrepareUserFolders();
    m_install = std::make_unique<QTemporaryDir>();
    QDir(m_install->path()).mkpath(QStringLiteral("usersetting"));
    QFile config(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    // Drive1: a sensor name longer than the export keeps; Drive2: no DPIMaxGrade.
    config.write("[Drive1]\nSensor=" + QByteArray("PAW3395-LONGNAME").toBase64() + "\nDPIMaxGrade=6\n"
                 "[Drive2]\nSensor=" + QByteArray("3950").toBase64() + "\n");
    config.close();
    AppPaths::SetInstallFolder(m_install->path());
}

void TestDeviceInfoCache::cleanup()
{
    AppPaths::SetInstallFolder(QString());
    m_install.reset();
    m_home.reset();
    ResetDeviceState();
}

QString TestDeviceInfoCache::writeFile(const QByteArray& bytes)
{
    const QString path = m_home->path() + QStringLiteral("/export.bin");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

void TestDeviceInfoCache::cacheName_data()
{
    QTest::addColumn<int>("cidMid");
    QTest::addColumn<QString>("name");
    QTest::newRow("leading zeros, upper case") << 0x1F0A << "Device_CID0A_MID1F.bin";
    QTest::newRow("zero") << 0 << "Device_CID00_MID00.bin";
    QTest::newRow("full bytes") << 0xFFAB << "Device_CIDAB_MIDFF.bin";
}

void TestDeviceInfoCache::cacheName()
{
    QFETCH(int, cidMid);
    QFETCH(QString, name);
    QCOMPARE(DeviceCacheName(quint16(cidMid)), name);
}

void TestDeviceInfoCache::saveAndLoad()
{
    const FlashDataMap m = sampleRecord();
    SaveDeviceInfoCache(QStringLiteral("Device_CID12_MID03.bin"), m);
    QFile f(DeviceCacheFolder() + QStringLiteral("Device_CID12_MID03.bin"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.size(), 10432);
    QCOMPARE(bytes.left(4), QByteArray::fromHex("000028bc"));
    QCOMPARE(bytes.mid(4), recordBytes(m));

    FlashDataMap back = ZeroFlashDataMap();
    QVERIFY(LoadDeviceInfoCache(QStringLiteral("Device_CID12_MID03.bin"), &back));
    QCOMPARE(recordBytes(back), recordBytes(m));
}

void TestDeviceInfoCache::saveWithoutName()
{
    SaveDeviceInfoCache(QString(), sampleRecord());
    QVERIFY(QDir(DeviceCacheFolder()).entryList(QDir::Files).isEmpty());
}

void TestDeviceInfoCache::loadBlocks_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<bool>("loaded");
    const QByteArray rec = recordBytes(sampleRecord());
    QTest::newRow("exact block") << block(rec) << true;
    QTest::newRow("longer block fills the record only") << block(rec + QByteArray(100, '\x7f')) << true;
    QTest::newRow("short block") << block(rec.left(10000)) << false;
    QTest::newRow("cut off by end of file") << block(rec).left(5000) << false;
    QTest::newRow("empty block") << block(QByteArray()) << false;
    QTest::newRow("2 GiB declared, 4 bytes there") << HugeLength + QByteArray("abcd") << false;
    QTest::newRow("2 GiB declared, whole record there") << HugeLength + rec << false;
    QTest::newRow("empty file") << QByteArray("") << false;
    QTest::newRow("no file") << QByteArray() << false;
}

void TestDeviceInfoCache::loadBlocks()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, loaded);
    if (!file.isNull()) {
        QFile f(DeviceCacheFolder() + QStringLiteral("c.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    FlashDataMap out;
    std::memset(&out, 0x55, sizeof out);
    QCOMPARE(LoadDeviceInfoCache(QStringLiteral("c.bin"), &out), loaded);
    if (loaded) {
        QCOMPARE(recordBytes(out), recordBytes(sampleRecord()));
    } else {
        FlashDataMap untouched;
        std::memset(&untouched, 0x55, sizeof untouched);
        QCOMPARE(recordBytes(out), recordBytes(untouched));
    }
}

void TestDeviceInfoCache::profileCheck_data()
{
    QTest::addColumn<int>("driveIndex");
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("copied");

    const QByteArray marker = block(padded12("Dovoz"));
    const QByteArray sensor = block("PAW3395-LONG"); // the export's 12 bytes, no NUL
    auto withCount = [](int levels) {
        FlashDataMap m = sampleRecord();
        m.dpiLevelCount = quint8(levels);
        return block(recordBytes(m));
    };
    const QByteArray good = withCount(4);
    QTest::newRow("accepted") << 0 << marker + sensor + good << 0 << true;
    QTest::newRow("level count equals max") << 0 << marker + sensor + withCount(6) << 0 << true;
    QTest::newRow("more levels than the device") << 0 << marker + sensor + withCount(7) << 2 << true;
    QTest::newRow("no max grade") << 1 << marker + block(padded12("3950")) + withCount(1) << 2 << true;
    QTest::newRow("marker lower case") << 0 << block(padded12("dovoz")) + sensor + good << 1 << false;
    QTest::newRow("marker with more") << 0 << block(padded12("DovozA")) + sensor + good << 1 << false;
    QTest::newRow("marker without NUL") << 0 << block("Dovoz") + sensor + good << 0 << true;
    QTest::newRow("another sensor") << 0 << marker + block(padded12("3950")) + good << 2 << false;
    QTest::newRow("sensor empty") << 0 << marker + block(QByteArray()) + good << 2 << false;
    QTest::newRow("record short") << 0 << marker + sensor + block(recordBytes(sampleRecord()).left(9000)) << 1 << false;
    QTest::newRow("record cut off") << 0 << (marker + sensor + good).left(6000) << 1 << false;
    QTest::newRow("not an export file") << 0 << QByteArray("hello world") << 1 << false;
    QTest::newRow("no file") << 0 << QByteArray() << 1 << false;
    QTest::newRow("marker declares 2 GiB") << 0 << HugeLength + padded12("Dovoz") + sensor + good << 1 << false;
    QTest::newRow("sensor declares 2 GiB") << 0 << marker + HugeLength + "PAW3395-LONG" + good << 1 << false;
    QTest::newRow("record declares 2 GiB") << 0 << marker + sensor + HugeLength + recordBytes(sampleRecord()) << 1
                                           << false;

    auto malformed = [](std::function<void(FlashDataMap&)> spoil) {
        FlashDataMap m = sampleRecord();
        spoil(m);
        return block(recordBytes(m));
    };
    QTest::newRow("zero levels") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.dpiLevelCount = 0; }) << 1 << false;
    QTest::newRow("nine levels") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.dpiLevelCount = 9; }) << 1 << false;
    QTest::newRow("current level 8") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.currentDpiLevel = 8; }) << 1 << false;
    QTest::newRow("seven key events") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.keyActions[3].count = 7; }) << 1 << false;
    QTest::newRow("71 macro events") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.macros[0].eventCount = 71; }) << 1 << false;
    QTest::newRow("macro name 31 bytes") << 0 << marker + sensor + malformed([](FlashDataMap& m) { m.macros[9].nameLength = 31; }) << 1 << false;
}

void TestDeviceInfoCache::profileCheck()
{
    QFETCH(int, driveIndex);
    QFETCH(QByteArray, file);
    QFETCH(int, result);
    QFETCH(bool, copied);
    CurrentDevice.update([&](DeviceAllInfo& d) { d.DriveIndex = quint32(driveIndex); });
    FlashDataMap out;
    std::memset(&out, 0x55, sizeof out);
    const QString path = file.isNull() ? m_home->path() + QStringLiteral("/nothing.bin") : writeFile(file);
    QCOMPARE(CheckProfileFile(path, &out), result);
    QCOMPARE(out.reportRate == 0x01, copied);
}

VEXO_TEST_CORE_MAIN(TestDeviceInfoCache)
#include "tst_deviceinfocache.moc"
