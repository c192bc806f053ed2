#include "pages/macro/macroexportfile.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QIcon>

namespace {

const char kMarker[] = "Dovoz";
constexpr int kMarkerBlockBytes = 12;
constexpr int kNameBlockBytes = MacroExportNameBytes + 1;
constexpr int kRepeatBlockBytes = 12;
// A pixmap icon of the list holds one or two sizes; anything near this is not ours.
constexpr qint32 kMaxIconEntries = 64;

// text's UTF-8 zero-padded to size bytes, keeping at least one zero byte.
QByteArray block(const QByteArray& text, int size)
{
    QByteArray bytes = text.left(size - 1);
    bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

// The name's UTF-8, cut to whole characters (surrogate pairs kept together) within maxBytes.
QByteArray cutName(const QString& name, int maxBytes)
{
    QByteArray bytes;
    for (int i = 0; i < name.size(); ++i) {
        int length = 1;
        if (name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            length = 2;
        const QByteArray character = name.mid(i, length).toUtf8();
        if (bytes.size() + character.size() > maxBytes)
            break;
        bytes += character;
        i += length - 1;
    }
    return bytes;
}

bool isRepeatValue(int value)
{
    return (value >= 1 && value <= 250) || (value >= 253 && value <= 255);
}

// Reads the stream's big-endian fields from a device. Every length is checked against the
// field's bound before anything is read or allocated; a short read or a length over its bound
// fails the reader, and the first failure sticks.
class BoundedReader
{
public:
    explicit BoundedReader(QIODevice& in) : m_in(in) {}

    bool ok() const { return m_ok; }
    qint64 consumed() const { return m_consumed; }

    quint32 u32()
    {
        uchar p[4] = {};
        if (!m_ok || m_in.read(reinterpret_cast<char*>(p), 4) != 4) {
            m_ok = false;
            return 0;
        }
        m_consumed += 4;
        return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
    }
    qint32 i32() { return qint32(u32()); }

    // A length-prefixed byte block (QDataStream::writeBytes) of at most bound bytes.
    QByteArray bytes(qint64 bound) { return raw(u32(), bound); }

    // A QString of at most bound bytes: its byte count (all ones for a null string), then
    // UTF-16 big-endian.
    QString string(qint64 bound)
    {
        const quint32 length = u32();
        if (!m_ok || length == 0xFFFFFFFFu)
            return QString();
        if (length % 2 != 0) {
            m_ok = false;
            return QString();
        }
        const QByteArray bytes = raw(length, bound);
        if (!m_ok)
            return QString();
        QString text(int(length / 2), Qt::Uninitialized);
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
        for (int i = 0; i < text.size(); ++i)
            text[i] = QChar(ushort((p[2 * i] << 8) | p[2 * i + 1]));
        return text;
    }

    QByteArray raw(qint64 length, qint64 bound)
    {
        if (!m_ok || length < 0 || length > bound) {
            m_ok = false;
            return QByteArray();
        }
        const QByteArray bytes = m_in.read(length);
        if (bytes.size() != length) {
            m_ok = false;
            return QByteArray();
        }
        m_consumed += length;
        return bytes;
    }

    // Steps over length bytes (at most bound) without keeping them.
    void skip(qint64 length, qint64 bound)
    {
        if (!m_ok || length < 0 || length > bound || m_in.skip(length) != length) {
            m_ok = false;
            return;
        }
        m_consumed += length;
    }

    void fail() { m_ok = false; }

private:
    QIODevice& m_in;
    qint64 m_consumed = 0;
    bool m_ok = true;
};

// What is left of an icon's bytes once the reader is at consumed.
qint64 iconRoom(const BoundedReader& in, qint64 iconStart)
{
    return MacroExportMaxIconBytes - (in.consumed() - iconStart);
}

// A PNG as the image writer leaves it in the stream (no length field): signature, then chunks
// up to and including IEND.
void skipPng(BoundedReader& in, qint64 iconStart)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    if (in.raw(8, iconRoom(in, iconStart)) != QByteArray(signature, 8)) {
        in.fail();
        return;
    }
    while (in.ok()) {
        const quint32 length = in.u32();
        const QByteArray type = in.raw(4, iconRoom(in, iconStart));
        in.skip(qint64(length) + 4, iconRoom(in, iconStart)); // data and CRC
        if (type == "IEND")
            return;
    }
}

// A QImage: a marker (0 null, 1 an image follows as PNG).
void skipImage(BoundedReader& in, qint64 iconStart)
{
    const qint32 marker = in.i32();
    if (!in.ok() || marker == 0)
        return;
    if (marker != 1) {
        in.fail();
        return;
    }
    skipPng(in, iconStart);
}

// A QIcon of the pixmap engine, or a null icon, in at most MacroExportMaxIconBytes. The
// entries' file names are read and dropped: the icon is never built, so nothing they name is
// opened. Any other engine fails the read.
void skipIcon(BoundedReader& in)
{
    const qint64 start = in.consumed();
    const QString key = in.string(iconRoom(in, start));
    if (!in.ok() || key.isEmpty())
        return;
    if (key != QLatin1String("QPixmapIconEngine")) {
        in.fail();
        return;
    }
    const qint32 entries = in.i32();
    if (entries < 0 || entries > kMaxIconEntries) {
        in.fail();
        return;
    }
    for (qint32 i = 0; i < entries && in.ok(); ++i) {
        skipImage(in, start);
        in.string(iconRoom(in, start)); // file name
        in.i32();                        // size: width, height
        in.i32();
        in.u32(); // mode
        in.u32(); // state
        if (iconRoom(in, start) < 0)
            in.fail();
    }
}

// A fixed block's text: UTF-8 up to its first zero byte, or the whole block.
QString blockText(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

} // namespace

bool WriteMacroExportFile(QIODevice& out, const QString& name, int repeat, const QVector<MacroEventRow>& rows,
                          const std::function<QIcon(const MacroEventRow&)>& iconFor)
{
    QDataStream stream(&out);
    stream.setVersion(QDataStream::Qt_5_9);
    stream.setByteOrder(QDataStream::BigEndian);

    const QByteArray marker = block(kMarker, kMarkerBlockBytes);
    const QByteArray nameBlock = block(cutName(name, MacroExportNameBytes), kNameBlockBytes);
    const QByteArray repeatBlock = block(QByteArray::number(repeat), kRepeatBlockBytes);
    stream.writeBytes(marker.constData(), uint(marker.size()));
    stream.writeBytes(nameBlock.constData(), uint(nameBlock.size()));
    stream.writeBytes(repeatBlock.constData(), uint(repeatBlock.size()));
    stream << qint32(rows.size());
    for (const MacroEventRow& row : rows) {
        stream << row.text;
        stream << (iconFor ? iconFor(row) : QIcon());
        if (!row.IsDelay())
            stream << (row.IsRelease() ? "1" : "0");
    }
    return stream.status() == QDataStream::Ok;
}

namespace {

MacroImportFile readMacroExport(QIODevice& device)
{
    MacroImportFile file;
    BoundedReader in(device);
    const QByteArray marker = in.bytes(MacroExportMaxBlockBytes);
    const QByteArray name = in.bytes(MacroExportMaxBlockBytes);
    const QByteArray repeat = in.bytes(MacroExportMaxBlockBytes);
    if (!in.ok())
        return file;
    file.headerRead = true;
    file.marker = blockText(marker);
    file.name = blockText(name);
    const int value = blockText(repeat).toInt();
    file.repeat = isRepeatValue(value) ? value : 1;

    const qint32 count = in.i32();
    if (!in.ok() || count < 0 || count > MacroExportMaxRows)
        return file;
    QVector<MacroEventRow> rows;
    for (qint32 i = 0; i < count && in.ok(); ++i) {
        const QString text = in.string(MacroExportMaxTextBytes);
        skipIcon(in);
        MacroEventRow row;
        row.text = text;
        row.text.remove(QLatin1Char('\r'));
        row.text.remove(QLatin1Char('\n'));
        // The layout follows the text as it was written; the row follows the text it keeps.
        if (!text.contains(QLatin1String("ms"))) {
            const QString direction = in.string(MacroExportMaxDirectionBytes);
            if (!row.IsDelay() && direction != QString(QChar(0x3000)))
                row.itemType = MacroEventRow::Release;
        }
        rows.append(row);
    }
    if (!in.ok())
        return file;
    file.rows = rows;
    file.rowsRead = true;
    return file;
}

} // namespace

MacroImportFile ReadMacroExportData(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return MacroImportFile();
    return readMacroExport(buffer);
}

MacroImportFile ReadMacroExportFile(const QString& path)
{
    // Only plain files: a pipe would wait for a writer.
    const QFileInfo info(path);
    if (!info.isFile())
        return MacroImportFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return MacroImportFile();
    return readMacroExport(file);
}
