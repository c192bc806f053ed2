#include "firmwarebuilder.h"

#include <QtEndian>

#include <cstring>

QByteArray BuildFirmwareImage(const FirmwareImageSpec& spec)
{
    const int headerSize = 728;
    QByteArray image(headerSize + qMax(0, spec.bodySize), '\0');
    uchar* p = reinterpret_cast<uchar*>(image.data());

    // A recognisable, deterministic body.
    quint32 sum = 0;
    for (int i = headerSize; i < image.size(); ++i) {
        p[i] = uchar((i * 31 + spec.version + spec.kind) & 0xFF);
        sum += p[i];
    }
    qToLittleEndian<quint32>(quint32(image.size()), p);
    std::memcpy(p + 4, "VXFW", 4);
    qToLittleEndian<quint32>(sum, p + 8);
    qToLittleEndian<quint32>(spec.version, p + 16);
    p[20] = uchar(spec.kind & 0xFF);
    p[21] = uchar(spec.cid & 0xFF);
    p[22] = uchar(spec.mid & 0xFF);
    const QByteArray name = spec.stem.toLocal8Bit().left(64);
    std::memcpy(p + 87, name.constData(), size_t(name.size()));
    return image;
}
