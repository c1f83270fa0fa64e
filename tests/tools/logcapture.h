#pragma once

#include <QStringList>
#include <QTemporaryFile>

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

    // The messages without their time and thread ("hh:mm:ss.zzz[thread]> ").
    QStringList messages() const;
    // How many messages are exactly this text.
    int countMessage(const QString &message) const;
    bool containsMessage(const QString &message) const { return countMessage(message) > 0; }
};

// Standard error (the descriptor itself, as the USB layer writes it) while it exists. Keep it
// short-lived: a sanitizer report written meanwhile would land here.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // Every line written so far.
    QStringList lines() const;
    // The lines in the USB layer's format "dd//mm//YYYY:ms>  message", without that prefix.
    QStringList messages() const;

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};
