#include "core/deviceinfocache.h"

#include "core/apppaths.h"
#include "core/configini.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/profileexportfile.h"
#include "core/savefilecommit.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QtDebug>

#include <cstring>

std::atomic<int> ImportCheckResult{0};

namespace {

// One Qt data-stream byte block: a big-endian 32-bit length and that many bytes. A missing
// length or a null block reads as empty. False for a length the rest of the file cannot
// hold: such a block is refused before anything is allocated for it.
bool readBlock(QIODevice& file, QByteArray* block)
{
    block->clear();
    QDataStream in(&file);
    quint32 length = 0;
    in >> length;
    if (in.status() != QDataStream::Ok || length == 0xFFFFFFFFu)
        return true;
    if (qint64(length) > file.size() - file.pos())
        return false;
    *block = file.read(qint64(length));
    return true;
}

// The text of a block up to its first NUL byte.
QByteArray untilNul(const QByteArray& block)
{
    const int nul = block.indexOf('\0');
    return nul < 0 ? block : block.left(nul);
}

} // namespace

QString DeviceCacheName(quint16 cidMid)
{
    const auto hex2 = [](int v) { return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); };
    return QStringLiteral("Device_CID") + hex2(cidMid & 0xFF) + QStringLiteral("_MID") + hex2(cidMid >> 8)
        + QStringLiteral(".bin");
}

QString DeviceCacheFolder()
{
    return AppPaths::UserDataFolder() + QStringLiteral("/Device_Info/");
}

void SaveDeviceInfoCache(const QString& fileName, const FlashDataMap& record)
{
    if (fileName.isEmpty())
        return;
    QSaveFile file(DeviceCacheFolder() + fileName);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out.writeBytes(reinterpret_cast<const char*>(&record), sizeof record);
    if (out.status() == QDataStream::Ok)
        CommitSaveFile(file);
    else
        file.cancelWriting();
}

bool LoadDeviceInfoCache(const QString& fileName, FlashDataMap* out)
{
    if (fileName.isEmpty() || !out)
        return false;
    QFile file(DeviceCacheFolder() + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray block;
    // A short block would leave bytes of the record that nobody wrote.
    if (!readBlock(file, &block) || block.size() < int(sizeof(FlashDataMap)))
        return false;
    std::memcpy(out, block.constData(), sizeof(FlashDataMap));
    return true;
}

bool RecordIsWellFormed(const FlashDataMap& r)
{
    if (r.dpiLevelCount == 0 || r.dpiLevelCount > 8 || r.currentDpiLevel > 7)
        return false;
    for (const KeyActionRecord& k : r.keyActions)
        if (k.count > 6)
            return false;
    for (const MacroRecord& m : r.macros)
        if (m.eventCount > 70 || m.nameLength > 30)
            return false;
    return true;
}

int CheckProfileFile(const QString& path, FlashDataMap* out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcDevice) << "failed";
        return 1;
    }
    QByteArray marker;
    QByteArray sensor;
    QByteArray record;
    if (!readBlock(file, &marker) || !readBlock(file, &sensor) || !readBlock(file, &record))
        return 1;
    if (untilNul(marker) != QByteArray(ProfileExportMarker))
        return 1;

    const QString section = CurrentDeviceSection();
    // The export keeps at most ProfileExportTextSize bytes of the name; compare what it can hold.
    const QByteArray ownSensor = untilNul(
        ConfigIni::instance()->value(section, QStringLiteral("Sensor")).toUtf8().left(ProfileExportTextSize));
    if (untilNul(sensor) != ownSensor)
        return 2;

    // Only a record of exactly the layout's size is one this program wrote.
    if (record.size() != int(sizeof(FlashDataMap)))
        return 1;
    FlashDataMap candidate;
    std::memcpy(&candidate, record.constData(), sizeof candidate);
    if (!RecordIsWellFormed(candidate))
        return 1;
    if (out)
        *out = candidate;

    const int maxGrade = ConfigIni::instance()->value(section, QStringLiteral("DPIMaxGrade")).toInt();
    return candidate.dpiLevelCount > maxGrade ? 2 : 0;
}
