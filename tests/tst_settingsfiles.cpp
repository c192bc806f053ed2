#include "core/apppaths.h"
#include "core/configini.h"
#include "core/macroini.h"
#include "core/inifile.h"
#include "helpers/testenv.h"
#include "platform/registrystore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>

static QString b64(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

class TestSettingsFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void configValue_data();
    void configValue();
    void configList_data();
    void configList();
    void snapshotIsOneReading();
    void driveSections_data();
    void driveSections();
    void configFromSeveralThreads();
    void missingFile();
    void macroIniRoundTrip();
    void registryStore();
    void textsReadBackAsWritten_data();
    void textsReadBackAsWritten();
    void sameSizeRewritesReadBack();
    void sameValueLeavesTheFile_data();
    void sameValueLeavesTheFile();
    void keyFormsAsQSettings_data();
    void keyFormsAsQSettings();
    void saveKeepsPermissions_data();
    void saveKeepsPermissions();
    void staleLockOfKilledWriter_data();
    void staleLockOfKilledWriter();
    void liveLockIsKept_data();
    void liveLockIsKept();

private:
    void writeConfig(const QString& text);
    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<TestEnv::TempHome> m_home;
};

void TestSettingsFiles::init()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<QTemporaryDir>();
    AppPaths::SetInstallFolder(m_install->path());
    writeConfig(QStringLiteral("[Option]\n"
                               "VID=%1\n"
                               "USB_PID=%2,%3\n"
                               "Wireless_PID=%2,,%3\n"
                               "DeviceTotal=2\n"
                               "LabelColor=200, 210, 220\n"
                               "[Drive2]\n"
                               "MID=MTIz\n"
                               "Sensor=%4\n"
                               "DPIGrade=400,800,1600\n")
                    .arg(b64(QStringLiteral("0x3 554\n")), b64(QStringLiteral("0xF001")),
                         b64(QStringLiteral("0xF002")), b64(QStringLiteral("PAW 3395\n"))));
}

void TestSettingsFiles::cleanup()
{
    AppPaths::SetInstallFolder(QString());
    m_install.reset();
    m_home.reset();
}

void TestSettingsFiles::writeConfig(const QString& text)
{
    QDir(m_install->path()).mkpath(QStringLiteral("usersetting"));
    QFile f(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

void TestSettingsFiles::configValue_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("space and line break removed") << "Option" << "VID" << "0x3554";
    QTest::newRow("encoded key in any group") << "Drive2" << "Sensor" << "PAW3395";
    QTest::newRow("MID is stored plainly") << "Drive2" << "MID" << "MTIz";
    QTest::newRow("plain number") << "Option" << "DeviceTotal" << "2";
    QTest::newRow("list read as one value is empty") << "Drive2" << "DPIGrade" << "";
    QTest::newRow("missing key") << "Option" << "Nothing" << "";
    QTest::newRow("missing group") << "Drive9" << "MID" << "";
}

void TestSettingsFiles::configValue()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ConfigIni::instance()->value(group, key), expected);
    QCOMPARE(ConfigIni::instance()->snapshot().value(group, key), expected);
}

void TestSettingsFiles::configList_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("items decoded one by one") << "Option" << "USB_PID" << QStringList{"0xF001", "0xF002"};
    QTest::newRow("empty item kept") << "Option" << "Wireless_PID" << QStringList{"0xF001", "", "0xF002"};
    QTest::newRow("plain list") << "Drive2" << "DPIGrade" << QStringList{"400", "800", "1600"};
    QTest::newRow("colour triple") << "Option" << "LabelColor" << QStringList{"200", "210", "220"};
    QTest::newRow("single value") << "Option" << "DeviceTotal" << QStringList{"2"};
    QTest::newRow("missing key") << "Option" << "Wireless8_PID" << QStringList{};
}

void TestSettingsFiles::configList()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QStringList, expected);
    QCOMPARE(ConfigIni::instance()->valueList(group, key), expected);
    QCOMPARE(ConfigIni::instance()->snapshot().valueList(group, key), expected);
}

void TestSettingsFiles::snapshotIsOneReading()
{
    const ConfigIni::Snapshot before = ConfigIni::instance()->snapshot();
    writeConfig(QStringLiteral("[Option]\nDeviceTotal=7\n[Drive5]\nMID=3\n"));
    QCOMPARE(before.value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")), QStringLiteral("2"));
    QCOMPARE(before.value(QStringLiteral("Option"), QStringLiteral("VID")), QStringLiteral("0x3554"));
    QCOMPARE(before.driveSections(10), QVector<int>{2});
    // A single value is read again, as another process may have changed the file.
    QCOMPARE(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")), QStringLiteral("7"));
    QCOMPARE(ConfigIni::instance()->snapshot().driveSections(10), QVector<int>{5});
}

void TestSettingsFiles::driveSections_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("total");
    QTest::addColumn<QVector<int>>("expected");
    const QString gaps = QStringLiteral("[Drive10]\nMID=1\n[Drive2]\nMID=1\n[Option]\nDeviceTotal=3\n[Drive1]\nMID=1\n");
    QTest::newRow("by number, not by name") << gaps << 2000000000 << QVector<int>{1, 2, 10};
    QTest::newRow("up to the total") << gaps << 2 << QVector<int>{1, 2};
    QTest::newRow("total zero") << gaps << 0 << QVector<int>{};
    QTest::newRow("negative total") << gaps << -5 << QVector<int>{};
    QTest::newRow("section without MID") << QStringLiteral("[Drive3]\nSensor=eA==\n") << 5 << QVector<int>{3};
    QTest::newRow("names of no section number")
        << QStringLiteral("[Drive01]\nMID=1\n[Drive+3]\nMID=1\n[Drive0]\nMID=1\n[Drive-1]\nMID=1\n"
                          "[drive4]\nMID=1\n[Drive5x]\nMID=1\n[Drive]\nMID=1\n[General]\nDrive6=1\n"
                          "[Drive7]\nMID=1\n")
        << 100 << QVector<int>{7};
    QTest::newRow("no file") << QString() << 5 << QVector<int>{};
}

void TestSettingsFiles::driveSections()
{
    QFETCH(QString, file);
    QFETCH(int, total);
    QFETCH(QVector<int>, expected);
    if (file.isEmpty())
        QFile::remove(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    else
        writeConfig(file);
    QCOMPARE(ConfigIni::instance()->snapshot().driveSections(total), expected);
}

void TestSettingsFiles::configFromSeveralThreads()
{
    std::atomic<int> wrong{0};
    QList<QThread*> threads;
    for (int t = 0; t < 4; ++t)
        threads << QThread::create([&wrong]() {
            for (int i = 0; i < 200; ++i) {
                if (ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("VID")) != QLatin1String("0x3554"))
                    ++wrong;
                if (ConfigIni::instance()->valueList(QStringLiteral("Option"), QStringLiteral("USB_PID")).size() != 2)
                    ++wrong;
            }
        });
    for (QThread* t : threads)
        t->start();
    for (QThread* t : threads) {
        QVERIFY(t->wait(20000));
        delete t;
    }
    QCOMPARE(wrong.load(), 0);
}

void TestSettingsFiles::missingFile()
{
    QFile::remove(m_install->path() + QStringLiteral("/usersetting/Config.ini"));
    QCOMPARE(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt(), 0);
    QVERIFY(ConfigIni::instance()->valueList(QStringLiteral("Option"), QStringLiteral("USB_PID")).isEmpty());
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt(), 0);
}

void TestSettingsFiles::macroIniRoundTrip()
{
    MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QStringLiteral("1"));
    MacroIni::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"), QStringLiteral("0"));
    // Written at once: the file already holds both values.
    const QString path = m_home->userDataFolder() + QStringLiteral("/Macro.ini");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("[Language]"));
    QVERIFY(text.contains("Language=1"));
    QVERIFY(text.contains("Enable=0"));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")), QStringLiteral("1"));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Missing")), QString());
}

void TestSettingsFiles::registryStore()
{
    RegistryStore* reg = RegistryStore::instance();
    const QString key = RegistryStore::ProgramKey();
    QCOMPARE(key, QStringLiteral("HKEY_CURRENT_USER\\Software\\Vexo Gaming Mouse\\Vexo Gaming Mouse\\Mouse Drive Test"));
    QVERIFY(!reg->contains(key, QStringLiteral("MouseVer7B12")));
    reg->setValue(key, QStringLiteral("MouseVer7B12"), QStringLiteral("v2.10"));
    QCOMPARE(reg->value(key, QStringLiteral("MouseVer7B12")).toString(), QStringLiteral("v2.10"));
    // Lives under the user's config folder, never in the working directory.
    QVERIFY(RegistryStore::FilePath().startsWith(m_home->path()));
    QVERIFY(QFile::exists(RegistryStore::FilePath()));
    QVERIFY(!QFile::exists(QDir::currentPath() + QStringLiteral("/HKEY_CURRENT_USER")));
    reg->remove(key, QStringLiteral("MouseVer7B12"));
    QVERIFY(!reg->contains(key, QStringLiteral("MouseVer7B12")));
}

static QStringList lockFilesBeside(const QString& file)
{
    return QDir(QFileInfo(file).absolutePath()).entryList({QStringLiteral("*.lock"), QStringLiteral("*.rmlock")},
                                                         QDir::Files | QDir::Hidden);
}

// QSettings writes the INI files (one save, no lock file left); QSettings reads back every key
// and text as they were set, beside the values the files held.
void TestSettingsFiles::textsReadBackAsWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "MouseVer183" << "v1.3";
    QTest::newRow("program path in quotes") << "Vexo Gaming Mouse" << "\"C:\\Program Files\\vexo.exe\"";
    QTest::newRow("list separator") << "a,b" << "1,2";
    QTest::newRow("comment and equals") << "x;y=z" << "a;b=c";
    QTest::newRow("spaces at the ends") << " padded " << "  both  ";
    QTest::newRow("at sign") << "@name" << "@Variant(x)";
    QTest::newRow("control characters, then hex digits") << "tab" << QStringLiteral("a\tb\nc\x01" "f\r\x7f");
    QTest::newRow("beyond ASCII") << QStringLiteral("Größe 大小") << QStringLiteral("äöü 中文 \U0001F600");
    QTest::newRow("empty") << "empty" << "";
    QTest::newRow("percent, slash and backslash") << "50% off/on\\x" << "a/b%20c\\d";
}

// Texts of one length written one right after the other leave files of one size, often within
// one millisecond: each is read back, not the one before it.
void TestSettingsFiles::sameSizeRewritesReadBack()
{
    RegistryStore* reg = RegistryStore::instance();
    const QString key = RegistryStore::ProgramKey();
    for (int i = 0; i < 200; ++i) {
        const QString text = QStringLiteral("v1.%1").arg(i % 10);
        reg->setValue(key, QStringLiteral("MouseVer"), text);
        QCOMPARE(reg->value(key, QStringLiteral("MouseVer")).toString(), text);
    }
}

void TestSettingsFiles::textsReadBackAsWritten()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    RegistryStore* reg = RegistryStore::instance();
    const QString key = RegistryStore::ProgramKey();
    reg->setValue(key, QStringLiteral("Other"), QStringLiteral("kept"));
    MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), QStringLiteral("1"));
    reg->setValue(key, name, value);
    // A group named General is one QSettings writes in its own way.
    MacroIni::instance()->setValue(QStringLiteral("General"), name, value);

    QCOMPARE(reg->value(key, name).toString(), value);
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("General"), name), value);
    QCOMPARE(lockFilesBeside(RegistryStore::FilePath()), QStringList());
    QString group = key + QLatin1Char('/') + QString(name).replace(QLatin1Char('/'), QLatin1Char('_'))
                                                 .replace(QLatin1Char('\\'), QLatin1Char('_'));
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QSettings registry(RegistryStore::FilePath(), QSettings::IniFormat);
    registry.setIniCodec("UTF-8");
    QCOMPARE(registry.status(), QSettings::NoError);
    QCOMPARE(registry.value(group).toString(), value);
    QCOMPARE(registry.value(QString(key).replace(QLatin1Char('\\'), QLatin1Char('/')) + QStringLiteral("/Other")).toString(),
             QStringLiteral("kept"));
    QSettings macro(AppPaths::UserDataFolder() + QStringLiteral("/Macro.ini"), QSettings::IniFormat);
    macro.setIniCodec("UTF-8");
    QCOMPARE(macro.status(), QSettings::NoError);
    QCOMPARE(macro.value(QStringLiteral("General/") + name).toString(), value);
    QCOMPARE(macro.value(QStringLiteral("Language/Language")).toString(), QStringLiteral("1"));
}

static QString settingsFile(const QString& which)
{
    return which == QLatin1String("Macro.ini") ? AppPaths::UserDataFolder() + QStringLiteral("/Macro.ini")
                                               : RegistryStore::FilePath();
}

static void writeSetting(const QString& which, const QString& value)
{
    if (which == QLatin1String("Macro.ini"))
        MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), value);
    else
        RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), QStringLiteral("MouseVer183"), value);
}


static ino_t fileNode(const QString& path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// The permission bits, in octal; empty when there is no such file.
static QString fileMode(const QString& path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? QString::number(info.st_mode & 0777, 8) : QString();
}

// A save replaces the file (a new inode); a value it already holds writes nothing.
void TestSettingsFiles::sameValueLeavesTheFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Macro.ini") << "Macro.ini";
    QTest::newRow("registry.ini") << "registry.ini";
}

void TestSettingsFiles::sameValueLeavesTheFile()
{
    QFETCH(QString, file);
    const QString path = settingsFile(file);
    writeSetting(file, QStringLiteral("1"));
    const ino_t written = fileNode(path);
    QVERIFY(written != 0);
    writeSetting(file, QStringLiteral("1"));
    QCOMPARE(fileNode(path), written);
    writeSetting(file, QStringLiteral("2"));
    QVERIFY(fileNode(path) != written);
}

// Keys outside QSettings' normal form change the file as a plain QSettings on the same text
// changes it: byte for byte, with one save when it changed and none when it did not.
void TestSettingsFiles::keyFormsAsQSettings_data()
{
    QTest::addColumn<bool>("set"); // else remove
    QTest::addColumn<QString>("key");
    QTest::newRow("trailing slash") << true << "Language/";
    QTest::newRow("trailing slash of a two-part key") << true << "Language/Language/";
    QTest::newRow("leading slash") << true << "/Language/Language";
    QTest::newRow("double slash") << true << "Language//Other";
    QTest::newRow("empty key") << true << "";
    QTest::newRow("value already there") << true << "Language/Language";
    QTest::newRow("the General group") << true << "General/x";
    QTest::newRow("unicode") << true << QStringLiteral("Größe/大小 😀");
    QTest::newRow("semicolon") << true << "a;b/c;d";
    QTest::newRow("equals") << true << "a=b/c=d";
    QTest::newRow("spaces") << true << " spaced group / spaced key ";
    QTest::newRow("remove a group with a trailing slash") << false << "Language/";
    QTest::newRow("remove with a leading slash") << false << "/Deep";
    QTest::newRow("remove with a double slash") << false << "Deep//a";
    QTest::newRow("remove a key with a trailing slash") << false << "Top/";
    QTest::newRow("remove unicode") << false << QStringLiteral("Größe");
    QTest::newRow("remove what is not there") << false << "Nothing/here";
    QTest::newRow("remove everything") << false << "";
}

void TestSettingsFiles::keyFormsAsQSettings()
{
    QFETCH(bool, set);
    QFETCH(QString, key);
    const QString value = QStringLiteral("1");
    QTemporaryDir dir;
    const QString ours = dir.path() + QStringLiteral("/ours.ini");
    const QString reference = dir.path() + QStringLiteral("/reference.ini");
    {
        QSettings start(ours, QSettings::IniFormat);
        start.setValue(QStringLiteral("Top"), QStringLiteral("t"));
        start.setValue(QStringLiteral("Language/Language"), value);
        start.setValue(QStringLiteral("Language/Other"), QStringLiteral("o"));
        start.setValue(QStringLiteral("Deep/a/b"), QStringLiteral("d"));
        start.setValue(QStringLiteral("Größe/x"), QStringLiteral("äöü 中文"));
    }
    const QByteArray before = TestEnv::ReadFile(ours);
    QVERIFY(TestEnv::WriteFile(reference, before));
    const ino_t node = fileNode(ours);

    if (set && key.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "QSettings::setValue: Empty key passed");
    {
        QSettings plain(reference, QSettings::IniFormat);
        if (set)
            plain.setValue(key, value);
        else
            plain.remove(key);
        plain.sync();
        QCOMPARE(plain.status(), QSettings::NoError);
    }
    IniFile file([ours] { return ours; });
    if (set)
        file.setValue(key, value);
    else
        file.remove(key);

    const QByteArray expected = TestEnv::ReadFile(reference);
    QCOMPARE(TestEnv::ReadFile(ours), expected);
    QCOMPARE(fileNode(ours) != node, expected != before);
    QSettings readBack(reference, QSettings::IniFormat);
    QHash<QString, QVariant> values;
    for (const QString& k : readBack.allKeys())
        values.insert(k, readBack.value(k));
    QCOMPARE(file.values(), values);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("ours.ini"), QStringLiteral("reference.ini")}));
}

// A save replaces the file with the mode it had; a new file gets the mode QSaveFile gives one.
void TestSettingsFiles::saveKeepsPermissions_data()
{
    QTest::addColumn<int>("mode"); // of the file before the save; 0: none
    QTest::newRow("owner only") << 0600;
    QTest::newRow("group reads") << 0640;
    QTest::newRow("all read") << 0644;
    QTest::newRow("new file") << 0;
}

void TestSettingsFiles::saveKeepsPermissions()
{
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/settings.ini");
    QString expected = QString::number(mode, 8);
    if (mode != 0) {
        QVERIFY(TestEnv::WriteFile(path, "[A]\nb=1\n"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    } else {
        QSaveFile made(dir.path() + QStringLiteral("/made"));
        QVERIFY(made.open(QIODevice::WriteOnly));
        QVERIFY(made.commit());
        expected = fileMode(made.fileName());
    }
    IniFile file([path] { return path; });
    file.setValue(QStringLiteral("A/b"), QStringLiteral("2"));
    QCOMPARE(file.value(QStringLiteral("A/b")).toString(), QStringLiteral("2"));
    QCOMPARE(fileMode(path), expected);
}

// A pid no process has: one that just ended.
static qint64 deadPid()
{
    QProcess p;
    p.start(QStringLiteral("true"), QStringList());
    if (!p.waitForStarted(10000))
        return 0;
    const qint64 pid = p.processId();
    return p.waitForFinished(10000) ? pid : 0;
}

// QSettings writes under "<file>.lock" (QLockFile). A writer killed mid-write leaves it behind,
// empty when killed between creating and filling it, which QSettings would honour for 30 s.
void TestSettingsFiles::staleLockOfKilledWriter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<int>("ageSeconds");
    const QByteArray dead = QByteArray::number(deadPid()) + "\nvexo\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    for (const QString& file : {QStringLiteral("Macro.ini"), QStringLiteral("registry.ini")}) {
        QTest::addRow("%s, empty, killed just now", qPrintable(file)) << file << QByteArray() << 0;
        QTest::addRow("%s, empty, killed earlier", qPrintable(file)) << file << QByteArray() << 600;
        QTest::addRow("%s, torn, killed a moment ago", qPrintable(file)) << file << QByteArray("1") << 2;
        QTest::addRow("%s, names a dead writer", qPrintable(file)) << file << dead << 0;
    }
}

void TestSettingsFiles::staleLockOfKilledWriter()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, lock);
    QFETCH(int, ageSeconds);
    QVERIFY(!lock.startsWith("0\n")); // a pid was found
    const QString path = settingsFile(file);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    writeSetting(file, QStringLiteral("before"));
    QFile left(path + QStringLiteral(".lock"));
    QVERIFY(left.open(QIODevice::WriteOnly));
    QCOMPARE(left.write(lock), qint64(lock.size()));
    QVERIFY(left.flush());
    QVERIFY(left.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    left.close();

    QElapsedTimer clock;
    clock.start();
    writeSetting(file, QStringLiteral("after"));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("=after\n"));
    QCOMPARE(lockFilesBeside(path), QStringList());
}

// A writer that holds the lock, here this process through QLockFile, keeps it however old the
// file looks and even while its content is not yet written.
void TestSettingsFiles::liveLockIsKept_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("emptied");
    for (const QString& file : {QStringLiteral("Macro.ini"), QStringLiteral("registry.ini")}) {
        QTest::addRow("%s, written", qPrintable(file)) << file << false;
        QTest::addRow("%s, not yet written", qPrintable(file)) << file << true;
    }
}

void TestSettingsFiles::liveLockIsKept()
{
    QFETCH(QString, file);
    QFETCH(bool, emptied);
    const QString path = settingsFile(file);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    writeSetting(file, QStringLiteral("before"));
    QLockFile holder(path + QStringLiteral(".lock"));
    QVERIFY(holder.tryLock(0));
    QFile held(path + QStringLiteral(".lock"));
    QVERIFY(held.open(QIODevice::ReadWrite));
    if (emptied)
        QVERIFY(held.resize(0));
    QVERIFY(held.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    const QByteArray content = held.readAll();
    held.close();

    QVERIFY(!IniFile::ClearStaleLock(path));
    QVERIFY(held.open(QIODevice::ReadOnly));
    QCOMPARE(held.readAll(), content);
    held.close();

    // Released, it no longer stands in the way.
    holder.unlock();
    writeSetting(file, QStringLiteral("after"));
    QCOMPARE(lockFilesBeside(path), QStringList());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("=after\n"));
}

VEXO_TEST_CORE_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
