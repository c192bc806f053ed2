#ifndef LANGUAGEFILEREADER_H
#define LANGUAGEFILEREADER_H

// Reads the installation's language files into LanguageTables.
//
// A language file is XML: a root, then page elements (one per window and language), then key
// elements holding one text each. Each occurrence of a page element becomes one entry of its
// table: the recognised keys' texts in file order, stored when the terminal key (the last key of
// the table's list) has been read. An entry's language index is the number of entries the table
// held before it; "0-Spanish.xml" (root "Total") is read before "Net.xml" (root "Profile").

#include "ui/lang/languagetables.h"

#include <QString>

#include <functional>

class QXmlStreamReader;

class LanguageFileReader
{
public:
    // Reads "0-Spanish.xml", then "Net.xml", from a folder into fresh tables. When the first file
    // cannot be opened nothing is read at all; errors in a file end that file where they stand.
    static LanguageTables ReadFolder(const QString& folder);

    // Reads one file with the given root name, appending to the tables. False when the file
    // cannot be opened.
    static bool ReadFile(const QString& path, const QString& rootName, LanguageTables& tables);

    // Entered on a start element; returns past its matching end element, dropping everything
    // inside. Iterative, so deeply nested files cannot exhaust the stack.
    static void SkipElement(QXmlStreamReader& xml);
    // Walks the children of the element the reader stands on, calling atChild at each child's
    // start; atChild reads or skips that child. Returns past the element's end.
    static void ForEachChild(QXmlStreamReader& xml, const std::function<void()>& atChild);

private:
    static void ReadPages(QXmlStreamReader& xml, LanguageTables& tables);
    static void ReadPage(QXmlStreamReader& xml, const LangTableSpec& spec, LanguageTables& tables);
};

// Reads the installation's "Language" folder (under AppPaths::InstallFolder()) into the
// process-wide tables that LangText() reads. The top-level window calls it once, before it builds
// any other window; a later call replaces the tables with a fresh read (languages never pile up).
void LoadLanguageFiles();

#endif
