#include "ui/printingmode.h"

#include "base/functions.h"

PrintingMode::PrintingMode(QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PrintingMode::removeActiveJobsFromSpooler);
}

QString PrintingMode::toString() const
{
    return QString::asprintf(
            "\n\tisActive=%d\n\twasClosed=%d\n\thasActiveJobsInSpooler=%d\n\tm_timer.isActive()=%d",
            m_flags.isActive ? 1 : 0, m_flags.wasClosed ? 1 : 0,
            m_flags.hasActiveJobsInSpooler ? 1 : 0, m_timer.isActive() ? 1 : 0);
}

void PrintingMode::enter(bool hasActiveJobsInSpooler)
{
    debugPrintf("PrintingMode::enter(): { hasActiveJobsInSpooler=%d, %s",
                hasActiveJobsInSpooler ? 1 : 0, qPrintable(toString()));
    if (!m_flags.isActive) {
        m_flags.isActive = true;
        m_flags.wasClosed = false;
        // Set either way: a job just sent may not have reached the printer's job table yet.
        m_flags.hasActiveJobsInSpooler = true;
        if (!hasActiveJobsInSpooler)
            m_timer.start(kSpoolerFlagMs);
        Q_EMIT entered();
    }
    debugPrintf("PrintingMode::enter(): } %s", qPrintable(toString()));
}

void PrintingMode::leave(int msec)
{
    debugPrintf("PrintingMode::leave: { msec=%d, %s", msec, qPrintable(toString()));
    if (m_flags.isActive) {
        if (msec != 0) {
            QTimer::singleShot(msec, this, [this] { leave(0); });
        } else {
            removeActiveJobsFromSpooler();
            m_flags.isActive = false;
            Q_EMIT leaved();
        }
    }
    debugPrintf("PrintingMode::leave: } %s", qPrintable(toString()));
}

void PrintingMode::close()
{
    m_flags.wasClosed = true;
}

void PrintingMode::removeActiveJobsFromSpooler()
{
    debugPrintf("PrintingMode::removeActiveJobsFromSpooler: { %s", qPrintable(toString()));
    m_timer.stop();
    m_flags.hasActiveJobsInSpooler = false;
    debugPrintf("PrintingMode::removeActiveJobsFromSpooler: } %s", qPrintable(toString()));
}
