#ifndef KEYUSAGETABLE_H
#define KEYUSAGETABLE_H

// The one key vocabulary of the macro editor and the button page: every key a macro or a key
// action can hold has one name, tied to its device code with its kind, its code text in the
// macro files and the Windows virtual key the keyboard source reports. One static table of
// 109 rows drives every lookup. GUI thread.

#include "hidusb/flashdatamap.h"

#include <QString>
#include <QStringList>

#include <array>

// The second byte of a key event: what the code means.
enum KeyEventKind : int {
    KindModifier = 0,    // a bit of the HID modifier byte
    KindKeyboard = 1,    // a usage of the HID Keyboard/Keypad page
    KindConsumer = 2,    // a usage of the HID Consumer page (not in this table)
    KindMouseButton = 4, // a mouse button bit
};

struct KeyUsageRow {
    const char* name; // UTF-8; the arrows are single Unicode characters, one row has "";
                      // nullptr for the mouse buttons (see KeyUsageRowName)
    int kind;
    int code;
    int virtualKey; // 0: none (mouse buttons; their names come from MouseButtonNames)
};

constexpr int KeyUsageRowCount = 109;
extern const std::array<KeyUsageRow, KeyUsageRowCount> KeyUsageTable;

// Left, right, middle, back and forward button; empty until the macro page applies a language.
extern std::array<QString, 5> MouseButtonNames;

QString KeyNameFromHidText(const QString& codeText, int kind);
QString KeyNameFromHidCode(int code, int kind);
QString MouseButtonName(int code);
// Kind byte and 16-bit usage of event `index` (bytes 33 + 8 * index and 34 + 8 * index).
void WriteMacroEventKey(const QString& name, int index, MacroRecord* record);
// {"0x2B", "1"} for "Tab"; empty for a name without a row.
QStringList HidTextFromKeyName(const QString& name);

// The row's name: the current MouseButtonNames entry for a mouse button.
QString KeyUsageRowName(const KeyUsageRow& row);
// "0x" and the code's low byte as two upper-case hex digits, the form of the macro files.
QString KeyCodeText(int code);
// The first row whose name equals `name` (exact, case-sensitive) in the table's order, which is
// the match order of the name lookups; nullptr when none does. With functionKeysFirst "F1" to
// "F12" win over a mouse-button name of the same text (the button page's key codec).
const KeyUsageRow* FindKeyUsageRow(const QString& name, bool functionKeysFirst = false);

// The key names of a combination text such as "Shift+A": its parts between "+", where "Num"
// followed by an empty part is the one key "Num+" ("A+Num++B" names A, Num+ and B). Any other
// empty part counts as a name of its own, so a malformed text is never taken for a short one.
QStringList KeyCombinationNames(const QString& text);

// Which names a virtual key may take.
enum class VirtualKeySet {
    Recorder,       // every row with a virtual key (104 names, 0x0C the empty one)
    KeyCapture,     // the key capture dialog: 102 names, right Alt ""
    KeyCombination, // the key combination dialog: 95 names, no modifiers
};
// The name of a virtual key in a set; "" for a key without a name there (0x0C is always "").
QString KeyNameFromVirtualKey(int virtualKey, VirtualKeySet set);
// True when the set names the virtual key (0x0C counts for the recorder: it records "").
bool VirtualKeyHasRow(int virtualKey, VirtualKeySet set);

#endif
