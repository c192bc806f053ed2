// Writes the installation's sample firmware images into the folder given as the argument:
// a mouse and a receiver image for each sample model. The simulated devices (hidusb-sim.json)
// run v1.0, so the images say what the sample offers: Drive1's receiver has an update waiting
// (v1.2); Drive1's mouse and both parts of Drive2 are current.

#include "firmwarebuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <iterator>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mkfirmware <bin folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    struct Image {
        const char* file;
        int kind;
        int mid;
        const char* stem;
        quint32 version;
    };
    // CID 36; Drive1 (MID 1) has a receiver of type 1, Drive2 (MID 2) one of type 4.
    const Image images[] = {
        {"VEXO_S1_MOUSE_v1.0.bin", 210, 1, "VEXO_S1_MOUSE", 0x0100},
        {"VEXO_S1_RX1K_v1.2.bin", 211, 1, "VEXO_S1_RX1K", 0x0102},
        {"VEXO_P2_MOUSE_v1.0.bin", 210, 2, "VEXO_P2_MOUSE", 0x0100},
        {"VEXO_P2_RX4K_v1.0.bin", 211, 2, "VEXO_P2_RX4K", 0x0100},
    };
    // The folder holds this sample only: an image an earlier sample left would be offered too.
    QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.bin")}, QDir::Files)) {
        const bool ours = std::any_of(std::begin(images), std::end(images),
                                      [&name](const Image& img) { return name == QLatin1String(img.file); });
        if (!ours && !dir.remove(name)) {
            std::fprintf(stderr, "mkfirmware: cannot remove %s\n", qPrintable(name));
            return 1;
        }
    }
    for (const Image& img : images) {
        FirmwareImageSpec spec;
        spec.kind = img.kind;
        spec.cid = 36;
        spec.mid = img.mid;
        spec.stem = QString::fromLatin1(img.stem);
        spec.version = img.version;
        spec.bodySize = 48 * 1024;
        QSaveFile file(folder + QLatin1Char('/') + QLatin1String(img.file));
        if (!file.open(QIODevice::WriteOnly) || file.write(BuildFirmwareImage(spec)) < 0 || !file.commit()) {
            std::fprintf(stderr, "mkfirmware: cannot write %s\n", img.file);
            return 1;
        }
    }
    return 0;
}
