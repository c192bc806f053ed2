#include "core/userfolders.h"
#include "helpers/childapp.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

static void touch(const QString& path, const QDateTime& modified)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void purge_data();
    void purge();
    void firstStartPreparesFolders();
    void secondStartShowsNoticeAndExits();
    void startAfterKilledInstance();
    void crashLeavesOneDump();
};

void TestStartup::purge_data()
{
    QTest::addColumn<qint64>("ageSeconds");
    QTest::addColumn<bool>("kept");
    QTest::newRow("7 days 23 hours stays") << qint64(7 * 86400 + 23 * 3600) << true;
    QTest::newRow("8 days goes") << qint64(8 * 86400 + 60) << false;
    QTest::newRow("future stays") << qint64(-3 * 86400) << true;
    QTest::newRow("fresh stays") << qint64(0) << true;
}

void TestStartup::purge()
{
    QFETCH(qint64, ageSeconds);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/old.log");
    touch(file, QDateTime::currentDateTime().addSecs(-ageSeconds));
    // Sub-folders and their contents are never touched.
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    touch(dir.path() + QStringLiteral("/sub/ancient.log"), QDateTime::currentDateTime().addDays(-30));
    PurgeOldFiles(dir.path());
    QCOMPARE(QFile::exists(file), kept);
    QVERIFY(QFile::exists(dir.path() + QStringLiteral("/sub/ancient.log")));
}

void TestStartup::firstStartPreparesFolders()
{
    TestEnv::TempHome home;
    const QString base = home.userDataFolder();
    QDir().mkpath(base + QStringLiteral("/Log"));
    QDir().mkpath(base + QStringLiteral("/Exception/keep"));
    touch(base + QStringLiteral("/Log/old.txt"), QDateTime::currentDateTime().addDays(-9));
    touch(base + QStringLiteral("/Exception/old.dmp"), QDateTime::currentDateTime().addDays(-9));
    touch(base + QStringLiteral("/Exception/keep/old.dmp"), QDateTime::currentDateTime().addDays(-9));
    touch(base + QStringLiteral("/Log/new.txt"), QDateTime::currentDateTime().addDays(-1));

    ChildApp app(home);
    QVERIFY2(!app.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(app.output()));
    for (const QString& sub : UserFolderTree())
        QVERIFY2(QDir(base + sub).exists(), qPrintable(sub));
    QVERIFY(QFile::exists(base + QStringLiteral("/Macro.ini")));
    QCOMPARE(QFileInfo(base + QStringLiteral("/Macro.ini")).size(), qint64(0));
    QVERIFY(!QFile::exists(base + QStringLiteral("/Log/old.txt")));
    QVERIFY(!QFile::exists(base + QStringLiteral("/Exception/old.dmp")));
    QVERIFY(QFile::exists(base + QStringLiteral("/Exception/keep/old.dmp")));
    QVERIFY(QFile::exists(base + QStringLiteral("/Log/new.txt")));
    app.process().kill();
    app.finish();

    // An existing preference file is left as it is.
    QFile macro(base + QStringLiteral("/Macro.ini"));
    QVERIFY(macro.open(QIODevice::WriteOnly));
    macro.write("[Language]\nLanguage=1\n");
    macro.close();
    ChildApp again(home);
    QVERIFY(!again.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull());
    QVERIFY(macro.open(QIODevice::ReadOnly));
    QCOMPARE(macro.readAll(), QByteArray("[Language]\nLanguage=1\n"));
}

void TestStartup::secondStartShowsNoticeAndExits()
{
    TestEnv::TempHome home;
    ChildApp first(home);
    QVERIFY2(!first.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(first.output()));

    ChildApp second(home);
    QVERIFY2(!second.waitForLine(QStringLiteral("MODAL ExeIsRun")).isNull(), qPrintable(second.output()));
    QVERIFY(second.finish());
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 0);
    QVERIFY(!second.output().contains(QStringLiteral("SHOWN DialogMain")));
    QCOMPARE(first.process().state(), QProcess::Running);
}

void TestStartup::startAfterKilledInstance()
{
    TestEnv::TempHome home;
    {
        ChildApp first(home);
        QVERIFY2(!first.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(first.output()));
        ::kill(pid_t(first.process().processId()), SIGKILL);
        QVERIFY(first.finish());
    }
    ChildApp next(home);
    QVERIFY2(!next.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(next.output()));
    QVERIFY(!next.output().contains(QStringLiteral("MODAL ExeIsRun")));
}

void TestStartup::crashLeavesOneDump()
{
    TestEnv::TempHome home;
    ChildApp app(home);
    QVERIFY(!app.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull());
    ::kill(pid_t(app.process().processId()), SIGSEGV);
    QVERIFY(app.finish());
    QCOMPARE(app.process().exitStatus(), QProcess::CrashExit);
    const QDir dumps(home.userDataFolder() + QStringLiteral("/Exception"));
    const QStringList files = dumps.entryList({QStringLiteral("*.dmp")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.dmp$"))
                .match(files.first()).hasMatch());
    QFile dump(dumps.filePath(files.first()));
    QVERIFY(dump.open(QIODevice::ReadOnly));
    const QByteArray text = dump.readAll();
    QVERIFY(text.startsWith("signal 11\n"));
    QVERIFY(text.contains("backtrace:"));
}

VEXO_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
