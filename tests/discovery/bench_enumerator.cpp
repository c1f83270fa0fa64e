// Prints the CPU time of an idle printer enumerator pass (one USB queue with its printer), and
// the cost of one pass over 10 queues: 5 USB queues with their
// simulated printers and 5 network queues with theirs, on a CUPS server of its own; then the
// same pass while one network printer does not answer. Then the start of a running enumerator
// with 50 network queues, 25 of them on silent addresses, and one USB printer: when the first
// list with the USB printer comes, and when every answering printer is listed with its status
// description.
// Usage: bench_enumerator [passes (10)]
#include "cups/cups.h"
#include "discovery/printerenumerator.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/quillonprinter.h"
#include "tests/tools/testprocess.h"
#include "usbsim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// Silent addresses: nothing listens there, so every SNMP request times out.
const int kFirstSilentAddress = 200;

double medianPassMs(PrinterEnumerator &enumerator, int passes)
{
    QList<double> times;
    for (int i = 0; i < passes; ++i) {
        QElapsedTimer timer;
        timer.start();
        enumerator.enumeratePrinters();
        times.append(double(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// The median CPU time of the calling thread in one pass.
double medianPassCpuMs(PrinterEnumerator &enumerator, int passes)
{
    QList<double> times;
    for (int i = 0; i < passes; ++i) {
        timespec start{};
        timespec end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        enumerator.enumeratePrinters();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        times.append(double(end.tv_sec - start.tv_sec) * 1e3
                     + double(end.tv_nsec - start.tv_nsec) / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// Takes each published list as it comes and notes when the awaited printers were in it.
class ListWatcher : public QObject
{
public:
    ListWatcher(const QString &usbQueue, const QStringList &answering)
        : m_usbQueue(usbQueue)
        , m_answering(answering)
    {
        m_clock.start();
    }

    void watch(PrinterEnumerator *enumerator) { m_enumerator = enumerator; }
    bool done() const { return m_usbMs >= 0 && m_answeringMs >= 0; }
    qint64 usbMs() const { return m_usbMs; }
    qint64 answeringMs() const { return m_answeringMs; }
    int lists() const { return m_lists; }

    bool event(QEvent *event) override
    {
        if (event->type() != PrinterEnumerator::kPrintersChangedEvent || !m_enumerator)
            return QObject::event(event);
        ++m_lists;
        const PrinterMap printers = m_enumerator->printers();
        const auto find = [&](const QString &queue) {
            return printers.value(qint32(PrinterDesc::uniqueKeyForQueue(queue)));
        };
        if (m_usbMs < 0 && find(m_usbQueue).productId != 0)
            m_usbMs = m_clock.elapsed();
        if (m_answeringMs < 0
            && std::all_of(m_answering.begin(), m_answering.end(),
                           [&](const QString &queue) { return !find(queue).statusXml.isEmpty(); }))
            m_answeringMs = m_clock.elapsed();
        if (done())
            QCoreApplication::quit();
        return true;
    }

private:
    QElapsedTimer m_clock;
    PrinterEnumerator *m_enumerator = nullptr;
    const QString m_usbQueue;
    const QStringList m_answering;
    qint64 m_usbMs = -1;
    qint64 m_answeringMs = -1;
    int m_lists = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const int passes = argc > 1 ? atoi(argv[1]) : 10;

    StagedInstallation install;
    PrivateCupsServer server;
    if (!install.isValid() || !server.start()) {
        fprintf(stderr, "cannot stage an installation or start a private cupsd\n");
        return 1;
    }
    qputenv("CUPS_SERVER", QFile::encodeName(server.socketPath()));
    CUPS::setPpdDirectory(server.ppdDirectory());
    const QString ppd
            = QStringLiteral(PELLAR_SOURCE_DIR "/tests/data/ppd/tessival_quillon_c400.ppd");

    QStringList queues;
    const auto addQueue = [&](const QString &name, const QString &uri) {
        if (server.addQueue(name, uri, ppd))
            queues.append(name);
    };

    UsbSim usb;
    QObject receiver;
    {
        // What an idle pass costs with one USB queue and its printer, as most users have.
        UsbSimDevice printer = usb.addPrinter(quillonPrinter(0x0100));
        const QString queue = QStringLiteral("idle_usb");
        server.addQueue(queue, QStringLiteral("mfp:/dev/mfp4"), ppd);
        PrinterEnumerator enumerator(&receiver, false, install.binDir());
        enumerator.enumeratePrinters();
        printf("an idle pass, 1 USB queue with its printer: %.3f ms CPU (median of %d)\n",
               medianPassCpuMs(enumerator, passes), passes);
        server.removeQueue(queue);
        printer.unplug();
    }

    std::vector<UsbSimDevice> plugged;
    std::vector<std::unique_ptr<SimulatedNetworkPrinter>> network;
    for (int i = 0; i < 5; ++i) {
        const UsbSimPrinter printer = quillonPrinter(quint16(0x0100 + i));
        plugged.push_back(usb.addPrinter(printer));
        addQueue(QStringLiteral("bench_usb%1").arg(i),
                 QStringLiteral("usb://Tessival/Quillon%20C400%20Series?serial=%1").arg(i));
        auto &net = network.emplace_back(std::make_unique<SimulatedNetworkPrinter>());
        net->setDeviceId(printer.deviceId);
        net->setDocument(printer.document);
        addQueue(QStringLiteral("bench_net%1").arg(i), net->uri());
    }

    {
        PrinterEnumerator withDocuments(&receiver, false, install.binDir());
        PrinterEnumerator localDocuments(&receiver, true, install.binDir());
        const double local = medianPassMs(localDocuments, passes);
        // Documents are read once per plugging: the first pass reads them, later ones reuse them.
        const double documents = medianPassMs(withDocuments, 1);
        printf("printers published: %lld\n", qlonglong(localDocuments.printers().size()));
        printf("one pass, 10 queues, 5 USB printers, local status description: %8.2f ms\n", local);
        printf("first pass, 10 queues, 5 USB printers, reading their documents: %8.2f ms\n",
               documents);
        printf("(each USB document read ends with the printer protocol's 500 ms pause; the "
               "network\n printers' documents are read in both passes)\n");

        network.front()->setMode(SimulatedNetworkPrinter::AgentStopped);
        ListWatcher watcher(QStringLiteral("bench_usb0"), {});
        PrinterEnumerator silentOne(&watcher, true, install.binDir());
        watcher.watch(&silentOne);
        QElapsedTimer timer;
        timer.start();
        // Off this thread, so that the list is seen when it comes.
        std::unique_ptr<QThread> passThread(
                QThread::create([&] { silentOne.enumeratePrinters(); }));
        passThread->start();
        while (!passThread->wait(5))
            QCoreApplication::processEvents();
        const qint64 pass = timer.elapsed();
        QCoreApplication::processEvents();
        printf("the same pass, 1 network printer silent: list after %lld ms, pass %lld ms\n",
               qlonglong(watcher.usbMs()), qlonglong(pass));
        network.front()->setMode(SimulatedNetworkPrinter::Normal);
    }

    // Start-up: one remembered USB printer, 25 answering and 25 silent network printers.
    for (const QString &queue : std::as_const(queues))
        server.removeQueue(queue);
    queues.clear();
    for (size_t i = 1; i < plugged.size(); ++i)
        plugged.at(i).unplug();
    const QString usbQueue = QStringLiteral("start_usb");
    addQueue(usbQueue, QStringLiteral("usb://Tessival/Quillon%20C400%20Series?serial=0"));
    QStringList answering;
    for (int i = 0; i < 25; ++i) {
        if (i >= int(network.size())) {
            auto &net = network.emplace_back(std::make_unique<SimulatedNetworkPrinter>());
            net->setDeviceId(quillonPrinter().deviceId);
            net->setDocument(quillonPrinter().document);
        }
        const QString name = QStringLiteral("start_net%1").arg(i, 2, 10, QLatin1Char('0'));
        addQueue(name, network.at(size_t(i))->uri());
        answering.append(name);
        addQueue(QStringLiteral("start_silent%1").arg(i, 2, 10, QLatin1Char('0')),
                 QStringLiteral("socket://127.0.0.%1:9100").arg(kFirstSilentAddress + i));
    }
    printf("start-up: %lld queues, %lld answering network printers, 25 silent addresses\n",
           qlonglong(queues.size()), qlonglong(answering.size()));

    ListWatcher watcher(usbQueue, answering);
    PrinterEnumerator enumerator(&watcher, false, install.binDir());
    watcher.watch(&enumerator);
    enumerator.start();
    QTimer::singleShot(200000, &app, &QCoreApplication::quit);
    app.exec();
    QElapsedTimer stopping;
    stopping.start();
    enumerator.stop();
    enumerator.wait();
    const qint64 stopMs = stopping.elapsed();
    printf("first list with the USB printer:                        %7lld ms\n",
           qlonglong(watcher.usbMs()));
    printf("first list with every answering printer described:      %7lld ms\n",
           qlonglong(watcher.answeringMs()));
    printf("lists published until then: %d; stop() to the thread's end: %lld ms\n", watcher.lists(),
           qlonglong(stopMs));
    return watcher.done() ? 0 : 1;
}
