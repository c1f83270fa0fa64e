#include "discovery/rawfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RawFile::RawFile(const QString &name)
    : QFile(name)
{ }

bool RawFile::open(OpenMode mode)
{
    int flags = O_CLOEXEC;
    if ((mode & ReadWrite) == ReadWrite)
        flags |= O_RDWR | O_CREAT;
    else if (mode & WriteOnly)
        flags |= O_WRONLY | O_CREAT;
    else
        flags |= O_RDONLY;
    if ((mode & WriteOnly) && (mode & Truncate))
        flags |= O_TRUNC;
    if (mode & Append)
        flags |= O_APPEND;

    const int fd = ::open(QFile::encodeName(fileName()).constData(), flags, 0666);
    if (fd < 0) {
        setErrorString(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct stat info
    {
    };
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    m_sequential = !regular || (info.st_size == 0 && (mode & ReadOnly));
    if (!QFile::open(fd, mode | Unbuffered, AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool RawFile::isSequential() const
{
    return isOpen() ? m_sequential : QFile::isSequential();
}
