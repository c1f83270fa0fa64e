#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

// Stands in for the window: records every custom event posted to it, in order, as a copy made
// by the given function (events are deleted after delivery).
class EventRecorder : public QObject
{
public:
    struct Record
    {
        int type = 0;
        std::shared_ptr<QEvent> copy;
    };

    using Copier = std::function<QEvent *(const QEvent *)>;

    explicit EventRecorder(Copier copier = nullptr)
        : m_copier(std::move(copier))
    { }

    const QList<Record> &records() const { return m_records; }
    int count(int type) const
    {
        return int(std::count_if(m_records.begin(), m_records.end(),
                                 [type](const Record &r) { return r.type == type; }));
    }
    void clear() { m_records.clear(); }

    // Delivers posted events until the predicate holds or the time is up.
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(this);
        }
        return true;
    }

    // Delivers what was posted before now: by this thread, or by another before the marker of
    // its progress that the test waited for.
    void deliverPending() { QCoreApplication::sendPostedEvents(this); }

protected:
    void customEvent(QEvent *event) override
    {
        Record record;
        record.type = int(event->type());
        if (m_copier)
            record.copy.reset(m_copier(event));
        m_records.append(record);
    }

private:
    Copier m_copier;
    QList<Record> m_records;
};
