#ifndef LAMPLIGHT_H
#define LAMPLIGHT_H

#include "hidusb/flashdatamap.h"

#include <QWidget>

// Lighting page (placeholder until the page is built).
class LampLight : public QWidget
{
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);

public slots:
    void SlotUpDataLightUILight(FlashDataMap DataMap);
    void SlotUpDataLightUIA(FlashDataMap DataMap);
    void SlotFormResetLight();
};

#endif
