#include "pages/settings/inputpica.h"

#include "core/timing.h"

#include "hidusb/HIDUsb.h"

#include "ui_inputpica.h"

#include <QDateTime>
#include <QTimer>

InputPicA::InputPicA(QWidget* parent)
    : ScreenPictureDialog(parent)
    , m_ui(new Ui::InputPicA)
{
    m_ui->setupUi(this);
    TickTimer = new QTimer(this);
    TickTimer->setInterval(Timing::Scaled(ScreenClockTickMs));
    connect(TickTimer, &QTimer::timeout, this, &InputPicA::onEraseChipTimeTimer);
    SetUpControls({m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->Input, m_ui->Output, m_ui->CloseButton,
                   {m_ui->toolButtonA, m_ui->toolButtonB, m_ui->toolButtonC, m_ui->toolButtonD}});
}

InputPicA::~InputPicA() = default;

void InputPicA::StartClockSync(bool on)
{
    if (!on)
        return;
    ClockSync.Restart();
    TickTimer->setInterval(Timing::Scaled(ScreenClockTickMs));
    TickTimer->start();
    StartUsbChanged(ScreenDevicesHotplugCallback, Timing::HotplugInterval);
}

bool InputPicA::ClockSyncRunning() const
{
    return TickTimer->isActive();
}

void InputPicA::onEraseChipTimeTimer()
{
    ClockSync.Tick(QDateTime::currentDateTime());
}

void InputPicA::on_Input_clicked()
{
}
