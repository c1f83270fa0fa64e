#include "acquisition/usb/usbdescriptors.h"

#include "acquisition/usb/usbdiagnostics.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Error details from level 1, traces of skipped descriptors from level 2.
constexpr int kErrorLevel = 1;
constexpr int kTraceLevel = 2;

std::uint16_t le16(const std::uint8_t *bytes)
{
    return std::uint16_t(bytes[0] | (bytes[1] << 8));
}

// A descriptor may be shorter than its standard layout: missing fields read as zero.
template<std::size_t N>
std::array<std::uint8_t, N> padded(const std::uint8_t *bytes, int available)
{
    std::array<std::uint8_t, N> raw{};
    std::memcpy(raw.data(), bytes, std::min<std::size_t>(N, std::size_t(std::max(available, 0))));
    return raw;
}

bool isStandard(std::uint8_t type)
{
    return type == UsbDescriptor::kEndpoint || type == UsbDescriptor::kInterface
            || type == UsbDescriptor::kConfig || type == UsbDescriptor::kDevice;
}

// Length of the run of class- or vendor-specific descriptors before the next standard one, or -1
// when a descriptor's length is impossible. `owner` names what they belong to in the trace.
int skipExtraDescriptors(const std::uint8_t *bytes, int size, const char *owner)
{
    int skipped = 0;
    int count = 0;
    while (size - skipped >= 2) {
        const int length = bytes[skipped];
        const std::uint8_t type = bytes[skipped + 1];
        if (length < 2 || length > size - skipped) {
            UsbDiagnostics::trace(kErrorLevel, "invalid descriptor length of %d\n", length);
            return -1;
        }
        if (isStandard(type))
            break;
        UsbDiagnostics::trace(kTraceLevel, "skipping descriptor 0x%X\n", type);
        ++count;
        skipped += length;
    }
    if (count)
        UsbDiagnostics::trace(kTraceLevel, "skipped %d class/vendor specific %s descriptors\n",
                              count, owner);
    return skipped;
}

// Returns the bytes used, 0 when the next descriptor is not an endpoint, or -1.
int parseEndpoint(UsbEndpointDescriptor &endpoint, const std::uint8_t *bytes, int size)
{
    const int length = bytes[0];
    const std::uint8_t type = bytes[1];
    if (length > size) {
        UsbDiagnostics::trace(kErrorLevel, "ran out of descriptors parsing\n");
        return -1;
    }
    if (type != UsbDescriptor::kEndpoint) {
        UsbDiagnostics::trace(kErrorLevel,
                              "unexpected descriptor 0x%X, expecting endpoint descriptor, "
                              "type 0x%X\n",
                              type, UsbDescriptor::kEndpoint);
        return 0;
    }
    if (length < 2) {
        UsbDiagnostics::trace(kErrorLevel, "invalid descriptor length of %d\n", length);
        return -1;
    }
    const auto raw = padded<UsbDescriptor::kAudioEndpointSize>(bytes, length);
    endpoint.bLength = raw[0];
    endpoint.bDescriptorType = raw[1];
    endpoint.bEndpointAddress = raw[2];
    endpoint.bmAttributes = raw[3];
    endpoint.wMaxPacketSize = le16(&raw[4]);
    endpoint.bInterval = raw[6];
    endpoint.bRefresh = raw[7];
    endpoint.bSynchAddress = raw[8];

    const int extra = skipExtraDescriptors(bytes + length, size - length, "endpoint");
    if (extra < 0)
        return -1;
    endpoint.extra = QByteArray(reinterpret_cast<const char *>(bytes + length), extra);
    return length + extra;
}

// One interface with all its alternate settings; returns the bytes used or -1.
int parseInterface(UsbInterface &interface, const std::uint8_t *bytes, int size)
{
    int parsed = 0;
    while (size >= UsbDescriptor::kInterfaceSize) {
        const int length = bytes[0];
        if (length < 2 || length > size) {
            UsbDiagnostics::trace(kErrorLevel, "invalid descriptor length of %d\n", length);
            return -1;
        }
        const auto raw = padded<UsbDescriptor::kInterfaceSize>(bytes, length);
        UsbInterfaceDescriptor alt;
        alt.bLength = raw[0];
        alt.bDescriptorType = raw[1];
        alt.bInterfaceNumber = raw[2];
        alt.bAlternateSetting = raw[3];
        alt.bNumEndpoints = raw[4];
        alt.bInterfaceClass = raw[5];
        alt.bInterfaceSubClass = raw[6];
        alt.bInterfaceProtocol = raw[7];
        alt.iInterface = raw[8];
        bytes += length;
        parsed += length;
        size -= length;

        const int extra = skipExtraDescriptors(bytes, size, "interface");
        if (extra < 0)
            return -1;
        alt.extra = QByteArray(reinterpret_cast<const char *>(bytes), extra);
        bytes += extra;
        parsed += extra;
        size -= extra;

        // A configuration or device descriptor ends this interface before its endpoints.
        if (size >= 2
            && (bytes[1] == UsbDescriptor::kConfig || bytes[1] == UsbDescriptor::kDevice)) {
            interface.altsettings.push_back(std::move(alt));
            return parsed;
        }
        if (alt.bNumEndpoints > UsbDescriptor::kMaxEndpoints) {
            UsbDiagnostics::trace(kErrorLevel, "too many endpoints\n");
            return -1;
        }
        for (int i = 0; i < alt.bNumEndpoints; ++i) {
            if (size < 2 || bytes[0] > size) {
                UsbDiagnostics::trace(kErrorLevel, "ran out of descriptors parsing\n");
                return -1;
            }
            UsbEndpointDescriptor endpoint;
            const int used = parseEndpoint(endpoint, bytes, size);
            if (used < 0)
                return -1;
            if (used == 0)
                break;
            alt.endpoints.push_back(std::move(endpoint));
            bytes += used;
            parsed += used;
            size -= used;
        }
        interface.altsettings.push_back(std::move(alt));

        // Another alternate setting of the same interface follows, or the interface is done.
        if (size < UsbDescriptor::kInterfaceSize || bytes[1] != UsbDescriptor::kInterface
            || bytes[3] == 0)
            return parsed;
    }
    return parsed;
}

} // namespace

UsbDeviceDescriptor parseDeviceDescriptor(const std::uint8_t *bytes)
{
    UsbDeviceDescriptor d;
    d.bLength = bytes[0];
    d.bDescriptorType = bytes[1];
    d.bcdUSB = le16(bytes + 2);
    d.bDeviceClass = bytes[4];
    d.bDeviceSubClass = bytes[5];
    d.bDeviceProtocol = bytes[6];
    d.bMaxPacketSize0 = bytes[7];
    d.idVendor = le16(bytes + 8);
    d.idProduct = le16(bytes + 10);
    d.bcdDevice = le16(bytes + 12);
    d.iManufacturer = bytes[14];
    d.iProduct = bytes[15];
    d.iSerialNumber = bytes[16];
    d.bNumConfigurations = bytes[17];
    return d;
}

int parseConfiguration(UsbConfigDescriptor &config, const std::uint8_t *bytes, int size)
{
    config = UsbConfigDescriptor();
    if (size < 2) {
        UsbDiagnostics::trace(kErrorLevel, "ran out of descriptors parsing\n");
        return -1;
    }
    const int length = bytes[0];
    if (length < 2 || length > size) {
        UsbDiagnostics::trace(kErrorLevel, "invalid descriptor length of %d\n", length);
        return -1;
    }
    const auto raw = padded<UsbDescriptor::kConfigSize>(bytes, length);
    config.bLength = raw[0];
    config.bDescriptorType = raw[1];
    config.wTotalLength = le16(&raw[2]);
    config.bNumInterfaces = raw[4];
    config.bConfigurationValue = raw[5];
    config.iConfiguration = raw[6];
    config.bmAttributes = raw[7];
    config.MaxPower = raw[8];
    if (config.bNumInterfaces > UsbDescriptor::kMaxInterfaces)
        return -1;
    bytes += length;
    size -= length;

    for (int i = 0; i < config.bNumInterfaces; ++i) {
        // Descriptors that precede an interface, such as an interface association.
        const int extra = skipExtraDescriptors(bytes, size, "interface");
        if (extra < 0)
            return -1;
        config.extra.append(reinterpret_cast<const char *>(bytes), extra);
        bytes += extra;
        size -= extra;

        UsbInterface interface;
        const int used = parseInterface(interface, bytes, size);
        if (used < 0)
            return -1;
        config.interfaces.push_back(std::move(interface));
        bytes += used;
        size -= used;
    }
    return size;
}
