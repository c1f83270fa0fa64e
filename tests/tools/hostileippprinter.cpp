#include "tests/tools/hostileippprinter.h"

#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>

#include <csignal>

namespace {

constexpr int kLifetimeS = 600;
constexpr int kStartMs = 10000;
const char *const kModes[] = {"normal", "hang", "trickle"};

} // namespace

HostileIppPrinter::~HostileIppPrinter()
{
    stop();
}

bool HostileIppPrinter::start()
{
    if (!m_dir.isValid() || !setReply(Reply()))
        return false;
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments({QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/hostileippprinter.py"),
                            m_dir.filePath(QStringLiteral("control")),
                            QString::number(kLifetimeS)});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_process);
    m_process.start();
    m_process.waitForStarted(kStartMs);
    const QDeadlineTimer deadline(kStartMs);
    while (!m_process.canReadLine() && isRunning() && !deadline.hasExpired())
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
    m_port = words.size() == 2 && words.at(0) == "ready" ? words.at(1).toUShort() : 0;
    if (m_port != 0)
        return true;
    stop();
    return false;
}

void HostileIppPrinter::stop()
{
    if (!isRunning())
        return;
    ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(kStartMs);
}

QString HostileIppPrinter::uri() const
{
    return QStringLiteral("ipp://127.0.0.1:%1/ipp/print").arg(m_port);
}

bool HostileIppPrinter::setReply(const Reply &reply)
{
    return replaceFile(m_dir.filePath(QStringLiteral("control")),
                       QStringLiteral("supplies=%1\nreasons=%2\ntext=%3\nmode=%4\nchunk=%5\n")
                               .arg(reply.supplies)
                               .arg(reply.reasons)
                               .arg(reply.textBytes)
                               .arg(QLatin1String(kModes[reply.mode]))
                               .arg(reply.chunkBytes)
                               .toUtf8());
}
