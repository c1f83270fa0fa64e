#include "simulatedhttpserver.h"

#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <iterator>
#include <signal.h>

namespace {

constexpr int kLifetimeS = 600;
constexpr int kStartMs = 10000;
// ::1 has no neighbours to move to: a parallel test may hold its port for a while. Each attempt
// starts the interpreter afresh, which paces the retries.
constexpr int kBusyRetryMs = 30000;
constexpr int kFirstHost = 2;
constexpr int kLastHost = 254;

const char *const kModes[]
        = {"normal", "hang", "trickle", "huge", "hugenolength", "early", "badstatus", "reply"};

} // namespace

SimulatedHttpServer::SimulatedHttpServer(Family family, quint16 port)
    : m_port(port)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("www/pellar"));
    QDir(m_dir.path()).mkpath(QStringLiteral("control"));
    if (family == IPv6) {
        const QDeadlineTimer deadline(kBusyRetryMs);
        while (!start(QStringLiteral("::1")) && !deadline.hasExpired()) { }
        return;
    }
    for (int x = kFirstHost; x <= kLastHost && !start(QStringLiteral("127.0.0.%1").arg(x)); ++x) { }
}

SimulatedHttpServer::~SimulatedHttpServer()
{
    stop();
}

bool SimulatedHttpServer::start(const QString &address)
{
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments({QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/httpsim/httpprinter.py"),
                            address, QString::number(m_port), m_dir.filePath(QStringLiteral("www")),
                            m_dir.filePath(QStringLiteral("control")),
                            QString::number(kLifetimeS)});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_process);
    m_process.start();
    const QDeadlineTimer deadline(kStartMs);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning
           && !deadline.hasExpired())
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    if (m_process.readLine().trimmed() == "ready") {
        m_address = address;
        return true;
    }
    stop();
    return false;
}

void SimulatedHttpServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(kStartMs);
}

QString SimulatedHttpServer::host() const
{
    return m_address.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_address + QLatin1Char(']')
                                                : m_address;
}

void SimulatedHttpServer::setDocument(const QByteArray &document) const
{
    replaceFile(m_dir.filePath(QStringLiteral("www/pellar/sm.xml")), document);
}

void SimulatedHttpServer::setMode(Mode mode) const
{
    writeControl(QStringLiteral("mode"), kModes[mode]);
}

void SimulatedHttpServer::setReply(const QByteArray &bytes, bool keepOpen) const
{
    writeControl(QStringLiteral("reply"), bytes);
    if (keepOpen)
        writeControl(QStringLiteral("hold"), QByteArray());
    else
        QFile::remove(m_dir.filePath(QStringLiteral("control/hold")));
    setMode(Reply);
}

QByteArray SimulatedHttpServer::requests() const
{
    return readFile(m_dir.filePath(QStringLiteral("control/requests.log")));
}

void SimulatedHttpServer::writeControl(const QString &name, const QByteArray &bytes) const
{
    replaceFile(m_dir.filePath(QStringLiteral("control/") + name), bytes);
}
