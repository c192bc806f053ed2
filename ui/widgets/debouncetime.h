#ifndef DEBOUNCETIME_H
#define DEBOUNCETIME_H

#include <QFrame>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class DebounceTime;
}

// The debounce time list, 0 to 15 ms: the chosen index is the value stored in debounceTime.
// A user's choice of 7 ms or less is written and then warned about (LessThree). The host
// page selects the device's value and gives the items their unit text.
class DebounceTime : public QFrame
{
    Q_OBJECT
public:
    static constexpr int ItemCount = 16;
    // The last index that opens the low-debounce warning.
    static constexpr int LastWarnedIndex = 7;

    explicit DebounceTime(QWidget* parent = nullptr);
    ~DebounceTime() override;

    // Selects an item without blocking the list: the host selects with ButtonLoading set, so
    // nothing is written. An index with no item leaves the list without a current item.
    void SetDebounceIndex(int index);
    // Item `index` reads the number `index` followed directly by the unit; an index with no
    // item changes nothing.
    void SetDebounceItemText(int index, const QString& unit);

private slots:
    void on_Debunce_currentIndexChanged(int index);

private:
    void ShowLowDebounceWarning();

    const QScopedPointer<Ui::DebounceTime> m_ui;
    QString ImageFolder;
};

#endif
