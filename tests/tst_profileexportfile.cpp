#include "core/apppaths.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/profileexportfile.h"
#include "core/userfolders.h"
#include "helpers/filesizelimit.h"
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
    m.reportRate = 0x02;
    m.dpiLevelCount = 5;
    m.currentDpiLevel = 3;
    m.reserved[0] = 0xAB;
    m.buttonFunctions[2] = ButtonFunctionCode{6, 1, 0};
    m.macros[2].nameLength = 4;
    std::memcpy(m.macros[2].name, "Shot", 4);
    m.macros[2].eventCount = 70;
    m.macros[2].events[69].delay = 0xDEADBEEF;
    return m;
}

QByteArray recordBytes(const FlashDataMap& m)
{
    return QByteArray(reinterpret_cast<const char*>(&m), int(sizeof m));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestProfileExportFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void readerTakesWhatIsWritten_data();
    void readerTakesWhatIsWritten();
    void readerRefusesAnotherRecordSize_data();
    void readerRefusesAnotherRecordSize();
    void failedWriteKeepsOldFile();
    void unwritablePathWritesNothing();

private:
    void useSensor(const QByteArray& name, int maxGrade);
    QString path(const QString& name) const { return m_home->path() + QLatin1Char('/') + name; }

    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_install;
};

void TestProfileExportFile::init()
{
    ResetDeviceState();
    m_home = std::make_unique<TestEnv::TempHome>();
    PrepareUserFolders();
    m_install = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_install->path()).mkpath(QStringLiteral("usersetting")));
    AppPaths::SetInstallFolder(m_install->path());
}

void TestProfileExportFile::cleanup()
{
    AppPaths::SetInstallFolder(QString());
    m_install.reset();
    m_home.reset();
    ResetDeviceState();
}

// Drive1 with this sensor; the chosen device is Drive1.
void TestProfileExportFile::useSensor(const QByteArray& name, int maxGrade)
{
    QFile config(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("[Drive1]\nSensor=" + name.toBase64() + "\nDPIMaxGrade=" + QByteArray::number(maxGrade) + "\n");
    config.close();
    CurrentDevice.update([](DeviceAllInfo& d) { d.DriveIndex = 0; });
}

void TestProfileExportFile::layout_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QByteArray>("field"); // the 12 bytes stored for the name

    QTest::newRow("short name") << QStringLiteral("VXP3311") << QByteArray("VXP3311\0\0\0\0\0", 12);
    QTest::newRow("four letters") << QStringLiteral("3395") << QByteArray("3395\0\0\0\0\0\0\0\0", 12);
    QTest::newRow("exactly 12 bytes, no zero") << QStringLiteral("PAW3395-LONG") << QByteArray("PAW3395-LONG");
    QTest::newRow("longer name cut") << QStringLiteral("PAW3395-LONGNAME") << QByteArray("PAW3395-LONG");
    QTest::newRow("UTF-8 counted in bytes") << QString::fromUtf8("\xC3\x84\xC3\x96-3395")
                                            << QByteArray("\xC3\x84\xC3\x96-3395\0\0\0", 12);
    QTest::newRow("no name") << QString() << QByteArray(12, '\0');
}

void TestProfileExportFile::layout()
{
    QFETCH(QString, sensor);
    QFETCH(QByteArray, field);
    const FlashDataMap record = sampleRecord();
    const QByteArray bytes = ProfileExportBytes(record, sensor);

    QCOMPARE(bytes.size(), 10464);
    QCOMPARE(bytes.left(16), QByteArray::fromHex("0000000C") + QByteArray("Dovoz\0\0\0\0\0\0\0", 12));
    QCOMPARE(bytes.mid(16, 4), QByteArray::fromHex("0000000C"));
    QCOMPARE(bytes.mid(20, 12), field);
    QCOMPARE(bytes.mid(32, 4), QByteArray::fromHex("000028BC"));
    QCOMPARE(bytes.mid(36), recordBytes(record));

    const QString file = path(QStringLiteral("out.bin"));
    QVERIFY(WriteProfileExportFile(file, record, sensor));
    QCOMPARE(readAll(file), bytes);
}

void TestProfileExportFile::readerTakesWhatIsWritten_data()
{
    QTest::addColumn<QByteArray>("sensor");
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("maxGrade");
    QTest::addColumn<int>("result");

    QTest::newRow("short name") << QByteArray("VXP3311") << 5 << 6 << 0;
    QTest::newRow("as many levels as allowed") << QByteArray("3395") << 8 << 8 << 0;
    QTest::newRow("exactly 12 bytes") << QByteArray("PAW3395-LONG") << 5 << 6 << 0;
    // The device's own export: the reader compares what the file can hold.
    QTest::newRow("longer name") << QByteArray("PAW3395-LONGNAME") << 5 << 6 << 0;
    QTest::newRow("more levels than allowed") << QByteArray("VXP3311") << 7 << 6 << 2;
}

void TestProfileExportFile::readerTakesWhatIsWritten()
{
    QFETCH(QByteArray, sensor);
    QFETCH(int, levels);
    QFETCH(int, maxGrade);
    QFETCH(int, result);
    VEXO_CHECKED(useSensor(sensor, maxGrade));
    FlashDataMap record = sampleRecord();
    record.dpiLevelCount = quint8(levels);
    const QString file = path(QStringLiteral("roundtrip.bin"));
    QVERIFY(WriteProfileExportFile(file, record, QString::fromUtf8(sensor)));

    FlashDataMap out = ZeroFlashDataMap();
    QCOMPARE(CheckProfileFile(file, &out), result);
    if (result == 0)
        QCOMPARE(recordBytes(out), recordBytes(record));
}

void TestProfileExportFile::readerRefusesAnotherRecordSize_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("result");
    QTest::newRow("exact") << 0 << 0;
    QTest::newRow("one byte more") << 1 << 1;
    QTest::newRow("one byte less") << -1 << 1;
}

// A record block must be exactly one record: anything else is not a file of this program.
void TestProfileExportFile::readerRefusesAnotherRecordSize()
{
    QFETCH(int, extra);
    QFETCH(int, result);
    VEXO_CHECKED(useSensor("VXP3311", 6));
    QByteArray record = recordBytes(sampleRecord());
    if (extra > 0)
        record.append(QByteArray(extra, '\x01'));
    else
        record.chop(-extra);
    QByteArray bytes = ProfileExportBytes(sampleRecord(), QStringLiteral("VXP3311")).left(32);
    QDataStream out(&bytes, QIODevice::Append);
    out.writeBytes(record.constData(), uint(record.size()));
    QFile file(path(QStringLiteral("sized.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    FlashDataMap got;
    std::memset(&got, 0x55, sizeof got);
    QCOMPARE(CheckProfileFile(file.fileName(), &got), result);
    QCOMPARE(got.reportRate == sampleRecord().reportRate, result == 0);
}

void TestProfileExportFile::failedWriteKeepsOldFile()
{
    const QString file = path(QStringLiteral("keep.bin"));
    FlashDataMap older = sampleRecord();
    older.lod = 7;
    QVERIFY(WriteProfileExportFile(file, older, QStringLiteral("VXP3311")));
    const QByteArray before = readAll(file);
    {
        FileSizeLimit limit(4096);
        QVERIFY(!WriteProfileExportFile(file, sampleRecord(), QStringLiteral("VXP3311")));
    }
    QCOMPARE(readAll(file), before);
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_home->path()).entryList({QStringLiteral("keep.bin*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("keep.bin")});
}

void TestProfileExportFile::unwritablePathWritesNothing()
{
    QVERIFY(!WriteProfileExportFile(QString(), sampleRecord(), QStringLiteral("VXP3311")));
    const QString file = path(QStringLiteral("missing/folder/out.bin"));
    QVERIFY(!WriteProfileExportFile(file, sampleRecord(), QStringLiteral("VXP3311")));
    QVERIFY(!QFile::exists(file));
}

VEXO_TEST_CORE_MAIN(TestProfileExportFile)
#include "tst_profileexportfile.moc"
