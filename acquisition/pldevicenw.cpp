#include "acquisition/pldevicenw.h"

#include "acquisition/printerdesc.h"
#include "base/functions.h"
#include "net/httpclient.h"
#include "net/snmpclient.h"
#include "net/socketdeviceex.h"
#include "status/statusparser.h"
#include "status/xmltext.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/utsname.h>

namespace {

constexpr long kTimeoutMs = 200;
constexpr long kDelayMs = 800;
// Further attempts after the first.
constexpr int kRetries = 5;
constexpr int kJobRetries = 3;
// How soon a pause between attempts notices a stop.
constexpr qint64 kStopCheckMs = 50;
constexpr quint16 kHttpPort = 80;

constexpr int kIPv6Bytes = 16;
constexpr int kLineBufferSize = 256;

QByteArray upToZero(const char *bytes, int length)
{
    return QByteArray(bytes, int(strnlen(bytes, size_t(std::max(length, 0)))));
}

// Only an address or a host name reaches the SNMP library: any other text with a colon would be
// read as a transport and port, and the request might leave for somewhere else.
bool isUsableDestination(const QString &address)
{
    static const QRegularExpression ipv6(QRegularExpression::anchoredPattern(
            QStringLiteral("(?:") + kIPv6Pattern + QStringLiteral(")|(?:") + kBracketedIPv6Pattern
            + QLatin1Char(')')));
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._-]+$"));
    const bool isIPv6 = address.contains(QLatin1Char(':'));
    // The library is given "udp6:" and the address; a name cut short would be another host.
    if (address.size() + (isIPv6 ? 5 : 0) >= SNMPClient::kPeerNameSize)
        return false;
    return isIPv6 ? ipv6.match(address).hasMatch() : name.match(address).hasMatch();
}

QString joined(const QStringList &addresses)
{
    return addresses.join(QLatin1String(">\n\t<"));
}

QString ipv6Text(const in6_addr &address)
{
    return PlDeviceNw::toHexString(address.s6_addr, kIPv6Bytes);
}

QString ipv4Text(const in_addr &address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

QMutex &PlDeviceNw::networkMutex()
{
    static QMutex mutex;
    return mutex;
}

PlDeviceNw::PlDeviceNw(const QString &address)
    : address(address)
{
    debugPrintf("PlDeviceNw::PlDeviceNw: mtx=%p", static_cast<void *>(&networkMutex()));
}

QString PlDeviceNw::toString() const
{
    return QStringLiteral("ip=<%1>").arg(address);
}

int PlDeviceNw::request(const char *oid, char *buffer, int bufferSize, long timeoutMs, int retries,
                        long delayMs, int *retCode)
{
    const QByteArray destination = address.toLatin1();
    debugPrintf("PlDeviceNw::request: dest=<%s> oid=<%s> timeout=%ld retries=%d delay=%ld "
                "retCode=%p",
                destination.constData(), oid, timeoutMs, retries, delayMs,
                static_cast<void *>(retCode));
    int status = 1;
    unsigned length = 0;
    if (!isUsableDestination(address)) {
        debugPrintf("PlDeviceNw::request: <%s> is no address, nothing asked",
                    destination.constData());
    } else {
        // A thread asked to stop asks no further: with a silent printer the retries would hold
        // up the program's exit by seconds.
        for (int attempt = 0; !isCancelled(); ++attempt) {
            {
                QMutexLocker lock(&networkMutex());
                length = SNMPClient::request(destination.constData(), oid, buffer,
                                             unsigned(std::max(bufferSize, 0)), int(timeoutMs), 0,
                                             &status);
            }
            if (status == 0 || attempt >= retries)
                break;
            // Outside the mutex: the other thread's requests go on meanwhile.
            QDeadlineTimer pause(delayMs);
            while (!pause.hasExpired() && !isCancelled())
                QThread::msleep(std::min<qint64>(kStopCheckMs, pause.remainingTime()));
        }
    }
    if (retCode)
        *retCode = status;
    debugPrintf("PlDeviceNw::request: retCode=%d length=%d response=<%-.*s>", status, int(length),
                int(length), buffer);
    return int(length);
}

bool PlDeviceNw::isCancelled() const
{
    return QThread::currentThread()->isInterruptionRequested() || (m_cancel && m_cancel->load());
}

QByteArray PlDeviceNw::requestText(const char *oid, int retries, int *retCode)
{
    char buffer[kBufferSize] = {};
    const int length = request(oid, buffer, kBufferSize, kTimeoutMs, retries, kDelayMs, retCode);
    return upToZero(buffer, length);
}

QString PlDeviceNw::requestDescription(int *retCode)
{
    return QString::fromLatin1(requestText(kDeviceIdOid, kRetries, retCode));
}

StatusBlock PlDeviceNw::requestStatus_withRepeat(int *retCode)
{
    char buffer[kBufferSize] = {};
    const int length
            = request(kStatusOid, buffer, kBufferSize, kTimeoutMs, kRetries, kDelayMs, retCode);
    StatusBlock block;
    std::memcpy(block.data(), buffer, size_t(std::clamp(length, 0, StatusBlock::kPrinterBytes)));
    return block;
}

QByteArray PlDeviceNw::requestJobTable(const char *oid, const char *method, int *retCode)
{
    char buffer[kBufferSize] = {};
    const int length
            = request(oid, buffer, kBufferSize, kTimeoutMs, kJobRetries, kDelayMs, retCode);
    debugPrintf("PlDeviceNw::%s: length=%d jobs=<%.*s> errorStatus=%d(%p)", method, length, length,
                buffer, retCode ? *retCode : 0, static_cast<void *>(retCode));
    return upToZero(buffer, length);
}

QByteArray PlDeviceNw::getJobs(int *retCode)
{
    return requestJobTable(kJobsOid, "getJobs", retCode);
}

QByteArray PlDeviceNw::getJobs6(int *retCode)
{
    return requestJobTable(kJobs6Oid, "getJobs6", retCode);
}

QList<Job> PlDeviceNw::getJobList(int *retCode)
{
    // A failed table is known by its status even when the caller asks for none: a printer that
    // does not answer the first table is not asked for the second.
    int status = 0;
    QList<Job> jobs;
    const QByteArray jobsText = getJobs(&status);
    if (status == 0) {
        debugPrintf("localJobs=<%s> len=%d", jobsText.constData(), int(jobsText.size()));
        jobs = parseJobs(jobsText);
        debugPrintf("nwjobs: count=%d", int(jobs.size()));
        const QByteArray jobs6Text = getJobs6(&status);
        if (status == 0) {
            jobs += parseJobs6(jobs6Text);
            debugPrintf("nwjobs6: count=%d", int(jobs.size()));
        }
    }
    if (retCode)
        *retCode = status;
    return jobs;
}

QString PlDeviceNw::requestStatusXML(int *retCode)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Truncate);
    HttpClient client;
    client.setOutputDevice(&buffer);
    client.setCancelFlag(m_cancel);
    HttpRequestHeader header(QStringLiteral("GET"), QString::fromLatin1(kStatusXmlPath), 10);
    header.setValue(QStringLiteral("Host"), QStringLiteral("http://") + address);
    const bool ok = client.request(address, kHttpPort, header);
    if (retCode)
        *retCode = ok ? 0 : -1;
    if (!ok)
        return QString();
    const QByteArray &bytes = buffer.data();
    // A document that names no encoding is read as 8-bit text, as one from a USB printer.
    return decodeXmlDocument(upToZero(bytes.constData(), int(bytes.size())),
                             QStringConverter::Latin1);
}

void PlDeviceNw::updatePrinterInfo(PrinterDesc *printer, const std::atomic<bool> *cancel)
{
    if (!printer) {
        qWarning("ASSERT: \"printer\" in PlDeviceNw::updatePrinterInfo");
        return;
    }
    PlDeviceNw device(printer->devPath);
    device.setCancelFlag(cancel);
    printer->hasTunex = false;
    printer->extJobTable = false;
    debugPrintf("PlDeviceNw::updatePrinterInfo() for %s", qPrintable(printer->devPath));

    int retCode = -1;
    const QString id = device.requestDescription(&retCode);
    if (retCode != 0
        || !checkDescription(id, QString::fromLatin1(printer->manufacturer),
                             QString::fromLatin1(printer->product)))
        return;
    if (device.isCancelled())
        return;
    const QString text = device.requestStatusXML(&retCode);
    if (retCode != 0 || text.isEmpty())
        return;
    StatusParser parser;
    if (!parser.setContent(text))
        return;
    printer->statusXml = text;
    parser.parseCapabilities();
    printer->hasTunex = true;
    printer->extJobTable = parser.extendedJobTable();
}

QString PlDeviceNw::invokeCmd(const char *command)
{
    debugPrintf("invokeCmd: <%s>", command);
    FILE *pipe = ::popen(command, "re");
    if (!pipe) {
        debugPrintf("popen failed: <%s>", std::strerror(errno));
        return QString();
    }
    QByteArray output;
    char line[kLineBufferSize];
    while (std::fgets(line, sizeof line, pipe))
        output += line;
    ::pclose(pipe);
    debugPrintf("out:\n<%s>", output.constData());
    return QString::fromLocal8Bit(output);
}

QStringList PlDeviceNw::getHostAddresses_getifaddrs()
{
    debugPrintf("PlDeviceNw::getHostAddresses_getifaddrs:");
    QStringList addresses;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0) {
        debugPrintf("getifaddrs failed: errno=%d(%s)", errno, std::strerror(errno));
        return addresses;
    }
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        debugPrintf("ifa(%p): name=<%s> flags=0x%x addr=%p", static_cast<const void *>(entry),
                    entry->ifa_name, entry->ifa_flags, static_cast<const void *>(entry->ifa_addr));
        if (!entry->ifa_addr)
            continue;
        const int family = entry->ifa_addr->sa_family;
        if (family == AF_INET6)
            addresses << ipv6Text(
                    reinterpret_cast<const sockaddr_in6 *>(entry->ifa_addr)->sin6_addr);
        else if (family == AF_INET)
            addresses << ipv4Text(reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr);
        else
            debugPrintf("unknown family %d", family);
    }
    ::freeifaddrs(list);
    debugPrintf("PlDeviceNw::getHostAddresses_getifaddrs: addrs:\n\t<%s>",
                qPrintable(joined(addresses)));
    return addresses;
}

QStringList PlDeviceNw::getHostAddresses_getaddrinfo()
{
    debugPrintf("PlDeviceNw::getHostAddresses_getaddrinfo:");
    QStringList addresses;
    utsname names{};
    if (::uname(&names) != 0) {
        debugPrintf("uname failed: errno=%d(%s)", errno, std::strerror(errno));
        return addresses;
    }
    debugPrintf("utsname:\n\tsysname=<%s>\n\tnodename=<%s>\n\trelease=<%s>\n\tversion=<%s>"
                "\n\tmachine=<%s>",
                names.sysname, names.nodename, names.release, names.version, names.machine);
    addrinfo *results = nullptr;
    const int error = ::getaddrinfo(names.nodename, nullptr, nullptr, &results);
    if (error != 0) {
        debugPrintf("getaddrinfo failed: errCode=%d(%s)", error, ::gai_strerror(error));
        return addresses;
    }
    debugPrintf("sizeof: sockaddr_in=%u sockaddr_in6=%u", unsigned(sizeof(sockaddr_in)),
                unsigned(sizeof(sockaddr_in6)));
    for (const addrinfo *result = results; result; result = result->ai_next) {
        debugPrintf("ai(%p): flags=0x%x family=%d socktype=%d protocol=%d addrlen=%u addr=%p "
                    "canonname=<%s>",
                    static_cast<const void *>(result), result->ai_flags, result->ai_family,
                    result->ai_socktype, result->ai_protocol, unsigned(result->ai_addrlen),
                    static_cast<const void *>(result->ai_addr),
                    result->ai_canonname ? result->ai_canonname : "");
        if (!result->ai_addr)
            continue;
        if (result->ai_family == AF_INET6 && result->ai_addrlen == sizeof(sockaddr_in6))
            addresses << ipv6Text(
                    reinterpret_cast<const sockaddr_in6 *>(result->ai_addr)->sin6_addr);
        else if (result->ai_family == AF_INET && result->ai_addrlen == sizeof(sockaddr_in))
            addresses << ipv4Text(reinterpret_cast<const sockaddr_in *>(result->ai_addr)->sin_addr);
        else
            debugPrintf("unknown combination of family/addrlen: %d/%u", result->ai_family,
                        unsigned(result->ai_addrlen));
    }
    ::freeaddrinfo(results);
    debugPrintf("PlDeviceNw::getHostAddresses_getaddrinfo: addrs:\n\t<%s>",
                qPrintable(joined(addresses)));
    return addresses;
}

QStringList PlDeviceNw::getHostAddresses_ifconfig()
{
    debugPrintf("PlDeviceNw::getHostAddresses_ifconfig:");
    invokeCmd("/sbin/ifconfig");
    const QStringList lines = invokeCmd("/sbin/ifconfig | grep 'inet6\\?' | "
                                        "sed -r 's/.*addr:[^0-9a-fA-F.:]*([0-9a-fA-F.:]+).*/\\1/'")
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList addresses;
    for (const QString &line : lines)
        addresses << normalizeIPv6(line);
    debugPrintf("PlDeviceNw::getHostAddresses_ifconfig: addrs:\n\t<%s>",
                qPrintable(joined(addresses)));
    return addresses;
}

QStringList PlDeviceNw::getHostAddresses()
{
    debugPrintf("PlDeviceNw::getHostAddresses:");
    QStringList addresses = getHostAddresses_getifaddrs();
    const QStringList more = getHostAddresses_getaddrinfo() + getHostAddresses_ifconfig();
    for (const QString &address : more) {
        if (!addresses.contains(address))
            addresses << address;
    }
    debugPrintf("PlDeviceNw::getHostAddresses: addrs:\n\t<%s>", qPrintable(joined(addresses)));
    return addresses;
}

bool PlDeviceNw::isHostAddress(const QString &user)
{
    // Built once, by whichever thread asks first.
    static const QStringList addresses = getHostAddresses();
    return addresses.contains(user);
}
