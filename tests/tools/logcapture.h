#pragma once

#include <QStringList>

// Collects the diagnostic log (every Qt message) while it lives, from any thread, and passes
// nothing on. One at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    // The whole log as one text, lines joined by '\n'.
    QString text() const;
    bool contains(const QString &part) const { return text().contains(part); }
    // How many lines contain the text.
    int count(const QString &part) const;
    void clear();
};
