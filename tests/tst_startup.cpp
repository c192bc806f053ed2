#include "app/singleinstanceguard.h"
#include "core/apppaths.h"
#include "core/userfolders.h"
#include "helpers/childapp.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <unistd.h>

static void touch(const QString& path, const QDateTime& modified)
{
    QVERIFY(TestEnv::WriteDatedFile(path, modified));
}

static QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// When the current test began: pids are reused, so a segment is a child's only when its
// creator pid matches and it was made after this.
static qint64 testBegan = 0;

// The System V objects (ipcs) a child made, which the kernel keeps after a kill: Qt keys its
// segments and semaphores on "qipc_*" files in the temporary folder (ChildApp gives each child
// the HOME folder as its own), and the kernel records a segment's creator pid and creation
// time; a running child also maps its segments. Empty when there are none.
static QString systemVLeftovers(qint64 pid, const TestEnv::TempHome& home)
{
    QStringList found = QDir(home.path()).entryList({QStringLiteral("qipc_*")}, QDir::Files | QDir::Hidden);
    const QStringList segments = readLines(QStringLiteral("/proc/sysvipc/shm"));
    const QStringList header = segments.value(0).simplified().split(QLatin1Char(' '));
    const int cpid = header.indexOf(QStringLiteral("cpid"));
    const int ctime = header.indexOf(QStringLiteral("ctime"));
    for (const QString& line : segments.mid(1)) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.value(cpid).toLongLong() == pid && fields.value(ctime).toLongLong() >= testBegan)
            found << QStringLiteral("segment ") + fields.at(1);
    }
    for (const QString& line : readLines(QStringLiteral("/proc/%1/maps").arg(pid)))
        if (line.contains(QLatin1String("SYSV")))
            found << QStringLiteral("mapped ") + line;
    return found.join(QLatin1String(", "));
}

// Ends a child the hard way (no exit handlers run) and checks that it left no System V object.
static void killChild(ChildApp& child, const TestEnv::TempHome& home)
{
    const qint64 pid = child.process().processId();
    QVERIFY2(systemVLeftovers(pid, home).isEmpty(), qPrintable(systemVLeftovers(pid, home)));
    ::kill(pid_t(pid), SIGKILL);
    QVERIFY(child.finish());
    QVERIFY2(systemVLeftovers(pid, home).isEmpty(), qPrintable(systemVLeftovers(pid, home)));
}

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init() { testBegan = QDateTime::currentSecsSinceEpoch(); }
    void firstStartPreparesFolders();
    void guard_data();
    void guard();
    void secondStartShowsNoticeAndExits();
    void otherHomeRunsBeside();
    void startAfterKilledInstance();
    void crashLeavesOneDump();
    void normalStartAndCloseWritesNoStandardError();
    void brokenUserFolderToldInWindowOnce();
};

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
    killChild(app, home);

    // An existing preference file is left as it is.
    QFile macro(base + QStringLiteral("/Macro.ini"));
    QVERIFY(macro.open(QIODevice::WriteOnly));
    macro.write("[Language]\nLanguage=1\n");
    macro.close();
    ChildApp again(home);
    QVERIFY(!again.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull());
    QVERIFY(macro.open(QIODevice::ReadOnly));
    QCOMPARE(macro.readAll(), QByteArray("[Language]\nLanguage=1\n"));
    killChild(again, home);
}

// In one process, as between two: flock() locks of two opens of one file exclude each other.
void TestStartup::guard_data()
{
    QTest::addColumn<QString>("secondHome"); // "same", "same/" or "other"
    QTest::addColumn<bool>("firstEnded");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same user and HOME") << "same" << false << true;
    QTest::newRow("HOME spelled with a slash") << "same/" << false << true;
    QTest::newRow("another HOME") << "other" << false << false;
    QTest::newRow("first one ended") << "same" << true << false;
}

void TestStartup::guard()
{
    QFETCH(QString, secondHome);
    QFETCH(bool, firstEnded);
    QFETCH(bool, refused);
    TestEnv::TempHome home; // also a private runtime folder, shared by both guards
    QTemporaryDir other;
    const QString key = AppPaths::AppFolderName();
    const QString lockFile = SingleInstanceGuard::LockFilePath(key);
    QVERIFY(lockFile.startsWith(home.path() + QStringLiteral("/runtime/")));
    QVERIFY(QFileInfo(lockFile).fileName().contains(QStringLiteral("-%1-").arg(::getuid())));
    auto first = std::make_unique<SingleInstanceGuard>(key);
    QVERIFY(!first->AnotherInstanceRuns());
    QVERIFY(!first->AnotherInstanceRuns()); // asking again while holding it
    if (firstEnded)
        first.reset();

    if (secondHome == QLatin1String("other"))
        qputenv("HOME", QFile::encodeName(other.path()));
    else if (secondHome == QLatin1String("same/"))
        qputenv("HOME", QFile::encodeName(home.path() + QLatin1Char('/')));
    SingleInstanceGuard second(key);
    QCOMPARE(second.AnotherInstanceRuns(), refused);
    QCOMPARE(SingleInstanceGuard::LockFilePath(key) == lockFile, secondHome != QLatin1String("other"));
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
    QVERIFY2(systemVLeftovers(second.process().processId(), home).isEmpty(),
             qPrintable(systemVLeftovers(second.process().processId(), home)));
    QCOMPARE(first.process().state(), QProcess::Running);
    killChild(first, home);
}

// The same user under another HOME is another user of the program. (The guard test shows
// that HOME alone keeps them apart; here each HOME also has its own runtime folder.)
void TestStartup::otherHomeRunsBeside()
{
    TestEnv::TempHome homeA;
    TestEnv::TempHome homeB;
    ChildApp a(homeA);
    QVERIFY2(!a.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(a.output()));
    ChildApp b(homeB);
    QVERIFY2(!b.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(b.output()));
    QVERIFY(!b.output().contains(QStringLiteral("MODAL ExeIsRun")));
    QCOMPARE(a.process().state(), QProcess::Running);

    // Each still keeps its own HOME to itself.
    ChildApp secondB(homeB);
    QVERIFY2(!secondB.waitForLine(QStringLiteral("MODAL ExeIsRun")).isNull(), qPrintable(secondB.output()));
    QVERIFY(secondB.finish());
    killChild(b, homeB);
    killChild(a, homeA);
}

void TestStartup::startAfterKilledInstance()
{
    TestEnv::TempHome home;
    // The killed instance's lock file stays behind each time; only its lock goes.
    for (int round = 0; round < 3; ++round) {
        ChildApp app(home);
        QVERIFY2(!app.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(app.output())));
        QVERIFY2(!app.output().contains(QStringLiteral("MODAL ExeIsRun")), qPrintable(app.output()));
        killChild(app, home);
    }
}

void TestStartup::crashLeavesOneDump()
{
    TestEnv::TempHome home;
    ChildApp app(home);
    QVERIFY(!app.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull());
    ::kill(pid_t(app.process().processId()), SIGSEGV);
    QVERIFY(app.finish());
    QCOMPARE(app.process().exitStatus(), QProcess::CrashExit);
    QVERIFY2(systemVLeftovers(app.process().processId(), home).isEmpty(),
             qPrintable(systemVLeftovers(app.process().processId(), home)));
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

// The child closes its window as a user would once it shows (it has no device to open here).
class ClosingChild
{
public:
    explicit ClosingChild(const TestEnv::TempHome& home)
    {
        qputenv("VEXO_CHILD_CLOSE_WHEN_SHOWN", "1");
        m_child = std::make_unique<ChildApp>(home);
        qunsetenv("VEXO_CHILD_CLOSE_WHEN_SHOWN");
    }
    ChildApp& operator*() { return *m_child; }
    ChildApp* operator->() { return m_child.get(); }

private:
    std::unique_ptr<ChildApp> m_child;
};

void TestStartup::normalStartAndCloseWritesNoStandardError()
{
    TestEnv::TempHome home;
    ClosingChild app(home);
    QVERIFY2(app->finish(), qPrintable(app->output()));
    QCOMPARE(app->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(app->process().exitCode(), 0);
    QVERIFY2(app->output().contains(QStringLiteral("SHOWN DialogMain")), qPrintable(app->output()));
    QCOMPARE(QString::fromLocal8Bit(app->process().readAllStandardError()), QString());
}

void TestStartup::brokenUserFolderToldInWindowOnce()
{
    TestEnv::TempHome home;
    // A file where the folder of the macro files belongs: the start cannot make that branch.
    const QString broken = home.userDataFolder() + QStringLiteral("/usersetting");
    QVERIFY(QDir().mkpath(home.userDataFolder()));
    touch(broken, QDateTime::currentDateTime());
    ClosingChild app(home);
    QVERIFY2(app->finish(), qPrintable(app->output()));
    QCOMPARE(app->process().exitCode(), 0);
    const QString output = app->output();
    QCOMPARE(output.count(QStringLiteral("MODAL InstallationNotice|")), 1);
    // The folder in full (a long path may wrap after each "/").
    QVERIFY2(QString(output).remove(QChar(0x200B)).contains(broken), qPrintable(output));
    QVERIFY(QString::fromLocal8Bit(app->process().readAllStandardError()).contains(broken));
}

VEXO_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
