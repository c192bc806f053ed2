#include "pages/lighting/lamplight.h"

#include "core/devicestate.h"
#include "core/postmsg.h"

LampLight::LampLight(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LampLight"));
    PostMsg::Connect(SIGNAL(SigUpDataLightLight(FlashDataMap)), this, SLOT(SlotUpDataLightUILight(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataLightUIA(FlashDataMap)), this, SLOT(SlotUpDataLightUIA(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetLight()));
}

void LampLight::SlotUpDataLightUILight(FlashDataMap)
{
    LightLoaded.store(0);
    LightLoading.store(1);
    LightLoading.store(0);
    LightLoaded.store(1);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap)
{
    LightLoading.store(1);
    LightLoading.store(0);
}

void LampLight::SlotFormResetLight()
{
    LightLoading.store(1);
    LightLoading.store(0);
}
