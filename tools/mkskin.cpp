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
            // Quality 80 is zlib level 1: the big backgrounds dominate the run time of a
            // sanitizer build, and they compress well enough at that level.
            writer.setQuality(80);
            ok = writer.write(SkinPainter::Render(img)) && file.commit();
        }
        if (!ok) {
            std::fprintf(stderr, "mkskin: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
