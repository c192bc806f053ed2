#include "pages/buttons/buttoninterface.h"

#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/worker.h"

#include "hidusb/HIDUsb.h"

#include "ui_buttoninterface.h"

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::Buttoninterface)
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Buttoninterface"));
    // The button page is built first: it creates the worker.
    WorkerThread.store(new Worker(nullptr));
    PostMsg::Connect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()));
    PostMsg::Connect(SIGNAL(SigUpDataConfigUI(int,int,bool)), this, SLOT(SlotUpDataConfigUI(int,int,bool)));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    PostMsg::Connect(SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    PostMsg::Connect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    // The page opens with the menu closed and the debounce setting in view.
    m_ui->stackedWidget->setCurrentWidget(m_ui->page);
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
}

Buttoninterface::~Buttoninterface()
{
    CancelWorkerRun();
    Worker* worker = WorkerThread.exchange(nullptr);
    if (worker) {
        worker->WaitProcessingEvents();
        delete worker;
    }
    StopUsbChanged();
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap)
{
    ButtonLoaded.store(0);
    ButtonLoading.store(1);
    ButtonLoading.store(0);
    ButtonLoaded.store(1);
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap)
{
    ButtonLoading.store(1);
    ButtonLoading.store(0);
}

void Buttoninterface::SlotFormResetButton()
{
    ButtonLoading.store(1);
    ButtonLoading.store(0);
}

void Buttoninterface::SlotUpDataConfigUI(int, int, bool) {}
void Buttoninterface::SlotAllLanguage(int) {}
void Buttoninterface::SlotAddMacroButton() {}
void Buttoninterface::SlotMouseIndex(int) {}
