#include "tests/tools/logcapture.h"

#include <QMutex>
#include <QMutexLocker>

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
    QMutexLocker lock(&g_mutex);
    return g_lines;
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
