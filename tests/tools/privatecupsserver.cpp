#include "tests/tools/privatecupsserver.h"

#include "tests/tools/loopbackport.h"

#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <sys/stat.h>

namespace {

const int kTimeoutMs = 10000;

} // namespace

PrivateCupsServer::PrivateCupsServer()
    : m_dir(QDir::tempPath() + QStringLiteral("/pellar-cups-XXXXXX"))
{ }

PrivateCupsServer::~PrivateCupsServer()
{
    stop();
}

bool PrivateCupsServer::wrapNotifiers(const QString &directory)
{
    const QString system = QStringLiteral("/usr/lib/cups/notifier");
    // The machine's folder is linked in at first; a restart finds the wrappers in place.
    if ((QFileInfo(directory).isSymLink() && !QFile::remove(directory))
        || !QDir().mkpath(directory))
        return false;
    QByteArray exports;
    for (const QString &variable : std::as_const(m_notifierEnvironment))
        exports += "export '" + variable.toUtf8() + "'\n";
    for (const QString &notifier : QDir(system).entryList(QDir::Files)) {
        const QString wrapper = directory + QLatin1Char('/') + notifier;
        if (!writeFile(wrapper,
                       "#!/bin/sh\n" + exports + "exec " + QFile::encodeName(system) + "/"
                               + QFile::encodeName(notifier) + " \"$@\"\n")
            || !QFile::setPermissions(wrapper,
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther))
            return false;
    }
    return true;
}

bool PrivateCupsServer::start()
{
    if (!m_dir.isValid())
        return false;
    const QString dir = m_dir.path();
    // Backends and filters run as lp: they must reach the spool.
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                  | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                  | QFileDevice::ReadOther | QFileDevice::ExeOther);
    for (const char *sub :
         {"root/ppd", "root/ssl", "spool", "cache", "state", "log", "tmp", "bin/backend"})
        QDir().mkpath(dir + QLatin1Char('/') + QLatin1String(sub));
    // The machine's programs, and backends of its own.
    const QString system = QStringLiteral("/usr/lib/cups");
    for (const QString &entry : QDir(system).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("backend"))
            QFile::link(system + QLatin1Char('/') + entry, dir + "/bin/" + entry);
    }
    // As cupsd's own temporary folder: its programs run as lp and keep files there (the D-Bus
    // notifier its lock).
    if (::chmod(QFile::encodeName(dir + "/tmp").constData(), 01777) != 0)
        return false;
    if (!m_notifierEnvironment.isEmpty() && !wrapNotifiers(dir + "/bin/notifier"))
        return false;
    for (const QString &backend :
         QDir(system + "/backend").entryList(QDir::Files | QDir::NoDotAndDotDot))
        QFile::link(system + "/backend/" + backend, dir + "/bin/backend/" + backend);
    const QString mfp = dir + "/bin/backend/mfp";
    if (!writeFile(mfp, "#!/bin/sh\n[ $# -eq 0 ] && exit 0\ncat \"${6:--}\" >/dev/null\nexit 0\n")
        || !QFile::setPermissions(mfp,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                          | QFileDevice::ExeOther))
        return false;
    const QByteArray d = QFile::encodeName(dir);
    m_tcpPort = m_tcpListener ? freeLoopbackPort() : 0;
    const QByteArray tcp
            = m_tcpPort ? "Listen 127.0.0.1:" + QByteArray::number(m_tcpPort) + "\n" : QByteArray();
    const QByteArray conf = tcp + "Listen " + d + "/cups.sock\nLogLevel warn\nAccessLogLevel "
            + (m_quietAccessLog ? "actions" : "all") + "\nWebInterface "
            + (m_webInterface ? "Yes" : "No")
            + "\n"
              "Browsing No\nPreserveJobHistory Yes\nMaxJobs 0\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
    const QByteArray files = "ServerRoot " + d + "/root\nRequestRoot " + d + "/spool\nCacheDir " + d
            + "/cache\nStateDir " + d + "/state\nTempDir " + d + "/tmp\nAccessLog " + d
            + "/log/access_log\nErrorLog " + d + "/log/error_log\nPageLog " + d
            + "/log/page_log\nServerBin " + d + "/bin\nUser lp\nGroup lp\nSystemGroup root\n";
    if (!writeFile(dir + "/cupsd.conf", conf) || !writeFile(dir + "/root/cupsd.conf", conf)
        || !writeFile(dir + "/cups-files.conf", files))
        return false;

    m_cupsd.setStandardInputFile(QProcess::nullDevice());
    m_cupsd.setStandardOutputFile(QProcess::nullDevice());
    m_cupsd.setStandardErrorFile(dir + "/log/stderr");
    // In the foreground (-f): the process that ends with the test is the server itself.
    endWithParent(m_cupsd);
    m_cupsd.start(QStringLiteral("/usr/sbin/cupsd"),
                  {"-f", "-c", dir + "/cupsd.conf", "-s", dir + "/cups-files.conf"});
    if (!m_cupsd.waitForStarted(kTimeoutMs))
        return false;
    QDeadlineTimer deadline(kTimeoutMs);
    while (!deadline.hasExpired() && isRunning()) {
        QString output;
        if (QFile::exists(socketPath()) && run("lpstat", {"-r"}, &output) == 0
            && output.contains("scheduler is running"))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void PrivateCupsServer::stop()
{
    if (!isRunning())
        return;
    ::kill(pid_t(m_cupsd.processId()), SIGTERM);
    if (!m_cupsd.waitForFinished(kTimeoutMs)) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(kTimeoutMs);
    }
}

int PrivateCupsServer::run(const QString &program, QStringList arguments, QString *output,
                           const QByteArray &input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    arguments.prepend(socketPath());
    arguments.prepend("-h");
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(kTimeoutMs);
        return -1;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool PrivateCupsServer::addQueue(const QString &name, const QString &deviceUri, const QString &ppd)
{
    QStringList arguments{"-p", name, "-E", "-v", deviceUri};
    arguments << (ppd.isEmpty() ? QStringList{"-m", "raw"} : QStringList{"-P", ppd});
    return run("lpadmin", arguments) == 0;
}

bool PrivateCupsServer::addDriverlessQueue(const QString &name, const QString &deviceUri)
{
    return run("lpadmin", {"-p", name, "-E", "-v", deviceUri, "-m", "everywhere"}) == 0;
}

bool PrivateCupsServer::removeQueue(const QString &name)
{
    return run("lpadmin", {"-x", name}) == 0;
}

bool PrivateCupsServer::setQueueEnabled(const QString &name, bool enabled)
{
    return run(enabled ? "cupsenable" : "cupsdisable", {name}) == 0;
}

int PrivateCupsServer::submitJob(const QString &queue, bool held)
{
    QStringList arguments{"-d", queue, "-t", "pellar test"};
    if (held)
        arguments << "-H"
                  << "hold";
    QString output;
    if (run("lp", arguments, &output, "pellar test job\n") != 0)
        return -1;
    const auto match = QRegularExpression(R"(request id is \S+-(\d+))").match(output);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool PrivateCupsServer::releaseJob(int id)
{
    return run("lp", {"-i", QString::number(id), "-H", "resume"}) == 0;
}

bool PrivateCupsServer::cancelJob(int id)
{
    return run("cancel", {QString::number(id)}) == 0;
}

bool PrivateCupsServer::purgeJobs()
{
    return run("cancel", {"-a", "-x"}) == 0;
}

int PrivateCupsServer::jobCount(bool completed)
{
    QString output;
    if (run("lpstat", {"-W", completed ? "completed" : "not-completed", "-o"}, &output) != 0)
        return -1;
    return int(output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}
