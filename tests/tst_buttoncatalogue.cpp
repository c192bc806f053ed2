#include "core/devicestate.h"
#include "device/buttoncatalogue.h"
#include "device/sensordefinitions.h"
#include "helpers/testenv.h"

#include <QSet>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(SubListPage)
Q_DECLARE_METATYPE(CatalogueAssign)

namespace {

enum class Direction { ToCode, ToValue, LockByte };

// Small sensor tables by name. "T" lacks 700 and maps 1600 to 0x20; "PIXI" has capital
// I's in the sensor name.
SensorDefinitionTable table(const QString& which)
{
    QList<QPair<QString, qint32>> lines;
    if (which == QLatin1String("T")) {
        lines = {{"SENSOR_T_DPI_100", 0x10}, {"SENSOR_T_DPI_400", 5},     {"SENSOR_T_DPI_800", 0x1E},
                 {"SENSOR_T_DPI_400", 9},    {"SENSOR_T_DPI_1600", 0x20}, {"SENSOR_T_DPI_450", 0x30},
                 {"SENSOR_T_DPI_500", 0x30}, {"SENSOR_T_DPI_300", 0x1FF}, {"SENSOR_T_DPI_MAX", 0x40}};
    } else if (which == QLatin1String("PIXI")) {
        lines = {{"SENSOR_PIXI_DPI_1600", 0x20}};
    } else if (which == QLatin1String("other")) {
        lines = {{"SENSOR_B_DPI_800", 5}, {"SENSOR_TX_DPI_800", 6}};
    }
    SensorDefinitionTable t;
    for (const auto& line : lines) {
        t.names.append(line.first);
        t.values.append(line.second);
    }
    return t;
}

QString nameOf(const CatalogueEntry* entry)
{
    return entry ? QString::fromLatin1(entry->name) : QString();
}

KeyActionRecord keyRecord(int kind, int usage)
{
    KeyActionRecord keys;
    std::memset(&keys, 0, sizeof keys);
    keys.count = 2;
    keys.events[0].kind = quint8(kind);
    keys.events[0].usage = quint16(usage);
    keys.events[1] = keys.events[0];
    keys.events[1].action = 1;
    return keys;
}

} // namespace

Q_DECLARE_METATYPE(Direction)

class TestButtonCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void dpiCodes_data();
    void dpiCodes();
    void installationSensor_data();
    void installationSensor();

    void tableShape();
    void entries_data();
    void entries();
    void everyFunctionFindsItsEntry();
    void lookupByBytes_data();
    void lookupByBytes();

    void slotMap_data();
    void slotMap();
    void outsideTheMap();
    void deletionDefaults_data();
    void deletionDefaults();
    void formReset_data();
    void formReset();
};

void TestButtonCatalogue::dpiCodes_data()
{
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("expected");

    const auto code = Direction::ToCode;
    const auto value = Direction::ToValue;
    const auto lock = Direction::LockByte;

    QTest::newRow("no table: 800 to code") << "" << "T" << code << 800 << 15;
    QTest::newRow("no table: 100 to code") << "" << "T" << code << 100 << 1;
    QTest::newRow("no table: 1200 to code") << "" << "T" << code << 1200 << 23;
    QTest::newRow("no table: 15 to value") << "" << "T" << value << 15 << 800;
    QTest::newRow("no table: 0 to value") << "" << "T" << value << 0 << 50;
    QTest::newRow("other sensors' lines only") << "other" << "T" << code << 800 << 15;
    QTest::newRow("other sensors' lines only, back") << "other" << "T" << value << 5 << 300;
    QTest::newRow("prefix is case-sensitive") << "T" << "t" << code << 800 << 15;
    QTest::newRow("empty sensor name") << "T" << "" << value << 15 << 800;

    QTest::newRow("table: 800") << "T" << "T" << code << 800 << 0x1E;
    QTest::newRow("table: 1600 to code") << "T" << "T" << code << 1600 << 0x20;
    QTest::newRow("table: 0x20 to value") << "T" << "T" << value << 0x20 << 1600;
    QTest::newRow("table without 700: to code") << "T" << "T" << code << 700 << 14;
    QTest::newRow("table without 700: back") << "T" << "T" << value << 14 << 0;
    QTest::newRow("first of two lines of a value") << "T" << "T" << code << 400 << 5;
    QTest::newRow("second line still read back") << "T" << "T" << value << 9 << 400;
    QTest::newRow("first of two lines of a code") << "T" << "T" << value << 0x30 << 450;
    QTest::newRow("name without a number") << "T" << "T" << value << 0x40 << 0;
    QTest::newRow("capital I in the sensor name") << "PIXI" << "PIXI" << value << 0x20 << 1600;

    QTest::newRow("lock byte of a table code") << "T" << "T" << lock << 1600 << 0x20;
    QTest::newRow("lock byte keeps the low byte") << "T" << "T" << lock << 300 << 0xFF;
    QTest::newRow("lock byte, computed") << "" << "T" << lock << 1200 << 23;
}

void TestButtonCatalogue::dpiCodes()
{
    QFETCH(QString, tableName);
    QFETCH(QString, sensor);
    QFETCH(Direction, direction);
    QFETCH(int, input);
    QFETCH(int, expected);

    const SensorDefinitionTable t = table(tableName);
    switch (direction) {
    case Direction::ToCode:
        QCOMPARE(DpiCodeFromValue(input, t, sensor), expected);
        break;
    case Direction::ToValue:
        QCOMPARE(DpiValueFromCode(input, t, sensor), expected);
        break;
    case Direction::LockByte: {
        const ButtonFunctionCode f = DpiLockBytes(input, t, sensor);
        QCOMPARE(int(f.type), int(DpiLockFunction));
        QCOMPARE(int(f.code), expected);
        QCOMPARE(int(f.parameter), 0);
        break;
    }
    }
}

void TestButtonCatalogue::installationSensor_data()
{
    QTest::addColumn<int>("deviceIndex");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("code");

    QTest::newRow("VXP3311 800") << 0 << "VXP3311" << 800 << 0x1E;
    QTest::newRow("VXP3311 1200") << 0 << "VXP3311" << 1200 << 0x26;
    QTest::newRow("3395 computes") << 1 << "3395" << 800 << 15;
}

void TestButtonCatalogue::installationSensor()
{
    QFETCH(int, deviceIndex);
    QFETCH(QString, sensor);
    QFETCH(int, dpi);
    QFETCH(int, code);

    TestEnv::Installation installation;
    LoadSensorDefinitions();
    DeviceAllInfo device;
    device.DriveIndex = quint32(deviceIndex);
    CurrentDevice.set(device);

    const QString name = CurrentSensorName();
    CurrentDevice.set(DeviceAllInfo());
    const SensorDefinitionTable t = SensorDefineTable;
    SensorDefineTable = SensorDefinitionTable();

    QCOMPARE(name, sensor);
    QCOMPARE(DpiCodeFromValue(dpi, t, name), code);
    QCOMPARE(DpiValueFromCode(code, t, name), dpi);
}

void TestButtonCatalogue::tableShape()
{
    QSet<QString> names;
    QSet<int> positions;
    QSet<int> lowBytes;
    QSet<int> lockValues;
    for (int i = 0; i < CatalogueEntryCount; ++i) {
        const CatalogueEntry& entry = ButtonCatalogue.at(i);
        QVERIFY2(!names.contains(QLatin1String(entry.name)), entry.name);
        names.insert(QLatin1String(entry.name));
        if (entry.position >= 0) {
            QVERIFY2(!positions.contains(entry.position), entry.name);
            positions.insert(entry.position);
        }
        // The main list comes first, in list order.
        QCOMPARE(entry.mainList, i < CatalogueMainCount);
        if (entry.assign == CatalogueAssign::ConsumerKey) {
            QVERIFY2(!lowBytes.contains(entry.usage & 0xFF), entry.name);
            lowBytes.insert(entry.usage & 0xFF);
        }
        if (entry.assign == CatalogueAssign::DpiLock)
            lockValues.insert(entry.dpi);
        QCOMPARE(FindCatalogueEntry(QLatin1String(entry.name)), &entry);
    }
    QCOMPARE(lowBytes.size(), 18);
    QCOMPARE(lockValues.size(), 12);
    QCOMPARE(nameOf(&ButtonCatalogue.at(0)), QStringLiteral("LeftKey_3"));
    QCOMPARE(nameOf(&ButtonCatalogue.at(CatalogueMainCount - 1)), QStringLiteral("DPI_10"));
    QCOMPARE(FindCatalogueEntry(QStringLiteral("DPI")), nullptr);
    QCOMPARE(FindCatalogueEntry(QStringLiteral("dpi_5")), nullptr);
    QCOMPARE(SubListOpener(SubListPage::Default), nullptr);
}

void TestButtonCatalogue::entries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("position");
    QTest::addColumn<SubListPage>("page");
    QTest::addColumn<int>("row");
    QTest::addColumn<CatalogueAssign>("assign");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("param");
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("dpi");

    using A = CatalogueAssign;
    using P = SubListPage;
    QTest::newRow("no function") << "DPI_5" << "待定义按键" << 14 << P::Default << 9 << A::Plain << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("left") << "LeftKey_3" << "左键" << 4 << P::Default << 0 << A::Plain << 1 << 1 << 0 << 0 << 0;
    QTest::newRow("forward") << "ForWardKey" << "前进键" << 7 << P::Default << 4 << A::Plain << 1 << 16 << 0 << 0 << 0;
    QTest::newRow("DPI cycle") << "VolumeUp_8" << "DPI循环" << 9 << P::DpiSwitch << 0 << A::Plain << 2 << 1 << 0 << 0 << 0;
    QTest::newRow("DPI up") << "VolumeUp_9" << "DPI+" << -1 << P::DpiSwitch << 1 << A::Plain << 2 << 2 << 0 << 0 << 0;
    QTest::newRow("scroll right") << "VolumeDown_2" << "右滚" << 45 << P::HorizontalWheel << 1 << A::Plain << 3 << 2 << 0
                                  << 0 << 0;
    QTest::newRow("rapid fire") << "DPI_6" << "火力键" << 12 << P::Default << 7 << A::RapidFire << 4 << 10 << 3 << 0 << 0;
    QTest::newRow("key combination") << "DPI_8" << "组合键" << 13 << P::Default << 8 << A::KeyCombination << 5 << 0 << 0
                                     << 0 << 0;
    QTest::newRow("Mute sends Stop") << "Mute" << "停止播放" << 26 << P::Multimedia << 4 << A::ConsumerKey << 5 << 0 << 0
                                     << 0x0B7 << 0;
    QTest::newRow("VolumeUp sends Mute") << "VolumeUp" << "静音" << 27 << P::Multimedia << 5 << A::ConsumerKey << 5 << 0
                                         << 0 << 0x0E2 << 0;
    QTest::newRow("home at position 51") << "VolumeDown_8" << "主页" << 51 << P::Multimedia << 11 << A::ConsumerKey << 5
                                         << 0 << 0 << 0x223 << 0;
    QTest::newRow("macro list") << "DPI_10" << "宏定义" << 17 << P::Macros << 15 << A::OpensList << -1 << 0 << 0 << 0 << 0;
    QTest::newRow("report rate") << "DPI_2" << "切换报告率" << 10 << P::Default << 5 << A::Plain << 7 << 0 << 0 << 0 << 0;
    QTest::newRow("light strip") << "VolumeUp_6" << "开/关灯带" << 41 << P::Lights << 2 << A::Plain << 8 << 3 << 0 << 0 << 0;
    QTest::newRow("config switch") << "DPI_3" << "配置切换" << 11 << P::Default << 6 << A::Plain << 9 << 0 << 0 << 0 << 0;
    QTest::newRow("DPI lock list") << "DPI_4" << "DPI锁定" << 21 << P::DpiLock << 15 << A::OpensList << -1 << 0 << 0 << 0
                                   << 0;
    QTest::newRow("DPI lock 900") << "VolumeUp_18" << "900" << -1 << P::DpiLock << 8 << A::DpiLock << 10 << 0 << 0 << 0
                                  << 900;
    QTest::newRow("scroll down") << "VolumeDown_14" << "下滚" << 47 << P::VerticalWheel << 1 << A::Plain << 11 << 2 << 0
                                 << 0 << 0;
}

void TestButtonCatalogue::entries()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, position);
    QFETCH(SubListPage, page);
    QFETCH(int, row);
    QFETCH(CatalogueAssign, assign);
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, param);
    QFETCH(int, usage);
    QFETCH(int, dpi);

    const CatalogueEntry* entry = FindCatalogueEntry(name);
    QVERIFY(entry);
    QCOMPARE(QString::fromUtf8(entry->formCaption), caption);
    QCOMPARE(entry->position, position);
    QCOMPARE(entry->page, page);
    QCOMPARE(entry->row, row);
    QCOMPARE(entry->assign, assign);
    QCOMPARE(entry->type, type);
    QCOMPARE(entry->code, code);
    QCOMPARE(entry->param, param);
    QCOMPARE(entry->usage, usage);
    QCOMPARE(entry->dpi, dpi);
}

void TestButtonCatalogue::everyFunctionFindsItsEntry()
{
    // The caption builder and the pre-check find each assigning entry back from the bytes it
    // writes (a DPI lock through its value, a consumer key through its record).
    const KeyActionRecord none = keyRecord(1, 0x04);
    int found = 0;
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.assign == CatalogueAssign::OpensList)
            continue;
        const KeyActionRecord keys = entry.assign == CatalogueAssign::ConsumerKey ? keyRecord(2, entry.usage) : none;
        QCOMPARE(nameOf(EntryForFunction(entry.type, entry.code, keys, entry.dpi)), QLatin1String(entry.name));
        ++found;
    }
    QCOMPARE(found, 51);
}

void TestButtonCatalogue::lookupByBytes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("keyKind");
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("dpiValue");
    QTest::addColumn<QString>("entry"); // EntryForFunction, "" for none
    QTest::addColumn<bool>("opens");
    QTest::addColumn<SubListPage>("page");
    QTest::addColumn<QString>("mainEntry");
    QTest::addColumn<int>("mainRow");
    QTest::addColumn<QString>("subEntry");
    QTest::addColumn<int>("subRow");

    using P = SubListPage;
    QTest::newRow("no function, any code") << 0 << 7 << 0 << 0 << 0 << "DPI_5" << true << P::Default << "DPI_5" << 9 << ""
                                           << 0;
    QTest::newRow("forward") << 1 << 16 << 0 << 0 << 0 << "ForWardKey" << true << P::Default << "ForWardKey" << 4 << "" << 0;
    QTest::newRow("unknown mouse button") << 1 << 3 << 0 << 0 << 0 << "" << true << P::Default << "" << 0 << "" << 0;
    QTest::newRow("DPI down") << 2 << 3 << 0 << 0 << 0 << "VolumeUp_10" << true << P::DpiSwitch << "DPI_7" << 13
                              << "VolumeUp_10" << 2;
    QTest::newRow("unknown DPI step") << 2 << 9 << 0 << 0 << 0 << "" << true << P::DpiSwitch << "DPI_7" << 13 << "" << 0;
    QTest::newRow("scroll left") << 3 << 1 << 0 << 0 << 0 << "VolumeUp_2" << true << P::HorizontalWheel << "DPI_11" << 10
                                 << "VolumeUp_2" << 0;
    QTest::newRow("rapid fire") << 4 << 10 << 0 << 0 << 0 << "DPI_6" << true << P::Default << "DPI_6" << 7 << "" << 0;
    QTest::newRow("consumer 0xEA") << 5 << 0 << 2 << 0x0EA << 0 << "VolumeDown_4" << true << P::Multimedia << "DPI_12" << 16
                                   << "VolumeDown_4" << 7;
    QTest::newRow("consumer 0x221") << 5 << 0 << 2 << 0x221 << 0 << "VolumeDown_9" << true << P::Multimedia << "DPI_12"
                                    << 16 << "VolumeDown_9" << 12;
    QTest::newRow("consumer outside the list") << 5 << 0 << 2 << 0x2FF << 0 << "" << true << P::Default << "DPI_8" << 8
                                               << "" << 0;
    QTest::newRow("keyboard usage 0x21") << 5 << 0 << 1 << 0x21 << 0 << "DPI_8" << true << P::Default << "DPI_8" << 8 << ""
                                         << 0;
    QTest::newRow("macro") << 6 << 10 << 0 << 0 << 0 << "" << true << P::Macros << "DPI_10" << 15 << "" << 0;
    QTest::newRow("report rate") << 7 << 0 << 0 << 0 << 0 << "DPI_2" << true << P::Default << "DPI_2" << 5 << "" << 0;
    QTest::newRow("light strip") << 8 << 3 << 0 << 0 << 0 << "VolumeUp_6" << true << P::Lights << "DPI_9" << 12
                                 << "VolumeUp_6" << 2;
    QTest::newRow("light effect") << 8 << 4 << 0 << 0 << 0 << "VolumeUp_7" << true << P::Lights << "DPI_9" << 12
                                  << "VolumeUp_7" << 3;
    QTest::newRow("light code 2") << 8 << 2 << 0 << 0 << 0 << "" << true << P::Lights << "DPI_9" << 12 << "" << 0;
    QTest::newRow("config switch") << 9 << 0 << 0 << 0 << 0 << "DPI_3" << true << P::Default << "DPI_3" << 6 << "" << 0;
    QTest::newRow("DPI lock 900") << 10 << 0x20 << 0 << 0 << 900 << "VolumeUp_18" << true << P::DpiLock << "DPI_4" << 15
                                  << "VolumeUp_18" << 8;
    QTest::newRow("DPI lock outside the list") << 10 << 0 << 0 << 0 << 50 << "" << true << P::DpiLock << "DPI_4" << 15
                                               << "" << 0;
    QTest::newRow("scroll down") << 11 << 2 << 0 << 0 << 0 << "VolumeDown_14" << true << P::VerticalWheel << "DPI_13"
                                 << 10 << "VolumeDown_14" << 1;
    QTest::newRow("type 12") << 12 << 0 << 0 << 0 << 0 << "" << false << P::Default << "" << 0 << "" << 0;
    QTest::newRow("type 255") << 255 << 1 << 0 << 0 << 0 << "" << false << P::Default << "" << 0 << "" << 0;
    QTest::newRow("negative type") << -1 << 1 << 0 << 0 << 0 << "" << false << P::Default << "" << 0 << "" << 0;
}

void TestButtonCatalogue::lookupByBytes()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, keyKind);
    QFETCH(int, usage);
    QFETCH(int, dpiValue);
    QFETCH(QString, entry);
    QFETCH(bool, opens);
    QFETCH(SubListPage, page);
    QFETCH(QString, mainEntry);
    QFETCH(int, mainRow);
    QFETCH(QString, subEntry);
    QFETCH(int, subRow);

    const KeyActionRecord keys = keyRecord(keyKind, usage);
    QCOMPARE(nameOf(EntryForFunction(type, code, keys, dpiValue)), entry);

    const CataloguePreCheck check = PreCheckForFunction(type, code, keys, dpiValue);
    QCOMPARE(check.opens, opens);
    QCOMPARE(check.page, page);
    QCOMPARE(nameOf(check.mainEntry), mainEntry);
    QCOMPARE(check.mainRow, mainRow);
    QCOMPARE(nameOf(check.subEntry), subEntry);
    QCOMPARE(check.subRow, subRow);
}

void TestButtonCatalogue::slotMap_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("numberLabel");
    QTest::addColumn<QString>("rowLabel");
    QTest::addColumn<int>("uiSlot");
    QTest::addColumn<int>("deviceButton");

    QTest::newRow("FireKey") << 0 << "FireKey" << "Number1" << "label_14" << 0 << 0;
    QTest::newRow("RightKey") << 1 << "RightKey" << "Number2" << "label_9" << 1 << 1;
    QTest::newRow("BackKey") << 2 << "BackKey" << "Number3" << "label_15" << 2 << 2;
    QTest::newRow("StartPause") << 3 << "StartPause" << "Number4" << "label_11" << 4 << 4;
    QTest::newRow("TopMusic") << 4 << "TopMusic" << "Number5" << "label_12" << 3 << 3;
    QTest::newRow("BackMusic") << 5 << "BackMusic" << "Number6" << "label_13" << 5 << 5;
    QTest::newRow("Button9") << 6 << "Button9" << "Number7" << "Key7" << 6 << 9;
    QTest::newRow("Button7") << 7 << "Button7" << "Number8" << "Key8" << 7 << 10;
    QTest::newRow("Button8") << 8 << "Button8" << "Number9" << "Key9" << 8 << 8;
}

void TestButtonCatalogue::slotMap()
{
    QFETCH(int, row);
    QFETCH(QString, selector);
    QFETCH(QString, numberLabel);
    QFETCH(QString, rowLabel);
    QFETCH(int, uiSlot);
    QFETCH(int, deviceButton);

    const ButtonSlotRow& r = ButtonSlotMap.at(row);
    QCOMPARE(QLatin1String(r.selector), selector);
    QCOMPARE(QLatin1String(r.numberLabel), numberLabel);
    QCOMPARE(QLatin1String(r.rowLabel), rowLabel);
    QCOMPARE(r.uiSlot, uiSlot);
    QCOMPARE(r.deviceButton, deviceButton);
    QCOMPARE(DeviceButtonOfSlot(uiSlot), deviceButton);
    QCOMPARE(SlotOfDeviceButton(deviceButton), uiSlot);
    QCOMPARE(SlotRow(uiSlot), &r);
}

void TestButtonCatalogue::outsideTheMap()
{
    for (int button : {-1, 6, 7, 11, 15, 16})
        QCOMPARE(SlotOfDeviceButton(button), -1);
    for (int slot : {-1, 9})
        QCOMPARE(DeviceButtonOfSlot(slot), -1);
    QCOMPARE(SlotRow(9), nullptr);
}

void TestButtonCatalogue::deletionDefaults_data()
{
    QTest::addColumn<int>("deviceButton");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");

    QTest::newRow("0 left") << 0 << "LeftKey_3" << 1 << 1;
    QTest::newRow("1 right") << 1 << "nono" << 1 << 2;
    QTest::newRow("2 middle") << 2 << "MidKey" << 1 << 4;
    QTest::newRow("3 back") << 3 << "BackKey_2" << 1 << 8;
    QTest::newRow("4 forward") << 4 << "ForWardKey" << 1 << 16;
    QTest::newRow("5 DPI cycle") << 5 << "VolumeUp_8" << 2 << 1;
    QTest::newRow("9 report rate") << 9 << "DPI_2" << 7 << 0;
    QTest::newRow("10 DPI up") << 10 << "VolumeUp_9" << 2 << 2;
    QTest::newRow("8 DPI down") << 8 << "VolumeUp_10" << 2 << 3;
    QTest::newRow("6 not shown") << 6 << "" << 0 << 0;
    QTest::newRow("11 not shown") << 11 << "" << 0 << 0;
    QTest::newRow("negative") << -1 << "" << 0 << 0;
}

void TestButtonCatalogue::deletionDefaults()
{
    QFETCH(int, deviceButton);
    QFETCH(QString, entry);
    QFETCH(int, type);
    QFETCH(int, code);

    const CatalogueEntry* e = MacroDeletionDefault(deviceButton);
    QCOMPARE(nameOf(e), entry);
    if (!e)
        return;
    QCOMPARE(e->assign, CatalogueAssign::Plain);
    QCOMPARE(e->type, type);
    QCOMPARE(e->code, code);
    QCOMPARE(e->param, 0);
}

void TestButtonCatalogue::formReset_data()
{
    QTest::addColumn<int>("uiSlot");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");

    const int types[] = {1, 1, 1, 1, 1, 4, 2, 2, 7};
    const int codes[] = {1, 2, 4, 8, 16, 10, 2, 3, 0};
    for (int slot = 0; slot < 9; ++slot)
        QTest::addRow("slot %d", slot) << slot << types[slot] << codes[slot];
    QTest::newRow("slot 9") << 9 << 0 << 0;
    QTest::newRow("slot -1") << -1 << 0 << 0;
}

void TestButtonCatalogue::formReset()
{
    QFETCH(int, uiSlot);
    QFETCH(int, type);
    QFETCH(int, code);

    const ButtonFunctionCode f = FormResetFunction(uiSlot);
    QCOMPARE(int(f.type), type);
    QCOMPARE(int(f.code), code);
    QCOMPARE(int(f.parameter), 0);
}

VEXO_TEST_CORE_MAIN(TestButtonCatalogue)
#include "tst_buttoncatalogue.moc"
