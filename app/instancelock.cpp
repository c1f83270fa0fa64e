#include "app/instancelock.h"

#include "base/functions.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLockName[] = "/pellar.lock";
const mode_t kPrivateDirectoryMode = 0700;
const mode_t kLockFileMode = 0600;
const size_t kMaxPidText = 32;

// Someone else's directory, or one others may write into, could hand us their lock file.
bool isPrivateDirectory(const QByteArray &path)
{
    struct stat info = {};
    return lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
            && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

qint64 readHolder(int fd)
{
    char text[kMaxPidText] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? QByteArray(text, int(n)).trimmed().toLongLong() : 0;
}

} // namespace

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        close(m_fd);
}

QString InstanceLock::defaultPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateDirectory(runtime))
        return QFile::decodeName(runtime) + QLatin1String(kLockName);
    if (!runtime.isEmpty())
        debugPrintf("InstanceLock: XDG_RUNTIME_DIR <%s> is not a private directory of ours",
                    runtime.constData());

    const QByteArray fallback = "/tmp/pellar-" + QByteArray::number(qulonglong(getuid()));
    if (mkdir(fallback.constData(), kPrivateDirectoryMode) != 0 && errno != EEXIST)
        debugPrintf("InstanceLock: can't make <%s>: %s", fallback.constData(), strerror(errno));
    if (!isPrivateDirectory(fallback)) {
        debugPrintf("InstanceLock: <%s> is not a private directory of ours", fallback.constData());
        return QString();
    }
    return QFile::decodeName(fallback) + QLatin1String(kLockName);
}

InstanceLock::Claim InstanceLock::claim(const QString &path)
{
    m_path = path;
    if (path.isEmpty())
        return Claim::Unguarded;
    const QByteArray name = QFile::encodeName(path);
    // Close-on-exec: a browser or settings tool started from here must not keep the lock alive.
    m_fd = open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kLockFileMode);
    if (m_fd < 0) {
        debugPrintf("InstanceLock: can't open <%s>: %s", name.constData(), strerror(errno));
        return Claim::Unguarded;
    }
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            m_holder = readHolder(m_fd);
            close(m_fd);
            m_fd = -1;
            return Claim::HeldByAnother;
        }
        debugPrintf("InstanceLock: can't lock <%s>: %s", name.constData(), strerror(error));
        close(m_fd);
        m_fd = -1;
        return Claim::Unguarded;
    }
    const QByteArray pid = QByteArray::number(qlonglong(getpid())) + '\n';
    if (ftruncate(m_fd, 0) != 0
        || pwrite(m_fd, pid.constData(), size_t(pid.size()), 0) != pid.size())
        debugPrintf("InstanceLock: can't write the process id to <%s>", name.constData());
    return Claim::Claimed;
}
