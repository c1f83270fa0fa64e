#include "logcapture.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace {

QMutex g_mutex;
QStringList g_messages;

void capture(QtMsgType, const QMessageLogContext &, const QString &line)
{
    const int marker = line.indexOf(QLatin1String("> "));
    QMutexLocker lock(&g_mutex);
    g_messages.append(marker >= 0 ? line.mid(marker + 2) : line);
}

} // namespace

LogCapture::LogCapture()
{
    clear();
    m_previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::messages() const
{
    QMutexLocker lock(&g_mutex);
    return g_messages;
}

int LogCapture::count(const QString &message) const
{
    QMutexLocker lock(&g_mutex);
    return int(g_messages.count(message));
}

void LogCapture::clear()
{
    QMutexLocker lock(&g_mutex);
    g_messages.clear();
}

StderrCapture::StderrCapture()
{
    fflush(stderr);
    if (m_file.open()) {
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
}

StderrCapture::~StderrCapture()
{
    if (m_saved >= 0) {
        fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
    }
}

QStringList StderrCapture::lines() const
{
    QFile file(m_file.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList StderrCapture::messages() const
{
    static const QRegularExpression prefix(QStringLiteral(R"(^\d\d//\d\d//\d{4}:\d{1,3}>  )"));
    QStringList result;
    for (const QString &line : lines()) {
        const QRegularExpressionMatch match = prefix.match(line);
        if (match.hasMatch())
            result.append(line.mid(match.capturedLength()));
    }
    return result;
}
