#include "tests/tools/cupsfixture.h"

#include "tests/tools/testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

const int kCommandTimeoutMs = 30000;
const int kServerTimeoutMs = 15000;
const char kCupsPidFile[] = "/run/cups/cupsd.pid";
const char kQueuePrefix[] = "pellar_t";

bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

qint64 readPid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 pid = file.readAll().trimmed().toLongLong(&ok);
    return ok ? pid : -1;
}

// Where the fixtures of all test programs on this machine agree about the server.
QString stateDirectory()
{
    const QString shared = QStringLiteral("/run/pellar-cupsfixture");
    if (QDir().mkpath(shared + QStringLiteral("/users")))
        return shared;
    const QString own = QDir::tempPath() + QStringLiteral("/pellar-cupsfixture-%1").arg(getuid());
    QDir().mkpath(own + QStringLiteral("/users"));
    return own;
}

// An exclusive lock on the shared state for as long as it lives.
class StateLock
{
public:
    explicit StateLock(const QString &dir)
        : m_fd(::open(QFile::encodeName(dir + QStringLiteral("/lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~StateLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    StateLock(const StateLock &) = delete;
    StateLock &operator=(const StateLock &) = delete;

private:
    int m_fd;
};

// User files are "<pid>-<serial>": several fixtures may live in one program.
void removeStaleUsers(const QString &usersDir)
{
    const auto users = QDir(usersDir).entryList(QDir::Files);
    for (const QString &user : users) {
        if (!processAlive(user.section(QLatin1Char('-'), 0, 0).toLongLong()))
            QFile::remove(usersDir + QLatin1Char('/') + user);
    }
}

void purgeQueue(const QString &name)
{
    CupsFixture::run(QStringLiteral("cancel"), {QStringLiteral("-a"), QStringLiteral("-x"), name});
    CupsFixture::run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
}

// Queues of test programs that died before they could remove them.
void removeOrphanQueues()
{
    QString names;
    if (CupsFixture::run(QStringLiteral("lpstat"), {QStringLiteral("-e")}, &names) != 0)
        return;
    static const QRegularExpression ours(QStringLiteral("^%1(\\d+)_").arg(kQueuePrefix));
    for (const QString &name : names.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto match = ours.match(name.trimmed());
        if (match.hasMatch() && !processAlive(match.captured(1).toLongLong()))
            purgeQueue(name.trimmed());
    }
}

int g_fixtureSerial = 0;

// The administration programs live in sbin, which a user's PATH may lack.
QString executable(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    const QString system = QStandardPaths::findExecutable(
            name,
            {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
    return system.isEmpty() ? name : system;
}

} // namespace

LoopbackPrinterPort::LoopbackPrinterPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || ::pipe2(m_wake, O_CLOEXEC) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_listener = fd;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

LoopbackPrinterPort::~LoopbackPrinterPort()
{
    if (m_thread.joinable()) {
        const char stop = 'q';
        if (::write(m_wake[1], &stop, 1) != 1)
            qWarning("LoopbackPrinterPort: cannot wake the port thread");
        m_thread.join();
    }
    for (int fd : {m_listener, m_wake[0], m_wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

QString LoopbackPrinterPort::deviceUri() const
{
    return QStringLiteral("socket://127.0.0.1:%1/?snmp=false").arg(m_port);
}

void LoopbackPrinterPort::serve()
{
    std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                fds.push_back({client, POLLIN, 0});
        }
        for (std::size_t i = 2; i < fds.size();) {
            if (!fds[i].revents) {
                ++i;
                continue;
            }
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0 || (n < 0 && errno == EINTR)) {
                ++i;
                continue;
            }
            // The backend has sent the whole job; closing our end lets it finish.
            ::close(fds[i].fd);
            fds.erase(fds.begin() + std::ptrdiff_t(i));
            ++m_jobs;
        }
    }
    for (std::size_t i = 2; i < fds.size(); ++i)
        ::close(fds[i].fd);
}

CupsFixture::CupsFixture()
{
    m_ready = acquireServer();
}

CupsFixture::~CupsFixture()
{
    const QStringList queues = m_queues;
    for (const QString &queue : queues)
        removeQueue(queue);
    releaseServer();
}

QString CupsFixture::projectPpd()
{
    return QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd");
}

int CupsFixture::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(executable(program), arguments);
    if (!process.waitForFinished(kCommandTimeoutMs)) {
        process.kill();
        process.waitForFinished(kCommandTimeoutMs);
        return -1;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool CupsFixture::serverRunning()
{
    QString text;
    // lpstat -r exits 0 either way: only its text tells.
    run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &text);
    return text.contains(QLatin1String("scheduler is running"));
}

bool CupsFixture::acquireServer()
{
    const QString dir = stateDirectory();
    const QString marker = dir + QStringLiteral("/started");
    StateLock lock(dir);
    removeStaleUsers(dir + QStringLiteral("/users"));

    if (serverRunning()) {
        // A marker from a server that has since gone (or been replaced) no longer holds.
        if (QFile::exists(marker) && readPid(marker) != readPid(QString::fromLatin1(kCupsPidFile)))
            QFile::remove(marker);
    } else {
        QFile::remove(marker);
        QProcess cupsd;
        // The daemon outlives this program: it must not hold on to the test's output.
        cupsd.setStandardInputFile(QProcess::nullDevice());
        cupsd.setStandardOutputFile(QProcess::nullDevice());
        cupsd.setStandardErrorFile(QProcess::nullDevice());
        cupsd.start(executable(QStringLiteral("cupsd")), {});
        if (!cupsd.waitForFinished(kServerTimeoutMs) || cupsd.exitCode() != 0) {
            m_error = QStringLiteral("cupsd did not start: %1").arg(cupsd.errorString());
            return false;
        }
        QDeadlineTimer deadline(kServerTimeoutMs);
        while (!serverRunning() && !deadline.hasExpired())
            QThread::msleep(20);
        const qint64 pid = readPid(QString::fromLatin1(kCupsPidFile));
        if (!serverRunning() || pid <= 0) {
            m_error = QStringLiteral("cupsd started but does not answer");
            return false;
        }
        writeFile(marker, QByteArray::number(pid));
    }
    writeFile(dir + QStringLiteral("/users/%1-%2").arg(getpid()).arg(++g_fixtureSerial), "");
    removeOrphanQueues();
    return true;
}

void CupsFixture::releaseServer()
{
    if (!m_ready)
        return;
    const QString dir = stateDirectory();
    const QString usersDir = dir + QStringLiteral("/users");
    const QString marker = dir + QStringLiteral("/started");
    StateLock lock(dir);
    const QString me = QStringLiteral("%1-").arg(getpid());
    for (const QString &user : QDir(usersDir).entryList(QDir::Files)) {
        if (user.startsWith(me)) {
            QFile::remove(usersDir + QLatin1Char('/') + user);
            break;
        }
    }
    removeStaleUsers(usersDir);
    if (!QDir(usersDir).entryList(QDir::Files).isEmpty() || !QFile::exists(marker))
        return;
    const qint64 pid = readPid(marker);
    QFile::remove(marker);
    if (pid <= 0 || pid != readPid(QString::fromLatin1(kCupsPidFile)) || !processAlive(pid))
        return;
    ::kill(pid_t(pid), SIGTERM);
    QDeadlineTimer deadline(kServerTimeoutMs);
    while (processAlive(pid) && !deadline.hasExpired())
        QThread::msleep(20);
}

QString CupsFixture::addQueue(const QString &label, const QString &deviceUri, const QString &ppd)
{
    if (!m_ready)
        return QString();
    const QString name = QStringLiteral("%1%2_%3_%4")
                                 .arg(kQueuePrefix)
                                 .arg(getpid())
                                 .arg(++m_counter)
                                 .arg(label);
    QStringList arguments{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                          deviceUri};
    if (!ppd.isEmpty())
        arguments << QStringLiteral("-P") << ppd;
    QString output;
    if (run(QStringLiteral("lpadmin"), arguments, &output) != 0) {
        m_error = QStringLiteral("lpadmin %1: %2").arg(arguments.join(QLatin1Char(' ')), output);
        return QString();
    }
    m_queues.append(name);
    return name;
}

bool CupsFixture::removeQueue(const QString &name)
{
    m_queues.removeAll(name);
    purgeQueue(name);
    QString names;
    run(QStringLiteral("lpstat"), {QStringLiteral("-e")}, &names);
    return !names.split(QLatin1Char('\n')).contains(name);
}

bool CupsFixture::setQueueEnabled(const QString &name, bool enabled)
{
    return run(enabled ? QStringLiteral("cupsenable") : QStringLiteral("cupsdisable"), {name}) == 0;
}

int CupsFixture::submitJob(const QString &queue, bool held)
{
    const QString document = m_files.filePath(QStringLiteral("job.txt"));
    if (!QFile::exists(document) && !writeFile(document, "Pellar test page\f"))
        return -1;
    QStringList arguments{QStringLiteral("-d"), queue, QStringLiteral("-o"), QStringLiteral("raw")};
    if (held)
        arguments << QStringLiteral("-H") << QStringLiteral("hold");
    arguments << document;
    QString output;
    if (run(QStringLiteral("lp"), arguments, &output) != 0)
        return -1;
    // "request id is QUEUE-42 (1 file(s))"
    static const QRegularExpression requestId(QStringLiteral("request id is \\S+-(\\d+)"));
    const auto match = requestId.match(output);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool CupsFixture::cancelJob(int id)
{
    return run(QStringLiteral("cancel"), {QString::number(id)}) == 0;
}
