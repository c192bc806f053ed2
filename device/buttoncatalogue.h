#ifndef BUTTONCATALOGUE_H
#define BUTTONCATALOGUE_H

// The button page's function catalogue: every function a mouse button can be given, the
// entry of the function menu that assigns it, its caption position and where the menu shows
// it. One static table drives the assignment commands, the caption builder and the menu's
// pre-check; functions are found by their bytes, never by entry names. Also the fixed map of
// the nine selectors to UI slots and device buttons, the functions a button falls back to,
// and the DPI codes of the DPI lock. GUI thread.

#include "device/sensordefinitions.h"
#include "hidusb/flashdatamap.h"

#include <QString>

#include <array>

// Pages of the menu's sub-list panel, valued by their index in the panel.
enum class SubListPage : int {
    Multimedia = 0,
    Macros = 1,
    Lights = 2,
    DpiLock = 3,
    Default = 4, // the debounce frame: no sub-list
    HorizontalWheel = 5,
    DpiSwitch = 6,
    VerticalWheel = 7,
};

// How an entry's click assigns its function.
enum class CatalogueAssign : int {
    Plain,          // the row's three bytes as they stand
    OpensList,      // no function: shows the sub-list page of the row
    RapidFire,      // type 4 with interval and count from the rapid-fire dialog
    KeyCombination, // (5, 0, 0) with the keys of the key combination dialog
    ConsumerKey,    // (5, 0, 0) with the consumer-key record of the row's usage
    DpiLock,        // (10, low byte of DpiCodeFromValue(row's dpi), 0)
};

struct CatalogueEntry {
    const char* name;        // object name of the menu entry
    const char* formCaption; // UTF-8; the caption until a language is applied
    int position;            // in the page's language table; -1: keeps its form caption
    bool mainList;           // in the main list, else in the sub-list of `page`
    SubListPage page;        // sub-list shown while the entry is checked
    int row;                 // scroll row: main list (15 px per row) or its own sub-list
    CatalogueAssign assign;
    int type;                // function bytes; for RapidFire the dialog's defaults,
    int code;                //   for DpiLock the code is computed from `dpi`
    int param;
    int usage;               // ConsumerKey: the full 16-bit consumer usage
    int dpi;                 // DpiLock: the locked DPI value
};

constexpr int CatalogueMainCount = 17;
constexpr int CatalogueSubListCount = 41;
constexpr int CatalogueEntryCount = CatalogueMainCount + CatalogueSubListCount;
// The main list in list order, then the sub-lists, each in its own list order.
extern const std::array<CatalogueEntry, CatalogueEntryCount> ButtonCatalogue;

// Texts of the page's language table that belong to the catalogue without an entry.
constexpr int MacroCaptionPrefixPosition = 48;
constexpr int ProfileEntryPrefixPosition = 49;
// Defaults of the rapid-fire dialog.
constexpr int RapidFireDefaultInterval = 10;
constexpr int RapidFireDefaultCount = 3;

// The entry with this object name, nullptr for none.
const CatalogueEntry* FindCatalogueEntry(const QString& name);
// The main entry that opens a sub-list, nullptr for the default page.
const CatalogueEntry* SubListOpener(SubListPage page);
// The multimedia entry whose usage has this low byte, nullptr for none.
const CatalogueEntry* ConsumerKeyEntry(int usageLowByte);
// The DPI lock entry of this DPI value, nullptr for none.
const CatalogueEntry* DpiLockEntry(int dpi);

// True when a key-action record holds a consumer key rather than a key combination.
bool IsConsumerKeyRecord(const KeyActionRecord& keys);

// The entry that stands for a stored function; nullptr when none does (an unknown code, a
// light code 2, a consumer usage outside the list, a DPI lock value outside the list, a
// macro, a type above 11). keys is the button's record (read for type 5 only); dpiValue is
// DpiValueFromCode(code) (read for type 10 only). A key combination gives its dialog entry.
const CatalogueEntry* EntryForFunction(int type, int code, const KeyActionRecord& keys, int dpiValue);

// What the function menu checks when it opens on a button's function.
struct CataloguePreCheck {
    bool opens = false;                        // false for a type outside 0 to 11
    SubListPage page = SubListPage::Default;
    const CatalogueEntry* mainEntry = nullptr; // nullptr: no main entry checked
    int mainRow = 0;                           // scroll row of the main list
    const CatalogueEntry* subEntry = nullptr;  // nullptr: no sub-list entry checked
    int subRow = 0;                            // scroll row of its sub-list (0 without one)
};
// Same arguments as EntryForFunction. For a macro the macro button is the page's to find.
CataloguePreCheck PreCheckForFunction(int type, int code, const KeyActionRecord& keys, int dpiValue);

// The nine selectors, in their row order from the top of the selector list.
struct ButtonSlotRow {
    const char* selector;
    const char* numberLabel; // the spot on the mouse picture
    const char* rowLabel;
    int uiSlot;
    int deviceButton;
};
constexpr int ButtonSlotCount = 9;
extern const std::array<ButtonSlotRow, ButtonSlotCount> ButtonSlotMap;

// -1 for a slot or device button outside the map.
int DeviceButtonOfSlot(int uiSlot);
int SlotOfDeviceButton(int deviceButton);
// The row of a UI slot, nullptr outside 0 to 8.
const ButtonSlotRow* SlotRow(int uiSlot);

// The function given back to a device button whose macro is deleted (when no device default
// of Config.ini applies): the entry that assigns it, nullptr for a button outside the map.
const CatalogueEntry* MacroDeletionDefault(int deviceButton);
// The function the form reset puts into the page's cache for a UI slot (the captions the
// page shows before any record is loaded); type 0 outside 0 to 8. Its parameter is not kept.
ButtonFunctionCode FormResetFunction(int uiSlot);

// DPI codes of the DPI lock for a sensor, from a sensor definitions table. A sensor without
// table lines computes codes: value / 50 - 1 and back (code + 1) * 50.
int DpiCodeFromValue(int value, const SensorDefinitionTable& table, const QString& sensorName);
// 0 when the sensor has table lines but none with this code.
int DpiValueFromCode(int code, const SensorDefinitionTable& table, const QString& sensorName);
// The bytes of a DPI lock: the record keeps the low byte of the code; the page's cache keeps
// the whole DpiCodeFromValue result.
ButtonFunctionCode DpiLockBytes(int dpi, const SensorDefinitionTable& table, const QString& sensorName);

// The "Sensor" key of the chosen device's section in Config.ini ("" when missing).
QString CurrentSensorName();

#endif
