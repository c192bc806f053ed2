#ifndef FLASHDATAMAP_H
#define FLASHDATAMAP_H

// The mouse's settings image as the library hands it over: a fixed byte layout,
// little-endian, no padding. It travels byte for byte to the device and into files.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#pragma pack(push, 1)

struct DpiLevel {
    uint8_t code[3];   // DPI in the sensor's own encoding
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// The type byte of a ButtonFunctionCode.
enum ButtonFunctionType : uint8_t {
    NoFunction = 0,
    MouseButtonFunction = 1,
    DpiSwitchFunction = 2,
    HorizontalWheelFunction = 3,
    RapidFireFunction = 4,
    KeyActionFunction = 5,
    MacroFunction = 6,
    ReportRateSwitchFunction = 7,
    LightSwitchFunction = 8,
    ConfigSwitchFunction = 9,
    DpiLockFunction = 10,
    VerticalWheelFunction = 11,
};

struct ButtonFunctionCode {
    uint8_t type;
    uint8_t code;
    uint8_t parameter;
};

struct KeyActionEvent {
    uint8_t action;    // 0 press, 1 release
    uint8_t kind;      // 0 modifiers, 1 keyboard page, 2 consumer page, 4 mouse button
    uint16_t usage;
    uint32_t delay;    // milliseconds after the event
};

struct KeyActionRecord {
    uint32_t count;    // 0..6
    KeyActionEvent events[6];
};

struct MacroRecord {
    uint8_t nameLength;
    char name[30];     // local 8-bit code page
    uint8_t eventCount; // 0..70
    KeyActionEvent events[70];
};

struct DongleRGB {
    uint8_t mode;      // 1..3, 0 = not read yet
    uint8_t data[9];   // the library's, sent back unchanged
};

struct FlashDataMap {
    uint8_t reportRate;
    uint8_t dpiLevelCount;
    uint8_t currentDpiLevel;
    uint8_t configByte3;
    uint8_t configByte4;
    uint8_t lod;
    uint8_t debounceTime;
    uint8_t motionSync;
    uint8_t stopCloseTime;
    uint8_t straightLine;
    uint8_t rippeControl;
    uint8_t lightOffWhileMoving;
    uint8_t performance;
    uint8_t performanceOpen;
    uint8_t modelChoose;
    DpiLevel dpiLevels[8];
    uint8_t dpiEffectMode;
    uint8_t dpiEffectBrightness;
    uint8_t dpiEffectSpeed;
    uint8_t dpiEffectOn;
    uint8_t lightMode;
    uint8_t lightColor[3];
    uint8_t lightSpeed;
    uint8_t lightBrightness;
    uint8_t lightOn;
    ButtonFunctionCode buttonFunctions[16];
    uint8_t reserved[2];
    KeyActionRecord keyActions[16];
    MacroRecord macros[16];
};

#pragma pack(pop)

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the record layout is little-endian"
#endif

static_assert(std::is_trivially_copyable<FlashDataMap>::value, "the record is copied byte for byte");
static_assert(sizeof(DpiLevel) == 6, "DpiLevel");
static_assert(sizeof(ButtonFunctionCode) == 3, "ButtonFunctionCode");
static_assert(sizeof(KeyActionEvent) == 8, "KeyActionEvent");
static_assert(sizeof(KeyActionRecord) == 52, "KeyActionRecord");
static_assert(sizeof(MacroRecord) == 592, "MacroRecord");
static_assert(offsetof(MacroRecord, eventCount) == 31, "MacroRecord::eventCount");
static_assert(offsetof(MacroRecord, events) == 32, "MacroRecord::events");
static_assert(sizeof(DongleRGB) == 10, "DongleRGB");
static_assert(sizeof(FlashDataMap) == 10428, "FlashDataMap is 0x28BC bytes");

static_assert(offsetof(FlashDataMap, reportRate) == 0x000, "layout");
static_assert(offsetof(FlashDataMap, dpiLevelCount) == 0x001, "layout");
static_assert(offsetof(FlashDataMap, currentDpiLevel) == 0x002, "layout");
static_assert(offsetof(FlashDataMap, configByte3) == 0x003, "layout");
static_assert(offsetof(FlashDataMap, configByte4) == 0x004, "layout");
static_assert(offsetof(FlashDataMap, lod) == 0x005, "layout");
static_assert(offsetof(FlashDataMap, debounceTime) == 0x006, "layout");
static_assert(offsetof(FlashDataMap, motionSync) == 0x007, "layout");
static_assert(offsetof(FlashDataMap, stopCloseTime) == 0x008, "layout");
static_assert(offsetof(FlashDataMap, straightLine) == 0x009, "layout");
static_assert(offsetof(FlashDataMap, rippeControl) == 0x00A, "layout");
static_assert(offsetof(FlashDataMap, lightOffWhileMoving) == 0x00B, "layout");
static_assert(offsetof(FlashDataMap, performance) == 0x00C, "layout");
static_assert(offsetof(FlashDataMap, performanceOpen) == 0x00D, "layout");
static_assert(offsetof(FlashDataMap, modelChoose) == 0x00E, "layout");
static_assert(offsetof(FlashDataMap, dpiLevels) == 0x00F, "layout");
static_assert(offsetof(FlashDataMap, dpiEffectMode) == 0x03F, "layout");
static_assert(offsetof(FlashDataMap, dpiEffectBrightness) == 0x040, "layout");
static_assert(offsetof(FlashDataMap, dpiEffectSpeed) == 0x041, "layout");
static_assert(offsetof(FlashDataMap, dpiEffectOn) == 0x042, "layout");
static_assert(offsetof(FlashDataMap, lightMode) == 0x043, "layout");
static_assert(offsetof(FlashDataMap, lightColor) == 0x044, "layout");
static_assert(offsetof(FlashDataMap, lightSpeed) == 0x047, "layout");
static_assert(offsetof(FlashDataMap, lightBrightness) == 0x048, "layout");
static_assert(offsetof(FlashDataMap, lightOn) == 0x049, "layout");
static_assert(offsetof(FlashDataMap, buttonFunctions) == 0x04A, "layout");
static_assert(offsetof(FlashDataMap, reserved) == 0x07A, "layout");
static_assert(offsetof(FlashDataMap, keyActions) == 0x07C, "layout");
static_assert(offsetof(FlashDataMap, macros) == 0x3BC, "layout");

// A record that starts as all zero bytes, the state of every fresh record in the program.
inline FlashDataMap ZeroFlashDataMap()
{
    FlashDataMap m;
    std::memset(&m, 0, sizeof m);
    return m;
}

#endif
