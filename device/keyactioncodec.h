#ifndef KEYACTIONCODEC_H
#define KEYACTIONCODEC_H

// The button page's key actions: a key combination text or a multimedia key turned into the
// KeyActionRecord a button replays, the key names of a stored record for its caption, and the
// key names of a macro file turned into macro events. Pure functions over the shared key
// vocabulary (device/keyusagetable.h); GUI thread.

#include "hidusb/flashdatamap.h"

#include <QString>

#include <optional>

// A record holds six events: a combination keeps its first three names.
constexpr int KeyCombinationMaxNames = 3;
// Every event of a key action waits this long (ms) before the next one.
constexpr int KeyActionEventDelay = 10;

// The function code stored with every key action, combination or multimedia key: (5, 0, 0).
constexpr ButtonFunctionCode KeyActionButtonCode{KeyActionFunction, 0, 0};

// Fills the press (event `index`) and the release (event 2 * count - 1 - index) of one name of a
// combination of `count` names: "Ctrl", "Shift", "Alt", "Win" as modifier bits, the keyboard
// names of KeyUsageTable as their usage, anything else as keyboard usage left as it was.
// Other bytes stay; an index or count that would reach past the record changes nothing.
KeyActionRecord& KeyCodeFromName(const QString& name, int index, int count, KeyActionRecord& record);

// The record of a combination text such as "Shift+A": presses in text order, releases reversed,
// everything past the events zero. An empty text is one empty name; past three names the rest
// is dropped.
KeyActionRecord ParseKeyCombination(const QString& text);

// The caption name of an event's code (its low byte) and kind: the modifier bits under the four
// generic words, so a combination reads back as the text it was written from.
QString KeyNameFromCode(int code, int kind);

// The caption of a stored combination: the names of its presses joined with "+". The count may
// come from any device or file: never more than three presses are named.
QString KeyCombinationCaption(const KeyActionRecord& record);

// Kind and usage of macro event `index` for a name of a macro file, as WriteMacroEventKey, but
// "F1" to "F12" win over a mouse-button name of the same text. Out-of-range index: no change.
void MacroKeyCodeFromName(const QString& name, int index, MacroRecord* record);

// One press and one release of a consumer usage, the rest of the record zero.
KeyActionRecord ConsumerKeyRecord(int usage);
// The record of the multimedia key of the catalogue (ConsumerKeyEntry) whose usage has this low
// byte; nothing for a byte that names none of them.
std::optional<KeyActionRecord> MultimediaKeyRecord(int lowByte);

#endif
