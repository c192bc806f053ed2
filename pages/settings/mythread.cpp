#include "pages/settings/mythread.h"

#include "core/logcategories.h"

#include <QDebug>

void MyThread::run()
{
    // Runs until asked to stop, so that a start by mistake can still be ended.
    while (!isInterruptionRequested())
        qCDebug(lcDevice) << "Thread is running";
}
