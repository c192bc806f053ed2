#ifndef WIRELESSFIRMWARECHECK_H
#define WIRELESSFIRMWARECHECK_H

#include "core/deviceallinfo.h"

// What the device choice page finds for a mouse reached through its receiver before it opens
// it: whether the program knows the mouse's firmware version, and whether the installation's
// images differ from the mouse's and the receiver's. A click on the device and Space on the
// page decide from it.
struct WirelessFirmwareCheck
{
    enum class Images {
        Probe, // only looks
        Keep,  // the images found go to the upgrade (mouse) and repair (receiver) lists
    };

    // The receiver's word on its mouse is recorded on the way (ReceiverMouseVersion).
    static WirelessFirmwareCheck Run(const DeviceAllInfo& device, Images images);

    bool mouseVersionKnown = false; // false: only a pairing brings the mouse
    bool newMouse = false;          // the mouse's image differs from its firmware
    bool newReceiver = false;       // the receiver's image differs from its firmware
};

#endif
