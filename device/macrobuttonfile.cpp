#include "device/macrobuttonfile.h"

#include "core/devicestate.h"
#include "core/savefilecommit.h"
#include "device/keyactioncodec.h"
#include "device/keyusagetable.h"
#include "device/macronames.h"
#include "device/macrorecordcodec.h"
#include "device/macrotextfile.h"

#include <QFileInfo>
#include <QSaveFile>


namespace {

constexpr int ShortListLength = 7;

} // namespace

MacroButtonScan ScanMacroButtonFiles(const QString& folder, bool rebuild)
{
    MacroButtonScan scan;
    const QString xml = QStringLiteral("xml");
    QFileInfoList entries = MacroFolderEntries(folder);
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).fileName().contains(xml)) {
            entries.removeAt(i);
            break;
        }
    }
    scan.entries = entries.size();
    for (const QFileInfo& entry : entries) {
        QString name = entry.fileName();
        if (rebuild && name.contains(xml))
            continue;
        scan.texts << name.remove(QStringLiteral(".ini"));
    }
    return scan;
}

int MacroPlaceholderCount(int entries)
{
    return entries >= 1 && entries < ShortListLength ? ShortListLength - entries : 0;
}

MacroRecord LoadMacroKeys(const QString& name, bool& ok)
{
    MacroRecord record{};
    ok = false;
    QString cleanName = name;
    cleanName.remove(QChar(0));
    QStringList lines;
    const QString path = MacroFilePath(MacroFolder(), cleanName);
    // A file that is no macro (junk, a line cut short) goes to no button.
    if (!UiSendsChanges.load() || !IsUsableMacroName(cleanName) || !ReadMacroFileLines(path, &lines)
        || !ParseMacroFileLines(lines).loaded)
        return record;
    ok = true;
    record.nameLength = quint8(EncodeMacroName(cleanName, reinterpret_cast<quint8*>(record.name)));

    int event = 0;
    for (int i = 1; i < lines.size() && event < MacroEventLimit; ++i) {
        const QStringList words = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        KeyActionEvent& current = record.events[event];
        if (words.size() == 3) {
            // A second event line before a delay replaces the first.
            MacroKeyCodeFromName(KeyNameFromHidText(words.at(0), words.at(1).toInt()), event, &record);
            current.action = words.at(2).trimmed() == QLatin1String("1") ? 1 : 0;
            current.delay = 0;
        } else if (words.size() == 1) {
            QString delay = words.at(0);
            current.delay = delay.remove(QStringLiteral("ms")).toUInt();
            ++event;
        }
    }
    // The event after the last delay line counts too, unless the record is full.
    record.eventCount = quint8(qMin(event + 1, MacroEventLimit));
    return record;
}

QString ReadMacroFile(const QString& name)
{
    QStringList lines;
    if (!IsUsableMacroName(name) || !ReadMacroFileLines(MacroFilePath(MacroFolder(), name), &lines)
        || lines.isEmpty())
        return QString();
    const QStringList words = lines.first().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.isEmpty() ? QString() : words.first();
}

int MacroRepeatValue(const QString& text)
{
    bool isNumber = false;
    const qlonglong value = text.trimmed().toLongLong(&isNumber, 10);
    if (!isNumber)
        return 0;
    return value < 0 || value > 255 ? 1 : int(value);
}

bool WriteMacroFileHeader(const QString& name, const QString& text)
{
    if (!IsUsableMacroName(name))
        return false;
    QSaveFile file(MacroFilePath(MacroFolder(), name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line = text.toUtf8() + '\n';
    if (file.write(line) != line.size()) {
        file.cancelWriting();
        return false;
    }
    return CommitSaveFile(file);
}
