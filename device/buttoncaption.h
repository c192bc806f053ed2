#ifndef BUTTONCAPTION_H
#define BUTTONCAPTION_H

// What a button page selector shows for a stored function: the text of its catalogue entry,
// or a composition of it (a key combination's names, a macro's name, a locked DPI value).
// Used wherever the page rebuilds its captions from a whole settings record. Pure functions;
// the texts of the current language come in through a callback.

#include "device/macrorecordcodec.h"
#include "hidusb/flashdatamap.h"

#include <QString>

#include <functional>
#include <optional>

// The text at a position of the button page's language table, in the current language.
using ButtonCaptionTexts = std::function<QString(int position)>;

// The caption of a button's function f. keys and macro are the button's own records (read for
// type 5 and type 6 only); dpiValue is DpiValueFromCode(f.code) for the current sensor (read for
// type 10 only). Entries without a language position keep their form caption in every language.
// std::nullopt: no caption stands for the function, the selector keeps the one it has.
std::optional<QString> ButtonFunctionCaption(const ButtonFunctionCode& f, const KeyActionRecord& keys,
                                             const MacroRecord& macro, int dpiValue,
                                             const ButtonCaptionTexts& text);

// The texts before a language is applied: the form caption of the catalogue entry at a
// language position, "" for any other position (the macro prefix among them).
QString CatalogueFormCaption(int position);

#endif
