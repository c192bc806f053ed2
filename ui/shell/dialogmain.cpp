#include "dialogmain.h"

#include "crashdumphandler.h"

DialogMain::DialogMain(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DialogMain"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setFixedSize(1020, 700);
    m_crashDumpHandler = new CrashDumpHandler;
    m_crashDumpHandler->InstallCrashDumpFilter();
}

DialogMain::~DialogMain()
{
    delete m_crashDumpHandler;
}
