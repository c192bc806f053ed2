#ifndef TESTWIDGETS_H
#define TESTWIDGETS_H

// Test helpers for windows: answering modal dialogs, and the child-process mode that runs the
// whole program.

#include <QObject>
#include <QStringList>

#include <functional>

class QComboBox;
class QPoint;
class QRect;
class QSlider;
class QWidget;

namespace TestEnv {

// Calls answer with the next modal widget that appears (optionally of the given class) once it
// is the active window, polling the event loop. Fails the running test when none is ready
// within timeoutMs of real time; stops silently when that test has ended.
void AnswerNextModal(std::function<void(QWidget*)> answer, const char* className = nullptr,
                     int timeoutMs = 10000);

// A user's pick from a list: opens it, moves to the item and presses Return, so the list
// emits what a real choice emits (activated, and an index change when it is one). Fails the
// running test when the list does not open or close; call it through VEXO_CHECKED.
void PickComboItem(QComboBox* box, int index);
QStringList ComboItemTexts(const QComboBox* box);

// Letter keys as the X11 platform delivers them: to the focus window (the shown, active one),
// which hands them to its focus widget, each with its X keycode, keysym and server time. The
// script reads "A+1000 A-1500": a letter, + for a press or - for a release, the time in ms.
// Queued keys all wait in the event queue first, as keys the X server has already sent do;
// otherwise each key is handled before the next is sent. Fails the running test when no window
// has the focus; call it through VEXO_CHECKED.
void SendPlatformKeys(const QString& script, bool queued);

// The contrast ratio (1 to 21, as the web's accessibility rules count it) between the most
// frequent shade a window shows over `area` of `widget` (its own coordinates; parents'
// backgrounds included), taken as the background, and the pixel farthest from it. Text a user
// can read on its background reaches 4.5; text in a colour close to its background stays near 1.
double ContrastRatio(QWidget* widget, const QRect& area);

// The centre of the slider's handle where its style draws it, in the slider's coordinates.
QPoint SliderHandleCentre(QSlider* slider);

// A named child the test cannot go on without: a missing one ends the test program, naming it.
template <typename T>
T* NamedChild(const QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

// Child-process mode for start-up tests: when argv[1] is "--run-app", runs the program
// against the build's installation, reporting on stdout "MODAL <object name>|<texts>"
// for each modal dialog (then rejects it) and "SHOWN <object name>" when the top-level
// window is shown; with VEXO_CHILD_CLOSE_WHEN_SHOWN set, it then closes that window as a user
// would. Returns -1 when not in child mode.
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
