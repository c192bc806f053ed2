#include "scenario.h"

#include "hidusb/flashdatamap.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstring>
#include <limits>

namespace HidScenario {

// A whole number in lo..hi (bounds well inside a double's exact range): a JSON number,
// true / false, or a decimal or "0x" text. Fractions, out-of-range values and other types
// are refused, never cast.
static bool toInt(const QJsonValue& v, long long lo, long long hi, long long* out)
{
    long long n = 0;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::floor(d) != d || d < double(lo) || d > double(hi))
            return false;
        n = static_cast<long long>(d);
    } else if (v.isBool()) {
        n = v.toBool() ? 1 : 0;
    } else if (v.isString()) {
        bool ok = false;
        const QString s = v.toString().trimmed();
        n = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toLongLong(&ok, 16)
                                                                     : s.toLongLong(&ok, 10);
        if (!ok)
            return false;
    } else {
        return false;
    }
    if (n < lo || n > hi)
        return false;
    *out = n;
    return true;
}

// Collects the first refused value of a scenario, naming where it is.
struct Checker
{
    std::string where; // "device m: ", "costs: ", ...
    std::string error;

    bool ok() const { return error.empty(); }
    void refuse(const std::string& key, const QJsonValue& v, long long lo, long long hi)
    {
        if (!ok())
            return;
        QString shown = v.isString() ? QLatin1Char('"') + v.toString() + QLatin1Char('"')
            : v.isDouble()           ? QString::number(v.toDouble(), 'g', 17)
            : v.isBool()             ? QString::fromLatin1(v.toBool() ? "true" : "false")
                                     : QStringLiteral("a non-number");
        error = where + key + ": " + shown.toStdString() + " is not a whole number in " + std::to_string(lo) + ".."
            + std::to_string(hi);
    }
};

template <typename T> static constexpr long long lowest()
{
    return static_cast<long long>(std::numeric_limits<T>::min());
}

template <typename T> static constexpr long long highest()
{
    return static_cast<long long>(std::numeric_limits<T>::max());
}

template <typename T>
static void take(const QJsonObject& o, const char* key, T* field, Checker& c, long long lo = lowest<T>(),
                 long long hi = highest<T>())
{
    const QLatin1String k(key);
    if (!o.contains(k))
        return;
    long long n = 0;
    if (toInt(o.value(k), lo, hi, &n))
        *field = T(n);
    else
        c.refuse(key, o.value(k), lo, hi);
}

static void takeBool(const QJsonObject& o, const char* key, bool* field, Checker& c)
{
    const QLatin1String k(key);
    if (!o.contains(k))
        return;
    long long n = 0;
    if (toInt(o.value(k), 0, 1, &n))
        *field = n != 0;
    else
        c.refuse(key, o.value(k), 0, 1);
}

static void takeString(const QJsonObject& o, const char* key, std::string* field)
{
    if (o.value(QLatin1String(key)).isString())
        *field = o.value(QLatin1String(key)).toString().toStdString();
}

// Up to n bytes from an array; exactly n when exact.
static void takeBytes(const QJsonValue& v, const std::string& key, uint8_t* out, int n, Checker& c,
                      bool exact = false)
{
    if (!v.isArray() || (exact && v.toArray().size() != n)) {
        if (c.ok())
            c.error = c.where + key + ": not an array of " + (exact ? "" : "up to ") + std::to_string(n) + " bytes";
        return;
    }
    const QJsonArray a = v.toArray();
    for (int i = 0; i < n && i < a.size(); ++i) {
        long long x = 0;
        if (toInt(a.at(i), 0, 255, &x))
            out[i] = uint8_t(x);
        else
            c.refuse(key + "[" + std::to_string(i) + "]", a.at(i), 0, 255);
    }
}

// The state file is the library's own: a value it cannot take is left out, not fatal.
static void takeState(const QJsonObject& o, const char* key, int* field, long long lo, long long hi)
{
    long long n = 0;
    if (o.contains(QLatin1String(key)) && toInt(o.value(QLatin1String(key)), lo, hi, &n))
        *field = int(n);
}

std::vector<uint8_t> DefaultFactory()
{
    FlashDataMap m = ZeroFlashDataMap();
    m.reportRate = 0x01;
    m.dpiLevelCount = 4;
    m.currentDpiLevel = 1;
    m.lod = 1;
    m.debounceTime = 4;
    m.motionSync = 1;
    m.stopCloseTime = 30;
    m.performanceOpen = 6;
    // Computed sensor codes (units of 50 DPI): 400, 800, 1600, 3200, 6400, 12800.
    static const uint8_t codes[8] = {7, 15, 31, 63, 127, 255, 255, 255};
    static const uint8_t colors[8][3] = {{255, 0, 0},   {0, 0, 255},   {0, 255, 0},   {255, 255, 0},
                                         {255, 0, 255}, {0, 255, 255}, {255, 128, 0}, {255, 255, 255}};
    for (int i = 0; i < 8; ++i) {
        m.dpiLevels[i].code[0] = m.dpiLevels[i].code[1] = codes[i];
        m.dpiLevels[i].red = colors[i][0];
        m.dpiLevels[i].green = colors[i][1];
        m.dpiLevels[i].blue = colors[i][2];
    }
    m.dpiEffectMode = 1;
    m.dpiEffectBrightness = 255;
    m.dpiEffectSpeed = 3;
    m.dpiEffectOn = 1;
    m.lightMode = 1;
    m.lightColor[0] = 0;
    m.lightColor[1] = 120;
    m.lightColor[2] = 215;
    m.lightSpeed = 4;
    m.lightBrightness = 9;
    m.lightOn = 1;
    static const uint8_t buttons[6][3] = {{1, 1, 0}, {1, 2, 0}, {1, 4, 0}, {1, 8, 0}, {1, 16, 0}, {2, 1, 0}};
    for (int b = 0; b < 6; ++b) {
        m.buttonFunctions[b].type = buttons[b][0];
        m.buttonFunctions[b].code = buttons[b][1];
        m.buttonFunctions[b].parameter = buttons[b][2];
    }
    const auto* p = reinterpret_cast<const uint8_t*>(&m);
    return std::vector<uint8_t>(p, p + sizeof m);
}

// Record fields by name over the defaults: the scalar fields of the record under their
// own names, "dpiLevels": [[code0, code1, code2, r, g, b] x 8], "dpiEffect": {mode,
// brightness, speed, on}, "light": {mode, color: [r, g, b], speed, brightness, on},
// "buttons": [[type, code, parameter] x up to 16]. Every value is a byte.
static std::vector<uint8_t> FactoryFromJson(const QJsonObject& o, Checker& c)
{
    std::vector<uint8_t> bytes = DefaultFactory();
    FlashDataMap m;
    std::memcpy(&m, bytes.data(), sizeof m);
    const std::string where = c.where;
    c.where = where + "factory.";
    take(o, "reportRate", &m.reportRate, c);
    take(o, "dpiLevelCount", &m.dpiLevelCount, c);
    take(o, "currentDpiLevel", &m.currentDpiLevel, c);
    take(o, "configByte3", &m.configByte3, c);
    take(o, "configByte4", &m.configByte4, c);
    take(o, "lod", &m.lod, c);
    take(o, "debounceTime", &m.debounceTime, c);
    take(o, "motionSync", &m.motionSync, c);
    take(o, "stopCloseTime", &m.stopCloseTime, c);
    take(o, "straightLine", &m.straightLine, c);
    take(o, "rippeControl", &m.rippeControl, c);
    take(o, "lightOffWhileMoving", &m.lightOffWhileMoving, c);
    take(o, "performance", &m.performance, c);
    take(o, "performanceOpen", &m.performanceOpen, c);
    take(o, "modelChoose", &m.modelChoose, c);
    if (o.contains(QLatin1String("dpiLevels")) && c.ok() && !o.value(QLatin1String("dpiLevels")).isArray())
        c.error = c.where + "dpiLevels: not an array";
    if (o.contains(QLatin1String("dpiLevels"))) {
        const QJsonArray levels = o.value(QLatin1String("dpiLevels")).toArray();
        for (int i = 0; i < 8 && i < levels.size(); ++i)
            takeBytes(levels.at(i), "dpiLevels[" + std::to_string(i) + "]",
                      reinterpret_cast<uint8_t*>(&m.dpiLevels[i]), 6, c);
    }
    const QJsonObject effect = o.value(QLatin1String("dpiEffect")).toObject();
    c.where = where + "factory.dpiEffect.";
    take(effect, "mode", &m.dpiEffectMode, c);
    take(effect, "brightness", &m.dpiEffectBrightness, c);
    take(effect, "speed", &m.dpiEffectSpeed, c);
    take(effect, "on", &m.dpiEffectOn, c);
    const QJsonObject light = o.value(QLatin1String("light")).toObject();
    c.where = where + "factory.light.";
    take(light, "mode", &m.lightMode, c);
    if (light.contains(QLatin1String("color")))
        takeBytes(light.value(QLatin1String("color")), "color", m.lightColor, 3, c);
    take(light, "speed", &m.lightSpeed, c);
    take(light, "brightness", &m.lightBrightness, c);
    take(light, "on", &m.lightOn, c);
    c.where = where + "factory.";
    if (o.contains(QLatin1String("buttons")) && c.ok() && !o.value(QLatin1String("buttons")).isArray())
        c.error = c.where + "buttons: not an array";
    if (o.contains(QLatin1String("buttons"))) {
        std::memset(m.buttonFunctions, 0, sizeof m.buttonFunctions);
        const QJsonArray buttons = o.value(QLatin1String("buttons")).toArray();
        for (int b = 0; b < 16 && b < buttons.size(); ++b)
            takeBytes(buttons.at(b), "buttons[" + std::to_string(b) + "]",
                      reinterpret_cast<uint8_t*>(&m.buttonFunctions[b]), 3, c);
    }
    c.where = where;
    const auto* p = reinterpret_cast<const uint8_t*>(&m);
    return std::vector<uint8_t>(p, p + sizeof m);
}

// Costs of an hour or more are a mistake; the bound also keeps a write's total in range.
static const long long MaxCostMs = 3600 * 1000;

bool Parse(const std::string& json, Scenario* out, std::string* error)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &err);
    if (doc.isNull() || !doc.isObject()) {
        if (error)
            *error = err.error != QJsonParseError::NoError ? err.errorString().toStdString() : "not an object";
        return false;
    }
    const QJsonObject root = doc.object();
    Scenario s;
    Checker c;
    const QJsonObject costs = root.value(QLatin1String("costs")).toObject();
    c.where = "costs.";
    take(costs, "reportMs", &s.costs.reportMs, c, 0, MaxCostMs);
    take(costs, "answerMs", &s.costs.answerMs, c, 0, MaxCostMs);
    take(costs, "flashStepMs", &s.costs.flashStepMs, c, 0, MaxCostMs);
    take(costs, "pairMs", &s.costs.pairMs, c, 0, MaxCostMs);
    take(costs, "resetMs", &s.costs.resetMs, c, 0, MaxCostMs);
    take(costs, "reenumerateMs", &s.costs.reenumerateMs, c, 0, MaxCostMs);
    c.where.clear();
    take(root, "batteryDrainSeconds", &s.batteryDrainSeconds, c, 0, 24 * 3600);
    takeBool(root, "persist", &s.persist, c);
    for (const QJsonValue& v : root.value(QLatin1String("devices")).toArray()) {
        if (!c.ok())
            break;
        const QJsonObject o = v.toObject();
        HidSim::DeviceSpec d;
        takeString(o, "id", &d.id);
        if (d.id.empty()) {
            if (error)
                *error = "a device without an id";
            return false;
        }
        c.where = "device " + d.id + ": ";
        const QString kind = o.value(QLatin1String("kind")).toString(QStringLiteral("mouse"));
        if (kind == QLatin1String("mouse"))
            d.kind = HidSim::Kind::Mouse;
        else if (kind == QLatin1String("receiver"))
            d.kind = HidSim::Kind::Receiver;
        else if (kind == QLatin1String("screen"))
            d.kind = HidSim::Kind::Screen;
        else {
            if (error)
                *error = "unknown kind " + kind.toStdString();
            return false;
        }
        takeString(o, "vid", &d.vid);
        takeString(o, "pid", &d.pid);
        takeString(o, "path", &d.path);
        take(o, "cid", &d.cid, c);
        take(o, "mid", &d.mid, c);
        take(o, "cableKind", &d.cableKind, c);
        take(o, "receiverType", &d.receiverType, c, 1, 8);
        if (c.ok() && d.receiverType != 1 && d.receiverType != 2 && d.receiverType != 4 && d.receiverType != 8)
            c.error = c.where + "receiverType: " + std::to_string(d.receiverType) + " is not 1, 2, 4 or 8";
        take(o, "release", &d.release, c);
        take(o, "firmware", &d.firmware, c);
        take(o, "slaveVersion", &d.slaveVersion, c);
        takeString(o, "firmwareName", &d.firmwareName);
        takeBool(o, "plugged", &d.plugged, c);
        takeBool(o, "hasCable", &d.hasCable, c);
        takeBool(o, "awake", &d.awake, c);
        takeString(o, "receiver", &d.receiver);
        if (o.contains(QLatin1String("address")))
            takeBytes(o.value(QLatin1String("address")), "address", d.address, 3, c, true);
        take(o, "battery", &d.battery, c, 0, 100);
        takeBool(o, "charging", &d.charging, c);
        // The active profile travels as one byte.
        take(o, "profiles", &d.profiles, c, 1, 256);
        takeBool(o, "ledOption", &d.ledOption, c);
        take(o, "ledMode", &d.ledMode, c);
        takeBool(o, "longRangeOption", &d.longRangeOption, c);
        take(o, "longRange", &d.longRange, c);
        takeBool(o, "screen", &d.screen, c);
        if (d.kind == HidSim::Kind::Screen)
            d.screen = true;
        if (o.contains(QLatin1String("factory")))
            d.factory = FactoryFromJson(o.value(QLatin1String("factory")).toObject(), c);
        s.devices.push_back(d);
    }
    if (!c.ok()) {
        if (error)
            *error = c.error;
        return false;
    }
    *out = s;
    return true;
}

static QString hex(const std::vector<uint8_t>& v)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size())).toHex());
}

static std::vector<uint8_t> unhex(const QJsonValue& v)
{
    const QByteArray b = QByteArray::fromHex(v.toString().toLatin1());
    return std::vector<uint8_t>(b.begin(), b.end());
}

bool LoadState(const std::string& path, std::map<std::string, DeviceState>* out)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    if (!doc.isObject())
        return false;
    const QJsonObject devices = doc.object().value(QLatin1String("devices")).toObject();
    for (auto it = devices.begin(); it != devices.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        DeviceState s;
        takeState(o, "mid", &s.mid, 0, 255);
        takeState(o, "firmware", &s.firmware, 0, 0xFFFF);
        takeState(o, "slave", &s.slave, 0, 0xFFFF);
        takeState(o, "release", &s.release, 0, 0xFFFF);
        if (o.contains(QLatin1String("address"))) {
            const std::vector<uint8_t> a = unhex(o.value(QLatin1String("address")));
            if (a.size() == 3) {
                s.hasAddress = true;
                std::memcpy(s.address, a.data(), 3);
            }
        }
        if (o.contains(QLatin1String("pairedMouse"))) {
            s.hasPaired = true;
            s.pairedMouse = o.value(QLatin1String("pairedMouse")).toString().toStdString();
        }
        takeState(o, "active", &s.active, 0, 255);
        for (const QJsonValue& image : o.value(QLatin1String("images")).toArray())
            s.images.push_back(unhex(image));
        if (o.contains(QLatin1String("led")))
            s.led = unhex(o.value(QLatin1String("led")));
        takeState(o, "longRange", &s.longRange, 0, 255);
        s.boot = o.value(QLatin1String("boot")).toBool(false);
        (*out)[it.key().toStdString()] = s;
    }
    return true;
}

std::string StateText(const std::map<std::string, DeviceState>& states)
{
    QJsonObject devices;
    for (const auto& entry : states) {
        const DeviceState& s = entry.second;
        QJsonObject o;
        o.insert(QStringLiteral("mid"), s.mid);
        o.insert(QStringLiteral("firmware"), s.firmware);
        if (s.slave >= 0)
            o.insert(QStringLiteral("slave"), s.slave);
        if (s.release >= 0)
            o.insert(QStringLiteral("release"), s.release);
        if (s.hasAddress)
            o.insert(QStringLiteral("address"), hex(std::vector<uint8_t>(s.address, s.address + 3)));
        if (s.hasPaired)
            o.insert(QStringLiteral("pairedMouse"), QString::fromStdString(s.pairedMouse));
        o.insert(QStringLiteral("active"), s.active);
        QJsonArray images;
        for (const auto& image : s.images)
            images.append(hex(image));
        if (!s.images.empty())
            o.insert(QStringLiteral("images"), images);
        if (!s.led.empty())
            o.insert(QStringLiteral("led"), hex(s.led));
        if (s.longRange >= 0)
            o.insert(QStringLiteral("longRange"), s.longRange);
        if (s.boot)
            o.insert(QStringLiteral("boot"), true);
        devices.insert(QString::fromStdString(entry.first), o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), 1);
    root.insert(QStringLiteral("devices"), devices);
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

std::string FolderOf(const std::string& file)
{
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

} // namespace HidScenario
