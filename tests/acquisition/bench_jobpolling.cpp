// Prints what following print jobs costs: CPU of this process and of cupsd while polling with a
// long completed-job history, for two full job lists every 100 ms and for the job polling
// thread's id-only requests. Usage: bench_jobpolling [seconds per mode (30)] [completed jobs (100)]
#include "acquisition/jobpollingthread.h"
#include "discovery/cups.h"
#include "tests/tools/cupsfixture.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/snifixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double processCpuSeconds()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double cupsdCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name in parentheses; utime and stime are the 14th and 15th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

struct Cost
{
    double client;
    double server;
};

template<typename Body>
Cost measure(qint64 cupsdPid, int seconds, Body body)
{
    const double client0 = processCpuSeconds();
    const double server0 = cupsdCpuSeconds(cupsdPid);
    body(seconds);
    return {(processCpuSeconds() - client0) / seconds * 100,
            (cupsdCpuSeconds(cupsdPid) - server0) / seconds * 100};
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
    const int seconds = argc > 1 ? atoi(argv[1]) : 30;
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

    const Cost naive = measure(server.pid(), seconds, [](int s) {
        std::atomic<bool> running{true};
        QThread *thread = QThread::create([&running] {
            CUPS cups;
            while (running) {
                const QList<CupsJob> active = cups.getJobs(false, false);
                const QList<CupsJob> done = cups.getJobs(false, true);
                QThread::msleep(100);
            }
        });
        thread->start();
        QThread::sleep(s);
        running = false;
        thread->wait();
        delete thread;
    });
    const auto following = [](JobEventSource::Way way) {
        return [way](int s) {
            QObject receiver;
            JobPollingThread thread(&receiver);
            thread.setWay(way);
            thread.start();
            QThread::sleep(s);
            thread.stop();
            thread.wait();
        };
    };
    const Cost lists = measure(server.pid(), seconds, following(JobEventSource::Lists));
    const Cost pull = measure(server.pid(), seconds, following(JobEventSource::Pull));
    const Cost dbus = measure(server.pid(), seconds, following(JobEventSource::Signals));
    printf("%-42s client %5.2f %%  cupsd %5.2f %% of a core\n",
           "two full job lists every 100 ms:", naive.client, naive.server);
    printf("%-42s client %5.2f %%  cupsd %5.2f %% of a core\n",
           "job polling thread, id lists:", lists.client, lists.server);
    printf("%-42s client %5.2f %%  cupsd %5.2f %% of a core\n",
           "job polling thread, fetched notifications:", pull.client, pull.server);
    printf("%-42s client %5.2f %%  cupsd %5.2f %% of a core\n",
           "job polling thread, D-Bus notifications:", dbus.client, dbus.server);

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
