#ifndef FIRMWAREBUILDER_H
#define FIRMWAREBUILDER_H

#include <QByteArray>
#include <QString>

// Builds a firmware image file: the 728-byte header followed by a body. The first 16 header
// bytes are the library's: the whole image length, "VXFW" and a checksum of the body.
struct FirmwareImageSpec {
    int kind = 210;            // 210 mouse, 211 receiver
    int cid = 0;
    int mid = 0;
    QString stem;
    quint32 version = 0x0100;  // major << 8 | minor
    int bodySize = 4096;
};

QByteArray BuildFirmwareImage(const FirmwareImageSpec& spec);

#endif
