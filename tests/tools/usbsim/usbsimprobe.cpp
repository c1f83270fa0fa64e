// A child process for the simulator's own test: asks the printer with the product's channel and
// prints what it got. It is built without the shim, which it gets by preloading.
#include "acquisition/pldeviceusb.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4)
        return 2;
    PlDeviceUsb channel(quint16(arguments[2].toUInt(nullptr, 16)),
                        quint16(arguments[1].toUInt(nullptr, 16)));
    int retCode = 0;
    const StatusBlock block = channel.requestStatus_withRepeat(&retCode);
    printf("status %s %d\n",
           QByteArray(reinterpret_cast<const char *>(block.data()), 8).toHex().constData(),
           retCode);
    const QString id = PlDeviceUsb::requestDescription(arguments[3], &retCode);
    printf("deviceid %s %d\n", qPrintable(id), retCode);
    return 0;
}
