// Shows Pellar at work on a simulated Quillon C410: ready, printing a job sent with lp, toner low
// for cyan, a paper jam, ready again; a paper jam with the panel closed, told in the tray and by a
// desktop notification; then a job sent to a simulated network printer beside it; last a printer
// of another make behind a driverless queue, running low on a supply and then jammed. At each step
// it leaves pictures of the tray and of the open panel in the output directory, and Pellar's log
// beside them. Usage: pellar_demo PELLAR_EXECUTABLE OUTPUT_DIRECTORY (on $DISPLAY,
// which needs a tray host)
#include "acquisition/job.h"
#include "pellarrig.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/ippprinter.h"
#include "tests/tools/testfiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>
#include <functional>

namespace {

const QByteArray kLevels
        = QByteArray::fromHex("503c4632"); // black 80 %, cyan 60, magenta 70, yellow 50
const QByteArray kCyanLow = QByteArray::fromHex("50084632"); // cyan down to 8 %
const quint8 kJobPrinting = 1;

class Demo
{
public:
    explicit Demo(const QString &output)
        : m_output(output)
    { }

    int run(const QString &pellar)
    {
        if (!m_rig.prepare()
            || !m_rig.startPellar(pellar, {QStringLiteral("debug")}, m_output + "/pellar.log"))
            return 1;
        if (!m_rig.waitForTrayIcon()
            || wait("assignPrinters\\(\\): new active device " + PellarRig::kQueue).isEmpty())
            return fail("Pellar did not dock into the tray with the printer in its menu");
        // The panel opens as a user opens it.
        if (!m_rig.clickTrayIcon() || !m_rig.waitForPanel())
            return fail("a click on the tray icon did not open the panel");
        step(1, "ready", PellarRig::status(0x01, 0x010000, kLevels));

        const int job = m_rig.cups().submitJob(PellarRig::kQueue);
        printf("sent job %d to %s with lp\n", job, qPrintable(PellarRig::kQueue));
        m_rig.printer().setJobs(UsbSimDevice::jobTable({{job, kJobPrinting}}));
        step(2, "printing", PellarRig::status(0x09, 0x0104FF, kLevels));
        m_rig.printer().setJobs(UsbSimDevice::jobTable({}));
        step(3, "printed", PellarRig::status(0x01, 0x010000, kLevels));
        wait("printingModeLeaved\\(\\): \\}");

        step(4, "toner-low", PellarRig::status(0x02, 0x030104, kCyanLow));
        step(5, "paper-jam", PellarRig::status(0x04, 0x050202, kCyanLow));
        step(6, "ready-again", PellarRig::status(0x01, 0x010000, kCyanLow));
        closedPanel();
        networkPrinter();
        genericPrinter();

        const int exitCode = m_rig.stopPellar();
        printf("Pellar ended with status %d\n", exitCode);
        return m_failures || exitCode != 0 ? 1 : 0;
    }

private:
    // A network printer of the same family on a loopback address gets a job: Pellar follows it.
    void networkPrinter()
    {
        SimulatedNetworkPrinter network;
        if (!network.isValid()) {
            printf("8 network: skipped, the simulated network printer needs root for its ports\n");
            return;
        }
        network.setDeviceId("MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;");
        network.setDocument(readFile(QStringLiteral(PELLAR_STAGE_DIR "/bin/sm.xml")));
        network.setStatus(PellarRig::status(0x01, 0x010000, kLevels));
        const QString queue = QStringLiteral("Quillon_C420_net");
        // Jobs go nowhere without a printer port: they stay processing, as on a busy printer.
        if (!m_rig.cups().addQueue(
                    queue, network.uri() + "/?snmp=false",
                    QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd"))
            || wait("cupsPrinter: softname=<" + queue + ">").isEmpty()
            || wait("printerListChanged \\}").isEmpty()) {
            fail("the network printer did not reach Pellar's printer list");
            return;
        }
        const int job = m_rig.cups().submitJob(queue);
        printf("sent job %d to %s with lp\n", job, qPrintable(queue));
        network.setJobs({{"127.0.0.1", job, Job::Printing}});
        step(8, "network-printing", PellarRig::status(0x11, 0x0104FF, kLevels),
             [&](const QByteArray &status) { network.setStatus(status); });
    }

    // A printer of another make on a loopback port (an IPP Everywhere simulator) behind a
    // driverless queue, chosen from the tray's menu: Pellar follows it through CUPS. A supply runs
    // low, then the paper jams; the simulator reports both as reports while it is idle.
    void genericPrinter()
    {
        IppPrinterSimulator ipp;
        const QString queue = QStringLiteral("Office_Laser");
        if (!ipp.start()
            || !ipp.setMarkers("\"Black Toner\",\"Cyan Toner\",\"Magenta Toner\",\"Yellow Toner\"",
                               "#000000,#00FFFF,#FF00FF,#FFFF00", "70,60,55,50", "10,10,10,10",
                               "toner,toner,toner,toner")
            || !m_rig.cups().addDriverlessQueue(queue, ipp.uri())
            || wait("added generic queue: " + queue).isEmpty()
            || wait("printerListChanged \\}").isEmpty()) {
            fail("the printer of another make did not reach Pellar's printer list");
            return;
        }
        // The last entry above "Quit".
        if (!m_rig.chooseFromMenu(-2) || wait("PlDeviceCups: " + queue + ": state").isEmpty()) {
            fail("the printer of another make could not be chosen from the menu");
            return;
        }
        // The panel that came up for the network job goes with its printing mode; the user
        // opens it again.
        wait("printingModeLeaved\\(\\): \\}");
        QThread::msleep(600);
        if (!m_rig.panel() && (!m_rig.clickTrayIcon() || !m_rig.waitForPanel())) {
            fail("a click on the tray icon did not open the panel");
            return;
        }
        genericStep(9, "generic-toner-low", "Toner low", [&] {
            return ipp.setMarkers("", "", "70,6,55,50", "", "")
                    && ipp.changeReasons({"+toner-low"});
        });
        genericStep(10, "generic-paper-jam", "Paper jam",
                    [&] { return ipp.changeReasons({"+media-jam"}); });
    }

    // The simulator's change can pass through a moment of printing: the status it ends in counts.
    void genericStep(int number, const QString &name, const QString &title,
                     const std::function<bool()> &change)
    {
        const QStringList shown = change() ? wait("printerStatusChangedEvent\\(\\): status <("
                                                  + QRegularExpression::escape(title) + ")> is")
                                           : QStringList();
        if (shown.isEmpty() || !m_rig.panel()) {
            fail(QStringLiteral("step %1 (%2): not shown").arg(number).arg(name));
            return;
        }
        pictures(number, name);
        printf("%d %-12s the printer of another make reports it, Pellar shows \"%s\"\n", number,
               qPrintable(name), qPrintable(shown.at(1)));
    }

    // The panel closed by a second click on the icon, a paper jam: the tray follows it and the
    // desktop's notification service (one of the demo's own, recording what it gets) tells it.
    void closedPanel()
    {
        BusScript notifications;
        if (!notifications.start(
                    m_rig.sessionBus(),
                    QStringLiteral(PELLAR_SOURCE_DIR "/tests/tools/notificationserver.py"))) {
            fail("step 7 (closed-paper-jam): the notification service did not start");
            return;
        }
        QThread::msleep(600); // a second click, not a double click
        if (!m_rig.clickTrayIcon() || !waitWhile([&] { return m_rig.panel() != 0; })) {
            fail("step 7 (closed-paper-jam): a second click did not close the panel");
            return;
        }
        const QByteArray jam = PellarRig::status(0x04, 0x050202, kCyanLow);
        m_rig.printer().setStatus(jam);
        const QStringList shown = wait("<" + jam.toHex()
                                       + "\\w*>[\\s\\S]*?"
                                         "printerStatusChangedEvent\\(\\): status <([^>]*)> is");
        const QString told
                = notifications
                          .waitForLine(QRegularExpression(QStringLiteral("^notify .*$")), 15000)
                          .captured(0);
        const QString prefix = QStringLiteral("%1/7-closed-paper-jam-").arg(m_output);
        const QByteArray record = notifications.output().toUtf8();
        if (shown.isEmpty() || m_rig.panel() != 0 || told.isEmpty()
            || !writeFile(prefix + "notifications.txt", record)) {
            fail("step 7 (closed-paper-jam): not followed with the panel closed, or not told");
            return;
        }
        if (!m_rig.hoverTrayIcon())
            printf("(no tooltip showed on the tray icon)\n");
        if (!PellarRig::settled([&] { return m_rig.grabTray(); }).save(prefix + "tray.png"))
            fail("cannot save the picture " + prefix + "tray.png");
        printf("7 closed-paper-jam printer status %s, panel closed, the tray shows \"%s\", "
               "notified: %s\n",
               jam.toHex().constData(), qPrintable(shown.at(1)),
               qPrintable(QString(told).replace(QLatin1Char('\t'), QLatin1String(" | "))));
        m_rig.printer().setStatus(PellarRig::status(0x01, 0x010000, kCyanLow));
        wait("printerStatusChangedEvent\\(\\): status <Ready> is");
    }

    static bool waitWhile(const std::function<bool()> &busy, int timeoutMs = 15000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (busy()) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(50);
        }
        return true;
    }

    // The printer reports the status; once Pellar has applied it, the pictures are taken.
    void step(int number, const QString &name, const QByteArray &status,
              const std::function<void(const QByteArray &)> &report = {})
    {
        if (report)
            report(status);
        else
            m_rig.printer().setStatus(status);
        const QStringList shown = wait("<" + status.toHex()
                                       + "\\w*>[\\s\\S]*?"
                                         "printerStatusChangedEvent\\(\\): status <([^>]*)> is");
        if (shown.isEmpty() || !m_rig.panel()) {
            fail(QStringLiteral("step %1 (%2): not shown").arg(number).arg(name));
            return;
        }
        pictures(number, name);
        printf("%d %-12s printer status %s, Pellar shows \"%s\"\n", number, qPrintable(name),
               status.toHex().constData(), qPrintable(shown.at(1)));
    }

    // The panel opens below the icon: its picture is taken before the tooltip comes.
    void pictures(int number, const QString &name)
    {
        const QString prefix = QStringLiteral("%1/%2-%3-").arg(m_output).arg(number).arg(name);
        m_rig.leaveTrayIcon();
        bool saved
                = PellarRig::settled([&] { return m_rig.grabPanel(); }).save(prefix + "panel.png");
        if (!m_rig.hoverTrayIcon())
            printf("(no tooltip showed on the tray icon)\n");
        saved = PellarRig::settled([&] { return m_rig.grabTray(); }).save(prefix + "tray.png")
                && saved;
        if (!saved)
            fail("cannot save the pictures " + prefix + "*.png");
    }

    QStringList wait(const QString &pattern) { return m_rig.waitForLog(pattern, &m_logOffset); }

    int fail(const QString &message)
    {
        fprintf(stderr, "demo: %s\n", qPrintable(message));
        ++m_failures;
        return 1;
    }

    PellarRig m_rig;
    QString m_output;
    qint64 m_logOffset = 0;
    int m_failures = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        fprintf(stderr, "usage: pellar_demo PELLAR_EXECUTABLE OUTPUT_DIRECTORY\n");
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(output);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    return Demo(output).run(QString::fromLocal8Bit(argv[1]));
}
