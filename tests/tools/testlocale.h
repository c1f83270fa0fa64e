#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// Makes the environment name a locale that the machine need not have: a private locale
// directory (LOCPATH) holds the C.UTF-8 data under that name, so that setlocale accepts the name
// and reports it. LC_ALL and LOCPATH are restored when it ends.
class TestLocale
{
public:
    explicit TestLocale(const QByteArray &name);
    ~TestLocale();
    TestLocale(const TestLocale &) = delete;
    TestLocale &operator=(const TestLocale &) = delete;

    bool isValid() const { return m_valid; }

private:
    QTemporaryDir m_dir;
    QByteArray m_savedAll;
    QByteArray m_savedPath;
    bool m_hadAll;
    bool m_hadPath;
    bool m_valid = false;
};
