#ifndef MYTHREAD_H
#define MYTHREAD_H

#include <QThread>

// A thread the screen picture dialog carries; nothing starts it.
class MyThread : public QThread
{
    Q_OBJECT
public:
    using QThread::QThread;

protected:
    void run() override;
};

#endif
