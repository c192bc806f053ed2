#include "core/apppaths.h"
#include "core/devicestate.h"
#include "device/sensordefinitions.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"

#include "hidusb/hidsim.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

Q_DECLARE_METATYPE(SensorDefinitionLine::Kind)
Q_DECLARE_METATYPE(SensorSwitch)

namespace {

const QStringList twoRanges22 = {"100", "10000", "50", "10100", "12800", "100", "22"};
const QStringList twoRanges11 = {"100", "10000", "50", "10100", "12800", "100", "11"};
const QStringList fourRanges33 = {"100", "4000", "50", "4100", "8000", "100",
                                  "8200", "16000", "200", "16400", "32000", "400", "33"};
const QStringList oneRange = {"100", "12800", "50", "0"};
const QStringList wideRange = {"50", "100000", "50", "0"};

// A small table for the model "T": 400 has two lines (the first counts), 300 and 200 hold
// codes outside one byte. The model "N" has bases and a code at the ends of the int range, as a
// crafted file can give.
void fillTable()
{
    const QList<QPair<QString, qint32>> lines = {
        {"SENSOR_T_DPI_100", 0x10}, {"SENSOR_T_DPI_400", 5},   {"SENSOR_T_DPI_6000", 0x86},
        {"SENSOR_T_DPI_400", 9},    {"SENSOR_T_DPI_300", 0x1FF}, {"SENSOR_T_DPI_200", -3},
        {"SENSOR_N_DPI_-2147483648", 1}, {"SENSOR_N_DPI_2147483647", 2}, {"SENSOR_N_DPI_800", 0x30},
        {"SENSOR_N_DPI_1600", std::numeric_limits<qint32>::min()},
    };
    for (const auto& line : lines) {
        SensorDefineTable.names.append(line.first);
        SensorDefineTable.values.append(line.second);
    }
}

void resetSensorState()
{
    SensorDefineTable = SensorDefinitionTable();
    SensorFeatureSwitches = SensorSwitchTexts();
    SensorModel.clear();
    DpiRanges = DpiRangeSet();
}

} // namespace

class TestSensorDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parseLine_data();
    void parseLine();
    void readFile();
    void missingFileLeavesTablesEmpty();
    void switchTest_data();
    void switchTest();

    void parseRanges_data();
    void parseRanges();
    void snap_data();
    void snap();

    void encode_data();
    void encode();
    void decode_data();
    void decode();

    void installationFile_data();
    void installationFile();
    void writeStoresThroughSetter_data();
    void writeStoresThroughSetter();
};

void TestSensorDefinitions::init()
{
    resetSensorState();
}

void TestSensorDefinitions::cleanup()
{
    resetSensorState();
}

void TestSensorDefinitions::parseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<SensorDefinitionLine::Kind>("kind");
    QTest::addColumn<SensorSwitch>("which");
    QTest::addColumn<QString>("text"); // switch text, or entry name
    QTest::addColumn<int>("value");

    const auto entry = SensorDefinitionLine::Entry;
    const auto none = SensorDefinitionLine::Ignored;
    const auto sw = SensorDefinitionLine::Switch;
    const SensorSwitch any = SensorSwitch::SensorModeSel;

    QTest::newRow("hex") << "#define SENSOR_A_DPI_600\t0x1A\n" << entry << any << "SENSOR_A_DPI_600" << 26;
    QTest::newRow("decimal") << "#define SENSOR_A_DPI_600\t26\n" << entry << any << "SENSOR_A_DPI_600" << 26;
    QTest::newRow("no final line break") << "#define N\t0x1A" << entry << any << "N" << 26;
    QTest::newRow("crlf") << "#define N\t7\r\n" << entry << any << "N" << 7;
    QTest::newRow("double space") << "#define  N\t5\n" << entry << any << "N" << 5;
    QTest::newRow("negative") << "#define N\t-4\n" << entry << any << "N" << -4;
    QTest::newRow("not a number") << "#define N\tzz\n" << entry << any << "N" << 0;
    QTest::newRow("comment after space") << "#define N\t26 //c\n" << entry << any << "N" << 26;
    QTest::newRow("hex before comment") << "#define N\t0x1F //c\n" << entry << any << "N" << 31;
    QTest::newRow("comment after tab") << "#define N\t26\t//c\n" << none << any << "" << 0;
    QTest::newRow("comment with space") << "#define N\t26 // c\n" << none << any << "" << 0;
    QTest::newRow("tab comment with space") << "#define N\t26\t// c\n" << none << any << "" << 0;
    QTest::newRow("no value") << "#define N\n" << none << any << "" << 0;
    QTest::newRow("other directive") << "#ifdef N\t1\n" << none << any << "" << 0;
    QTest::newRow("comment line") << "// VXP3311 table\n" << none << any << "" << 0;
    QTest::newRow("empty") << "" << none << any << "" << 0;
    QTest::newRow("blank") << "\n" << none << any << "" << 0;
    QTest::newRow("switch") << "#define SUPPORT_SENSOR_MODE_SEL\t3395,3950\n" << sw << SensorSwitch::SensorModeSel
                            << "3395,3950" << 0;
    QTest::newRow("switch without #define") << "foo SUPPORT_LOD_CAL\t3395\n" << sw << SensorSwitch::LodCal << "3395"
                                            << 0;
    QTest::newRow("switch crlf, no break") << "#define SUPPORT_MOUSEPAD_CAL\t3950\r" << sw
                                           << SensorSwitch::MousepadCal << "3950" << 0;
    QTest::newRow("switch precedence") << "#define SUPPORT_RIPPLE_SUPPORT_LOD_CAL\tX\n" << sw << SensorSwitch::LodCal
                                       << "X" << 0;
    QTest::newRow("switch without value") << "#define SUPPORT_LOD_CAL\n" << none << any << "" << 0;
}

void TestSensorDefinitions::parseLine()
{
    QFETCH(QString, line);
    QFETCH(SensorDefinitionLine::Kind, kind);
    QFETCH(SensorSwitch, which);
    QFETCH(QString, text);
    QFETCH(int, value);

    const SensorDefinitionLine parsed = ParseSensorDefinitionLine(line);
    QCOMPARE(parsed.kind, kind);
    if (kind == SensorDefinitionLine::Switch) {
        QCOMPARE(parsed.which, which);
        QCOMPARE(parsed.text, text);
    } else if (kind == SensorDefinitionLine::Entry) {
        QCOMPARE(parsed.name, text);
        QCOMPARE(parsed.value, value);
    }
}

void TestSensorDefinitions::readFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray content = "// sample\r\n"
                               "#define SUPPORT_LOD_CAL\tOLD\r\n"
                               "#define SUPPORT_LOD_CAL\t3395,3950\r\n"
                               "#define SUPPORT_FIXLINE\tVXP3311\n"
                               "#define SENSOR_A_DPI_100\t0x10\n"
                               "#define SENSOR_A_DPI_150\t17 //dec\n"
                               "#define SENSOR_A_DPI_200\t18\t// ignored\n"
                               "\n"
                               "#define SENSOR_A_DPI_100\t0x20\r\n"
                               "#define SENSOR_A_DPI_250\t0x13";
    QVERIFY(TestEnv::WriteFile(dir.filePath("driver_sensor.h"), content));

    const QString previous = AppPaths::InstallFolder();
    AppPaths::SetInstallFolder(dir.path());
    LoadSensorDefinitions();
    AppPaths::SetInstallFolder(previous);

    QCOMPARE(SensorDefineTable.names, QStringList({"SENSOR_A_DPI_100", "SENSOR_A_DPI_150", "SENSOR_A_DPI_100",
                                                   "SENSOR_A_DPI_250"}));
    QCOMPARE(SensorDefineTable.values, QList<qint32>({0x10, 17, 0x20, 0x13}));
    QCOMPARE(SensorFeatureSwitches.text(SensorSwitch::LodCal), QString("3395,3950"));
    QCOMPARE(SensorFeatureSwitches.text(SensorSwitch::FixLine), QString("VXP3311"));
    QVERIFY(SensorFeatureSwitches.text(SensorSwitch::SensorModeSel).isEmpty());

    // The first line of a base value decides, in both directions.
    SensorModel = "A";
    QCOMPARE(EncodeDpiLevel(100), (DpiCodeBytes{0x10, 0x10, 0}));
    QCOMPARE(ReadDpiLevel(0x20, 0), 100);
}

void TestSensorDefinitions::missingFileLeavesTablesEmpty()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReadSensorDefinitions(dir.filePath("driver_sensor.h"), SensorDefineTable, SensorFeatureSwitches);
    QVERIFY(SensorDefineTable.names.isEmpty());
    QVERIFY(SensorDefineTable.values.isEmpty());
    for (int i = 0; i < SensorSwitchCount; ++i)
        QVERIFY(SensorFeatureSwitches.texts[i].isEmpty());
    SensorModel = "3395";
    QVERIFY(!SensorSwitchOn(SensorSwitch::LodCal));
}

void TestSensorDefinitions::switchTest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("on");

    QTest::newRow("first") << "3395,3950" << "3395" << true;
    QTest::newRow("second") << "3395,3950" << "3950" << true;
    QTest::newRow("absent") << "3395,3950" << "VXP3311" << false;
    QTest::newRow("case") << "vxp3311" << "VXP3311" << false;
    QTest::newRow("substring") << "3395,3950" << "339" << true;
    QTest::newRow("empty model") << "3395" << "" << true;
    QTest::newRow("empty model, empty text") << "" << "" << true;
    QTest::newRow("empty text") << "" << "3395" << false;
}

void TestSensorDefinitions::switchTest()
{
    QFETCH(QString, text);
    QFETCH(QString, model);
    QFETCH(bool, on);

    SensorFeatureSwitches.texts[int(SensorSwitch::SensorModeSel)] = text;
    SensorModel = model;
    QCOMPARE(SensorSwitchOn(SensorSwitch::SensorModeSel), on);
    QVERIFY(!SensorSwitchOn(SensorSwitch::LodCal) || model.isEmpty());
}

void TestSensorDefinitions::parseRanges_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::addColumn<QList<int>>("minima");
    QTest::addColumn<QList<int>>("maxima");
    QTest::addColumn<QList<int>>("steps");

    QTest::newRow("two ranges") << twoRanges22 << 2 << 0x22 << 100 << 12800 << QList<int>{100, 10100}
                                << QList<int>{10000, 12800} << QList<int>{50, 100};
    QTest::newRow("one range") << oneRange << 1 << 0 << 100 << 12800 << QList<int>{100} << QList<int>{12800}
                               << QList<int>{50};
    QTest::newRow("code with prefix") << QStringList{"100", "4000", "50", "0x33"} << 1 << 0x33 << 100 << 4000
                                      << QList<int>{100} << QList<int>{4000} << QList<int>{50};
    QTest::newRow("four ranges") << fourRanges33 << 4 << 0x33 << 100 << 32000
                                 << QList<int>{100, 4100, 8200, 16400} << QList<int>{4000, 8000, 16000, 32000}
                                 << QList<int>{50, 100, 200, 400};
    QTest::newRow("five ranges: first four") << (QStringList(fourRanges33.mid(0, 12)) << "33000" << "40000" << "500"
                                                                                      << "11")
                                             << 4 << 0x11 << 100 << 32000 << QList<int>{100, 4100, 8200, 16400}
                                             << QList<int>{4000, 8000, 16000, 32000} << QList<int>{50, 100, 200, 400};
    QTest::newRow("items left over") << QStringList{"100", "4000", "50", "7", "22"} << 1 << 0x22 << 100 << 4000
                                     << QList<int>{100} << QList<int>{4000} << QList<int>{50};
    QTest::newRow("not numbers") << QStringList{"a", " 900 ", "b", "zz"} << 1 << 0 << 0 << 900 << QList<int>{0}
                                 << QList<int>{900} << QList<int>{0};
    QTest::newRow("three items: invalid") << QStringList{"100", "12800", "22"} << 0 << 0 << 50 << 8000 << QList<int>{}
                                          << QList<int>{} << QList<int>{};
    QTest::newRow("one item: invalid") << QStringList{"22"} << 0 << 0 << 50 << 8000 << QList<int>{} << QList<int>{}
                                       << QList<int>{};
    QTest::newRow("missing key") << QStringList{} << 0 << 0 << 50 << 8000 << QList<int>{} << QList<int>{}
                                 << QList<int>{};
}

void TestSensorDefinitions::parseRanges()
{
    QFETCH(QStringList, items);
    QFETCH(int, count);
    QFETCH(int, code);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(QList<int>, minima);
    QFETCH(QList<int>, maxima);
    QFETCH(QList<int>, steps);

    // A former device's ranges must not survive.
    ParseDpiRanges(fourRanges33);
    ParseDpiRanges(items);
    QCOMPARE(DpiRanges.count, count);
    QCOMPARE(DpiRanges.DpiRangeCode, code);
    QCOMPARE(DpiRanges.lowest, lowest);
    QCOMPARE(DpiRanges.highest, highest);
    QCOMPARE(DpiRanges.minima, minima);
    QCOMPARE(DpiRanges.maxima, maxima);
    QCOMPARE(DpiRanges.ranges.size(), count);
    for (int k = 0; k < count; ++k)
        QCOMPARE(DpiRanges.ranges.at(k).step, steps.at(k));
}

void TestSensorDefinitions::snap_data()
{
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("snapped");
    QTest::addColumn<int>("pageStep"); // -7: left alone

    QTest::newRow("inside first") << twoRanges22 << 825 << 800 << 50;
    QTest::newRow("first maximum") << twoRanges22 << 10000 << 10000 << 50;
    QTest::newRow("gap") << twoRanges22 << 10050 << 10100 << 100;
    QTest::newRow("inside second") << twoRanges22 << 10199 << 10100 << 100;
    QTest::newRow("below") << twoRanges22 << 50 << 50 << -7;
    QTest::newRow("above") << twoRanges22 << 13000 << 13000 << -7;
    QTest::newRow("step from zero") << QStringList{"130", "1000", "100", "0"} << 250 << 200 << 100;
    QTest::newRow("fourth range") << fourRanges33 << 20300 << 20000 << 400;
    QTest::newRow("invalid ranges") << QStringList{"100", "12800", "22"} << 825 << 825 << -7;
    QTest::newRow("zero step") << QStringList{"100", "1000", "0", "0"} << 555 << 555 << -7;
    QTest::newRow("negative step") << QStringList{"100", "1000", "-50", "0"} << 555 << 555 << -7;
}

void TestSensorDefinitions::snap()
{
    QFETCH(QStringList, ranges);
    QFETCH(int, value);
    QFETCH(int, snapped);
    QFETCH(int, pageStep);

    ParseDpiRanges(ranges);
    int step = -7;
    QCOMPARE(SnapDpiValue(value, &step), snapped);
    QCOMPARE(step, pageStep);
    QCOMPARE(SnapDpiValue(value), snapped);
}

void TestSensorDefinitions::encode_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("table");
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte2");
    QTest::addColumn<int>("readBack");

    const QStringList invalid = {"100", "12800", "22"};

    QTest::newRow("one range") << "3360" << false << oneRange << 800 << 15 << 0 << 800;
    QTest::newRow("one range, off step") << "3360" << false << oneRange << 825 << 15 << 0 << 800;
    QTest::newRow("lowest code") << "3360" << false << oneRange << 50 << 0 << 0 << 50;
    QTest::newRow("below one unit: clamped") << "3360" << false << oneRange << 20 << 0 << 0 << 50;
    QTest::newRow("negative: clamped") << "3395" << false << oneRange << -500 << 0 << 0 << 50;
    QTest::newRow("8-bit top") << "3360" << false << wideRange << 12800 << 255 << 0 << 12800;
    QTest::newRow("8-bit: clamped") << "3360" << false << wideRange << 26000 << 255 << 0 << 12800;
    QTest::newRow("whole text, not 10-bit") << "33950" << false << wideRange << 26000 << 255 << 0 << 12800;
    QTest::newRow("3395 10-bit") << "3395" << false << wideRange << 26000 << 0x07 << 0x88 << 26000;
    QTest::newRow("3950 10-bit") << "3950" << false << wideRange << 26000 << 0x07 << 0x88 << 26000;
    QTest::newRow("3395 below 256") << "3395" << false << wideRange << 12800 << 0xFF << 0x00 << 12800;
    QTest::newRow("3395 bit 8") << "3395" << false << wideRange << 12850 << 0x00 << 0x44 << 12850;
    QTest::newRow("3395 10-bit top") << "3395" << false << wideRange << 51200 << 0xFF << 0xCC << 51200;
    QTest::newRow("3395 10-bit: clamped") << "3395" << false << wideRange << 100000 << 0xFF << 0xCC << 51200;
    QTest::newRow("3395 flags and high bits") << "3395" << false << twoRanges22 << 40000 << 0x8F << 0x66 << 40000;
    QTest::newRow("0x22 second range") << "3360" << false << twoRanges22 << 12000 << 119 << 0x22 << 12000;
    QTest::newRow("0x22 first range") << "3360" << false << twoRanges22 << 9000 << 179 << 0 << 9000;
    QTest::newRow("0x22 first maximum") << "3360" << false << twoRanges22 << 10000 << 199 << 0 << 10000;
    QTest::newRow("0x22 in gap") << "3360" << false << twoRanges22 << 10050 << 99 << 0x22 << 10000;
    QTest::newRow("0x11 second range") << "3360" << false << twoRanges11 << 12000 << 119 << 0x11 << 12000;
    QTest::newRow("0x33 fourth range") << "3360" << false << fourRanges33 << 20000 << 99 << 0x33 << 20000;
    QTest::newRow("0x33 third range") << "3360" << false << fourRanges33 << 10000 << 99 << 0x11 << 10000;
    QTest::newRow("0x33 second range") << "3360" << false << fourRanges33 << 6000 << 59 << 0x22 << 6000;
    QTest::newRow("0x33 first range") << "3360" << false << fourRanges33 << 2000 << 39 << 0 << 2000;
    QTest::newRow("0x33 below all") << "3360" << false << fourRanges33 << 50 << 0 << 0 << 50;
    QTest::newRow("invalid ranges: single units") << "3360" << false << invalid << 12000 << 239 << 0 << 12000;
    QTest::newRow("no ranges at all") << "3360" << false << QStringList{} << 800 << 15 << 0 << 800;
    QTest::newRow("table") << "T" << true << oneRange << 400 << 5 << 0 << 400;
    QTest::newRow("table doubled") << "T" << true << twoRanges22 << 12000 << 0x86 << 0x22 << 12000;
    QTest::newRow("table, 0x11") << "T" << true << twoRanges11 << 12000 << 0x86 << 0x11 << 12000;
    QTest::newRow("table: nearest base") << "T" << true << oneRange << 420 << 5 << 0 << 400;
    QTest::newRow("table code: clamped high") << "T" << true << oneRange << 300 << 255 << 0 << -1;
    QTest::newRow("table code: clamped low") << "T" << true << oneRange << 200 << 0 << 0 << -1;
    QTest::newRow("table wins over 10-bit") << "3395" << true << oneRange << 400 << 22 << 0 << 400;
    QTest::newRow("other model than the table") << "3360" << true << oneRange << 400 << 7 << 0 << 400;
    QTest::newRow("table: bases at the int range's ends") << "N" << true << oneRange << 400 << 0x30 << 0 << 800;
    QTest::newRow("table: negative DPI") << "N" << true << wideRange << -2147483647 << 1 << 0 << -1;
}

void TestSensorDefinitions::encode()
{
    QFETCH(QString, model);
    QFETCH(bool, table);
    QFETCH(QStringList, ranges);
    QFETCH(int, dpi);
    QFETCH(int, byte0);
    QFETCH(int, byte2);
    QFETCH(int, readBack);

    if (table) {
        fillTable();
        SensorDefineTable.names.append("SENSOR_3395_DPI_400");
        SensorDefineTable.values.append(22);
    }
    SensorModel = model;
    ParseDpiRanges(ranges);

    const DpiCodeBytes bytes = EncodeDpiLevel(dpi);
    QCOMPARE(int(bytes.byte0), byte0);
    QCOMPARE(int(bytes.byte1), byte0);
    QCOMPARE(int(bytes.byte2), byte2);
    if (readBack >= 0)
        QCOMPARE(ReadDpiLevel(bytes.byte0, bytes.byte2), readBack);
}

void TestSensorDefinitions::decode_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("table");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte2");
    QTest::addColumn<int>("dpi");

    QTest::newRow("plain") << "3360" << false << 15 << 0 << 800;
    QTest::newRow("0x22 counts in 100") << "3360" << false << 15 << 0x22 << 1600;
    QTest::newRow("0x11 doubles") << "3360" << false << 15 << 0x11 << 1600;
    QTest::newRow("0x33") << "3360" << false << 15 << 0x33 << 3200;
    QTest::newRow("single flag bits count") << "3360" << false << 15 << 0x20 << 1600;
    QTest::newRow("high bits ignored") << "3360" << false << 15 << 0xC0 << 800;
    QTest::newRow("3395 high bits") << "3395" << false << 15 << 0xC0 << (0x30F + 1) * 50;
    QTest::newRow("3395 low copy ignored") << "3395" << false << 15 << 0x0C << 800;
    QTest::newRow("3950 high bits") << "3950" << false << 0 << 0x40 << 257 * 50;
    QTest::newRow("out of byte") << "3360" << false << 0x10F << 0 << 800;
    QTest::newRow("table") << "T" << true << 5 << 0 << 400;
    QTest::newRow("table 0x22") << "T" << true << 5 << 0x22 << 800;
    QTest::newRow("table 0x33") << "T" << true << 5 << 0x33 << 1600;
    QTest::newRow("table: first line of a code") << "T" << true << 0x10 << 0 << 100;
    QTest::newRow("table: nearest code") << "T" << true << 7 << 0 << 400;
    QTest::newRow("table: nearest code, high") << "T" << true << 0xFF << 0 << 6000;
    // Out of the int range the DPI stops at its end.
    QTest::newRow("table: negative base doubled") << "N" << true << 1 << 0x33 << std::numeric_limits<int>::min();
    QTest::newRow("table: huge base doubled") << "N" << true << 2 << 0x22 << std::numeric_limits<int>::max();
    QTest::newRow("table: code at the int range's end") << "N" << true << 0x40 << 0 << 800;
}

void TestSensorDefinitions::decode()
{
    QFETCH(QString, model);
    QFETCH(bool, table);
    QFETCH(int, byte0);
    QFETCH(int, byte2);
    QFETCH(int, dpi);

    if (table)
        fillTable();
    SensorModel = model;
    QCOMPARE(ReadDpiLevel(byte0, byte2), dpi);
}

void TestSensorDefinitions::installationFile_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<bool>("modeSwitch");
    QTest::addColumn<bool>("lodSwitch");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte2");

    // The sample Config.ini's models and ranges.
    const QStringList drive1 = {"100", "6000", "50", "6100", "12000", "100", "22"};
    const QStringList drive2 = {"50", "26000", "50", "0"};
    QTest::newRow("VXP3311 lowest") << "VXP3311" << drive1 << false << false << 100 << 0x10 << 0;
    QTest::newRow("VXP3311 first range") << "VXP3311" << drive1 << false << false << 800 << 0x1E << 0;
    QTest::newRow("VXP3311 first maximum") << "VXP3311" << drive1 << false << false << 6000 << 0x86 << 0;
    QTest::newRow("VXP3311 second range") << "VXP3311" << drive1 << false << false << 9600 << 0x6E << 0x22;
    QTest::newRow("VXP3311 highest") << "VXP3311" << drive1 << false << false << 12000 << 0x86 << 0x22;
    QTest::newRow("3395 lowest") << "3395" << drive2 << true << true << 50 << 0 << 0;
    QTest::newRow("3395 byte top") << "3395" << drive2 << true << true << 12800 << 0xFF << 0;
    QTest::newRow("3395 highest") << "3395" << drive2 << true << true << 26000 << 0x07 << 0x88;
}

void TestSensorDefinitions::installationFile()
{
    QFETCH(QString, model);
    QFETCH(QStringList, ranges);
    QFETCH(bool, modeSwitch);
    QFETCH(bool, lodSwitch);
    QFETCH(int, dpi);
    QFETCH(int, byte0);
    QFETCH(int, byte2);

    TestEnv::Installation installation;
    QVERIFY(QFile::exists(installation.path() + "/driver_sensor.h"));
    LoadSensorDefinitions();
    QCOMPARE(SensorDefineTable.names.size(), 119);
    QCOMPARE(SensorDefineTable.values.size(), 119);

    SensorModel = model;
    ParseDpiRanges(ranges);
    QCOMPARE(SensorSwitchOn(SensorSwitch::SensorModeSel), modeSwitch);
    QCOMPARE(SensorSwitchOn(SensorSwitch::LodCal), lodSwitch);
    const DpiCodeBytes bytes = EncodeDpiLevel(dpi);
    QCOMPARE(bytes, (DpiCodeBytes{quint8(byte0), quint8(byte0), quint8(byte2)}));
    QCOMPARE(ReadDpiLevel(bytes.byte0, bytes.byte2), dpi);
}

void TestSensorDefinitions::writeStoresThroughSetter_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("written");

    QTest::newRow("level 0") << 0 << 12000 << true;
    QTest::newRow("level 7") << 7 << 12000 << true;
    QTest::newRow("no level") << -1 << 12000 << false;
    QTest::newRow("level 8") << 8 << 12000 << false;
    QTest::newRow("level -2") << -2 << 12000 << false;
}

void TestSensorDefinitions::writeStoresThroughSetter()
{
    QFETCH(int, level);
    QFETCH(int, dpi);
    QFETCH(bool, written);

    DeviceLinkFixture fixture;
    const QByteArray path = fixture.add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!path.isEmpty());
    FlashDataMap start;
    QVERIFY(HidSim::GetSettings("m1", -1, &start));
    fixture.chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));

    SensorModel = "3360";
    ParseDpiRanges(twoRanges22);
    WriteDpiLevel(level, dpi);

    FlashDataMap expected = start;
    if (written) {
        expected.dpiLevels[level].code[0] = 119;
        expected.dpiLevels[level].code[1] = 119;
        expected.dpiLevels[level].code[2] = 0x22;
    }
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
}

VEXO_TEST_CORE_MAIN(TestSensorDefinitions)
#include "tst_sensordefinitions.moc"
