#include "crashdumphandler.h"

#include "apppaths.h"
#include "crashhandler.h"

void CrashDumpHandler::InstallCrashDumpFilter()
{
    CrashHandler::Install(AppPaths::UserDataFolder() + QStringLiteral("/Exception"));
}
