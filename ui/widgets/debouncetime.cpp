#include "ui/widgets/debouncetime.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "ui/widgets/lessthree.h"
#include "ui/widgets/skin.h"

#include "ui_debouncetime.h"

#include <QPoint>

DebounceTime::DebounceTime(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::DebounceTime)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    ImageFolder = Skin::Folder(QStringLiteral("Buttoninterface"));
    Skin::ApplyComboSkin(m_ui->Debunce, ImageFolder);
}

DebounceTime::~DebounceTime() = default;

void DebounceTime::SetDebounceIndex(int index)
{
    m_ui->Debunce->setCurrentIndex(index);
}

void DebounceTime::SetDebounceItemText(int index, const QString& unit)
{
    if (index < 0 || index >= m_ui->Debunce->count())
        return;
    m_ui->Debunce->setItemText(index, QString::number(index) + unit);
}

void DebounceTime::on_Debunce_currentIndexChanged(int index)
{
    if (!UiSendsChanges.load())
        return;
    // -1: the host selected a stored value the list has no item for; it is no debounce time.
    if (index < 0)
        return;
    // The button page is showing the device's own value: nothing to write back, nothing to warn.
    if (ButtonLoading.load())
        return;
    // Offline the setter raises its own notice; the warning still follows for a low value.
    SetDebounceTime(index);
    if (index <= LastWarnedIndex)
        ShowLowDebounceWarning();
}

void DebounceTime::ShowLowDebounceWarning()
{
    LessThree warning(nullptr);
    Skin::MoveCenteredOver(&warning, this, QPoint(-409, -202));
    warning.exec();
}
