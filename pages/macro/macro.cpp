#include "pages/macro/macro.h"

#include "core/devicestate.h"
#include "core/postmsg.h"

Macro::Macro(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Macro"));
    PostMsg::Connect(SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
}

void Macro::SlotSetMacroPage()
{
    if (MacroRecording.exchange(0))
        PostMsg::instance()->EmitStartRecord(1);
}
