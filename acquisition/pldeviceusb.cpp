#include "acquisition/pldeviceusb.h"

#include "acquisition/usb/usb.h"
#include "app/functions.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Every request: device-to-host, vendor-specific, recipient interface; index 0.
constexpr int kRequestType = 0xC1;
constexpr int kTimeoutMs = 3000;

constexpr int kStatusRequest = 0x02;
constexpr int kJobTableRequest = 0x05;
// Value 0 asks for the document size, value n for block n.
constexpr int kDocumentRequest = 0x0D;

constexpr int kSizeReplyLength = 8;
// The size is an unsigned 32-bit big-endian number in bytes 2 to 5 of the reply.
constexpr int kSizeFrom = 2;
constexpr int kSizeTo = 6;
constexpr int kBlockSize = 256;
// Block numbers travel in the 16-bit request value.
constexpr int kMaxBlockNumber = 0xFFFF;
constexpr unsigned long kDocumentPauseMs = 500;

// 15 entries of 5 bytes: a signed 32-bit big-endian job number and a status byte.
constexpr int kJobEntries = 15;
constexpr int kJobEntrySize = 5;

constexpr int kStatusRetries = 3;
constexpr int kDocumentRetries = 3;
constexpr int kDescriptionRetries = 3;
constexpr unsigned long kRepeatPauseS = 1;

// LPIOC_GET_DEVICE_ID(1024) of the printer-class driver.
constexpr unsigned long kGetDeviceIdRequest = 0x84005001;
constexpr int kDeviceIdBufferSize = 1024;
// The id starts with its total length, big-endian, counting these two bytes.
constexpr int kDeviceIdLengthSize = 2;
constexpr int kMaxDeviceIdLength = 1023;

// Bus number in the high half, device number in the low half.
unsigned int identity(const UsbDevice &device)
{
    return (device.bus->dirname.toUInt() << 16) | (device.filename.toUInt() & 0xFFFF);
}

} // namespace

PlDeviceUsb::PlDeviceUsb(std::uint16_t productId, std::uint16_t vendorId)
    : m_productId(productId)
    , m_vendorId(vendorId)
{
    debugPrintf("PlDeviceUsb::PlDeviceUsb: mtx=%p", static_cast<void *>(&usbMutex()));
}

QMutex &PlDeviceUsb::usbMutex()
{
    static QMutex mutex;
    return mutex;
}

QString PlDeviceUsb::toString() const
{
    return QString::asprintf("pid=0x%.4hx vid=0x%.4hx", m_productId, m_vendorId);
}

bool PlDeviceUsb::initUSBChannel(USB &usb)
{
    usb.close();
    USB::init();
    USB::findBusses();
    USB::findDevices();

    UsbDevice *found = nullptr;
    for (const auto &bus : USB::busses()) {
        for (const auto &device : bus->devices) {
            if (device->descriptor.idVendor == m_vendorId
                && device->descriptor.idProduct == m_productId) {
                found = device.get();
                break;
            }
        }
    }
    if (!found) {
        debugPrintf("PlDeviceUsb::initUSBChannel():  device=NULL");
        return false;
    }
    debugPrintf("PlDeviceUsb::initUSBChannel(): device= 0x%.8xh (%s)", identity(*found),
                found->filename.constData());
    usb.open(found);
    return usb.isOpen();
}

StatusBlock PlDeviceUsb::requestStatus(int &retCode)
{
    debugPrintf("PlDeviceUsb::requestStatus()");
    QMutexLocker lock(&usbMutex());
    StatusBlock block;
    retCode = -1;
    USB usb;
    if (initUSBChannel(usb)) {
        retCode = usb.controlMsg(kRequestType, kStatusRequest, 0, 0,
                                 reinterpret_cast<char *>(block.data()), StatusBlock::kPrinterBytes,
                                 kTimeoutMs);
        if (retCode < 0)
            block.clear();
    } else {
        debugPrintf("Error: ep0 is invalid!!!");
    }
    usb.close();
    return block;
}

StatusBlock PlDeviceUsb::requestStatusWithRetries(int &retCode)
{
    StatusBlock block = requestStatus(retCode);
    for (int retry = 0; retCode < 0 && retry < kStatusRetries; ++retry) {
        debugPrintf("PlDeviceUsb::requestStatus() wrong return code: %d. Trying again...", retCode);
        block = requestStatus(retCode);
    }
    return block;
}

StatusBlock PlDeviceUsb::requestStatus_withRepeat(int *retCode)
{
    int code = -1;
    StatusBlock block = requestStatusWithRetries(code);
    if (code < 0) {
        debugPrintf("PlDeviceUsb::requestStatus_withRepeat() wrong return code: %d. Trying "
                    "again...",
                    code);
        // Outside the USB mutex: the pause lies between two locked sequences.
        QThread::sleep(kRepeatPauseS);
        block = requestStatusWithRetries(code);
    }
    if (retCode)
        *retCode = code;
    return block;
}

QString PlDeviceUsb::requestStatusXMLOnce(int &retCode)
{
    debugPrintf("PlDeviceUsb::requestStatusXML()");
    QMutexLocker lock(&usbMutex());
    retCode = -1;
    USB usb;
    if (!initUSBChannel(usb)) {
        debugPrintf("Error: ep0 is invalid!!!");
        return QString();
    }

    unsigned char sizeReply[kSizeReplyLength] = {};
    const int sizeResult
            = usb.controlMsg(kRequestType, kDocumentRequest, 0, 0,
                             reinterpret_cast<char *>(sizeReply), kSizeReplyLength, kTimeoutMs);
    if (sizeResult == -1) {
        debugPrintf("Error: request size returns -1!!!");
        debugPrintf("retCode: -1!");
        return QString();
    }
    unsigned int size = 0;
    readBigEndianField(&size, sizeReply, kSizeReplyLength, kSizeFrom, kSizeTo);
    debugPrintf("buffer size = %d from response = %s", int(size),
                toHexString(sizeReply, kSizeReplyLength).constData());
    // A size beyond any real document is a broken reply, not a reason to read gigabytes.
    if (size == 0 || size > kMaxDocumentSize) {
        debugPrintf("Error: request size returns size=%d!!!", int(size));
        debugPrintf("retCode: -1!");
        return QString();
    }

    QByteArray text;
    unsigned int received = 0;
    int result = 0;
    for (int block = 1; received < size; ++block) {
        unsigned char buffer[kBlockSize] = {};
        const int requested = int(std::min<unsigned int>(kBlockSize, size - received));
        result = block > kMaxBlockNumber
                ? 0
                : usb.controlMsg(kRequestType, kDocumentRequest, block, 0,
                                 reinterpret_cast<char *>(buffer), requested, kTimeoutMs);
        if (result <= 0) {
            debugPrintf("Error: request block!!!\n\t{block count: %d; requested size: %d; "
                        "result: %d}",
                        block, requested, result);
            QThread::msleep(kDocumentPauseMs);
            return QString();
        }
        const int got = std::min(result, requested);
        text.append(reinterpret_cast<const char *>(buffer),
                    int(strnlen(reinterpret_cast<const char *>(buffer), got)));
        received += got;
    }
    retCode = result;
    debugPrintf("retCode: %d", retCode);
    QThread::msleep(kDocumentPauseMs);
    return QString::fromLatin1(text);
}

QString PlDeviceUsb::requestStatusXML(int *retCode)
{
    int code = -1;
    QString text = requestStatusXMLOnce(code);
    for (int retry = 0; code == -1 && retry < kDocumentRetries; ++retry) {
        debugPrintf("PlDeviceUsb::requestStatusXML() wrong return code: %d. Trying again...", code);
        text = requestStatusXMLOnce(code);
    }
    if (retCode)
        *retCode = code;
    return text;
}

QList<Job> PlDeviceUsb::getJobList(int *retCode)
{
    debugPrintf("PlDeviceUsb::getJobList()");
    QMutexLocker lock(&usbMutex());
    int code = -1;
    QList<Job> jobs;
    USB usb;
    if (!initUSBChannel(usb)) {
        debugPrintf("Error: ep0 is invalid!!!");
    } else {
        unsigned char table[kJobEntries * kJobEntrySize] = {};
        code = usb.controlMsg(kRequestType, kJobTableRequest, 0, 0, reinterpret_cast<char *>(table),
                              sizeof table, kTimeoutMs);
        if (code > 0) {
            for (int i = 0; i < kJobEntries; ++i) {
                const int at = i * kJobEntrySize;
                unsigned int number = 0;
                readBigEndianField(&number, table, sizeof table, at, at + 4);
                jobs.append(Job{QStringLiteral("localhost"), QString::number(qint32(number)),
                                table[at + 4]});
            }
        }
    }
    usb.close();
    if (retCode)
        *retCode = code;
    return jobs;
}

QString PlDeviceUsb::requestDescriptionOnce(const QString &path, int &retCode)
{
    debugPrintf("PlDeviceUsb::requestDescription");
    QMutexLocker lock(&usbMutex());
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        debugPrintf("cannot open device <%s>\n\t\tReason: %s", name.constData(), strerror(error));
        retCode = error == EBUSY ? 1 : -1;
        return QString();
    }
    debugPrintf("ioctl:");
    unsigned char buffer[kDeviceIdBufferSize] = {};
    retCode = ioctl(fd, kGetDeviceIdRequest, buffer);
    const int error = errno;
    ::close(fd);
    if (retCode < 0) {
        debugPrintf("ioctl(%d) failed: retCode=%d (%s)", fd, retCode, strerror(error));
        return QString();
    }
    const int length = (buffer[0] << 8) | buffer[1];
    // The text is bounded by the announced length, by the buffer and by 1023 characters.
    const int available = std::min({length - kDeviceIdLengthSize,
                                    kDeviceIdBufferSize - kDeviceIdLengthSize, kMaxDeviceIdLength});
    if (available <= 0)
        return QString();
    const char *text = reinterpret_cast<const char *>(buffer + kDeviceIdLengthSize);
    return QString::fromLatin1(text, int(strnlen(text, available)));
}

QString PlDeviceUsb::requestDescription(const QString &path, int *retCode)
{
    int code = -1;
    QString text = requestDescriptionOnce(path, code);
    for (int retry = 0; code == -1 && retry < kDescriptionRetries; ++retry) {
        debugPrintf("PlDeviceUsb::requestDescription() wrong return code: %d. Trying again...",
                    code);
        text = requestDescriptionOnce(path, code);
    }
    if (retCode)
        *retCode = code;
    return text;
}
