#ifndef INPUTPICA_H
#define INPUTPICA_H

#include "device/screenclock.h"
#include "pages/settings/mythread.h"

#include <QDialog>
#include <QString>
#include <QScopedPointer>

class QButtonGroup;
class QTimer;

namespace Ui {
class InputPicA;
}

// Picture screen settings of a device with a screen (screen switch, four picture slots, import,
// export, brightness); only the close button acts. It also carries the screen's clock
// synchronisation, which nothing starts.
class InputPicA : public QDialog
{
    Q_OBJECT
public:
    explicit InputPicA(QWidget* parent = nullptr);
    ~InputPicA() override;

    // On: counter to 0, the tick timer running and the screen search registered as the
    // library's hot-plug callback (replacing the active one). Off does nothing.
    void StartClockSync(bool on);
    void ApplyCurrentLanguage();
    bool ClockSyncRunning() const;

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();
    void onEraseChipTimeTimer();
    void on_Input_clicked();

private:
    const QScopedPointer<Ui::InputPicA> m_ui;
    QString PictureFolder;
    QButtonGroup* SlotGroup;
    QTimer* TickTimer;
    ScreenClockSync ClockSync;
    MyThread Thread;
};

#endif
