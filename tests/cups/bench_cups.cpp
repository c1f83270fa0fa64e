// Prints what one queue-list pass and one job-list call cost against the machine's CUPS server,
// with a few queues of our own, two unfinished jobs and some finished ones.
#include "cups/cups.h"
#include "tests/tools/cupsfixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int kRounds = 200;
const int kFinishedJobs = 20;

// Median and fastest of the rounds, in milliseconds.
void measure(const char *what, const std::function<void()> &call)
{
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRounds; ++i) {
        timer.start();
        call();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %7.3f ms   fastest %7.3f ms   (%d rounds)\n", what,
                times[times.size() / 2], times.front(), kRounds);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    CupsFixture fixture;
    LoopbackPrinterPort port;
    if (!fixture.isReady() || !port.isListening()) {
        std::fprintf(stderr, "no CUPS server: %s\n", qPrintable(fixture.error()));
        return 1;
    }
    const QString socketQueue = fixture.addQueue(QStringLiteral("bench_socket"), port.deviceUri());
    const QString usbQueue = fixture.addQueue(QStringLiteral("bench_usb"),
                                              QStringLiteral("usb://Tessival/QuillonC400"));
    fixture.addQueue(QStringLiteral("bench_ipp"), QStringLiteral("ipp://127.0.0.1:9/ipp/print"));
    fixture.addQueue(QStringLiteral("bench_raw"), QStringLiteral("socket://127.0.0.1:9"),
                     QString());
    for (int i = 0; i < kFinishedJobs; ++i)
        fixture.submitJob(socketQueue);
    fixture.submitJob(usbQueue, true);
    fixture.submitJob(usbQueue, true);

    CUPS cups;
    QDeadlineTimer deadline(60000);
    while (cups.getJobs(false, true).size() < kFinishedJobs && !deadline.hasExpired())
        QThread::msleep(50);

    std::printf("queues on the server: %lld, unfinished jobs: %lld, finished jobs: %lld\n",
                static_cast<long long>(cups.getDevices().size()),
                static_cast<long long>(cups.getJobs(false, false).size()),
                static_cast<long long>(cups.getJobs(false, true).size()));
    measure("queue list (getDevices)", [&] { cups.getDevices(); });
    measure("queue list with a new CUPS object, as a pass does", [] {
        CUPS fresh;
        fresh.getDevices();
    });
    measure("job list, unfinished (getJobs)", [&] { cups.getJobs(false, false); });
    measure("job list, finished (getJobs)", [&] { cups.getJobs(false, true); });
    measure("active jobs of one queue (hasActiveJobs)",
            [&] { cups.hasActiveJobs(usbQueue, true); });
    return 0;
}
