#include "ui/lang/keptexts.h"

QString MouseIsNewTipsText;
QString WiredModeText;
