// Prints the cost of one printer enumerator pass over 10 queues: 5 USB queues with their
// simulated printers and 5 network queues with theirs, on a CUPS server of its own; then the
// same pass while one network printer does not answer.
// Usage: bench_enumerator [passes (10)]
#include "discovery/cups.h"
#include "discovery/printerenumerator.h"
#include "simulatednetworkprinter.h"
#include "tests/tools/privatecupsserver.h"
#include "tests/tools/quillonprinter.h"
#include "tests/tools/testprocess.h"
#include "usbsim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

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

    UsbSim usb;
    std::vector<std::unique_ptr<SimulatedNetworkPrinter>> network;
    for (int i = 0; i < 5; ++i) {
        const UsbSimPrinter printer = quillonPrinter(quint16(0x0100 + i));
        usb.addPrinter(printer);
        server.addQueue(QStringLiteral("bench_usb%1").arg(i),
                        QStringLiteral("usb://Tessival/Quillon%20C400%20Series?serial=%1").arg(i),
                        ppd);
        auto &net = network.emplace_back(std::make_unique<SimulatedNetworkPrinter>());
        net->setDeviceId(printer.deviceId);
        net->setDocument(printer.document);
        server.addQueue(QStringLiteral("bench_net%1").arg(i), net->uri(), ppd);
    }

    QObject receiver;
    PrinterEnumerator withDocuments(&receiver, false, install.binDir());
    PrinterEnumerator localDocuments(&receiver, true, install.binDir());
    const double local = medianPassMs(localDocuments, passes);
    const double documents = medianPassMs(withDocuments, std::max(1, passes / 5));
    printf("printers published: %lld\n", qlonglong(localDocuments.printers().size()));
    printf("one pass, 10 queues, 5 USB printers, local status description: %8.2f ms\n", local);
    printf("one pass, 10 queues, 5 USB printers, reading their documents:  %8.2f ms\n", documents);
    printf("(each USB document read ends with the printer protocol's 500 ms pause; the network\n"
           " printers' documents are read in both passes)\n");

    // The list is published at the end of the pass: every printer waits for the silent one.
    network.front()->setMode(SimulatedNetworkPrinter::AgentStopped);
    const double silent = medianPassMs(localDocuments, std::max(1, passes / 5));
    printf("the same pass, local status description, 1 network printer silent: %8.2f ms\n", silent);
    printf("the list reaches the window %.2f ms later for the other 9 printers\n", silent - local);
    return 0;
}
