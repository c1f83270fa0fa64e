#include "cups/device.h"

QString PpdInfo::toString() const
{
    return QString::asprintf("\n\tmodel: %s\n\tproduct: %s\n\tmanufacturer: %s\n\tmodelNumber: %d",
                             qPrintable(model), qPrintable(product), qPrintable(manufacturer),
                             modelNumber);
}

Device::Device(const QString &name, const QString &deviceUri, const QString &printerUri)
    : name(name)
    , fullPath(deviceUri.isEmpty() ? printerUri : deviceUri)
    , location(deviceUri.isEmpty() ? Network : locationFromUri(deviceUri))
{ }

Device::~Device() = default;

int Device::locationFromUri(const QString &uri)
{
    if (uri.isEmpty())
        return Network;
    if (uri.startsWith(QLatin1String("file:")))
        return File;
    for (const char *prefix : {"ipp:", "lpd:", "http:", "socket:"}) {
        if (uri.startsWith(QLatin1String(prefix)))
            return Network;
    }
    if (uri.startsWith(QLatin1String("usb:")))
        return USB;
    if (uri.startsWith(QLatin1String("parallel:")))
        return LPT;
    if (uri.startsWith(QLatin1String("mfp:"))) {
        // mfp0 to mfp3 are the parallel ports of the multifunction driver, the rest are USB.
        const qsizetype n = uri.size();
        const bool parallel
                = n >= 2 && uri.at(n - 2) == QLatin1Char('p') && uri.at(n - 1) <= QLatin1Char('3');
        return parallel ? LPT : USB;
    }
    return Unknown;
}

const char *Device::locationName(int location)
{
    switch (location) {
    case USB:
        return "USB";
    case LPT:
        return "LPT";
    case File:
        return "File";
    case Network:
        return "Network";
    default:
        return "Unknown";
    }
}

QString Device::toString() const
{
    return QString::asprintf("\n\tname: %s\n\tfullPath: %s\n\tlocation: %d(%s)\n\tppd: %s",
                             qPrintable(name), qPrintable(fullPath), location,
                             locationName(location), qPrintable(ppd.toString()));
}
