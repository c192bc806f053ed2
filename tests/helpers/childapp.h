#ifndef CHILDAPP_H
#define CHILDAPP_H

#include "helpers/testenv.h"

#include <QProcess>
#include <QString>

// Runs the whole program in a child process (the test executable's --run-app mode) with a
// private HOME and temporary folder, and reads what the child reports on its output.
class ChildApp
{
public:
    explicit ChildApp(const TestEnv::TempHome& home);
    ~ChildApp();

    // The first output line starting with prefix, or a null string when the child ended or
    // the time ran out first.
    QString waitForLine(const QString& prefix, int timeoutMs = 30000);
    // Waits for the child to end; false on time-out.
    bool finish(int timeoutMs = 30000);
    QString output() const { return m_output; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_output;
};

#endif
