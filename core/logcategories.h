#ifndef LOGCATEGORIES_H
#define LOGCATEGORIES_H

// The device log's debug lines are off unless the user turns them on, e.g.
// QT_LOGGING_RULES="vexo.device.debug=true"; its warnings always show.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)

#endif
