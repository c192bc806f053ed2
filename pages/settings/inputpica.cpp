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
    , ui(new Ui::InputPicA)
{
    ui->setupUi(this);
    TickTimer = new QTimer(this);
    TickTimer->setInterval(Timing::Scaled(ScreenClockTickMs));
    connect(TickTimer, &QTimer::timeout, this, &InputPicA::onEraseChipTimeTimer);
    SlotGroup = new QButtonGroup(this);
    SlotGroup->setExclusive(true);
    for (QToolButton* b : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        SlotGroup->addButton(b);
    PictureFolder = ScreenInfoSkin::Folder();
    ScreenInfoSkin::Apply(this, PictureFolder);
}

InputPicA::~InputPicA()
{
    delete ui;
}

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
    ui->label->setText(LangText(LangTable::ScreenInfoTexts, index, 0));
    ui->label_2->setText(LangText(LangTable::ScreenInfoTexts, index, 1));
    ui->label_3->setText(LangText(LangTable::ScreenInfoTexts, index, 2));
    ui->Input->setText(LangText(LangTable::ScreenInfoTexts, index, 3));
    ui->Output->setText(LangText(LangTable::ScreenInfoTexts, index, 4));
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
