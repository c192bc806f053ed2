#include "pages/settings/mythread.h"

#include <QDebug>

void MyThread::run()
{
    // Runs until asked to stop, so that a start by mistake can still be ended.
    while (!isInterruptionRequested())
        qDebug() << "Thread is running";
}
