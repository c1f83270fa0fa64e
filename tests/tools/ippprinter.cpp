#include "tests/tools/ippprinter.h"

#include "tests/tools/loopbackport.h"

#include "tests/tools/snifixture.h"
#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const int kTimeoutMs = 10000;
const int kStartAttempts = 3;

// A job the simulator takes without converting anything: the sync word of a PWG raster.
const QByteArray kJob = QByteArrayLiteral("RaS2");

// Prints the job straight to the printer and asks for it until it is completed (job-state 9).
const QByteArray kPrintAndWait = R"({
	NAME "Print-Job"
	OPERATION Print-Job
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR language attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR name requesting-user-name pellar
	ATTR mimeMediaType document-format image/pwg-raster
	FILE $filename
	STATUS successful-ok
	EXPECT job-id
}
{
	NAME "Wait for the job"
	OPERATION Get-Job-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR language attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR integer job-id $job-id
	ATTR name requesting-user-name pellar
	STATUS successful-ok
	EXPECT job-state WITH-VALUE 9 REPEAT-NO-MATCH REPEAT-LIMIT 100
	DELAY 0.05
}
)";

const QByteArray kGetAttributes = R"({
	NAME "Get-Printer-Attributes"
	OPERATION Get-Printer-Attributes
	GROUP operation-attributes-tag
	ATTR charset attributes-charset utf-8
	ATTR language attributes-natural-language en
	ATTR uri printer-uri $uri
	ATTR keyword requested-attributes printer-state
	STATUS successful-ok
}
)";

int runTool(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("/usr/bin/ipptool"), arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(kTimeoutMs);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

IppPrinterSimulator::IppPrinterSimulator()
    : m_dir(QDir::tempPath() + QStringLiteral("/pellar-ipp-XXXXXX"))
{ }

IppPrinterSimulator::~IppPrinterSimulator()
{
    stop();
}

QString IppPrinterSimulator::uri() const
{
    return QStringLiteral("ipp://127.0.0.1:%1/ipp/print").arg(m_port);
}

bool IppPrinterSimulator::start()
{
    if (!m_dir.isValid())
        return false;
    const QString dir = m_dir.path();
    const QString command = dir + QStringLiteral("/command");
    if (!QDir().mkpath(dir + QStringLiteral("/spool"))
        || !writeFile(command,
                      "#!/bin/sh\ncat '" + QFile::encodeName(dir) + "/lines' >&2\nexit 0\n")
        || !QFile::setPermissions(
                command, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        || !writeFile(dir + QStringLiteral("/lines"), QByteArray())
        || !writeFile(dir + QStringLiteral("/job.pwg"), kJob)
        || !writeFile(dir + QStringLiteral("/print.test"), kPrintAndWait)
        || !writeFile(dir + QStringLiteral("/get.test"), kGetAttributes))
        return false;
    m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::System);
    if (!m_bus->isRunning())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus->address());
    m_process.setProcessEnvironment(environment);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(dir + QStringLiteral("/log"), QIODevice::Append);
    // SIGKILL, not SIGTERM, when the test dies: a paused simulator would never see the latter.
    const pid_t parent = getpid();
    m_process.setChildProcessModifier([parent] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
    });
    // Another program may take the port between the check and the start: try another.
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        m_port = freeLoopbackPort();
        if (m_port == 0)
            return false;
        // "-n localhost": it listens on 127.0.0.1 and ::1 only. "-r off": nothing is advertised.
        m_process.start(QStringLiteral("/usr/sbin/ippeveprinter"),
                        {QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-n"),
                         QStringLiteral("localhost"), QStringLiteral("-r"), QStringLiteral("off"),
                         QStringLiteral("-d"), dir + QStringLiteral("/spool"), QStringLiteral("-c"),
                         command, QStringLiteral("-v"), QStringLiteral("Pellar Generic")});
        if (!m_process.waitForStarted(kTimeoutMs))
            return false;
        QDeadlineTimer deadline(kTimeoutMs);
        while (!deadline.hasExpired() && isRunning()) {
            if (answers())
                return true;
            QThread::msleep(20);
        }
        stop();
    }
    return false;
}

bool IppPrinterSimulator::answers()
{
    return runTool({QStringLiteral("-q"), QStringLiteral("-T"), QStringLiteral("1"), uri(),
                    m_dir.path() + QStringLiteral("/get.test")})
            == 0;
}

void IppPrinterSimulator::stop()
{
    if (!isRunning())
        return;
    const pid_t pid = pid_t(m_process.processId());
    ::kill(pid, SIGCONT);
    ::kill(pid, SIGTERM);
    if (!m_process.waitForFinished(kTimeoutMs)) {
        ::kill(pid, SIGKILL);
        m_process.waitForFinished(kTimeoutMs);
    }
}

bool IppPrinterSimulator::pause()
{
    return isRunning() && ::kill(pid_t(m_process.processId()), SIGSTOP) == 0;
}

bool IppPrinterSimulator::resume()
{
    return isRunning() && ::kill(pid_t(m_process.processId()), SIGCONT) == 0;
}

bool IppPrinterSimulator::kill()
{
    if (!isRunning() || ::kill(pid_t(m_process.processId()), SIGKILL) != 0)
        return false;
    return m_process.waitForFinished(kTimeoutMs);
}

bool IppPrinterSimulator::applyLines(const QByteArray &lines)
{
    const QString dir = m_dir.path();
    return isRunning() && replaceFile(dir + QStringLiteral("/lines"), lines)
            && runTool({QStringLiteral("-q"), QStringLiteral("-T"), QStringLiteral("5"),
                        QStringLiteral("-f"), dir + QStringLiteral("/job.pwg"), uri(),
                        dir + QStringLiteral("/print.test")})
            == 0;
}

bool IppPrinterSimulator::changeReasons(const QStringList &changes)
{
    QByteArray lines;
    for (const QString &change : changes)
        lines += "STATE: " + change.toUtf8() + '\n';
    return applyLines(lines);
}

bool IppPrinterSimulator::setMarkers(const QString &names, const QString &colors,
                                     const QString &levels, const QString &lowLevels,
                                     const QString &types)
{
    QByteArray line = "ATTR:";
    const QPair<const char *, QString> values[] = {{"marker-names", names},
                                                   {"marker-colors", colors},
                                                   {"marker-levels", levels},
                                                   {"marker-low-levels", lowLevels},
                                                   {"marker-types", types}};
    for (const auto &[name, value] : values) {
        if (!value.isEmpty())
            line += ' ' + QByteArray(name) + '=' + value.toUtf8();
    }
    return applyLines(line + '\n');
}
