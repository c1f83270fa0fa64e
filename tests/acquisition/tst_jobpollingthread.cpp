// The job polling thread against a CUPS server of the test's own.
#include "acquisition/jobpollingthread.h"
#include "cups/cups.h"
#include "tests/tools/cupsfixture.h"
#include "tests/tools/eventrecorder.h"
#include "tests/tools/logcapture.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/snifixture.h"
#include "tests/tools/testfiles.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

namespace {

struct JobEvent
{
    bool completed;
    QString destination;
    bool network;
};

QEvent *copyJobEvent(const QEvent *event)
{
    if (event->type() != JobChangedEvent::kType)
        return nullptr;
    const auto *job = static_cast<const JobChangedEvent *>(event);
    return new JobChangedEvent(job->completed, job->destination, job->network);
}

QList<JobEvent> jobEvents(const EventRecorder &recorder)
{
    QList<JobEvent> events;
    for (const auto &record : recorder.records()) {
        if (const auto *job = dynamic_cast<const JobChangedEvent *>(record.copy.get()))
            events.append({job->completed, job->destination, job->network});
    }
    return events;
}

// The thread under test: with the D-Bus notifier it checks its subscription often enough for a
// test to see it tick, and it ends before it goes, also when a check fails halfway.
class TestedThread : public JobPollingThread
{
public:
    TestedThread(QObject *receiver, int way)
        : JobPollingThread(receiver)
    {
        setWay(JobEventSource::Way(way));
        setCheckInterval(200);
    }
    ~TestedThread() override
    {
        stop();
        wait();
    }
};

// To see that nothing more arrives: two whole polls after now have posted what they found.
bool twoMorePolls(EventRecorder &recorder, const JobPollingThread &thread)
{
    const int done = thread.completedPolls();
    const bool passed = recorder.waitFor([&] { return thread.completedPolls() >= done + 3; });
    recorder.deliverPending();
    return passed;
}

} // namespace

class TestJobPollingThread : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data();
    void initTestCase();
    void init();
    void idListsMatchTheFullJobLists();
    void firstNewJobOfEachListIsReportedOnce();
    void jobSeenUnfinishedThenCompletedGivesTwoEvents();
    void twoNewJobsInOnePollGiveOneEventAndListsSurviveRestart();
    void serverRestartAnnouncesNoOldJobAndLoopStaysLive();
    void withoutLibraryNothingIsReportedAndStopIsPrompt();
    void unreachableServerIsLoggedOncePerOutage();
    void idleSubscriptionIsNotRenewedEveryFewSeconds();

private:
    PrivateSessionBus m_systemBus{PrivateSessionBus::System};
    PrivateCupsServer m_server;
    LoopbackPrinterPort m_port;
    const QString m_heldQueue = QStringLiteral("pellar_held");
    const QString m_printQueue = QStringLiteral("pellar_print");
};

void TestJobPollingThread::initTestCase()
{
    // The system bus of cupsd's D-Bus notifier and of the thread is one of the test's own.
    QVERIFY(m_systemBus.isRunning());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus.address().toUtf8());
    m_server.setNotifierEnvironment("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus.address());
    QVERIFY(m_server.start());
    QVERIFY(m_port.isListening());
    qputenv("CUPS_SERVER", QFile::encodeName(m_server.socketPath()));
    QVERIFY(m_server.addQueue(m_heldQueue, m_port.deviceUri()));
    QVERIFY(m_server.addQueue(m_printQueue, m_port.deviceUri()));
    // Jobs of a stopped queue stay pending.
    QVERIFY(m_server.setQueueEnabled(m_heldQueue, false));
}

// Every case runs once for each way of learning of new jobs.
void TestJobPollingThread::initTestCase_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("lists") << int(JobEventSource::Lists);
    QTest::newRow("pull") << int(JobEventSource::Pull);
    QTest::newRow("signals") << int(JobEventSource::Signals);
}

void TestJobPollingThread::init()
{
    QVERIFY(m_server.isRunning() || m_server.start());
    QVERIFY(m_server.purgeJobs());
    QTRY_COMPARE(m_server.jobCount(false) + m_server.jobCount(true), 0);
    CUPS::setLibraryNames({});
}

void TestJobPollingThread::idListsMatchTheFullJobLists()
{
    // The thread polls ids only; they must be the full lists' ids in the same order.
    for (int i = 0; i < 3; ++i)
        QVERIFY(m_server.submitJob(m_printQueue) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.jobCount(true), 3, 10000);
    QVERIFY(m_server.submitJob(m_heldQueue) > 0);
    QVERIFY(m_server.submitJob(m_heldQueue, true) > 0);

    CUPS cups;
    for (bool completed : {false, true}) {
        const QList<CupsJob> jobs = cups.getJobs(false, completed);
        const std::optional<QList<qint32>> ids = cups.getJobIds(completed);
        QVERIFY(ids.has_value());
        QCOMPARE(ids->size(), completed ? 3 : 2);
        QCOMPARE(ids->size(), jobs.size());
        for (qsizetype i = 0; i < jobs.size(); ++i) {
            QCOMPARE(ids->at(i), jobs.at(i).id);
            QCOMPARE(cups.getJobDestination(jobs.at(i).id), jobs.at(i).dest);
        }
    }
    QCOMPARE(cups.getJobDestination(999999), QString());
    // The unfinished list tells the queues with own active jobs as the job list of each would.
    QSet<QString> own;
    QVERIFY(cups.getJobIds(false, &own).has_value());
    QVERIFY(own.contains(m_heldQueue));
    for (const QString &queue : {m_heldQueue, m_printQueue})
        QCOMPARE(own.contains(queue), cups.hasActiveJobs(queue, true));

    // A subscription is renewed while the server knows it, and not once cancelled.
    const int subscription = cups.subscribeToJobs(QString(), 60);
    QVERIFY(subscription > 0);
    QVERIFY(cups.renewSubscription(subscription, 60));
    cups.cancelSubscription(subscription);
    QVERIFY(!cups.renewSubscription(subscription, 60));
}

void TestJobPollingThread::firstNewJobOfEachListIsReportedOnce()
{
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(recorder.records().size(), 0);
    QCOMPARE(int(thread.way()), way);

    QVERIFY(m_server.submitJob(m_heldQueue) > 0);
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 1; }));
    QVERIFY(twoMorePolls(recorder, thread));
    const QList<JobEvent> events = jobEvents(recorder);
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.first().completed, false);
    QCOMPARE(events.first().destination, m_heldQueue);
    QCOMPARE(events.first().network, false);

    thread.stop();
    QVERIFY(thread.wait(5000));
}

void TestJobPollingThread::jobSeenUnfinishedThenCompletedGivesTwoEvents()
{
    QVERIFY(m_server.setQueueEnabled(m_printQueue, false));
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(m_server.submitJob(m_printQueue) > 0);
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 1; }));
    QVERIFY(m_server.setQueueEnabled(m_printQueue, true));
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 2; }));
    QVERIFY(twoMorePolls(recorder, thread));

    const QList<JobEvent> events = jobEvents(recorder);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events.at(0).completed, false);
    QCOMPARE(events.at(0).destination, m_printQueue);
    QCOMPARE(events.at(1).completed, true);
    QCOMPARE(events.at(1).destination, m_printQueue);
    thread.stop();
    QVERIFY(thread.wait(5000));
}

void TestJobPollingThread::twoNewJobsInOnePollGiveOneEventAndListsSurviveRestart()
{
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(twoMorePolls(recorder, thread));
    thread.stop();
    QVERIFY(thread.wait(5000));

    // Both jobs are new to the first poll after the restart.
    QVERIFY(m_server.submitJob(m_heldQueue) > 0);
    QVERIFY(m_server.submitJob(m_heldQueue, true) > 0);
    thread.start();
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 1; }));
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(jobEvents(recorder).size(), 1);
    QCOMPARE(jobEvents(recorder).first().destination, m_heldQueue);
    thread.stop();
    QVERIFY(thread.wait(5000));

    // Seen jobs are not reported again after another stop and start.
    thread.start();
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(jobEvents(recorder).size(), 1);
    thread.stop();
    QVERIFY(thread.wait(5000));
}

void TestJobPollingThread::serverRestartAnnouncesNoOldJobAndLoopStaysLive()
{
    QVERIFY(m_server.submitJob(m_heldQueue) > 0);
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 1; }));

    m_server.stop();
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(recorder.records().size(), 1);

    // Back again, the server lists the same pending job: not new. A new one is.
    QVERIFY(m_server.start());
    QVERIFY(twoMorePolls(recorder, thread));
    QVERIFY(m_server.submitJob(m_printQueue, true) > 0);
    QVERIFY(recorder.waitFor([&] { return recorder.records().size() == 2; }));
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(jobEvents(recorder).size(), 2);
    QCOMPARE(jobEvents(recorder).at(1).destination, m_printQueue);

    QElapsedTimer timer;
    timer.start();
    thread.stop();
    QVERIFY(thread.wait(5000));
    qInfo("stop() to end: %lld ms", timer.elapsed());
}

void TestJobPollingThread::withoutLibraryNothingIsReportedAndStopIsPrompt()
{
    QVERIFY(m_server.submitJob(m_heldQueue) > 0);
    CUPS::setLibraryNames({QStringLiteral("libpellar-no-such-cups.so")});
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(twoMorePolls(recorder, thread));
    QCOMPARE(recorder.records().size(), 0);
    QVERIFY(thread.isRunning());
    thread.stop();
    QVERIFY(thread.wait(5000));
    CUPS::setLibraryNames({});
}

void TestJobPollingThread::unreachableServerIsLoggedOncePerOutage()
{
    EventRecorder recorder(copyJobEvent);
    QFETCH_GLOBAL(int, way);
    TestedThread thread(&recorder, way);
    thread.start();
    QVERIFY(twoMorePolls(recorder, thread));
    LogCapture log;
    m_server.stop();
    QTest::qWait(3000);
    QCOMPARE(log.count(QStringLiteral("CUPS: request 0x")), 1);
}

// Each renewal makes cupsd rewrite its subscriptions file: a lease of an hour is renewed within
// the hour, not every few seconds all day.
void TestJobPollingThread::idleSubscriptionIsNotRenewedEveryFewSeconds()
{
    QFETCH_GLOBAL(int, way);
    if (way != JobEventSource::Signals)
        QSKIP("Only the D-Bus way keeps a subscription without fetching from it");
    EventRecorder recorder(copyJobEvent);
    LogCapture log;
    JobPollingThread thread(&recorder);
    const auto stop = qScopeGuard([&thread] {
        thread.stop();
        thread.wait();
    });
    thread.setWay(JobEventSource::Signals);
    thread.start();
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("JobEventSource: subscription ")), 10000);
    const int before = readFile(m_server.accessLog()).count("Renew-Subscription");
    QTest::qWait(5000);
    QCOMPARE(readFile(m_server.accessLog()).count("Renew-Subscription"), before);
}

QTEST_GUILESS_MAIN(TestJobPollingThread)
#include "tst_jobpollingthread.moc"
