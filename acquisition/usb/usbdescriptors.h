#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// USB descriptors as a device reports them. Field names are those of the USB standard; any
// class- or vendor-specific descriptors that follow a standard one are kept in its `extra`.
namespace UsbDescriptor {
constexpr std::uint8_t kDevice = 0x01;
constexpr std::uint8_t kConfig = 0x02;
constexpr std::uint8_t kString = 0x03;
constexpr std::uint8_t kInterface = 0x04;
constexpr std::uint8_t kEndpoint = 0x05;

constexpr int kDeviceSize = 18;
constexpr int kConfigSize = 9;
constexpr int kInterfaceSize = 9;
constexpr int kEndpointSize = 7;
constexpr int kAudioEndpointSize = 9;
// Only the length of a configuration is needed before the whole of it can be read.
constexpr int kConfigHeaderSize = 8;

constexpr int kMaxConfigurations = 8;
constexpr int kMaxInterfaces = 32;
constexpr int kMaxEndpoints = 32;

constexpr std::uint8_t kClassHub = 0x09;
} // namespace UsbDescriptor

struct UsbDeviceDescriptor
{
    std::uint8_t bLength = 0;
    std::uint8_t bDescriptorType = 0;
    std::uint16_t bcdUSB = 0;
    std::uint8_t bDeviceClass = 0;
    std::uint8_t bDeviceSubClass = 0;
    std::uint8_t bDeviceProtocol = 0;
    std::uint8_t bMaxPacketSize0 = 0;
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t bcdDevice = 0;
    std::uint8_t iManufacturer = 0;
    std::uint8_t iProduct = 0;
    std::uint8_t iSerialNumber = 0;
    std::uint8_t bNumConfigurations = 0;

    bool operator==(const UsbDeviceDescriptor &other) const = default;
};

struct UsbEndpointDescriptor
{
    std::uint8_t bLength = 0;
    std::uint8_t bDescriptorType = 0;
    std::uint8_t bEndpointAddress = 0;
    std::uint8_t bmAttributes = 0;
    std::uint16_t wMaxPacketSize = 0;
    std::uint8_t bInterval = 0;
    std::uint8_t bRefresh = 0;
    std::uint8_t bSynchAddress = 0;
    QByteArray extra;
};

// One alternate setting of an interface.
struct UsbInterfaceDescriptor
{
    std::uint8_t bLength = 0;
    std::uint8_t bDescriptorType = 0;
    std::uint8_t bInterfaceNumber = 0;
    std::uint8_t bAlternateSetting = 0;
    std::uint8_t bNumEndpoints = 0;
    std::uint8_t bInterfaceClass = 0;
    std::uint8_t bInterfaceSubClass = 0;
    std::uint8_t bInterfaceProtocol = 0;
    std::uint8_t iInterface = 0;
    std::vector<UsbEndpointDescriptor> endpoints;
    QByteArray extra;
};

struct UsbInterface
{
    std::vector<UsbInterfaceDescriptor> altsettings;
};

struct UsbConfigDescriptor
{
    std::uint8_t bLength = 0;
    std::uint8_t bDescriptorType = 0;
    std::uint16_t wTotalLength = 0;
    std::uint8_t bNumInterfaces = 0;
    std::uint8_t bConfigurationValue = 0;
    std::uint8_t iConfiguration = 0;
    std::uint8_t bmAttributes = 0;
    std::uint8_t MaxPower = 0;
    std::vector<UsbInterface> interfaces;
    QByteArray extra;
};

// The 18 bytes of a device descriptor (multi-byte fields are little-endian on the wire).
UsbDeviceDescriptor parseDeviceDescriptor(const std::uint8_t *bytes);

// Parses one whole configuration of `size` bytes. Returns the number of bytes left over after the
// announced interfaces, or -1 when the data is malformed. Never reads outside the buffer.
int parseConfiguration(UsbConfigDescriptor &config, const std::uint8_t *bytes, int size);

// wTotalLength of a configuration from its first bytes (at least 4).
inline int configTotalLength(const std::uint8_t *bytes)
{
    return bytes[2] | (bytes[3] << 8);
}
