#include "device/wirelessfirmwarecheck.h"

#include "core/configini.h"
#include "core/devicestate.h"
#include "device/firmwareimages.h"
#include "device/receivermouseversion.h"

WirelessFirmwareCheck WirelessFirmwareCheck::Run(const DeviceAllInfo& device, Images images)
{
    WirelessFirmwareCheck check;
    ConfigIni* config = ConfigIni::instance();
    const QString section = DeviceSection(device.DriveIndex);
    const QString cidText = config->value(QStringLiteral("Option"), QStringLiteral("CID"));
    const QString midText = config->value(section, QStringLiteral("MID"));
    // What the receiver tells of its mouse counts as recorded; the record serves while the
    // mouse is out of reach.
    const QString mouseVersion = ReceiverMouseVersion(cidText, midText).RecordAndRecall(device.Path);
    check.mouseVersionKnown = !mouseVersion.isEmpty();
    if (!check.mouseVersionKnown)
        return check;

    const int cid = cidText.toInt();
    const int mid = midText.toInt();
    const QString mouseStem = config->value(section, QStringLiteral("MM"));
    const QString stemKey = FirmwareStemKey(ReceiverFirmware, ReceiverTypeFor(device.ConnectionType));
    const QString receiverStem = stemKey.isEmpty() ? QString() : config->value(section, stemKey);
    // Each look gets its own copy of the listed device's version text.
    const QString receiverVersion = device.VersionText;
    if (images == Images::Keep) {
        check.newMouse = ScanFirmwareImages(MouseFirmware, mouseVersion, mouseStem, cid, mid, UpgradeImageList);
        check.newReceiver = !receiverStem.isEmpty()
            && ScanFirmwareImages(ReceiverFirmware, receiverVersion, receiverStem, cid, mid, RepairImageList);
    } else {
        check.newMouse = ProbeFirmwareImages(MouseFirmware, mouseVersion, mouseStem, cid, mid);
        check.newReceiver = !receiverStem.isEmpty()
            && ProbeFirmwareImages(ReceiverFirmware, receiverVersion, receiverStem, cid, mid);
    }
    return check;
}
