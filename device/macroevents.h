#ifndef MACROEVENTS_H
#define MACROEVENTS_H
// A macro's event list as rows: an event (a key or mouse button pressed or released) or the
// delay between two events. A well-formed list alternates event, delay, event, ..., event. The
// builders here are the only code that places rows; the macro page's list widget and a plain
// vector both serve them through MacroRowList, so the placement rules are tested without
// widgets. GUI thread.
#include <QString>
#include <QVector>

struct MacroEventRow {
    enum ItemType : int { Press = 0, Release = 1 };

    QString text;          // the key or mouse-button name; a delay: digits followed by "ms"
    int itemType = Press;  // Release for a release event; Press for a press and for every delay
    bool hasKey = false;   // kind and code below are known (false only for an imported row)
    int kind = 0;          // KeyEventKind
    int code = 0;          // keyboard usage, modifier bit or mouse-button bit

    // How every reader tells a delay from an event.
    bool IsDelay() const { return text.contains(QLatin1String("ms")); }
    bool IsRelease() const { return itemType == Release; }
    bool operator==(const MacroEventRow& other) const;
    bool operator!=(const MacroEventRow& other) const { return !(*this == other); }
};

// An event row for a key table row: name through KeyUsageRowName, kind and code kept.
MacroEventRow MacroEventFromCode(int kind, int code, bool down);
// An event row for a name: the first key table row of that name (function keys before a
// mouse-button name of the same text); a name without a row gives the empty key.
MacroEventRow MacroEventFromName(const QString& name, bool down);
// A delay row: the value rounded to whole milliseconds (12.6 gives "13ms"), negative as 0.
MacroEventRow MacroDelayRow(double milliseconds);
// The milliseconds a delay row holds: its text without every "ms", 0 when that is no number.
quint32 MacroDelayValue(const MacroEventRow& row);

// The rows the builders edit, with the selected row (-1: none). Inserting before the selected
// row moves the selection down with its row; an index past the end appends.
class MacroRowList
{
public:
    virtual ~MacroRowList() = default;
    virtual int Count() const = 0;
    virtual MacroEventRow At(int row) const = 0;
    virtual void Insert(int row, const MacroEventRow& value) = 0;
    virtual void Replace(int row, const MacroEventRow& value) = 0;
    virtual void RemoveAt(int row) = 0;
    virtual void Clear() = 0;
    virtual int Selected() const = 0;
    virtual void Select(int row) = 0;

    QVector<MacroEventRow> Rows() const;
};

// A plain list: the codecs' scratch list and the tests' model.
class MacroRowVector : public MacroRowList
{
public:
    MacroRowVector() = default;
    explicit MacroRowVector(const QVector<MacroEventRow>& rows);
    int Count() const override;
    MacroEventRow At(int row) const override;
    void Insert(int row, const MacroEventRow& value) override;
    void Replace(int row, const MacroEventRow& value) override;
    void RemoveAt(int row) override;
    void Clear() override;
    int Selected() const override;
    void Select(int row) override;

private:
    QVector<MacroEventRow> m_rows;
    int m_selected = -1;
};

// The appending builders (recorder, record decoder): the caller checks that a macro is selected.
// The event row is appended and selected; the delay row is appended and the row before it
// selected.
void AddKeyEventItem(MacroRowList& rows, const MacroEventRow& event);
void AddDelayItem(MacroRowList& rows, double milliseconds);
// The inserting builders (event chooser): placed after the selected event's delay, or right
// after a selected delay, with "10ms" delays so events and delays keep alternating. The
// selection stays on its row.
void InsertKeyEventItem(MacroRowList& rows, const MacroEventRow& event);
// A click: the press given, its release made from it.
void InsertMouseButtonItems(MacroRowList& rows, const MacroEventRow& press);
// Sets a delay in front of the selected event, or replaces the selected delay, and selects it;
// the first row takes none.
void InsertDelayItem(MacroRowList& rows, double milliseconds);
// The delete-event command: three rows or fewer are all removed; else the selected event with
// its delay, the selected delay with its event, or the last row with the one before it.
// Returns false when nothing was removed (no row selected in a longer list).
bool DeleteEventItems(MacroRowList& rows);

#endif
