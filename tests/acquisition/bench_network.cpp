// What one network status poll (status object and both job tables) and one status description
// fetch cost against the simulated network printer, over IPv4 and IPv6. Not a test: it prints
// figures and asserts nothing.
// Usage: bench_network [polls (200)]
#include "acquisition/pldevicenw.h"
#include "tests/tools/testfiles.h"

#include "simulatednetworkprinter.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

template<class Call>
double medianMs(int calls, Call call)
{
    QList<double> times;
    for (int i = 0; i < calls; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void measure(SimulatedNetworkPrinter::Family family, int polls)
{
    SimulatedNetworkPrinter printer(family);
    if (!printer.isValid()) {
        printf("  %s: no simulated printer\n",
               family == SimulatedNetworkPrinter::IPv6 ? "IPv6" : "IPv4");
        return;
    }
    const QByteArray document = readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml"));
    printer.setDocument(document);
    printer.setStatus(QByteArray::fromHex("0101000064646464"));
    QList<SimulatedNetworkPrinter::JobRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.append({"10.1.2." + QByteArray::number(i), 100 + i, 5});
    printer.setJobs(rows);
    printer.setJobs6({{"fe80::1", 7, 1}});

    PlDeviceNw device(printer.devPath());
    device.requestStatus_withRepeat(); // the library's start-up
    const double status = medianMs(polls, [&] { device.requestStatus_withRepeat(); });
    const double jobs = medianMs(polls, [&] { device.getJobList(); });
    const double poll = medianMs(polls, [&] {
        device.requestStatus_withRepeat();
        device.getJobList();
    });
    const double fetch = medianMs(std::max(polls / 10, 5), [&] { device.requestStatusXML(); });
    printf("%s (%s):\n", family == SimulatedNetworkPrinter::IPv6 ? "IPv6" : "IPv4",
           qPrintable(printer.devPath()));
    printf("  status object:                         %7.3f ms\n", status);
    printf("  both job tables (10 + 1 records):      %7.3f ms\n", jobs);
    printf("  one status poll (status and tables):   %7.3f ms\n", poll);
    printf("  status description over HTTP (%lld B): %7.3f ms\n", qlonglong(document.size()),
           fetch);
}

} // namespace

int main(int argc, char **argv)
{
    // As in the program without "debug": messages are formatted, then dropped.
    qInstallMessageHandler(quiet);
    const int polls = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
#if defined(__SANITIZE_ADDRESS__)
    printf("bench_network, medians (sanitizer build: figures include its overhead)\n");
#else
    printf("bench_network, medians\n");
#endif
    measure(SimulatedNetworkPrinter::IPv4, polls);
    measure(SimulatedNetworkPrinter::IPv6, polls);
    return 0;
}
