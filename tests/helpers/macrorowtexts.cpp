#include "helpers/macrorowtexts.h"

MacroEventRow MacroRowFromText(const QString& text)
{
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        return MacroEventFromName(text.mid(1), text.startsWith(QLatin1Char('+')));
    MacroEventRow row;
    row.text = text.startsWith(QLatin1Char('*')) ? text.mid(1) : text;
    return row;
}

QVector<MacroEventRow> MacroRowsFromTexts(const QStringList& texts)
{
    QVector<MacroEventRow> rows;
    for (const QString& text : texts)
        rows.append(MacroRowFromText(text));
    return rows;
}

QStringList MacroRowTexts(const QVector<MacroEventRow>& rows)
{
    QStringList texts;
    for (const MacroEventRow& row : rows) {
        if (row.IsDelay())
            texts << row.text;
        else
            texts << (row.IsRelease() ? QLatin1String("-") : QLatin1String("+")) + row.text;
    }
    return texts;
}
