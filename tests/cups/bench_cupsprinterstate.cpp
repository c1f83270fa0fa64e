// Prints what a queue's state costs through a private cupsd, for a driverless queue whose
// printer (a simulator on a loopback port) is asked as well and for a queue cupsd alone answers,
// and how soon a change at the printer shows; then the process CPU of one poll against a printer
// with thousands of supplies or reasons beside a normal one, with the log on and off.
#include "base/functions.h"
#include "cups/cups.h"
#include "tests/tools/hostileippprinter.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/privatecupsserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

const int kRounds = 20;
const int kChanges = 10;
const int kCpuRounds = 200;

FILE *g_logSink = nullptr;

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-58s median %8.3f ms   fastest %8.3f ms   slowest %8.3f ms   (%zu rounds)\n",
                what, times[times.size() / 2], times.front(), times.back(), times.size());
}

void measure(const char *what, const std::function<void()> &call)
{
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRounds; ++i) {
        timer.start();
        call();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report(what, times);
}

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// CPU and wall time of one poll, averaged; the first poll (the connection to cupsd) left out.
void measureCpu(const char *what, const std::function<void()> &call)
{
    call();
    QElapsedTimer wall;
    wall.start();
    const double start = processCpuMs();
    for (int i = 0; i < kCpuRounds; ++i)
        call();
    const double cpu = (processCpuMs() - start) / kCpuRounds;
    std::printf("%-64s CPU %8.3f ms   wall %8.3f ms   (%.2f %% of a core at one poll a second)\n",
                what, cpu, double(wall.nsecsElapsed()) / 1e6 / kCpuRounds, cpu / 10.0);
}

bool hasJam(const std::optional<CupsPrinterState> &state)
{
    return state && state->reasons.join(QLatin1Char(' ')).contains(QLatin1String("media-jam"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    IppPrinterSimulator printer;
    PrivateCupsServer server;
    if (!printer.start() || !server.start()) {
        std::fprintf(stderr, "the printer simulator or cupsd did not start\n");
        return 1;
    }
    qputenv("CUPS_SERVER", QFile::encodeName(server.socketPath()));
    const QString driverless = QStringLiteral("Bench_IPP");
    const QString local = QStringLiteral("Bench_Local");
    if (!server.addDriverlessQueue(driverless, printer.uri())
        || !server.addQueue(local, QStringLiteral("mfp:/dev/mfp4"))
        || !printer.setMarkers(QStringLiteral("Black,Cyan,Magenta,Yellow"),
                               QStringLiteral("#000000,#00FFFF,#FF00FF,#FFFF00"),
                               QStringLiteral("40,50,60,70"), QStringLiteral("10,10,10,10"),
                               QStringLiteral("toner,toner,toner,toner"))) {
        std::fprintf(stderr, "the queues or the printer's supplies could not be set up\n");
        return 1;
    }

    CUPS cups;
    measure("printerState, driverless queue (cupsd and the printer)",
            [&] { cups.printerState(driverless); });
    measure("printerState, queue without an ipp device (cupsd only)",
            [&] { cups.printerState(local); });

    // A change at the printer (a job it prints, about its own cost) until printerState shows it.
    std::vector<double> applied;
    std::vector<double> shown;
    QElapsedTimer timer;
    for (int i = 0; i < kChanges; ++i) {
        const bool jam = i % 2 == 0;
        timer.start();
        if (!printer.changeReasons(
                    {jam ? QStringLiteral("+media-jam") : QStringLiteral("-media-jam")}))
            return 1;
        applied.push_back(double(timer.nsecsElapsed()) / 1e6);
        QDeadlineTimer deadline(5000);
        while (hasJam(cups.printerState(driverless)) != jam && !deadline.hasExpired())
            QThread::msleep(1);
        shown.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report("a reason changed at the printer (job through ipptool)", applied);
    report("... until printerState shows it", shown);

    printer.pause();
    timer.start();
    const std::optional<CupsPrinterState> stopped = cups.printerState(driverless);
    const bool silent = stopped && stopped->printerAnswer == CupsPrinterState::Answer::Silent;
    std::printf("printerState with the printer stopped (SIGSTOP): %.0f ms, %s\n",
                double(timer.nsecsElapsed()) / 1e6,
                silent ? "cupsd's view, the printer silent" : "no answer or a wrong one");
    printer.resume();

    HostileIppPrinter hostile;
    const QString raw = QStringLiteral("Bench_Hostile");
    if (!hostile.start() || !server.addQueue(raw, hostile.uri())) {
        std::fprintf(stderr, "the hostile printer or its queue could not be set up\n");
        return 1;
    }
    // As Pellar logs with "debug": every line formatted and written.
    g_logSink = std::fopen("/dev/null", "w");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        std::fputs(qPrintable(message + QLatin1Char('\n')), g_logSink);
    });
    struct Case
    {
        const char *what;
        HostileIppPrinter::Reply reply;
    };
    const Case cases[] = {{"4 supplies, 2 reasons", {}},
                          {"5,000 supplies, 2 reasons", {5000, 2}},
                          {"4 supplies, 10,000 reasons", {4, 10000}},
                          {"5,000 supplies, 10,000 reasons", {5000, 10000}},
                          {"5,000 supplies, 10,000 reasons, 8 KiB chunks",
                           {5000, 10000, 0, HostileIppPrinter::Normal, 8192}},
                          {"4 supplies, 10,000 reasons, 1-byte chunks",
                           {4, 10000, 0, HostileIppPrinter::Normal, 1}}};
    for (const bool log : {false, true}) {
        setLogEnabled(log);
        for (const Case &c : cases) {
            if (!hostile.setReply(c.reply))
                return 1;
            const QByteArray what = QByteArray("printerState, ") + c.what + (log ? ", log" : "");
            measureCpu(what.constData(), [&] { cups.printerState(raw); });
        }
    }
    return 0;
}
