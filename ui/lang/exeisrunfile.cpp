#include "ui/lang/exeisrunfile.h"

#include "core/apppaths.h"
#include "ui/lang/languagefilereader.h"

#include <QFile>
#include <QXmlStreamReader>

QString ExeIsRunFile::FileName(int languageIndex)
{
    switch (languageIndex) {
    case 1:
        return QStringLiteral("1-简体中文.xml");
    case 2:
        return QStringLiteral("2-繁体中文.xml");
    case 3:
        return QStringLiteral("3-Korea.xml");
    case 4:
        return QStringLiteral("4-Russia.xml");
    case 5:
        return QStringLiteral("5-Japanese.xml");
    default:
        return QStringLiteral("0-English.xml");
    }
}

QString ExeIsRunFile::Path(int languageIndex)
{
    return AppPaths::InstallFolder() + QStringLiteral("/Language/") + FileName(languageIndex);
}

static void readElement(QXmlStreamReader& xml, QHash<QString, QString>& texts)
{
    static const QStringList keys = {QStringLiteral("label"), QStringLiteral("NewHong"),
                                     QStringLiteral("label_2"), QStringLiteral("PleaseStop")};
    LanguageFileReader::ForEachChild(xml, [&]() {
        const QString name = xml.name().toString();
        if (!keys.contains(name)) {
            LanguageFileReader::SkipElement(xml);
            return;
        }
        texts.insert(name, xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement));
        if (xml.isEndElement())
            xml.readNext();
    });
}

static void readRoot(QXmlStreamReader& xml, QHash<QString, QString>& texts)
{
    LanguageFileReader::ForEachChild(xml, [&]() {
        if (xml.name() == QLatin1String("EXEIsRun"))
            readElement(xml, texts);
        else
            LanguageFileReader::SkipElement(xml);
    });
}

QHash<QString, QString> ExeIsRunFile::Read(const QString& path)
{
    QHash<QString, QString> texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return texts;
    QXmlStreamReader xml(&file);
    xml.readNext();
    while (!xml.atEnd()) {
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("Total"))
                readRoot(xml, texts);
            else
                xml.raiseError(QStringLiteral("Not a labels file"));
        } else {
            xml.readNext();
        }
    }
    return texts;
}
