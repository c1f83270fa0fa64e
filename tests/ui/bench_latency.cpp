// Prints how quickly the staged Pellar shows a printer's status, seen from outside through X the
// way a user sees it: from start to the docked icon and to the first status in the tray, from a
// status change at the simulated USB printer to the tray icon's new image at 1 s polling, icon
// changes without a status change, and Pellar's memory and CPU share (and cupsd's) over steady
// polling with the panel open and the job polling on; then the same for a driverless queue of
// another make on an IPP printer simulator, followed through CUPS. Usage: bench_latency
// [changes (30)] [steady seconds (60)] It needs $DISPLAY with a tray host (source
// tools/common.sh; xsession_start).
#include "pellarrig.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/testprocess.h"
#include "usbsimstate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const QByteArray kLevels = QByteArray::fromHex("503c4632");
const QByteArray kJam = PellarRig::status(0x04, 0x050202, kLevels);

// The icon's image, looked at every 2 ms until it differs from `before`; the time that took,
// or -1 after the time-out.
qint64 waitForIconChange(const PellarRig &rig, unsigned long icon, const QImage &before,
                         const QElapsedTimer &clock, int timeoutMs = 5000)
{
    const qint64 start = clock.elapsed();
    while (clock.elapsed() - start < timeoutMs) {
        if (rig.grabWindow(icon) != before)
            return clock.elapsed() - start;
        QThread::usleep(2000);
    }
    return -1;
}

// The image once it has stayed the same for `quietMs`.
QImage steadyIcon(const PellarRig &rig, unsigned long icon, int quietMs)
{
    QImage image = rig.grabWindow(icon);
    QElapsedTimer clock;
    clock.start();
    while (waitForIconChange(rig, icon, image, clock, quietMs) >= 0) {
        image = rig.grabWindow(icon);
        clock.restart();
    }
    return image;
}

// Samples the meters every second for that long; the wall time it took, in seconds.
double measure(int seconds, const QList<CpuMeter *> &meters)
{
    QElapsedTimer steady;
    steady.start();
    for (int second = 0; second < seconds; ++second) {
        QThread::sleep(1);
        for (CpuMeter *meter : meters)
            meter->sample();
    }
    return double(steady.elapsed()) / 1000;
}

void printLatencies(const char *what, QList<qint64> latencies, const QString &goal)
{
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies.at(qsizetype(std::ceil(p * double(latencies.size()))) - 1);
    };
    printf("%s, %lld changes: median %lld ms, 95th percentile %lld ms, min %lld ms, max %lld "
           "ms%s\n",
           what, static_cast<long long>(latencies.size()), percentile(0.5), percentile(0.95),
           latencies.first(), latencies.last(), qPrintable(goal));
}

// The latency and cost of a driverless queue of another make on an IPP printer simulator, chosen
// from the tray's menu. Its reasons change at random moments of the polling cycle;
// while idle the simulator reports them as reports, which leave the tray's image as it is, so
// the change is seen in the open panel, which the same call draws.
bool followGenericPrinter(PellarRig &rig, int changes, int steadySeconds, double cupsdAloneCpu)
{
    IppPrinterSimulator ipp;
    const QString queue = QStringLiteral("generic");
    if (!ipp.start()
        || !ipp.setMarkers("Black,Cyan", "#000000,#00FFFF", "80,60", "10,10", "toner,toner")
        || !rig.cups().addDriverlessQueue(queue, ipp.uri())) {
        fprintf(stderr, "the IPP printer simulator or its queue did not start\n");
        return false;
    }
    // The next pass of the printer list brings the queue: the last entry above "Quit".
    QThread::sleep(12);
    if (!rig.chooseFromMenu(-2)) {
        fprintf(stderr, "the printer of another make could not be chosen from the menu\n");
        return false;
    }
    QThread::sleep(3);
    if (!rig.panel() && (!rig.clickTrayIcon() || !rig.waitForPanel())) {
        fprintf(stderr, "the panel did not open\n");
        return false;
    }
    const unsigned long panel = rig.panel();
    QElapsedTimer clock;
    clock.start();
    QList<qint64> latencies;
    for (int i = 0; i < changes; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(1000));
        const QImage before = steadyIcon(rig, panel, 300);
        const qint64 start = clock.elapsed();
        ipp.changeReasons({i % 2 == 0 ? "+media-jam" : "-media-jam"});
        const qint64 latency = waitForIconChange(rig, panel, before, clock);
        if (latency < 0) {
            fprintf(stderr, "generic change %d: the panel did not change within 5 s\n", i + 1);
            return false;
        }
        latencies.append(clock.elapsed() - start);
    }
    printLatencies("generic printer, reason change at the simulator to the panel, 1 s polling",
                   latencies, QString());

    ipp.changeReasons({"-media-jam"});
    CpuMeter pellarMeter(rig.pellarPid());
    CpuMeter cupsdMeter(rig.cupsdPid());
    CpuMeter printerMeter(ipp.pid());
    const double wall = measure(steadySeconds, {&pellarMeter, &cupsdMeter, &printerMeter});
    const double cupsdCpu = cupsdMeter.seconds() / wall * 100;
    printf("generic printer followed at 1 s for %.0f s (panel open): Pellar CPU %.4f %%; cupsd "
           "CPU %.4f %%, %.4f %% for Pellar (goal: at most 0.3 %% each); the simulated printer "
           "%.4f %%\n",
           wall, pellarMeter.seconds() / wall * 100, cupsdCpu,
           std::max(0.0, cupsdCpu - cupsdAloneCpu), printerMeter.seconds() / wall * 100);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const int changes = argc > 1 ? std::max(2, atoi(argv[1])) : 30;
    const int steadySeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 60;

    // A copy of the stage: default options (1 s polling, job polling on) and no other instance.
    // A plain simulated printer, without the tests' bookkeeping: what is measured is Pellar's cost.
    qputenv(USBSIM_PLAIN_VARIABLE, "1");
    StagedInstallation install;
    PellarRig rig;
    rig.cups().setQuietAccessLog();
    if (!install.isValid() || !rig.prepare())
        return 1;
    rig.printer().setStatus(kJam);
    // cupsd's own housekeeping, before Pellar asks it anything: what it spends for Pellar is the
    // difference.
    const int aloneSeconds = std::max(10, steadySeconds / 4);
    CpuMeter cupsdAlone(rig.cupsdPid());
    QThread::sleep(aloneSeconds);
    cupsdAlone.sample();
    const double cupsdAloneCpu = cupsdAlone.seconds() / aloneSeconds * 100;
    QElapsedTimer clock;
    clock.start();
    if (!rig.startPellar(install.executable(), {}, QString()) || !rig.waitForTrayIcon()) {
        fprintf(stderr, "Pellar did not dock into the tray\n");
        return 1;
    }
    const qint64 docked = clock.elapsed();
    const unsigned long icon = rig.trayIcon();

    // The panel is opened at once, as a user would: a click before Pellar has its printer list
    // gets a message box, which is answered, and the click repeated once it cannot count as a
    // double click. The printer starts with a
    // paper jam; every icon image until the icon has stayed the same for 3 s is kept, to find
    // the first that shows it.
    QList<QPair<qint64, QImage>> seen{{docked, rig.grabWindow(icon)}};
    const auto watch = [&](int quietMs, const std::function<bool()> &done) {
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < quietMs && !done()) {
            const QImage now = rig.grabWindow(icon);
            if (now != seen.last().second) {
                seen.append({clock.elapsed(), now});
                quiet.restart();
            }
            QThread::usleep(2000);
        }
    };
    qint64 clicked = -1;
    int boxes = 0;
    while (!rig.panel() && boxes < 50) {
        clicked = clock.elapsed();
        rig.clickTrayIcon();
        watch(3000, [&] { return rig.panel() || rig.window(PellarRig::Shown::MessageBox); });
        if (rig.dismissMessageBox()) {
            ++boxes;
            // A click sooner would make a double click of the two.
            watch(450, [] { return false; });
        }
    }
    watch(3000, [] { return false; });

    // Status changes at random moments of the polling cycle, each one changing the image.
    QList<qint64> latencies;
    QImage jam;
    qint64 firstStatus = -1;
    for (int i = 0; i < changes; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(1000));
        const QImage before = rig.grabWindow(icon);
        rig.printer().setStatus(i % 2 == 0 ? PellarRig::status(0x01, 0x010000, kLevels) : kJam);
        const qint64 latency = waitForIconChange(rig, icon, before, clock);
        if (latency < 0) {
            fprintf(stderr, "change %d: the icon did not change within 5 s\n", i + 1);
            return 1;
        }
        latencies.append(latency);
        if (i % 2 == 1)
            jam = steadyIcon(rig, icon, 200);
    }
    for (const auto &[when, image] : std::as_const(seen)) {
        if (image == jam) {
            firstStatus = when;
            break;
        }
    }
    printf("start to docked icon:        %lld ms\n", docked);
    printf("start to first status shown: %lld ms (%lld ms after the click that opened the panel; "
           "%d \"not available yet\" boxes before it; %lld icon images on the way)\n",
           firstStatus, firstStatus - clicked, boxes, static_cast<long long>(seen.size()));
    printLatencies("status change to tray image, 1 s polling", latencies,
                   QStringLiteral(" (goal: at most 1050 ms)"));

    // Steady polling of a ready printer with the panel open.
    rig.printer().setStatus(PellarRig::status(0x01, 0x010000, kLevels));
    const QImage readyIcon = steadyIcon(rig, icon, 2000);
    // The printer list comes again every 10 s: the icon should not change with it.
    int flickers = 0;
    qint64 flickerMs = 0;
    QElapsedTimer watched;
    watched.start();
    while (watched.elapsed() < 25000) {
        if (const QImage other = rig.grabWindow(icon); other != readyIcon) {
            ++flickers;
            flickerMs = std::max(flickerMs, waitForIconChange(rig, icon, other, clock));
        }
        QThread::usleep(2000);
    }
    printf("icon changes without a status change in 25 s: %d (the longest lasted %lld ms)\n",
           flickers, flickerMs);
    const bool panelOpen = rig.panel() != 0;
    CpuMeter pellarMeter(rig.pellarPid());
    CpuMeter cupsdMeter(rig.cupsdPid());
    const double simulatedBefore = rig.simulatedPrinterSeconds();
    const double wall = measure(steadySeconds, {&pellarMeter, &cupsdMeter});
    const double pellarCpu = pellarMeter.seconds() / wall * 100;
    const double simulatedCpu = (rig.simulatedPrinterSeconds() - simulatedBefore) / wall * 100;
    const double cupsdCpu = cupsdMeter.seconds() / wall * 100;
    printf("steady polling for %.0f s (panel %s, job polling on): Pellar resident %lld KiB, CPU "
           "%.4f %%; cupsd CPU %.4f %% (of one core), %.4f %% for Pellar (%.4f %% alone for %d s "
           "before Pellar started)\n",
           wall, panelOpen ? "open" : "NOT open", residentKiBOf(rig.pellarPid()), pellarCpu,
           cupsdCpu, std::max(0.0, cupsdCpu - cupsdAloneCpu), cupsdAloneCpu, aloneSeconds);
    printf("  of Pellar's CPU, the simulated printer's own work inside it %.4f %%; Pellar's own "
           "%.4f %%\n",
           simulatedCpu, pellarCpu - simulatedCpu);
    for (const auto &[name, seconds] : pellarMeter.threads()) {
        if (seconds > 0)
            printf("  thread %-16s %.3f ms a minute\n", qPrintable(name),
                   seconds * 1000 * 60 / wall);
    }
    printf("job events: %s\n",
           rig.isPellarOnSystemBus()
                   ? "cupsd's D-Bus notifier, on the rig's own system bus"
                   : "NOT through the system bus (Pellar holds no connection to the rig's)");
    const bool generic = followGenericPrinter(rig, changes, steadySeconds, cupsdAloneCpu);
    const int exitCode = rig.stopPellar();
    printf("Pellar ended with status %d\n", exitCode);
    return exitCode == 0 && panelOpen && generic ? 0 : 1;
}
