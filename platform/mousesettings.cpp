#include "platform/mousesettings.h"

#include <QMutex>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

struct Candidate {
    const char* desktop;    // as named in XDG_CURRENT_DESKTOP
    const char* program;
    const char* argument;   // nullptr: none
};

// Known mouse settings programs, the usual desktops' own first.
const Candidate Candidates[] = {
    {"GNOME", "gnome-control-center", "mouse"},
    {"KDE", "systemsettings", "kcm_mouse"},
    {"KDE", "systemsettings5", "mouse"},
    {"KDE", "kcmshell5", "mouse"},
    {"XFCE", "xfce4-mouse-settings", nullptr},
    {"X-Cinnamon", "cinnamon-settings", "mouse"},
    {"MATE", "mate-mouse-properties", nullptr},
    {"LXQt", "lxqt-config-input", nullptr},
    {"LXDE", "lxinput", nullptr},
};

QMutex g_launcherMutex;
MouseSettings::Launcher g_launcher;

MouseSettings::Program programOf(const Candidate& c, const QString& path)
{
    MouseSettings::Program p;
    p.path = path;
    if (c.argument)
        p.arguments << QString::fromLatin1(c.argument);
    return p;
}

} // namespace

MouseSettings::Program MouseSettings::Find()
{
    const QStringList desktops = QProcessEnvironment::systemEnvironment()
                                     .value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // The running desktop's programs first, then any other that is installed.
    for (int pass = 0; pass < 2; ++pass) {
        for (const Candidate& c : Candidates) {
            const bool ownDesktop = desktops.contains(QLatin1String(c.desktop), Qt::CaseInsensitive);
            if ((pass == 0) != ownDesktop)
                continue;
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(c.program));
            if (!path.isEmpty())
                return programOf(c, path);
        }
    }
    return Program();
}

QStringList MouseSettings::KnownPrograms()
{
    QStringList names;
    for (const Candidate& c : Candidates)
        if (!names.contains(QLatin1String(c.program)))
            names << QString::fromLatin1(c.program);
    return names;
}

bool MouseSettings::Open()
{
    return Open(Find());
}

bool MouseSettings::Open(const Program& program)
{
    if (program.path.isEmpty())
        return false;
    Launcher launcher;
    {
        QMutexLocker lock(&g_launcherMutex);
        launcher = g_launcher;
    }
    if (launcher)
        return launcher(program.path, program.arguments);
    return QProcess::startDetached(program.path, program.arguments);
}

void MouseSettings::SetLaunchHook(Launcher launcher)
{
    QMutexLocker lock(&g_launcherMutex);
    g_launcher = std::move(launcher);
}
