#pragma once

#include <QThread>

// A QThread that may be started with a real-time priority. The scheduling operations act on
// the calling thread: a new thread inherits its creator's scheduling, so the creator raises
// itself around the start. QThread::start stays as it is: a start through a QThread* is a plain
// start.
class Thread : public QThread
{
    Q_OBJECT

public:
    explicit Thread(QObject *parent = nullptr);

    // When priority is not -1, SCHED_FIFO with that priority is applied to the caller first.
    void startWithPriority(int priority);
    // That of the last startWithPriority; -1 when none.
    int priority() const { return m_priority; }

    static int currentPriority();
    static int currentPolicy();
    static bool getScheduling(int *policy, int *priority);
    // Clamped to 0..100, applied with SCHED_FIFO.
    static bool setPriority(int priority);
    static bool setScheduling(int policy, int priority);

protected:
    void run() override = 0;

private:
    int m_priority = -1;
};
