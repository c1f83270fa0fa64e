#include "acquisition/pldeviceusb.h"

#include "acquisition/usb/usb.h"
#include "base/functions.h"
#include "status/xmltext.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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

// Tries after the first, for each kind of request.
constexpr int kRetries = 3;
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

// Runs `once` and, while `again` holds for its code, at most kRetries more times.
template<class Again, class Once>
auto withRetries(const char *method, int &code, Again again, Once once)
{
    auto result = once(code);
    for (int retry = 0; retry < kRetries && again(code); ++retry) {
        debugPrintf("PlDeviceUsb::%s() wrong return code: %d. Trying again...", method, code);
        result = once(code);
    }
    return result;
}

// Runs `request` on the printer opened in a session of its own; false when it is not there.
template<class Request>
bool onPrinter(PlDeviceUsb &device, Request request)
{
    UsbSession session;
    if (!device.initUSBChannel(session)) {
        debugPrintf("Error: ep0 is invalid!!!");
        return false;
    }
    request(session.handle());
    return true;
}

// A document transfer that ends by the read's deadline, the 3-second bound of one transfer aside.
int documentTransfer(USB &usb, int value, unsigned char *bytes, int size,
                     const QDeadlineTimer &deadline)
{
    const qint64 left = deadline.remainingTime();
    // A time-out of 0 would be none at all for the kernel.
    if (left <= 0)
        return -ETIMEDOUT;
    return usb.controlMsg(kRequestType, kDocumentRequest, value, 0, reinterpret_cast<char *>(bytes),
                          size, int(std::min<qint64>(kTimeoutMs, left)));
}

bool passed(const QDeadlineTimer &deadline)
{
    if (!deadline.hasExpired())
        return false;
    debugPrintf("PlDeviceUsb::requestStatusXML(): no document within %d ms, giving up",
                PlDeviceUsb::kDocumentDeadlineMs);
    return true;
}

// Reads the document from the opened printer into `text`. `final` is set when asking again would
// not help; returns whether the printer gets its pause (once blocks were asked for).
bool readDocument(USB &usb, const QDeadlineTimer &deadline, QByteArray &text, int &retCode,
                  bool &final)
{
    unsigned char sizeReply[kSizeReplyLength] = {};
    const int sizeResult = documentTransfer(usb, 0, sizeReply, kSizeReplyLength, deadline);
    if ((final = passed(deadline)))
        return false;
    if (sizeResult == -1) {
        debugPrintf("Error: request size returns -1!!!");
        debugPrintf("retCode: -1!");
        return false;
    }
    unsigned int size = 0;
    readBigEndianField(&size, sizeReply, kSizeReplyLength, kSizeFrom, kSizeTo);
    debugPrintf("buffer size = %d from response = %s", int(size),
                toHexString(sizeReply, kSizeReplyLength).constData());
    // A size beyond any real document is a broken reply, not a reason to read gigabytes.
    if (size == 0 || size > PlDeviceUsb::kMaxDocumentSize) {
        debugPrintf("Error: request size returns size=%d!!!", int(size));
        debugPrintf("retCode: -1!");
        return false;
    }

    unsigned int received = 0;
    int result = 0;
    for (int block = 1; received < size; ++block) {
        unsigned char buffer[kBlockSize] = {};
        const int requested = int(std::min<unsigned int>(kBlockSize, size - received));
        result = block > kMaxBlockNumber
                ? 0
                : documentTransfer(usb, block, buffer, requested, deadline);
        // A short block ends the read too: the blocks after it would not line up with the text.
        if (result < requested) {
            debugPrintf("Error: request block!!!\n\t{block count: %d; requested size: %d; "
                        "result: %d}",
                        block, requested, result);
            final = passed(deadline) || result > 0;
            text.clear();
            return true;
        }
        text.append(reinterpret_cast<const char *>(buffer),
                    int(strnlen(reinterpret_cast<const char *>(buffer), requested)));
        received += requested;
    }
    retCode = result;
    debugPrintf("retCode: %d", retCode);
    return true;
}

// The job table of the opened printer; `code` is the request's result.
QList<Job> readJobTable(USB &usb, int &code)
{
    QList<Job> jobs;
    unsigned char table[kJobEntries * kJobEntrySize] = {};
    code = usb.controlMsg(kRequestType, kJobTableRequest, 0, 0, reinterpret_cast<char *>(table),
                          sizeof table, kTimeoutMs);
    if (code <= 0)
        return jobs;
    for (int i = 0; i < kJobEntries; ++i) {
        const int at = i * kJobEntrySize;
        unsigned int number = 0;
        readBigEndianField(&number, table, sizeof table, at, at + 4);
        jobs.append(
                Job{QStringLiteral("localhost"), QString::number(qint32(number)), table[at + 4]});
    }
    return jobs;
}

} // namespace

PlDeviceUsb::PlDeviceUsb(std::uint16_t productId, std::uint16_t vendorId)
    : m_productId(productId)
    , m_vendorId(vendorId)
{
    debugPrintf("PlDeviceUsb::PlDeviceUsb: mtx=%p", UsbSession::lockId());
}

QString PlDeviceUsb::toString() const
{
    return QString::asprintf("pid=0x%.4hx vid=0x%.4hx", m_productId, m_vendorId);
}

bool PlDeviceUsb::initUSBChannel(UsbSession &session)
{
    USB &usb = session.handle();
    usb.close();
    UsbDevice *found = session.findDevice(m_vendorId, m_productId, m_location);
    if (!found) {
        debugPrintf("PlDeviceUsb::initUSBChannel():  device=NULL");
        return false;
    }
    debugPrintf("PlDeviceUsb::initUSBChannel(): device= 0x%.8xh (%s)", identity(*found),
                found->filename.constData());
    usb.open(found);
    return usb.isOpen();
}

StatusBlock PlDeviceUsb::requestStatus(int &retCode, QList<Job> *jobs, int *jobsCode)
{
    debugPrintf("PlDeviceUsb::requestStatus()");
    StatusBlock block;
    retCode = -1;
    onPrinter(*this, [&](USB &usb) {
        retCode = usb.controlMsg(kRequestType, kStatusRequest, 0, 0,
                                 reinterpret_cast<char *>(block.data()), StatusBlock::kPrinterBytes,
                                 kTimeoutMs);
        if (retCode < 0)
            block.clear();
        else if (jobs)
            *jobs = readJobTable(usb, *jobsCode);
    });
    return block;
}

StatusBlock PlDeviceUsb::requestStatusWithRetries(int &retCode, QList<Job> *jobs, int *jobsCode)
{
    return withRetries(
            "requestStatus", retCode, [](int code) { return code < 0; },
            [&](int &code) { return requestStatus(code, jobs, jobsCode); });
}

StatusBlock PlDeviceUsb::requestStatusRepeated(int &code, QList<Job> *jobs, int *jobsCode)
{
    StatusBlock block = requestStatusWithRetries(code, jobs, jobsCode);
    if (code < 0) {
        debugPrintf("PlDeviceUsb::requestStatus_withRepeat() wrong return code: %d. Trying "
                    "again...",
                    code);
        // Outside the USB lock: the pause lies between two locked sequences.
        QThread::sleep(kRepeatPauseS);
        block = requestStatusWithRetries(code, jobs, jobsCode);
    }
    return block;
}

StatusBlock PlDeviceUsb::requestStatus_withRepeat(int *retCode)
{
    int code = -1;
    const StatusBlock block = requestStatusRepeated(code);
    if (retCode)
        *retCode = code;
    return block;
}

QByteArray PlDeviceUsb::requestStatusXMLOnce(int &retCode, const QDeadlineTimer &deadline,
                                             bool &final)
{
    debugPrintf("PlDeviceUsb::requestStatusXML()");
    retCode = -1;
    QByteArray text;
    bool pause = false;
    onPrinter(*this, [&](USB &usb) { pause = readDocument(usb, deadline, text, retCode, final); });
    // Outside the USB lock: the printer's pause holds up no other request.
    if (pause)
        QThread::msleep(kDocumentPauseMs);
    return text;
}

QString PlDeviceUsb::requestStatusXML(int *retCode)
{
    const QDeadlineTimer deadline(kDocumentDeadlineMs);
    int code = -1;
    bool final = false;
    const QByteArray text = withRetries(
            "requestStatusXML", code, [&final](int code) { return code == -1 && !final; },
            [&](int &code) { return requestStatusXMLOnce(code, deadline, final); });
    if (retCode)
        *retCode = code;
    // A document that names no encoding has always been read as Latin-1 from a device.
    return decodeXmlDocument(text, QStringConverter::Latin1);
}

QList<Job> PlDeviceUsb::getJobList(int *retCode)
{
    debugPrintf("PlDeviceUsb::getJobList()");
    int code = -1;
    QList<Job> jobs;
    onPrinter(*this, [&](USB &usb) { jobs = readJobTable(usb, code); });
    if (retCode)
        *retCode = code;
    return jobs;
}

StatusBlock PlDeviceUsb::requestStatusAndJobs(QList<Job> &jobs, int *retCode)
{
    int code = -1;
    int jobsCode = -1;
    const StatusBlock block = requestStatusRepeated(code, &jobs, &jobsCode);
    // A printer that gave no status is asked for its jobs on its own, as before.
    if (code < 0)
        jobs = getJobList(&jobsCode);
    if (retCode)
        *retCode = jobsCode;
    return block;
}

QString PlDeviceUsb::requestDescriptionOnce(const QString &path, int &retCode, bool &final)
{
    debugPrintf("PlDeviceUsb::requestDescription");
    const UsbSession session;
    const QByteArray name = QFile::encodeName(path);
    // A queue may name anything: a FIFO or a terminal must neither block nor become ours.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        debugPrintf("cannot open device <%s>\n\t\tReason: %s", name.constData(), strerror(error));
        retCode = error == EBUSY ? 1 : -1;
        return QString();
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) < 0 || !S_ISCHR(info.st_mode)) {
        debugPrintf("cannot open device <%s>\n\t\tReason: %s", name.constData(),
                    "not a character device");
        ::close(fd);
        retCode = -1;
        final = true;
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
    bool final = false;
    const QString text = withRetries(
            "requestDescription", code, [&final](int code) { return code == -1 && !final; },
            [&](int &code) { return requestDescriptionOnce(path, code, final); });
    if (retCode)
        *retCode = code;
    return text;
}
