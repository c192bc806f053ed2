#include "ui/lang/languagefilereader.h"

#include "core/apppaths.h"

#include <QFile>
#include <QXmlStreamReader>

LanguageTables LanguageFileReader::ReadFolder(const QString& folder)
{
    LanguageTables tables;
    if (ReadFile(folder + QStringLiteral("/0-Spanish.xml"), QStringLiteral("Total"), tables))
        ReadFile(folder + QStringLiteral("/Net.xml"), QStringLiteral("Profile"), tables);
    return tables;
}

bool LanguageFileReader::ReadFile(const QString& path, const QString& rootName, LanguageTables& tables)
{
    QFile file(path);
    // Text mode: CR LF line ends reach the texts as LF.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QXmlStreamReader xml(&file);
    xml.readNext();
    while (!xml.atEnd()) {
        if (xml.isStartElement()) {
            if (xml.name() == rootName)
                ReadPages(xml, tables);
            else
                xml.raiseError(QStringLiteral("Not a labels file"));
        } else {
            xml.readNext();
        }
    }
    return true;
}

void LanguageFileReader::ForEachChild(QXmlStreamReader& xml, const std::function<void()>& atChild)
{
    xml.readNext();
    while (!xml.atEnd()) {
        if (xml.isEndElement()) {
            xml.readNext();
            return;
        }
        if (xml.isStartElement())
            atChild();
        else
            xml.readNext();
    }
}

void LanguageFileReader::ReadPages(QXmlStreamReader& xml, LanguageTables& tables)
{
    const auto& specs = LanguageTables::Specs();
    ForEachChild(xml, [&]() {
        for (const LangTableSpec& spec : specs) {
            if (xml.name() == spec.element) {
                ReadPage(xml, spec, tables);
                return;
            }
        }
        SkipElement(xml);
    });
}

void LanguageFileReader::ReadPage(QXmlStreamReader& xml, const LangTableSpec& spec, LanguageTables& tables)
{
    QStringList entry;
    ForEachChild(xml, [&]() {
        const int key = spec.keys.indexOf(xml.name().toString());
        if (key < 0) {
            SkipElement(xml);
            return;
        }
        // A child element inside a key is an error; the text read before it still counts.
        entry << xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (key == spec.keys.size() - 1)
            tables.Append(spec.table, entry);
        if (xml.isEndElement())
            xml.readNext();
    });
}

void LanguageFileReader::SkipElement(QXmlStreamReader& xml)
{
    int depth = 1;
    xml.readNext();
    while (!xml.atEnd()) {
        if (xml.isEndElement()) {
            xml.readNext();
            if (--depth == 0)
                return;
        } else if (xml.isStartElement()) {
            ++depth;
            xml.readNext();
        } else {
            xml.readNext();
        }
    }
}

void LoadLanguageFiles()
{
    LanguageTables::SetGlobal(
        LanguageFileReader::ReadFolder(AppPaths::InstallFolder() + QStringLiteral("/Language")));
}
