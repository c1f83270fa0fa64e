#pragma once

#include "acquisition/usb/usbbus.h"

class USB;

// The operating-system back end of the USB access layer.
class OS
{
public:
    virtual ~OS() = default;

    // Lists the buses under the file-system root into `busses`, newest first.
    virtual int findBusses(UsbBusList &busses) = 0;
    // Lists the devices of one bus into `devices`, newest first, with their descriptors.
    virtual int findDevices(UsbBus &bus, UsbDeviceList &devices, UsbAccess access) = 0;
    // Links every hub of the bus to the devices on its ports.
    virtual int determineChildren(UsbBus &bus) = 0;
    // Chooses the file-system root.
    virtual void init() = 0;
    // Opens the handle's device; returns the descriptor or a negative errno code.
    virtual int open(USB &handle) = 0;
    virtual int close(USB &handle) = 0;
    // Reads the device descriptor of a known device again, read-only.
    virtual int readDescriptor(const UsbDevice &device, UsbDeviceDescriptor &descriptor) = 0;

    // The root chosen by init(); empty when none qualified.
    virtual QByteArray root() const = 0;
};
