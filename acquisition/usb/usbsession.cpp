#include "acquisition/usb/usbsession.h"

#include "acquisition/usb/os.h"
#include "acquisition/usb/osprovider.h"

#include <QMutex>

namespace {

bool hasIds(const UsbDevice &device, std::uint16_t vendorId, std::uint16_t productId)
{
    return device.descriptor.idVendor == vendorId && device.descriptor.idProduct == productId;
}

UsbDevice *knownDevice(const UsbLocation &where)
{
    for (const auto &bus : USB::busses()) {
        if (bus->dirname != where.bus)
            continue;
        for (const auto &device : bus->devices) {
            if (device->filename == where.file)
                return device.get();
        }
    }
    return nullptr;
}

} // namespace

UsbSession::UsbSession()
    : m_lock(&mutex())
{ }

QMutex &UsbSession::mutex()
{
    static QMutex lock;
    return lock;
}

const void *UsbSession::lockId()
{
    return &mutex();
}

UsbDevice *UsbSession::findDevice(std::uint16_t vendorId, std::uint16_t productId,
                                  UsbLocation &where)
{
    UsbDevice *known = knownDevice(where);
    UsbDeviceDescriptor now;
    if (known && hasIds(*known, vendorId, productId)
        && OSProvider::os().readDescriptor(*known, now) == 0 && now == known->descriptor)
        return known;

    USB::init();
    USB::findBusses();
    USB::findDevices(UsbAccess::Descriptors);
    UsbDevice *found = nullptr;
    for (const auto &bus : USB::busses()) {
        for (const auto &device : bus->devices) {
            if (hasIds(*device, vendorId, productId)) {
                found = device.get();
                break;
            }
        }
    }
    where = found ? UsbLocation{found->bus->dirname, found->filename} : UsbLocation{};
    return found;
}
