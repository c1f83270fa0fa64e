#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A private copy of the staged installation in a temporary directory, so that every test has
// its own application directory; while it lives, the process's XDG_CONFIG_HOME and
// XDG_RUNTIME_DIR name private directories beside it, so that every Pellar and Configurator of
// the test keeps its state and its single-instance lock apart from the user's and other tests'.
class StagedInstallation
{
public:
    StagedInstallation();
    ~StagedInstallation();
    StagedInstallation(const StagedInstallation &) = delete;
    StagedInstallation &operator=(const StagedInstallation &) = delete;

    bool isValid() const { return m_valid; }
    QString root() const { return m_dir.path() + QStringLiteral("/Pellar"); }
    QString binDir() const { return root() + QStringLiteral("/bin"); }
    QString executable() const { return binDir() + QStringLiteral("/pellar"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString runtimeDir() const { return m_dir.path() + QStringLiteral("/runtime"); }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_savedEnvironment;
};

// A program started by a test, with its standard error and output collected as it comes.
class TestProcess
{
public:
    TestProcess();
    ~TestProcess();

    void start(const QString &program, const QStringList &arguments,
               const QString &workingDirectory = QString());
    void setEnvironmentValue(const QString &name, const QString &value);

    // Waits until the collected text matches; false after the time-out.
    bool waitForStderr(const QRegularExpression &pattern, int timeoutMs = 30000);
    bool waitForStdout(const QRegularExpression &pattern, int timeoutMs = 30000);
    bool waitForFinished(int timeoutMs = 30000);
    void terminate();

    QString stdErr();
    QString stdOut();
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

private:
    void collect();

    QProcess m_process;
    QProcessEnvironment m_environment;
    QString m_stderr;
    QString m_stdout;
};
