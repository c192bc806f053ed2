#include "device/buttoncaption.h"
#include "device/buttoncatalogue.h"
#include "device/keyusagetable.h"
#include "helpers/testenv.h"

#include <QHash>
#include <QTextCodec>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(KeyActionRecord)

namespace {

// A language with a text at every position the captions use; any other position shows up as
// "#position" in a caption.
QString english(int position)
{
    static const QHash<int, QString> texts = {
        {4, "Left"},          {5, "Right"},        {6, "Middle"},         {7, "Forward"},
        {8, "Back"},          {9, "DPI cycle"},    {10, "Report rate"},   {11, "Profile switch"},
        {12, "Fire key"},     {14, "Undefined"},   {21, "DPI lock"},      {22, "Player"},
        {28, "Volume up"},    {29, "Volume down"}, {33, "Search"},        {39, "All lights"},
        {40, "DPI light"},    {41, "Light strip"}, {42, "Strip effects"}, {44, "Wheel left"},
        {45, "Wheel right"},  {46, "Wheel up"},    {47, "Wheel down"},    {48, "Macro: "},
    };
    return texts.value(position, QStringLiteral("#%1").arg(position));
}

KeyActionRecord zeroKeys()
{
    KeyActionRecord keys;
    std::memset(&keys, 0, sizeof keys);
    return keys;
}

MacroRecord zeroMacro()
{
    MacroRecord macro;
    std::memset(&macro, 0, sizeof macro);
    return macro;
}

// A multimedia key as the device stores it: a press and a release of a consumer usage.
KeyActionRecord consumerKeys(int usage, uint32_t count = 2)
{
    KeyActionRecord keys = zeroKeys();
    keys.count = count;
    keys.events[0] = KeyActionEvent{0, KindConsumer, quint16(usage), 10};
    keys.events[1] = KeyActionEvent{1, KindConsumer, quint16(usage), 10};
    return keys;
}

// Ctrl+Shift+A with its releases in reverse order, under any count.
KeyActionRecord ctrlShiftA(uint32_t count)
{
    KeyActionRecord keys = zeroKeys();
    keys.count = count;
    keys.events[0] = KeyActionEvent{0, KindModifier, 0x01, 10};
    keys.events[1] = KeyActionEvent{0, KindModifier, 0x02, 10};
    keys.events[2] = KeyActionEvent{0, KindKeyboard, 0x04, 10};
    keys.events[3] = KeyActionEvent{1, KindKeyboard, 0x04, 10};
    keys.events[4] = KeyActionEvent{1, KindModifier, 0x02, 10};
    keys.events[5] = KeyActionEvent{1, KindModifier, 0x01, 10};
    return keys;
}

struct Captions {
    std::optional<QString> form;
    std::optional<QString> english;
};

Captions captionsOf(int type, int code, int param, const KeyActionRecord& keys, const MacroRecord& macro,
                    int dpiValue)
{
    const ButtonFunctionCode f{quint8(type), quint8(code), quint8(param)};
    return Captions{ButtonFunctionCaption(f, keys, macro, dpiValue, CatalogueFormCaption),
                    ButtonFunctionCaption(f, keys, macro, dpiValue, english)};
}

// Compares both languages' captions with the expected ones; kept: no caption at all.
void compareCaptions(const Captions& captions, bool kept, const QString& form, const QString& inEnglish)
{
    if (kept) {
        QVERIFY2(!captions.form, qPrintable(captions.form.value_or(QString())));
        QVERIFY2(!captions.english, qPrintable(captions.english.value_or(QString())));
        return;
    }
    QVERIFY(captions.form);
    QVERIFY(captions.english);
    QCOMPARE(*captions.form, form);
    QCOMPARE(*captions.english, inEnglish);
}

} // namespace

class TestButtonCaption : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void catalogueFunctions_data();
    void catalogueFunctions();
    void keyActions_data();
    void keyActions();
    void dpiLock_data();
    void dpiLock();
    void macroNames_data();
    void macroNames();
    void formCaptions_data();
    void formCaptions();

private:
    QTextCodec* m_savedCodec = nullptr;
};

void TestButtonCaption::init()
{
    m_savedCodec = QTextCodec::codecForLocale();
}

void TestButtonCaption::cleanup()
{
    QTextCodec::setCodecForLocale(m_savedCodec);
}

void TestButtonCaption::catalogueFunctions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("param");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("english");

    const auto shows = [](const char* row, int type, int code, int param, const char* form, const char* inEnglish) {
        QTest::newRow(row) << type << code << param << false << QString::fromUtf8(form)
                           << QString::fromUtf8(inEnglish);
    };
    const auto keeps = [](const char* row, int type, int code, int param) {
        QTest::newRow(row) << type << code << param << true << QString() << QString();
    };

    shows("undefined", 0, 0, 0, "待定义按键", "Undefined");
    shows("undefined whatever its code", 0, 7, 9, "待定义按键", "Undefined");
    shows("left", 1, 1, 0, "左键", "Left");
    shows("right", 1, 2, 0, "右键", "Right");
    shows("middle", 1, 4, 0, "中键", "Middle");
    shows("back", 1, 8, 0, "后退键", "Back");
    shows("forward", 1, 16, 0, "前进键", "Forward");
    keeps("mouse button 0", 1, 0, 0);
    keeps("mouse button 3", 1, 3, 0);
    keeps("mouse button 32", 1, 32, 0);
    shows("DPI cycle", 2, 1, 0, "DPI循环", "DPI cycle");
    shows("DPI up in every language", 2, 2, 0, "DPI+", "DPI+");
    shows("DPI down in every language", 2, 3, 0, "DPI-", "DPI-");
    keeps("DPI step 0", 2, 0, 0);
    keeps("DPI step 4", 2, 4, 0);
    shows("wheel left", 3, 1, 0, "左滚", "Wheel left");
    shows("wheel right", 3, 2, 0, "右滚", "Wheel right");
    keeps("horizontal wheel 0", 3, 0, 0);
    keeps("horizontal wheel 3", 3, 3, 0);
    shows("rapid fire", 4, 10, 3, "火力键", "Fire key");
    shows("rapid fire of any interval", 4, 0, 255, "火力键", "Fire key");
    shows("report rate", 7, 0, 0, "切换报告率", "Report rate");
    shows("report rate whatever its code", 7, 5, 1, "切换报告率", "Report rate");
    shows("all lights", 8, 0, 0, "开/关所有装饰灯", "All lights");
    shows("DPI light", 8, 1, 0, "开/关DPI指示灯", "DPI light");
    shows("light strip", 8, 3, 0, "开/关灯带", "Light strip");
    shows("strip effects", 8, 4, 0, "循环切换灯带效果", "Strip effects");
    keeps("light 2", 8, 2, 0);
    keeps("light 5", 8, 5, 0);
    shows("profile switch", 9, 0, 0, "配置切换", "Profile switch");
    shows("profile switch whatever its code", 9, 3, 2, "配置切换", "Profile switch");
    shows("wheel up", 11, 1, 0, "上滚", "Wheel up");
    shows("wheel down", 11, 2, 0, "下滚", "Wheel down");
    keeps("vertical wheel 0", 11, 0, 0);
    keeps("vertical wheel 3", 11, 3, 0);
    keeps("type 12", 12, 1, 0);
    keeps("type 128", 128, 0, 0);
    keeps("type 255", 255, 16, 0);
}

void TestButtonCaption::catalogueFunctions()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, param);
    QFETCH(bool, kept);
    QFETCH(QString, form);
    QFETCH(QString, english);

    // A button's neighbouring records hold a multimedia key and a macro; only types 5 and 6 read them.
    MacroRecord macro = zeroMacro();
    std::memcpy(macro.name, "M", 1);
    VEXO_CHECKED(compareCaptions(captionsOf(type, code, param, consumerKeys(0x0E9), macro, 800), kept, form, english));
}

void TestButtonCaption::keyActions_data()
{
    QTest::addColumn<KeyActionRecord>("keys");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("english");

    const auto shows = [](const char* row, const KeyActionRecord& keys, const char* form, const char* inEnglish) {
        QTest::newRow(row) << keys << false << QString::fromUtf8(form) << QString::fromUtf8(inEnglish);
    };

    shows("volume up", consumerKeys(0x0E9), "音量加", "Volume up");
    shows("volume down", consumerKeys(0x0EA), "音量减", "Volume down");
    shows("player", consumerKeys(0x183), "播放器", "Player");
    shows("search", consumerKeys(0x221), "搜索", "Search");
    shows("by the low byte only", consumerKeys(0x2E9), "音量加", "Volume up");
    shows("the kind decides, not the count", consumerKeys(0x0E9, 0), "音量加", "Volume up");
    QTest::newRow("usage outside the list") << consumerKeys(0x2FF) << true << QString() << QString();
    QTest::newRow("usage 0") << consumerKeys(0) << true << QString() << QString();

    shows("three presses", ctrlShiftA(6), "Ctrl+Shift+A", "Ctrl+Shift+A");
    shows("count 4 names two", ctrlShiftA(4), "Ctrl+Shift", "Ctrl+Shift");
    shows("count 2 names one", ctrlShiftA(2), "Ctrl", "Ctrl");
    shows("count 1 names none", ctrlShiftA(1), "", "");
    shows("count 0 names none", ctrlShiftA(0), "", "");
    shows("count past the record", ctrlShiftA(8), "Ctrl+Shift+A", "Ctrl+Shift+A");
    shows("largest low byte", ctrlShiftA(0xFF), "Ctrl+Shift+A", "Ctrl+Shift+A");
    shows("only the count's low byte", ctrlShiftA(0xFFFFFF04), "Ctrl+Shift", "Ctrl+Shift");
}

void TestButtonCaption::keyActions()
{
    QFETCH(KeyActionRecord, keys);
    QFETCH(bool, kept);
    QFETCH(QString, form);
    QFETCH(QString, english);

    // The code and parameter of a key action are always 0; other bytes do not change the caption.
    VEXO_CHECKED(compareCaptions(captionsOf(KeyActionFunction, 0, 0, keys, zeroMacro(), 800), kept, form, english));
    VEXO_CHECKED(compareCaptions(captionsOf(KeyActionFunction, 7, 3, keys, zeroMacro(), 800), kept, form, english));
}

void TestButtonCaption::dpiLock_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("dpiValue");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("english");

    QTest::newRow("sensor without table lines")
        << 15 << DpiValueFromCode(15, SensorDefinitionTable(), QStringLiteral("X")) << QString::fromUtf8("DPI锁定-800")
        << "DPI lock-800";
    QTest::newRow("code the sensor lacks") << 15 << 0 << QString::fromUtf8("DPI锁定-0") << "DPI lock-0";
    QTest::newRow("900") << 17 << 900 << QString::fromUtf8("DPI锁定-900") << "DPI lock-900";
    QTest::newRow("value outside the lock list") << 31 << 1600 << QString::fromUtf8("DPI锁定-1600") << "DPI lock-1600";
}

void TestButtonCaption::dpiLock()
{
    QFETCH(int, code);
    QFETCH(int, dpiValue);
    QFETCH(QString, form);
    QFETCH(QString, english);

    VEXO_CHECKED(compareCaptions(captionsOf(DpiLockFunction, code, 0, zeroKeys(), zeroMacro(), dpiValue), false,
                                 form, english));
}

void TestButtonCaption::macroNames_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<QString>("name");

    const QByteArray gbk15 = QByteArray::fromHex("d2bbb6fec8fdcbc4cee5c1f9c6dfb0cbbec5caaeb0d9c7a7cdf2d2dad5d7");
    QTest::newRow("GBK") << QByteArray("GBK") << QByteArray::fromHex("d6d0cec44d31") << 6
                         << QString::fromUtf8("中文M1");
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << QByteArray::fromHex("e4b8ade696874d31") << 8
                           << QString::fromUtf8("中文M1");
    QTest::newRow("GBK name filling the field") << QByteArray("GBK") << gbk15 << 30
                                                << QString::fromUtf8("一二三四五六七八九十百千万亿兆");
    QTest::newRow("ASCII name filling the field") << QByteArray("UTF-8") << QByteArray(30, 'x') << 30
                                                  << QString(30, QLatin1Char('x'));
    QTest::newRow("ends at the first zero byte") << QByteArray("UTF-8") << QByteArray("AB\0CD", 5) << 5 << "AB";
    QTest::newRow("length byte not consulted") << QByteArray("UTF-8") << QByteArray("Macro1") << 0 << "Macro1";
    QTest::newRow("length byte too long") << QByteArray("UTF-8") << QByteArray("ab") << 30 << "ab";
    QTest::newRow("empty name") << QByteArray("UTF-8") << QByteArray() << 0 << "";
}

void TestButtonCaption::macroNames()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, field);
    QFETCH(int, nameLength);
    QFETCH(QString, name);

    QTextCodec* local = QTextCodec::codecForName(codec);
    QVERIFY2(local, codec.constData());
    QTextCodec::setCodecForLocale(local);

    // The bytes behind the name field are letters: a name read past its field would show them.
    FlashDataMap record = ZeroFlashDataMap();
    MacroRecord& macro = record.macros[15];
    macro.nameLength = quint8(nameLength);
    std::memcpy(macro.name, field.constData(), size_t(field.size()));
    macro.eventCount = 'Z';
    std::memset(&macro.events[0], 'Z', sizeof macro.events[0]);
    QCOMPARE(MacroRecordName(macro), name);

    // Before a language is applied the prefix is empty.
    VEXO_CHECKED(compareCaptions(captionsOf(MacroFunction, 2, 3, zeroKeys(), macro, 800), false, name,
                                 QStringLiteral("Macro: ") + name));
}

void TestButtonCaption::formCaptions_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");

    QTest::newRow("search") << 33 << QString::fromUtf8("搜索");
    QTest::newRow("DPI lock") << 21 << QString::fromUtf8("DPI锁定");
    QTest::newRow("browser home") << 51 << QString::fromUtf8("主页");
    QTest::newRow("macro prefix") << MacroCaptionPrefixPosition << "";
    QTest::newRow("not a catalogue position") << 0 << "";
    QTest::newRow("past the table") << 52 << "";
    QTest::newRow("no position") << -1 << "";
}

void TestButtonCaption::formCaptions()
{
    QFETCH(int, position);
    QFETCH(QString, caption);
    QCOMPARE(CatalogueFormCaption(position), caption);
}

VEXO_TEST_CORE_MAIN(TestButtonCaption)
#include "tst_buttoncaption.moc"
