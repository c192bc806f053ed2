#include "app/startup.h"

#include "app/singleinstanceguard.h"
#include "core/apppaths.h"
#include "core/installationcheck.h"
#include "core/macroini.h"
#include "core/userfolders.h"
#include "ui/lang/exeisrunfile.h"
#include "ui/lang/languagefilereader.h"
#include "shell/dialogmain.h"
#include "ui/widgets/exeisrun.h"
#include "ui/widgets/installationnotice.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QTimer>

#include <thread>

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
    // Every window of the program, the second-start notice too, carries its picture; the
    // desktop entry ties the windows to it where the desktop asks.
    app.setWindowIcon(Skin::ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("vexo"));
    // After the application object: the installation is found from the executable's folder.
    // The second-start notice reads the file of the language chosen last.
    const int language = MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt();
    const QVector<InstallationProblem> problems =
        CheckInstallation({QStringLiteral("Language/") + ExeIsRunFile::FileName(language)});

    // Kept until the process ends, so the lock lives as long as this instance.
    static SingleInstanceGuard* guard = new SingleInstanceGuard(AppPaths::AppFolderName());
    if (guard->AnotherInstanceRuns()) {
        // The text tables stand in for texts the notice's own file lacks.
        LoadLanguageFiles();
        ExeIsRun* notice = new ExeIsRun(nullptr);
        notice->exec();
        delete notice;
        return 0;
    }

    // The first paint needs the font database, whose reading is the biggest part of that
    // paint: it is read on a thread of its own while the window is built.
    std::thread fontDatabase([] { QFontDatabase().families(); });
    // The window's own shutdown road runs before the event loop ends; deleting it then
    // ends the worker and the pages in order.
    QScopedPointer<DialogMain> window(new DialogMain(nullptr));
    window->show();
    fontDatabase.join();
    // Told in the window too, once: a start from the desktop shows neither standard error nor the log.
    if (!problems.isEmpty()) {
        DialogMain* shown = window.data();
        QTimer::singleShot(0, shown, [shown, problems]() {
            InstallationNotice notice(problems, nullptr);
            Skin::MoveCenteredOver(&notice, shown);
            notice.exec();
        });
    }
    const int code = app.exec();
    window.reset();
    return code;
}
