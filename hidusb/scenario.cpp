#include "scenario.h"

#include "flashdatamap.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstring>

namespace HidScenario {

static bool toInt(const QJsonValue& v, long long* out)
{
    if (v.isDouble()) {
        *out = (long long)v.toDouble();
        return true;
    }
    if (v.isBool()) {
        *out = v.toBool() ? 1 : 0;
        return true;
    }
    if (v.isString()) {
        bool ok = false;
        const QString s = v.toString().trimmed();
        const long long n = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toLongLong(&ok, 16)
                                                                                 : s.toLongLong(&ok, 10);
        if (ok)
            *out = n;
        return ok;
    }
    return false;
}

template <typename T> static void take(const QJsonObject& o, const char* key, T* field)
{
    long long n = 0;
    if (o.contains(QLatin1String(key)) && toInt(o.value(QLatin1String(key)), &n))
        *field = T(n);
}

static void takeBool(const QJsonObject& o, const char* key, bool* field)
{
    if (o.contains(QLatin1String(key))) {
        const QJsonValue v = o.value(QLatin1String(key));
        long long n = 0;
        *field = v.isBool() ? v.toBool() : (toInt(v, &n) && n != 0);
    }
}

static void takeString(const QJsonObject& o, const char* key, std::string* field)
{
    if (o.value(QLatin1String(key)).isString())
        *field = o.value(QLatin1String(key)).toString().toStdString();
}

static void takeBytes(const QJsonValue& v, uint8_t* out, int n)
{
    const QJsonArray a = v.toArray();
    for (int i = 0; i < n && i < a.size(); ++i) {
        long long x = 0;
        if (toInt(a.at(i), &x))
            out[i] = uint8_t(x);
    }
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
// "buttons": [[type, code, parameter] x up to 16].
static std::vector<uint8_t> FactoryFromJson(const QJsonObject& o)
{
    std::vector<uint8_t> bytes = DefaultFactory();
    FlashDataMap m;
    std::memcpy(&m, bytes.data(), sizeof m);
    take(o, "reportRate", &m.reportRate);
    take(o, "dpiLevelCount", &m.dpiLevelCount);
    take(o, "currentDpiLevel", &m.currentDpiLevel);
    take(o, "configByte3", &m.configByte3);
    take(o, "configByte4", &m.configByte4);
    take(o, "lod", &m.lod);
    take(o, "debounceTime", &m.debounceTime);
    take(o, "motionSync", &m.motionSync);
    take(o, "stopCloseTime", &m.stopCloseTime);
    take(o, "straightLine", &m.straightLine);
    take(o, "rippeControl", &m.rippeControl);
    take(o, "lightOffWhileMoving", &m.lightOffWhileMoving);
    take(o, "performance", &m.performance);
    take(o, "performanceOpen", &m.performanceOpen);
    take(o, "modelChoose", &m.modelChoose);
    const QJsonArray levels = o.value(QLatin1String("dpiLevels")).toArray();
    for (int i = 0; i < 8 && i < levels.size(); ++i)
        takeBytes(levels.at(i), reinterpret_cast<uint8_t*>(&m.dpiLevels[i]), 6);
    const QJsonObject effect = o.value(QLatin1String("dpiEffect")).toObject();
    take(effect, "mode", &m.dpiEffectMode);
    take(effect, "brightness", &m.dpiEffectBrightness);
    take(effect, "speed", &m.dpiEffectSpeed);
    take(effect, "on", &m.dpiEffectOn);
    const QJsonObject light = o.value(QLatin1String("light")).toObject();
    take(light, "mode", &m.lightMode);
    takeBytes(light.value(QLatin1String("color")), m.lightColor, 3);
    take(light, "speed", &m.lightSpeed);
    take(light, "brightness", &m.lightBrightness);
    take(light, "on", &m.lightOn);
    if (o.contains(QLatin1String("buttons"))) {
        std::memset(m.buttonFunctions, 0, sizeof m.buttonFunctions);
        const QJsonArray buttons = o.value(QLatin1String("buttons")).toArray();
        for (int b = 0; b < 16 && b < buttons.size(); ++b)
            takeBytes(buttons.at(b), reinterpret_cast<uint8_t*>(&m.buttonFunctions[b]), 3);
    }
    const auto* p = reinterpret_cast<const uint8_t*>(&m);
    return std::vector<uint8_t>(p, p + sizeof m);
}

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
    const QJsonObject costs = root.value(QLatin1String("costs")).toObject();
    take(costs, "reportMs", &s.costs.reportMs);
    take(costs, "answerMs", &s.costs.answerMs);
    take(costs, "flashStepMs", &s.costs.flashStepMs);
    take(costs, "pairMs", &s.costs.pairMs);
    take(costs, "resetMs", &s.costs.resetMs);
    take(costs, "reenumerateMs", &s.costs.reenumerateMs);
    take(root, "batteryDrainSeconds", &s.batteryDrainSeconds);
    takeBool(root, "persist", &s.persist);
    for (const QJsonValue& v : root.value(QLatin1String("devices")).toArray()) {
        const QJsonObject o = v.toObject();
        HidSim::DeviceSpec d;
        takeString(o, "id", &d.id);
        if (d.id.empty()) {
            if (error)
                *error = "a device without an id";
            return false;
        }
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
        take(o, "cid", &d.cid);
        take(o, "mid", &d.mid);
        take(o, "cableKind", &d.cableKind);
        take(o, "receiverType", &d.receiverType);
        take(o, "release", &d.release);
        take(o, "firmware", &d.firmware);
        take(o, "slaveVersion", &d.slaveVersion);
        takeString(o, "firmwareName", &d.firmwareName);
        takeBool(o, "plugged", &d.plugged);
        takeBool(o, "hasCable", &d.hasCable);
        takeBool(o, "awake", &d.awake);
        takeString(o, "receiver", &d.receiver);
        if (o.contains(QLatin1String("address")))
            takeBytes(o.value(QLatin1String("address")), d.address, 3);
        take(o, "battery", &d.battery);
        takeBool(o, "charging", &d.charging);
        take(o, "profiles", &d.profiles);
        takeBool(o, "ledOption", &d.ledOption);
        take(o, "ledMode", &d.ledMode);
        takeBool(o, "longRangeOption", &d.longRangeOption);
        take(o, "longRange", &d.longRange);
        takeBool(o, "screen", &d.screen);
        if (d.kind == HidSim::Kind::Screen)
            d.screen = true;
        if (o.contains(QLatin1String("factory")))
            d.factory = FactoryFromJson(o.value(QLatin1String("factory")).toObject());
        s.devices.push_back(d);
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
        take(o, "mid", &s.mid);
        take(o, "firmware", &s.firmware);
        take(o, "slave", &s.slave);
        take(o, "release", &s.release);
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
        take(o, "active", &s.active);
        for (const QJsonValue& image : o.value(QLatin1String("images")).toArray())
            s.images.push_back(unhex(image));
        if (o.contains(QLatin1String("led")))
            s.led = unhex(o.value(QLatin1String("led")));
        take(o, "longRange", &s.longRange);
        takeBool(o, "boot", &s.boot);
        (*out)[it.key().toStdString()] = s;
    }
    return true;
}

bool SaveState(const std::string& path, const std::map<std::string, DeviceState>& states)
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
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    return f.commit();
}

} // namespace HidScenario
