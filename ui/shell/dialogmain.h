#ifndef DIALOGMAIN_H
#define DIALOGMAIN_H

#include <QWidget>

class CrashDumpHandler;
class QListWidget;

// Top-level window (placeholder until the real window is built): frameless, 1020 by 700,
// listing the configured devices that discovery finds.
class DialogMain : public QWidget
{
    Q_OBJECT
public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

private:
    void RebuildDeviceList();

    CrashDumpHandler* m_crashDumpHandler = nullptr;
    QListWidget* m_devices = nullptr;
};

#endif
