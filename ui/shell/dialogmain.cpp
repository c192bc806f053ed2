#include "ui/shell/dialogmain.h"

#include "core/configini.h"
#include "core/timing.h"
#include "device/devicediscovery.h"
#include "platform/crashdumphandler.h"

#include "hidusb/HIDUsb.h"

#include <QListWidget>
#include <QVBoxLayout>

DialogMain::DialogMain(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DialogMain"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setFixedSize(1020, 700);
    setStyleSheet(QStringLiteral("#DialogMain{background:#1e1e21;} QListWidget{background:#2d2d30;color:#e0e0e0;"
                                 "border:1px solid #3f3f46;font-size:16px;} QListWidget::item{padding:12px;}"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(60, 60, 60, 60);
    m_devices = new QListWidget(this);
    m_devices->setObjectName(QStringLiteral("DeviceList"));
    layout->addWidget(m_devices);

    m_crashDumpHandler = new CrashDumpHandler;
    m_crashDumpHandler->InstallCrashDumpFilter();

    ConfigDeviceTotal.store(ConfigIni::instance()->value(QStringLiteral("Option"), QStringLiteral("DeviceTotal")).toInt());
    SetRebuildDeviceListHook([this] { RebuildDeviceList(); });
    StartUsbChanged(DevicePageHotplugNotice, Timing::HotplugInterval);
}

DialogMain::~DialogMain()
{
    StopUsbChanged();
    SetRebuildDeviceListHook(nullptr);
    delete m_crashDumpHandler;
}

void DialogMain::RebuildDeviceList()
{
    m_devices->clear();
    for (const DeviceAllInfo& d : FoundDeviceList.get()) {
        const QString section = QStringLiteral("Drive") + QString::number(d.DriveIndex + 1);
        const QString sensor = ConfigIni::instance()->value(section, QStringLiteral("Sensor"));
        m_devices->addItem(QStringLiteral("%1 · %2 · %3 · %4")
                               .arg(section, sensor.isEmpty() ? QStringLiteral("?") : sensor,
                                    d.Wired ? QStringLiteral("USB") : QStringLiteral("2.4G"), d.VersionText));
    }
}
