#ifndef STOPCLOSETIME_H
#define STOPCLOSETIME_H

#include <QFrame>
#include <QScopedPointer>
#include <QString>

#include <array>

namespace Ui {
class StopCloseTime;
}

// The sleep time list, 10 s to 40 min, shown by the lighting and the settings page (each has
// its own). A user's pick is written to stopCloseTime; the hosts select the stored value and
// give the items their language texts.
class StopCloseTime : public QFrame
{
    Q_OBJECT
public:
    static constexpr int ItemCount = 11;
    // List index to the stored stopCloseTime, in units of 10 s.
    static const std::array<int, ItemCount> SleepTimeCodes;

    // The index of a stored stopCloseTime value, -1 for a value the list does not offer.
    static int StopCloseIndexOfValue(int stopCloseTime);
    // The same for a time in seconds (the stored value times 10).
    static int StopCloseIndexOfSeconds(int seconds);

    explicit StopCloseTime(QWidget* parent = nullptr);
    ~StopCloseTime() override;

    // Selects an item without writing; an index with no item changes nothing.
    void SetStopCloseIndex(int index);
    // An index with no item changes nothing.
    void SetStopCloseItemText(int index, const QString& text);

private slots:
    void on_StopClose_activated(int index);

private:
    const QScopedPointer<Ui::StopCloseTime> m_ui;
    QString ImageFolder;
};

#endif
