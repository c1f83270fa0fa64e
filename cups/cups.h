#pragma once

#include "cups/cupsjob.h"
#include "cups/device.h"
#include "cups/printerstate.h"

#include <QList>
#include <QMultiMap>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Queue records keyed by the part of their device URI after the first ':' (the empty key for
// a queue without device URI); one key may hold several queues.
using DeviceDict = QMultiMap<QString, Device>;

// A queue's PPD summary and the time the server gave with it: asked again with that time, the
// server sends nothing while the PPD is unchanged.
struct PpdRecord
{
    PpdInfo info;
    qint64 fetched = 0;
    // The queue's setup time the summary was read for (Device::configChanged).
    qint64 configChanged = 0;
};

// The CUPS client library, loaded once per process. Without the library every
// operation answers its empty result, so the program runs on machines without CUPS.
// One object per thread: the library keeps a connection per thread, so threads never wait for
// each other's requests.
class CUPS
{
public:
    CUPS();
    ~CUPS();
    CUPS(const CUPS &) = delete;
    CUPS &operator=(const CUPS &) = delete;

    bool isLoaded() const { return m_handle != nullptr; }

    // The print queues, limited to the names in the filter when it is not empty. `answered`
    // (may be null) is false when the server did not answer: no queues then says nothing.
    DeviceDict getDevices(const QStringList &filter = QStringList(), bool *answered = nullptr);
    // The summary of the queue's PPD, as the server gives it to any user; read from
    // ppdDirectory() when the server gives none. Empty without library or PPD. Given the last
    // record of the queue, kept current here, an unchanged PPD is not fetched again, and while
    // the queue's setup time (Device::configChanged, 0 when unknown) stays the same the server
    // is not even asked.
    PpdInfo getPrinterDescription2(const QString &name, PpdRecord *known = nullptr,
                                   qint64 configChanged = 0);
    // A job of the queue is pending or processing.
    bool hasActiveJobs(const QString &name, bool myJobsOnly);
    // The jobs of all queues: the unfinished ones, or the finished ones when completed is set.
    QList<CupsJob> getJobs(bool myJobsOnly, bool completed);
    // The same list of all users' jobs in the same order, with only the ids: the server answers
    // it without loading each job's attributes, which matters with a long job history.
    // Null (not empty) when the server could not be asked. Given a set, the unfinished list also
    // fills it with the queues where this user has a pending or processing job, as
    // hasActiveJobs(queue, true) would answer, at the cost of that one request.
    std::optional<QList<qint32>> getJobIds(bool completed,
                                           QSet<QString> *queuesWithOwnActiveJobs = nullptr);
    // The queue a job was sent to; empty when the server does not know the job.
    QString getJobDestination(qint32 id);

    // A subscription to the job events of all queues: sent to the recipient ("dbus://") or,
    // without one, kept by the server for getNotifications. Its id, or -1; the IPP status
    // tells a refusal from a server that did not answer (-1).
    int subscribeToJobs(const QString &recipientUri, int leaseSeconds, int *status = nullptr);
    bool renewSubscription(int id, int leaseSeconds);
    void cancelSubscription(int id);
    // Whether the server still knows the subscription, a question that changes nothing on the
    // server; null when it did not answer.
    std::optional<bool> hasSubscription(int id);
    // How many events arrived from nextSequence on, which moves past them; null when the
    // server did not answer or no longer knows the subscription (after a restart).
    // nextSequence becomes -1 once the server has numbered an event with the largest number:
    // only a fresh subscription goes on.
    std::optional<int> getNotifications(int id, int *nextSequence);
    // The sequence number to ask from after an event numbered seen; null when there is none.
    static std::optional<int> sequenceAfter(int next, int seen);

    // The queue's state, reasons, message, acceptance and supplies; null when the server did not
    // answer or does not know the queue. cupsd only learns a printer's state while it prints to
    // it, so for an ipp:// or ipps:// device the printer itself is asked as well (a wait of at
    // most kDeviceTimeoutMs): its reasons and supplies then stand for the ones cupsd last copied.
    // printerAnswer tells whether it answered.
    std::optional<CupsPrinterState> printerState(const QString &queue);
    static constexpr int kDeviceTimeoutMs = 2000;
    // The address of the queue's page on the configured server's web interface, asked of the
    // server itself (within kDeviceTimeoutMs); empty where it has none. A server reached by its
    // domain socket is this machine's, whose web interface is on the loopback at the IPP port.
    QString queuePage(const QString &queue);

    // The summary read from the text of a PPD file.
    static PpdInfo ppdSummary(const QByteArray &ppdText);
    // The dictionary key of a queue with that device URI.
    static QString deviceKey(const QString &deviceUri);

    // The library file names tried in order. Tests set names that do not exist to see the
    // program without CUPS; an empty list restores the default. Applies to objects made later.
    static QStringList libraryNames();
    static void setLibraryNames(const QStringList &names);
    // Where queues' PPD files are read when the server gives none: "/etc/cups/ppd" unless a test
    // serves its own server's. An empty path restores the default.
    static QString ppdDirectory();
    static void setPpdDirectory(const QString &path);

    // The library's functions, null where it has none.
    struct EntryPoints;

private:
    bool resolveJobFunctions();
    bool resolveRequestFunctions();
    // The summary read from the queue's file in ppdDirectory().
    PpdInfo readPpdFile(const QString &name);
    // Sends an IPP request on the thread's default connection; the reply or null.
    void *doRequest(int operation, const std::function<void(void *)> &fill, int *status = nullptr);
    // The attributes of a Get-Printer-Attributes reply, checked and bounded; the queue's device
    // URI in deviceUri when asked.
    CupsPrinterState readPrinterState(void *response, const QByteArray &source,
                                      QString *deviceUri = nullptr);
    // The same request to the printer behind an ipp:// or ipps:// device URI; null when it did
    // not answer within kDeviceTimeoutMs, or its reply could not be read (answer tells which).
    std::optional<CupsPrinterState> devicePrinterState(const QString &deviceUri,
                                                       CupsPrinterState::Answer *answer);
    struct DeviceReply
    {
        // The reply, bounded, or null.
        void *response = nullptr;
        // The printer's HTTP status, or -1 when it gave none in time.
        int httpStatus = -1;
        // A wait ran out: before the status, or with the reply unfinished.
        bool timedOut = false;
    };
    // One Get-Printer-Attributes on a connection of its own, plain or TLS.
    DeviceReply askDevice(const QByteArray &host, int port, const QByteArray &resource,
                          const QByteArray &printerUri, bool secure, int timeoutMs);
    // The printer's reply read from memory, cut to what readPrinterState reads; null when it is
    // no IPP message or a refusal.
    void *parseDeviceReply(const QByteArray &reply, const QByteArray &printerUri);
    // Runs cupsGetJobs and hands each job (id, destination, IPP state) to the visitor.
    int forEachJob(const char *dest, bool myJobsOnly, bool completed,
                   const std::function<void(int, const char *, int)> &visit);

    void *m_handle = nullptr;
    std::shared_ptr<const EntryPoints> m_entries;
};
