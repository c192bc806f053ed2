#ifndef MOUSESETTINGS_H
#define MOUSESETTINGS_H

#include <QString>
#include <QStringList>

#include <functional>

// The desktop's own mouse settings, in place of the Windows mouse control panel: the first
// known settings program found on PATH (the current desktop's first), started detached.
class MouseSettings
{
public:
    struct Program {
        QString path;           // empty: none installed
        QStringList arguments;
    };
    // Starts a program detached; true when it started.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;

    static Program Find();
    // The programs Find() looks for, each named once, in the order it looks.
    static QStringList KnownPrograms();
    // Starts the program Find() gives; false (and nothing started) when there is none.
    static bool Open();
    // Starts a program Find() gave; false (and nothing started) for none.
    static bool Open(const Program& program);
    // Tests replace the launcher; an empty one restores QProcess::startDetached.
    static void SetLaunchHook(Launcher launcher);
};

#endif
