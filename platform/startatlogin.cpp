#include "platform/startatlogin.h"

#include "core/macroini.h"
#include "core/savefilecommit.h"
#include "platform/registrystore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

// Inside the quotes ", `, $ and \ take a backslash, and "%" is doubled because Exec expands
// field codes; then the value as a whole escapes its backslashes.
QString StartAtLogin::DesktopExecArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString StartAtLogin::RunKey()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

QString StartAtLogin::EntryName()
{
    return QCoreApplication::applicationName();
}

QString StartAtLogin::RunValue()
{
    QString path = QCoreApplication::applicationFilePath();
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QString StartAtLogin::AutostartFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/")
        + EntryName() + QStringLiteral(".desktop");
}

QByteArray StartAtLogin::AutostartEntry()
{
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + EntryName()
        + QStringLiteral("\nExec=") + DesktopExecArgument(QCoreApplication::applicationFilePath())
        + QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool StartAtLogin::Set(bool on)
{
    MacroIni::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                                   on ? QStringLiteral("1") : QStringLiteral("0"));
    RegistryStore* registry = RegistryStore::instance();
    const QString file = AutostartFilePath();
    if (!on) {
        registry->remove(RunKey(), EntryName());
        return !QFileInfo::exists(file) || QFile::remove(file);
    }
    registry->setValue(RunKey(), EntryName(), RunValue());
    // Each file is written once, whole, and only when it changes.
    const QByteArray entry = AutostartEntry();
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == entry)
        return true;
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(entry);
    return CommitSaveFile(out);
}

bool StartAtLogin::Enabled()
{
    // Read as a number: " 1" or "01" count as on, as the settings page reads them.
    bool ok = false;
    return MacroIni::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")).toInt(&ok, 10) == 1 && ok;
}
