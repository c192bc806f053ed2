#include "platform/crashdumphandler.h"

#include "core/apppaths.h"
#include "platform/crashhandler.h"

void CrashDumpHandler::InstallCrashDumpFilter()
{
    CrashHandler::Install(AppPaths::UserDataFolder() + QStringLiteral("/Exception"));
}
