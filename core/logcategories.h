#ifndef LOGCATEGORIES_H
#define LOGCATEGORIES_H

// Debug output users can switch off, e.g. QT_LOGGING_RULES="vexo.device.debug=false".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)

#endif
