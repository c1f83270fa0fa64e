#pragma once

#include "acquisition/usb/usbdescriptors.h"

#include <QByteArray>

#include <memory>
#include <vector>

struct UsbBus;

// One device as found in its bus directory.
struct UsbDevice
{
    QByteArray filename; // within the bus directory, e.g. "005"
    UsbBus *bus = nullptr;
    UsbDeviceDescriptor descriptor;
    std::vector<UsbConfigDescriptor> configs;
    int devnum = 0;
    std::vector<UsbDevice *> children; // not owned: devices of the same bus behind this hub
};

struct UsbBus
{
    QByteArray dirname; // the bus number as decimal text, e.g. "001"
    // Newest first: new devices are added at the head.
    std::vector<std::unique_ptr<UsbDevice>> devices;
    UsbDevice *rootDevice = nullptr; // not owned: the one device no hub claims
};

// How a device scan may touch a device file. Control opens it read-write (else read-only) and asks
// the kernel for the device number; Descriptors only reads the descriptors the kernel keeps for
// it, through a read-only descriptor, and sends the device nothing.
enum class UsbAccess { Control, Descriptors };

using UsbBusList = std::vector<std::unique_ptr<UsbBus>>;
using UsbDeviceList = std::vector<std::unique_ptr<UsbDevice>>;
