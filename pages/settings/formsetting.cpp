#include "pages/settings/formsetting.h"

#include "core/postmsg.h"

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormSetting"));
    PostMsg::Connect(SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    PostMsg::Connect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    PostMsg::Connect(SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    PostMsg::Connect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)));
    PostMsg::Connect(SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)));
    PostMsg::Connect(SIGNAL(SigForm()), this, SLOT(SlotForm()));
    PostMsg::Connect(SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()));
}

void FormSetting::SetVer(int) {}
void FormSetting::SlotLabelTextB(QString, QString) {}
void FormSetting::SlotCheckUpdate() {}
void FormSetting::SlotRGBValue(DongleRGB*) {}
void FormSetting::SlotLongRangeMode(bool) {}
void FormSetting::SlotForm() {}
void FormSetting::SlotFormB() {}
void FormSetting::SlotFormResetForm() {}
