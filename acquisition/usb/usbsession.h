#pragma once

#include "acquisition/usb/usb.h"

#include <QByteArray>
#include <QMutexLocker>

#include <cstdint>

// Where a device was found: its bus directory and its file there.
struct UsbLocation
{
    QByteArray bus;
    QByteArray file;
};

// One use of the USB layer by one thread. It holds the layer's process-wide lock for as long as it
// lives (the bus list, the error state and the devices are shared by every thread and guard
// nothing themselves), and a handle that is closed before the lock goes.
class UsbSession
{
public:
    UsbSession();
    UsbSession(const UsbSession &) = delete;
    UsbSession &operator=(const UsbSession &) = delete;

    USB &handle() { return m_handle; }

    // The device with these ids, found without opening any other device for control: at `where`
    // while the same device is still there, else by a scan that only reads the descriptors of the
    // device files (the first match on each bus counts, a later bus replaces an earlier one).
    // `where` follows what was found.
    UsbDevice *findDevice(std::uint16_t vendorId, std::uint16_t productId, UsbLocation &where);

    // Names the lock in log lines.
    static const void *lockId();

private:
    static QMutex &mutex();

    QMutexLocker<QMutex> m_lock; // declared first: released last, once the handle has closed
    USB m_handle;
};
