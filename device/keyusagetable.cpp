#include "device/keyusagetable.h"

// The rows stand in the order in which names are matched (first match wins). Mouse buttons
// have no fixed name (it is the language's) and sit before "F1" to "F12": a mouse-button text
// equal to a key name resolves to the key, except to a function key.
const std::array<KeyUsageRow, KeyUsageRowCount> KeyUsageTable = {{
    {"Tab", KindKeyboard, 0x2B, 0x09},
    {"0", KindKeyboard, 0x27, 0x30},
    {"1", KindKeyboard, 0x1E, 0x31},
    {"2", KindKeyboard, 0x1F, 0x32},
    {"3", KindKeyboard, 0x20, 0x33},
    {"4", KindKeyboard, 0x21, 0x34},
    {"5", KindKeyboard, 0x22, 0x35},
    {"6", KindKeyboard, 0x23, 0x36},
    {"7", KindKeyboard, 0x24, 0x37},
    {"8", KindKeyboard, 0x25, 0x38},
    {"9", KindKeyboard, 0x26, 0x39},
    {"A", KindKeyboard, 0x04, 0x41},
    {"B", KindKeyboard, 0x05, 0x42},
    {"C", KindKeyboard, 0x06, 0x43},
    {"D", KindKeyboard, 0x07, 0x44},
    {"E", KindKeyboard, 0x08, 0x45},
    {"F", KindKeyboard, 0x09, 0x46},
    {"G", KindKeyboard, 0x0A, 0x47},
    {"H", KindKeyboard, 0x0B, 0x48},
    {"I", KindKeyboard, 0x0C, 0x49},
    {"J", KindKeyboard, 0x0D, 0x4A},
    {"K", KindKeyboard, 0x0E, 0x4B},
    {"L", KindKeyboard, 0x0F, 0x4C},
    {"M", KindKeyboard, 0x10, 0x4D},
    {"N", KindKeyboard, 0x11, 0x4E},
    {"O", KindKeyboard, 0x12, 0x4F},
    {"P", KindKeyboard, 0x13, 0x50},
    {"Q", KindKeyboard, 0x14, 0x51},
    {"R", KindKeyboard, 0x15, 0x52},
    {"S", KindKeyboard, 0x16, 0x53},
    {"T", KindKeyboard, 0x17, 0x54},
    {"U", KindKeyboard, 0x18, 0x55},
    {"V", KindKeyboard, 0x19, 0x56},
    {"W", KindKeyboard, 0x1A, 0x57},
    {"X", KindKeyboard, 0x1B, 0x58},
    {"Y", KindKeyboard, 0x1C, 0x59},
    {"Z", KindKeyboard, 0x1D, 0x5A},
    {"Esc", KindKeyboard, 0x29, 0x1B},
    {"BackSpace", KindKeyboard, 0x2A, 0x08},
    {"CapsLock", KindKeyboard, 0x39, 0x14},
    {"Insert", KindKeyboard, 0x49, 0x2D},
    {"Del", KindKeyboard, 0x4C, 0x2E},
    {"Home", KindKeyboard, 0x4A, 0x24},
    {"End", KindKeyboard, 0x4D, 0x23},
    {"PgUp", KindKeyboard, 0x4B, 0x21},
    {"PgDn", KindKeyboard, 0x4E, 0x22},
    {"Scroll", KindKeyboard, 0x47, 0x91},
    {"Pause", KindKeyboard, 0x48, 0x13},
    {"Screen", KindKeyboard, 0x46, 0x2C},
    {"\u2190", KindKeyboard, 0x50, 0x25},
    {"\u2192", KindKeyboard, 0x4F, 0x27},
    {"\u2191", KindKeyboard, 0x52, 0x26},
    {"\u2193", KindKeyboard, 0x51, 0x28},
    {"`", KindKeyboard, 0x35, 0xC0},
    {"-", KindKeyboard, 0x2D, 0xBD},
    {"=", KindKeyboard, 0x2E, 0xBB},
    {"LShift", KindModifier, 0x02, 0xA0},
    {"RShift", KindModifier, 0x20, 0xA1},
    {"LCtrl", KindModifier, 0x01, 0xA2},
    {"RCtrl", KindModifier, 0x10, 0xA3},
    {"LWin", KindModifier, 0x08, 0x5B},
    {"RWin", KindModifier, 0x80, 0x5C},
    {"LAlt", KindModifier, 0x04, 0xA4},
    {"RAlt", KindModifier, 0x40, 0xA5},
    {"APPs", KindKeyboard, 0x65, 0x5D},
    {"Space", KindKeyboard, 0x2C, 0x20},
    {"[", KindKeyboard, 0x2F, 0xDB},
    {"]", KindKeyboard, 0x30, 0xDD},
    {"\\", KindKeyboard, 0x31, 0xDC},
    {"Enter", KindKeyboard, 0x28, 0x0D},
    {";", KindKeyboard, 0x33, 0xBA},
    {"'", KindKeyboard, 0x34, 0xDE},
    {",", KindKeyboard, 0x36, 0xBC},
    {".", KindKeyboard, 0x37, 0xBE},
    {"/", KindKeyboard, 0x38, 0xBF},
    {"Num/", KindKeyboard, 0x54, 0x6F},
    {"Num*", KindKeyboard, 0x55, 0x6A},
    {"Num-", KindKeyboard, 0x56, 0x6D},
    {"Num+", KindKeyboard, 0x57, 0x6B},
    {"Num0", KindKeyboard, 0x62, 0x60},
    {"Num1", KindKeyboard, 0x59, 0x61},
    {"Num2", KindKeyboard, 0x5A, 0x62},
    {"Num3", KindKeyboard, 0x5B, 0x63},
    {"Num4", KindKeyboard, 0x5C, 0x64},
    {"Num5", KindKeyboard, 0x5D, 0x65},
    {"Num6", KindKeyboard, 0x5E, 0x66},
    {"Num7", KindKeyboard, 0x5F, 0x67},
    {"Num8", KindKeyboard, 0x60, 0x68},
    {"Num9", KindKeyboard, 0x61, 0x69},
    {"Num.", KindKeyboard, 0x63, 0x6E},
    // Keypad 5 with Num Lock off: recorded under the empty name.
    {"", KindKeyboard, 0x00, 0x0C},
    {"NumLock", KindKeyboard, 0x53, 0x90},
    {nullptr, KindMouseButton, 0x01, 0},
    {nullptr, KindMouseButton, 0x02, 0},
    {nullptr, KindMouseButton, 0x04, 0},
    {nullptr, KindMouseButton, 0x08, 0},
    {nullptr, KindMouseButton, 0x10, 0},
    {"F1", KindKeyboard, 0x3A, 0x70},
    {"F2", KindKeyboard, 0x3B, 0x71},
    {"F3", KindKeyboard, 0x3C, 0x72},
    {"F4", KindKeyboard, 0x3D, 0x73},
    {"F5", KindKeyboard, 0x3E, 0x74},
    {"F6", KindKeyboard, 0x3F, 0x75},
    {"F7", KindKeyboard, 0x40, 0x76},
    {"F8", KindKeyboard, 0x41, 0x77},
    {"F9", KindKeyboard, 0x42, 0x78},
    {"F10", KindKeyboard, 0x43, 0x79},
    {"F11", KindKeyboard, 0x44, 0x7A},
    {"F12", KindKeyboard, 0x45, 0x7B},
}};

std::array<QString, 5> MouseButtonNames;

namespace {

constexpr int VirtualKeyClear = 0x0C;
constexpr int VirtualKeyRightAlt = 0xA5;
constexpr int KeypadEnterUsage = 0x58;

// Button bit 0x01, 0x02, 0x04, 0x08, 0x10 -> entry 0 to 4; -1 for anything else.
int mouseButtonIndex(int code)
{
    for (int i = 0; i < 5; ++i) {
        if (code == (1 << i))
            return i;
    }
    return -1;
}

const KeyUsageRow* findRow(int kind, int code)
{
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.kind == kind && row.code == code)
            return &row;
    }
    return nullptr;
}

QString keyboardName(int code)
{
    const KeyUsageRow* row = findRow(KindKeyboard, code);
    return row ? KeyUsageRowName(*row) : QString();
}

QString modifierName(int code)
{
    const KeyUsageRow* row = findRow(KindModifier, code);
    return row ? KeyUsageRowName(*row) : QString();
}

// Two upper-case hex digits after "0x", nothing else; -1 when the text is not of that form.
int codeFromText(const QString& text)
{
    if (text.size() != 4 || !text.startsWith(QLatin1String("0x")))
        return -1;
    int value = 0;
    for (int i = 2; i < 4; ++i) {
        const ushort c = text.at(i).unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QString KeyUsageRowName(const KeyUsageRow& row)
{
    if (row.kind == KindMouseButton) {
        const int index = mouseButtonIndex(row.code);
        return index < 0 ? QString() : MouseButtonNames[index];
    }
    return QString::fromUtf8(row.name);
}

QString KeyCodeText(int code)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(code & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

const KeyUsageRow* FindKeyUsageRow(const QString& name, bool functionKeysFirst)
{
    const KeyUsageRow* mouseMatch = nullptr;
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (KeyUsageRowName(row) != name)
            continue;
        if (!functionKeysFirst || row.kind != KindMouseButton)
            return &row;
        // Remember the button; a function key further down takes precedence.
        if (!mouseMatch)
            mouseMatch = &row;
    }
    return mouseMatch;
}

QString KeyNameFromHidText(const QString& codeText, int kind)
{
    if (kind != KindKeyboard && kind != KindModifier && kind != KindMouseButton)
        return QString();
    const int code = codeFromText(codeText);
    if (code < 0)
        return QString();
    const KeyUsageRow* row = findRow(kind, code);
    return row ? KeyUsageRowName(*row) : QString();
}

QString KeyNameFromHidCode(int code, int kind)
{
    switch (code) {
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
        // Shared by a letter or digit and a modifier: only the kind tells them apart.
        if (kind == KindKeyboard)
            return keyboardName(code);
        if (kind == KindModifier)
            return modifierName(code);
        return QString();
    case 0x40:
        return kind == KindModifier ? modifierName(code) : keyboardName(code);
    case 0x01:
    case 0x02:
    case 0x80:
        return modifierName(code);
    case KeypadEnterUsage:
        return keyboardName(0x28);
    default:
        return keyboardName(code);
    }
}

QString MouseButtonName(int code)
{
    const int index = mouseButtonIndex(code);
    return index < 0 ? QString() : MouseButtonNames[index];
}

void WriteMacroEventKey(const QString& name, int index, MacroRecord* record)
{
    // An index past the record's slots would write into the neighbouring macro.
    if (!record || index < 0 || index >= int(sizeof(record->events) / sizeof(record->events[0])))
        return;
    KeyActionEvent& event = record->events[index];
    const KeyUsageRow* row = FindKeyUsageRow(name);
    if (!row) {
        event.kind = KindKeyboard;
        return;
    }
    event.kind = uint8_t(row->kind);
    event.usage = uint16_t(row->code);
}

QStringList HidTextFromKeyName(const QString& name)
{
    const KeyUsageRow* row = FindKeyUsageRow(name);
    if (!row)
        return {};
    return {KeyCodeText(row->code), QString::number(row->kind)};
}

QString KeyNameFromVirtualKey(int virtualKey, VirtualKeySet set)
{
    if (virtualKey == VirtualKeyClear || !VirtualKeyHasRow(virtualKey, set))
        return QString();
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.virtualKey == virtualKey)
            return KeyUsageRowName(row);
    }
    return QString();
}

bool VirtualKeyHasRow(int virtualKey, VirtualKeySet set)
{
    // 0 marks the rows without a virtual key (the mouse buttons).
    if (virtualKey <= 0)
        return false;
    const KeyUsageRow* found = nullptr;
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.virtualKey == virtualKey) {
            found = &row;
            break;
        }
    }
    if (!found)
        return false;
    switch (set) {
    case VirtualKeySet::Recorder:
        return true;
    case VirtualKeySet::KeyCapture:
        return virtualKey != VirtualKeyClear && virtualKey != VirtualKeyRightAlt;
    case VirtualKeySet::KeyCombination:
        return virtualKey != VirtualKeyClear && found->kind != KindModifier;
    }
    return false;
}

QStringList KeyCombinationNames(const QString& text)
{
    QStringList keys;
    if (text.isEmpty())
        return keys;
    const QStringList parts = text.split(QLatin1Char('+'));
    for (int i = 0; i < parts.size(); ++i) {
        if (parts.at(i) == QLatin1String("Num") && i + 1 < parts.size() && parts.at(i + 1).isEmpty()) {
            keys << QStringLiteral("Num+");
            ++i;
        } else {
            keys << parts.at(i);
        }
    }
    return keys;
}
