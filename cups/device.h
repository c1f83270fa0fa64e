#pragma once

#include <QString>

// The summary of a queue's PPD file.
class PpdInfo
{
public:
    QString model;
    QString product;
    QString manufacturer;
    qint32 modelNumber = -1;

    bool isEmpty() const
    {
        return model.isEmpty() && product.isEmpty() && manufacturer.isEmpty() && modelNumber == -1;
    }
    QString toString() const;
};

// One CUPS print queue.
class Device
{
public:
    enum Location { Unknown = 0, USB = 1, LPT = 2, File = 3, Network = 4 };

    // A queue without a device URI is known by its printer URI and counts as a network queue.
    Device(const QString &name, const QString &deviceUri, const QString &printerUri = QString());
    virtual ~Device();

    static int locationFromUri(const QString &deviceUri);
    static const char *locationName(int location);

    QString name;
    QString fullPath;
    qint32 location = Unknown;
    PpdInfo ppd;
    // When the server last changed the queue's setup, its PPD included; 0 when unknown.
    qint64 configChanged = 0;
    // The queue's own condition, as the server's list gives it.
    bool stopped = false;
    bool acceptingJobs = true;
    QString stateMessage;

    QString toString() const;
};
