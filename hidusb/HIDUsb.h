#ifndef HIDUSB_H
#define HIDUSB_H

/*
 * HIDUsb: the mouse and receiver communication library.
 *
 * Plain C functions. A path is the byte text of a HID path as discovery returned it.
 * Every function may be called from any thread; none of them waits for a callback.
 *
 * Device service: requests return at once; answers arrive later through the data
 * callback bound with UsbServerC_Start, on the library's service thread, in request
 * order. A rebind or UsbServer_Exit drops answers that were not delivered yet; so does
 * the answering device (or the receiver it answers through) leaving: unplugged, asleep,
 * gone or in boot mode, even when it is back before the answer was due. Reports the
 * device makes on its own (device ready, status changes, profile switches, pairing
 * results) go to whatever binding reaches that device when they are due.
 *
 * Report head (HIDUSB_HEAD_LENGTH bytes) handed to the data callback:
 *   [0] report id 0xA5   [1] command   [2] data length (low byte)
 *   [3] status, 0 = ok   [4] sub-command (command 8), else 0
 *
 * Commands and their data:
 *   4  battery          4 bytes: level 0..100, charging 0/1, millivolts (LE 16 bits)
 *   6  pairing state    1 byte: 1 pairing, 2 failed, 3 succeeded (0 idle)
 *   8  settings data    sub 0x00: 6,912-byte dump, or 1 byte: report rate code
 *                       sub 0x04: 1 byte: current DPI level
 *                       sub 0x4C: 8 bytes: DPI light mode, brightness, speed, on,
 *                                 red, green, blue of the current level, 0
 *                       sub 0xA0: 9 bytes: light mode, red, green, blue, speed,
 *                                 brightness, on, lights off while moving, 0
 *   9  device ready     1 byte: 0 woke up or reconnected, 1 after a factory reset
 *   10 status changed   7 bytes: one flag per changed item: [0] DPI level,
 *                       [1] report rate, [2] settings, [3] DPI light, [4] unused,
 *                       [5] light bar, [6] battery
 *   14 configuration    1 byte: active profile; no data when the mouse has no profiles
 *   18 version          2 bytes: firmware version, LE (minor in the low byte)
 *   21 receiver light   10 bytes: the receiver's LED record
 *   23 long range       10 bytes: long-range mode switched off, then the receiver address
 *
 * Upgrade status report (3 bytes): [7, 1, percent] progress, [7, 2, 1] success,
 * [7, 2, other] failure.
 */

#include <stdint.h>

/* Only these functions leave the library; everything else in it is hidden. */
#if defined(HIDUSB_BUILDING)
#pragma GCC visibility push(default)
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct FlashDataMap;
struct DongleRGB;

enum {
    HIDUSB_HEAD_LENGTH = 5,
    HIDUSB_DUMP_LENGTH = 6912,
    HIDUSB_REPORT_LENGTH = 64,
    HIDUSB_FIRMWARE_HEADER_LENGTH = 728,
    HIDUSB_UPGRADE_LOG_LINES = 8
};

enum {
    HIDUSB_CMD_BATTERY = 4,
    HIDUSB_CMD_PAIRING = 6,
    HIDUSB_CMD_UPGRADE = 7,
    HIDUSB_CMD_SETTINGS = 8,
    HIDUSB_CMD_DEVICE_READY = 9,
    HIDUSB_CMD_STATUS_CHANGED = 10,
    HIDUSB_CMD_CONFIG = 14,
    HIDUSB_CMD_VERSION = 18,
    HIDUSB_CMD_RECEIVER_LIGHT = 21,
    HIDUSB_CMD_LONG_RANGE = 23
};

enum {
    HIDUSB_SUB_ALL = 0x00, /* full dump (6,912 bytes) or report rate (1 byte) */
    HIDUSB_SUB_DPI_LEVEL = 0x04,
    HIDUSB_SUB_DPI_LIGHT = 0x4C,
    HIDUSB_SUB_LIGHT_BAR = 0xA0
};

typedef void (*HidUsbDataCallback)(const uint8_t* head, int headLength, const uint8_t* data, int dataLength);
typedef void (*HidUsbHotplugCallback)(void);
typedef void (*HidUsbUpgradeCallback)(const uint8_t* report);

/* ---- Discovery and presence ------------------------------------------------------
 * The find functions take the vendor and product id texts ("0x3706", "3706": hex),
 * read *count as the most paths wanted and set it to the number returned. The array
 * and its strings stay valid for the whole run and must not be changed or freed; the
 * same path is always the same string. The array ends with a null pointer. */
char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count);
char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int interfaceId, int deviceId,
                                           int* count);

/* attributes (12 bytes): [0..3] 12, [4..5] vendor id, [6..7] product id, [8..9] USB
 * release, [10..11] 0; little-endian. Returns 1 when the path names a connected device. */
int UsbFinderC_GetUsbDeviceAttribute(const char* path, uint8_t* attributes);

/* info (3 bytes): CID, MID, connection kind (receiver types 1, 2, 4, 8 as kinds 0, 4, 1,
 * 5; a mouse on its cable 2 or 3). Returns 1 when the device answered. */
int UsbFinderC_GetDeviceInfo(const char* path, uint8_t* info);

/* 1 when the device answers: a mouse on its cable, or a receiver whose mouse is awake. */
int UsbFinderC_GetDeviceOnLine(const char* path);

/* buffer (10 bytes): [6] 1 when present, [7..9] receiver address (a receiver's own, or
 * the one a mouse is paired with); the rest 0. Returns the presence. */
int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, uint8_t* buffer);

/* Firmware version of the mouse behind the path: major << 8 | minor; 0 when unknown. */
int UsbFinderC_GetVersion(const char* path);

/* The receiver's own firmware version into *version (major << 8 | minor); returns 1
 * when the path names a receiver. */
int UsbFinderC_GetSlaveVersion(const char* path, int* version);

/* Receiver options. Get fills the 10-byte record / the mode byte only when the receiver
 * has the option (returns 1), and leaves it unchanged otherwise (returns 0). */
int UsbFinderC_Get4KDongleRGBValue(const char* path, struct DongleRGB* rgb);
int UsbFinderC_Set4KDongleRGB(const char* path, const struct DongleRGB* rgb);
int UsbFinderC_GetLongRangeMode(const char* path, uint8_t* mode);
int UsbFinderC_SetLongRangeMode(const char* path, uint8_t mode);

/* record (5 bytes): receiver address bytes 9, 8, 7 of the presence buffer (reversed),
 * 0, receiver class code. The mouse on its cable is paired with that receiver. */
int UsbFinderC_SetDongleIDToMouse(const char* mousePath, const uint8_t* record);

/* Raw exchange of one report with the opened device (a device with a screen). */
int UsbFinderC_OpenDevice(const char* path);
int UsbFinderC_ReadWriteDeviceData(const uint8_t* request, uint8_t* reply, uint8_t length);

/* ---- Device service ------------------------------------------------------------- */

/* Binds the service to the path (also when the device is absent) and the callback;
 * a second call rebinds. Returns 1 when the device is present. */
int UsbServerC_Start(const char* path, const char* interfacePath, HidUsbDataCallback callback);
void UsbServer_Exit(void);

/* Bindings: every UsbServerC_Start and UsbServer_Exit (and a shutdown of the library's
 * threads) begins a new binding. Its number grows and is never 0. */
uint32_t UsbServer_GetBinding(void);

/* About the report being delivered to the data callback on the calling thread (0 outside
 * a delivery): the binding it was delivered under, and whether the device's settings
 * changed after the device made the report (1: the report shows an older state). */
uint32_t UsbServer_GetReportBinding(void);
int UsbServer_ReportPredatesWrite(void);

/* Requests to the bound device. Each returns 1 when the device took it (an answer will
 * follow where one is listed above), 0 when nothing is bound or the device is absent. */
int UsbServer_SetPCDriverStatus(uint8_t active);
int UsbServer_SetBatteryOptimizeEnable(uint8_t enable);
int UsbServer_ReadAllFlashData(void);
int UsbServer_ReadDPILed(void);
int UsbServer_ReadLedBar(void);
int UsbServer_ReadBatteryLevel(void);
int UsbServer_ReadVersion(void);
int UsbServer_ReadConfig(void);
int UsbServer_ReadCurrentDPI(void);
int UsbServer_ReadReportRate(void);
/* Factory settings, then command 9. */
int UsbServer_SetClearSetting(void);
/* Switches the active profile, then command 14 and a status change (settings). */
int UsbServer_SetCurrentConfig(uint8_t index);
/* Pairing, through the receiver's path: both answer with command 6. */
int UsbServer_EnterDonglePairOnlyCid(uint8_t cid);
int UsbServer_ReadDonglePairStatus(void);

/* ---- Record codec --------------------------------------------------------------- */

/* Decodes a 6,912-byte dump into the record. Returns 1, or 0 (record untouched) when
 * the dump is not one of ours. */
int ProtocolDataParser(const uint8_t* dump, int dumpLength, struct FlashDataMap* record);

/* Writes the whole record to the bound device's active profile. Returns 1 when written;
 * 0 when it does not fit the dump (the device keeps its settings), when no device is
 * bound or present, or when the write failed. The device keeps the record only once its
 * last report arrived: when it left meanwhile, or the service was rebound, the write
 * returns 0 and the device keeps its settings. */
int ProtocolDataUpdate(const struct FlashDataMap* record);

/* ProtocolDataUpdate for the binding the caller means: refused (0, nothing written) when
 * that binding is no longer the current one. */
int ProtocolDataUpdateOnBinding(const struct FlashDataMap* record, uint32_t binding);

/* From a DPI light report (8 bytes) into exactly the 4 bytes at dpiLight (the record's
 * 0x3F..0x42). Returns 0 and writes nothing when the report is shorter. */
int BufferToDPILed(const uint8_t* data, int dataLength, uint8_t* dpiLight);

/* From a light-bar report (9 bytes) into exactly the 7 bytes at lightBar (the record's
 * 0x43..0x49). Returns 0 and writes nothing when the report is shorter. */
int BufferToLedBar(const uint8_t* data, int dataLength, uint8_t* lightBar);

/* status (4 bytes): level, charging, millivolts LE. Returns 0, writing nothing, for a
 * report shorter than 4 bytes. */
int GetDeviceBatteryStatus(const uint8_t* data, int dataLength, uint8_t* status);

/* flags (7 bytes), one per changed item (see command 10). Returns 0, writing nothing,
 * for a report shorter than 7 bytes. */
int GetDeviceStatusChanged(const uint8_t* data, int dataLength, uint8_t* flags);

/* ---- Hot-plug --------------------------------------------------------------------
 * Registers the one hot-plug callback, replacing the last. The first notice is made
 * before the call returns, on the calling thread; later ones come from the library's
 * notifier thread on every change of the connected devices or their presence.
 * intervalMs is the polling period a real bus would need; changes here are notified
 * as they happen, several pending changes as one notice. */
int StartUsbChanged(HidUsbHotplugCallback callback, int intervalMs);
void StopUsbChanged(void);

/* ---- Firmware upgrade ------------------------------------------------------------
 * image: the whole firmware image; only its 728-byte header is read (version at 16,
 * kind at 20 (210 mouse, 211 receiver), CID at 21, MID at 22, name at 87; image length
 * at 0 as LE 32 bits). The flash runs on a thread of its own and reports through
 * status; returns 1 when it started. May be called from inside its own status callback.
 * The device that takes the image: one waiting in boot mode for it, else the mouse on
 * its cable or the receiver of that kind, CID, MID and name. timeoutMs is kept for the
 * device's watchdog. A device unplugged during its flash makes it fail ([7, 2, 0]) and
 * then waits in boot mode, also across runs, until a new flash. */
int UsbUpgrade_Start(const uint8_t* image, HidUsbUpgradeCallback status, int timeoutMs);

/* *count (and the result): devices waiting in boot mode for this image (plugged in). */
int UsbUpgradeC_FindBootDevices(const uint8_t* image, int* count);

/* The last flash's log: HIDUSB_UPGRADE_LOG_LINES strings, valid for the whole run. */
char** UsbUpgradeC_GetLogs(void);

#ifdef __cplusplus
}
#endif

#if defined(HIDUSB_BUILDING)
#pragma GCC visibility pop
#endif

#endif
