#include "ordinaryaccount.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

OrdinaryAccount::OrdinaryAccount(const QString &name)
    : m_name(name)
{
    const struct passwd *entry = getpwnam(name.toLocal8Bit().constData());
    if (!entry || entry->pw_uid == 0 || geteuid() != 0 || !m_dir.isValid())
        return;
    m_uid = entry->pw_uid;
    m_gid = entry->pw_gid;
    const QByteArray dir = QFile::encodeName(m_dir.path());
    const QByteArray homeDir = QFile::encodeName(home());
    const QByteArray runtime = homeDir + "/.run";
    m_valid = ::chmod(dir.constData(), 0755) == 0 && QDir().mkpath(sharedDir())
            && QDir().mkpath(QString::fromLocal8Bit(runtime))
            && ::chown(homeDir.constData(), m_uid, m_gid) == 0
            && ::chmod(homeDir.constData(), 0700) == 0
            && ::chown(runtime.constData(), m_uid, m_gid) == 0
            && ::chmod(runtime.constData(), 0700) == 0;
}

QString OrdinaryAccount::readableCopy(const QString &file) const
{
    const QString copy = sharedDir() + QLatin1Char('/') + QFileInfo(file).fileName();
    if (!QFileInfo::exists(copy))
        QFile::copy(file, copy);
    ::chmod(QFile::encodeName(copy).constData(), 0755);
    return copy;
}

void OrdinaryAccount::prepare(QProcess &process, QProcessEnvironment environment) const
{
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("USER"), m_name);
    environment.insert(QStringLiteral("LOGNAME"), m_name);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home() + QStringLiteral("/.run"));
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment.remove(QLatin1String(variable));
    // Libraries and files of the build tree sit in folders the account may not enter.
    QStringList preload = environment.value(QStringLiteral("LD_PRELOAD"))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &library : preload) {
        if (!library.startsWith(QLatin1String("/usr/")))
            library = readableCopy(library);
    }
    if (!preload.isEmpty())
        environment.insert(QStringLiteral("LD_PRELOAD"), preload.join(QLatin1Char(' ')));
    const QRegularExpression suppressions(QStringLiteral("suppressions=([^:]+)"));
    const QString leaks = environment.value(QStringLiteral("LSAN_OPTIONS"));
    const QRegularExpressionMatch match = suppressions.match(leaks);
    if (match.hasMatch()) {
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           QString(leaks).replace(match.capturedStart(1), match.capturedLength(1),
                                                  readableCopy(match.captured(1))));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home());

    const uid_t uid = m_uid;
    const gid_t gid = m_gid;
    const pid_t parent = getpid();
    process.setChildProcessModifier([uid, gid, parent] {
        if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0
            || setresuid(uid, uid, uid) != 0)
            _exit(126);
        // After the change of account, which clears it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
    });
}

bool OrdinaryAccount::openToAll(const QString &path)
{
    bool ok = ::chmod(QFile::encodeName(path).constData(), 0777) == 0;
    QDirIterator files(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo entry(files.next());
        if (entry.isSymLink())
            continue;
        ok = ::chmod(QFile::encodeName(entry.filePath()).constData(), entry.isDir() ? 0777 : 0666)
                        == 0
                && ok;
    }
    return ok;
}
