#include "pages/macro/listwidgetrows.h"

#include <QListWidget>
#include <QListWidgetItem>

namespace {

enum class IconKind { Press, Release, Delay };

IconKind KindOf(const MacroEventRow& value)
{
    if (value.IsDelay())
        return IconKind::Delay;
    return value.IsRelease() ? IconKind::Release : IconKind::Press;
}

} // namespace

ListWidgetRows::ListWidgetRows(QListWidget* list, const QString& skinFolder)
    : m_list(list)
    , m_press(skinFolder + QStringLiteral("MacroDown.png"))
    , m_release(skinFolder + QStringLiteral("MacroUp.png"))
    , m_delay(skinFolder + QStringLiteral("MacroTime.png"))
{
}

int ListWidgetRows::Count() const
{
    return m_list->count();
}

MacroEventRow ListWidgetRows::At(int row) const
{
    MacroEventRow value;
    const QListWidgetItem* item = m_list->item(row);
    if (!item)
        return value;
    value.text = item->text();
    value.itemType = item->type() == MacroEventRow::Release ? MacroEventRow::Release : MacroEventRow::Press;
    value.hasKey = item->data(HasKeyRole).toBool();
    value.kind = item->data(KindRole).toInt();
    value.code = item->data(CodeRole).toInt();
    return value;
}

void ListWidgetRows::Insert(int row, const MacroEventRow& value)
{
    const int count = m_list->count();
    m_list->insertItem(row < 0 || row > count ? count : row, MakeItem(value));
}

void ListWidgetRows::Replace(int row, const MacroEventRow& value)
{
    QListWidgetItem* item = m_list->item(row);
    if (!item)
        return;
    if (item->type() == value.itemType) {
        if (KindOf(At(row)) != KindOf(value))
            item->setIcon(IconFor(value));
        item->setText(value.text);
        item->setData(HasKeyRole, value.hasKey);
        item->setData(KindRole, value.kind);
        item->setData(CodeRole, value.code);
        return;
    }
    // The item type is fixed when an item is made.
    const bool selected = m_list->currentRow() == row;
    delete m_list->takeItem(row);
    m_list->insertItem(row, MakeItem(value));
    if (selected)
        m_list->setCurrentRow(row);
}

void ListWidgetRows::RemoveAt(int row)
{
    if (row >= 0 && row < m_list->count())
        delete m_list->takeItem(row);
}

void ListWidgetRows::Clear()
{
    m_list->clear();
}

int ListWidgetRows::Selected() const
{
    return m_list->currentRow();
}

void ListWidgetRows::Select(int row)
{
    m_list->setCurrentRow(row);
}

QIcon ListWidgetRows::IconFor(const MacroEventRow& value) const
{
    switch (KindOf(value)) {
    case IconKind::Delay:
        return m_delay;
    case IconKind::Release:
        return m_release;
    case IconKind::Press:
        break;
    }
    return m_press;
}

QListWidgetItem* ListWidgetRows::MakeItem(const MacroEventRow& value) const
{
    auto* item = new QListWidgetItem(IconFor(value), value.text, nullptr,
                                     value.IsRelease() ? MacroEventRow::Release : MacroEventRow::Press);
    item->setData(HasKeyRole, value.hasKey);
    item->setData(KindRole, value.kind);
    item->setData(CodeRole, value.code);
    return item;
}
