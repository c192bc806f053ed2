#ifndef INPUTPICA_H
#define INPUTPICA_H

#include "device/screenclock.h"
#include "pages/settings/mythread.h"
#include "pages/settings/screenpicturedialog.h"

#include <QScopedPointer>

class QTimer;

namespace Ui {
class InputPicA;
}

// Picture screen settings of a device with a screen (screen switch, four picture slots, import,
// export, brightness); only the close button acts. It also carries the screen's clock
// synchronisation, which nothing starts.
class InputPicA : public ScreenPictureDialog
{
    Q_OBJECT
public:
    explicit InputPicA(QWidget* parent = nullptr);
    ~InputPicA() override;

    // On: counter to 0, the tick timer running and the screen search registered as the
    // library's hot-plug callback (replacing the active one). Off does nothing.
    void StartClockSync(bool on);
    bool ClockSyncRunning() const;

private slots:
    void onEraseChipTimeTimer();
    void on_Input_clicked();

private:
    const QScopedPointer<Ui::InputPicA> m_ui;
    QTimer* TickTimer;
    ScreenClockSync ClockSync;
    MyThread Thread;
};

#endif
