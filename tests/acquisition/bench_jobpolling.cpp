// Prints what following print jobs costs: CPU of this process and of cupsd while polling with a
// long completed-job history, for two full job lists every 100 ms and for the job polling
// thread's ways of learning of jobs, each beyond an idle baseline measured first.
// Usage: bench_jobpolling [seconds per mode (60)] [completed jobs (100)]
#include "acquisition/jobpollingthread.h"
#include "cups/cups.h"
#include "tests/tools/cupsfixture.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/snifixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

double processCpuSeconds()
{
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// From the scheduler's nanosecond account of every thread: clock ticks are too coarse for a
// server that does next to nothing.
double cupsdCpuSeconds(qint64 pid)
{
    double seconds = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            seconds += stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return seconds;
}

struct Cost
{
    double client;
    double server;
};

// What the process and cupsd spend while the caller's thread runs undisturbed.
Cost idleCost(qint64 cupsdPid, int seconds)
{
    const double client0 = processCpuSeconds();
    const double server0 = cupsdCpuSeconds(cupsdPid);
    QThread::sleep(seconds);
    return {(processCpuSeconds() - client0) / seconds * 100,
            (cupsdCpuSeconds(cupsdPid) - server0) / seconds * 100};
}

void printCost(const char *what, const Cost &cost, const Cost &baseline)
{
    printf("%-42s client %8.4f %%  cupsd %8.4f %% of a core\n", what, cost.client - baseline.client,
           cost.server - baseline.server);
}

} // namespace

struct LatencyReceiver : QObject
{
    int events = 0;
    void customEvent(QEvent *event) override
    {
        if (event->type() == JobChangedEvent::kType)
            ++events;
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? atoi(argv[1]) : 60;
    const int history = argc > 2 ? atoi(argv[2]) : 100;

    // cupsd's D-Bus notifier and the thread meet on a system bus of the benchmark's own.
    PrivateSessionBus systemBus(PrivateSessionBus::System);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.address().toUtf8());
    PrivateCupsServer server;
    server.setNotifierEnvironment("DBUS_SYSTEM_BUS_ADDRESS", systemBus.address());
    LoopbackPrinterPort port;
    if (!server.start() || !port.isListening()) {
        fprintf(stderr, "cannot start a private cupsd\n");
        return 1;
    }
    qputenv("CUPS_SERVER", QFile::encodeName(server.socketPath()));
    server.addQueue(QStringLiteral("bench"), port.deviceUri());
    for (int i = 0; i < history; ++i)
        server.submitJob(QStringLiteral("bench"));
    QDeadlineTimer deadline(120000);
    while (server.jobCount(true) < history && !deadline.hasExpired())
        QThread::msleep(200);
    printf("completed jobs in the history: %d, %d s per mode\n", server.jobCount(true), seconds);

    // Settled first: the baseline and each mode are measured after their start.
    QThread::sleep(2);
    const Cost baseline = idleCost(server.pid(), seconds);
    printf("%-42s client %8.4f %%  cupsd %8.4f %% of a core\n",
           "idle baseline, nothing follows:", baseline.client, baseline.server);

    std::atomic<bool> running{true};
    std::unique_ptr<QThread> naiveThread(QThread::create([&running] {
        CUPS cups;
        while (running) {
            const QList<CupsJob> active = cups.getJobs(false, false);
            const QList<CupsJob> done = cups.getJobs(false, true);
            QThread::msleep(100);
        }
    }));
    naiveThread->start();
    QThread::sleep(2);
    printCost("two full job lists every 100 ms:", idleCost(server.pid(), seconds), baseline);
    running = false;
    naiveThread->wait();

    for (JobEventSource::Way way :
         {JobEventSource::Lists, JobEventSource::Pull, JobEventSource::Signals}) {
        QObject receiver;
        JobPollingThread thread(&receiver);
        thread.setWay(way);
        thread.start();
        QThread::sleep(2);
        const Cost cost = idleCost(server.pid(), seconds);
        const QByteArray what
                = QByteArray("job polling thread, ") + JobEventSource::name(way) + ':';
        printCost(what.constData(), cost, baseline);
        thread.stop();
        thread.wait();
    }

    // From lp's return to the job's event, held jobs so that each shows in the unfinished list.
    for (JobEventSource::Way way :
         {JobEventSource::Lists, JobEventSource::Pull, JobEventSource::Signals}) {
        LatencyReceiver receiver;
        JobPollingThread thread(&receiver);
        thread.setWay(way);
        thread.start();
        QThread::msleep(500);
        QList<qint64> latencies;
        for (int i = 0; i < 10; ++i) {
            receiver.events = 0;
            QElapsedTimer sent;
            sent.start();
            server.submitJob(QStringLiteral("bench"), true);
            const qint64 lpMs = sent.elapsed();
            QDeadlineTimer wait(5000);
            while (receiver.events == 0 && !wait.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            latencies.append(sent.elapsed() - lpMs);
        }
        thread.stop();
        thread.wait();
        std::sort(latencies.begin(), latencies.end());
        printf("%-42s lp to event: median %lld ms, max %lld ms\n", JobEventSource::name(way),
               latencies.at(latencies.size() / 2), latencies.last());
    }
    return 0;
}
