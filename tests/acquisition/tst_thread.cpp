// Scheduling of the polling threads: a new thread inherits its creator's real-time priority.
#include "acquisition/thread.h"

#include <QTest>

#include <atomic>
#include <sched.h>

namespace {

class Probe : public Thread
{
public:
    // Atomic: QThread::wait() joins inside QtCore, where ThreadSanitizer cannot see it.
    std::atomic<int> seenPolicy{-2};
    std::atomic<int> seenPriority{-2};

protected:
    void run() override
    {
        seenPolicy = currentPolicy();
        seenPriority = currentPriority();
    }
};

} // namespace

class TestThread : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheCallersScheduling();
    void startWithPriorityIsInheritedByTheNewThread();
};

void TestThread::readsTheCallersScheduling()
{
    int policy = -2;
    int priority = -2;
    QVERIFY(Thread::getScheduling(&policy, &priority));
    QCOMPARE(policy, SCHED_OTHER);
    QCOMPARE(priority, 0);
    QCOMPARE(Thread::currentPolicy(), SCHED_OTHER);
    // 150 is clamped to 100, which SCHED_FIFO does not have (1..99).
    QVERIFY(!Thread::setPriority(150));
    QCOMPARE(Thread::currentPolicy(), SCHED_OTHER);
}

void TestThread::startWithPriorityIsInheritedByTheNewThread()
{
    Probe normal;
    normal.start();
    QVERIFY(normal.wait(5000));
    QCOMPARE(normal.seenPolicy.load(), SCHED_OTHER);
    QCOMPARE(normal.priority(), -1);

    Probe raised;
    raised.startWithPriority(20);
    QVERIFY(raised.wait(5000));
    const int creatorPolicy = Thread::currentPolicy();
    Thread::setScheduling(SCHED_OTHER, 0);
    if (creatorPolicy != SCHED_FIFO)
        QSKIP("no right to real-time scheduling here: every thread keeps the normal policy");
    QCOMPARE(raised.priority(), 20);
    QCOMPARE(raised.seenPolicy.load(), SCHED_FIFO);
    QCOMPARE(raised.seenPriority.load(), 20);
}

QTEST_GUILESS_MAIN(TestThread)
#include "tst_thread.moc"
