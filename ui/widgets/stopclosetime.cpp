#include "ui/widgets/stopclosetime.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "ui/widgets/skin.h"

#include "ui_stopclosetime.h"

#include <QSignalBlocker>

const std::array<int, StopCloseTime::ItemCount> StopCloseTime::SleepTimeCodes = {
    1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240,
};

int StopCloseTime::StopCloseIndexOfValue(int stopCloseTime)
{
    return StopCloseIndexOfSeconds(stopCloseTime * 10);
}

int StopCloseTime::StopCloseIndexOfSeconds(int seconds)
{
    for (int i = 0; i < ItemCount; ++i) {
        if (SleepTimeCodes[i] * 10 == seconds)
            return i;
    }
    return -1;
}

StopCloseTime::StopCloseTime(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::StopCloseTime)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    // The settings page shows the same images as the lighting page.
    ImageFolder = Skin::Folder(QStringLiteral("Light"));
    // This list keeps the toolkit's own drop-down view.
    Skin::ApplyComboSkin(m_ui->StopClose, ImageFolder, false);
}

StopCloseTime::~StopCloseTime() = default;

void StopCloseTime::SetStopCloseIndex(int index)
{
    if (index < 0 || index >= m_ui->StopClose->count())
        return;
    const QSignalBlocker blocker(m_ui->StopClose);
    m_ui->StopClose->setCurrentIndex(index);
}

void StopCloseTime::SetStopCloseItemText(int index, const QString& text)
{
    if (index < 0 || index >= m_ui->StopClose->count())
        return;
    m_ui->StopClose->setItemText(index, text);
}

void StopCloseTime::on_StopClose_activated(int index)
{
    if (!UiSendsChanges.load())
        return;
    if (index < 0 || index >= ItemCount)
        return;
    const int value = SleepTimeCodes[index];
    // Both hosts follow the button page's loading flag: it fills the settings page's list too.
    if (ButtonLoading.load())
        return;
    SetStopCloseTime(value);
}
