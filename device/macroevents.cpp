#include "device/macroevents.h"

#include "device/keyusagetable.h"

#include <cmath>
#include <limits>

namespace {

const QString DefaultDelayText = QStringLiteral("10ms");

MacroEventRow defaultDelay()
{
    MacroEventRow row;
    row.text = DefaultDelayText;
    return row;
}

MacroEventRow releaseOf(const MacroEventRow& press)
{
    MacroEventRow release = press;
    release.itemType = MacroEventRow::Release;
    return release;
}

// The selected row, or -1 when none is selected or the selection lies outside the list.
int selectedRow(const MacroRowList& rows)
{
    const int selected = rows.Selected();
    return selected >= 0 && selected < rows.Count() ? selected : -1;
}

void insertAll(MacroRowList& rows, int at, std::initializer_list<MacroEventRow> values)
{
    for (const MacroEventRow& value : values)
        rows.Insert(at++, value);
}

} // namespace

bool MacroEventRow::operator==(const MacroEventRow& other) const
{
    if (text != other.text || itemType != other.itemType || hasKey != other.hasKey)
        return false;
    // Kind and code mean nothing on a row that does not carry them.
    return !hasKey || (kind == other.kind && code == other.code);
}

MacroEventRow MacroEventFromCode(int kind, int code, bool down)
{
    MacroEventRow row;
    row.itemType = down ? MacroEventRow::Press : MacroEventRow::Release;
    row.hasKey = true;
    row.kind = kind;
    row.code = code;
    for (const KeyUsageRow& key : KeyUsageTable) {
        if (key.kind == kind && key.code == code) {
            row.text = KeyUsageRowName(key);
            return row;
        }
    }
    // Not a table row (a device record may hold any code): name it as the decoder does.
    row.text = kind == KindMouseButton ? MouseButtonName(code) : KeyNameFromHidCode(code, kind);
    return row;
}

MacroEventRow MacroEventFromName(const QString& name, bool down)
{
    const KeyUsageRow* key = FindKeyUsageRow(name, true);
    if (!key)
        return MacroEventFromCode(KindKeyboard, 0, down);
    return MacroEventFromCode(key->kind, key->code, down);
}

MacroEventRow MacroDelayRow(double milliseconds)
{
    constexpr double largest = std::numeric_limits<quint32>::max();
    double value = 0;
    if (milliseconds > 0) // NaN fails this too
        value = std::min(std::round(milliseconds), largest);
    MacroEventRow row;
    row.text = QString::number(quint32(value)) + QLatin1String("ms");
    return row;
}

quint32 MacroDelayValue(const MacroEventRow& row)
{
    QString digits = row.text;
    digits.remove(QLatin1String("ms"));
    bool ok = false;
    const uint value = digits.toUInt(&ok);
    return ok ? value : 0;
}

QVector<MacroEventRow> MacroRowList::Rows() const
{
    QVector<MacroEventRow> rows;
    rows.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        rows.append(At(i));
    return rows;
}

MacroRowVector::MacroRowVector(const QVector<MacroEventRow>& rows)
    : m_rows(rows)
{
}

int MacroRowVector::Count() const
{
    return m_rows.size();
}

MacroEventRow MacroRowVector::At(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : MacroEventRow();
}

void MacroRowVector::Insert(int row, const MacroEventRow& value)
{
    row = qBound(0, row, m_rows.size());
    m_rows.insert(row, value);
    // The selection stays with its row.
    if (m_selected >= row)
        ++m_selected;
}

void MacroRowVector::Replace(int row, const MacroEventRow& value)
{
    if (row >= 0 && row < m_rows.size())
        m_rows[row] = value;
}

void MacroRowVector::RemoveAt(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows.remove(row);
    // As a list widget moves its current row: to the row that followed, else the one before.
    if (m_selected > row)
        --m_selected;
    else if (m_selected == row && m_selected >= m_rows.size())
        m_selected = m_rows.size() - 1;
}

void MacroRowVector::Clear()
{
    m_rows.clear();
    m_selected = -1;
}

int MacroRowVector::Selected() const
{
    return m_selected;
}

void MacroRowVector::Select(int row)
{
    m_selected = row >= 0 && row < m_rows.size() ? row : -1;
}

void AddKeyEventItem(MacroRowList& rows, const MacroEventRow& event)
{
    const int n = rows.Count();
    rows.Insert(n, event);
    rows.Select(n);
}

void AddDelayItem(MacroRowList& rows, double milliseconds)
{
    const int n = rows.Count();
    rows.Insert(n, MacroDelayRow(milliseconds));
    rows.Select(n - 1);
}

void InsertKeyEventItem(MacroRowList& rows, const MacroEventRow& event)
{
    const int n = rows.Count();
    const int r = selectedRow(rows);
    if (n == 0)
        insertAll(rows, 0, {event});
    else if (r < 0 || r == n - 1)
        insertAll(rows, n, {defaultDelay(), event});
    else if (r == 0)
        insertAll(rows, 2, {event, defaultDelay()});
    else if (rows.At(r).IsDelay())
        insertAll(rows, r + 1, {event, defaultDelay()});
    else
        insertAll(rows, r + 2, {event, defaultDelay()});
}

void InsertMouseButtonItems(MacroRowList& rows, const MacroEventRow& press)
{
    const MacroEventRow release = releaseOf(press);
    const int n = rows.Count();
    const int r = selectedRow(rows);
    if (n == 0)
        insertAll(rows, 0, {press, defaultDelay(), release});
    else if (r < 0 || r == n - 1)
        insertAll(rows, n, {defaultDelay(), press, defaultDelay(), release});
    else if (r == 0)
        insertAll(rows, 2, {press, defaultDelay(), release, defaultDelay()});
    else if (rows.At(r).IsDelay())
        insertAll(rows, r + 1, {press, defaultDelay(), release, defaultDelay()});
    else
        insertAll(rows, r + 1, {defaultDelay(), press, defaultDelay(), release});
}

void InsertDelayItem(MacroRowList& rows, double milliseconds)
{
    const int r = selectedRow(rows);
    // The first event has no delay in front of it.
    if (r <= 0)
        return;
    const MacroEventRow delay = MacroDelayRow(milliseconds);
    if (rows.At(r).IsDelay()) {
        rows.Replace(r, delay);
        rows.Select(r);
    } else if (rows.At(r - 1).IsDelay()) {
        rows.Replace(r - 1, delay);
        rows.Select(r - 1);
    } else {
        rows.Insert(r, delay);
        rows.Select(r);
    }
}

bool DeleteEventItems(MacroRowList& rows)
{
    const int n = rows.Count();
    if (n <= 3) {
        rows.Clear();
        return true;
    }
    const int r = selectedRow(rows);
    if (r < 0)
        return false;
    // The first row of the pair that goes: a delay goes with the event before it, the last
    // row with the row before it, any other event with its delay.
    int first = r == n - 1 || rows.At(r).IsDelay() ? r - 1 : r;
    // A delay on the first row (a malformed list) has no event in front of it: it goes alone.
    rows.RemoveAt(first + 1);
    if (first >= 0)
        rows.RemoveAt(first);
    else
        first = 0;
    // The row that followed the pair, or the one before it when the pair ended the list.
    rows.Select(first < rows.Count() ? first : first - 1);
    return true;
}
