#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// An unprivileged account on this machine for Pellar to run as, the way people run it: a home
// and a runtime folder of its own made for the run, nothing of root's. The test stays root and
// keeps its servers; only the program it starts drops to the account.
class OrdinaryAccount
{
public:
    explicit OrdinaryAccount(const QString &name);

    // False when the account does not exist or this process cannot act as it (not root).
    bool isValid() const { return m_valid; }
    QString name() const { return m_name; }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    // Where the account may read what the test puts there (an installation, a library).
    QString sharedDir() const { return m_dir.path() + QStringLiteral("/shared"); }

    // `process` starts as the account, with `environment` made its own: home, runtime folder,
    // user name, and the preloaded libraries and sanitizer files copied where it can read them.
    void prepare(QProcess &process, QProcessEnvironment environment) const;
    // Lets every account read and write a tree the test made (a simulation's files).
    static bool openToAll(const QString &path);

private:
    QString readableCopy(const QString &file) const;

    QString m_name;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    QTemporaryDir m_dir;
    bool m_valid = false;
};
