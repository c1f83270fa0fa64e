#include "tests/tools/snifixture.h"

#include "tests/tools/endwithparent.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <csignal>

namespace {

// No service directories: nothing is started on demand.
const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>%2</type>
  <listen>%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_type="signal"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

void stopByPid(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(5000)) {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(5000);
    }
}

} // namespace

PrivateSessionBus::PrivateSessionBus(Kind kind)
{
    if (!m_dir.isValid())
        return;
    QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly))
        return;
    const QString listen = kind == System ? QStringLiteral("unix:abstract=pellar-system-bus-%1-%2")
                                                    .arg(QCoreApplication::applicationPid())
                                                    .arg(QFileInfo(m_dir.path()).fileName())
                                          : QStringLiteral("unix:tmpdir=") + m_dir.path();
    config.write(QString::fromLatin1(kBusConfig)
                         .arg(listen,
                              kind == System ? QStringLiteral("system") : QStringLiteral("session"))
                         .toUtf8());
    config.close();
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(m_daemon);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                    QStringLiteral("--config-file=") + config.fileName()});
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && !m_daemon.canReadLine()
           && m_daemon.state() != QProcess::NotRunning)
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
}

PrivateSessionBus::~PrivateSessionBus()
{
    stopByPid(m_daemon);
}

QProcessEnvironment PrivateSessionBus::environment(const QByteArray &display) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    return environment;
}

BusScript::~BusScript()
{
    stop();
}

bool BusScript::start(const PrivateSessionBus &bus, const QString &script,
                      const QStringList &arguments)
{
    m_output.clear();
    m_seen = 0;
    m_process.setProcessEnvironment(bus.environment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_process);
    m_process.start(QStringLiteral("/usr/bin/python3"), QStringList(script) + arguments);
    return waitForLine(QRegularExpression(QStringLiteral("^ready$"))).hasMatch();
}

void BusScript::stop()
{
    stopByPid(m_process);
}

QRegularExpressionMatch BusScript::waitForLine(const QRegularExpression &pattern, int timeoutMs,
                                               bool fromStart)
{
    QDeadlineTimer deadline(timeoutMs);
    qsizetype position = fromStart ? 0 : m_seen;
    for (;;) {
        m_output += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_output.indexOf('\n', position)) >= 0) {
            const QString line = QString::fromUtf8(m_output.mid(position, end - position));
            position = end + 1;
            m_seen = qMax(m_seen, position);
            const QRegularExpressionMatch match = pattern.match(line);
            if (match.hasMatch())
                return match;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return QRegularExpressionMatch();
        // An item in this process answers the script's calls from the event loop.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_process.waitForReadyRead(20);
    }
}

int BusScript::count(const QByteArray &start)
{
    m_output += m_process.readAllStandardOutput();
    int lines = 0;
    for (const QByteArray &line : m_output.split('\n'))
        lines += line.startsWith(start) ? 1 : 0;
    return lines;
}

bool SniWatcher::start(const PrivateSessionBus &bus, Mode mode)
{
    QStringList arguments;
    if (mode == Hanging)
        arguments << QStringLiteral("--hang");
    else if (mode == HalfHung)
        arguments << QStringLiteral("--no-introspect");
    else if (mode == HangingAfterCheck)
        arguments << QStringLiteral("--hang-after-check");
    return BusScript::start(bus, QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/sniwatcher.py"),
                            arguments);
}

QJsonDocument SniWatcher::request(const QByteArray &command, const QByteArray &answer)
{
    write(command);
    const QRegularExpressionMatch match = waitForLine(QRegularExpression(
            QStringLiteral("^(%1|error) ?(.*)$").arg(QString::fromLatin1(answer))));
    if (match.captured(1) != QString::fromLatin1(answer))
        return QJsonDocument();
    return QJsonDocument::fromJson(match.captured(2).toUtf8());
}

bool SniWatcher::command(const QByteArray &command, const QByteArray &answer)
{
    write(command);
    return waitForLine(
                   QRegularExpression(QStringLiteral("^(%1|error)\\b").arg(QLatin1String(answer))))
                   .captured(1)
            == QLatin1String(answer);
}

QImage SniWatcher::itemIcon(const QJsonObject &item)
{
    // ARGB, big-endian.
    const QByteArray argb = QByteArray::fromHex(item["IconArgb"].toString().toLatin1());
    QImage image(item["IconWidth"].toInt(), item["IconHeight"].toInt(), QImage::Format_ARGB32);
    if (image.isNull() || argb.size() != image.sizeInBytes())
        return QImage();
    const auto *bytes = reinterpret_cast<const uchar *>(argb.constData());
    for (int i = 0; i < image.width() * image.height(); ++i, bytes += 4)
        image.setPixel(i % image.width(), i / image.width(),
                       qRgba(bytes[1], bytes[2], bytes[3], bytes[0]));
    return image;
}
