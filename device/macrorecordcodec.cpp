#include "device/macrorecordcodec.h"

#include "device/keyusagetable.h"
#include "device/macronames.h"

#include <cstring>

static_assert(MacroEventLimit == int(sizeof(MacroRecord::events) / sizeof(KeyActionEvent)),
              "one event slot per recordable event");

namespace {

// Kind and code of an event row; a row without them (an import) is resolved by its name.
void eventKey(const MacroEventRow& row, int* kind, int* code)
{
    if (row.hasKey) {
        *kind = row.kind;
        *code = row.code;
        return;
    }
    const KeyUsageRow* key = FindKeyUsageRow(row.text, true);
    *kind = key ? key->kind : KindKeyboard;
    *code = key ? key->code : 0;
}

} // namespace

MacroRecord BuildMacroRecord(const QString& name, const QVector<MacroEventRow>& rows)
{
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    record.nameLength =
        quint8(EncodeMacroName(name, reinterpret_cast<quint8*>(record.name), MacroNameBytes));

    // Event i is row 2i, its delay row 2i + 1, by position only.
    for (int row = 0; row < rows.size() && row / 2 < MacroEventLimit; ++row) {
        KeyActionEvent& event = record.events[row / 2];
        const MacroEventRow& value = rows.at(row);
        if (row % 2 == 0) {
            int kind = 0;
            int code = 0;
            eventKey(value, &kind, &code);
            event.action = value.IsRelease() ? 1 : 0;
            event.kind = quint8(kind);
            event.usage = quint16(code);
        } else {
            event.delay = MacroDelayValue(value);
        }
    }

    // A list ending with a delay row gets one more, all-zero event.
    const int count = rows.isEmpty() ? 0 : qMin(rows.size() / 2 + 1, MacroEventLimit);
    record.eventCount = quint8(count);
    if (count > 0)
        record.events[count - 1].delay = 0; // nothing follows the last event kept
    return record;
}

QString MacroRecordName(const MacroRecord& record)
{
    static_assert(sizeof record.name == MacroNameBytes, "a name field is MacroNameBytes long");
    // Bounded by the field: a name without a zero byte ends where the event count begins.
    return DecodeMacroName(reinterpret_cast<const quint8*>(record.name), int(sizeof record.name));
}

QVector<MacroEventRow> MacroRecordRows(const MacroRecord& record)
{
    // A count from the device is not trusted beyond the record's slots.
    const int count = qMin(int(record.eventCount), MacroEventLimit);
    MacroRowVector rows;
    for (int i = 0; i < count; ++i) {
        const KeyActionEvent& event = record.events[i];
        MacroEventRow row;
        row.text = event.kind == KindMouseButton ? MouseButtonName(event.usage)
                                                 : KeyNameFromHidCode(event.usage, event.kind);
        row.itemType = event.action == 0 ? MacroEventRow::Press : MacroEventRow::Release;
        row.hasKey = true;
        row.kind = event.kind;
        row.code = event.usage;
        AddKeyEventItem(rows, row);
        if (i + 1 < count)
            AddDelayItem(rows, event.delay);
    }
    return rows.Rows();
}
