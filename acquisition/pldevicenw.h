#pragma once

#include "acquisition/pldevice.h"

#include <QByteArray>
#include <QStringList>

#include <atomic>

class PrinterDesc;
class QMutex;

// The status channel to a printer on the network: device id, status bytes and job tables by
// SNMP on the vendor's subtree, the status description document by HTTP. Besides, the addresses
// of this machine, by which the jobs it sent are told from other hosts' jobs.
class PlDeviceNw : public PlDevice
{
public:
    // A numeric IPv4 address, or an IPv6 address (bracketed as a printer record holds it).
    explicit PlDeviceNw(const QString &address);

    QString requestStatusXML(int *retCode = nullptr) override;
    StatusBlock requestStatus_withRepeat(int *retCode = nullptr) override;
    QList<Job> getJobList(int *retCode = nullptr) override;
    bool isLocal() const override { return false; }
    QString toString() const override;
    virtual QString requestDescription(int *retCode = nullptr);

    // The bytes received by the last attempt; `retCode` gets its SNMP status (0: answered).
    int request(const char *oid, char *buffer, int bufferSize, long timeoutMs, int retries,
                long delayMs, int *retCode = nullptr);
    // The job tables' text, up to the first zero byte.
    QByteArray getJobs(int *retCode = nullptr);
    QByteArray getJobs6(int *retCode = nullptr);

    // Records of 29 (IPv4 senders) and 53 characters (IPv6 senders); a remainder is ignored.
    static QList<Job> parseJobs(const QByteArray &table);
    static QList<Job> parseJobs6(const QByteArray &table);

    // Fills the capability fields of a network printer's record from the printer itself; once
    // the flag is set, nothing further is asked.
    static void updatePrinterInfo(PrinterDesc *printer, const std::atomic<bool> *cancel = nullptr);
    // Requests in progress give up soon after the flag is set, as when the calling thread is
    // asked to stop. Not owned.
    void setCancelFlag(const std::atomic<bool> *flag) { m_cancel = flag; }

    // This machine's addresses: IPv4 dotted, IPv6 as normalizeIPv6 writes it.
    static QStringList getHostAddresses();
    static QStringList getHostAddresses_getifaddrs();
    static QStringList getHostAddresses_getaddrinfo();
    static QStringList getHostAddresses_ifconfig();
    // Whether a job's sender is this machine, by the addresses found on the first call.
    static bool isHostAddress(const QString &user);
    // An IPv6 address as 32 upper-case hexadecimal digits; any other text unchanged.
    static QString normalizeIPv6(const QString &text);
    static QString invokeCmd(const char *command);
    // Two upper-case hexadecimal digits per byte, of at most 16 bytes.
    static QString toHexString(const unsigned char *bytes, int length);

    static QMutex &networkMutex();

    static constexpr char kDeviceIdOid[] = "1.3.6.1.4.1.32473.11.5.1.1.1.26.0";
    static constexpr char kStatusOid[] = "1.3.6.1.4.1.32473.11.5.1.1.9.15.0";
    static constexpr char kJobsOid[] = "1.3.6.1.4.1.32473.11.5.1.12.14.1.0";
    static constexpr char kJobs6Oid[] = "1.3.6.1.4.1.32473.11.5.1.12.14.2.0";
    static constexpr char kStatusXmlPath[] = "/pellar/sm.xml";
    static constexpr int kBufferSize = 1024;
    static constexpr int kJobRecordLength = 29;
    static constexpr int kJob6RecordLength = 53;

private:
    QByteArray requestText(const char *oid, int retries, int *retCode);
    QByteArray requestJobTable(const char *oid, const char *method, int *retCode);

    bool isCancelled() const;

    QString address;
    const std::atomic<bool> *m_cancel = nullptr;
};
