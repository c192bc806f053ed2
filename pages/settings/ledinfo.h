#ifndef LEDINFO_H
#define LEDINFO_H

#include "hidusb/flashdatamap.h"

#include <QDialog>
#include <QString>
#include <QScopedPointer>

class LedModeGroup;

namespace Ui {
class LedInfo;
}

// About the receiver's LED indicator: three exclusive boxes for LED modes 1 to 3 with a
// description beside each. It mirrors the mode the receiver reports and writes nothing.
class LedInfo : public QDialog
{
    Q_OBJECT
public:
    explicit LedInfo(QWidget* parent = nullptr);
    ~LedInfo() override;

public slots:
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();

private:
    const QScopedPointer<Ui::LedInfo> m_ui;
    QString SkinFolder;
    LedModeGroup* ModeGroup;
};

#endif
