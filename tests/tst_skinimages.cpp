#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "tools/skinmanifest.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

QString nameOf(const SkinImage& img)
{
    return QString::fromLatin1(img.folder) + QLatin1Char('/') + QString::fromLatin1(img.file);
}

// Where the program finds the image: the installation's Picture folder or the compiled-in resources.
QString locationOf(const SkinImage& img)
{
    if (img.builtIn())
        return nameOf(img);
    return TestEnv::BuiltInstallFolder() + QStringLiteral("/Picture/") + nameOf(img);
}

const SkinImage* find(const QString& folder, const QString& file)
{
    for (const SkinImage& img : skin::kImages)
        if (QLatin1String(img.folder) == folder && QLatin1String(img.file) == file)
            return &img;
    return nullptr;
}

QImage load(const SkinImage& img)
{
    return QImage(locationOf(img)).convertToFormat(QImage::Format_ARGB32);
}

// Mean difference per pixel of the images as seen on the page grey, on a 0..255 scale
// (largest channel difference of each pixel).
QImage onPage(const QImage& img)
{
    QImage flat(img.size(), QImage::Format_RGB32);
    flat.fill(QColor(0x1e, 0x1e, 0x21));
    QPainter p(&flat);
    p.drawImage(0, 0, img);
    return flat;
}

double visibleDifference(const QImage& a, const QImage& b)
{
    const QImage fa = onPage(a), fb = onPage(b);
    double sum = 0;
    for (int y = 0; y < fa.height(); ++y) {
        for (int x = 0; x < fa.width(); ++x) {
            const QRgb pa = fa.pixel(x, y), pb = fb.pixel(x, y);
            sum += std::max({std::abs(qRed(pa) - qRed(pb)), std::abs(qGreen(pa) - qGreen(pb)),
                             std::abs(qBlue(pa) - qBlue(pb))});
        }
    }
    return sum / (fa.width() * fa.height());
}

} // namespace

Q_DECLARE_METATYPE(const SkinImage*)

class TestSkinImages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void manifestNamesAreUnique();
    void installedImage_data();
    void installedImage();
    void builtInMatchesItsDrawing_data();
    void builtInMatchesItsDrawing();
    void sourcesNameOnlyKnownImages();
    void statesAreVisible_data();
    void statesAreVisible();
};

void TestSkinImages::initTestCase()
{
    Q_INIT_RESOURCE(resources);
}

void TestSkinImages::manifestNamesAreUnique()
{
    // Two rows for one file would overwrite each other's drawing.
    QSet<QString> seen;
    for (const SkinImage& img : skin::kImages) {
        QVERIFY2(!seen.contains(nameOf(img)), qPrintable(nameOf(img)));
        seen.insert(nameOf(img));
    }
}

void TestSkinImages::installedImage_data()
{
    QTest::addColumn<const SkinImage*>("image");
    for (const SkinImage& img : skin::kImages)
        QTest::newRow(qPrintable(nameOf(img))) << &img;
}

void TestSkinImages::installedImage()
{
    QFETCH(const SkinImage*, image);
    const QString path = locationOf(*image);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
    // Centred background images are not scaled: the size is the widget's.
    QCOMPARE(img.size(), QSize(image->width, image->height));

    // Something was drawn: at least a few visible pixels.
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    int visible = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            visible += qAlpha(argb.pixel(x, y)) > 64;
    QVERIFY2(visible >= std::min(8, argb.width() * argb.height() / 4), qPrintable(QString::number(visible)));
}

void TestSkinImages::builtInMatchesItsDrawing_data()
{
    QTest::addColumn<const SkinImage*>("builtIn");
    QTest::addColumn<const SkinImage*>("installed");
    QTest::newRow("battery outline") << find(QStringLiteral(":/KV/Source/public"), QStringLiteral("4.png"))
                                     << find(QStringLiteral("Dialog"), QStringLiteral("Battery.png"));
    QTest::newRow("charging mark") << find(QStringLiteral(":/Macro/debug/Picture/Dialog"), QStringLiteral("Charg.png"))
                                   << find(QStringLiteral("Dialog"), QStringLiteral("Charg.png"));
    QTest::newRow("section mark") << find(QStringLiteral(":/sensor/Source/SensorImage"), QStringLiteral("Title.png"))
                                  << find(QStringLiteral("Sensor"), QStringLiteral("Title.png"));
}

void TestSkinImages::builtInMatchesItsDrawing()
{
    // The compiled-in copies are committed; they must not drift from what the generator draws
    // (regenerate with: mkskin --builtin resources/skin).
    QFETCH(const SkinImage*, builtIn);
    QFETCH(const SkinImage*, installed);
    QVERIFY(builtIn && installed);
    const QImage a = load(*builtIn);
    const QImage b = load(*installed);
    QVERIFY(!a.isNull() && !b.isNull());
    // The raster engine's blending rounds differently on other processors: a level or two.
    QCOMPARE(a.size(), b.size());
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int y = 0; y < pa.height(); ++y) {
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb p = pa.pixel(x, y);
            const QRgb q = pb.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    QVERIFY2(worst <= 2, "compiled-in image is stale: run mkskin --builtin resources/skin");
}

void TestSkinImages::sourcesNameOnlyKnownImages()
{
    QSet<QString> files, resources;
    for (const SkinImage& img : skin::kImages) {
        files.insert(QString::fromLatin1(img.file));
        if (img.builtIn())
            resources.insert(nameOf(img));
    }

    // Suffixes of the state-image pattern (stem + "Hover.png" ...): composed at run time.
    const QSet<QString> suffixes = {QStringLiteral("Hover.png"), QStringLiteral("Click.png"),
                                    QStringLiteral("Clicked.png"), QStringLiteral("Checked.png")};

    const QString root = TestEnv::SourceFolder();
    const QRegularExpression imageName(QStringLiteral("([A-Za-z0-9_]+\\.png)\\b"));
    const QRegularExpression resourcePath(QStringLiteral("(:/[A-Za-z0-9_/]+\\.png)\\b"));
    // Block comments, and line comments that start a line or follow a space (not "http://").
    const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/|(?:^|(?<=\\s))//[^\\n]*"),
                                     QRegularExpression::DotMatchesEverythingOption
                                         | QRegularExpression::MultilineOption);
    struct Area {
        const char* folder;
        QStringList patterns;
    };
    const Area areas[] = {
        {"forms", {QStringLiteral("*.ui")}},
        {"ui", {QStringLiteral("*.cpp"), QStringLiteral("*.h")}},
        {"pages", {QStringLiteral("*.cpp"), QStringLiteral("*.h")}},
        {"device", {QStringLiteral("*.cpp"), QStringLiteral("*.h")}},
        {"app", {QStringLiteral("*.cpp"), QStringLiteral("*.h")}},
        {"core", {QStringLiteral("*.cpp"), QStringLiteral("*.h")}},
    };
    QStringList unknown;
    int scanned = 0;
    for (const Area& area : areas) {
        QDirIterator it(root + QLatin1Char('/') + QLatin1String(area.folder), area.patterns, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            QString text = QString::fromUtf8(file.readAll());
            // A name in a comment is no image the program loads.
            if (!path.endsWith(QLatin1String(".ui")))
                text.remove(comment);
            ++scanned;
            const QString where = path.mid(root.size() + 1);
            for (auto m = imageName.globalMatch(text); m.hasNext();) {
                const QString name = m.next().captured(1);
                if (!files.contains(name) && !suffixes.contains(name))
                    unknown << where + QStringLiteral(": ") + name;
            }
            for (auto m = resourcePath.globalMatch(text); m.hasNext();) {
                const QString name = m.next().captured(1);
                if (!resources.contains(name))
                    unknown << where + QStringLiteral(": ") + name;
            }
        }
    }
    QVERIFY2(scanned > 0, "no source file found");
    unknown.removeDuplicates();
    QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("images missing from the skin manifest: ") + unknown.join(QStringLiteral(", "))));
}

void TestSkinImages::statesAreVisible_data()
{
    QTest::addColumn<const SkinImage*>("normal");
    QTest::addColumn<const SkinImage*>("variant");

    // name + "Hover" / "Click" / "Clicked" / "Checked" (before an optional "B"): the state images
    // of one control. Each must have a resting image of its size to be compared with.
    const QRegularExpression stateName(QStringLiteral("^(.*?)(Hover|Clicked|Click|Checked)(B?)\\.png$"));
    // Controls whose resting image is not named after the pattern.
    const QHash<QString, QString> restingOf = {
        {QStringLiteral("ScreeInfo/CloseHover.png"), QStringLiteral("CloseButton.png")},
        {QStringLiteral("ScreeInfo/CloseClick.png"), QStringLiteral("CloseButton.png")},
        {QStringLiteral("Buttoninterface/NumberHover.png"), QStringLiteral("NumberOrigin.png")},
        {QStringLiteral("Buttoninterface/NumberClick.png"), QStringLiteral("NumberOrigin.png")},
    };
    for (const SkinImage& img : skin::kImages) {
        const QString file = QString::fromLatin1(img.file);
        const auto m = stateName.match(file);
        if (img.builtIn() || !m.hasMatch())
            continue;
        const QString folder = QString::fromLatin1(img.folder);
        const QString resting = restingOf.value(nameOf(img), m.captured(1) + m.captured(3) + QStringLiteral(".png"));
        const SkinImage* normal = find(folder, resting);
        QVERIFY2(normal && normal->width == img.width && normal->height == img.height,
                 qPrintable(nameOf(img) + QStringLiteral(" has no resting image of its size")));
        QTest::newRow(qPrintable(nameOf(img))) << normal << &img;
    }

    // Two-state controls named otherwise.
    const char* const pairs[][3] = {
        {"WarningDialog", "CheckBox.png", "CheckBoxCheck.png"},
        {"Macro", "CheckBox.png", "CheckBoxCheck.png"},
        {"FormSetting", "CheckBox2.png", "CheckBoxCheck.png"},
        {"WarningDialog", "ok_nr.png", "ok_enter.png"},
        {"Light", "Close.png", "Open.png"},
        {"ScreeInfo", "Close.png", "Open.png"},
        {"DialogChange", "DisOnlin0.png", "OnLine0.png"},
        {"Setting", "Pair.png", "PairSuccess.png"},
        {"Setting", "Pair.png", "PairFail.png"},
        {"FormSetting", "Confirm.png", "WaitUpdate.png"},
    };
    for (const auto& pair : pairs) {
        const SkinImage* normal = find(QLatin1String(pair[0]), QLatin1String(pair[1]));
        const SkinImage* variant = find(QLatin1String(pair[0]), QLatin1String(pair[2]));
        QVERIFY2(normal && variant, pair[2]);
        QTest::newRow(qPrintable(nameOf(*variant) + QStringLiteral(" vs ") + QLatin1String(pair[1]))) << normal << variant;
    }
}

void TestSkinImages::statesAreVisible()
{
    QFETCH(const SkinImage*, normal);
    QFETCH(const SkinImage*, variant);
    const QImage a = load(*normal);
    const QImage b = load(*variant);
    QVERIFY(!a.isNull() && !b.isNull());
    QCOMPARE(a.size(), b.size());
    // A state a user can tell apart: on average at least 8 of 255 levels over the whole image.
    const double diff = visibleDifference(a, b);
    QVERIFY2(diff >= 8.0, qPrintable(QStringLiteral("mean difference %1").arg(diff, 0, 'f', 1)));
}

VEXO_TEST_MAIN(TestSkinImages)

#include "tst_skinimages.moc"
