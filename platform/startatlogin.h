#ifndef STARTATLOGIN_H
#define STARTATLOGIN_H

#include <QString>

// Start at login: the preference in Macro.ini, the Run value the Windows build keeps in the
// registry (kept in RegistryStore here) and the desktop's XDG autostart entry, which is what
// actually starts the program on Linux.
class StartAtLogin
{
public:
    static QString RunKey();
    // The name of the Run value and of the autostart file: the application name.
    static QString EntryName();
    // The program's path with backslashes, in double quotes, as the Run value holds it.
    static QString RunValue();
    // $XDG_CONFIG_HOME/autostart/<EntryName()>.desktop
    static QString AutostartFilePath();
    // A path as one quoted argument of a desktop entry's Exec value.
    static QString DesktopExecArgument(const QString& path);
    // The autostart entry's text for the running program.
    static QByteArray AutostartEntry();
    // "1"/"0" to Macro.ini "AutoStart"/"Enable"; the Run value and the autostart file are
    // written when on and removed when off. False when the autostart file could not be
    // written or removed.
    static bool Set(bool on);
    // The preference as Macro.ini holds it.
    static bool Enabled();
};

#endif
