#include "ui/lang/langtext.h"

std::atomic<int> CurrentLanguage{0};

QString LangText(LangTable table, int language, int position)
{
    return LanguageTables::Global()->Text(table, language, position);
}

QString LangText(LangTable table, int position)
{
    return LangText(table, CurrentLanguage.load(), position);
}
