#include "ui/widgets/updataparam.h"

#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/logcategories.h"
#include "core/postmsg.h"
#include "core/timing.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/inportfail.h"
#include "ui/widgets/skin.h"

#include "ui_updataparam.h"

#include <QTimer>
#include <QtDebug>

namespace {

// A successful import leaves the pages this many wait steps to redraw.
constexpr int ImportSettleSteps = 5;

bool allLoaded()
{
    return LightLoaded.load() && SensorLoaded.load() && ButtonLoaded.load();
}

void showRecordOnPages(const FlashDataMap& record)
{
    PostMsg* hub = PostMsg::instance();
    hub->EmitUpDataLightUIA(record);
    hub->EmitUpDataSensorUIB(record);
    hub->EmitUpDataButtonUIC(record);
    hub->EmitFormB();
}

} // namespace

UpDataParam::UpDataParam(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::UpDataParam)
{
    m_ui->setupUi(this);
    UpdateTimer = new QTimer(this);
    UpdateTimer->setSingleShot(true);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->UpDataParamA, m_ui->label, nullptr);
    connect(UpdateTimer, &QTimer::timeout, this, &UpDataParam::onTimeupDestroy);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

UpDataParam::~UpDataParam() = default;

void UpDataParam::StartTimer()
{
    UpdateTimer->start(Timing::Scaled(Timing::UpdateFirstCheck));
}

void UpDataParam::StartForReadPass(int index)
{
    StartTimer();
    ReloadWaitMode = index == 1;
}

void UpDataParam::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::UpDataParamTexts, index, ImportRunning.load() == 1 ? 1 : 0));
}

bool UpDataParam::WaitAllLoaded(bool clearWhenLoaded)
{
    // The flags are tested before each wait, never after the last one.
    for (int step = 0; step < Timing::UpdateWaitSteps; ++step) {
        if (allLoaded()) {
            if (clearWhenLoaded) {
                LightLoaded.store(0);
                SensorLoaded.store(0);
                ButtonLoaded.store(0);
            }
            return true;
        }
        WaitPumpingEvents(Timing::UpdateWaitStep);
    }
    return false;
}

void UpDataParam::onTimeupDestroy()
{
    PostMsg::instance()->EmitSetver(4);

    if (ReloadWaitMode) {
        const bool loaded = WaitAllLoaded(false);
        // The window keeps drawing while the device settles; the dialog stays modal meanwhile.
        WaitPumpingEvents(Timing::ReloadSettle);
        close();
        if (!loaded)
            PostMsg::instance()->EmitMouseOffLineo(0);
        return;
    }
    qCDebug(lcDevice) << "z";

    if (ImportMode) {
        RunImport();
        ImportMode = false;
        close();
        return;
    }
    if (!DeviceDataLoaded.load()) {
        ShowCachedRecord();
        return;
    }
    FinishRead();
}

void UpDataParam::RunImport()
{
    FlashDataMap record = ZeroFlashDataMap();
    const int result = CheckProfileFile(ImportFilePath, &record);
    ImportCheckResult = result;
    if (result != 0) {
        ShowImportFailure();
        return;
    }
    // The device must still be there when the file reaches it: when it is gone the offline
    // notice is raised; when it does not take the record the user is told so.
    switch (ApplyWholeRecord(record)) {
    case RecordWrite::Written:
        break;
    case RecordWrite::Offline:
        return;
    case RecordWrite::Refused:
        ImportCheckResult = ImportRefusedByDevice;
        ShowImportFailure();
        return;
    }
    showRecordOnPages(record);
    for (int step = 0; step < ImportSettleSteps; ++step)
        WaitPumpingEvents(Timing::UpdateWaitStep);
}

void UpDataParam::ShowImportFailure()
{
    InportFail notice(nullptr);
    Skin::MoveCenteredOver(&notice, this);
    notice.exec();
}

void UpDataParam::ShowCachedRecord()
{
    qCDebug(lcDevice) << "x";
    FlashDataMap cached = ZeroFlashDataMap();
    if (LoadDeviceInfoCache(SelectedCacheName.get(), &cached))
        showRecordOnPages(cached);
    // The notice runs modally before close(): this dialog stays behind it until dismissed.
    PostMsg::instance()->EmitMouseOffLineo(0);
    close();
}

void UpDataParam::FinishRead()
{
    qCDebug(lcDevice) << "v";
    const bool loaded = WaitAllLoaded(true);
    close();
    qCDebug(lcDevice) << "vvv";
    if (!loaded)
        PostMsg::instance()->EmitMouseOffLineo(1);
    qCDebug(lcDevice) << "vv";

    FlashDataMap existing = ZeroFlashDataMap();
    if (DeviceOnline.load() && !LoadDeviceInfoCache(SelectedCacheName.get(), &existing))
        SaveDeviceInfoCache(DeviceInfoCacheName.get(), DeviceConfig.get());
}
