#ifndef SENSORDEFINITIONS_H
#define SENSORDEFINITIONS_H

// The installation's sensor definitions (driver_sensor.h), the DPI ranges of the current
// device and the three-byte DPI codec of a level. GUI thread only, one per process.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// Table lines in file order; entries are only appended, duplicates stay.
struct SensorDefinitionTable {
    QStringList names;
    QList<qint32> values;
};

// In order of precedence: the first name found in a line decides.
enum class SensorSwitch { SensorModeSel, LodCal, Ripple, FixLine, MotionSync, MousepadCal };
constexpr int SensorSwitchCount = 6;

struct SensorSwitchTexts {
    QString texts[SensorSwitchCount];

    static QString Name(SensorSwitch which);
    QString text(SensorSwitch which) const { return texts[int(which)]; }
    // On when the switch's text contains the model (case-sensitive); an empty model is in every text.
    bool isOn(SensorSwitch which, const QString& model) const;
};

// One line of driver_sensor.h. A line without its line break counts as ending there.
struct SensorDefinitionLine {
    enum Kind { Ignored, Switch, Entry };
    Kind kind = Ignored;
    SensorSwitch which = SensorSwitch::SensorModeSel; // Switch
    QString text;                                     // Switch: the models named
    QString name;                                     // Entry
    qint32 value = 0;                                 // Entry
};
SensorDefinitionLine ParseSensorDefinitionLine(const QString& line);

// Reads a definitions file into the tables; a missing file leaves them as they are.
void ReadSensorDefinitions(const QString& path, SensorDefinitionTable& table, SensorSwitchTexts& switches);

struct DpiRange {
    int minimum = 0;
    int maximum = 0;
    int step = 0;
};

// The device's DPIRange key. count 0 means invalid (too few items): the slider keeps its
// reset bounds, snapping leaves values alone and the encoder counts in single units.
struct DpiRangeSet {
    static constexpr int ResetLowest = 50;
    static constexpr int ResetHighest = 8000;
    static constexpr int MaxRanges = 4;

    qint32 count = 0;
    qint32 DpiRangeCode = 0;
    QVector<DpiRange> ranges;
    QList<int> minima;
    QList<int> maxima;
    int lowest = ResetLowest;
    int highest = ResetHighest;
};

extern SensorDefinitionTable SensorDefineTable;
extern SensorSwitchTexts SensorFeatureSwitches;
extern QString SensorModel;
extern DpiRangeSet DpiRanges;

// AppPaths::InstallFolder() + "/driver_sensor.h" into SensorDefineTable and SensorFeatureSwitches.
void LoadSensorDefinitions();
// The current device's state of a feature switch.
bool SensorSwitchOn(SensorSwitch which);

DpiRangeSet ParseDpiRangeList(const QStringList& items);
// Replaces DpiRanges.
void ParseDpiRanges(const QStringList& items);

// The slider's snapping over DpiRanges; pageStep (when given) receives the step of the range
// that decided and is left alone otherwise.
int SnapDpiValue(int value, int* pageStep = nullptr);

struct DpiCodeBytes {
    quint8 byte0 = 0;
    quint8 byte1 = 0;
    quint8 byte2 = 0;
    bool operator==(const DpiCodeBytes& o) const
    {
        return byte0 == o.byte0 && byte1 == o.byte1 && byte2 == o.byte2;
    }
};

// The code bytes of a DPI value for SensorModel, DpiRanges and SensorDefineTable.
DpiCodeBytes EncodeDpiLevel(int dpi);
// level 0..7 (−1: nothing): encodes and stores through SetDpiLevelValue.
void WriteDpiLevel(int level, int dpi);
// The DPI value shown for a level's bytes 0 and 2.
int ReadDpiLevel(int byte0, int byte2);

#endif
