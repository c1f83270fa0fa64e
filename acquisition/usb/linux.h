#pragma once

#include "acquisition/usb/os.h"

#include <QByteArray>

// The Linux back end: the usbfs device files and their ioctl requests.
class LINUX : public OS
{
public:
    int findBusses(UsbBusList &busses) override;
    int findDevices(UsbBus &bus, UsbDeviceList &devices, UsbAccess access) override;
    int determineChildren(UsbBus &bus) override;
    void init() override;
    int open(USB &handle) override;
    int close(USB &handle) override;
    int readDescriptor(const UsbDevice &device, UsbDeviceDescriptor &descriptor) override;
    QByteArray root() const override { return m_root; }

    // Candidate roots, in the order they are tried after USB_DEVFS_PATH.
    static const char *const kBuiltInRoots[4];
    static constexpr int kMaxRootLength = 4096;

    // A directory that can be opened and holds at least one bus directory.
    static bool qualifies(const char *path);

private:
    QByteArray devicePath(const UsbDevice &device) const;

    QByteArray m_root;
};
