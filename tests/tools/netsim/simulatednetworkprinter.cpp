#include "simulatednetworkprinter.h"

#include <vector>

namespace {

// Addresses another test took between our probe and our bind.
constexpr int kAttempts = 8;

QByteArray table(const QList<SimulatedNetworkPrinter::JobRow> &rows,
                 QByteArray (*record)(const SimulatedNetworkPrinter::JobRow &))
{
    QByteArray bytes;
    for (const auto &row : rows)
        bytes += record(row);
    return bytes;
}

QByteArray idAndStatus(const SimulatedNetworkPrinter::JobRow &row)
{
    return QByteArray::number(row.id).rightJustified(10, ' ', true)
            + QByteArray::number(row.status).rightJustified(4, ' ', true);
}

} // namespace

SimulatedNetworkPrinter::SimulatedNetworkPrinter(Family family)
{
    if (family == IPv6) {
        m_http = std::make_unique<SimulatedHttpServer>(SimulatedHttpServer::IPv6);
        m_agent = std::make_unique<SimulatedSnmpAgent>(QStringLiteral("::1"));
        if (!m_http->isValid() || !m_agent->start())
            m_agent.reset();
        return;
    }
    // The HTTP server takes the first 127.0.0.x whose port 80 is free; an agent of another test
    // may hold port 161 there. Servers kept meanwhile make the next one move on.
    std::vector<std::unique_ptr<SimulatedHttpServer>> taken;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto http = std::make_unique<SimulatedHttpServer>(SimulatedHttpServer::IPv4);
        if (!http->isValid())
            return;
        auto agent = std::make_unique<SimulatedSnmpAgent>(http->address());
        if (agent->start()) {
            m_http = std::move(http);
            m_agent = std::move(agent);
            return;
        }
        taken.push_back(std::move(http));
    }
}

SimulatedNetworkPrinter::~SimulatedNetworkPrinter() = default;

QString SimulatedNetworkPrinter::address() const
{
    return m_http ? m_http->address() : QString();
}

QString SimulatedNetworkPrinter::devPath() const
{
    return m_http ? m_http->host() : QString();
}

void SimulatedNetworkPrinter::setJobs(const QList<JobRow> &rows) const
{
    m_agent->setJobs(table(rows, jobRecord));
}

void SimulatedNetworkPrinter::setJobs6(const QList<JobRow> &rows) const
{
    m_agent->setJobs6(table(rows, jobRecord6));
}

void SimulatedNetworkPrinter::setMode(Mode mode, int delayMs)
{
    switch (mode) {
    case AgentStopped:
        m_agent->setMode(SimulatedSnmpAgent::Stopped);
        break;
    case AgentSlow:
        m_agent->setMode(SimulatedSnmpAgent::Slow, delayMs);
        break;
    default:
        m_agent->setMode(SimulatedSnmpAgent::Normal);
    }
    static const SimulatedHttpServer::Mode kHttpModes[]
            = {SimulatedHttpServer::Normal,     SimulatedHttpServer::Normal,
               SimulatedHttpServer::Normal,     SimulatedHttpServer::HangAfterHeader,
               SimulatedHttpServer::Trickle,    SimulatedHttpServer::HugeBody,
               SimulatedHttpServer::CloseEarly, SimulatedHttpServer::InvalidStatusLine};
    m_http->setMode(kHttpModes[mode]);
}

QByteArray SimulatedNetworkPrinter::jobRecord(const JobRow &row)
{
    return row.user.leftJustified(15, '.', true) + idAndStatus(row);
}

QByteArray SimulatedNetworkPrinter::jobRecord6(const JobRow &row)
{
    return row.user.leftJustified(39, ' ', true) + idAndStatus(row);
}
