#ifndef CRASHHANDLER_H
#define CRASHHANDLER_H

#include <QString>

// Writes a text dump (signal, fault address, backtrace) when the process dies of a fatal
// signal, then lets the process end. Everything the handler needs is prepared here, so the
// handler itself makes only async-signal-safe calls.
class CrashHandler
{
public:
    // folder: where dumps go (created when missing at crash time).
    static void Install(const QString& folder);
    static bool IsInstalled();
};

#endif
