#include "tests/tools/logcapture.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace {

QMutex g_mutex;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType, const QMessageLogContext &, const QString &message)
{
    QMutexLocker lock(&g_mutex);
    g_lines.append(message);
}

} // namespace

LogCapture::LogCapture()
{
    clear();
    g_previous = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList LogCapture::lines() const
{
    // A copy of its own, made under the lock: a copy that still shares the list would be
    // detached later, while another thread's log line grows the list.
    QMutexLocker lock(&g_mutex);
    QStringList copy = g_lines;
    copy.detach();
    return copy;
}

QString LogCapture::text() const
{
    return lines().join(QLatin1Char('\n'));
}

int LogCapture::count(const QString &part) const
{
    int n = 0;
    for (const QString &line : lines())
        n += line.contains(part) ? 1 : 0;
    return n;
}

void LogCapture::clear()
{
    QMutexLocker lock(&g_mutex);
    g_lines.clear();
}

QStringList LogCapture::messages() const
{
    QStringList result;
    for (const QString &line : lines()) {
        const qsizetype marker = line.indexOf(QLatin1String("> "));
        result.append(marker >= 0 ? line.mid(marker + 2) : line);
    }
    return result;
}

int LogCapture::countMessage(const QString &message) const
{
    return int(messages().count(message));
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
