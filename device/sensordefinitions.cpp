#include "device/sensordefinitions.h"

#include "core/apppaths.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/logcategories.h"

#include <QFile>

#include <algorithm>
#include <limits>

SensorDefinitionTable SensorDefineTable;
SensorSwitchTexts SensorFeatureSwitches;
QString SensorModel;
DpiRangeSet DpiRanges;

namespace {

const char* const switchNames[SensorSwitchCount] = {
    "SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL",     "SUPPORT_RIPPLE",
    "SUPPORT_FIXLINE",         "SUPPORT_MOTION_SYNC", "SUPPORT_MOUSEPAD_CAL",
};

QString withoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    return text;
}

// Hexadecimal when the text holds "0x", else decimal; what does not convert is 0.
qint32 readNumber(const QString& text)
{
    QString t = text.trimmed();
    bool ok = false;
    qint32 value = 0;
    if (t.contains(QLatin1String("0x"))) {
        if (t.startsWith(QLatin1String("0x")))
            t = t.mid(2);
        value = t.toInt(&ok, 16);
    } else {
        value = t.toInt(&ok, 10);
    }
    return ok ? value : 0;
}

qint32 readHex(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x")))
        t = t.mid(2);
    bool ok = false;
    const qint32 value = t.toInt(&ok, 16);
    return ok ? value : 0;
}

qint32 readDecimal(const QString& text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

bool hasBits(int byte, int mask)
{
    return (byte & mask) != 0;
}

bool isTenBitModel()
{
    return SensorModel == QLatin1String("3395") || SensorModel == QLatin1String("3950");
}

QString tablePrefix()
{
    return QStringLiteral("SENSOR_") + SensorModel + QStringLiteral("_DPI");
}

bool modelHasTableLines()
{
    const QString prefix = tablePrefix();
    return std::any_of(SensorDefineTable.names.cbegin(), SensorDefineTable.names.cend(),
                       [&](const QString& name) { return name.contains(prefix); });
}

// The decimal number after "SENSOR_<model>_DPI_" in a name, 0 when there is none.
int baseDpiOf(const QString& name)
{
    const QString prefix = tablePrefix() + QLatin1Char('_');
    const int at = name.indexOf(prefix);
    return at < 0 ? 0 : readDecimal(name.mid(at + prefix.size()));
}

int clampCode(int code, int highest)
{
    return std::clamp(code, 0, highest);
}

// Bases and codes of a file may lie anywhere in the int range: distances and products are
// taken in 64 bits.
qint64 distance(qint64 a, qint64 b)
{
    return a < b ? b - a : a - b;
}

int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A base value without its own line takes the line of the nearest base value, so a value
// off the table's grid still stores a code of the right size.
int tableCodeFor(int base)
{
    const QString exact = tablePrefix() + QLatin1Char('_') + QString::number(base);
    const int at = SensorDefineTable.names.indexOf(exact);
    if (at >= 0)
        return SensorDefineTable.values.at(at);
    const QString prefix = tablePrefix() + QLatin1Char('_');
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < SensorDefineTable.names.size(); ++i) {
        const QString& name = SensorDefineTable.names.at(i);
        if (!name.contains(prefix))
            continue;
        const qint64 d = distance(baseDpiOf(name), base);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best < 0 ? 0 : SensorDefineTable.values.at(best);
}

// A code without its own line shows the base value of the nearest code, not 0.
int tableBaseFor(int code)
{
    const QString prefix = tablePrefix();
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < SensorDefineTable.names.size(); ++i) {
        if (!SensorDefineTable.names.at(i).contains(prefix))
            continue;
        const qint64 d = distance(SensorDefineTable.values.at(i), code);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best < 0 ? 0 : baseDpiOf(SensorDefineTable.names.at(best));
}

} // namespace

QString SensorSwitchTexts::Name(SensorSwitch which)
{
    return QLatin1String(switchNames[int(which)]);
}

bool SensorSwitchTexts::isOn(SensorSwitch which, const QString& model) const
{
    return model.isEmpty() || texts[int(which)].contains(model, Qt::CaseSensitive);
}

SensorDefinitionLine ParseSensorDefinitionLine(const QString& line)
{
    SensorDefinitionLine result;
    // The end of the text ends the line, as a line break would.
    const QString text = line.endsWith(QLatin1Char('\n')) ? line : line + QLatin1Char('\n');
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);

    if (parts.size() == 2) {
        for (int i = 0; i < SensorSwitchCount; ++i) {
            if (!parts.at(1).contains(QLatin1String(switchNames[i])))
                continue;
            const QStringList items = parts.at(1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
            if (items.size() >= 2) {
                result.kind = SensorDefinitionLine::Switch;
                result.which = SensorSwitch(i);
                result.text = withoutLineBreaks(items.at(1));
            }
            return result;
        }
        if (parts.at(0) != QLatin1String("#define"))
            return result;
        const QStringList items = parts.at(1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        // Only a value that the line break follows directly: later tab-separated text
        // (a comment) makes the line void.
        if (items.size() < 2 || !items.at(1).contains(QLatin1Char('\n')))
            return result;
        result.kind = SensorDefinitionLine::Entry;
        result.name = withoutLineBreaks(items.at(0));
        result.value = readNumber(withoutLineBreaks(items.at(1)));
        return result;
    }

    if (parts.size() == 3 && parts.at(2).contains(QLatin1String("//"))) {
        const QStringList items = parts.at(1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (items.size() != 2)
            return result;
        result.kind = SensorDefinitionLine::Entry;
        result.name = items.at(0);
        result.value = readNumber(items.at(1));
    }
    return result;
}

void ReadSensorDefinitions(const QString& path, SensorDefinitionTable& table, SensorSwitchTexts& switches)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine());
        const SensorDefinitionLine parsed = ParseSensorDefinitionLine(line);
        if (parsed.kind == SensorDefinitionLine::Switch) {
            switches.texts[int(parsed.which)] = parsed.text;
        } else if (parsed.kind == SensorDefinitionLine::Entry) {
            table.names.append(parsed.name);
            table.values.append(parsed.value);
        }
    }
}

void LoadSensorDefinitions()
{
    // A fresh reading: a page built again does not stack a second copy of the file.
    SensorDefinitionTable table;
    SensorSwitchTexts switches;
    ReadSensorDefinitions(AppPaths::InstallFolder() + QStringLiteral("/driver_sensor.h"), table, switches);
    SensorDefineTable = table;
    SensorFeatureSwitches = switches;
}

bool SensorSwitchOn(SensorSwitch which)
{
    return SensorFeatureSwitches.isOn(which, SensorModel);
}

DpiRangeSet ParseDpiRangeList(const QStringList& items)
{
    DpiRangeSet set;
    const int n = items.size();
    const int count = n > 0 ? std::min((n - 1) / 3, int(DpiRangeSet::MaxRanges)) : 0;
    if (count < 1)
        return set;
    set.count = count;
    set.DpiRangeCode = readHex(items.at(n - 1));
    for (int k = 0; k < count; ++k) {
        DpiRange range;
        range.minimum = readDecimal(items.at(3 * k));
        range.maximum = readDecimal(items.at(3 * k + 1));
        range.step = readDecimal(items.at(3 * k + 2));
        set.ranges.append(range);
        set.minima.append(range.minimum);
        set.maxima.append(range.maximum);
    }
    set.lowest = set.minima.first();
    set.highest = set.maxima.last();
    return set;
}

void ParseDpiRanges(const QStringList& items)
{
    DpiRanges = ParseDpiRangeList(items);
}

int SnapDpiValue(int value, int* pageStep)
{
    const QVector<DpiRange>& ranges = DpiRanges.ranges;
    for (int k = 0; k < ranges.size(); ++k) {
        const DpiRange& r = ranges.at(k);
        if (r.minimum <= value && value <= r.maximum) {
            // A zero or negative step has no grid to snap to.
            if (r.step <= 0)
                return value;
            if (pageStep)
                *pageStep = r.step;
            return value - value % r.step;
        }
        if (k + 1 < ranges.size() && r.maximum < value && value < ranges.at(k + 1).minimum) {
            if (pageStep && ranges.at(k + 1).step > 0)
                *pageStep = ranges.at(k + 1).step;
            return ranges.at(k + 1).minimum;
        }
    }
    return value;
}

DpiCodeBytes EncodeDpiLevel(int dpi)
{
    int m = 1;
    int f = 0;
    const DpiRangeSet& r = DpiRanges;
    if (r.count >= 1) {
        if (r.DpiRangeCode == 0x11 || r.DpiRangeCode == 0x22) {
            if (dpi > r.maxima.first()) {
                m = 2;
                f = r.DpiRangeCode;
            }
        } else if (r.DpiRangeCode == 0x33) {
            qCDebug(lcDevice) << "in3";
            int k = r.minima.size() - 1;
            while (k >= 0 && r.minima.at(k) > dpi)
                --k;
            switch (k) {
            case 3: m = 4; f = 0x33; break;
            case 2: m = 2; f = 0x11; break;
            case 1: m = 2; f = 0x22; break;
            default: break;
            }
        }
    }

    DpiCodeBytes bytes;
    if (modelHasTableLines()) {
        const quint8 code = quint8(clampCode(tableCodeFor(dpi / m), 0xFF));
        bytes.byte0 = code;
        bytes.byte1 = code;
        bytes.byte2 = quint8(f);
        return bytes;
    }

    const bool tenBit = isTenBitModel();
    const int code = clampCode(dpi / (m * 50) - 1, tenBit ? 0x3FF : 0xFF);
    if (tenBit) {
        const int h = code >> 8;
        f = (f | (h << 6) | (h << 2)) & 0xFF;
    }
    bytes.byte0 = quint8(code & 0xFF);
    bytes.byte1 = bytes.byte0;
    bytes.byte2 = quint8(f);
    return bytes;
}

void WriteDpiLevel(int level, int dpi)
{
    if (level < 0 || level > 7)
        return;
    const int before = DeviceConfig.read([level](const FlashDataMap& m) { return int(m.dpiLevels[level].code[2]); });
    if (hasBits(before, 0x22))
        qCDebug(lcDevice) << "in1";
    if (hasBits(before, 0x11))
        qCDebug(lcDevice) << "in2";
    const DpiCodeBytes bytes = EncodeDpiLevel(dpi);
    SetDpiLevelValue(level, bytes.byte0, bytes.byte1, bytes.byte2);
}

int ReadDpiLevel(int byte0, int byte2)
{
    byte0 &= 0xFF;
    byte2 &= 0xFF;
    if (modelHasTableLines()) {
        qint64 dpi = tableBaseFor(byte0);
        if (hasBits(byte2, 0x22))
            dpi *= 2;
        if (hasBits(byte2, 0x11))
            dpi *= 2;
        return saturated(dpi);
    }
    int code = byte0;
    if (isTenBitModel())
        code |= (byte2 & 0xC0) << 2;
    int dpi = hasBits(byte2, 0x22) ? (code + 1) * 100 : (code + 1) * 50;
    if (hasBits(byte2, 0x11))
        dpi *= 2;
    return dpi;
}
