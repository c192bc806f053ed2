#include "helpers/testwidgets.h"

#include "app/startup.h"
#include "core/apppaths.h"
#include "helpers/testenv.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <QWindow>

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace TestEnv {

void PickComboItem(QComboBox* box, int index)
{
    QVERIFY(box);
    box->showPopup();
    QAbstractItemView* view = box->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(box->model()->index(index, box->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

QStringList ComboItemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

void SendPlatformKeys(const QString& script, bool queued)
{
    QWindow* const window = QGuiApplication::focusWindow();
    QVERIFY2(window, "no window has the focus");
    // The letters' keycodes on a US layout: the three letter rows from their first key.
    const QVector<QPair<QString, quint32>> rows = {{"qwertyuiop", 24}, {"asdfghjkl", 38}, {"zxcvbnm", 52}};
    const QStringList steps = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& step : steps) {
        QVERIFY2(step.size() >= 3 && (step.at(1) == QLatin1Char('+') || step.at(1) == QLatin1Char('-')),
                 qPrintable(step));
        const QChar letter = step.at(0).toLower();
        quint32 keycode = 0;
        for (const auto& row : rows) {
            const int at = row.first.indexOf(letter);
            if (at >= 0)
                keycode = row.second + quint32(at);
        }
        bool ok = false;
        const ulong time = step.mid(2).toULong(&ok);
        QVERIFY2(keycode != 0 && ok, qPrintable(step));
        const QEvent::Type type = step.at(1) == QLatin1Char('+') ? QEvent::KeyPress : QEvent::KeyRelease;
        auto event = std::make_unique<QKeyEvent>(type, Qt::Key_A + (letter.unicode() - 'a'), Qt::NoModifier,
                                                 keycode, quint32(letter.unicode()), 0, QString(letter));
        event->setTimestamp(time);
        if (queued)
            QCoreApplication::postEvent(window, event.release());
        else
            QCoreApplication::sendEvent(window, event.get());
    }
}

static QByteArray currentTest()
{
    return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
}

void AnswerNextModal(std::function<void(QWidget*)> answer, const char* className, int timeoutMs)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    const QByteArray wanted = className ? QByteArray(className) : QByteArray();
    // A poll left over from a finished test must not answer the next test's dialogs.
    const QByteArray test = currentTest();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, wanted, timeoutMs, test]() {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible()
            && (wanted.isEmpty() || modal->inherits(wanted.constData()));
        // The platform activates a shown window later, and keys (with the dialogs' shortcuts)
        // reach only the active window: answer once it is active.
        if (found && !modal->isActiveWindow())
            modal->activateWindow();
        const bool ready = found && modal->isActiveWindow();
        const bool sameTest = currentTest() == test;
        if (!ready && sameTest && clock->elapsed() <= timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (ready && sameTest)
            answer(modal);
        else if (sameTest)
            QTest::qFail(found ? "the modal dialog never became the active window" : "no modal dialog appeared",
                         __FILE__, __LINE__);
    });
    timer->start(5);
}

// Child mode: watch the program's windows from inside its own event loop.
static void installWatcher()
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* reported = new QList<QPointer<QWidget>>;
    QObject::connect(timer, &QTimer::destroyed, [reported]() { delete reported; });
    QObject::connect(timer, &QTimer::timeout, [reported]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            QStringList texts;
            for (QLabel* label : modal->findChildren<QLabel*>())
                texts << label->text();
            std::printf("MODAL %s|%s\n", qPrintable(modal->objectName()), qPrintable(texts.join(QLatin1Char('|'))));
            std::fflush(stdout);
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && !reported->contains(w)) {
                reported->append(w);
                std::printf("SHOWN %s\n", qPrintable(w->objectName()));
                std::fflush(stdout);
                // Asked to: the user closes the first window once it shows and no notice is open.
                if (qEnvironmentVariableIsSet("VEXO_CHILD_CLOSE_WHEN_SHOWN")
                    && w->objectName() == QLatin1String("DialogMain"))
                    QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
            }
        }
    });
    timer->start(20);
}

double ContrastRatio(QWidget* widget, const QRect& area)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    QWidget* window = widget->window();
    const QImage image = window->grab(QRect(widget->mapTo(window, area.topLeft()), area.size())).toImage();
    QVector<double> luminances;
    QVector<int> counts(256, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            luminances << 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
            ++counts[qRound(luminances.last() * 255)];
        }
    }
    // The background is the most frequent shade; the text, the pixel farthest from it.
    const double background = (std::max_element(counts.begin(), counts.end()) - counts.begin()) / 255.0;
    double ratio = 1.0;
    for (double luminance : qAsConst(luminances))
        ratio = qMax(ratio, (qMax(luminance, background) + 0.05) / (qMin(luminance, background) + 0.05));
    return ratio;
}

QPoint SliderHandleCentre(QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    if (slider->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

int RunAppChildIfAsked(int argc, char** argv)
{
    if (argc < 2 || qstrcmp(argv[1], "--run-app") != 0)
        return -1;
    // A test that dies (a crash, a time-out kill) takes its child along instead of leaving it running.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        return 1;
    AppPaths::SetInstallFolder(BuiltInstallFolder());
    qAddPreRoutine(installWatcher);
    char* args[] = {argv[0], nullptr};
    int one = 1;
    return VexoMain(one, args);
}

} // namespace TestEnv
