#pragma once

#include "acquisition/pldevice.h"

#include <cstdint>

class QMutex;
class USB;

// The status channel to a printer attached by USB, found by its vendor and product id and asked
// with vendor requests on endpoint 0. Every request rescans the buses and opens the device
// afresh, under one process-wide mutex shared by all channels and threads.
class PlDeviceUsb : public PlDevice
{
public:
    PlDeviceUsb(std::uint16_t productId, std::uint16_t vendorId);

    QString requestStatusXML(int *retCode = nullptr) override;
    StatusBlock requestStatus_withRepeat(int *retCode = nullptr) override;
    QList<Job> getJobList(int *retCode = nullptr) override;
    bool isLocal() const override { return true; }
    QString toString() const override;

    // The IEEE 1284 device id of the printer behind a printer-class device file ("/dev/usb/lp0").
    // `retCode` is 1 when the file is busy (not retried), -1 when it could not be read.
    static QString requestDescription(const QString &path, int *retCode = nullptr);

    // Locates this printer and opens it on `usb`; whether a device is open. The requests above
    // call it with the USB mutex held, as anyone else must.
    bool initUSBChannel(USB &usb);

    std::uint16_t productId() const { return m_productId; }
    std::uint16_t vendorId() const { return m_vendorId; }

    // A document announced as larger than this is refused rather than read.
    static constexpr unsigned int kMaxDocumentSize = 1024 * 1024;

private:
    static QMutex &usbMutex();
    static QString requestDescriptionOnce(const QString &path, int &retCode);

    StatusBlock requestStatus(int &retCode);
    StatusBlock requestStatusWithRetries(int &retCode);
    QString requestStatusXMLOnce(int &retCode);

    std::uint16_t m_productId;
    std::uint16_t m_vendorId;
};
