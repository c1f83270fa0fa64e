#include "acquisition/usb/linux.h"

#include "acquisition/usb/usb.h"
#include "acquisition/usb/usbdiagnostics.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kRootLevel = 0;
constexpr int kErrorLevel = 1;
constexpr int kTraceLevel = 2;
// Device numbers on a bus are 1 to 127; a hub's port table holds 8-bit numbers.
constexpr int kMaxDeviceNumber = 256;

bool isNumber(const char *name)
{
    if (!*name)
        return false;
    for (const char *c = name; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

// Numeric order, so that the lists (and with them the choice among equal devices) do not depend
// on the order in which the file system returns entries.
bool numericLess(const QByteArray &a, const QByteArray &b)
{
    const auto digits = [](const QByteArray &s) {
        int zeros = 0;
        while (zeros < s.size() - 1 && s[zeros] == '0')
            ++zeros;
        return s.mid(zeros);
    };
    const QByteArray x = digits(a);
    const QByteArray y = digits(b);
    if (x.size() != y.size())
        return x.size() < y.size();
    return x != y ? x < y : a < b;
}

class Directory
{
public:
    explicit Directory(const QByteArray &path)
        : m_dir(opendir(path.constData()))
    { }
    ~Directory()
    {
        if (m_dir)
            closedir(m_dir);
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    // Names of the visible entries, in numeric order, each passed to `skip` first.
    template<class Skip>
    QList<QByteArray> numberedEntries(Skip skip)
    {
        QList<QByteArray> names;
        while (dirent *entry = readdir(m_dir)) {
            if (entry->d_name[0] == '.')
                continue;
            if (isNumber(entry->d_name))
                names.append(QByteArray(entry->d_name));
            else
                skip(entry->d_name);
        }
        std::sort(names.begin(), names.end(), numericLess);
        return names;
    }

private:
    DIR *m_dir;
};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openReadWriteElseReadOnly(const char *path)
{
    const int fd = ::open(path, O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : ::open(path, O_RDONLY | O_CLOEXEC);
}

// The configurations follow the device descriptor in the device file. Leaves `configs` empty when
// they cannot all be read, so that they are fetched from the device instead.
void readConfigurations(int fd, UsbDevice &device)
{
    const int count = device.descriptor.bNumConfigurations;
    if (count > UsbDescriptor::kMaxConfigurations || count < 1)
        return;
    std::vector<UsbConfigDescriptor> configs;
    for (int i = 0; i < count; ++i) {
        std::uint8_t header[UsbDescriptor::kConfigHeaderSize];
        const ssize_t got = ::read(fd, header, sizeof header);
        if (got < ssize_t(sizeof header)) {
            UsbDiagnostics::trace(kErrorLevel,
                                  "LINUX::findDevices: unable to get descriptor (%d)\n", int(got));
            return;
        }
        const int total = configTotalLength(header);
        if (total < UsbDescriptor::kConfigSize) {
            UsbDiagnostics::trace(kErrorLevel,
                                  "LINUX::findDevices: config descriptor too short (expected %d, "
                                  "got %d)\n",
                                  UsbDescriptor::kConfigSize, total);
            return;
        }
        QByteArray whole(total, '\0');
        auto *data = reinterpret_cast<std::uint8_t *>(whole.data());
        std::memcpy(data, header, sizeof header);
        const ssize_t rest = ::read(fd, data + sizeof header, total - sizeof header);
        if (rest < ssize_t(total - sizeof header)) {
            UsbDiagnostics::trace(kErrorLevel,
                                  "LINUX::findDevices: config descriptor too short (expected %d, "
                                  "got %d)\n",
                                  total, int(sizeof header + std::max<ssize_t>(rest, 0)));
            return;
        }
        UsbConfigDescriptor config;
        const int left = parseConfiguration(config, data, total);
        if (left < 0)
            UsbDiagnostics::trace(kErrorLevel, "LINUX::findDevices: unable to parse descriptors\n");
        else if (left > 0)
            UsbDiagnostics::trace(kTraceLevel, "LINUX::findDevices: descriptor data still left\n");
        configs.push_back(std::move(config));
    }
    device.configs = std::move(configs);
}

} // namespace

const char *const LINUX::kBuiltInRoots[4]
        = {"/proc/bus/usb", "/sys/bus/usb", "/dev/usb", "/dev/bus/usb"};

bool LINUX::qualifies(const char *path)
{
    if (!path || strlen(path) >= size_t(kMaxRootLength))
        return false;
    Directory dir{QByteArray(path)};
    return dir.isOpen() && !dir.numberedEntries([](const char *) {}).isEmpty();
}

void LINUX::init()
{
    m_root.clear();
    if (const char *path = getenv("USB_DEVFS_PATH")) {
        if (qualifies(path))
            m_root = path;
        else
            UsbDiagnostics::trace(kRootLevel, "LINUX::init: couldn't find USB VFS in %s\n",
                                  "USB_DEVFS_PATH");
    }
    for (const char *candidate : kBuiltInRoots) {
        if (!m_root.isEmpty())
            break;
        if (qualifies(candidate))
            m_root = candidate;
    }
    if (!m_root.isEmpty())
        UsbDiagnostics::trace(kRootLevel, "LINUX::init: Found USB VFS at %s\n", m_root.constData());
    else
        UsbDiagnostics::trace(kRootLevel, "LINUX::init: No USB VFS found, is it mounted?\n");
}

int LINUX::findBusses(UsbBusList &busses)
{
    Directory dir(m_root);
    if (!dir.isOpen())
        return UsbDiagnostics::failText(-errno, "LINUX::findBusses: couldn't opendir(%s): %s",
                                        m_root.constData(), strerror(errno));
    const QList<QByteArray> names = dir.numberedEntries([](const char *name) {
        UsbDiagnostics::trace(kTraceLevel, "LINUX::findBusses: Skipping non bus directory %s\n",
                              name);
    });
    for (const QByteArray &name : names) {
        UsbDiagnostics::trace(kTraceLevel, "LINUX::findBusses: Found %s\n", name.constData());
        auto bus = std::make_unique<UsbBus>();
        bus->dirname = name;
        busses.insert(busses.begin(), std::move(bus));
    }
    return 0;
}

int LINUX::findDevices(UsbBus &bus, UsbDeviceList &devices, UsbAccess access)
{
    const QByteArray busPath = m_root + '/' + bus.dirname;
    Directory dir(busPath);
    if (!dir.isOpen())
        return UsbDiagnostics::failText(-errno, "LINUX::findDevices: couldn't opendir(%s): %s",
                                        busPath.constData(), strerror(errno));
    const QList<QByteArray> names = dir.numberedEntries([](const char *) {});
    for (const QByteArray &name : names) {
        const QByteArray path = busPath + '/' + name;
        FileDescriptor fd(access == UsbAccess::Control
                                  ? openReadWriteElseReadOnly(path.constData())
                                  : ::open(path.constData(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) {
            UsbDiagnostics::trace(kErrorLevel, "LINUX::findDevices: Couldn't open %s\n",
                                  path.constData());
            continue;
        }
        auto device = std::make_unique<UsbDevice>();
        device->bus = &bus;
        device->filename = name;

        if (access == UsbAccess::Descriptors) {
            // The kernel names a device file after the device number.
            device->devnum = name.toInt();
        } else {
            usbdevfs_connectinfo info{};
            if (ioctl(fd.get(), USBDEVFS_CONNECTINFO, &info) < 0)
                UsbDiagnostics::trace(kErrorLevel,
                                      "LINUX::findDevices: couldn't get connect info\n");
            else
                device->devnum = int(info.devnum);
        }

        std::uint8_t raw[UsbDescriptor::kDeviceSize];
        if (::read(fd.get(), raw, sizeof raw) < ssize_t(sizeof raw)) {
            UsbDiagnostics::trace(kErrorLevel, "LINUX::findDevices: Couldn't read descriptor\n");
            continue;
        }
        device->descriptor = parseDeviceDescriptor(raw);
        UsbDiagnostics::trace(kTraceLevel, "LINUX::findDevices: Found %s on %s\n", name.constData(),
                              bus.dirname.constData());
        readConfigurations(fd.get(), *device);
        devices.insert(devices.begin(), std::move(device));
    }
    return 0;
}

int LINUX::determineChildren(UsbBus &bus)
{
    std::array<UsbDevice *, kMaxDeviceNumber> byNumber{};
    bus.rootDevice = nullptr;
    for (auto &device : bus.devices) {
        device->children.clear();
        if (device->devnum > 0 && device->devnum < kMaxDeviceNumber)
            byNumber[device->devnum] = device.get();
    }

    for (auto &device : bus.devices) {
        if (device->descriptor.bDeviceClass != UsbDescriptor::kClassHub)
            continue;
        USB hub;
        if (hub.open(device.get()) < 0)
            continue;
        usbdevfs_hub_portinfo ports{};
        usbdevfs_ioctl command{};
        command.ifno = 0;
        command.ioctl_code = USBDEVFS_HUB_PORTINFO;
        command.data = &ports;
        if (ioctl(hub.fd(), USBDEVFS_IOCTL, &command) < 0) {
            // The hub may have gone since the scan.
            UsbDiagnostics::trace(kErrorLevel,
                                  "LINUX::determineChildren: error obtaining child information: "
                                  "%s\n",
                                  strerror(errno));
            continue;
        }
        const int count = std::clamp(int(static_cast<unsigned char>(ports.nports)), 0,
                                     int(sizeof ports.port));
        for (int i = 0; i < count; ++i) {
            const int number = static_cast<unsigned char>(ports.port[i]);
            if (number == 0 || !byNumber[number])
                continue;
            device->children.push_back(byNumber[number]);
            byNumber[number] = nullptr;
        }
    }
    for (UsbDevice *device : byNumber) {
        if (device) {
            bus.rootDevice = device;
            break;
        }
    }
    return 0;
}

QByteArray LINUX::devicePath(const UsbDevice &device) const
{
    return m_root + '/' + device.bus->dirname + '/' + device.filename;
}

int LINUX::open(USB &handle)
{
    const QByteArray path = devicePath(*handle.m_device);
    const int fd = openReadWriteElseReadOnly(path.constData());
    if (fd < 0)
        return UsbDiagnostics::failText(-errno, "failed to open %s: %s", path.constData(),
                                        strerror(errno));
    return fd;
}

int LINUX::close(USB &handle)
{
    if (::close(handle.m_fd) < 0)
        return UsbDiagnostics::failText(-errno, "LINUX::close: tried to close device fd %d: %s",
                                        handle.m_fd, strerror(errno));
    return 0;
}

int LINUX::readDescriptor(const UsbDevice &device, UsbDeviceDescriptor &descriptor)
{
    FileDescriptor fd(::open(devicePath(device).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return -errno;
    std::uint8_t raw[UsbDescriptor::kDeviceSize];
    if (::read(fd.get(), raw, sizeof raw) < ssize_t(sizeof raw))
        return -EIO;
    descriptor = parseDeviceDescriptor(raw);
    return 0;
}
