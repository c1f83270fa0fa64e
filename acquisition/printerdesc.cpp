#include "acquisition/printerdesc.h"

#include "acquisition/pldevicecups.h"
#include "acquisition/pldevicenw.h"
#include "acquisition/pldeviceusb.h"
#include "base/functions.h"

PrinterDesc::PrinterDesc(const QByteArray &manufacturer, const QByteArray &product,
                         const QByteArray &serialNumber, quint16 productId, quint16 vendorId,
                         quint32 uniqueKey)
    : manufacturer(manufacturer)
    , product(product)
    , serialNumber(serialNumber)
    , productId(productId)
    , vendorId(vendorId)
    , internalId((quint32(vendorId) << 16) | productId)
    , uniqueKey(uniqueKey)
{ }

quint16 PrinterDesc::nameChecksum(const QString &queueName)
{
    const QByteArray bytes = queueName.toLatin1();
    return qChecksum(QByteArrayView(bytes), Qt::ChecksumIso3309);
}

QString PrinterDesc::toString() const
{
    return QString::asprintf(
            "\n\tManufacturer: %s\n\tProduct: %s\n\tSerial number: %s\n\tProduct ID: 0x%.4hx"
            "\n\tVendor ID: 0x%.4hx\n\tInternal ID: 0x%.8x\n\tUnique key: 0x%.8x"
            "\n\tDev path: %s\n\tSoft path: %s\n\tSoft name: %s\n\tIs local: %d"
            "\n\tTUNEX: %d\n\tExt job table: %d\n\tHas status XML: %d%s",
            manufacturer.constData(), product.constData(), serialNumber.constData(), productId,
            vendorId, internalId, uniqueKey, qPrintable(devPath), qPrintable(softPath),
            qPrintable(softName.join(QLatin1Char(';'))), isLocal ? 1 : 0, hasTunex ? 1 : 0,
            extJobTable ? 1 : 0, statusXml.isEmpty() ? 0 : 1,
            generic ? "\n\tFollowed through CUPS" : "");
}

QByteArray PrinterDesc::dumpOf(const PrinterDesc *printer)
{
    return printer ? printer->toString().toLocal8Bit() : QByteArray("NULL");
}

std::unique_ptr<PlDevice> PrinterDesc::device() const
{
    debugPrintf("PrinterDesc::device: device hasn't been initialized yet");
    if (generic)
        return std::make_unique<PlDeviceCups>(softName.value(0));
    if (isLocal)
        return std::make_unique<PlDeviceUsb>(productId, vendorId);
    return std::make_unique<PlDeviceNw>(devPath);
}
