#include "pages/settings/formsetting.h"

#include "core/postmsg.h"
#include "device/devicediscovery.h"
#include "pages/settings/updaterepair.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormSetting"));
    RepairDialog = new UpDateRepair(this);
    UpDateRepairDialog = RepairDialog;
    // Discovery asks whether the repair dialog is open before it has it check again.
    SetRepairDialogVisibleHook([] { return UpDateRepairDialog && UpDateRepairDialog->isVisible(); });
    PostMsg::Connect(SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    PostMsg::Connect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    PostMsg::Connect(SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)));
    PostMsg::Connect(SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)));
    PostMsg::Connect(SIGNAL(SigForm()), this, SLOT(SlotForm()));
    PostMsg::Connect(SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FormSetting::~FormSetting()
{
    if (UpDateRepairDialog == RepairDialog) {
        SetRepairDialogVisibleHook(nullptr);
        UpDateRepairDialog = nullptr;
    }
}

void FormSetting::SetVer(int) {}
void FormSetting::SlotLabelTextB(QString, QString) {}
void FormSetting::SlotCheckUpdate() {}
void FormSetting::SlotRGBValue(DongleRGB*) {}
void FormSetting::SlotLongRangeMode(bool) {}
void FormSetting::SlotForm() {}
void FormSetting::SlotFormB() {}
void FormSetting::SlotFormResetForm() {}

void FormSetting::SlotAllLanguage(int index)
{
    // The update warning of the device choice road and of Space shows it.
    WiredModeText = LangText(LangTable::FormSettingTexts, index, 14);
}
