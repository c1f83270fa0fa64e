#include "tests/tools/testprocess.h"

#include "tests/tools/endwithparent.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <unistd.h>

namespace {

bool copyTree(const QString &from, const QString &to)
{
    QDir source(from);
    if (!QDir().mkpath(to))
        return false;
    const auto entries
            = source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!copyTree(entry.filePath(), target))
                return false;
        } else if (!QFile::copy(entry.filePath(), target)) {
            return false;
        }
    }
    return true;
}

} // namespace

StagedInstallation::StagedInstallation()
{
    const QString stage = QStringLiteral(PELLAR_STAGE_DIR);
    if (!m_dir.isValid())
        return;
    // The executable is hard-linked (a symbolic link would resolve back to the stage);
    // the data is copied so that a test may change it.
    m_valid = copyTree(stage + QStringLiteral("/share"), root() + QStringLiteral("/share"))
            && copyTree(stage + QStringLiteral("/bin"), binDir());
    if (m_valid) {
        QFile::remove(executable());
        const QByteArray from = QFile::encodeName(stage + QStringLiteral("/bin/pellar"));
        const QByteArray to = QFile::encodeName(executable());
        if (::link(from.constData(), to.constData()) != 0)
            m_valid = QFile::copy(stage + QStringLiteral("/bin/pellar"), executable());
    }
    const QPair<const char *, QString> privateDirs[]
            = {{"XDG_CONFIG_HOME", configHome()}, {"XDG_RUNTIME_DIR", runtimeDir()}};
    for (const auto &[name, path] : privateDirs) {
        m_valid = m_valid && QDir().mkpath(path)
                && QFile::setPermissions(path,
                                         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_savedEnvironment.append({name,
                                   qEnvironmentVariableIsSet(name)
                                           ? std::optional<QByteArray>(qgetenv(name))
                                           : std::nullopt});
        qputenv(name, QFile::encodeName(path));
    }
}

StagedInstallation::~StagedInstallation()
{
    for (const auto &[name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

TestProcess::TestProcess()
    : m_environment(QProcessEnvironment::systemEnvironment())
{ }

TestProcess::~TestProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void TestProcess::setEnvironmentValue(const QString &name, const QString &value)
{
    m_environment.insert(name, value);
}

void TestProcess::start(const QString &program, const QStringList &arguments,
                        const QString &workingDirectory)
{
    m_process.setProcessEnvironment(m_environment);
    endWithParent(m_process);
    if (!workingDirectory.isEmpty())
        m_process.setWorkingDirectory(workingDirectory);
    m_process.start(program, arguments);
    m_process.waitForStarted(5000);
}

void TestProcess::collect()
{
    m_stderr += QString::fromLocal8Bit(m_process.readAllStandardError());
    m_stdout += QString::fromLocal8Bit(m_process.readAllStandardOutput());
}

QString TestProcess::stdErr()
{
    collect();
    return m_stderr;
}

QString TestProcess::stdOut()
{
    collect();
    return m_stdout;
}

static bool waitFor(QProcess &process, const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        if (process.state() == QProcess::NotRunning)
            return done();
        process.waitForReadyRead(50);
    }
    return true;
}

bool TestProcess::waitForStderr(const QRegularExpression &pattern, int timeoutMs)
{
    return waitFor(
            m_process, [&] { return pattern.match(stdErr()).hasMatch(); }, timeoutMs);
}

bool TestProcess::waitForStdout(const QRegularExpression &pattern, int timeoutMs)
{
    return waitFor(
            m_process, [&] { return pattern.match(stdOut()).hasMatch(); }, timeoutMs);
}

bool TestProcess::waitForFinished(int timeoutMs)
{
    const bool finished
            = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    collect();
    return finished;
}

void TestProcess::terminate()
{
    if (m_process.state() != QProcess::NotRunning)
        ::kill(pid_t(m_process.processId()), SIGTERM);
}
