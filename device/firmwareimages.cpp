#include "device/firmwareimages.h"

#include "core/apppaths.h"
#include "core/configini.h"
#include "core/deviceallinfo.h"
#include "core/devicestate.h"
#include "platform/registrystore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstring>
#include <functional>

FirmwareImageList UpgradeImageList;
FirmwareImageList RepairImageList;

std::atomic<int> ReceiverType{0};
std::atomic<int> FirmwareCid{0};
std::atomic<int> FirmwareMid{0};
std::atomic<int> UpgradeKind{0};
std::atomic<bool> UpgradeRunning{false};
std::atomic<bool> NewerMouseFirmware{false};
std::atomic<bool> NewerReceiverFirmware{false};

void FirmwareImageList::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_images.clear();
}

void FirmwareImageList::set(const FirmwareImage& image)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_images = {image};
}

bool FirmwareImageList::isEmpty() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_images.isEmpty();
}

FirmwareImage FirmwareImageList::first() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_images.isEmpty() ? FirmwareImage() : m_images.first();
}

QString FirmwareVersionText(quint32 version)
{
    return DeviceAllInfo::VersionTextFor(version);
}

FirmwareVersion ParseFirmwareVersion(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^v?(\\d+)\\.([0-9a-fA-F]+)$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    FirmwareVersion v;
    if (!m.hasMatch())
        return v;
    bool okMajor = false, okMinor = false;
    const int major = m.captured(1).toInt(&okMajor);
    const int minor = m.captured(2).toInt(&okMinor, 16);
    if (okMajor && okMinor) {
        v.major = major;
        v.minor = minor;
    }
    return v;
}

int ReceiverTypeFor(int connectionType)
{
    switch (connectionType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 4;
    case 5: return 8;
    default: return 0;
    }
}

QString FirmwareStemKey(int kind, int receiverClass)
{
    if (kind == MouseFirmware)
        return QStringLiteral("MM");
    switch (receiverClass) {
    case 1: return QStringLiteral("DM");
    case 2: return QStringLiteral("D2M");
    case 4: return QStringLiteral("D4M");
    case 8: return QStringLiteral("D8M");
    default: return QString();
    }
}

QString FirmwareFolder()
{
    return AppPaths::InstallFolder() + QStringLiteral("/bin");
}

namespace {

enum class Verdict { Skip, Take };

// Whether one image file fits the device and differs from the shown version.
Verdict judge(const QByteArray& image, int kind, const QString& shownVersion, const QString& stem, int cid, int mid)
{
    if (image.size() < int(sizeof(FirmwareDescriptor)))
        return Verdict::Skip;
    FirmwareDescriptor d;
    std::memcpy(&d, image.constData(), sizeof d);
    if (d.kind != (kind & 0xFF) || d.cid != (cid & 0xFF) || d.mid != (mid & 0xFF))
        return Verdict::Skip;
    const QByteArray name(d.name, int(qstrnlen(d.name, sizeof d.name)));
    if (QString::fromLocal8Bit(name) != stem)
        return Verdict::Skip;
    if (shownVersion.isEmpty())
        return Verdict::Take;
    return ParseFirmwareVersion(FirmwareVersionText(d.version)) == ParseFirmwareVersion(shownVersion)
        ? Verdict::Skip : Verdict::Take;
}

// Walks the candidate files in case-insensitive name order; calls take for each fitting image.
bool walkImages(int kind, const QString& shownVersion, const QString& stem, int cid, int mid,
                const std::function<void(const QByteArray&)>& take)
{
    QDir dir(FirmwareFolder());
    if (!dir.exists())
        return false;
    dir.setNameFilters({QStringLiteral("*.bin")});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    bool taken = false;
    for (const QFileInfo& info : dir.entryInfoList()) {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            continue; // an unreadable file does not end the search
        const QByteArray image = file.readAll();
        if (image.size() != file.size())
            continue; // only whole files count
        if (judge(image, kind, shownVersion, stem, cid, mid) == Verdict::Take) {
            taken = true;
            take(image);
        }
    }
    return taken;
}

} // namespace

bool ScanFirmwareImages(int kind, const QString& shownVersion, const QString& stem, int cid, int mid,
                        FirmwareImageList& list)
{
    list.clear();
    return walkImages(kind, shownVersion, stem, cid, mid, [&list](const QByteArray& image) { list.set(image); });
}

bool ProbeFirmwareImages(int kind, const QString& shownVersion, const QString& stem, int cid, int mid)
{
    if (shownVersion.isEmpty())
        return false;
    return walkImages(kind, shownVersion, stem, cid, mid, [](const QByteArray&) {});
}

bool CheckFirmwareUpdate(int kind, const QString& shownVersion, int receiverClass)
{
    ConfigIni* config = ConfigIni::instance();
    FirmwareCid.store(config->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt());
    const QString stemKey = FirmwareStemKey(kind, receiverClass);
    if (stemKey.isEmpty())
        return false;
    const QString section = CurrentDeviceSection();
    const QString stem = config->value(section, stemKey);
    const int mid = config->value(section, QStringLiteral("MID")).toInt();
    return ProbeFirmwareImages(kind, shownVersion, stem, FirmwareCid.load(), mid);
}

void WriteUpdateFailInfo(int kind, int receiverClass, int cid, int mid)
{
    RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo"),
                                        QStringLiteral("%1,%2,%3,%4").arg(kind).arg(receiverClass).arg(cid).arg(mid));
}

void RemoveUpdateFailInfo()
{
    RegistryStore::instance()->remove(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo"));
}

bool ReadUpdateFailInfo(UpdateFailRecord* record)
{
    const QString text =
        RegistryStore::instance()->value(RegistryStore::ProgramKey(), QStringLiteral("UpdateFailInfo")).toString();
    const QStringList parts = text.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (text.isEmpty() || parts.size() != 4)
        return false;
    if (record) {
        record->kind = parts.at(0).toInt();
        record->receiverClass = parts.at(1);
        record->cid = parts.at(2).toInt();
        record->mid = parts.at(3).toInt();
    }
    return true;
}

void WriteMouseVer(const QString& cidText, const QString& midText, const QString& versionText)
{
    RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), QStringLiteral("MouseVer") + cidText + midText,
                                        versionText);
}

QString ReadMouseVer(const QString& cidText, const QString& midText)
{
    return RegistryStore::instance()
        ->value(RegistryStore::ProgramKey(), QStringLiteral("MouseVer") + cidText + midText)
        .toString();
}

QString UpgradeLogPath()
{
    return AppPaths::UserDataFolder() + QStringLiteral("/Exception/UpDateLog.txt");
}

void AppendUpgradeLog(const QStringList& lines)
{
    // Unbuffered append: each line reaches the file in one write of the whole line, so a kill
    // or another appender never leaves half a line.
    QFile file(UpgradeLogPath());
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return;
    // A line torn by a kill before lines were written whole must not swallow the next one.
    QByteArray start;
    if (file.size() > 0 && file.seek(file.size() - 1) && file.read(1) != "\n")
        start = "\n";
    for (const QString& line : lines) {
        const QByteArray whole = start + line.toLocal8Bit() + '\n';
        start.clear();
        if (file.write(whole) != whole.size())
            return;
    }
}
