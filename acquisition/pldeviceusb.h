#pragma once

#include "acquisition/pldevice.h"
#include "acquisition/usb/usbsession.h"

#include <cstdint>

class QDeadlineTimer;

// The status channel to a printer attached by USB, found by its vendor and product id and asked
// with vendor requests on endpoint 0. Every request opens the device afresh in a session of the
// USB layer, which serializes all channels and threads; the printer is looked for where it was
// found last, and the buses are scanned again only when it is not there.
class PlDeviceUsb : public PlDevice
{
public:
    PlDeviceUsb(std::uint16_t productId, std::uint16_t vendorId);

    QString requestStatusXML(int *retCode = nullptr) override;
    StatusBlock requestStatus_withRepeat(int *retCode = nullptr) override;
    QList<Job> getJobList(int *retCode = nullptr) override;
    // Both from one opening of the device while it answers: a poll every second opens it once.
    StatusBlock requestStatusAndJobs(QList<Job> &jobs, int *retCode = nullptr) override;
    bool isLocal() const override { return true; }
    QString toString() const override;

    // The IEEE 1284 device id of the printer behind a printer-class device file ("/dev/usb/lp0").
    // `retCode` is 1 when the file is busy (not retried), -1 when it could not be read (retried
    // unless the path is no character device).
    static QString requestDescription(const QString &path, int *retCode = nullptr);

    // Locates this printer and opens it on the session's handle; whether a device is open.
    bool initUSBChannel(UsbSession &session);

    std::uint16_t productId() const { return m_productId; }
    std::uint16_t vendorId() const { return m_vendorId; }

    // A document announced as larger than this is refused rather than read.
    static constexpr unsigned int kMaxDocumentSize = 1024 * 1024;
    // One document read, its retries included, gives up this long after it began, so that no
    // other request waits longer for the USB layer.
    static constexpr int kDocumentDeadlineMs = 10000;

private:
    static QString requestDescriptionOnce(const QString &path, int &retCode, bool &final);

    // With `jobs`, a status that came is followed by the job list in the same session;
    // `jobsCode` is then its result code.
    StatusBlock requestStatus(int &retCode, QList<Job> *jobs = nullptr, int *jobsCode = nullptr);
    StatusBlock requestStatusWithRetries(int &retCode, QList<Job> *jobs = nullptr,
                                         int *jobsCode = nullptr);
    // The retries, then after a pause the retries once more.
    StatusBlock requestStatusRepeated(int &code, QList<Job> *jobs = nullptr,
                                      int *jobsCode = nullptr);
    QByteArray requestStatusXMLOnce(int &retCode, const QDeadlineTimer &deadline, bool &final);

    std::uint16_t m_productId;
    std::uint16_t m_vendorId;
    UsbLocation m_location; // where the printer was found last
};
