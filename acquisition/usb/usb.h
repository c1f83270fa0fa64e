#pragma once

#include "acquisition/usb/usbbus.h"

#include <QByteArray>

// The USB access layer: the process-wide bus list (static members) and a handle on one device.
// Handles live on the stack for one operation and close their device when they go. Device-handle
// operations return 0 or a byte count on success and a negative errno code on failure, which also
// becomes the layer's error text. Nothing here is locked: the product uses the layer through a
// UsbSession, which holds the layer's lock.
class USB
{
public:
    USB() = default;
    ~USB();
    USB(const USB &) = delete;
    USB &operator=(const USB &) = delete;

    // Debug level from USB_DEBUG, then the file-system root. A new root forgets the bus list.
    static void init();
    // Both return the number of changes to the bus list, or a negative errno code.
    static int findBusses();
    // With UsbAccess::Descriptors, hub links are forgotten where devices changed, not read.
    static int findDevices(UsbAccess access = UsbAccess::Control);
    static const UsbBusList &busses();
    static void releaseBusses();
    static void setDebug(int level);
    static const char *errorText();

    int open(UsbDevice *device);
    int close();
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    UsbDevice *device() const { return m_device; }

    int setConfiguration(int configuration);
    int claimInterface(int interface);
    int releaseInterface(int interface);
    int setAltInterface(int alternate);
    int controlMsg(int requestType, int request, int value, int index, char *bytes, int size,
                   int timeoutMs);
    int bulkWrite(int endpoint, const char *bytes, int size, int timeoutMs);
    int bulkRead(int endpoint, char *bytes, int size, int timeoutMs);
    int interruptWrite(int endpoint, const char *bytes, int size, int timeoutMs);
    int interruptRead(int endpoint, char *bytes, int size, int timeoutMs);
    int resetEp(unsigned int endpoint);
    int clearHalt(unsigned int endpoint);
    int reset();
    int getDriverName(int interface, QByteArray &name);
    int detachKernelDriver(int interface);

    // A bulk or interrupt transfer is cut into URBs of at most this many bytes.
    static constexpr int kMaxUrbSize = 16384;

private:
    friend class LINUX;

    int urbTransfer(int endpoint, int type, char *bytes, int size, int timeoutMs);
    int getDescriptor(int type, int index, std::uint8_t *bytes, int size);
    int fetchDescriptors();

    int m_fd = -1;
    UsbDevice *m_device = nullptr;
    int m_config = -1;
    int m_interface = -1;
    int m_altsetting = -1;
};
