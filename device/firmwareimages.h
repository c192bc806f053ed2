#ifndef FIRMWAREIMAGES_H
#define FIRMWAREIMAGES_H

// Firmware image files of the installation's "/bin" folder, the rules that pick an image for
// a device, and what the program remembers about upgrades (registry values, upgrade log).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <mutex>

#pragma pack(push, 1)
// The 728-byte header at the start of every image; little-endian.
struct FirmwareDescriptor {
    uint8_t libraryData[16];
    uint32_t version;      // bits 0..7 minor, bits 8..31 major
    uint8_t kind;          // FirmwareKind
    uint8_t cid;
    uint8_t mid;
    uint8_t reserved1[64];
    char name[64];         // name stem, zero-terminated unless it fills all 64 bytes
    uint8_t reserved2[577];
};
#pragma pack(pop)
static_assert(sizeof(FirmwareDescriptor) == 728, "firmware header is 728 bytes");

enum FirmwareKind { MouseFirmware = 210, ReceiverFirmware = 211 };

// One image file, whole.
using FirmwareImage = QByteArray;

// Holds at most one image after a scan. Guarded: the upgrade callback reads it from another thread.
class FirmwareImageList
{
public:
    void clear();
    void set(const FirmwareImage& image);
    bool isEmpty() const;
    // A copy keeps the bytes alive for as long as the holder needs them.
    FirmwareImage first() const;

private:
    mutable std::mutex m_mutex;
    QList<FirmwareImage> m_images;
};

extern FirmwareImageList UpgradeImageList;
extern FirmwareImageList RepairImageList;

extern std::atomic<int> ReceiverType;
extern std::atomic<int> FirmwareCid;
extern std::atomic<int> FirmwareMid;
extern std::atomic<int> UpgradeKind;
// Set while the settings page flashes; the device pages' hot-plug handling waits for it.
extern std::atomic<bool> UpgradeRunning;
// Results of the last firmware check of a mouse on its cable.
extern std::atomic<bool> NewerMouseFirmware;
extern std::atomic<bool> NewerReceiverFirmware;

struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    bool operator==(const FirmwareVersion& o) const { return major == o.major && minor == o.minor; }
};

// "v" + major in decimal + "." + minor in lower-case hex; 0x0210 reads v2.10.
QString FirmwareVersionText(quint32 version);
// Reads "v2.10", "2.10", "1.a"; major decimal, minor hexadecimal. Anything else reads 0.0.
FirmwareVersion ParseFirmwareVersion(const QString& text);

// Receiver class 1, 2, 4 or 8 of a connection kind; 0 for the cable kinds and unknown ones.
int ReceiverTypeFor(int connectionType);
// The Config.ini key of the name stem for a firmware kind and receiver class ("" when none).
QString FirmwareStemKey(int kind, int receiverClass);

QString FirmwareFolder();

// Looks for an image for one device and keeps it in list; true when one was taken.
// With a version shown, an image is taken only when its version differs.
bool ScanFirmwareImages(int kind, const QString& shownVersion, const QString& stem, int cid, int mid,
                        FirmwareImageList& list = UpgradeImageList);
// The same test without keeping anything; false at once when no version is shown.
bool ProbeFirmwareImages(int kind, const QString& shownVersion, const QString& stem, int cid, int mid);
// Is there an image with another version for the current device's mouse (kind 210) or
// its receiver of the given class?
bool CheckFirmwareUpdate(int kind, const QString& shownVersion, int receiverClass);

// The registry's record of a failed flash.
struct UpdateFailRecord {
    int kind = 0;
    QString receiverClass;
    int cid = 0;
    int mid = 0;
};
void WriteUpdateFailInfo(int kind, int receiverClass, int cid, int mid);
void RemoveUpdateFailInfo();
// False when the value is missing or does not hold exactly four parts.
bool ReadUpdateFailInfo(UpdateFailRecord* record);
// "MouseVer" + CID text + MID text, as the device description file gives them.
void WriteMouseVer(const QString& cidText, const QString& midText, const QString& versionText);
QString ReadMouseVer(const QString& cidText, const QString& midText);

QString UpgradeLogPath();
// Appends the library's log lines, each on its own line; silent when the file cannot be opened.
void AppendUpgradeLog(const QStringList& lines);

#endif
