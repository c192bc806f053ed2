#ifndef TESTENV_H
#define TESTENV_H

// Shared test helpers without widgets: a private HOME per test, an installation fixture,
// the time scale and the simulated devices.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace TestEnv {

// The build's installation folder (program, library and data side by side).
QString BuiltInstallFolder();
QString SourceFolder();

// Whole-file helpers for fixtures: false when the file cannot be written whole; "<missing>"
// for a file that cannot be read.
bool WriteFile(const QString& path, const QByteArray& data);
QByteArray ReadFile(const QString& path);
// A one-byte file last written at modified (the age a clean-up looks at).
bool WriteDatedFile(const QString& path, const QDateTime& modified);

// Runs emitter on a thread of its own and processes this thread's events until it ends, as
// the device link emits a blocking hub signal that a slot on this thread answers.
void EmitFromThread(const std::function<void()>& emitter);

// HOME and the XDG folders point into a fresh temporary folder for the object's lifetime.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }
    // The program's per-user folder under this HOME.
    QString userDataFolder() const;
    QHash<QByteArray, QByteArray> environment() const;

private:
    QTemporaryDir m_dir;
    QHash<QByteArray, QByteArray> m_saved;
};

// Points the program at an installation folder: the build's own, or a private copy of its
// data that a test may change (the skin images stay the build's, linked).
class Installation
{
public:
    enum Mode { Shared, PrivateCopy };
    explicit Installation(Mode mode = Shared);
    ~Installation();
    QString path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_previous;
};

// Shrinks every duration of the program for the object's lifetime.
class TimeScale
{
public:
    explicit TimeScale(double factor);
    ~TimeScale();

private:
    double m_previous;
};

// The simulated devices behind the HID library (hidsim.h) for one test: starts with no
// device or with the default scenario (all costs zero; the devices' state file lives under
// the current HOME, so create a TempHome first), and at the end stops the library's threads
// and forgets every device, binding and callback.
class SimulatedDevices
{
public:
    enum Start { Empty, DefaultScenario };
    explicit SimulatedDevices(Start start = Empty);
    ~SimulatedDevices();
    SimulatedDevices(const SimulatedDevices&) = delete;
    SimulatedDevices& operator=(const SimulatedDevices&) = delete;
};

} // namespace TestEnv

// Runs a void helper that checks with QVERIFY / QTRY_*, whose failure only returns from the
// helper, and ends the calling test function when the helper failed.
#define VEXO_CHECKED(call)                  \
    do {                                    \
        call;                               \
        if (QTest::currentTestFailed())     \
            return;                         \
    } while (false)

// A Qt Test main without widgets, for the device link's tests.
#define VEXO_TEST_CORE_MAIN(TestClass)                                             \
    int main(int argc, char** argv)                                                \
    {                                                                              \
        QCoreApplication app(argc, argv);                                          \
        TestClass tc;                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                 \
        return QTest::qExec(&tc, argc, argv);                                      \
    }

#endif
