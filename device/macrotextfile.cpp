#include "device/macrotextfile.h"

#include "core/apppaths.h"
#include "core/savefilecommit.h"
#include "device/keyusagetable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

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

// One line after the repeat line; false when the line holds no row.
bool rowFromLine(const QString& line, MacroEventRow* row)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() == 1) {
        row->text = parts.at(0);
        row->itemType = MacroEventRow::Press;
        row->hasKey = false;
        return true;
    }
    if (parts.size() != 3)
        return false;
    const QString& direction = parts.at(2);
    if (direction != QLatin1String("0") && direction != QLatin1String("1"))
        return false;
    const int kind = parts.at(1).toInt();
    const int code = codeFromText(parts.at(0));
    row->itemType = direction == QLatin1String("1") ? MacroEventRow::Release : MacroEventRow::Press;
    row->hasKey = true;
    if (code < 0) {
        // No code to keep: the empty key, which is what the name resolves to.
        row->text = QString();
        row->kind = KindKeyboard;
        row->code = 0;
        return true;
    }
    // An unknown code keeps its kind and code, so saving the file again does not change it.
    row->text = KeyNameFromHidText(parts.at(0), kind);
    row->kind = kind;
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

MacroFileContent ReadMacroTextFile(const QString& path)
{
    MacroFileContent content;
    QStringList lines;
    if (!ReadMacroFileLines(path, &lines))
        return content;
    content.loaded = true;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (i == 0) {
            content.hasRepeatLine = true;
            content.repeat = line.trimmed().toInt();
            continue;
        }
        MacroEventRow row;
        if (rowFromLine(line, &row))
            content.rows.append(row);
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
