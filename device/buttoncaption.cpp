#include "device/buttoncaption.h"

#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/macronames.h"

#include <QLatin1Char>

namespace {

QString entryText(const CatalogueEntry& entry, const ButtonCaptionTexts& text)
{
    // DPI+, DPI- and the DPI values have no language text: every language shows the form's.
    return entry.position < 0 ? QString::fromUtf8(entry.formCaption) : text(entry.position);
}

} // namespace

std::optional<QString> ButtonFunctionCaption(const ButtonFunctionCode& f, const KeyActionRecord& keys,
                                             const MacroRecord& macro, int dpiValue,
                                             const ButtonCaptionTexts& text)
{
    switch (f.type) {
    case KeyActionFunction:
        // A consumer key is an entry of its own; anything else is read as a combination.
        if (!IsConsumerKeyRecord(keys))
            return KeyCombinationCaption(keys);
        break;
    case MacroFunction:
        return text(MacroCaptionPrefixPosition) + MacroRecordName(macro);
    case DpiLockFunction:
        // Any value, 0 for a code the sensor table lacks: the lock shows what the device holds.
        return entryText(*SubListOpener(SubListPage::DpiLock), text) + QLatin1Char('-')
               + QString::number(dpiValue);
    default:
        break;
    }
    const CatalogueEntry* entry = EntryForFunction(f.type, f.code, keys, dpiValue);
    if (!entry)
        return std::nullopt;
    return entryText(*entry, text);
}

QString CatalogueFormCaption(int position)
{
    if (position < 0)
        return QString();
    for (const CatalogueEntry& entry : ButtonCatalogue) {
        if (entry.position == position)
            return QString::fromUtf8(entry.formCaption);
    }
    return QString();
}
