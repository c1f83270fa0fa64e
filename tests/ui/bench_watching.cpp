// Prints what watching the printer with the panel closed costs: the staged Pellar started with
// its panel closed follows the simulated USB (or network) printer through a paper jam in the tray
// and tells it to a notification service of ours, then its CPU share over steady watching is
// measured. Usage: bench_watching [seconds (60)] [network]. It needs $DISPLAY with a tray host
// (source tools/common.sh; xsession_start).
#include "pellarrig.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/endwithparent.h"
#include "tests/tools/testfiles.h"
#include "tests/tools/testprocess.h"
#include "usbsimstate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

const QByteArray kLevels = QByteArray::fromHex("503c4632");

// The icon's image once it has differed from `before` and then stayed the same for a second;
// the time until it first differed, or -1 after the time-out.
qint64 waitForNewIcon(const PellarRig &rig, unsigned long icon, const QImage &before, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (rig.grabWindow(icon) != before)
            return clock.elapsed();
        QThread::usleep(5000);
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const bool overNetwork = argc > 2 && QByteArray(argv[2]) == "network";

    // Default options: watching while closed, 1 s chosen, so 5 s while closed.
    qputenv(USBSIM_PLAIN_VARIABLE, "1");
    StagedInstallation install;
    PellarRig rig;
    rig.cups().setQuietAccessLog();
    if (!install.isValid() || !rig.prepare())
        return 1;
    const QByteArray ready = PellarRig::status(0x01, 0x010000, kLevels);
    const QByteArray jam = PellarRig::status(0x04, 0x050202, kLevels);
    rig.printer().setStatus(ready);
    // The only queue is then a network printer of the family on a loopback address.
    SimulatedNetworkPrinter network;
    if (overNetwork) {
        network.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
        network.setDocument(readFile(QStringLiteral(PELLAR_STAGE_DIR "/bin/sm.xml")));
        network.setStatus(ready);
        if (!network.isValid() || !rig.cups().removeQueue(PellarRig::kQueue)
            || !rig.cups().addQueue(QStringLiteral("Quillon_C420_net"),
                                    network.uri() + "/?snmp=false",
                                    QStringLiteral(PELLAR_SOURCE_DIR
                                                   "/tests/data/ppd/tessival_quillon_c400.ppd"))) {
            fprintf(stderr, "no simulated network printer (it needs root for its ports)\n");
            return 1;
        }
    }
    // With no notification service a jam would bring the panel up.
    QProcess notifications;
    notifications.setProcessEnvironment(rig.sessionBus().environment());
    endWithParent(notifications);
    notifications.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/notificationserver.py")});
    if (!notifications.waitForReadyRead(10000)) {
        fprintf(stderr, "the notification service did not start\n");
        return 1;
    }
    if (!rig.startPellar(install.executable(), {}, QString()) || !rig.waitForTrayIcon()) {
        fprintf(stderr, "Pellar did not dock into the tray\n");
        return 1;
    }
    const unsigned long icon = rig.trayIcon();
    // The plain icon until the first poll's status shows.
    const qint64 firstMs = waitForNewIcon(rig, icon, rig.grabWindow(icon), 20000);
    QThread::sleep(1);
    const QImage readyIcon = rig.grabWindow(icon);
    if (overNetwork)
        network.setStatus(jam);
    else
        rig.printer().setStatus(jam);
    const qint64 jamMs = waitForNewIcon(rig, icon, readyIcon, 15000);
    notifications.waitForReadyRead(2000);
    const QByteArray told = notifications.readAllStandardOutput();
    printf("panel closed: icon shows the first status %lld ms after docking, a paper jam %lld ms "
           "after it began (polling every 5 s; -1: never); notifications: %lld\n",
           firstMs, jamMs, told.count("\nnotify "));

    CpuMeter meter(rig.pellarPid());
    QElapsedTimer steady;
    steady.start();
    for (int second = 0; second < seconds; ++second) {
        QThread::sleep(1);
        meter.sample();
    }
    const double wall = double(steady.elapsed()) / 1000;
    printf("watching with the panel %s for %.0f s, %s printer: Pellar CPU %.4f %% of one core "
           "(goal: at most 0.1 %%), resident %lld KiB\n",
           rig.panel() == 0 ? "closed" : "NOT closed", wall, overNetwork ? "network" : "USB",
           meter.seconds() / wall * 100, residentKiBOf(rig.pellarPid()));
    for (const auto &[name, spent] : meter.threads()) {
        if (spent > 0)
            printf("  thread %-16s %.3f ms a minute\n", qPrintable(name), spent * 1000 * 60 / wall);
    }
    const bool closed = rig.panel() == 0;
    const int exitCode = rig.stopPellar();
    ::kill(pid_t(notifications.processId()), SIGTERM);
    notifications.waitForFinished(5000);
    return exitCode == 0 && closed && jamMs >= 0 ? 0 : 1;
}
