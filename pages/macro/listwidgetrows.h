#ifndef LISTWIDGETROWS_H
#define LISTWIDGETROWS_H

#include "device/macroevents.h"

#include <QIcon>
#include <QString>
#include <Qt>

class QListWidget;
class QListWidgetItem;

// The macro page's event list as the rows the builders edit. The item type is the row's
// direction (0 press or delay, 1 release); kind and code ride along in data roles so files
// and records are made from them and not from a language's names. Items are complete before
// they go into the list, so loading a macro never reports a changed row.
class ListWidgetRows : public MacroRowList
{
public:
    static constexpr int HasKeyRole = Qt::UserRole;
    static constexpr int KindRole = Qt::UserRole + 1;
    static constexpr int CodeRole = Qt::UserRole + 2;

    // Icons MacroDown.png, MacroUp.png and MacroTime.png from skinFolder (trailing separator).
    ListWidgetRows(QListWidget* list, const QString& skinFolder);

    int Count() const override;
    MacroEventRow At(int row) const override;
    void Insert(int row, const MacroEventRow& value) override;
    // Same item type: the item is changed in place (a different text reports a changed row);
    // otherwise it is swapped for a new item, keeping the selection on it.
    void Replace(int row, const MacroEventRow& value) override;
    void RemoveAt(int row) override;
    void Clear() override;
    int Selected() const override;
    void Select(int row) override;

    // The icon a row shows: press, release or delay.
    QIcon IconFor(const MacroEventRow& value) const;

private:
    QListWidgetItem* MakeItem(const MacroEventRow& value) const;

    QListWidget* const m_list;
    QIcon m_press;
    QIcon m_release;
    QIcon m_delay;
};

#endif
