#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// The SNMP agent of a simulated network printer: Debian's snmpd, started privately on a
// loopback address, port 161, answering the vendor subtree from files through our pass_persist
// handler (snmphandler.py).
//
//     SimulatedSnmpAgent agent;                          // the next free 127.0.0.x
//     SimulatedSnmpAgent agent6(QStringLiteral("::1"));
//     QVERIFY(agent.start());                            // returns once the agent answers
//     agent.setDeviceId("MFG:Acme;MDL:Laser 100;");
//     agent.setStatus(QByteArray::fromHex("0100001164646464"));
//     agent.setMode(SimulatedSnmpAgent::Slow, 500);      // change it while the code runs
//     agent.setMode(SimulatedSnmpAgent::Stopped);        // silent: every request times out
//
// Values are replaced by rename, so a request sees the old or the new value, never a mix. The
// agent accepts the community "kelpie" over SNMPv1 and SNMPv2c. It is stopped by its process id
// in the destructor.
class SimulatedSnmpAgent
{
public:
    enum Mode {
        Normal,
        Stopped, // the process is held (SIGSTOP): requests go unanswered
        Slow // each answer waits delayMs
    };
    enum Type { Octet, String, Integer };

    static constexpr char kDeviceIdOid[] = "1.3.6.1.4.1.32473.11.5.1.1.1.26.0";
    static constexpr char kStatusOid[] = "1.3.6.1.4.1.32473.11.5.1.1.9.15.0";
    static constexpr char kJobsOid[] = "1.3.6.1.4.1.32473.11.5.1.12.14.1.0";
    static constexpr char kJobs6Oid[] = "1.3.6.1.4.1.32473.11.5.1.12.14.2.0";

    // An empty address takes the first 127.0.0.x (x from 2) whose port 161 is free. There is
    // only one "::1": tests using it take the ctest RESOURCE_LOCK "snmp_ipv6".
    explicit SimulatedSnmpAgent(const QString &address = QString());
    ~SimulatedSnmpAgent();
    SimulatedSnmpAgent(const SimulatedSnmpAgent &) = delete;
    SimulatedSnmpAgent &operator=(const SimulatedSnmpAgent &) = delete;

    // Starts snmpd and waits (bounded) until it answers; false with the reason in log().
    bool start();
    // Ends snmpd by its process id: SIGTERM, then SIGKILL after two seconds.
    void stop();
    bool isRunning() const;

    // The address as the product is given it ("127.0.0.2", "::1").
    QString address() const { return m_address; }

    void setDeviceId(const QByteArray &id) const { setValue(kDeviceIdOid, id, String); }
    void setStatus(const QByteArray &bytes) const { setValue(kStatusOid, bytes); }
    void setJobs(const QByteArray &table) const { setValue(kJobsOid, table); }
    void setJobs6(const QByteArray &table) const { setValue(kJobs6Oid, table); }
    // Any object below the vendor subtree (dotted, no leading dot). String values hold no NUL
    // or line feed; Integer values are decimal text.
    void setValue(const char *oid, const QByteArray &value, Type type = Octet) const;
    // The object is then missing: noSuchName for SNMPv1, noSuchInstance for SNMPv2c.
    void removeValue(const char *oid) const;

    void setMode(Mode mode, int delayMs = 0);
    Mode mode() const { return m_mode; }

    // snmpd's own log and the handler's error output.
    QString log() const;

private:
    bool startOnce();
    void writeState(const QString &name, const QByteArray &bytes) const;
    QString statePath(const QString &name) const;

    QTemporaryDir m_dir;
    QString m_address;
    bool m_chooseAddress = false;
    std::unique_ptr<QProcess> m_process;
    Mode m_mode = Normal;
};
