#include "pages/settings/inputpica.h"

#include "core/postmsg.h"
#include "core/timing.h"
#include "pages/settings/screeninfoskin.h"
#include "ui/lang/langtext.h"

#include "hidusb/HIDUsb.h"

#include "ui_inputpica.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QTimer>

InputPicA::InputPicA(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::InputPicA)
{
    m_ui->setupUi(this);
    TickTimer = new QTimer(this);
    TickTimer->setInterval(Timing::Scaled(ScreenClockTickMs));
    connect(TickTimer, &QTimer::timeout, this, &InputPicA::onEraseChipTimeTimer);
    SlotGroup = new QButtonGroup(this);
    SlotGroup->setExclusive(true);
    for (QToolButton* b : {m_ui->toolButtonA, m_ui->toolButtonB, m_ui->toolButtonC, m_ui->toolButtonD})
        SlotGroup->addButton(b);
    PictureFolder = ScreenInfoSkin::Folder();
    ScreenInfoSkin::Apply(this, PictureFolder);
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

void InputPicA::ApplyCurrentLanguage()
{
    SlotAllLanguage(CurrentLanguage);
}

bool InputPicA::ClockSyncRunning() const
{
    return TickTimer->isActive();
}

void InputPicA::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::ScreenInfoTexts, index, 0));
    m_ui->label_2->setText(LangText(LangTable::ScreenInfoTexts, index, 1));
    m_ui->label_3->setText(LangText(LangTable::ScreenInfoTexts, index, 2));
    m_ui->Input->setText(LangText(LangTable::ScreenInfoTexts, index, 3));
    m_ui->Output->setText(LangText(LangTable::ScreenInfoTexts, index, 4));
}

void InputPicA::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}

void InputPicA::onEraseChipTimeTimer()
{
    ClockSync.Tick(QDateTime::currentDateTime());
}

void InputPicA::on_Input_clicked()
{
}
