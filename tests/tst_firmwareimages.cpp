#include "core/userfolders.h"
#include "core/apppaths.h"
#include "core/devicestate.h"
#include "device/firmwareimages.h"
#include "helpers/testenv.h"
#include "platform/registrystore.h"
#include "tools/firmwarebuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <unistd.h>

Q_DECLARE_METATYPE(FirmwareImageSpec)

namespace {

struct NamedImage {
    QString file;
    FirmwareImageSpec spec;
};

FirmwareImageSpec mouseImage(quint32 version, const QString& stem = QStringLiteral("STEM"), int mid = 3)
{
    FirmwareImageSpec s;
    s.kind = 210;
    s.cid = 18;
    s.mid = mid;
    s.stem = stem;
    s.version = version;
    s.bodySize = 64;
    return s;
}

int versionOf(const QByteArray& image)
{
    FirmwareDescriptor d;
    std::memcpy(&d, image.constData(), sizeof d);
    return int(d.version);
}

} // namespace

Q_DECLARE_METATYPE(QList<NamedImage>)

class TestFirmwareImages : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void versionText_data();
    void versionText();
    void receiverType_data();
    void receiverType();
    void scan_data();
    void scan();
    void scanKeepsCallersText();
    void scanSkipsUnreadableFile();
    void probe();
    void checkUpdate_data();
    void checkUpdate();
    void missingFolder();
    void failRecord_data();
    void failRecord();
    void mouseVerAndLog();
    void upgradeLogAppends_data();
    void upgradeLogAppends();
    void upgradeLogLinesStayWhole();

private:
    void writeImage(const QString& name, const QByteArray& bytes);
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_install;
};

void TestFirmwareImages::init()
{
    ResetDeviceState();
    m_home = std::make_unique<TestEnv::TempHome>();
    PrepareUserFolders();
    m_install = std::make_unique<QTemporaryDir>();
    QDir(m_install->path()).mkpath(QStringLiteral("bin"));
    QDir(m_install->path()).mkpath(QStringLiteral("usersetting"));
    QFile config(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[Option]\nCID=" + QByteArray("274").toBase64() + "\n[Drive1]\nMID=3\nMM=" + QByteArray("STEM").toBase64()
                 + "\nD2M=" + QByteArray("RX2").toBase64() + "\nD4M=" + QByteArray("RX4").toBase64() + "\n");
    config.close();
    AppPaths::SetInstallFolder(m_install->path());
}

void TestFirmwareImages::cleanup()
{
    AppPaths::SetInstallFolder(QString());
    UpgradeImageList.clear();
    m_install.reset();
    m_home.reset();
}

void TestFirmwareImages::writeImage(const QString& name, const QByteArray& bytes)
{
    QFile f(m_install->path() + QStringLiteral("/bin/") + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestFirmwareImages::versionText_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::newRow("v1.5") << 0x0105 << "v1.5" << 1 << 5;
    QTest::newRow("hex minor") << 0x010A << "v1.a" << 1 << 10;
    QTest::newRow("0x0210 is v2.10") << 0x0210 << "v2.10" << 2 << 16;
    QTest::newRow("large major") << 0x12300 << "v291.0" << 291 << 0;
}

void TestFirmwareImages::versionText()
{
    QFETCH(int, version);
    QFETCH(QString, text);
    QFETCH(int, major);
    QFETCH(int, minor);
    QCOMPARE(FirmwareVersionText(quint32(version)), text);
    const FirmwareVersion v = ParseFirmwareVersion(text);
    QCOMPARE(v.major, major);
    QCOMPARE(v.minor, minor);
    QVERIFY(!(ParseFirmwareVersion(QStringLiteral("1.1")) == ParseFirmwareVersion(QStringLiteral("v1.10"))));
}

void TestFirmwareImages::receiverType_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("4") << 4 << 2;
    QTest::newRow("1") << 1 << 4;
    QTest::newRow("5") << 5 << 8;
    QTest::newRow("cable") << 2 << 0;
    QTest::newRow("other") << 9 << 0;
}

void TestFirmwareImages::receiverType()
{
    QFETCH(int, kind);
    QFETCH(int, type);
    QCOMPARE(ReceiverTypeFor(kind), type);
}

void TestFirmwareImages::scan_data()
{
    QTest::addColumn<QList<NamedImage>>("images");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("version");

    QTest::newRow("no version shown: last in name order wins")
        << QList<NamedImage>{{"b.BIN", mouseImage(0x0102)}, {"A.bin", mouseImage(0x0101)}} << "" << true << 0x0102;
    QTest::newRow("same version skipped, older taken")
        << QList<NamedImage>{{"a.bin", mouseImage(0x0105)}, {"b.bin", mouseImage(0x0104)}} << "v1.5" << true << 0x0104;
    QTest::newRow("v1.1 and v1.10 differ")
        << QList<NamedImage>{{"a.bin", mouseImage(0x0110)}} << "v1.1" << true << 0x0110;
    QTest::newRow("hex minor shown")
        << QList<NamedImage>{{"a.bin", mouseImage(0x010A)}, {"b.bin", mouseImage(0x0200)}} << "v1.a" << true << 0x0200;
    QTest::newRow("only the same version") << QList<NamedImage>{{"a.bin", mouseImage(0x0105)}} << "v1.5" << false << 0;
    QTest::newRow("stem is case-sensitive")
        << QList<NamedImage>{{"a.bin", mouseImage(0x0200, QStringLiteral("stem"))}} << "" << false << 0;
    QTest::newRow("other MID") << QList<NamedImage>{{"a.bin", mouseImage(0x0200, QStringLiteral("STEM"), 4)}} << ""
                               << false << 0;
    FirmwareImageSpec receiver = mouseImage(0x0200);
    receiver.kind = 211;
    QTest::newRow("other kind") << QList<NamedImage>{{"a.bin", receiver}} << "" << false << 0;
    QTest::newRow("not a .bin file") << QList<NamedImage>{{"a.img", mouseImage(0x0200)}} << "" << false << 0;
}

void TestFirmwareImages::scan()
{
    QFETCH(QList<NamedImage>, images);
    QFETCH(QString, shown);
    QFETCH(bool, taken);
    QFETCH(int, version);
    for (const NamedImage& img : images)
        writeImage(img.file, BuildFirmwareImage(img.spec));
    // The CID compares by its low byte: 274 & 0xFF == 18.
    QCOMPARE(ScanFirmwareImages(210, shown, QStringLiteral("STEM"), 274, 3), taken);
    QCOMPARE(UpgradeImageList.isEmpty(), !taken);
    if (taken)
        QCOMPARE(versionOf(UpgradeImageList.first()), version);
}

void TestFirmwareImages::scanKeepsCallersText()
{
    writeImage(QStringLiteral("a.bin"), BuildFirmwareImage(mouseImage(0x0200)));
    const QString shown = QStringLiteral("v1.5");
    QVERIFY(ScanFirmwareImages(210, shown, QStringLiteral("STEM"), 18, 3));
    QCOMPARE(shown, QStringLiteral("v1.5"));
    // A header shorter than 728 bytes never matches.
    writeImage(QStringLiteral("b.bin"), BuildFirmwareImage(mouseImage(0x0300)).left(700));
    QVERIFY(ScanFirmwareImages(210, shown, QStringLiteral("STEM"), 18, 3, RepairImageList));
    QCOMPARE(versionOf(RepairImageList.first()), 0x0200);
    RepairImageList.clear();
}

void TestFirmwareImages::scanSkipsUnreadableFile()
{
    writeImage(QStringLiteral("a.bin"), BuildFirmwareImage(mouseImage(0x0200)));
    writeImage(QStringLiteral("b.bin"), BuildFirmwareImage(mouseImage(0x0300)));
    writeImage(QStringLiteral("c.bin"), BuildFirmwareImage(mouseImage(0x0400)));
    // The first candidate cannot be read; the search goes on past it.
    if (::geteuid() == 0) {
        // Root reads everything: a folder with the name stands in for an unreadable file.
        QFile::remove(m_install->path() + QStringLiteral("/bin/a.bin"));
        QDir().mkpath(m_install->path() + QStringLiteral("/bin/a.bin"));
    } else {
        QFile::setPermissions(m_install->path() + QStringLiteral("/bin/a.bin"), QFileDevice::Permissions());
    }
    QVERIFY(ScanFirmwareImages(210, QStringLiteral("v2.0"), QStringLiteral("STEM"), 18, 3));
    QCOMPARE(versionOf(UpgradeImageList.first()), 0x0400);
}

void TestFirmwareImages::probe()
{
    writeImage(QStringLiteral("a.bin"), BuildFirmwareImage(mouseImage(0x0200)));
    QVERIFY(!ProbeFirmwareImages(210, QString(), QStringLiteral("STEM"), 18, 3));
    QVERIFY(ProbeFirmwareImages(210, QStringLiteral("v1.0"), QStringLiteral("STEM"), 18, 3));
    QVERIFY(!ProbeFirmwareImages(210, QStringLiteral("v2.0"), QStringLiteral("STEM"), 18, 3));
    QVERIFY(UpgradeImageList.isEmpty());
}

void TestFirmwareImages::checkUpdate_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("receiverClass");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("newer");
    QTest::newRow("mouse") << 210 << 0 << "v1.0" << true;
    QTest::newRow("mouse same") << 210 << 0 << "v2.0" << false;
    QTest::newRow("receiver class 2") << 211 << 2 << "v1.0" << true;
    QTest::newRow("receiver class 4, no image") << 211 << 4 << "v1.0" << false;
    QTest::newRow("no receiver class") << 211 << 0 << "v1.0" << false;
    QTest::newRow("nothing shown") << 210 << 0 << "" << false;
}

void TestFirmwareImages::checkUpdate()
{
    QFETCH(int, kind);
    QFETCH(int, receiverClass);
    QFETCH(QString, shown);
    QFETCH(bool, newer);
    writeImage(QStringLiteral("mouse.bin"), BuildFirmwareImage(mouseImage(0x0200)));
    FirmwareImageSpec rx = mouseImage(0x0200, QStringLiteral("RX2"));
    rx.kind = 211;
    writeImage(QStringLiteral("rx.bin"), BuildFirmwareImage(rx));
    QCOMPARE(CheckFirmwareUpdate(kind, shown, receiverClass), newer);
    QCOMPARE(FirmwareCid.load(), 274);
}

void TestFirmwareImages::missingFolder()
{
    QDir(m_install->path() + QStringLiteral("/bin")).removeRecursively();
    UpgradeImageList.set(QByteArray("old"));
    QVERIFY(!ScanFirmwareImages(210, QString(), QStringLiteral("STEM"), 18, 3));
    QVERIFY(UpgradeImageList.isEmpty());
    QVERIFY(!CheckFirmwareUpdate(210, QStringLiteral("v1.0"), 0));
}

void TestFirmwareImages::failRecord_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("receiverClass");
    QTest::newRow("receiver failure") << "211,4,18,3" << true << 211 << "4";
    QTest::newRow("three parts") << "211,4,18" << false << 0 << "";
    QTest::newRow("five parts") << "211,4,18,3,1" << false << 0 << "";
    QTest::newRow("empty part kept") << "210,,18,3" << true << 210 << "";
    QTest::newRow("missing") << "" << false << 0 << "";
}

void TestFirmwareImages::failRecord()
{
    QFETCH(QString, stored);
    QFETCH(bool, valid);
    QFETCH(int, kind);
    QFETCH(QString, receiverClass);
    if (stored.isEmpty())
        RemoveUpdateFailInfo();
    else
        RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo"), stored);
    UpdateFailRecord r;
    QCOMPARE(ReadUpdateFailInfo(&r), valid);
    if (valid) {
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.receiverClass, receiverClass);
        QCOMPARE(r.cid, 18);
        QCOMPARE(r.mid, 3);
    }
}

void TestFirmwareImages::mouseVerAndLog()
{
    WriteUpdateFailInfo(211, 4, 18, 3);
    UpdateFailRecord r;
    QVERIFY(ReadUpdateFailInfo(&r));
    RemoveUpdateFailInfo();
    QVERIFY(!ReadUpdateFailInfo(&r));

    WriteMouseVer(QStringLiteral("18"), QStringLiteral("3"), QStringLiteral("v1.5"));
    QCOMPARE(RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("MouseVer183")).toString(),
             QStringLiteral("v1.5"));

    AppendUpgradeLog({QStringLiteral("one"), QStringLiteral("two")});
    AppendUpgradeLog({QStringLiteral("three")});
    QFile log(m_home->userDataFolder() + QStringLiteral("/Exception/UpDateLog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("one\ntwo\nthree\n"));
}

void TestFirmwareImages::upgradeLogAppends_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no log yet") << QByteArray() << QByteArray("one\ntwo\n");
    QTest::newRow("earlier lines stay") << QByteArray("earlier\n") << QByteArray("earlier\none\ntwo\n");
    QTest::newRow("line torn by a kill") << QByteArray("earlier\ntor") << QByteArray("earlier\ntor\none\ntwo\n");
}

void TestFirmwareImages::upgradeLogAppends()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFile log(UpgradeLogPath());
    if (!before.isEmpty()) {
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(before);
        log.close();
    }
    AppendUpgradeLog({QStringLiteral("one"), QStringLiteral("two")});
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), after);
}

// Two appenders at once, as two flashes logging side by side: with each line written whole,
// lines never interleave mid-line, and a kill could only cut between lines.
void TestFirmwareImages::upgradeLogLinesStayWhole()
{
    const int count = 20000;
    const auto batch = [count](char who) {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << QStringLiteral("%1 %2 ").arg(QLatin1Char(who)).arg(i) + QString(40, QLatin1Char(who));
        return lines;
    };
    const QStringList a = batch('a');
    const QStringList b = batch('b');
    // Both start together, so their writes overlap.
    std::atomic<int> ready{0};
    const auto append = [&ready](const QStringList& lines) {
        ++ready;
        while (ready.load() < 2) {
        }
        AppendUpgradeLog(lines);
    };
    std::unique_ptr<QThread> other(QThread::create(append, b));
    other->start();
    append(a);
    QVERIFY(other->wait(30000));

    QFile log(UpgradeLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.endsWith('\n'));
    int nextA = 0;
    int nextB = 0;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        if (nextA < count && line == a.at(nextA).toLatin1())
            ++nextA;
        else if (nextB < count && line == b.at(nextB).toLatin1())
            ++nextB;
        else
            QFAIL(qPrintable(QStringLiteral("torn line: ") + QString::fromLatin1(line.left(80))));
    }
    QCOMPARE(nextA, count);
    QCOMPARE(nextB, count);
}

VEXO_TEST_CORE_MAIN(TestFirmwareImages)
#include "tst_firmwareimages.moc"
