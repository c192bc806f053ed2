#include "helpers/testwidgets.h"

#include "app/startup.h"
#include "core/apppaths.h"
#include "helpers/testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace TestEnv {

void AnswerNextModal(std::function<void(QWidget*)> answer, const char* className, int timeoutMs)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto* clock = new QElapsedTimer;
    clock->start();
    const QByteArray wanted = className ? QByteArray(className) : QByteArray();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, wanted, timeoutMs]() {
        QWidget* modal = QApplication::activeModalWidget();
        const bool match = modal && modal->isVisible()
            && (wanted.isEmpty() || modal->inherits(wanted.constData()));
        if (match || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (match)
                answer(modal);
        }
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
            }
        }
    });
    timer->start(20);
}

int RunAppChildIfAsked(int argc, char** argv)
{
    if (argc < 2 || qstrcmp(argv[1], "--run-app") != 0)
        return -1;
    AppPaths::SetInstallFolder(BuiltInstallFolder());
    qAddPreRoutine(installWatcher);
    char* args[] = {argv[0], nullptr};
    int one = 1;
    return VexoMain(one, args);
}

} // namespace TestEnv
