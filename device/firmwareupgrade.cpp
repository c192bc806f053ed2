#include "device/firmwareupgrade.h"

#include "core/timing.h"
#include "hidusb/HIDUsb.h"
#include "platform/registrystore.h"

#include <cstring>

namespace {

constexpr int WatchStep = 1000; // how often silence is looked for

const QString FailInfoName = QStringLiteral("UpdateFailInfo");

QVariant rawRecord()
{
    return RegistryStore::instance()->value(RegistryStore::ProgramKey(), FailInfoName);
}

void putBackRecord(const QVariant& raw)
{
    if (raw.isValid())
        RegistryStore::instance()->setValue(RegistryStore::ProgramKey(), FailInfoName, raw);
    else
        RemoveUpdateFailInfo();
}

void writeRecord(const FirmwareUpgrade::Target& target)
{
    WriteUpdateFailInfo(target.kind, target.receiverType, target.cid, target.mid);
}

QStringList libraryLog()
{
    QStringList lines;
    char** raw = UsbUpgradeC_GetLogs();
    for (int i = 0; i < HIDUSB_UPGRADE_LOG_LINES; ++i)
        lines << ((raw && raw[i]) ? QString::fromLocal8Bit(raw[i]) : QString());
    return lines;
}

} // namespace

FirmwareUpgrade::FirmwareUpgrade(StatusCallback status, QObject* parent)
    : QObject(parent)
    , m_status(status)
{
    connect(&m_watch, &QTimer::timeout, this, &FirmwareUpgrade::checkSilence);
}

FirmwareUpgrade::~FirmwareUpgrade() = default;

bool FirmwareUpgrade::Start(const FirmwareImage& image, const Target& target)
{
    if (image.size() < int(sizeof(FirmwareDescriptor)))
        return false;
    const QVariant before = rawRecord();
    UpdateFailRecord record;
    if (!ReadUpdateFailInfo(&record) || record.kind == target.kind)
        writeRecord(target);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_target = target;
        m_image = image;
    }
    // Set before the call: the result may be reported before it returns.
    m_lastReport.store(Timing::MonotonicMs());
    m_state.store(Flashing);
    // Ticks only while a flash runs. Queued: a second stage starts on a library thread, where
    // this object's timer cannot be started.
    QMetaObject::invokeMethod(
        this, [this] { m_watch.start(Timing::Scaled(WatchStep)); }, Qt::QueuedConnection);
    const FirmwareImage held = image;
    if (UsbUpgrade_Start(reinterpret_cast<const uint8_t*>(held.constData()), m_status, 10000))
        return true;
    // Refused: nothing was reported, so the flash is still ours to take back.
    m_state.store(Idle);
    putBackRecord(before);
    return false;
}

quint32 FirmwareUpgrade::FlashedVersion() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_image.size() < int(sizeof(FirmwareDescriptor)))
        return 0;
    FirmwareDescriptor d;
    std::memcpy(&d, m_image.constData(), sizeof d);
    return d.version;
}

void FirmwareUpgrade::HandleReport(const uint8_t* report)
{
    if (!report || report[0] != 7)
        return;
    int flashing = Flashing;
    if (report[1] == 1) {
        // A flash's reports come one after the other: only the time-out can want it meanwhile.
        if (!m_state.compare_exchange_strong(flashing, Reporting))
            return;
        m_lastReport.store(Timing::MonotonicMs());
        if (onProgress)
            onProgress(report[2]);
        m_state.store(Flashing);
    } else if (report[1] == 2) {
        if (m_state.compare_exchange_strong(flashing, Idle))
            finish(report[2] == 1);
    }
}

void FirmwareUpgrade::checkSilence()
{
    if (m_state.load() == Idle) {
        m_watch.stop();
        return;
    }
    if (Timing::MonotonicMs() - m_lastReport.load() < Timing::Scaled(Timing::UpgradeReportTimeout))
        return;
    // Left alone while a report is in hand: that report is no silence, and the next look
    // measures from it.
    int flashing = Flashing;
    if (m_state.compare_exchange_strong(flashing, Idle))
        finish(false);
}

void FirmwareUpgrade::finish(bool success)
{
    Target target;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        target = m_target;
    }
    if (success) {
        UpdateFailRecord record;
        if (ReadUpdateFailInfo(&record) && record.kind == target.kind)
            RemoveUpdateFailInfo();
        if (onSuccess)
            onSuccess(target);
    } else {
        writeRecord(target);
        AppendUpgradeLog(libraryLog());
        if (onFailure)
            onFailure(target);
    }
}

void FirmwareUpgrade::KeepRecordIfWaiting(const FirmwareImage& image, const Target& target)
{
    if (ReadUpdateFailInfo(nullptr))
        return;
    if (BootDeviceCount(image) > 0)
        writeRecord(target);
}

int FirmwareUpgrade::BootDeviceCount(const FirmwareImage& image)
{
    if (image.size() < int(sizeof(FirmwareDescriptor)))
        return 0;
    const FirmwareImage held = image;
    int count = 5;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const uint8_t*>(held.constData()), &count);
    return count;
}
