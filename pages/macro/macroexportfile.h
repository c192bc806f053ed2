#ifndef MACROEXPORTFILE_H
#define MACROEXPORTFILE_H
// The macro export file: QDataStream version 17, big-endian. Three length-prefixed blocks
// (marker "Dovoz" in 12 bytes, name in 48, repeat digits in 12, each zero-padded), a signed row
// count, then per row its text, its icon as QDataStream writes a QIcon and, for an event row,
// its direction as a two-byte string ("0" or "1" and a zero byte).
//
// The reader takes nothing on trust: it reads the file field by field, checks every length
// against that field's bound before it reads or allocates anything, accepts 0 to 139 rows, and
// walks each icon's pixmap-icon layout without building it, so it never loads a file the icon
// names and never reaches an icon plugin; the rows then get the page's own icons. The bounds
// lie well above what the page writes (a row's icon carries its image and file path, some
// hundred bytes), so whatever the program exports it imports, and the whole read stays below
// MacroExportMaxBytes.
#include "device/macroevents.h"

#include <QString>
#include <QVector>
#include <functional>

class QIcon;
class QIODevice;

constexpr int MacroExportMaxRows = 139;
constexpr int MacroExportNameBytes = 47;
// Largest length field the reader takes: each fixed block, a row's text (a QString's byte
// count), a row's whole icon, its direction.
constexpr qint64 MacroExportMaxBlockBytes = 256;
constexpr qint64 MacroExportMaxTextBytes = 1024;
constexpr qint64 MacroExportMaxIconBytes = 64 * 1024;
constexpr qint64 MacroExportMaxDirectionBytes = 16;
// The most the reader consumes: three blocks, the count, the rows with their length fields.
constexpr qint64 MacroExportMaxBytes =
    3 * (4 + MacroExportMaxBlockBytes) + 4
    + MacroExportMaxRows * (4 + MacroExportMaxTextBytes + MacroExportMaxIconBytes + 4 + MacroExportMaxDirectionBytes);

// Writes the whole file to out; iconFor gives each row's icon as the list shows it. The name
// is cut to 47 UTF-8 bytes at a character boundary. False when a write failed.
bool WriteMacroExportFile(QIODevice& out, const QString& name, int repeat, const QVector<MacroEventRow>& rows,
                          const std::function<QIcon(const MacroEventRow&)>& iconFor);

struct MacroImportFile {
    bool headerRead = false; // the three blocks were read
    QString marker;
    QString name;            // up to the block's first zero byte
    int repeat = 1;          // 1 to 250 or 253 to 255; anything else reads as 1
    bool rowsRead = false;   // the count and every row were read, and the file ended there or later
    QVector<MacroEventRow> rows; // texts without line breaks; hasKey false, item type from the direction
};

// Reads a file (plain files only) or data by the rules above; whatever follows the rows is not
// read.
MacroImportFile ReadMacroExportFile(const QString& path);
MacroImportFile ReadMacroExportData(const QByteArray& data);

#endif
