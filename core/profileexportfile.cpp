#include "core/profileexportfile.h"

#include "core/savefilecommit.h"

#include <QBuffer>
#include <QDataStream>
#include <QSaveFile>

static_assert(ProfileExportFileSize == 10464, "the export file layout changed");

QByteArray ProfileExportBytes(const FlashDataMap& record, const QString& sensorName)
{
    // The reader compares the texts up to their first zero byte, so a name of exactly 12
    // bytes carries none.
    const auto fixed = [](const QByteArray& text) { return text.left(ProfileExportTextSize).leftJustified(ProfileExportTextSize, '\0'); };
    const QByteArray marker = fixed(QByteArray(ProfileExportMarker));
    const QByteArray sensor = fixed(sensorName.toUtf8());

    QByteArray bytes;
    bytes.reserve(ProfileExportFileSize);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.writeBytes(marker.constData(), uint(marker.size()));
    out.writeBytes(sensor.constData(), uint(sensor.size()));
    out.writeBytes(reinterpret_cast<const char*>(&record), uint(sizeof record));
    return bytes;
}

bool WriteProfileExportFile(const QString& path, const FlashDataMap& record, const QString& sensorName)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = ProfileExportBytes(record, sensorName);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return CommitSaveFile(file);
}
