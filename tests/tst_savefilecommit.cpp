#include "core/deviceinfocache.h"
#include "core/inifile.h"
#include "core/profileexportfile.h"
#include "core/savefilecommit.h"
#include "device/macrobuttonfile.h"
#include "device/macrotextfile.h"
#include "helpers/filesizelimit.h"
#include "helpers/testenv.h"

#include <QDir>
#include <QSaveFile>
#include <QtTest>

#include <functional>
#include <memory>

// A write that fails part-way (a full disk) must keep the file that was there.
class TestSaveFileCommit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void commitSeesAFailedLastWrite();
    void writersKeepTheOldFile_data();
    void writersKeepTheOldFile();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
};

using Writer = std::function<bool(const QString& path)>;
using PathOf = std::function<QString()>;
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(PathOf)

void TestSaveFileCommit::init()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    QVERIFY(QDir().mkpath(MacroFolder()));
    QVERIFY(QDir().mkpath(DeviceCacheFolder()));
}

void TestSaveFileCommit::cleanup()
{
    m_home.reset();
}

void TestSaveFileCommit::commitSeesAFailedLastWrite()
{
    const QString path = m_home->path() + QStringLiteral("/f");
    QVERIFY(TestEnv::WriteFile(path, "old"));
    {
        FileSizeLimit limit(100);
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Buffered: the write itself reports success.
        QCOMPARE(file.write(QByteArray(1000, 'x')), qint64(1000));
        QVERIFY(!CommitSaveFile(file));
    }
    QCOMPARE(TestEnv::ReadFile(path), QByteArray("old"));

    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("new");
    QVERIFY(CommitSaveFile(file));
    QCOMPARE(TestEnv::ReadFile(path), QByteArray("new"));
}

void TestSaveFileCommit::writersKeepTheOldFile_data()
{
    // Paths are asked for once the test's HOME exists.
    QTest::addColumn<PathOf>("pathOf");
    QTest::addColumn<Writer>("write");

    MacroEventRow delay;
    delay.text = QStringLiteral("10ms");
    const QVector<MacroEventRow> rows(200, delay);
    QTest::newRow("macro text file") << PathOf([] { return MacroFilePath(MacroFolder(), QStringLiteral("m")); })
                                     << Writer([rows](const QString& p) { return SaveMacroTextFile(p, 1, rows); });
    QTest::newRow("macro first line") << PathOf([] { return MacroFilePath(MacroFolder(), QStringLiteral("m")); }) << Writer([](const QString&) {
        return WriteMacroFileHeader(QStringLiteral("m"), QString(500, QLatin1Char('9')));
    });
    QTest::newRow("device cache") << PathOf([] { return DeviceCacheFolder() + QStringLiteral("cache"); }) << Writer([](const QString&) {
        SaveDeviceInfoCache(QStringLiteral("cache"), FlashDataMap{});
        return false;
    });
    QTest::newRow("settings file") << PathOf([] { return MacroFolder() + QStringLiteral("/../settings.ini"); }) << Writer([](const QString& p) {
        IniFile file([p] { return p; });
        file.setValue(QStringLiteral("A/b"), QString(500, QLatin1Char('x')));
        return false;
    });
    QTest::newRow("configuration export") << PathOf([] { return MacroFolder() + QStringLiteral("/../x.bin"); }) << Writer([](const QString& p) {
        return WriteProfileExportFile(p, FlashDataMap{}, QStringLiteral("S"));
    });
}

void TestSaveFileCommit::writersKeepTheOldFile()
{
    QFETCH(PathOf, pathOf);
    QFETCH(Writer, write);
    const QString path = pathOf();
    QVERIFY(TestEnv::WriteFile(path, "old"));
    {
        FileSizeLimit limit(64);
        QVERIFY(!write(path));
    }
    QCOMPARE(TestEnv::ReadFile(path), QByteArray("old"));
    // Nothing of the failed save stays beside it.
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

VEXO_TEST_CORE_MAIN(TestSaveFileCommit)
#include "tst_savefilecommit.moc"
