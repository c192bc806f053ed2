#ifndef NOMOUSESETTINGS_H
#define NOMOUSESETTINGS_H

#include "ui/widgets/noticedialog.h"

#include <QScopedPointer>
#include <QStringList>

namespace Ui {
class NoMouseSettings;
}

// Says that no known mouse settings program is installed, naming the ones looked for, when the
// settings page's button has nothing to open.
class NoMouseSettings : public NoticeDialog
{
    Q_OBJECT
public:
    explicit NoMouseSettings(const QStringList& lookedFor, QWidget* parent = nullptr);
    ~NoMouseSettings() override;

private:
    const QScopedPointer<Ui::NoMouseSettings> m_ui;
};

#endif
