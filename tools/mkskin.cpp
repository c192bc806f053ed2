// Draws the skin images of every window.
//   mkskin <Picture folder>         the installation's images, into <folder>/<sub-folder>/<file>
//   mkskin --builtin <folder>       the compiled-in images, into <folder>/<file> (resources/skin)

#include "skinmanifest.h"
#include "skinpainter.h"

#include <QDir>
#include <QCoreApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>

namespace {

bool opaque(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Only raster painting and no text through fonts: no GUI application or platform needed.
    QCoreApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    const bool builtIn = !args.isEmpty() && args.first() == QLatin1String("--builtin");
    if (args.size() != (builtIn ? 2 : 1)) {
        std::fprintf(stderr, "usage: mkskin <Picture folder> | mkskin --builtin <folder>\n");
        return 2;
    }
    const QDir root(args.last());

    for (const SkinImage& img : skin::kImages) {
        if (img.builtIn() != builtIn)
            continue;
        const QString folder = builtIn ? root.path() : root.filePath(QString::fromLatin1(img.folder));
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + QString::fromLatin1(img.file);
        QSaveFile file(path);
        bool ok = file.open(QIODevice::WriteOnly);
        if (ok) {
            QImageWriter writer(&file, "png");
            const QImage image = SkinPainter::Render(img);
            const bool backdrop = opaque(image);
            // Quality 80 is zlib level 1: most pictures are small, and the build draws them
            // fast. An opaque picture is a backdrop that a window decodes before it can show:
            // without an alpha channel and at the highest compression (0) it decodes about a
            // third faster, and it is drawn by a plain copy.
            writer.setQuality(backdrop ? 0 : 80);
            ok = writer.write(backdrop ? image.convertToFormat(QImage::Format_RGB32) : image) && file.commit();
        }
        if (!ok) {
            std::fprintf(stderr, "mkskin: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
