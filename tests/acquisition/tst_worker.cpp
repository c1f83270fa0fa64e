// The status worker against simulated USB and network printers, and against a scripted channel.
#include "acquisition/job.h"
#include "acquisition/pldevicenw.h"
#include "acquisition/pldeviceusb.h"
#include "acquisition/worker.h"
#include "acquisition/workerevents.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/eventrecorder.h"
#include "tests/tools/logcapture.h"
#include "usbsim.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTest>

namespace {

// A channel whose answers the test sets; for the job hosts that only network printers report.
class ScriptedChannel : public PlDevice
{
public:
    void set(const QByteArray &status, const QList<Job> &jobs)
    {
        QMutexLocker lock(&m_mutex);
        m_status = status;
        m_jobs = jobs;
    }
    QString requestStatusXML(int *retCode) override
    {
        if (retCode)
            *retCode = -1;
        return QString();
    }
    StatusBlock requestStatus_withRepeat(int *retCode) override
    {
        QMutexLocker lock(&m_mutex);
        StatusBlock block;
        for (int i = 0; i < StatusBlock::kPrinterBytes && i < m_status.size(); ++i)
            block[i] = quint8(m_status.at(i));
        if (retCode)
            *retCode = 8;
        return block;
    }
    QList<Job> getJobList(int *retCode) override
    {
        QMutexLocker lock(&m_mutex);
        if (retCode)
            *retCode = 75;
        return m_jobs;
    }
    bool isLocal() const override { return false; }
    QString toString() const override { return QStringLiteral("scripted"); }

private:
    QMutex m_mutex;
    QByteArray m_status;
    QList<Job> m_jobs;
};

QEvent *copyEvent(const QEvent *event)
{
    if (event->type() == PrinterStatusChangedEvent::kType)
        return new PrinterStatusChangedEvent(
                static_cast<const PrinterStatusChangedEvent *>(event)->status());
    return new QEvent(event->type());
}

QList<StatusBlock> statusEvents(const EventRecorder &recorder)
{
    QList<StatusBlock> blocks;
    for (const auto &record : recorder.records()) {
        if (const auto *event = dynamic_cast<const PrinterStatusChangedEvent *>(record.copy.get()))
            blocks.append(event->status());
    }
    return blocks;
}

Job job(const QString &user, int id, int status)
{
    Job j;
    j.user = user;
    j.id = QString::number(id);
    j.status = status;
    return j;
}

// A failed check returns early: the thread must end before the worker goes.
struct StopOnExit
{
    Worker &worker;
    ~StopOnExit()
    {
        worker.stop();
        worker.wait();
    }
};

const QByteArray kReady = QByteArray::fromHex("0101000064646464");
const QByteArray kTonerLow = QByteArray::fromHex("020301083c646464");

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void identicalPollsGiveOneEventAndOtherHostsAloneNoChange();
    void resumeAndNewDeviceForceTheNextReport();
    void jobBitsFoldIntoBytesEightAndNine();
    void networkJobsOfThisMachineByItsAddresses();
    void noDeviceGivesOneZeroBlock();
    void stopDuringLongIntervalEndsWithinAboutASecond();
    void stopRightAfterStartEndsTheThread();
    void stopDuringTheRetriesOfASilentPrinterIsPrompt();
    void unpluggedAndReplugggedPrinterMidRun();
};

void TestWorker::identicalPollsGiveOneEventAndOtherHostsAloneNoChange()
{
    EventRecorder recorder(copyEvent);
    ScriptedChannel channel;
    channel.set(kReady, {});
    Worker worker(&recorder);
    worker.setDevice(&channel);
    worker.checkStatus();
    worker.checkStatus();
    recorder.deliverPending();
    QCOMPARE(statusEvents(recorder).size(), 1);

    // A job of another host changes byte 9 only.
    channel.set(kReady, {job(QStringLiteral("10.1.2.3"), 4, Job::Printing)});
    worker.checkStatus();
    recorder.deliverPending();
    QCOMPARE(statusEvents(recorder).size(), 1);

    channel.set(kTonerLow, {});
    worker.checkStatus();
    recorder.deliverPending();
    QCOMPARE(statusEvents(recorder).size(), 2);
    QCOMPARE(statusEvents(recorder).last().statusId(), 0x030108u);
    worker.setDevice(nullptr);
}

void TestWorker::resumeAndNewDeviceForceTheNextReport()
{
    EventRecorder recorder(copyEvent);
    ScriptedChannel first;
    ScriptedChannel second;
    first.set(kReady, {});
    second.set(kReady, {});
    Worker worker(&recorder);
    worker.setDevice(&first);
    worker.checkStatus();
    worker.suspend();
    QVERIFY(worker.isSuspended());
    worker.resume();
    worker.checkStatus();
    worker.setDevice(&second);
    QVERIFY(worker.isWakedUp());
    QVERIFY(!worker.isWakedUp());
    worker.checkStatus();
    worker.checkStatus();
    recorder.deliverPending();
    QCOMPARE(statusEvents(recorder).size(), 3);
    worker.setDevice(nullptr);
}

void TestWorker::jobBitsFoldIntoBytesEightAndNine()
{
    // This host's printing job and another host's pending job: 4 and 5.
    ScriptedChannel network;
    network.set(kReady,
                {job(QStringLiteral("localhost"), 1, Job::Printing),
                 job(QStringLiteral("10.1.2.3"), 2, Job::Pending),
                 job(QStringLiteral("10.1.2.3"), 3, Job::Completed)});
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    worker.setDevice(&network);
    int retCode = 0;
    StatusBlock block = worker.getStatus(&retCode);
    QCOMPARE(int(block[8]), 4);
    QCOMPARE(int(block[9]), 5);
    QCOMPARE(retCode, 75);

    // A USB printer's job table: its jobs are all this host's.
    UsbSim usb;
    UsbSimDevice printer = usb.addPrinter(
            {.status = kReady,
             .jobs = UsbSimDevice::jobTable(
                     {{7, Job::Printing}, {8, Job::Pending}, {9, Job::Preparing}})});
    PlDeviceUsb channel(0x0100, 0xf1e0);
    worker.setDevice(&channel);
    block = worker.getStatus(&retCode);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.data()), 8), kReady);
    QCOMPARE(int(block[8]), 7);
    QCOMPARE(int(block[9]), 7);
    worker.setDevice(nullptr);
}

void TestWorker::networkJobsOfThisMachineByItsAddresses()
{
    SimulatedNetworkPrinter printer;
    QVERIFY(printer.isValid());
    printer.setStatus(kReady);
    // Printing from this machine over IPv4, preparing from it over IPv6, pending elsewhere.
    printer.setJobs({{"127.0.0.1", 1, Job::Printing}, {"10.1.2.3", 2, Job::Pending}});
    printer.setJobs6({{"::1", 3, Job::Preparing}, {"fd00::99", 4, Job::Printing}});
    PlDeviceNw channel(printer.devPath());
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    worker.setDevice(&channel);
    LogCapture log;
    int retCode = -1;
    const StatusBlock block = worker.getStatus(&retCode);
    QCOMPARE(retCode, 0);
    QCOMPARE(int(block[8]), 6);
    QCOMPARE(int(block[9]), 7);
    QCOMPARE(log.count("isHostAddress()=1"), 2);
    worker.setDevice(nullptr);
}

void TestWorker::noDeviceGivesOneZeroBlock()
{
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    StopOnExit guard{worker};
    worker.setPollingInterval(0);
    LogCapture log;
    worker.start();
    QVERIFY(recorder.waitFor([&] { return statusEvents(recorder).size() == 1; }));
    // The same zero block of further polls goes unreported.
    const int polls = log.countMessage(QStringLiteral("Worker::checkStatus():"));
    QVERIFY(recorder.waitFor([&] {
        return log.countMessage(QStringLiteral("Worker::checkStatus():")) >= polls + 2;
    }));
    worker.stop();
    QVERIFY(worker.wait(5000));
    QVERIFY(recorder.waitFor([&] { return recorder.count(WorkerFinishedEvent::kType) == 1; }));
    QCOMPARE(statusEvents(recorder).size(), 1);
    QVERIFY(statusEvents(recorder).first().isEmpty());
    QCOMPARE(recorder.records().first().type, int(WorkerStartEvent::kType));
    QCOMPARE(recorder.records().last().type, int(WorkerFinishedEvent::kType));
}

void TestWorker::stopDuringLongIntervalEndsWithinAboutASecond()
{
    EventRecorder recorder(copyEvent);
    ScriptedChannel channel;
    channel.set(kReady, {});
    Worker worker(&recorder);
    StopOnExit guard{worker};
    worker.setDevice(&channel);
    worker.setPollingInterval(10);
    worker.start();
    QVERIFY(recorder.waitFor([&] { return statusEvents(recorder).size() == 1; }));
    QElapsedTimer timer;
    timer.start();
    worker.stop();
    QVERIFY(worker.wait(5000));
    qInfo("stop() to end during a 10 s interval: %lld ms", timer.elapsed());
    QVERIFY(recorder.waitFor([&] { return recorder.count(WorkerFinishedEvent::kType) == 1; }));
}

void TestWorker::stopRightAfterStartEndsTheThread()
{
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    StopOnExit guard{worker};
    worker.setPollingInterval(10);
    worker.start();
    worker.stop();
    QVERIFY(worker.wait(5000));
    // A stopped worker starts again.
    worker.start();
    QVERIFY(recorder.waitFor([&] { return recorder.count(WorkerStartEvent::kType) == 2; }));
    worker.stop();
    QVERIFY(worker.wait(5000));
}

// Each unanswered request is retried for seconds; a stop (the program's exit) must not wait.
void TestWorker::stopDuringTheRetriesOfASilentPrinterIsPrompt()
{
    SimulatedNetworkPrinter printer;
    QVERIFY(printer.isValid());
    printer.setStatus(kReady);
    printer.setMode(SimulatedNetworkPrinter::AgentStopped);
    PlDeviceNw channel(printer.devPath());
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    StopOnExit guard{worker};
    worker.setDevice(&channel);
    LogCapture log;
    worker.start();
    QTRY_VERIFY_WITH_TIMEOUT(log.count("snmp_sess_synch_response failed") >= 2, 10000);
    QElapsedTimer timer;
    timer.start();
    // As the window stops it: stop() itself waits for the poll's lock.
    worker.requestInterruption();
    QVERIFY(worker.wait(10000));
    const qint64 stoppedMs = timer.elapsed();
    QVERIFY2(stoppedMs < 1000, qPrintable(QString::number(stoppedMs)));
    // The cut poll is no status of the printer.
    recorder.deliverPending();
    QVERIFY(statusEvents(recorder).isEmpty());
}

void TestWorker::unpluggedAndReplugggedPrinterMidRun()
{
    UsbSim usb;
    UsbSimDevice printer = usb.addPrinter({.status = kReady});
    PlDeviceUsb channel(0x0100, 0xf1e0);
    EventRecorder recorder(copyEvent);
    Worker worker(&recorder);
    StopOnExit guard{worker};
    worker.setDevice(&channel);
    worker.setPollingInterval(1);
    worker.start();
    QVERIFY(recorder.waitFor([&] { return statusEvents(recorder).size() == 1; }));
    QVERIFY(!statusEvents(recorder).first().isEmpty());

    printer.unplug();
    // The failed poll takes its retries and the one-second pause.
    QVERIFY(recorder.waitFor([&] { return statusEvents(recorder).size() == 2; }, 20000));
    QVERIFY(statusEvents(recorder).at(1).isEmpty());

    usb.addPrinter({.status = kTonerLow});
    QVERIFY(recorder.waitFor([&] { return statusEvents(recorder).size() == 3; }, 20000));
    QCOMPARE(statusEvents(recorder).at(2).statusId(), 0x030108u);
    worker.stop();
    QVERIFY(worker.wait(10000));
}

QTEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"
