#include "cups/cups.h"

#include "base/functions.h"
#include "cups/boundedipp.h"
#include "cups/cupsentrypoints.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>

using namespace cupsipp;

namespace {

const int kOperationGetPrinterAttributes = 0x000b;
const int kTagBoolean = 0x22;
const int kTagZero = 0x00;
const int kDefaultIppPort = 631;
// The library waits this long for "100 Continue" while it sends, whatever the time-out
// (stoppedPrinterHoldsTheCallerOnlyUpToTheBound): a second try needs at least this much left.
const qint64 kContinueWaitMs = 1000;
const int kHttpError = -1;
const int kHttpContinue = 100;
const int kHttpOk = 200;
const int kIppStateData = 3;
// A hostile printer may send "100 Continue" again and again before its status.
const int kMaxInterimAnswers = 8;
// The few attributes asked take a few KiB: a larger reply is hostile, and dropped unread.
const qsizetype kMaxReplyBytes = 256 * 1024;
const qsizetype kReadChunkBytes = 64 * 1024;
// A reply of a few KiB comes in a handful of pieces, though a printer's own server may write
// each attribute as a chunk of its own. The library returns one HTTP chunk a call, and moves its
// buffer for each: a reply in 1-byte chunks cost 135 ms.
const int kMaxReads = 1024;
// What the library gives as the length of a reply that announces none.
const qint64 kUnknownLength = INT_MAX;
const qint64 kMinWaitMs = 100;
// http_encryption_t: plain unless the printer asks for TLS, or TLS from the start.
const int kEncryptionIfRequested = 0;
const int kEncryptionAlways = 3;

const char *const kStateAttributes[] = {"printer-state",         "printer-state-reasons",
                                        "printer-state-message", "printer-is-accepting-jobs",
                                        "marker-names",          "marker-colors",
                                        "marker-levels",         "marker-low-levels",
                                        "marker-types",          "device-uri"};
// The printer itself has no device URI: the last name is asked of the queue only.
const int kDeviceAttributeCount = int(std::size(kStateAttributes)) - 1;

// What a panel can show; a reply beyond it is cut and logged.
const int kMaxMarkers = 8;
const int kMaxReasons = 32;
const qsizetype kMaxText = 255;
// IPP's own bound on a text value; one UTF-16 unit takes at most three bytes.
const int kMaxValueBytes = 1023;
static_assert(kMaxValueBytes >= 3 * kMaxText);

// What a printer's reply keeps before the library parses it.
const QList<QPair<QByteArray, int>> &deviceLimits()
{
    static const QList<QPair<QByteArray, int>> limits{
            {"printer-state", 1},           {"printer-state-reasons", kMaxReasons},
            {"printer-state-message", 1},   {"printer-is-accepting-jobs", 1},
            {"marker-names", kMaxMarkers},  {"marker-colors", kMaxMarkers},
            {"marker-levels", kMaxMarkers}, {"marker-low-levels", kMaxMarkers},
            {"marker-types", kMaxMarkers}};
    return limits;
}

// Reasons the scheduler sets itself; every other reason of the queue is one cupsd copied from
// the printer during its last job, and stays so until the next.
bool isSchedulerReason(const QString &reason)
{
    return reason == QLatin1String("paused") || reason.startsWith(QLatin1String("cups-"));
}

// A hostile or broken reply is logged once, not at every poll: once per key, whatever the line.
void logOnce(const QByteArray &key, const QByteArray &line)
{
    static QMutex mutex;
    static QSet<QByteArray> logged;
    {
        QMutexLocker lock(&mutex);
        if (logged.contains(key))
            return;
        if (logged.size() >= 64)
            logged.clear();
        logged.insert(key);
    }
    debugPrintf("%s", line.constData());
}

void logOnce(const QByteArray &line)
{
    logOnce(line, line);
}

struct MemorySource
{
    const QByteArray &bytes;
    qsizetype pos = 0;
};

ssize_t readFromMemory(void *context, unsigned char *buffer, size_t bytes)
{
    auto *source = static_cast<MemorySource *>(context);
    const qsizetype count = std::min(qsizetype(bytes), source->bytes.size() - source->pos);
    std::memcpy(buffer, source->bytes.constData() + source->pos, size_t(count));
    source->pos += count;
    return ssize_t(count);
}

// A queue the server refuses (most often one it does not know) is logged once until it answers.
QMutex g_unknownMutex;
QSet<QString> g_unknownQueues;

std::atomic<bool> g_deviceUnreachable{false};

// The library reads a time-out as the end of the reply: the flag tells them apart.
int failOnTimeout(void *, void *timedOut)
{
    *static_cast<bool *>(timedOut) = true;
    return 0;
}

QString boundedText(const char *text)
{
    return QString::fromUtf8(text).left(kMaxText);
}

bool isIppDevice(const QUrl &url)
{
    return (url.scheme() == QLatin1String("ipp") || url.scheme() == QLatin1String("ipps"))
            && !url.host().isEmpty();
}

} // namespace

CupsPrinterState CUPS::readPrinterState(void *response, const QByteArray &source,
                                        QString *deviceUri)
{
    const EntryPoints &e = *m_entries;
    CupsPrinterState result;
    const auto find = [&](const char *name) {
        return e.ippFindAttribute(response, name, kTagZero);
    };
    const auto integerOf = [&](void *attribute, int index, bool *ok) {
        const int tag = e.ippGetValueTag(attribute);
        *ok = tag == kTagInteger || tag == kTagEnum;
        return *ok ? e.ippGetInteger(attribute, index) : 0;
    };

    if (void *attribute = find("printer-state")) {
        bool ok = false;
        const int state = integerOf(attribute, 0, &ok);
        if (ok && state >= CupsPrinterState::Idle && state <= CupsPrinterState::Stopped)
            result.state = state;
        else
            logOnce("CUPS: " + source + " gives printer-state " + QByteArray::number(state)
                    + ", taken as idle");
    }
    if (void *attribute = find("printer-state-reasons")) {
        const int count = e.ippGetCount(attribute);
        for (int i = 0; i < count; ++i) {
            const QString reason = boundedText(e.ippGetString(attribute, i, nullptr));
            if (reason.isEmpty() || reason == QLatin1String("none"))
                continue;
            if (result.reasons.size() == kMaxReasons) {
                logOnce("CUPS: " + source + " gives " + QByteArray::number(count)
                        + " printer-state-reasons, the first " + QByteArray::number(kMaxReasons)
                        + " are kept");
                break;
            }
            result.reasons.append(reason);
        }
    }
    if (void *attribute = find("printer-state-message"))
        result.message = boundedText(e.ippGetString(attribute, 0, nullptr));
    if (void *attribute = find("printer-is-accepting-jobs");
        attribute && e.ippGetValueTag(attribute) == kTagBoolean)
        result.acceptingJobs = e.ippGetBoolean(attribute, 0) != 0;
    if (deviceUri) {
        void *attribute = find("device-uri");
        *deviceUri
                = attribute ? QString::fromUtf8(e.ippGetString(attribute, 0, nullptr)) : QString();
    }

    // Parallel arrays: a printer may leave some out (no low levels, say), but those it gives
    // must agree, or the shortest decides.
    const char *const arrayNames[] = {"marker-names", "marker-colors", "marker-types",
                                      "marker-levels", "marker-low-levels"};
    void *arrays[std::size(arrayNames)] = {};
    int count = -1;
    bool unequal = false;
    QByteArray counts;
    for (size_t i = 0; i < std::size(arrayNames); ++i) {
        arrays[i] = find(arrayNames[i]);
        if (!arrays[i])
            continue;
        const int n = e.ippGetCount(arrays[i]);
        unequal = unequal || (count >= 0 && n != count);
        count = count < 0 ? n : std::min(count, n);
        counts += ' ' + QByteArray(arrayNames[i]) + '=' + QByteArray::number(n);
    }
    if (unequal)
        logOnce("CUPS: " + source + " gives marker arrays of unequal length (" + counts.mid(1)
                + "), " + QByteArray::number(count) + " markers are used");
    if (count > kMaxMarkers) {
        logOnce("CUPS: " + source + " gives " + QByteArray::number(count) + " markers, the first "
                + QByteArray::number(kMaxMarkers) + " are kept");
        count = kMaxMarkers;
    }
    const auto level = [&](void *attribute, int index) {
        if (!attribute)
            return int(CupsMarker::kUnknown);
        bool ok = false;
        const int value = integerOf(attribute, index, &ok);
        if (ok && value >= CupsMarker::kSomeRemaining && value <= 100)
            return value;
        logOnce("CUPS: " + source + " gives the marker level " + QByteArray::number(value)
                + ", taken as unknown");
        return int(CupsMarker::kUnknown);
    };
    const auto text = [&](void *attribute, int index) {
        return attribute ? boundedText(e.ippGetString(attribute, index, nullptr)) : QString();
    };
    for (int i = 0; i < count; ++i) {
        CupsMarker marker;
        marker.name = text(arrays[0], i);
        marker.color = text(arrays[1], i);
        marker.type = text(arrays[2], i);
        marker.level = level(arrays[3], i);
        marker.lowLevel = level(arrays[4], i);
        result.markers.append(marker);
    }
    return result;
}

std::optional<CupsPrinterState> CUPS::printerState(const QString &queue)
{
    if (!resolveRequestFunctions() || !m_entries->ippFindAttribute || !m_entries->ippGetCount
        || !m_entries->ippGetBoolean)
        return std::nullopt;
    const EntryPoints &e = *m_entries;
    const QByteArray name = queue.toUtf8();
    const QByteArray printerUri = "ipp://localhost/printers/" + QUrl::toPercentEncoding(queue);
    void *request = e.ippNewRequest(kOperationGetPrinterAttributes);
    if (!request)
        return std::nullopt;
    e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr, printerUri.constData());
    e.ippAddString(request, kTagOperation, kTagName, "requesting-user-name", nullptr, e.cupsUser());
    e.ippAddStrings(request, kTagOperation, kTagKeyword, "requested-attributes",
                    int(std::size(kStateAttributes)), nullptr, kStateAttributes);
    // The thread's default connection, kept open between requests; the request is the
    // library's from here on.
    void *response = e.cupsDoRequest(nullptr, request, "/");
    if (!response) {
        if (isFirstFailure())
            debugPrintf("CUPS: request 0x%04x failed: %s", kOperationGetPrinterAttributes,
                        e.cupsLastErrorString ? e.cupsLastErrorString() : "no answer");
        return std::nullopt;
    }
    noteAnswer();
    if (e.ippGetStatusCode(response) > kLastSuccessStatus) {
        bool first = false;
        {
            QMutexLocker lock(&g_unknownMutex);
            first = !g_unknownQueues.contains(queue);
            if (first && g_unknownQueues.size() < 64)
                g_unknownQueues.insert(queue);
        }
        if (first)
            debugPrintf("CUPS::printerState(%s) the server refuses: %s", name.constData(),
                        e.cupsLastErrorString ? e.cupsLastErrorString() : "");
        e.ippDelete(response);
        return std::nullopt;
    }
    {
        QMutexLocker lock(&g_unknownMutex);
        g_unknownQueues.remove(queue);
    }
    QString deviceUri;
    CupsPrinterState state = readPrinterState(response, "queue " + name, &deviceUri);
    e.ippDelete(response);

    const std::optional<CupsPrinterState> device
            = devicePrinterState(deviceUri, &state.printerAnswer);
    if (!device)
        return state;
    // The printer's own state is not the queue's: only a job there shows through.
    if (state.state == CupsPrinterState::Idle && device->state == CupsPrinterState::Processing)
        state.state = CupsPrinterState::Processing;
    QStringList reasons;
    for (const QString &reason : std::as_const(state.reasons)) {
        if (isSchedulerReason(reason))
            reasons.append(reason);
    }
    for (const QString &reason : device->reasons) {
        if (!reasons.contains(reason))
            reasons.append(reason);
    }
    state.reasons = reasons.mid(0, kMaxReasons);
    if (state.message.isEmpty())
        state.message = device->message;
    if (!device->markers.isEmpty())
        state.markers = device->markers;
    return state;
}

CUPS::DeviceReply CUPS::askDevice(const QByteArray &host, int port, const QByteArray &resource,
                                  const QByteArray &printerUri, bool secure, int timeoutMs)
{
    const EntryPoints &e = *m_entries;
    DeviceReply result;
    const QDeadlineTimer deadline(timeoutMs);
    // Every wait gets what is left of the bound (none at all would be the library's 60 s), set
    // anew only once that is a tenth of a second less: each setting costs two system calls.
    qint64 waitMs = -1;
    const auto bound = [&](void *http) {
        const qint64 left = std::max<qint64>(deadline.remainingTime(), kMinWaitMs);
        if (waitMs >= 0 && waitMs - left < kMinWaitMs)
            return;
        waitMs = left;
        e.httpSetTimeout(http, double(left) / 1000.0, failOnTimeout, &result.timedOut);
    };
    void *http = e.httpConnect2(host.constData(), port, nullptr, AF_UNSPEC,
                                secure ? kEncryptionAlways : kEncryptionIfRequested, 1, timeoutMs,
                                nullptr);
    if (!http)
        return result;
    bound(http);
    int status = kHttpError;
    if (void *request = e.ippNewRequest(kOperationGetPrinterAttributes)) {
        e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr,
                       printerUri.constData());
        e.ippAddString(request, kTagOperation, kTagName, "requesting-user-name", nullptr,
                       e.cupsUser());
        e.ippAddStrings(request, kTagOperation, kTagKeyword, "requested-attributes",
                        kDeviceAttributeCount, nullptr, kStateAttributes);
        status = e.cupsSendRequest(http, request, resource.constData(), e.ippLength(request));
        e.ippDelete(request);
    }
    for (int i = 0; status == kHttpContinue && i < kMaxInterimAnswers && !deadline.hasExpired();
         ++i) {
        bound(http);
        status = e.httpUpdate(http);
    }
    // The library's own parser never sees the reply: it costs with the square of its values.
    // A length it announces beyond the bound drops it unread; without one it is read up to it.
    const qint64 length = status == kHttpOk ? qint64(e.httpGetLength2(http)) : 0;
    const bool tooLarge = length > kMaxReplyBytes && length != kUnknownLength;
    QByteArray reply;
    bool ended = false;
    int reads = 0;
    // From here only a wait for the body counts.
    if (status == kHttpOk)
        result.timedOut = false;
    while (status == kHttpOk && !tooLarge && !deadline.hasExpired()
           && reply.size() <= kMaxReplyBytes && reads++ < kMaxReads) {
        const qsizetype size = reply.size();
        reply.resize(size + kReadChunkBytes);
        bound(http);
        const ssize_t read = e.httpRead2(http, reply.data() + size, size_t(kReadChunkBytes));
        reply.resize(size + std::max<qsizetype>(read, 0));
        ended = read == 0;
        if (read <= 0)
            break;
    }
    e.httpClose(http);
    result.httpStatus = status > kHttpContinue ? status : kHttpError;
    if (status != kHttpOk)
        return result;
    if (tooLarge || reply.size() > kMaxReplyBytes || (!ended && reads > kMaxReads)) {
        logOnce(printerUri + " large",
                "CUPS: the printer at " + printerUri + " sends more than "
                        + QByteArray::number(kMaxReplyBytes / 1024) + " KiB or "
                        + QByteArray::number(kMaxReads)
                        + " pieces for a few attributes, taken as hostile: its reply is dropped");
        return result;
    }
    if (!ended || result.timedOut
        || (length > 0 && length != kUnknownLength && reply.size() != length)) {
        logOnce(printerUri + " slow",
                "CUPS: the printer at " + printerUri + " did not send its whole reply within "
                        + QByteArray::number(timeoutMs) + " ms");
        return result;
    }
    result.response = parseDeviceReply(reply, printerUri);
    return result;
}

void *CUPS::parseDeviceReply(const QByteArray &reply, const QByteArray &printerUri)
{
    const EntryPoints &e = *m_entries;
    const std::optional<BoundedIppReply> bounded
            = boundIppReply(reply, deviceLimits(), kMaxValueBytes);
    void *response = bounded ? e.ippNew() : nullptr;
    if (response) {
        MemorySource source{bounded->bytes};
        if (e.ippReadIO(&source, readFromMemory, 1, nullptr, response) != kIppStateData) {
            e.ippDelete(response);
            response = nullptr;
        }
    }
    if (!response) {
        logOnce(printerUri + " unreadable",
                "CUPS: the printer at " + printerUri + " answers "
                        + QByteArray::number(reply.size()) + " bytes that are no IPP reply");
        return nullptr;
    }
    if (const int status = e.ippGetStatusCode(response); status > kLastSuccessStatus) {
        logOnce(printerUri + " refuses",
                "CUPS: the printer at " + printerUri + " refuses the request: IPP status 0x"
                        + QByteArray::number(status, 16));
        e.ippDelete(response);
        return nullptr;
    }
    if (!bounded->cutAttributes.isEmpty() || bounded->longestCutValue > 0) {
        QByteArray given;
        for (const auto &[name, count] : bounded->cutAttributes)
            given += ", " + QByteArray::number(count) + ' ' + name;
        if (bounded->longestCutValue > 0)
            given += ", values of up to " + QByteArray::number(bounded->longestCutValue) + " bytes";
        logOnce(printerUri + " cut",
                "CUPS: the printer at " + printerUri + " gives " + given.mid(2)
                        + ", more than is read: its reply is cut");
    }
    return response;
}

std::optional<CupsPrinterState> CUPS::devicePrinterState(const QString &deviceUri,
                                                         CupsPrinterState::Answer *answer)
{
    const EntryPoints &e = *m_entries;
    *answer = CupsPrinterState::Answer::NotAsked;
    const QUrl url(deviceUri);
    if (!isIppDevice(url) || !e.httpConnect2 || !e.httpClose || !e.httpSetTimeout
        || !e.cupsSendRequest || !e.httpUpdate || !e.httpRead2 || !e.httpGetLength2 || !e.ippLength
        || !e.ippReadIO || !e.ippNew)
        return std::nullopt;
    const bool secure = url.scheme() == QLatin1String("ipps");
    const QByteArray host = url.host(QUrl::FullyEncoded).toUtf8();
    const int port = url.port(kDefaultIppPort);
    const QByteArray resource = url.path(QUrl::FullyEncoded).isEmpty()
            ? QByteArray("/")
            : url.path(QUrl::FullyEncoded).toUtf8();
    // Without user, password or backend options: only the printer's address is logged or sent.
    const QByteArray printerUri = url.scheme().toUtf8() + "://"
            + (host.contains(':') ? '[' + host + ']' : host) + ':' + QByteArray::number(port)
            + resource;

    QElapsedTimer clock;
    clock.start();
    // The TLS handshake waits 10 s on a stopped printer whatever the time-out (measured with an
    // ipps:// queue in stoppedPrinterHoldsTheCallerOnlyUpToTheBound). Most printers answer
    // plain IPP on the same port, and one that refuses it at once is alive: only then TLS.
    DeviceReply reply = askDevice(host, port, resource, printerUri, false, kDeviceTimeoutMs);
    bool answered = reply.httpStatus != kHttpError;
    if (!reply.response && secure && reply.httpStatus != kHttpOk
        && clock.elapsed() < kDeviceTimeoutMs - kContinueWaitMs) {
        reply = askDevice(host, port, resource, printerUri, true,
                          int(kDeviceTimeoutMs - clock.elapsed()));
        answered = answered || reply.httpStatus != kHttpError;
    }
    void *response = reply.response;
    *answer = answered ? CupsPrinterState::Answer::Answered : CupsPrinterState::Answer::Silent;
    if (!answered && !g_deviceUnreachable.exchange(true))
        debugPrintf("CUPS: the printer at %s does not answer (%s, %lld ms)", printerUri.constData(),
                    reply.timedOut || !e.cupsLastErrorString ? "no answer in time"
                                                             : e.cupsLastErrorString(),
                    qint64(clock.elapsed()));
    if (answered && g_deviceUnreachable.exchange(false))
        debugPrintf("CUPS: the printer at %s answers again", printerUri.constData());
    if (!response)
        return std::nullopt;
    const CupsPrinterState state = readPrinterState(response, "printer " + printerUri);
    e.ippDelete(response);
    return state;
}

QString CUPS::queuePage(const QString &queue)
{
    const EntryPoints &e = *m_entries;
    if (!resolveRequestFunctions() || !e.cupsGetFd || !e.cupsServer || !e.ippPort || !e.httpConnect2
        || !e.httpClose || !e.httpSetTimeout)
        return QString();
    std::unique_ptr<FILE, int (*)(FILE *)> page(std::tmpfile(), &std::fclose);
    if (!page)
        return QString();
    QByteArray host = e.cupsServer();
    if (host.isEmpty() || host.startsWith('/'))
        host = "localhost";
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    const int port = e.ippPort();
    const QByteArray resource = "/printers/" + QUrl::toPercentEncoding(queue);
    void *http = e.httpConnect2(host.constData(), port, nullptr, AF_UNSPEC, kEncryptionIfRequested,
                                1, kDeviceTimeoutMs, nullptr);
    int status = 0;
    bool secure = false;
    if (http) {
        e.httpSetTimeout(http, double(kDeviceTimeoutMs) / 1000.0, failOnTimeout, nullptr);
        // A server without its web interface answers every page with one that says so, and
        // one without the queue with a page whose links stay unfilled: only the queue's own
        // page links to the queue.
        status = e.cupsGetFd(http, resource.constData(), fileno(page.get()));
        secure = e.httpIsEncrypted && e.httpIsEncrypted(http);
        e.httpClose(http);
    }
    const int httpOk = 200;
    QByteArray text(64 * 1024, '\0');
    std::rewind(page.get());
    text.truncate(qsizetype(std::fread(text.data(), 1, size_t(text.size()), page.get())));
    const bool offered = status == httpOk && text.contains(resource)
            && !text.contains("{printer_uri_supported}");
    const QByteArray address = (secure ? "https://" : "http://")
            + (host.contains(':') ? '[' + host + ']' : host) + ':' + QByteArray::number(port)
            + resource;
    debugPrintf("CUPS::queuePage(%s): %s: HTTP status %d, %s", qPrintable(queue),
                address.constData(), status, offered ? "the queue's page" : "no page of the queue");
    return offered ? QString::fromUtf8(address) : QString();
}
