#include "core/apppaths.h"
#include "core/userfolders.h"
#include "helpers/testenv.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestUserFolders : public QObject
{
    Q_OBJECT
private slots:
    void purge_data();
    void purge();
    void interruptedSaves_data();
    void interruptedSaves();
};

void TestUserFolders::purge_data()
{
    QTest::addColumn<qint64>("ageSeconds");
    QTest::addColumn<bool>("kept");
    QTest::newRow("7 days 23 hours stays") << qint64(7 * 86400 + 23 * 3600) << true;
    QTest::newRow("8 days goes") << qint64(8 * 86400 + 60) << false;
    QTest::newRow("future stays") << qint64(-3 * 86400) << true;
    QTest::newRow("fresh stays") << qint64(0) << true;
}

void TestUserFolders::purge()
{
    QFETCH(qint64, ageSeconds);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/old.log");
    QVERIFY(TestEnv::WriteDatedFile(file, QDateTime::currentDateTime().addSecs(-ageSeconds)));
    // Sub-folders and their contents are never touched.
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    QVERIFY(TestEnv::WriteDatedFile(dir.path() + QStringLiteral("/sub/ancient.log"),
                                    QDateTime::currentDateTime().addDays(-30)));
    PurgeOldFiles(dir.path());
    QCOMPARE(QFile::exists(file), kept);
    QVERIFY(QFile::exists(dir.path() + QStringLiteral("/sub/ancient.log")));
}

// Leftover names of every case pattern and without a target are removed at start; the real
// files, names that only look alike and a save still running stay.
void TestUserFolders::interruptedSaves_data()
{
    // Paths under HOME; "DATA" is the per-user folder, "CONFIG" the folder of registry.ini.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sibling"); // created first when not empty, as old as path
    QTest::addColumn<char>("kind");       // 'f' file, 'd' folder, 'l' link to the sibling
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");
    const int old = 3600;
    const int young = 5;
    QTest::newRow("all lower") << "DATA/Macro.ini.abcdef" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("all upper") << "DATA/Macro.ini.ABCDEF" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("mixed case") << "DATA/Macro.ini.AbCdEf" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("with digits") << "DATA/Macro.ini.a1B2c3" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("only digits") << "DATA/Macro.ini.120345" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("target gone") << "DATA/gone.ini.AbxyCd" << "" << 'f' << old << true;
    QTest::newRow("target gone, one case") << "DATA/gone.ini.abxycd" << "" << 'f' << old << true;
    QTest::newRow("named after a folder") << "DATA/usersetting.AbCdEf" << "" << 'f' << old << true;
    QTest::newRow("registry.ini save") << "CONFIG/registry.ini.qwerty" << "CONFIG/registry.ini" << 'f' << old << true;
    QTest::newRow("device cache") << "DATA/Device_Info/m1.bin.ZZZZZZ" << "DATA/Device_Info/m1.bin" << 'f' << old
                                  << true;
    QTest::newRow("macro file") << "DATA/usersetting/MacroPage/x.ini.aaaaaa" << "DATA/usersetting/MacroPage/x.ini"
                                << 'f' << old << true;
    QTest::newRow("hidden target") << "DATA/.state.AbCdEf" << "DATA/.state" << 'f' << old << true;
    // An INI save's copy is written by QSettings through a temporary file and a lock of its own.
    QTest::newRow("copy's own save") << "DATA/Macro.ini.AbCdEf.ghijkl" << "DATA/Macro.ini" << 'f' << old << true;
    QTest::newRow("copy's lock") << "CONFIG/registry.ini.QWERTY.lock" << "CONFIG/registry.ini" << 'f' << old
                                 << true;

    QTest::newRow("save still running") << "DATA/Macro.ini.abcdef" << "DATA/Macro.ini" << 'f' << young << false;
    QTest::newRow("copy's lock still held") << "DATA/Macro.ini.AbCdEf.lock" << "DATA/Macro.ini" << 'f' << young
                                            << false;
    QTest::newRow("the settings file itself") << "DATA/Macro.ini" << "" << 'f' << old << false;
    QTest::newRow("registry.ini itself") << "CONFIG/registry.ini" << "" << 'f' << old << false;
    QTest::newRow("backup copy") << "DATA/foo.ini.bak" << "DATA/foo.ini" << 'f' << old << false;
    QTest::newRow("five characters") << "DATA/Macro.ini.AbCdE" << "DATA/Macro.ini" << 'f' << old << false;
    QTest::newRow("seven characters") << "DATA/Macro.ini.abcdefg" << "DATA/Macro.ini" << 'f' << old << false;
    QTest::newRow("not ASCII") << QStringLiteral("DATA/Macro.ini.\u00c4bCdEf") << "DATA/Macro.ini" << 'f' << old
                               << false;
    QTest::newRow("punctuation") << "DATA/Macro.ini.ab-def" << "DATA/Macro.ini" << 'f' << old << false;
    QTest::newRow("lock of the file") << "DATA/Macro.ini.lock" << "DATA/Macro.ini" << 'f' << old << false;
    QTest::newRow("no dot") << "DATA/Macro.iniAbCdEf" << "DATA/Macro.ini" << 'f' << old << false;
    QTest::newRow("only the ending") << "DATA/.AbCdEf" << "" << 'f' << old << false;
    QTest::newRow("folder") << "DATA/Device_Info/m1.bin.AbCdEf" << "DATA/Device_Info/m1.bin" << 'd' << old << false;
    QTest::newRow("link") << "DATA/Macro.ini.AbCdEf" << "DATA/Macro.ini" << 'l' << old << false;
    QTest::newRow("another program's folder") << ".local/share/Other/a.ini.AbCdEf" << ".local/share/Other/a.ini"
                                              << 'f' << old << false;
    QTest::newRow("config folder of another program") << ".config/Other/a.ini.abcdef" << ".config/Other/a.ini"
                                                      << 'f' << old << false;
}

void TestUserFolders::interruptedSaves()
{
    QFETCH(QString, path);
    QFETCH(QString, sibling);
    QFETCH(char, kind);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);
    TestEnv::TempHome home;
    const auto resolve = [&home](QString p) {
        p.replace(QLatin1String("DATA"), QStringLiteral(".local/share/") + AppPaths::AppFolderName());
        p.replace(QLatin1String("CONFIG"), QStringLiteral(".config/") + AppPaths::AppFolderName());
        return home.path() + QLatin1Char('/') + p;
    };
    const QString file = resolve(path);
    const QDateTime modified = QDateTime::currentDateTime().addSecs(-ageSeconds);
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
    if (!sibling.isEmpty())
        QVERIFY(TestEnv::WriteDatedFile(resolve(sibling), modified));
    if (kind == 'f')
        QVERIFY(TestEnv::WriteDatedFile(file, modified));
    else if (kind == 'd')
        QVERIFY(QDir().mkpath(file));
    else
        QVERIFY(QFile::link(resolve(sibling), file));

    PrepareUserFolders();
    QCOMPARE(QFileInfo::exists(file) || QFileInfo(file).isSymLink(), !removed);
    if (!sibling.isEmpty())
        QVERIFY(QFile::exists(resolve(sibling)));
}

VEXO_TEST_CORE_MAIN(TestUserFolders)
#include "tst_userfolders.moc"
