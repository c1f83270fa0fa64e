#include "acquisition/usb/usb.h"

#include "acquisition/usb/os.h"
#include "acquisition/usb/osprovider.h"
#include "acquisition/usb/usbdiagnostics.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <linux/usbdevice_fs.h>
#include <poll.h>
#include <sys/ioctl.h>

namespace {

constexpr int kGetDescriptor = 0x06;
constexpr int kDeviceToHost = 0x80;
constexpr int kDescriptorTimeoutMs = 1000;
constexpr int kEndpointIn = 0x80;
constexpr int kReapWaitMs = 1;

UsbBusList &busList()
{
    static UsbBusList list;
    return list;
}

// Keeps the known entries that are still there (as they are), forgets the vanished ones and puts
// the new ones at the head, as found. Returns the number of changes; `added` is called for each
// new entry once it is in place.
template<class T, class Same, class Added>
int merge(std::vector<std::unique_ptr<T>> &known, std::vector<std::unique_ptr<T>> found, Same same,
          Added added)
{
    int changes = 0;
    for (auto it = known.begin(); it != known.end();) {
        const auto match = std::find_if(found.begin(), found.end(),
                                        [&](const auto &item) { return same(**it, *item); });
        if (match != found.end()) {
            found.erase(match);
            ++it;
        } else {
            it = known.erase(it);
            ++changes;
        }
    }
    for (auto &item : found) {
        known.insert(known.begin(), std::move(item));
        added(*known.front());
        ++changes;
    }
    return changes;
}

bool sameBus(const UsbBus &a, const UsbBus &b)
{
    return a.dirname == b.dirname;
}

// A device number can come back for another device: then it is a new device, not a known one.
bool sameDevice(const UsbDevice &a, const UsbDevice &b)
{
    return a.filename == b.filename && a.devnum == b.devnum && a.descriptor == b.descriptor;
}

qint64 monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

USB::~USB()
{
    close();
}

void USB::init()
{
    if (const char *debug = getenv("USB_DEBUG"))
        setDebug(int(strtol(debug, nullptr, 10)));
    OS &os = OSProvider::os();
    const QByteArray before = os.root();
    os.init();
    // Records read from another tree say nothing about this one.
    if (os.root() != before)
        releaseBusses();
}

int USB::findBusses()
{
    UsbBusList found;
    const int result = OSProvider::os().findBusses(found);
    if (result < 0)
        return result;
    return merge(busList(), std::move(found), sameBus, [](UsbBus &) {});
}

int USB::findDevices(UsbAccess access)
{
    int changes = 0;
    OS &os = OSProvider::os();
    const bool control = access == UsbAccess::Control;
    for (auto &bus : busList()) {
        UsbDeviceList found;
        // A bus that vanished since findBusses must not hide the devices of the others.
        if (os.findDevices(*bus, found, access) < 0)
            continue;
        const int busChanges = merge(bus->devices, std::move(found), sameDevice,
                                     [&bus, control](UsbDevice &device) {
                                         device.bus = bus.get();
                                         if (!control || !device.configs.empty())
                                             return;
                                         USB handle;
                                         if (handle.open(&device) >= 0)
                                             handle.fetchDescriptors();
                                     });
        changes += busChanges;
        if (control) {
            os.determineChildren(*bus);
        } else if (busChanges) {
            // Only the hubs can tell their ports; links to devices that went must not stay.
            for (auto &device : bus->devices)
                device->children.clear();
            bus->rootDevice = nullptr;
        }
    }
    return changes;
}

const UsbBusList &USB::busses()
{
    return busList();
}

void USB::releaseBusses()
{
    busList().clear();
}

void USB::setDebug(int level)
{
    if (UsbDiagnostics::level() || level)
        UsbDiagnostics::print("setDebug: Setting debugging level to %d (%s)\n", level,
                              level ? "on" : "off");
    UsbDiagnostics::setLevel(level);
}

const char *USB::errorText()
{
    return UsbDiagnostics::errorText();
}

int USB::open(UsbDevice *device)
{
    close();
    if (!device || !device->bus)
        return UsbDiagnostics::failErrno(-EINVAL);
    m_device = device;
    m_config = m_interface = m_altsetting = -1;
    const int fd = OSProvider::os().open(*this);
    if (fd < 0) {
        m_device = nullptr;
        return fd;
    }
    m_fd = fd;
    return 0;
}

int USB::close()
{
    if (m_fd < 0)
        return 0;
    const int result = OSProvider::os().close(*this);
    m_fd = -1;
    m_device = nullptr;
    m_config = m_interface = m_altsetting = -1;
    return result;
}

int USB::setConfiguration(int configuration)
{
    unsigned int value = configuration;
    if (ioctl(m_fd, USBDEVFS_SETCONFIGURATION, &value) < 0)
        return UsbDiagnostics::failText(-errno, "could not set config %d: %s", configuration,
                                        strerror(errno));
    m_config = configuration;
    return 0;
}

int USB::claimInterface(int interface)
{
    unsigned int value = interface;
    if (ioctl(m_fd, USBDEVFS_CLAIMINTERFACE, &value) < 0) {
        const int error = errno;
        if (error == EBUSY && UsbDiagnostics::level() >= 0 && m_device)
            UsbDiagnostics::print("Check your permissions to write to %s/%s.\n",
                                  m_device->bus->dirname.constData(),
                                  m_device->filename.constData());
        return UsbDiagnostics::failText(-error, "could not claim interface %d: %s", interface,
                                        strerror(error));
    }
    m_interface = interface;
    return 0;
}

int USB::releaseInterface(int interface)
{
    unsigned int value = interface;
    if (ioctl(m_fd, USBDEVFS_RELEASEINTERFACE, &value) < 0)
        return UsbDiagnostics::failText(-errno, "could not release intf %d: %s", interface,
                                        strerror(errno));
    m_interface = -1;
    return 0;
}

int USB::setAltInterface(int alternate)
{
    if (m_interface < 0)
        return UsbDiagnostics::failErrno(-EINVAL);
    usbdevfs_setinterface setting{};
    setting.interface = m_interface;
    setting.altsetting = alternate;
    if (ioctl(m_fd, USBDEVFS_SETINTERFACE, &setting) < 0)
        return UsbDiagnostics::failText(-errno, "could not set alt intf %d/%d: %s", m_interface,
                                        alternate, strerror(errno));
    m_altsetting = alternate;
    return 0;
}

int USB::controlMsg(int requestType, int request, int value, int index, char *bytes, int size,
                    int timeoutMs)
{
    usbdevfs_ctrltransfer transfer{};
    transfer.bRequestType = std::uint8_t(requestType);
    transfer.bRequest = std::uint8_t(request);
    transfer.wValue = std::uint16_t(value);
    transfer.wIndex = std::uint16_t(index);
    transfer.wLength = std::uint16_t(size);
    transfer.timeout = timeoutMs;
    transfer.data = bytes;
    const int result = ioctl(m_fd, USBDEVFS_CONTROL, &transfer);
    if (result < 0)
        return UsbDiagnostics::failText(-errno, "error sending control message: %s",
                                        strerror(errno));
    return result;
}

int USB::bulkWrite(int endpoint, const char *bytes, int size, int timeoutMs)
{
    // The kernel only reads from the buffer of an OUT transfer.
    return urbTransfer(endpoint & ~kEndpointIn, USBDEVFS_URB_TYPE_BULK, const_cast<char *>(bytes),
                       size, timeoutMs);
}

int USB::bulkRead(int endpoint, char *bytes, int size, int timeoutMs)
{
    return urbTransfer(endpoint | kEndpointIn, USBDEVFS_URB_TYPE_BULK, bytes, size, timeoutMs);
}

int USB::interruptWrite(int endpoint, const char *bytes, int size, int timeoutMs)
{
    return urbTransfer(endpoint & ~kEndpointIn, USBDEVFS_URB_TYPE_INTERRUPT,
                       const_cast<char *>(bytes), size, timeoutMs);
}

int USB::interruptRead(int endpoint, char *bytes, int size, int timeoutMs)
{
    return urbTransfer(endpoint | kEndpointIn, USBDEVFS_URB_TYPE_INTERRUPT, bytes, size, timeoutMs);
}

int USB::resetEp(unsigned int endpoint)
{
    if (ioctl(m_fd, USBDEVFS_RESETEP, &endpoint) < 0)
        return UsbDiagnostics::failText(-errno, "could not reset ep %d: %s", int(endpoint),
                                        strerror(errno));
    return 0;
}

int USB::clearHalt(unsigned int endpoint)
{
    if (ioctl(m_fd, USBDEVFS_CLEAR_HALT, &endpoint) < 0)
        return UsbDiagnostics::failText(-errno, "could not clear/halt ep %d: %s", int(endpoint),
                                        strerror(errno));
    return 0;
}

int USB::reset()
{
    if (ioctl(m_fd, USBDEVFS_RESET, nullptr) < 0)
        return UsbDiagnostics::failText(-errno, "could not reset: %s", strerror(errno));
    return 0;
}

int USB::getDriverName(int interface, QByteArray &name)
{
    usbdevfs_getdriver driver{};
    driver.interface = interface;
    if (ioctl(m_fd, USBDEVFS_GETDRIVER, &driver) < 0)
        return UsbDiagnostics::failText(-errno, "could not get bound driver: %s", strerror(errno));
    driver.driver[sizeof driver.driver - 1] = '\0';
    name = QByteArray(driver.driver);
    return 0;
}

int USB::detachKernelDriver(int interface)
{
    usbdevfs_ioctl command{};
    command.ifno = interface;
    command.ioctl_code = USBDEVFS_DISCONNECT;
    command.data = nullptr;
    if (ioctl(m_fd, USBDEVFS_IOCTL, &command) < 0)
        return UsbDiagnostics::failText(-errno,
                                        "could not detach kernel driver from interface %d: %s",
                                        interface, strerror(errno));
    return 0;
}

int USB::urbTransfer(int endpoint, int type, char *bytes, int size, int timeoutMs)
{
    const qint64 deadline = monotonicMs() + timeoutMs;
    int done = 0;
    int requested = 0;
    usbdevfs_urb urb{};
    bool timedOut = false;
    do {
        requested = std::min(size - done, kMaxUrbSize);
        urb = usbdevfs_urb{};
        urb.type = std::uint8_t(type);
        urb.endpoint = std::uint8_t(endpoint);
        urb.buffer = bytes + done;
        urb.buffer_length = requested;
        if (ioctl(m_fd, USBDEVFS_SUBMITURB, &urb) < 0)
            return UsbDiagnostics::failText(-errno, "error submitting URB: %s", strerror(errno));

        for (;;) {
            void *context = nullptr;
            if (ioctl(m_fd, USBDEVFS_REAPURBNDELAY, &context) == 0) {
                // A completion left over from an earlier transfer is not ours to count.
                if (context == &urb)
                    break;
                continue;
            }
            if (errno != EAGAIN) {
                const int error = errno;
                // The kernel must not keep a URB that points into this stack frame.
                ioctl(m_fd, USBDEVFS_DISCARDURB, &urb);
                return UsbDiagnostics::failText(-error, "error reaping URB: %s", strerror(error));
            }
            if (monotonicMs() >= deadline) {
                timedOut = true;
                break;
            }
            pollfd waiter{m_fd, POLLOUT, 0};
            poll(&waiter, 1, kReapWaitMs);
        }
        if (timedOut)
            break;
        done += urb.actual_length;
    } while (urb.actual_length == requested && done < size);

    if (timedOut) {
        if (ioctl(m_fd, USBDEVFS_DISCARDURB, &urb) < 0 && errno != EINVAL)
            UsbDiagnostics::trace(1, "error discarding URB: %s", strerror(errno));
        // The discarded URB completes and must be reaped, or the next transfer would see it.
        void *context = nullptr;
        ioctl(m_fd, USBDEVFS_REAPURB, &context);
        return UsbDiagnostics::failErrno(-ETIMEDOUT);
    }
    return done;
}

int USB::getDescriptor(int type, int index, std::uint8_t *bytes, int size)
{
    return controlMsg(kDeviceToHost, kGetDescriptor, (type << 8) | index, 0,
                      reinterpret_cast<char *>(bytes), size, kDescriptorTimeoutMs);
}

int USB::fetchDescriptors()
{
    UsbDevice &device = *m_device;
    const int count = device.descriptor.bNumConfigurations;
    if (count > UsbDescriptor::kMaxConfigurations) {
        UsbDiagnostics::trace(1, "Too many configurations (%d > %d)\n", count,
                              UsbDescriptor::kMaxConfigurations);
        return UsbDiagnostics::failErrno(-EINVAL);
    }
    if (count < 1) {
        UsbDiagnostics::trace(1, "Not enough configurations (%d < %d)\n", count, 1);
        return UsbDiagnostics::failErrno(-EINVAL);
    }

    std::vector<UsbConfigDescriptor> configs;
    for (int i = 0; i < count; ++i) {
        std::uint8_t header[UsbDescriptor::kConfigHeaderSize] = {};
        int result = getDescriptor(UsbDescriptor::kConfig, i, header, sizeof header);
        if (result < int(sizeof header)) {
            if (result < 0)
                UsbDiagnostics::trace(1, "Unable to get descriptor (%d)\n", result);
            else
                UsbDiagnostics::trace(1, "Config descriptor too short (expected %d, got %d)\n",
                                      int(sizeof header), result);
            return result < 0 ? result : UsbDiagnostics::failErrno(-EIO);
        }
        const int total = configTotalLength(header);
        if (total < UsbDescriptor::kConfigSize) {
            UsbDiagnostics::trace(1, "Config descriptor too short (expected %d, got %d)\n",
                                  UsbDescriptor::kConfigSize, total);
            return UsbDiagnostics::failErrno(-EIO);
        }
        QByteArray whole(total, '\0');
        auto *data = reinterpret_cast<std::uint8_t *>(whole.data());
        result = getDescriptor(UsbDescriptor::kConfig, i, data, total);
        if (result < total) {
            if (result < 0)
                UsbDiagnostics::trace(1, "Unable to get descriptor (%d)\n", result);
            else
                UsbDiagnostics::trace(1, "Config descriptor too short (expected %d, got %d)\n",
                                      total, result);
            return result < 0 ? result : UsbDiagnostics::failErrno(-EIO);
        }
        UsbConfigDescriptor config;
        const int left = parseConfiguration(config, data, total);
        if (left > 0)
            UsbDiagnostics::trace(2, "Descriptor data still left\n");
        else if (left < 0)
            UsbDiagnostics::trace(1, "Unable to parse descriptors\n");
        configs.push_back(std::move(config));
    }
    device.configs = std::move(configs);
    return 0;
}
