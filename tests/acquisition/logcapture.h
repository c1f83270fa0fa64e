#pragma once

#include <QStringList>
#include <QTemporaryFile>

// The diagnostic log (debugPrintf) while it exists, from every thread: the messages without
// their time and thread.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList messages() const;
    int count(const QString &message) const;
    bool contains(const QString &message) const { return count(message) > 0; }
    void clear();

private:
    QtMessageHandler m_previous;
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
