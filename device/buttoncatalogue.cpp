#include "device/buttoncatalogue.h"

#include "core/configini.h"
#include "core/devicestate.h"

#include <QLatin1String>

#include <algorithm>

namespace {

using A = CatalogueAssign;
using P = SubListPage;

constexpr int none = -1;

// One row per entry: name, form caption, language position, main list, sub-list page, scroll
// row, how it assigns, type, code, param, consumer usage, DPI value.
constexpr CatalogueEntry mainEntry(const char* name, const char* caption, int position, int row, A assign,
                                   int type, int code, int param)
{
    return CatalogueEntry{name, caption, position, true, P::Default, row, assign, type, code, param, 0, 0};
}

constexpr CatalogueEntry opener(const char* name, const char* caption, int position, int row, P page)
{
    return CatalogueEntry{name, caption, position, true, page, row, A::OpensList, none, 0, 0, 0, 0};
}

constexpr CatalogueEntry subEntry(const char* name, const char* caption, int position, P page, int row, int type,
                                  int code)
{
    return CatalogueEntry{name, caption, position, false, page, row, A::Plain, type, code, 0, 0, 0};
}

constexpr CatalogueEntry consumer(const char* name, const char* caption, int position, int row, int usage)
{
    return CatalogueEntry{name,         caption, position, false, P::Multimedia, row, A::ConsumerKey,
                          KeyActionFunction, 0, 0, usage, 0};
}

constexpr CatalogueEntry dpiLock(const char* name, const char* caption, int row, int dpi)
{
    return CatalogueEntry{name, caption, none, false, P::DpiLock, row, A::DpiLock, DpiLockFunction, 0, 0, 0, dpi};
}

} // namespace

// The main rows' scroll rows are the menu's own (two openers share row 10, two row 15), not
// their list positions.
const std::array<CatalogueEntry, CatalogueEntryCount> ButtonCatalogue = {{
    mainEntry("LeftKey_3", "左键", 4, 0, A::Plain, MouseButtonFunction, 1, 0),
    mainEntry("nono", "右键", 5, 1, A::Plain, MouseButtonFunction, 2, 0),
    mainEntry("MidKey", "中键", 6, 2, A::Plain, MouseButtonFunction, 4, 0),
    mainEntry("BackKey_2", "后退键", 8, 3, A::Plain, MouseButtonFunction, 8, 0),
    mainEntry("ForWardKey", "前进键", 7, 4, A::Plain, MouseButtonFunction, 16, 0),
    mainEntry("DPI_2", "切换报告率", 10, 5, A::Plain, ReportRateSwitchFunction, 0, 0),
    mainEntry("DPI_3", "配置切换", 11, 6, A::Plain, ConfigSwitchFunction, 0, 0),
    mainEntry("DPI_6", "火力键", 12, 7, A::RapidFire, RapidFireFunction, RapidFireDefaultInterval,
              RapidFireDefaultCount),
    mainEntry("DPI_8", "组合键", 13, 8, A::KeyCombination, KeyActionFunction, 0, 0),
    mainEntry("DPI_5", "待定义按键", 14, 9, A::Plain, NoFunction, 0, 0),
    opener("DPI_13", "鼠标上/下滚", 15, 10, P::VerticalWheel),
    opener("DPI_11", "鼠标左/右滚", 16, 10, P::HorizontalWheel),
    opener("DPI_4", "DPI锁定", 21, 15, P::DpiLock),
    opener("DPI_9", "开关装饰灯", 18, 12, P::Lights),
    opener("DPI_7", "DPI切换", 19, 13, P::DpiSwitch),
    opener("DPI_12", "多媒体功能", 20, 16, P::Multimedia),
    opener("DPI_10", "宏定义", 17, 15, P::Macros),

    // Object names do not follow the usages: Mute sends Stop, VolumeUp sends Mute.
    consumer("Player", "播放器", 22, 0, 0x183),
    consumer("StartPause_2", "播放/暂停", 23, 1, 0x0CD),
    consumer("cccz", "下一曲", 24, 2, 0x0B5),
    consumer("TopMusic_2", "上一曲", 25, 3, 0x0B6),
    consumer("Mute", "停止播放", 26, 4, 0x0B7),
    consumer("VolumeUp", "静音", 27, 5, 0x0E2),
    consumer("VolumeDown", "音量加", 28, 6, 0x0E9),
    consumer("VolumeDown_4", "音量减", 29, 7, 0x0EA),
    consumer("VolumeDown_5", "邮件", 30, 8, 0x18A),
    consumer("VolumeDown_6", "计算器", 31, 9, 0x192),
    consumer("VolumeDown_3", "我的电脑", 32, 10, 0x194),
    consumer("VolumeDown_8", "主页", 51, 11, 0x223),
    consumer("VolumeDown_9", "搜索", 33, 12, 0x221),
    consumer("VolumeDown_7", "前进", 34, 13, 0x225),
    consumer("VolumeDown_10", "后退", 35, 14, 0x224),
    consumer("VolumeDown_12", "停止网页", 36, 15, 0x226),
    consumer("VolumeDown_13", "刷新", 37, 16, 0x227),
    consumer("VolumeDown_11", "收藏夹", 38, 17, 0x22A),

    // Light code 2 has no entry.
    subEntry("VolumeUp_4", "开/关所有装饰灯", 39, P::Lights, 0, LightSwitchFunction, 0),
    subEntry("VolumeUp_5", "开/关DPI指示灯", 40, P::Lights, 1, LightSwitchFunction, 1),
    subEntry("VolumeUp_6", "开/关灯带", 41, P::Lights, 2, LightSwitchFunction, 3),
    subEntry("VolumeUp_7", "循环切换灯带效果", 42, P::Lights, 3, LightSwitchFunction, 4),

    dpiLock("VolumeUp_11", "100", 0, 100),
    dpiLock("VolumeUp_12", "200", 1, 200),
    dpiLock("VolumeUp_13", "300", 2, 300),
    dpiLock("VolumeUp_16", "400", 3, 400),
    dpiLock("VolumeUp_15", "500", 4, 500),
    dpiLock("VolumeUp_19", "600", 5, 600),
    dpiLock("VolumeUp_20", "700", 6, 700),
    dpiLock("VolumeUp_22", "800", 7, 800),
    dpiLock("VolumeUp_18", "900", 8, 900),
    dpiLock("VolumeUp_24", "1000", 9, 1000),
    dpiLock("VolumeUp_23", "1100", 10, 1100),
    dpiLock("VolumeUp_21", "1200", 11, 1200),

    subEntry("VolumeUp_2", "左滚", 44, P::HorizontalWheel, 0, HorizontalWheelFunction, 1),
    subEntry("VolumeDown_2", "右滚", 45, P::HorizontalWheel, 1, HorizontalWheelFunction, 2),

    subEntry("VolumeUp_8", "DPI循环", 9, P::DpiSwitch, 0, DpiSwitchFunction, 1),
    subEntry("VolumeUp_9", "DPI+", none, P::DpiSwitch, 1, DpiSwitchFunction, 2),
    subEntry("VolumeUp_10", "DPI-", none, P::DpiSwitch, 2, DpiSwitchFunction, 3),

    subEntry("VolumeUp_14", "上滚", 46, P::VerticalWheel, 0, VerticalWheelFunction, 1),
    subEntry("VolumeDown_14", "下滚", 47, P::VerticalWheel, 1, VerticalWheelFunction, 2),
}};

const std::array<ButtonSlotRow, ButtonSlotCount> ButtonSlotMap = {{
    {"FireKey", "Number1", "label_14", 0, 0},
    {"RightKey", "Number2", "label_9", 1, 1},
    {"BackKey", "Number3", "label_15", 2, 2},
    {"StartPause", "Number4", "label_11", 4, 4},
    {"TopMusic", "Number5", "label_12", 3, 3},
    {"BackMusic", "Number6", "label_13", 5, 5},
    {"Button9", "Number7", "Key7", 6, 9},
    {"Button7", "Number8", "Key8", 7, 10},
    {"Button8", "Number9", "Key9", 8, 8},
}};

namespace {

constexpr int typeCount = 12;

// The main entry the menu checks for a type when no entry stands for the stored function
// itself; the mouse-button type has none.
const char* const mainEntryOfType[typeCount] = {
    "DPI_5", nullptr, "DPI_7", "DPI_11", "DPI_6", "DPI_8", "DPI_10", "DPI_2", "DPI_9", "DPI_3", "DPI_4", "DPI_13",
};

const CatalogueEntry* plainEntry(int type, int code)
{
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.assign == CatalogueAssign::Plain && entry.type == type && entry.code == code)
            return &entry;
    }
    return nullptr;
}

QString dpiPrefix(const QString& sensorName)
{
    return QStringLiteral("SENSOR_") + sensorName + QStringLiteral("_DPI");
}

bool sensorHasLines(const SensorDefinitionTable& table, const QString& prefix)
{
    for (const QString& name : table.names) {
        if (name.contains(prefix))
            return true;
    }
    return false;
}

} // namespace

const CatalogueEntry* FindCatalogueEntry(const QString& name)
{
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

const CatalogueEntry* SubListOpener(SubListPage page)
{
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.assign == CatalogueAssign::OpensList && entry.page == page)
            return &entry;
    }
    return nullptr;
}

const CatalogueEntry* ConsumerKeyEntry(int usageLowByte)
{
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.assign == CatalogueAssign::ConsumerKey && (entry.usage & 0xFF) == usageLowByte)
            return &entry;
    }
    return nullptr;
}

const CatalogueEntry* DpiLockEntry(int dpi)
{
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.assign == CatalogueAssign::DpiLock && entry.dpi == dpi)
            return &entry;
    }
    return nullptr;
}

bool IsConsumerKeyRecord(const KeyActionRecord& keys)
{
    return keys.events[0].kind == 2;
}

const CatalogueEntry* EntryForFunction(int type, int code, const KeyActionRecord& keys, int dpiValue)
{
    switch (type) {
    case NoFunction:
    case RapidFireFunction:
    case ReportRateSwitchFunction:
    case ConfigSwitchFunction:
        // Their code and parameter do not choose an entry.
        return FindCatalogueEntry(QLatin1String(mainEntryOfType[type]));
    case MouseButtonFunction:
    case DpiSwitchFunction:
    case HorizontalWheelFunction:
    case LightSwitchFunction:
    case VerticalWheelFunction:
        return plainEntry(type, code);
    case KeyActionFunction:
        if (IsConsumerKeyRecord(keys))
            return ConsumerKeyEntry(keys.events[0].usage & 0xFF);
        return FindCatalogueEntry(QStringLiteral("DPI_8"));
    case DpiLockFunction:
        return DpiLockEntry(dpiValue);
    default:
        return nullptr;
    }
}

CataloguePreCheck PreCheckForFunction(int type, int code, const KeyActionRecord& keys, int dpiValue)
{
    CataloguePreCheck check;
    if (type < 0 || type >= typeCount)
        return check;
    check.opens = true;

    const CatalogueEntry* entry = EntryForFunction(type, code, keys, dpiValue);
    if (entry && !entry->mainList) {
        check.subEntry = entry;
        check.subRow = entry->row;
        check.page = entry->page;
        check.mainEntry = SubListOpener(entry->page);
    } else if (entry) {
        check.mainEntry = entry;
    } else if (mainEntryOfType[type]) {
        // A function no entry stands for (a consumer usage outside the list counts as a key
        // combination) still checks the main entry of its type.
        check.mainEntry = FindCatalogueEntry(QLatin1String(mainEntryOfType[type]));
    }
    if (check.mainEntry) {
        check.mainRow = check.mainEntry->row;
        if (!check.subEntry)
            check.page = check.mainEntry->page;
    }
    return check;
}

int DeviceButtonOfSlot(int uiSlot)
{
    const ButtonSlotRow* row = SlotRow(uiSlot);
    return row ? row->deviceButton : -1;
}

int SlotOfDeviceButton(int deviceButton)
{
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        if (row.deviceButton == deviceButton)
            return row.uiSlot;
    }
    return -1;
}

const ButtonSlotRow* SlotRow(int uiSlot)
{
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        if (row.uiSlot == uiSlot)
            return &row;
    }
    return nullptr;
}

const CatalogueEntry* MacroDeletionDefault(int deviceButton)
{
    // By UI slot.
    static const char* const defaults[ButtonSlotCount] = {
        "LeftKey_3", "nono", "MidKey", "BackKey_2", "ForWardKey", "VolumeUp_8", "DPI_2", "VolumeUp_9", "VolumeUp_10",
    };
    const int slot = SlotOfDeviceButton(deviceButton);
    return slot < 0 ? nullptr : FindCatalogueEntry(QLatin1String(defaults[slot]));
}

ButtonFunctionCode FormResetFunction(int uiSlot)
{
    // Not the deletion defaults: slots 5 to 8 start as rapid fire, DPI up, DPI down and the
    // report-rate switch.
    static const ButtonFunctionCode functions[ButtonSlotCount] = {
        {MouseButtonFunction, 1, 0},  {MouseButtonFunction, 2, 0},  {MouseButtonFunction, 4, 0},
        {MouseButtonFunction, 8, 0},  {MouseButtonFunction, 16, 0}, {RapidFireFunction, 10, 0},
        {DpiSwitchFunction, 2, 0},    {DpiSwitchFunction, 3, 0},    {ReportRateSwitchFunction, 0, 0},
    };
    if (uiSlot < 0 || uiSlot >= ButtonSlotCount)
        return ButtonFunctionCode{NoFunction, 0, 0};
    return functions[uiSlot];
}

int DpiCodeFromValue(int value, const SensorDefinitionTable& table, const QString& sensorName)
{
    const QString prefix = dpiPrefix(sensorName);
    if (!sensorHasLines(table, prefix))
        return value / 50 - 1;
    const int at = table.names.indexOf(prefix + QLatin1Char('_') + QString::number(value));
    if (at >= 0 && at < table.values.size())
        return table.values.at(at);
    // No line of its own: value / 50, without the minus one; reading it back gives 0 unless
    // another line of the sensor has that code.
    return value / 50;
}

int DpiValueFromCode(int code, const SensorDefinitionTable& table, const QString& sensorName)
{
    const QString prefix = dpiPrefix(sensorName);
    const QString numbered = prefix + QLatin1Char('_');
    bool sensorListed = false;
    const int n = std::min(table.names.size(), table.values.size());
    for (int i = 0; i < n; ++i) {
        const QString& name = table.names.at(i);
        if (!name.contains(prefix))
            continue;
        sensorListed = true;
        if (table.values.at(i) != code)
            continue;
        // The number follows the sensor's prefix, not the first "I" of the name: a sensor
        // name may hold one itself.
        const int at = name.indexOf(numbered);
        if (at < 0)
            return 0;
        bool ok = false;
        const int value = name.mid(at + numbered.size()).toInt(&ok, 10);
        return ok ? value : 0;
    }
    return sensorListed ? 0 : (code + 1) * 50;
}

ButtonFunctionCode DpiLockBytes(int dpi, const SensorDefinitionTable& table, const QString& sensorName)
{
    const int code = DpiCodeFromValue(dpi, table, sensorName);
    return ButtonFunctionCode{DpiLockFunction, quint8(code & 0xFF), 0};
}

QString CurrentSensorName()
{
    const QString group = CurrentDeviceSection();
    return ConfigIni::instance()->value(group, QStringLiteral("Sensor"));
}
