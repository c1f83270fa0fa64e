#pragma once

#include "discovery/usbdevicedesc.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Lists the USB printers attached to the machine from the kernel's text device list or, without
// it, from the sysfs attribute files of printer interfaces. Opens no device.
class DeviceReader
{
public:
    // The kernel's places are looked for below root; the empty root is the machine itself.
    explicit DeviceReader(const QString &root = QString());

    QList<UsbDeviceDesc> enumerate();
    // Appends the printers of a device list file; false when the file cannot be read or a
    // device has no product string yet.
    bool enumerateFromFile(const QString &path, QList<UsbDeviceDesc> &list);
    // Appends the printers whose ieee1284_id files the command lists, one path a line.
    bool enumerateByCommand(const QString &command, QList<UsbDeviceDesc> &list);
    // The same for the ieee1284_id files matching the glob, expanded here: no process starts.
    bool enumerateByGlob(const QString &pattern, QList<UsbDeviceDesc> &list);

    // The simplified text of a small attribute file; empty when it cannot be opened.
    static QString readAttribute(const QString &path);

private:
    bool addSysfsPrinters(const QStringList &names, QList<UsbDeviceDesc> &list);

    QString m_procDirectory;
    QString m_classGlob;
    QString m_devicesGlob;
    // The last device list file read whole, and its printers.
    QString m_lastPath;
    QByteArray m_lastContents;
    QList<UsbDeviceDesc> m_lastPrinters;
};
