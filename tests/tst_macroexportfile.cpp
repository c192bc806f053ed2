#include "device/keyusagetable.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/macro/macroexportfile.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/types.h>

Q_DECLARE_METATYPE(QVector<MacroEventRow>)

namespace {

MacroEventRow keyRow(const QString& text, bool down)
{
    MacroEventRow row;
    row.text = text;
    row.itemType = down ? MacroEventRow::Press : MacroEventRow::Release;
    row.hasKey = true;
    row.kind = KindKeyboard;
    row.code = 0x04;
    return row;
}

MacroEventRow delay(const QString& text)
{
    MacroEventRow row;
    row.text = text;
    return row;
}

const QVector<MacroEventRow> kClick = {keyRow("A", true), delay("10ms"), keyRow("A", false)};

// "A v", "A ^", "10ms"; a row that claims kind and code is marked "+key".
QStringList render(const QVector<MacroEventRow>& rows)
{
    QStringList lines;
    for (const MacroEventRow& row : rows) {
        QString line = row.text;
        if (!row.IsDelay())
            line += row.IsRelease() ? QStringLiteral(" ^") : QStringLiteral(" v");
        else if (row.IsRelease())
            line += QStringLiteral(" (release delay)");
        if (row.hasKey)
            line += QStringLiteral(" +key");
        lines << line;
    }
    return lines;
}

QIcon nullIcon(const MacroEventRow&)
{
    return QIcon();
}

QPixmap filled(int size, Qt::GlobalColor color)
{
    QPixmap pixmap(size, size);
    pixmap.fill(color);
    return pixmap;
}

// Icons as the page gives them: one per direction and one for delays, two sizes each.
QIcon pageIcon(const MacroEventRow& row)
{
    const Qt::GlobalColor color = row.IsDelay() ? Qt::blue : row.IsRelease() ? Qt::red : Qt::green;
    QIcon icon(filled(16, color));
    icon.addPixmap(filled(32, color), QIcon::Selected, QIcon::On);
    return icon;
}

QByteArray exported(const QString& name, int repeat, const QVector<MacroEventRow>& rows,
                    const std::function<QIcon(const MacroEventRow&)>& iconFor = nullIcon)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteMacroExportFile(buffer, name, repeat, rows, iconFor))
        return QByteArray("<write failed>");
    return buffer.data();
}

// Fields of hand-made files, in the stream's own encoding.
template<typename T>
QByteArray streamed(const T& value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_9);
    out << value;
    return bytes;
}

QByteArray block(const QByteArray& content)
{
    return streamed(quint32(content.size())) + content;
}

QByteArray header(const QByteArray& marker = "Dovoz", const QByteArray& name = "M", const QByteArray& repeat = "1")
{
    auto padded = [](QByteArray text, int size) { return text + QByteArray(size - text.size(), '\0'); };
    return block(padded(marker, 12)) + block(padded(name, 48)) + block(padded(repeat, 12));
}

QByteArray count(qint32 rows)
{
    return streamed(rows);
}

QByteArray text(const QString& value)
{
    return streamed(value);
}

const QByteArray kNullIcon = QByteArray::fromHex("ffffffff");

QByteArray direction(const QByteArray& twoBytes)
{
    return block(twoBytes);
}

// One entry of a pixmap icon without image data: image marker, file name, size, mode, state.
QByteArray iconEntry(const QString& fileName)
{
    return count(0) + text(fileName) + streamed(QSize(16, 16)) + streamed(quint32(0)) + streamed(quint32(0));
}

// A pixmap icon of such entries, claiming entries of them.
QByteArray fileIcon(const QStringList& fileNames, qint32 entries = -1)
{
    QByteArray bytes = text(QStringLiteral("QPixmapIconEngine")) + count(entries < 0 ? fileNames.size() : entries);
    for (const QString& fileName : fileNames)
        bytes += iconEntry(fileName);
    return bytes;
}

// One pixmap entry with a real image, as QIcon writes it.
QByteArray imageIcon()
{
    QByteArray bytes = streamed(QIcon(filled(8, Qt::red)));
    return bytes;
}

// A pixmap icon field of exactly size bytes: one entry whose PNG carries a data chunk of filler.
QByteArray iconOfSize(qint64 size)
{
    const auto build = [](qint64 filler) {
        QByteArray png("\x89PNG\r\n\x1a\n", 8);
        png += streamed(quint32(filler)) + "IDAT" + QByteArray(int(filler), 'x') + QByteArray(4, '\0');
        png += streamed(quint32(0)) + "IEND" + QByteArray(4, '\0');
        return text(QStringLiteral("QPixmapIconEngine")) + count(1) + count(1) + png + text(QString())
               + streamed(QSize(16, 16)) + streamed(quint32(0)) + streamed(quint32(0));
    };
    return build(size - build(0).size());
}

// An icon made from an image file, as the page makes its row icons: the stream carries the
// image and the file's path.
QIcon noiseIconFile(const QString& path, uint seed)
{
    QImage image(24, 24, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (seed = seed * 1103515245u + 12345u));
    if (!image.save(path, "PNG"))
        return QIcon();
    return QIcon(path);
}

QByteArray pressRow(const QByteArray& icon = kNullIcon)
{
    return text(QStringLiteral("A")) + icon + direction(QByteArray("0\0", 2));
}

} // namespace

class TestMacroExportFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exampleBytes();
    void firstBlocksWithIcons();
    void nameCut_data();
    void nameCut();
    void qtReadsWhatIsWritten();
    void roundTrip_data();
    void roundTrip();
    void fields_data();
    void fields();
    void badFiles_data();
    void badFiles();
    void iconNamingAFileOpensNothing();
    void fieldBounds_data();
    void fieldBounds();
    void fileLimits_data();
    void fileLimits();
    void writeFailure();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMacroExportFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMacroExportFile::cleanup()
{
    m_dir.reset();
}

void TestMacroExportFile::exampleBytes()
{
    const QByteArray expected = QByteArray::fromHex(
        "0000000c" "446f766f7a" "00000000000000"
        "00000030" "4d" + QByteArray(2 * 47, '0') +
        "0000000c" "31" "0000000000000000000000"
        "00000003"
        "000000020041" "ffffffff" "000000023000"
        "0000000800310030006d0073" "ffffffff"
        "000000020041" "ffffffff" "000000023100");
    QCOMPARE(exported(QStringLiteral("M"), 1, kClick).toHex(), expected.toHex());
}

void TestMacroExportFile::firstBlocksWithIcons()
{
    const QByteArray bytes = exported(QStringLiteral("M"), 1, kClick, pageIcon);
    const QByteArray first88 = QByteArray::fromHex(
        "0000000c446f766f7a00000000000000"
        "000000304d" + QByteArray(94, '0') + "0000000c31" + QByteArray(22, '0') + "00000003");
    QCOMPARE(first88.size(), 88);
    QCOMPARE(bytes.left(88).toHex(), first88.toHex());
    QVERIFY(bytes.mid(88).startsWith(QByteArray::fromHex("000000020041")));
    QVERIFY(bytes.endsWith(QByteArray::fromHex("000000023100")));
}

void TestMacroExportFile::nameCut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");

    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // four UTF-8 bytes, two UTF-16 units
    const QString e = QString::fromUtf8("\xC3\xA9");             // two bytes
    const QString han = QString::fromUtf8("\xE5\x8D\x81");       // three bytes
    QTest::newRow("fits") << QStringLiteral("Macro 1") << QStringLiteral("Macro 1");
    QTest::newRow("47 bytes") << QString(47, 'a') << QString(47, 'a');
    QTest::newRow("48 bytes") << QString(48, 'a') << QString(47, 'a');
    QTest::newRow("two-byte characters") << e.repeated(30) << e.repeated(23);
    QTest::newRow("three-byte characters") << han.repeated(16) << han.repeated(15);
    QTest::newRow("pair ends at 47") << QString(43, 'a') + emoji << QString(43, 'a') + emoji;
    QTest::newRow("pair would pass 47") << QString(44, 'a') + emoji + QStringLiteral("b") << QString(44, 'a');
    QTest::newRow("empty") << QString() << QString();
}

void TestMacroExportFile::nameCut()
{
    QFETCH(QString, name);
    QFETCH(QString, written);

    const QByteArray bytes = exported(name, 1, {});
    const QByteArray nameBlock = bytes.mid(20, 48);
    const QByteArray utf8 = written.toUtf8();
    QCOMPARE(nameBlock.left(utf8.size()), utf8);
    QCOMPARE(nameBlock.mid(utf8.size()), QByteArray(48 - utf8.size(), '\0'));
    QCOMPARE(ReadMacroExportData(bytes).name, written);
}

void TestMacroExportFile::qtReadsWhatIsWritten()
{
    // Qt's own reader takes the file field by field: the layout is the stream's.
    const QByteArray bytes = exported(QStringLiteral("M"), 254, kClick, pageIcon);
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_9);
    char* fixedBlock = nullptr;
    uint length = 0;
    for (int i = 0; i < 3; ++i) {
        in.readBytes(fixedBlock, length);
        delete[] fixedBlock;
    }
    qint32 rows = 0;
    in >> rows;
    QCOMPARE(rows, 3);
    for (const MacroEventRow& row : kClick) {
        QString text;
        QIcon icon;
        in >> text >> icon;
        QCOMPARE(text, row.text);
        QCOMPARE(icon.availableSizes(), pageIcon(row).availableSizes());
        QCOMPARE(icon.availableSizes(QIcon::Selected, QIcon::On), QList<QSize>{QSize(32, 32)});
        QCOMPARE(icon.pixmap(16).toImage().pixelColor(0, 0), pageIcon(row).pixmap(16).toImage().pixelColor(0, 0));
        if (!row.IsDelay()) {
            char* digit = nullptr;
            in >> digit;
            QCOMPARE(QByteArray(digit), QByteArray(row.IsRelease() ? "1" : "0"));
            delete[] digit;
        }
    }
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
}

void TestMacroExportFile::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QVector<MacroEventRow>>("rows");
    QTest::addColumn<bool>("icons");

    QVector<MacroEventRow> many;
    for (int i = 0; i < MacroExportMaxRows; ++i)
        many << (i % 2 ? delay(QString::number(i) + QStringLiteral("ms")) : keyRow(QStringLiteral("Key %1").arg(i), i % 4 == 0));
    MacroEventRow button = keyRow(QString::fromUtf8("\xE5\xB7\xA6\xE9\x94\xAE"), false);
    button.kind = KindMouseButton;
    button.code = 0x01;

    QTest::newRow("click, null icons") << "M" << 1 << kClick << false;
    QTest::newRow("click, page icons") << "M" << 254 << kClick << true;
    QTest::newRow("no rows") << "Empty" << 250 << QVector<MacroEventRow>() << true;
    QTest::newRow("139 rows") << "Long" << 255 << many << true;
    QTest::newRow("non-ASCII texts") << QString::fromUtf8("\xE5\xAE\x8F 1") << 253
                                     << QVector<MacroEventRow>{button, delay("7ms"), keyRow("", true)} << true;
}

void TestMacroExportFile::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(int, repeat);
    QFETCH(QVector<MacroEventRow>, rows);
    QFETCH(bool, icons);

    const QString path = m_dir->filePath(QStringLiteral("export.ini"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QVERIFY(WriteMacroExportFile(out, name, repeat, rows, icons ? pageIcon : nullIcon));
    out.close();

    const MacroImportFile file = ReadMacroExportFile(path);
    QVERIFY(file.headerRead);
    QCOMPARE(file.marker, QStringLiteral("Dovoz"));
    QCOMPARE(file.name, name);
    QCOMPARE(file.repeat, repeat);
    QVERIFY(file.rowsRead);
    // Imported rows carry no kind and code: they are resolved by name later.
    QVector<MacroEventRow> expected = rows;
    for (MacroEventRow& row : expected)
        row.hasKey = false;
    QCOMPARE(render(file.rows), render(expected));
}

void TestMacroExportFile::fields_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QStringList>("rows");

    const QByteArray one = count(1) + pressRow();
    QTest::newRow("other marker") << header("Other") + one << "Other" << "M" << 1 << QStringList{"A v"};
    QTest::newRow("name without zero byte") << header("Dovoz", QByteArray(48, 'x')) + one << "Dovoz"
                                            << QString(48, 'x') << 1 << QStringList{"A v"};
    QTest::newRow("text after the zero byte ignored")
        << header(QByteArray("Dov\0oz", 6), QByteArray("N\0ame", 5), QByteArray("25\0" "3", 4)) + one << "Dov" << "N"
        << 25 << QStringList{"A v"};
    QTest::newRow("short blocks") << block("Dovoz") + block("Mac") + block("7") + one << "Dovoz" << "Mac" << 7
                                  << QStringList{"A v"};
    for (const char* value : {"0", "251", "252", "256", "-1", "abc", "", "99999999999"})
        QTest::newRow(qPrintable(QStringLiteral("repeat \"%1\"").arg(value)))
            << header("Dovoz", "M", value) + one << "Dovoz" << "M" << 1 << QStringList{"A v"};
    for (int value : {1, 250, 253, 254, 255})
        QTest::newRow(qPrintable(QStringLiteral("repeat %1").arg(value)))
            << header("Dovoz", "M", QByteArray::number(value)) + one << "Dovoz" << "M" << value << QStringList{"A v"};
    QTest::newRow("directions") << header() + count(6) + text("a") + kNullIcon + direction(QByteArray("0\0", 2))
                                                 + text("b") + kNullIcon + direction(QByteArray("1\0", 2))
                                                 + text("c") + kNullIcon + direction(QByteArray("2\0", 2))
                                                 + text("d") + kNullIcon + direction(QByteArray("\0" "0", 2))
                                                 + text("e") + kNullIcon + block(QByteArray("0\0" "0\0", 4))
                                                 + text("f") + kNullIcon + kNullIcon
                                << "Dovoz" << "M" << 1 << QStringList{"a v", "b ^", "c ^", "d ^", "e ^", "f ^"};
    QTest::newRow("line breaks dropped from texts")
        << header() + count(3) + text("A\r\n") + kNullIcon + direction(QByteArray("0\0", 2)) + text("1\n0ms")
               + kNullIcon + text("\nB\r") + kNullIcon + direction(QByteArray("1\0", 2))
        << "Dovoz" << "M" << 1 << QStringList{"A v", "10ms", "B ^"};
    QTest::newRow("real images") << header() + count(2) + pressRow(imageIcon()) + text("5ms") + imageIcon()
                                 << "Dovoz" << "M" << 1 << QStringList{"A v", "5ms"};
    QTest::newRow("bytes after the rows") << header() + one + QByteArray(100, '\x7f') << "Dovoz" << "M" << 1
                                          << QStringList{"A v"};
}

void TestMacroExportFile::fields()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, marker);
    QFETCH(QString, name);
    QFETCH(int, repeat);
    QFETCH(QStringList, rows);

    const MacroImportFile file = ReadMacroExportData(data);
    QVERIFY(file.headerRead);
    QCOMPARE(file.marker, marker);
    QCOMPARE(file.name, name);
    QCOMPARE(file.repeat, repeat);
    QVERIFY(file.rowsRead);
    QCOMPARE(render(file.rows), rows);
}

void TestMacroExportFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("headerRead");

    const QByteArray good = exported(QStringLiteral("M"), 1, kClick);
    QTest::newRow("empty") << QByteArray() << false;
    for (int size : {3, 10, 16, 70, 83})
        QTest::newRow(qPrintable(QStringLiteral("cut at %1, in the blocks").arg(size))) << good.left(size) << false;
    for (int size : {84, 86, 88, 91, 94, 97, 100, 112, good.size() - 1})
        QTest::newRow(qPrintable(QStringLiteral("cut at %1, in the rows").arg(size))) << good.left(size) << true;
    QTest::newRow("block longer than the file") << QByteArray::fromHex("fffffff0") + QByteArray(100, 'D') << false;
    QTest::newRow("name block longer than the file") << block(QByteArray("Dovoz").leftJustified(12, '\0'))
                                                            + QByteArray::fromHex("7fffffff") + QByteArray(60, 'x')
                                                     << false;
    QTest::newRow("count -1") << header() + count(-1) << true;
    QTest::newRow("count 140") << header() + count(140) + pressRow().repeated(140) << true;
    QTest::newRow("count 2147483647") << header() + count(2147483647) + pressRow() << true;
    QTest::newRow("count beyond the rows") << header() + count(2) + pressRow() << true;
    QTest::newRow("text longer than the file") << header() + count(1) + QByteArray::fromHex("7ffffffe") + "AB" << true;
    QTest::newRow("text of odd length") << header() + count(1) + QByteArray::fromHex("00000003004100") + kNullIcon
                                                  + direction(QByteArray("0\0", 2))
                                        << true;
    QTest::newRow("unknown icon engine") << header() + count(1) + pressRow(text("QSvgIconEngine") + count(0)) << true;
    QTest::newRow("theme icon engine") << header() + count(1) + pressRow(text("QIconLoaderEngine") + text("edit"))
                                       << true;
    QTest::newRow("icon entries -1") << header() + count(1) + pressRow(text("QPixmapIconEngine") + count(-1)) << true;
    QStringList manyFiles;
    for (int i = 0; i < 65; ++i)
        manyFiles << QStringLiteral("x.png");
    QTest::newRow("icon entries 65") << header() + count(1) + pressRow(fileIcon(manyFiles)) << true;
    QTest::newRow("icon entries beyond the file")
        << header() + count(1) + text("A") + fileIcon({QStringLiteral("x")}, 3) << true;
    QByteArray image = imageIcon();
    QByteArray notPng = image;
    notPng[image.indexOf("PNG") + 1] = 'X';
    QByteArray otherMarker = image;
    otherMarker.replace(image.indexOf("\x89PNG") - 4, 4, count(2));
    QTest::newRow("image marker 2") << header() + count(1) + pressRow(otherMarker) << true;
    QTest::newRow("image that is no PNG") << header() + count(1) + pressRow(notPng) << true;
    QByteArray hugeChunk = image;
    hugeChunk.replace(image.indexOf("IHDR") - 4, 4, QByteArray::fromHex("7ffffff0"));
    QTest::newRow("PNG chunk longer than the file") << header() + count(1) + pressRow(hugeChunk) << true;
    QTest::newRow("PNG without end") << header() + count(1) + text("A") + image.left(image.indexOf("IEND") - 4)
                                     << true;
    QTest::newRow("direction longer than the file") << header() + count(1) + text("A") + kNullIcon
                                                           + QByteArray::fromHex("7fffffff") + "0"
                                                    << true;
}

void TestMacroExportFile::badFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, headerRead);

    // From memory and from a file: the file is read field by field as well.
    const QString path = m_dir->filePath(QStringLiteral("bad.ini"));
    QVERIFY(TestEnv::WriteFile(path, data));
    for (const MacroImportFile& file : {ReadMacroExportData(data), ReadMacroExportFile(path)}) {
        QCOMPARE(file.headerRead, headerRead);
        QVERIFY(!file.rowsRead);
        QVERIFY(file.rows.isEmpty());
    }
}

void TestMacroExportFile::iconNamingAFileOpensNothing()
{
    // An icon engine would load the named file; the reader only steps over the name. A pipe
    // would block whoever opens it.
    const QString pipe = m_dir->filePath(QStringLiteral("pipe.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString missing = m_dir->filePath(QStringLiteral("missing.png"));
    const QByteArray data =
        header() + count(2) + pressRow(fileIcon({pipe, missing})) + text("9ms") + fileIcon({QStringLiteral("/dev/zero")});

    const MacroImportFile file = ReadMacroExportData(data);
    QVERIFY(file.rowsRead);
    QCOMPARE(render(file.rows), (QStringList{"A v", "9ms"}));
    QVERIFY(!QFileInfo::exists(missing));
}

void TestMacroExportFile::fieldBounds_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("headerRead");
    QTest::addColumn<bool>("rowsRead");

    const auto padded = [](const QByteArray& text, qint64 size) {
        return block(text + QByteArray(int(size - text.size()), '\0'));
    };
    // Just over: one byte, or one UTF-16 unit for the texts read as strings.
    const qint64 blockBound = MacroExportMaxBlockBytes;
    const QByteArray one = count(1) + pressRow();
    for (int over = 0; over <= 1; ++over) {
        const QString state = over ? QStringLiteral("just over") : QStringLiteral("at");
        const qint64 size = blockBound + over;
        QTest::newRow(qPrintable(QStringLiteral("marker block %1 its bound").arg(state)))
            << padded("Dovoz", size) + padded("M", 48) + padded("1", 12) + one << !over << !over;
        QTest::newRow(qPrintable(QStringLiteral("name block %1 its bound").arg(state)))
            << padded("Dovoz", 12) + padded("M", size) + padded("1", 12) + one << !over << !over;
        QTest::newRow(qPrintable(QStringLiteral("repeat block %1 its bound").arg(state)))
            << padded("Dovoz", 12) + padded("M", 48) + padded("1", size) + one << !over << !over;
        QTest::newRow(qPrintable(QStringLiteral("text %1 its bound").arg(state)))
            << header() + count(1) + text(QString(int(MacroExportMaxTextBytes / 2 + over), 'k')) + kNullIcon
                   + direction(QByteArray("0\0", 2))
            << true << !over;
        QTest::newRow(qPrintable(QStringLiteral("icon %1 its bound").arg(state)))
            << header() + count(1) + pressRow(iconOfSize(MacroExportMaxIconBytes + over)) << true << !over;
        QTest::newRow(qPrintable(QStringLiteral("direction %1 its bound").arg(state)))
            << header() + count(1) + text("A") + kNullIcon
                   + direction(QByteArray("0\0", 2) + QByteArray(int(MacroExportMaxDirectionBytes - 2 + 2 * over), '\0'))
            << true << !over;
    }
    QTest::newRow("139 rows") << header() + count(139) + pressRow().repeated(139) << true << true;
    QTest::newRow("140 rows") << header() + count(140) + pressRow().repeated(140) << true << false;
    QTest::newRow("null text and icon") << header() + count(1) + QByteArray::fromHex("ffffffff") + kNullIcon
                                               + direction(QByteArray("0\0", 2))
                                        << true << true;
}

void TestMacroExportFile::fieldBounds()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, headerRead);
    QFETCH(bool, rowsRead);

    const MacroImportFile file = ReadMacroExportData(data);
    QCOMPARE(file.headerRead, headerRead);
    QCOMPARE(file.rowsRead, rowsRead);
    QCOMPARE(file.rows.isEmpty(), !rowsRead);
}

void TestMacroExportFile::fileLimits_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("headerRead");

    QTest::newRow("longest macro with file icons") << "longest" << true;
    QTest::newRow("missing") << "missing" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("pipe") << "pipe" << false;
}

void TestMacroExportFile::fileLimits()
{
    QFETCH(QString, what);
    QFETCH(bool, headerRead);

    const QString path = m_dir->filePath(QStringLiteral("export.ini"));
    QVector<MacroEventRow> rows;
    if (what == QLatin1String("longest")) {
        // 70 events with their 69 delays, each row's icon from an image file: the file runs
        // well past 64 KiB, and every byte of it is the program's own.
        for (int i = 0; i < MacroExportMaxRows; ++i)
            rows << (i % 2 ? delay(QStringLiteral("65535ms")) : keyRow(QStringLiteral("Key %1").arg(i), i % 4 == 0));
        QHash<int, QIcon> icons;
        for (int kind = 0; kind < 3; ++kind)
            icons[kind] = noiseIconFile(m_dir->filePath(QStringLiteral("icon%1.png").arg(kind)), uint(kind + 1));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QVERIFY(WriteMacroExportFile(out, QStringLiteral("Longest"), 1, rows, [&icons](const MacroEventRow& row) {
            return icons.value(row.IsDelay() ? 2 : row.IsRelease() ? 1 : 0);
        }));
        out.close();
        QVERIFY2(QFileInfo(path).size() > 64 * 1024, qPrintable(QString::number(QFileInfo(path).size())));
    } else if (what == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (what == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

    const MacroImportFile file = ReadMacroExportFile(path);
    QCOMPARE(file.headerRead, headerRead);
    QCOMPARE(file.rowsRead, headerRead);
    for (MacroEventRow& row : rows)
        row.hasKey = false;
    QCOMPARE(render(file.rows), render(rows));
}

void TestMacroExportFile::writeFailure()
{
    QBuffer closed;
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): device not open");
    QVERIFY(!WriteMacroExportFile(closed, QStringLiteral("M"), 1, kClick, nullIcon));
}

VEXO_TEST_MAIN(TestMacroExportFile)
#include "tst_macroexportfile.moc"
