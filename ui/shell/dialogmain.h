#ifndef DIALOGMAIN_H
#define DIALOGMAIN_H

#include <QWidget>

class CrashDumpHandler;

// Top-level window (placeholder until the real window is built): frameless, 1020 by 700.
class DialogMain : public QWidget
{
    Q_OBJECT
public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

private:
    CrashDumpHandler* m_crashDumpHandler = nullptr;
};

#endif
