#pragma once

#include <QString>

// One Pellar per user and desktop session: an exclusive lock on a file in the session's runtime
// directory. The kernel drops the lock with the process however it ends, and the directory goes
// with the session, so neither an ended instance nor another account ever stands in the way.
class InstanceLock
{
public:
    enum class Claim { Claimed, HeldByAnother, Unguarded };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // "$XDG_RUNTIME_DIR/pellar.lock" when that is a directory of this user's; otherwise
    // "/tmp/pellar-UID/pellar.lock" in a directory made private to this user. Empty, with a log
    // line, when no such directory can be had.
    static QString defaultPath();

    // Takes the lock at the path, writing this process's id into the file. A lock another
    // process holds gives HeldByAnother; a file that cannot be made or locked gives Unguarded.
    Claim claim(const QString &path);
    // The process id written by the holder, or 0 when it cannot be read.
    qint64 holder() const { return m_holder; }
    QString path() const { return m_path; }

private:
    int m_fd = -1;
    qint64 m_holder = 0;
    QString m_path;
};
