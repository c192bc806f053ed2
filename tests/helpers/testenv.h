#ifndef TESTENV_H
#define TESTENV_H

// Shared test helpers: a private HOME per test, an installation fixture, the time scale,
// answering modal dialogs, and running the whole program in a child process.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QWidget;

namespace TestEnv {

// The build's installation folder (program, library and data side by side).
QString BuiltInstallFolder();
QString SourceFolder();

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

// Calls answer with the next modal widget that appears (optionally of the given class),
// polling the event loop; gives up after timeoutMs of real time.
void AnswerNextModal(std::function<void(QWidget*)> answer, const char* className = nullptr,
                     int timeoutMs = 10000);

// Waits (processing events) until cond() holds or timeoutMs of real time passed.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000);

// Child-process mode for start-up tests: when argv[1] is "--run-app", runs the program
// against the build's installation, reporting on stdout "MODAL <object name>|<texts>"
// for each modal dialog (then rejects it) and "SHOWN <object name>" when the top-level
// window is shown. Returns -1 when not in child mode.
int RunAppChildIfAsked(int argc, char** argv);

} // namespace TestEnv

// A Qt Test main that also offers the child-process mode.
#define VEXO_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char** argv)                                                \
    {                                                                              \
        const int child = TestEnv::RunAppChildIfAsked(argc, argv);                 \
        if (child >= 0)                                                            \
            return child;                                                          \
        QApplication app(argc, argv);                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                   \
        TestClass tc;                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                 \
        return QTest::qExec(&tc, argc, argv);                                      \
    }

#endif
