#include "core/apppaths.h"
#include "core/installationcheck.h"
#include "core/userfolders.h"
#include "helpers/testenv.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum Breakage { Remove, ReplaceWithFile, ReplaceWithFolder };

void removePath(const QString& path)
{
    const QFileInfo info(path);
    // The private installation's Picture is a link to the build's images: remove the link only.
    if (info.isDir() && !info.isSymLink())
        QVERIFY(QDir(path).removeRecursively());
    else if (info.exists() || info.isSymLink())
        QVERIFY(QFile::remove(path));
}

void breakPath(const QString& path, Breakage how)
{
    removePath(path);
    if (how == ReplaceWithFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (how == ReplaceWithFolder) {
        QVERIFY(QDir().mkpath(path));
    }
}

} // namespace

Q_DECLARE_METATYPE(Breakage)

class TestInstallation : public QObject
{
    Q_OBJECT
private slots:
    void installFolderFor_data();
    void installFolderFor();
    void brokenPath_data();
    void brokenPath();
    void wholeInstallationHasNone();
    void report_data();
    void report();
    void reportWithoutLogFolder();
};

void TestInstallation::installFolderFor_data()
{
    // Paths under a temporary root; a trailing "/" makes a folder, anything else a file.
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QString>("exeFolder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("build folder") << QStringList{"build/dist/usersetting/Config.ini", "build/share/"}
                                  << "build/dist" << "build/dist";
    QTest::newRow("installed") << QStringList{"usr/bin/", "usr/share/vexo/usersetting/Config.ini"}
                               << "usr/bin" << "usr/share/vexo";
    QTest::newRow("installed, Config.ini lost") << QStringList{"usr/bin/", "usr/share/vexo/Language/"}
                                                << "usr/bin" << "usr/share/vexo";
    QTest::newRow("data beside wins") << QStringList{"opt/bin/usersetting/Config.ini",
                                                     "opt/share/vexo/usersetting/Config.ini"}
                                      << "opt/bin" << "opt/bin";
    QTest::newRow("Config.ini beside is a folder") << QStringList{"usr/bin/usersetting/Config.ini/",
                                                                  "usr/share/vexo/"}
                                                   << "usr/bin" << "usr/share/vexo";
    QTest::newRow("nothing anywhere") << QStringList{"usr/bin/", "usr/share/"} << "usr/bin" << "usr/bin";
}

void TestInstallation::installFolderFor()
{
    QFETCH(QStringList, layout);
    QFETCH(QString, exeFolder);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (const QString& entry : layout) {
        const QString path = root.filePath(entry);
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    QCOMPARE(AppPaths::InstallFolderFor(root.filePath(exeFolder)), root.filePath(expected));
}

void TestInstallation::brokenPath_data()
{
    QTest::addColumn<bool>("inUserFolder");
    QTest::addColumn<QString>("path");
    QTest::addColumn<Breakage>("how");
    QTest::newRow("Config.ini missing") << false << "usersetting/Config.ini" << Remove;
    QTest::newRow("Config.ini unreadable") << false << "usersetting/Config.ini" << ReplaceWithFolder;
    QTest::newRow("Spanish texts missing") << false << "Language/0-Spanish.xml" << Remove;
    QTest::newRow("Net texts missing") << false << "Language/Net.xml" << Remove;
    QTest::newRow("Net texts unreadable") << false << "Language/Net.xml" << ReplaceWithFolder;
    QTest::newRow("second-start notice texts missing") << false << "Language/0-English.xml" << Remove;
    QTest::newRow("sensor tables missing") << false << "driver_sensor.h" << Remove;
    QTest::newRow("sensor tables unreadable") << false << "driver_sensor.h" << ReplaceWithFolder;
    QTest::newRow("Picture missing") << false << "Picture" << Remove;
    QTest::newRow("Picture a file") << false << "Picture" << ReplaceWithFile;
    QTest::newRow("user folder missing") << true << "" << Remove;
    QTest::newRow("user folder a file") << true << "" << ReplaceWithFile;
    QTest::newRow("Log a file") << true << "Log" << ReplaceWithFile;
    QTest::newRow("usersetting missing") << true << "usersetting" << Remove;
    QTest::newRow("MacroPage a file") << true << "usersetting/MacroPage" << ReplaceWithFile;
}

void TestInstallation::brokenPath()
{
    QFETCH(bool, inUserFolder);
    QFETCH(QString, path);
    QFETCH(Breakage, how);
    TestEnv::TempHome home;
    TestEnv::Installation installation(TestEnv::Installation::PrivateCopy);
    PrepareUserFolders();
    const QString folder = inUserFolder ? home.userDataFolder() : installation.path();
    const QString broken = path.isEmpty() ? folder : folder + QLatin1Char('/') + path;
    breakPath(broken, how);
    if (QTest::currentTestFailed())
        return;

    // The second-start notice's file of the chosen language is checked when the start names it.
    const QVector<InstallationProblem> problems =
        InstallationProblems(installation.path(), home.userDataFolder(), {QStringLiteral("Language/0-English.xml")});
    QCOMPARE(problems.size(), 1);
    // The broken path itself, not a file or folder under it.
    const QString message = problems.first().message;
    const QRegularExpression names(QRegularExpression::escape(broken) + QStringLiteral("[^/\\w]"));
    QVERIFY2(names.match(message).hasMatch(), qPrintable(message));
    // The window names an installation entry as it lies in the installation, a per-user folder in full.
    QCOMPARE(problems.first().userFolder, inUserFolder);
    QCOMPARE(problems.first().shown, inUserFolder ? broken : path);
}

void TestInstallation::wholeInstallationHasNone()
{
    TestEnv::TempHome home;
    PrepareUserFolders();
    const QStringList everyNoticeFile{QStringLiteral("Language/0-English.xml"), QStringLiteral("Language/1-简体中文.xml")};
    QVERIFY(InstallationProblems(TestEnv::BuiltInstallFolder(), home.userDataFolder(), everyNoticeFile).isEmpty());
}

void TestInstallation::report_data()
{
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("each once") << QStringList{"Missing file /a.", "Missing folder /b.", "Missing file /a."}
                               << QStringList{"Missing file /a.", "Missing folder /b."};
}

void TestInstallation::report()
{
    QFETCH(QStringList, problems);
    QFETCH(QStringList, reported);
    TestEnv::TempHome home;
    PrepareUserFolders();
    const QString logFolder = home.userDataFolder() + QStringLiteral("/Log");
    QBuffer errors;
    QVERIFY(errors.open(QIODevice::WriteOnly));
    ReportInstallationProblems(problems, &errors, logFolder);

    QString lines;
    for (const QString& problem : reported)
        lines += QStringLiteral("vexo: ") + problem + QLatin1Char('\n');
    QCOMPARE(QString::fromLocal8Bit(errors.data()), lines);
    // A clean start leaves no file behind.
    const QStringList logs = QDir(logFolder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(logs.size(), reported.isEmpty() ? 0 : 1);
    if (reported.isEmpty())
        return;
    QFile log(logFolder + QLatin1Char('/') + logs.first());
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(log.readAll()), reported.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestInstallation::reportWithoutLogFolder()
{
    TestEnv::TempHome home;
    PrepareUserFolders();
    const QString logFolder = home.userDataFolder() + QStringLiteral("/Log");
    QVERIFY(QDir(logFolder).removeRecursively());
    QBuffer errors;
    QVERIFY(errors.open(QIODevice::WriteOnly));
    ReportInstallationProblems({QStringLiteral("Cannot create folder /x.")}, &errors, logFolder);
    QCOMPARE(errors.data(), QByteArray("vexo: Cannot create folder /x.\n"));
    QVERIFY(!QFileInfo::exists(logFolder));
    QCOMPARE(QDir(home.userDataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Macro.ini"});
}

VEXO_TEST_CORE_MAIN(TestInstallation)
#include "tst_installation.moc"
