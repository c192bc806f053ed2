#ifndef BUTTONINTERFACE_H
#define BUTTONINTERFACE_H

#include "hidusb/flashdatamap.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class Buttoninterface;
}

// Button assignment page (placeholder until the page is built): takes the records the
// device link hands over and owns the one worker thread object.
class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

public slots:
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotFormResetButton();
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotAllLanguage(int index);
    void SlotAddMacroButton();
    void SlotMouseIndex(int index);

private:
    const QScopedPointer<Ui::Buttoninterface> m_ui;
};

#endif
