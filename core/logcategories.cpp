#include "core/logcategories.h"

Q_LOGGING_CATEGORY(lcDevice, "vexo.device", QtInfoMsg)
