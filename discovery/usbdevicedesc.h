#pragma once

#include <QString>
#include <QStringList>

// One USB device as the kernel lists it, from the USB device list file or from sysfs.
class UsbDeviceDesc
{
public:
    QString ieee1284_id;
    QString topology;
    QString bandwidth;
    QString deviceInfo;
    QString productInfo;
    QString manufacturer;
    QString product;
    QString serialNumber;
    QStringList interfaces;
    quint16 productId = 0;
    quint16 vendorId = 0;
    // Bus and device number ("1/3"): a printer plugged in again gets a new one. Empty when
    // unknown.
    QString plugging;

    // A printer-class interface (class 7), or a device id that says so.
    bool isPrinter() const;
    QString toString() const;
};
