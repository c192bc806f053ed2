#ifndef CRASHDUMPHANDLER_H
#define CRASHDUMPHANDLER_H

// Installs the process-wide crash filter: a fatal signal leaves a dump named by date and
// time in the per-user "Exception" folder.
class CrashDumpHandler
{
public:
    void InstallCrashDumpFilter();
};

#endif
