#pragma once

#include "simulatedhttpserver.h"
#include "simulatedsnmpagent.h"

#include <memory>

// A simulated network printer: its SNMP agent (SimulatedSnmpAgent) and its HTTP server
// (SimulatedHttpServer) on one loopback address, as a printer record and a CUPS queue name it.
//
//     SimulatedNetworkPrinter printer;                     // the next free 127.0.0.x
//     SimulatedNetworkPrinter printer6(SimulatedNetworkPrinter::IPv6);   // ::1
//     QVERIFY(printer.isValid());                          // both answer
//     printer.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
//     printer.setStatus(QByteArray::fromHex("0100001164646464"));
//     printer.setJobs({{"127.0.0.1", 12, Job::Printing}});  // 29-character records
//     printer.setJobs6({{"::1", 13, Job::Pending}});        // 53-character records
//     printer.setDocument(readFile("bin/sm.xml"));
//     PlDeviceNw channel(printer.devPath());               // "127.0.0.5" or "[::1]"
//     lpadmin ... -v printer.uri()                         // "socket://127.0.0.5:9100"
//     printer.setMode(SimulatedNetworkPrinter::AgentStopped);
//
// Every value is replaced by rename, so a request sees the old or the new one. Tests on ::1
// take the ctest RESOURCE_LOCK "snmp_ipv6". Both servers are stopped by their process ids.
class SimulatedNetworkPrinter
{
public:
    enum Family { IPv4, IPv6 };
    // One misbehaviour at a time; each resets the other part to normal.
    enum Mode {
        Normal,
        AgentStopped, // SNMP requests go unanswered
        AgentSlow, // each SNMP answer waits delayMs
        HangAfterHeader, // HTTP: the header, then silence
        Trickle, // HTTP: one byte every 0.9 s
        HugeBody, // HTTP: 100 MiB
        CloseEarly, // HTTP: half the document, then close
        InvalidStatusLine // HTTP: "HTTP/1.1 abc"
    };

    // One row of a job table, as the printer lists it.
    struct JobRow
    {
        QByteArray user;
        qint32 id = 0;
        int status = 0;
    };

    explicit SimulatedNetworkPrinter(Family family = IPv4);
    ~SimulatedNetworkPrinter();
    SimulatedNetworkPrinter(const SimulatedNetworkPrinter &) = delete;
    SimulatedNetworkPrinter &operator=(const SimulatedNetworkPrinter &) = delete;

    bool isValid() const { return m_agent && m_http && m_http->isValid(); }
    // "127.0.0.5" or "::1"; devPath() brackets an IPv6 one, as a printer record holds it.
    QString address() const;
    QString devPath() const;
    // A raw queue's device URI for this printer.
    QString uri() const { return QStringLiteral("socket://%1:9100").arg(devPath()); }

    void setDeviceId(const QByteArray &id) const { m_agent->setDeviceId(id); }
    void setStatus(const QByteArray &bytes) const { m_agent->setStatus(bytes); }
    void setJobs(const QList<JobRow> &rows) const;
    void setJobs6(const QList<JobRow> &rows) const;
    // The table's bytes as they stand, for records of odd lengths.
    void setJobTable(const QByteArray &table) const { m_agent->setJobs(table); }
    void setJobTable6(const QByteArray &table) const { m_agent->setJobs6(table); }
    void setDocument(const QByteArray &document) const { m_http->setDocument(document); }
    void setMode(Mode mode, int delayMs = 0);

    // 29 characters: user padded with dots to 15, id in 10, status in 4.
    static QByteArray jobRecord(const JobRow &row);
    // 53 characters: user padded with blanks to 39, id in 10, status in 4.
    static QByteArray jobRecord6(const JobRow &row);

    SimulatedSnmpAgent &agent() { return *m_agent; }
    SimulatedHttpServer &http() { return *m_http; }

private:
    std::unique_ptr<SimulatedHttpServer> m_http;
    std::unique_ptr<SimulatedSnmpAgent> m_agent;
};
