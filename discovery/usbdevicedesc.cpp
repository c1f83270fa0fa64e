#include "discovery/usbdevicedesc.h"

namespace {
const int kPrinterInterfaceClass = 7;
}

bool UsbDeviceDesc::isPrinter() const
{
    for (const QString &interface : interfaces) {
        const qsizetype at = interface.indexOf(QLatin1String("Cls="));
        if (at < 0)
            continue;
        // "Cls=07(print)" from the device list, "Cls=07" from sysfs.
        QString value = interface.mid(at + 4);
        value = value.left(value.indexOf(QLatin1Char(' '))).trimmed();
        value = value.left(value.indexOf(QLatin1Char('(')));
        bool ok = false;
        if (value.toInt(&ok, 16) == kPrinterInterfaceClass && ok)
            return true;
    }
    return ieee1284_id.contains(QLatin1String("CLS:PRINTER"))
            || ieee1284_id.contains(QLatin1String("CLASS:PRINTER"));
}

QString UsbDeviceDesc::toString() const
{
    return QString::asprintf(
            "\n\tieee1284_id: %s\n\ttopology: %s\n\tbandwidth: %s\n\tdeviceInfo: %s"
            "\n\tproductInfo: %s\n\tmanufacturer: %s\n\tproduct: %s\n\tserialNumber: %s"
            "\n\tvendorId: 0x%.4hx\n\tproductId: 0x%.4hx\n\tinterfaces:\n\t\t%s",
            qPrintable(ieee1284_id), qPrintable(topology), qPrintable(bandwidth),
            qPrintable(deviceInfo), qPrintable(productInfo), qPrintable(manufacturer),
            qPrintable(product), qPrintable(serialNumber), vendorId, productId,
            qPrintable(interfaces.join(QLatin1String("\n\t\t"))));
}
