#include "ui/widgets/offlinenoticeguard.h"

#include "ui/lang/langtext.h"
#include "ui/widgets/mouseoffline.h"
#include "ui/widgets/skin.h"

#include <QPointer>

namespace {
QPointer<MouseOffLine> g_openNotice;
}

bool OfflineNoticeGuard::Run(int mode, QWidget* over, const std::function<void()>& prepare)
{
    OfflineNoticeMode = mode;
    if (prepare)
        prepare();
    if (g_openNotice) {
        QMetaObject::invokeMethod(g_openNotice, "SlotAllLanguage", Q_ARG(int, CurrentLanguage.load()));
        return false;
    }
    MouseOffLine notice(nullptr);
    Skin::MoveCenteredOver(&notice, over, QPoint(0, -20));
    g_openNotice = &notice;
    notice.exec();
    g_openNotice = nullptr;
    return true;
}

bool OfflineNoticeGuard::IsOpen()
{
    return !g_openNotice.isNull();
}
