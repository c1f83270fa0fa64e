#pragma once

#include "status/printerstate.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class PlDevice;

// One monitorable printer, as discovery publishes it and the window keeps it.
class PrinterDesc
{
public:
    PrinterDesc() = default;
    PrinterDesc(const QByteArray &manufacturer, const QByteArray &product,
                const QByteArray &serialNumber, quint16 productId, quint16 vendorId,
                quint32 uniqueKey);

    // The key of a printer built from a CUPS queue: the queue name's 16-bit checksum, shifted.
    static quint16 nameChecksum(const QString &queueName);
    static quint32 uniqueKeyForQueue(const QString &queueName)
    {
        return quint32(nameChecksum(queueName)) << 16;
    }

    QString toString() const;
    // For the log: the record's text form, or "NULL".
    static QByteArray dumpOf(const PrinterDesc *printer);
    bool operator==(const PrinterDesc &other) const = default;

    // A new status channel for this printer, owned by the caller: USB for a local printer,
    // the network channel to devPath otherwise.
    std::unique_ptr<PlDevice> device() const;

    QByteArray manufacturer;
    QByteArray product;
    QByteArray serialNumber;
    quint16 productId = 0;
    quint16 vendorId = 0;
    quint32 internalId = 0;
    quint32 uniqueKey = 0;
    QString devPath;
    QString softPath;
    QStringList softName;
    QString statusXml;
    bool hasTunex = false;
    bool extJobTable = false;
    bool isLocal = true;
    // A queue of another make: its status comes from the CUPS server alone, no channel of ours
    // reaches the printer.
    bool generic = false;
    // What the server says of the first queue, as its list tells it.
    QueueCondition queueCondition;
    // Never set: the record keeps no channel; device() makes a new one for its caller.
    PlDevice *deviceChannel = nullptr;
};

// The published printer list: unique key to printer, ascending.
using PrinterMap = QMap<qint32, PrinterDesc>;
