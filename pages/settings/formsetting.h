#ifndef FORMSETTING_H
#define FORMSETTING_H

#include "hidusb/flashdatamap.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class UpDateRepair;

// Settings page (placeholder until the page is built).
class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

public slots:
    void SetVer(int index);
    void SlotLabelTextB(QString TextA, QString Text);
    void SlotCheckUpdate();
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotLongRangeMode(bool Select);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotAllLanguage(int index);

private:
    // Owned here, published as UpDateRepairDialog.
    QPointer<UpDateRepair> RepairDialog;
};

#endif
