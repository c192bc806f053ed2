#include "device/keyactioncodec.h"

#include "device/buttoncatalogue.h"
#include "device/keyusagetable.h"

#include <QStringList>

#include <cstring>

namespace {

constexpr int KeyActionEventSlots = int(sizeof(KeyActionRecord::events) / sizeof(KeyActionEvent));
constexpr int MacroEventSlots = int(sizeof(MacroRecord::events) / sizeof(KeyActionEvent));
constexpr int KeypadEnterUsage = 0x58;

struct ModifierWord {
    const char* name;
    int bit;
};
// The words the key combination dialog writes; they stand for the left-hand modifier bits.
constexpr std::array<ModifierWord, 4> ModifierWords = {{
    {"Ctrl", 0x01},
    {"Shift", 0x02},
    {"Alt", 0x04},
    {"Win", 0x08},
}};

const KeyUsageRow* keyboardRowByName(const QString& name)
{
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.kind == KindKeyboard && QString::fromUtf8(row.name) == name)
            return &row;
    }
    return nullptr;
}

QString keyboardNameByCode(int code)
{
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.kind == KindKeyboard && row.code == code)
            return QString::fromUtf8(row.name);
    }
    return QString();
}

KeyActionRecord zeroRecord()
{
    KeyActionRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

} // namespace

KeyActionRecord& KeyCodeFromName(const QString& name, int index, int count, KeyActionRecord& record)
{
    // Both events must lie inside the record: a longer combination would overwrite the
    // neighbouring button's record in the settings image. (Halving the slots, not doubling the
    // count: any count is safe to compare.)
    if (count < 1 || count > KeyActionEventSlots / 2 || index < 0 || index >= count)
        return record;
    KeyActionEvent& press = record.events[index];
    KeyActionEvent& release = record.events[2 * count - 1 - index];
    press.action = 0;
    release.action = 1;
    press.delay = KeyActionEventDelay;
    release.delay = KeyActionEventDelay;

    for (const ModifierWord& word : ModifierWords) {
        if (name == QLatin1String(word.name)) {
            press.kind = release.kind = KindModifier;
            press.usage = release.usage = uint16_t(word.bit);
            return record;
        }
    }
    press.kind = release.kind = KindKeyboard;
    if (const KeyUsageRow* row = keyboardRowByName(name))
        press.usage = release.usage = uint16_t(row->code);
    return record;
}

KeyActionRecord ParseKeyCombination(const QString& text)
{
    QStringList names = KeyCombinationNames(text);
    if (names.isEmpty())
        names << QString();
    if (names.size() > KeyCombinationMaxNames)
        names = names.mid(0, KeyCombinationMaxNames);

    KeyActionRecord record = zeroRecord();
    const int count = names.size();
    for (int i = 0; i < count; ++i)
        KeyCodeFromName(names.at(i), i, count, record);
    record.count = uint32_t(2 * count);
    return record;
}

QString KeyNameFromCode(int code, int kind)
{
    code &= 0xFF;
    switch (code) {
    case 0x01:
        return QStringLiteral("Ctrl");
    case 0x02:
        return QStringLiteral("Shift");
    case 0x80:
        return QStringLiteral("Win");
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
    case 0x40:
        // A modifier bit or a letter/digit/F7: only the kind tells them apart.
        if (kind == KindModifier) {
            switch (code) {
            case 0x04:
            case 0x40:
                return QStringLiteral("Alt");
            case 0x08:
                return QStringLiteral("Win");
            case 0x10:
                return QStringLiteral("Ctrl");
            default:
                return QStringLiteral("Shift");
            }
        }
        return kind == KindKeyboard ? keyboardNameByCode(code) : QString();
    case KeypadEnterUsage:
        return QStringLiteral("Enter");
    default:
        return keyboardNameByCode(code);
    }
}

QString KeyCombinationCaption(const KeyActionRecord& record)
{
    // The count is whatever the device or an imported file holds.
    const int presses = qMin(int(record.count & 0xFF) / 2, KeyCombinationMaxNames);
    QStringList names;
    for (int i = 0; i < presses; ++i)
        names << KeyNameFromCode(record.events[i].usage, record.events[i].kind);
    return names.join(QLatin1Char('+'));
}

void MacroKeyCodeFromName(const QString& name, int index, MacroRecord* record)
{
    // An index past the record's slots would write into the neighbouring macro.
    if (!record || index < 0 || index >= MacroEventSlots)
        return;
    KeyActionEvent& event = record->events[index];
    const KeyUsageRow* row = FindKeyUsageRow(name, true);
    if (!row) {
        event.kind = KindKeyboard;
        return;
    }
    event.kind = uint8_t(row->kind);
    event.usage = uint16_t(row->code);
}

KeyActionRecord ConsumerKeyRecord(int usage)
{
    KeyActionRecord record = zeroRecord();
    record.count = 2;
    for (int i = 0; i < 2; ++i) {
        KeyActionEvent& event = record.events[i];
        event.action = uint8_t(i);
        event.kind = KindConsumer;
        event.usage = uint16_t(usage);
        event.delay = KeyActionEventDelay;
    }
    return record;
}

std::optional<KeyActionRecord> MultimediaKeyRecord(int lowByte)
{
    const CatalogueEntry* entry = ConsumerKeyEntry(lowByte);
    if (!entry)
        return std::nullopt;
    return ConsumerKeyRecord(entry->usage);
}
