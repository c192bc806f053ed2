#include "device/macronames.h"

#include <QTextCodec>

#include <algorithm>
#include <cstring>

QTextCodec* MacroNameCodec()
{
    return QTextCodec::codecForLocale();
}

QByteArray MacroNameToLocal8Bit(const QString& name)
{
    return MacroNameCodec()->fromUnicode(name);
}

QString MacroNameFromLocal8Bit(const QByteArray& bytes)
{
    return MacroNameCodec()->toUnicode(bytes);
}

QString CutMacroName(const QString& name, int maxBytes)
{
    if (MacroNameToLocal8Bit(name).size() <= maxBytes)
        return name;
    // Grow the start one character at a time; a surrogate pair is one character. Each prefix
    // is converted whole, as stateful codecs do not add up character by character.
    int kept = 0;
    int next = 0;
    while (next < name.size()) {
        const bool pair = name.at(next).isHighSurrogate() && next + 1 < name.size()
                          && name.at(next + 1).isLowSurrogate();
        const int end = next + (pair ? 2 : 1);
        if (MacroNameToLocal8Bit(name.left(end)).size() > maxBytes)
            break;
        kept = end;
        next = end;
    }
    return name.left(kept);
}

QString DecodeMacroName(const quint8* bytes, int size)
{
    if (!bytes || size <= 0)
        return QString();
    const quint8* end = std::find(bytes, bytes + size, quint8(0));
    return MacroNameFromLocal8Bit(QByteArray(reinterpret_cast<const char*>(bytes), int(end - bytes)));
}

int EncodeMacroName(const QString& name, quint8* bytes, int size)
{
    if (!bytes || size <= 0)
        return 0;
    const QByteArray local = MacroNameToLocal8Bit(CutMacroName(name, size));
    const int length = std::min(int(local.size()), size);
    std::memset(bytes, 0, size_t(size));
    std::memcpy(bytes, local.constData(), size_t(length));
    return length;
}

bool IsUsableMacroName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}
