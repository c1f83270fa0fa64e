#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the diagnostic log of the current test while it lives (GUI thread only).
class LogCapture
{
public:
    LogCapture()
    {
        lines().clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }

    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // Lines that contain the text.
    int count(const QString &text) const
    {
        int n = 0;
        for (const QString &line : lines())
            n += line.contains(text) ? 1 : 0;
        return n;
    }
    bool contains(const QString &text) const { return count(text) > 0; }
    QString all() const { return lines().join(QLatin1Char('\n')); }
    void clear() { lines().clear(); }

private:
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        lines().append(message);
    }

    QtMessageHandler m_previous;
};
