#include "helpers/childapp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcessEnvironment>

ChildApp::ChildApp(const TestEnv::TempHome& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const auto vars = home.environment();
    for (auto it = vars.constBegin(); it != vars.constEnd(); ++it)
        env.insert(QString::fromLatin1(it.key()), QString::fromLocal8Bit(it.value()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The child reports texts in the locale's encoding: make that UTF-8.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // Whatever the child leaves in the temporary folder goes with this test's own one.
    env.insert(QStringLiteral("TMPDIR"), home.path());
    m_process.setProcessEnvironment(env);
    m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--run-app")});
}

ChildApp::~ChildApp()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QString ChildApp::waitForLine(const QString& prefix, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        for (const QString& line : m_output.split(QLatin1Char('\n')))
            if (line.startsWith(prefix))
                return line;
        if (m_process.state() == QProcess::NotRunning && !m_process.bytesAvailable())
            return QString();
        m_process.waitForReadyRead(100);
    }
    return QString();
}

bool ChildApp::finish(int timeoutMs)
{
    const bool done = m_process.waitForFinished(timeoutMs);
    m_output += QString::fromUtf8(m_process.readAllStandardOutput());
    return done;
}
