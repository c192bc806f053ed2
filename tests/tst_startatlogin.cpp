#include "core/apppaths.h"
#include "core/macroini.h"
#include "helpers/testenv.h"
#include "platform/registrystore.h"
#include "platform/startatlogin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

static ino_t fileNode(const QString& path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

class TestStartAtLogin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void onThenOff();
    void offWithoutEntry();
    void autostartFollowsXdgConfigHome();
    void execArgument_data();
    void execArgument();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
};

void TestStartAtLogin::init()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    QVERIFY(QDir().mkpath(AppPaths::UserDataFolder()));
}

void TestStartAtLogin::cleanup()
{
    m_home.reset();
}

void TestStartAtLogin::onThenOff()
{
    const QString runKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    const QString name = QCoreApplication::applicationName();
    const QString file = m_home->path() + QStringLiteral("/.config/autostart/") + name + QStringLiteral(".desktop");

    QVERIFY(StartAtLogin::Set(true));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")), QStringLiteral("1"));
    QVERIFY(StartAtLogin::Enabled());
    QString expected = QCoreApplication::applicationFilePath();
    expected.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QCOMPARE(RegistryStore::instance()->value(runKey, name).toString(), QLatin1Char('"') + expected + QLatin1Char('"'));
    const QByteArray entry = TestEnv::ReadFile(file);
    QVERIFY2(entry.startsWith("[Desktop Entry]\n"), entry.constData());
    QVERIFY2(entry.contains("\nType=Application\n"), entry.constData());
    QVERIFY2(entry.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"), entry.constData());

    // Turning it on twice leaves one entry, the same, and rewrites none of the three files
    // (a save would replace a file: a new inode).
    const QStringList written{file, AppPaths::UserDataFolder() + QStringLiteral("/Macro.ini"), RegistryStore::FilePath()};
    QList<ino_t> nodes;
    for (const QString& path : written)
        nodes << fileNode(path);
    QVERIFY(!nodes.contains(0));
    QVERIFY(StartAtLogin::Set(true));
    QCOMPARE(TestEnv::ReadFile(file), entry);
    for (int i = 0; i < written.size(); ++i)
        QVERIFY2(fileNode(written[i]) == nodes[i], qPrintable(written[i]));

    QVERIFY(StartAtLogin::Set(false));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")), QStringLiteral("0"));
    QVERIFY(!StartAtLogin::Enabled());
    QVERIFY(!RegistryStore::instance()->contains(runKey, name));
    QVERIFY(!QFile::exists(file));
    QVERIFY(QDir(m_home->path() + QStringLiteral("/.config/autostart")).entryList(QDir::Files).isEmpty());
}

void TestStartAtLogin::offWithoutEntry()
{
    QVERIFY(StartAtLogin::Set(false));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")), QStringLiteral("0"));
    QVERIFY(!QFile::exists(StartAtLogin::AutostartFilePath()));
}

void TestStartAtLogin::autostartFollowsXdgConfigHome()
{
    const QString config = m_home->path() + QStringLiteral("/other config");
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const bool on = StartAtLogin::Set(true);
    const bool entryThere = QFile::exists(config + QStringLiteral("/autostart/")
                                          + QCoreApplication::applicationName() + QStringLiteral(".desktop"));
    const bool off = StartAtLogin::Set(false);
    const bool entryGone = QDir(config + QStringLiteral("/autostart")).isEmpty();
    qputenv("XDG_CONFIG_HOME", saved);
    QVERIFY(on);
    QVERIFY(entryThere);
    QVERIFY(off);
    QVERIFY(entryGone);
}

void TestStartAtLogin::execArgument_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/opt/vexo/bin/vexo" << "\"/opt/vexo/bin/vexo\"";
    QTest::newRow("space") << "/home/a b/vexo" << "\"/home/a b/vexo\"";
    QTest::newRow("quote") << "/x/\"q\"/vexo" << "\"/x/\\\\\"q\\\\\"/vexo\"";
    QTest::newRow("dollar and backtick") << "/x/$HOME`/vexo" << "\"/x/\\\\$HOME\\\\`/vexo\"";
    QTest::newRow("backslash") << "/x/a\\b" << "\"/x/a\\\\\\\\b\"";
    QTest::newRow("percent") << "/x/100%/vexo" << "\"/x/100%%/vexo\"";
}

void TestStartAtLogin::execArgument()
{
    QFETCH(QString, path);
    QFETCH(QString, exec);
    QCOMPARE(StartAtLogin::DesktopExecArgument(path), exec);
}

VEXO_TEST_CORE_MAIN(TestStartAtLogin)
#include "tst_startatlogin.moc"
