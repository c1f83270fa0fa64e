#include "simulatedsnmpagent.h"

#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSnmpPort = 161;
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;
constexpr int kStartAttempts = 5;

bool portIsFree(const QString &address)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kSnmpPort);
    inet_pton(AF_INET, address.toLatin1().constData(), &addr.sin_addr);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return free;
}

// The first 127.0.0.x above `host` whose port 161 is free.
QString freeAddressAfter(int host)
{
    for (++host; host < 255; ++host) {
        const QString candidate = QStringLiteral("127.0.0.%1").arg(host);
        if (portIsFree(candidate))
            return candidate;
    }
    return QString();
}

} // namespace

SimulatedSnmpAgent::SimulatedSnmpAgent(const QString &address)
    : m_address(address)
    , m_chooseAddress(address.isEmpty())
{
    if (m_chooseAddress)
        m_address = freeAddressAfter(1);
    QDir(m_dir.path()).mkpath(QStringLiteral("state"));
    QDir(m_dir.path()).mkpath(QStringLiteral("persist"));
    setDeviceId("MFG:Acme;MDL:Laser 100;CLS:PRINTER;");
    setStatus(QByteArray(8, '\0'));
    setJobs(QByteArray());
    setJobs6(QByteArray());
}

SimulatedSnmpAgent::~SimulatedSnmpAgent()
{
    stop();
}

QString SimulatedSnmpAgent::statePath(const QString &name) const
{
    return m_dir.path() + QStringLiteral("/state/") + name;
}

void SimulatedSnmpAgent::writeState(const QString &name, const QByteArray &bytes) const
{
    replaceFile(statePath(name), bytes);
}

void SimulatedSnmpAgent::setValue(const char *oid, const QByteArray &value, Type type) const
{
    static const char *const kTypes[] = {"octet", "string", "integer"};
    writeState(QString::fromLatin1(oid), QByteArray(kTypes[type]) + '\n' + value);
}

void SimulatedSnmpAgent::removeValue(const char *oid) const
{
    QFile::remove(statePath(QString::fromLatin1(oid)));
}

bool SimulatedSnmpAgent::start()
{
    if (isRunning())
        return true;
    // Another test process may take a free address between our probe and snmpd's bind.
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (startOnce())
            return true;
        if (!m_chooseAddress || !log().contains(QStringLiteral("Error opening specified endpoint")))
            return false;
        m_address = freeAddressAfter(m_address.section(QLatin1Char('.'), 3).toInt());
    }
    return false;
}

bool SimulatedSnmpAgent::startOnce()
{
    const QString dir = m_dir.path();
    QFile conf(dir + QStringLiteral("/snmpd.conf"));
    if (m_address.isEmpty() || !conf.open(QIODevice::WriteOnly))
        return false;
    conf.write(QStringLiteral("rocommunity kelpie\nrocommunity6 kelpie\n"
                              "dontLogTCPWrappersConnects yes\n"
                              "pass_persist .1.3.6.1.4.1.32473.11.5.1 /usr/bin/python3 %1 %2\n")
                       .arg(QStringLiteral(PELLAR_SNMPSIM_HANDLER), dir + QStringLiteral("/state"))
                       .toLocal8Bit());
    conf.close();
    QFile::remove(dir + QStringLiteral("/snmpd.log"));

    // Never a port after an unbracketed IPv6 address: it would parse as another address.
    const QString endpoint = m_address.contains(QLatin1Char(':'))
            ? QStringLiteral("udp6:[%1]:%2").arg(m_address).arg(kSnmpPort)
            : QStringLiteral("udp:%1:%2").arg(m_address).arg(kSnmpPort);
    m_process = std::make_unique<QProcess>();
    endWithParent(*m_process);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(dir + QStringLiteral("/snmpd.stderr"));
    // Only the two modules we need: no TCP port 199, no warnings about MIBs.
    m_process->start(QStringLiteral("/usr/sbin/snmpd"),
                     {QStringLiteral("-f"), QStringLiteral("-Lf"),
                      dir + QStringLiteral("/snmpd.log"), QStringLiteral("-C"),
                      QStringLiteral("-c"), conf.fileName(), QStringLiteral("-m"), QString(),
                      QStringLiteral("--persistentDir=") + dir + QStringLiteral("/persist"),
                      QStringLiteral("-I"), QStringLiteral("vacm_conf,pass_persist"), endpoint});
    if (!m_process->waitForStarted(kStartTimeoutMs))
        return false;
    // snmpd logs its version once it listens, and exits when it cannot bind.
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            return false;
        if (readFile(dir + QStringLiteral("/snmpd.log")).contains("NET-SNMP version"))
            return true;
        QThread::msleep(5);
    }
    return false;
}

void SimulatedSnmpAgent::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        const pid_t pid = static_cast<pid_t>(m_process->processId());
        ::kill(pid, SIGTERM);
        ::kill(pid, SIGCONT); // a held process only handles the signal once it runs
        if (!m_process->waitForFinished(kStopTimeoutMs)) {
            ::kill(pid, SIGKILL);
            m_process->waitForFinished(kStopTimeoutMs);
        }
    }
    m_process.reset();
    m_mode = Normal;
}

bool SimulatedSnmpAgent::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void SimulatedSnmpAgent::setMode(Mode mode, int delayMs)
{
    writeState(QStringLiteral("delay"), mode == Slow ? QByteArray::number(delayMs) : QByteArray());
    if (isRunning() && (mode == Stopped) != (m_mode == Stopped))
        ::kill(static_cast<pid_t>(m_process->processId()), mode == Stopped ? SIGSTOP : SIGCONT);
    m_mode = mode;
}

QString SimulatedSnmpAgent::log() const
{
    return QString::fromLocal8Bit(readFile(m_dir.path() + QStringLiteral("/snmpd.log"))
                                  + readFile(m_dir.path() + QStringLiteral("/snmpd.stderr"))
                                  + readFile(statePath(QStringLiteral("handler.err"))));
}
