#include "device/macrotextfile.h"

#include "core/apppaths.h"
#include "core/savefilecommit.h"
#include "device/keyusagetable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace {

// "0x" and two upper-case hex digits, as the files write codes (and as the name lookup reads
// them); -1 for anything else.
int codeFromText(const QString& text)
{
    if (text.size() != 4 || !text.startsWith(QLatin1String("0x")))
        return -1;
    int code = 0;
    for (int i = 2; i < 4; ++i) {
        const ushort c = text.at(i).unicode();
        if (c >= '0' && c <= '9')
            code = code * 16 + (c - '0');
        else if (c >= 'A' && c <= 'F')
            code = code * 16 + (c - 'A' + 10);
        else
            return -1;
    }
    return code;
}

// Plain ASCII digits of at most maxValue; -1 for anything else (signs, blanks, other digits).
qint64 decimalFromText(const QString& text, qint64 maxValue)
{
    if (text.isEmpty() || text.size() > 10)
        return -1;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value <= maxValue ? value : -1;
}

// The kinds a device event can hold.
bool isEventKind(qint64 kind)
{
    return kind == KindModifier || kind == KindKeyboard || kind == KindConsumer || kind == KindMouseButton;
}

// One line after the repeat line, split at blanks: an event (code text as the files write it,
// a kind a device event holds, "0" press or "1" release) or a delay. False for anything else.
// A code without a key table row is kept with its kind: a record from the device may hold it,
// and saving the file again must not change it.
bool rowFromParts(const QStringList& parts, MacroEventRow* row)
{
    if (parts.size() == 1) {
        if (!IsMacroFileDelay(parts.at(0)))
            return false;
        row->text = parts.at(0);
        row->itemType = MacroEventRow::Press;
        row->hasKey = false;
        return true;
    }
    if (parts.size() != 3)
        return false;
    const QString& direction = parts.at(2);
    const int code = codeFromText(parts.at(0));
    const qint64 kind = decimalFromText(parts.at(1), 255);
    if (code < 0 || !isEventKind(kind)
        || (direction != QLatin1String("0") && direction != QLatin1String("1")))
        return false;
    row->itemType = direction == QLatin1String("1") ? MacroEventRow::Release : MacroEventRow::Press;
    row->hasKey = true;
    row->text = KeyNameFromHidText(parts.at(0), int(kind));
    row->kind = int(kind);
    row->code = code;
    return true;
}

QByteArray eventLine(const MacroEventRow& row)
{
    int kind = KindKeyboard;
    int code = 0;
    if (row.hasKey) {
        kind = row.kind;
        code = row.code;
    } else if (const KeyUsageRow* found = FindKeyUsageRow(row.text, true)) {
        kind = found->kind;
        code = found->code;
    } else if (const KeyUsageRow* empty = FindKeyUsageRow(QString())) {
        kind = empty->kind;
        code = empty->code;
    }
    return KeyCodeText(code).toLatin1() + ' ' + QByteArray::number(kind) + ' '
           + (row.IsRelease() ? '1' : '0') + '\n';
}

} // namespace

QString MacroFolder()
{
    return AppPaths::UserDataFolder() + QStringLiteral("/usersetting/MacroPage");
}

QString MacroFilePath(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QFileInfoList MacroFolderEntries(const QString& folder)
{
    // Only the program's own names: a save cut short leaves "<name>.ini.XXXXXX" beside them.
    QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const QFileInfo& entry) {
                                     return !entry.fileName().endsWith(QLatin1String(".ini"), Qt::CaseSensitive);
                                 }),
                  entries.end());
    return entries;
}

QStringList ListMacroNames(const QString& folder)
{
    QStringList names;
    for (const QFileInfo& entry : MacroFolderEntries(folder)) {
        QString name = entry.fileName();
        if (name.contains(QLatin1String("xml")))
            continue;
        names << name.remove(QStringLiteral(".ini"));
    }
    return names;
}

bool ReadMacroFileLines(const QString& path, QStringList* lines)
{
    // Only plain files: opening a pipe would wait for a writer.
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(MacroFileMaxBytes + 1);
    if (data.size() > MacroFileMaxBytes)
        return false;
    QList<QByteArray> raw = data.split('\n');
    // What follows the last line break is a line only when it holds something.
    if (raw.last().isEmpty())
        raw.removeLast();
    lines->clear();
    for (QByteArray& bytes : raw) {
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        lines->append(QString::fromUtf8(bytes));
    }
    return true;
}

bool IsMacroFileDelay(const QString& text)
{
    return text.endsWith(QLatin1String("ms"))
           && decimalFromText(text.left(text.size() - 2), std::numeric_limits<quint32>::max()) >= 0;
}

MacroFileContent ReadMacroTextFile(const QString& path)
{
    QStringList lines;
    if (!ReadMacroFileLines(path, &lines))
        return MacroFileContent();
    return ParseMacroFileLines(lines);
}

MacroFileContent ParseMacroFileLines(const QStringList& lines)
{
    MacroFileContent content;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList parts = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        // One line that is neither event nor delay (random bytes, a line cut short) and the
        // file is no macro: nothing of it is shown.
        MacroEventRow row;
        if (!rowFromParts(parts, &row))
            return MacroFileContent();
        content.rows.append(row);
    }
    content.loaded = true;
    if (!lines.isEmpty()) {
        content.hasRepeatLine = true;
        content.repeat = lines.first().trimmed().toInt();
    }
    return content;
}

QByteArray MacroFileRowLines(const QVector<MacroEventRow>& rows)
{
    QByteArray lines;
    for (const MacroEventRow& row : rows) {
        if (row.IsDelay())
            lines += row.text.toUtf8() + '\n';
        else
            lines += eventLine(row);
    }
    return lines;
}

bool CreateMacroTextFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool SaveMacroTextFile(const QString& path, int repeat, const QVector<MacroEventRow>& rows, bool mustExist)
{
    if (mustExist && !QFileInfo::exists(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = QByteArray::number(repeat) + '\n' + MacroFileRowLines(rows);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return CommitSaveFile(file);
}

bool AppendMacroTextFile(const QString& path, const QVector<MacroEventRow>& rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
        return false;
    const QByteArray data = MacroFileRowLines(rows);
    // Buffered: a full disk shows only when the data is flushed.
    return file.write(data) == data.size() && file.flush();
}

bool TruncateMacroTextFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool RenameMacroTextFile(const QString& folder, const QString& oldName, const QString& newName)
{
    const QString target = MacroFilePath(folder, newName);
    const QFileInfo targetInfo(target);
    // A dangling link still holds the name.
    if (targetInfo.exists() || targetInfo.isSymLink())
        return false;
    return QFile::rename(MacroFilePath(folder, oldName), target);
}
