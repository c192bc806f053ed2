#include "app/startup.h"

#include "app/singleinstanceguard.h"
#include "core/apppaths.h"
#include "core/installationcheck.h"
#include "core/userfolders.h"
#include "ui/shell/dialogmain.h"
#include "ui/widgets/exeisrun.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

int VexoMain(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    PrepareUserFolders();
    const QString base = AppPaths::UserDataFolder();
    PurgeOldFiles(base + QStringLiteral("/Log"));
    PurgeOldFiles(base + QStringLiteral("/Exception"));

    // The windows are drawn by the raster engine: loading the X server's OpenGL stack would
    // only delay the first window.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    // After the application object: the installation is found from the executable's folder.
    CheckInstallation();

    // Kept until the process ends, so the lock lives as long as this instance.
    static SingleInstanceGuard* guard = new SingleInstanceGuard(AppPaths::AppFolderName());
    if (guard->AnotherInstanceRuns()) {
        ExeIsRun* notice = new ExeIsRun(nullptr);
        notice->exec();
        delete notice;
        return 0;
    }

    // The window's own shutdown road runs before the event loop ends; deleting it then
    // ends the worker and the pages in order.
    QScopedPointer<DialogMain> window(new DialogMain(nullptr));
    window->show();
    const int code = app.exec();
    window.reset();
    return code;
}
