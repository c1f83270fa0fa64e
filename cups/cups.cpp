#include "cups/cups.h"

#include "base/functions.h"
#include "cups/cupsentrypoints.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <climits>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <limits>
#include <unistd.h>

using namespace cupsipp;

namespace {

// Only the head of cups_lang_t is read, part of the library's stable public interface.
struct CupsLanguageHead
{
    void *next;
    int used;
    int encoding;
    char language[16];
};

const int kOperationGetJobs = 0x000a;
const int kOperationGetJobAttributes = 0x0009;

// Subscriptions and their events.
const int kOperationCreatePrinterSubscriptions = 0x0016;
const int kOperationRenewSubscription = 0x001a;
const int kOperationCancelSubscription = 0x001b;
const int kOperationGetSubscriptionAttributes = 0x0018;
const int kOperationGetNotifications = 0x001c;
const int kTagSubscription = 0x06;
const int kTagEventNotification = 0x07;
// Events were delivered and the subscription has ended.
const int kStatusEventsComplete = 0x0007;
const char *const kJobEvents[] = {"job-created", "job-completed", "job-state-changed"};

// HTTP answers to a PPD fetch.
const int kHttpOk = 200;
const int kHttpNotModified = 304;
const int kHttpNotFound = 404;

const int kIppPending = 3;
const int kIppProcessing = 5;
const int kWhichJobsActive = 0;
const int kWhichJobsCompleted = 1;

// The queue's own condition comes with the list: following it costs no request of its own.
const char *const kRequestedAttributes[] = {"printer-name",
                                            "printer-uri-supported",
                                            "device-uri",
                                            "printer-info",
                                            "printer-config-change-time",
                                            "printer-state",
                                            "printer-is-accepting-jobs",
                                            "printer-state-message"};
const int kBooleanValue = 0x22;
const int kPrinterStopped = 5;
const qsizetype kMaxMessage = 255;

QMutex g_namesMutex;
QStringList g_libraryNames;
QString g_ppdDirectory;

QStringList defaultLibraryNames()
{
    return {QStringLiteral("libcups.so"), QStringLiteral("libcups.so.2")};
}

QString ppdValue(const QStringList &lines, const QString &key)
{
    const QString tag = key + QLatin1Char(':');
    for (const QString &line : lines) {
        if (!line.contains(tag))
            continue;
        QString value = line.split(QLatin1Char(':')).last();
        value.remove(QLatin1Char('"'));
        return value.trimmed();
    }
    return QString();
}

std::atomic<bool> g_unreachable{false};

} // namespace

bool cupsipp::isFirstFailure()
{
    return !g_unreachable.exchange(true);
}

void cupsipp::noteAnswer()
{
    if (g_unreachable.exchange(false))
        debugPrintf("CUPS: the server answers again");
}

namespace {

// The library loaded for the current names, loaded once: every pass of every thread makes
// objects, and loading and looking up the functions cost as much as the request they make.
struct LoadedLibrary
{
    bool tried = false;
    QStringList names;
    void *handle = nullptr;
    std::shared_ptr<const CUPS::EntryPoints> entries;
};
LoadedLibrary g_loaded;

} // namespace

CUPS::CUPS()
{
    {
        QMutexLocker lock(&g_namesMutex);
        const QStringList names = g_libraryNames.isEmpty() ? defaultLibraryNames() : g_libraryNames;
        if (!g_loaded.tried || g_loaded.names != names) {
            void *handle = nullptr;
            for (const QString &name : names) {
                // Never unmapped: the library keeps per-thread state whose destructors run at
                // thread exit, which would jump into an unloaded library.
                handle = dlopen(QFile::encodeName(name).constData(), RTLD_LAZY | RTLD_NODELETE);
                if (handle)
                    break;
            }
            g_loaded = LoadedLibrary{true, names, handle,
                                     handle ? EntryPoints::resolve(handle)
                                            : std::make_shared<const EntryPoints>()};
        }
        m_handle = g_loaded.handle;
        m_entries = g_loaded.entries;
    }
    if (!m_handle)
        debugPrintf("CUPS(): invalid libcups handle!");
}

CUPS::~CUPS() = default;

QStringList CUPS::libraryNames()
{
    QMutexLocker lock(&g_namesMutex);
    return g_libraryNames.isEmpty() ? defaultLibraryNames() : g_libraryNames;
}

void CUPS::setLibraryNames(const QStringList &names)
{
    QMutexLocker lock(&g_namesMutex);
    g_libraryNames = names;
}

QString CUPS::ppdDirectory()
{
    QMutexLocker lock(&g_namesMutex);
    if (!g_ppdDirectory.isEmpty())
        return g_ppdDirectory;
    // A server with a configuration of its own keeps its PPDs there, as libcups finds client.conf.
    const QString serverRoot = qEnvironmentVariable("CUPS_SERVERROOT");
    return serverRoot.isEmpty() ? QStringLiteral("/etc/cups/ppd")
                                : serverRoot + QStringLiteral("/ppd");
}

void CUPS::setPpdDirectory(const QString &path)
{
    QMutexLocker lock(&g_namesMutex);
    g_ppdDirectory = path;
}

QString CUPS::deviceKey(const QString &deviceUri)
{
    const qsizetype colon = deviceUri.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : deviceUri.mid(colon + 1);
}

DeviceDict CUPS::getDevices(const QStringList &filter, bool *answered)
{
    const auto fail = [](const char *message) {
        if (isFirstFailure())
            debugPrintf("%s", message);
    };
    if (answered)
        *answered = true;
    DeviceDict devices;
    const EntryPoints &e = *m_entries;
    const bool resolved = e.cupsDoFileRequest && e.cupsLastError && e.cupsLangEncoding
            && e.cupsLangGet && e.ippNew && e.ippAddString && e.ippAddStrings && e.ippDelete
            && e.ippSetOperation && e.ippSetRequestId && e.ippFirstAttribute && e.ippNextAttribute
            && e.ippGetName && e.ippGetGroupTag && e.ippGetValueTag && e.ippGetString
            && e.ippGetStatusCode && e.ippGetInteger;
    if (!resolved)
        return devices;

    void *request = e.ippNew();
    e.ippSetOperation(request, kOperationCupsGetPrinters);
    e.ippSetRequestId(request, 1);
    void *language = e.cupsLangGet(nullptr);
    const char *charset = language ? e.cupsLangEncoding(language) : "utf-8";
    const char *languageName
            = language ? static_cast<const CupsLanguageHead *>(language)->language : "en";
    e.ippAddString(request, kTagOperation, kTagCharset, "attributes-charset", nullptr, charset);
    e.ippAddString(request, kTagOperation, kTagLanguage, "attributes-natural-language", nullptr,
                   languageName);
    e.ippAddStrings(request, kTagOperation, kTagKeyword, "requested-attributes",
                    int(std::size(kRequestedAttributes)), nullptr, kRequestedAttributes);

    // The request belongs to the library from here on, whatever the outcome. The thread's
    // default connection stays open from one pass to the next.
    void *response = e.cupsDoFileRequest(nullptr, request, "/", nullptr);
    const int status = response ? e.ippGetStatusCode(response) : 0;
    const bool ok = response && (status == kStatusNotFound || status <= kLastSuccessStatus);
    if (answered)
        *answered = ok;
    if (!response) {
        fail(e.cupsLastError() == kStatusServiceUnavailable ? "Unable to connect to server"
                                                            : "CUPS: can't get response");
    } else if (status == kStatusNotFound) {
        // The answer of a server without any queue.
    } else if (status > kLastSuccessStatus) {
        fail("CUPS: get devices failed");
    } else {
        void *attribute = e.ippFirstAttribute(response);
        while (attribute) {
            while (attribute && e.ippGetGroupTag(attribute) != kTagPrinter)
                attribute = e.ippNextAttribute(response);
            if (!attribute)
                break;
            const char *name = nullptr;
            const char *printerUri = nullptr;
            const char *deviceUri = nullptr;
            qint64 configChanged = 0;
            bool stopped = false;
            bool accepting = true;
            QString message;
            for (; attribute && e.ippGetGroupTag(attribute) == kTagPrinter;
                 attribute = e.ippNextAttribute(response)) {
                const char *attributeName = e.ippGetName(attribute);
                if (!attributeName)
                    continue;
                const int valueTag = e.ippGetValueTag(attribute);
                if (valueTag == kTagName && !strcmp(attributeName, "printer-name"))
                    name = e.ippGetString(attribute, 0, nullptr);
                else if (valueTag == kTagUri && !strcmp(attributeName, "printer-uri-supported"))
                    printerUri = e.ippGetString(attribute, 0, nullptr);
                else if (valueTag == kTagUri && !strcmp(attributeName, "device-uri"))
                    deviceUri = e.ippGetString(attribute, 0, nullptr);
                else if (valueTag == kTagInteger
                         && !strcmp(attributeName, "printer-config-change-time"))
                    configChanged = e.ippGetInteger(attribute, 0);
                else if (valueTag == kTagEnum && !strcmp(attributeName, "printer-state"))
                    stopped = e.ippGetInteger(attribute, 0) == kPrinterStopped;
                else if (valueTag == kBooleanValue && e.ippGetBoolean
                         && !strcmp(attributeName, "printer-is-accepting-jobs"))
                    accepting = e.ippGetBoolean(attribute, 0) != 0;
                else if (!strcmp(attributeName, "printer-state-message"))
                    message = QString::fromUtf8(e.ippGetString(attribute, 0, nullptr))
                                      .left(kMaxMessage);
            }
            if (!name)
                continue;
            const QString queue = QString::fromUtf8(name);
            if (!filter.isEmpty() && !filter.contains(queue))
                continue;
            const QString uri = QString::fromUtf8(deviceUri);
            Device device(queue, uri, QString::fromUtf8(printerUri));
            device.configChanged = configChanged;
            device.stopped = stopped;
            device.acceptingJobs = accepting;
            device.stateMessage = message;
            devices.insert(deviceKey(uri), device);
        }
    }
    if (response)
        e.ippDelete(response);
    if (ok)
        noteAnswer();
    return devices;
}

PpdInfo CUPS::ppdSummary(const QByteArray &ppdText)
{
    const QStringList lines = QString::fromUtf8(ppdText).split(QLatin1Char('\n'));
    PpdInfo info;
    info.model = ppdValue(lines, QStringLiteral("*ShortNickName"));
    info.manufacturer = ppdValue(lines, QStringLiteral("*Manufacturer"));
    info.product = ppdValue(lines, QStringLiteral("*Product"));
    bool ok = false;
    info.modelNumber = ppdValue(lines, QStringLiteral("*cupsModelNumber")).toInt(&ok, 10);
    if (!ok)
        info.modelNumber = 0;
    if (info.model.startsWith(info.manufacturer))
        info.model = info.model.mid(info.manufacturer.size()).simplified();
    return info;
}

PpdInfo CUPS::getPrinterDescription2(const QString &name, PpdRecord *known, qint64 configChanged)
{
    if (!m_handle)
        return PpdInfo();
    if (known && known->fetched != 0 && configChanged != 0 && known->configChanged == configChanged)
        return known->info;
    if (!m_entries->cupsGetPPD3)
        return readPpdFile(name);
    const QByteArray queue = name.toUtf8();
    time_t fetched = known ? time_t(known->fetched) : 0;
    // Empty: the library makes a file of its own, which is ours to delete.
    char copy[PATH_MAX] = "";
    // The thread's default connection, kept open between requests.
    const int status
            = m_entries->cupsGetPPD3(nullptr, queue.constData(), &fetched, copy, sizeof copy);
    std::optional<QByteArray> text;
    if (copy[0]) {
        QFile file(QFile::decodeName(copy));
        if (status == kHttpOk && file.open(QIODevice::ReadOnly))
            text = file.readAll();
        ::unlink(copy);
    }
    if (status == kHttpNotModified && known && known->fetched != 0) {
        known->configChanged = configChanged;
        return known->info;
    }
    if (text) {
        const PpdInfo info = ppdSummary(*text);
        if (known)
            *known = PpdRecord{info, qint64(fetched), configChanged};
        return info;
    }
    // A server that failed to answer this once still has the PPD it gave before.
    if (status != kHttpNotFound && status != kHttpOk && known && known->fetched != 0) {
        debugPrintf("CUPS::getPrinterDescription2(%s) the server did not answer (%d), "
                    "its last ppd file is kept",
                    queue.constData(), status);
        return known->info;
    }
    if (known)
        *known = PpdRecord();
    return readPpdFile(name);
}

PpdInfo CUPS::readPpdFile(const QString &name)
{
    const QByteArray queue = name.toUtf8();
    QFile file(QStringLiteral("%1/%2.ppd").arg(ppdDirectory(), name));
    if (!file.exists()) {
        debugPrintf("CUPS::getPrinterDescription2(%s) ppd file doesn't exist", queue.constData());
        return PpdInfo();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        debugPrintf("CUPS::getPrinterDescription2(%s) can't open ppd file", queue.constData());
        return PpdInfo();
    }
    return ppdSummary(file.readAll());
}

bool CUPS::resolveJobFunctions()
{
    return m_entries->cupsGetJobs && m_entries->cupsFreeJobs;
}

int CUPS::forEachJob(const char *dest, bool myJobsOnly, bool completed,
                     const std::function<void(int, const char *, int)> &visit)
{
    CupsJobRecord *jobs = nullptr;
    const int count = m_entries->cupsGetJobs(&jobs, dest, myJobsOnly ? 1 : 0,
                                             completed ? kWhichJobsCompleted : kWhichJobsActive);
    for (int i = 0; i < count && jobs; ++i)
        visit(jobs[i].id, jobs[i].dest, jobs[i].state);
    if (jobs)
        m_entries->cupsFreeJobs(count, jobs);
    return count;
}

bool CUPS::hasActiveJobs(const QString &name, bool myJobsOnly)
{
    if (!resolveJobFunctions())
        return false;
    bool active = false;
    forEachJob(name.toUtf8().constData(), myJobsOnly, false, [&](int, const char *, int state) {
        active = active || state == kIppPending || state == kIppProcessing;
    });
    return active;
}

QList<CupsJob> CUPS::getJobs(bool myJobsOnly, bool completed)
{
    QList<CupsJob> list;
    if (!resolveJobFunctions())
        return list;
    forEachJob(nullptr, myJobsOnly, completed, [&](int id, const char *dest, int state) {
        list.append(CupsJob(id, QString::fromUtf8(dest), CupsJob::stateFromIpp(state), completed));
    });
    return list;
}

bool CUPS::resolveRequestFunctions()
{
    const EntryPoints &e = *m_entries;
    return e.ippNewRequest && e.ippAddString && e.ippAddStrings && e.ippAddInteger && e.ippDelete
            && e.ippFirstAttribute && e.ippNextAttribute && e.ippGetName && e.ippGetGroupTag
            && e.ippGetValueTag && e.ippGetString && e.ippGetInteger && e.ippGetStatusCode
            && e.cupsDoRequest && e.cupsUser;
}

void *CUPS::doRequest(int operation, const std::function<void(void *)> &fill, int *status)
{
    const EntryPoints &e = *m_entries;
    void *request = e.ippNewRequest(operation);
    if (!request)
        return nullptr;
    // Operation attributes come first: a subscription's group must follow them.
    e.ippAddString(request, kTagOperation, kTagName, "requesting-user-name", nullptr, e.cupsUser());
    fill(request);
    // A null connection is the thread's default one, kept open between requests.
    void *response = e.cupsDoRequest(nullptr, request, "/");
    if (status)
        *status = response ? e.ippGetStatusCode(response) : -1;
    if (response)
        noteAnswer();
    const bool failed
            = response ? e.ippGetStatusCode(response) > kLastSuccessStatus : isFirstFailure();
    if (failed && e.cupsLastErrorString)
        debugPrintf("CUPS: request 0x%04x failed: %s", operation, e.cupsLastErrorString());
    if (response && e.ippGetStatusCode(response) > kLastSuccessStatus
        && !(status && *status == kStatusEventsComplete)) {
        e.ippDelete(response);
        return nullptr;
    }
    return response;
}

std::optional<QList<qint32>> CUPS::getJobIds(bool completed, QSet<QString> *queuesWithOwnActiveJobs)
{
    if (!resolveRequestFunctions())
        return std::nullopt;
    const EntryPoints &e = *m_entries;
    const bool withOwners = queuesWithOwnActiveJobs && !completed;
    static const char *const kOwnerAttributes[]
            = {"job-id", "job-state", "job-printer-uri", "job-originating-user-name"};
    void *response = doRequest(kOperationGetJobs, [&](void *request) {
        e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr, "ipp://localhost/");
        e.ippAddString(request, kTagOperation, kTagKeyword, "which-jobs", nullptr,
                       completed ? "completed" : "not-completed");
        if (withOwners)
            e.ippAddStrings(request, kTagOperation, kTagKeyword, "requested-attributes",
                            int(std::size(kOwnerAttributes)), nullptr, kOwnerAttributes);
        else
            e.ippAddString(request, kTagOperation, kTagKeyword, "requested-attributes", nullptr,
                           "job-id");
    });
    if (!response)
        return std::nullopt;
    QList<qint32> ids;
    QSet<QString> queues;
    const QString user = QString::fromUtf8(e.cupsUser());
    void *attribute = e.ippFirstAttribute(response);
    while (attribute) {
        while (attribute && e.ippGetGroupTag(attribute) != kTagJob)
            attribute = e.ippNextAttribute(response);
        int state = 0;
        QString queue;
        QString owner;
        for (; attribute && e.ippGetGroupTag(attribute) == kTagJob;
             attribute = e.ippNextAttribute(response)) {
            const char *name = e.ippGetName(attribute);
            if (!name)
                continue;
            const int valueTag = e.ippGetValueTag(attribute);
            if (valueTag == kTagInteger && !strcmp(name, "job-id"))
                ids.append(e.ippGetInteger(attribute, 0));
            else if (valueTag == kTagEnum && !strcmp(name, "job-state"))
                state = e.ippGetInteger(attribute, 0);
            else if (!strcmp(name, "job-printer-uri"))
                // ipp://host/printers/NAME or ipp://host/classes/NAME: the queue is the last part.
                queue = QString::fromUtf8(e.ippGetString(attribute, 0, nullptr))
                                .section(QLatin1Char('/'), -1);
            else if (!strcmp(name, "job-originating-user-name"))
                owner = QString::fromUtf8(e.ippGetString(attribute, 0, nullptr));
        }
        // The server matches its own user names without regard to case.
        if ((state == kIppPending || state == kIppProcessing)
            && owner.compare(user, Qt::CaseInsensitive) == 0)
            queues.insert(queue);
    }
    e.ippDelete(response);
    if (withOwners)
        *queuesWithOwnActiveJobs = queues;
    return ids;
}

QString CUPS::getJobDestination(qint32 id)
{
    if (!resolveRequestFunctions())
        return QString();
    const EntryPoints &e = *m_entries;
    void *response = doRequest(kOperationGetJobAttributes, [&](void *request) {
        e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr, "ipp://localhost/");
        e.ippAddInteger(request, kTagOperation, kTagInteger, "job-id", id);
        e.ippAddString(request, kTagOperation, kTagKeyword, "requested-attributes", nullptr,
                       "job-printer-uri");
    });
    if (!response)
        return QString();
    QString destination;
    for (void *attribute = e.ippFirstAttribute(response); attribute;
         attribute = e.ippNextAttribute(response)) {
        const char *name = e.ippGetName(attribute);
        if (name && !strcmp(name, "job-printer-uri")) {
            // ipp://host/printers/NAME or ipp://host/classes/NAME: the queue is the last part.
            const QString uri = QString::fromUtf8(e.ippGetString(attribute, 0, nullptr));
            destination = uri.section(QLatin1Char('/'), -1);
            break;
        }
    }
    e.ippDelete(response);
    return destination;
}

int CUPS::subscribeToJobs(const QString &recipientUri, int leaseSeconds, int *status)
{
    if (!resolveRequestFunctions())
        return -1;
    const EntryPoints &e = *m_entries;
    const QByteArray recipient = recipientUri.toUtf8();
    void *response = doRequest(
            kOperationCreatePrinterSubscriptions,
            [&](void *request) {
                // The server's own address: the events of every queue.
                e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr,
                               "ipp://localhost/");
                if (recipient.isEmpty())
                    e.ippAddString(request, kTagSubscription, kTagKeyword, "notify-pull-method",
                                   nullptr, "ippget");
                else
                    e.ippAddString(request, kTagSubscription, kTagUri, "notify-recipient-uri",
                                   nullptr, recipient.constData());
                e.ippAddStrings(request, kTagSubscription, kTagKeyword, "notify-events",
                                int(std::size(kJobEvents)), nullptr, kJobEvents);
                e.ippAddInteger(request, kTagSubscription, kTagInteger, "notify-lease-duration",
                                leaseSeconds);
            },
            status);
    if (!response)
        return -1;
    int id = -1;
    for (void *attribute = e.ippFirstAttribute(response); attribute;
         attribute = e.ippNextAttribute(response)) {
        const char *name = e.ippGetName(attribute);
        if (name && !strcmp(name, "notify-subscription-id")
            && e.ippGetValueTag(attribute) == kTagInteger)
            id = e.ippGetInteger(attribute, 0);
    }
    e.ippDelete(response);
    return id;
}

bool CUPS::renewSubscription(int id, int leaseSeconds)
{
    if (!resolveRequestFunctions())
        return false;
    const EntryPoints &e = *m_entries;
    void *response = doRequest(kOperationRenewSubscription, [&](void *request) {
        e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr, "ipp://localhost/");
        e.ippAddInteger(request, kTagOperation, kTagInteger, "notify-subscription-id", id);
        e.ippAddInteger(request, kTagSubscription, kTagInteger, "notify-lease-duration",
                        leaseSeconds);
    });
    if (response)
        e.ippDelete(response);
    return response != nullptr;
}

void CUPS::cancelSubscription(int id)
{
    if (!resolveRequestFunctions())
        return;
    const EntryPoints &e = *m_entries;
    void *response = doRequest(kOperationCancelSubscription, [&](void *request) {
        e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr, "ipp://localhost/");
        e.ippAddInteger(request, kTagOperation, kTagInteger, "notify-subscription-id", id);
    });
    if (response)
        e.ippDelete(response);
}

std::optional<bool> CUPS::hasSubscription(int id)
{
    if (!resolveRequestFunctions())
        return std::nullopt;
    const EntryPoints &e = *m_entries;
    int status = -1;
    void *response = doRequest(
            kOperationGetSubscriptionAttributes,
            [&](void *request) {
                e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr,
                               "ipp://localhost/");
                e.ippAddInteger(request, kTagOperation, kTagInteger, "notify-subscription-id", id);
                e.ippAddString(request, kTagOperation, kTagKeyword, "requested-attributes", nullptr,
                               "notify-subscription-id");
            },
            &status);
    if (!response)
        return status == -1 ? std::nullopt : std::optional<bool>(false);
    e.ippDelete(response);
    return true;
}

std::optional<int> CUPS::sequenceAfter(int next, int seen)
{
    if (seen == std::numeric_limits<int>::max())
        return std::nullopt;
    return qMax(next, seen + 1);
}

std::optional<int> CUPS::getNotifications(int id, int *nextSequence)
{
    if (!resolveRequestFunctions())
        return std::nullopt;
    const EntryPoints &e = *m_entries;
    int status = 0;
    void *response = doRequest(
            kOperationGetNotifications,
            [&](void *request) {
                e.ippAddString(request, kTagOperation, kTagUri, "printer-uri", nullptr,
                               "ipp://localhost/");
                e.ippAddInteger(request, kTagOperation, kTagInteger, "notify-subscription-ids", id);
                e.ippAddInteger(request, kTagOperation, kTagInteger, "notify-sequence-numbers",
                                *nextSequence);
            },
            &status);
    if (!response)
        return std::nullopt;
    int count = 0;
    bool exhausted = false;
    for (void *attribute = e.ippFirstAttribute(response); attribute;
         attribute = e.ippNextAttribute(response)) {
        const char *name = e.ippGetName(attribute);
        if (e.ippGetGroupTag(attribute) == kTagEventNotification && name
            && !strcmp(name, "notify-sequence-number")) {
            ++count;
            const std::optional<int> next
                    = CUPS::sequenceAfter(*nextSequence, e.ippGetInteger(attribute, 0));
            exhausted = exhausted || !next;
            if (next)
                *nextSequence = *next;
        }
    }
    if (exhausted)
        *nextSequence = -1;
    e.ippDelete(response);
    // An ended subscription is as good as none: the caller subscribes again.
    if (status == kStatusEventsComplete)
        return std::nullopt;
    return count;
}
