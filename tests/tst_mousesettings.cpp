#include "helpers/testenv.h"
#include "platform/mousesettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Puts PATH and XDG_CURRENT_DESKTOP back whatever the test did.
class SavedVariables
{
public:
    SavedVariables() : m_path(qgetenv("PATH")), m_desktop(qgetenv("XDG_CURRENT_DESKTOP")) {}
    ~SavedVariables()
    {
        qputenv("PATH", m_path);
        if (m_desktop.isEmpty())
            qunsetenv("XDG_CURRENT_DESKTOP");
        else
            qputenv("XDG_CURRENT_DESKTOP", m_desktop);
        MouseSettings::SetLaunchHook(nullptr);
    }

private:
    QByteArray m_path;
    QByteArray m_desktop;
};

bool installProgram(const QString& folder, const QString& name)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (!TestEnv::WriteFile(path, "#!/bin/sh\nexit 0\n"))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestMouseSettings : public QObject
{
    Q_OBJECT
private slots:
    void opensDesktopProgram_data();
    void opensDesktopProgram();
};

void TestMouseSettings::opensDesktopProgram_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("program");   // empty: nothing started
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("none installed") << QStringList() << "GNOME" << QString() << QStringList();
    QTest::newRow("only another tool") << QStringList{"ls-mouse"} << "GNOME" << QString() << QStringList();
    QTest::newRow("gnome") << QStringList{"gnome-control-center"} << "GNOME" << "gnome-control-center"
                           << QStringList{"mouse"};
    QTest::newRow("own desktop first") << QStringList{"gnome-control-center", "xfce4-mouse-settings"} << "XFCE"
                                       << "xfce4-mouse-settings" << QStringList();
    QTest::newRow("desktop list") << QStringList{"gnome-control-center", "cinnamon-settings"}
                                  << "X-Cinnamon:GNOME" << "gnome-control-center" << QStringList{"mouse"};
    QTest::newRow("other desktop's tool when none of its own") << QStringList{"mate-mouse-properties"} << "KDE"
                                                               << "mate-mouse-properties" << QStringList();
    QTest::newRow("no desktop named") << QStringList{"lxqt-config-input"} << "" << "lxqt-config-input"
                                      << QStringList();
}

void TestMouseSettings::opensDesktopProgram()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, desktop);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    SavedVariables saved;
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    for (const QString& name : installed)
        QVERIFY(installProgram(bin.path(), name));
    qputenv("PATH", bin.path().toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());

    QStringList started;
    MouseSettings::SetLaunchHook([&](const QString& path, const QStringList& args) {
        started << path + QLatin1Char('|') + args.join(QLatin1Char(' '));
        return true;
    });
    const bool opened = MouseSettings::Open();
    if (program.isEmpty()) {
        QVERIFY(!opened);
        QVERIFY(started.isEmpty());
    } else {
        QVERIFY(opened);
        QCOMPARE(started, QStringList{bin.path() + QLatin1Char('/') + program + QLatin1Char('|')
                                      + arguments.join(QLatin1Char(' '))});
    }
}

VEXO_TEST_CORE_MAIN(TestMouseSettings)
#include "tst_mousesettings.moc"
