#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Simulated USB printers for tests: the product's own USB code runs unchanged on them.
//
//     UsbSim usb;                                    // a machine without USB devices
//     UsbSimDevice printer = usb.addPrinter({.vendorId = 0xf1e0, .productId = 0x0100});
//     printer.setStatus(QByteArray::fromHex("0100001164646464"));
//     PlDeviceUsb channel(0x0100, 0xf1e0);           // finds it under /proc/bus/usb
//     printer.setMode(UsbSimDevice::Stall);          // change it while the code runs
//     QCOMPARE(printer.requests(QStringLiteral("control")).size(), 8);
//     printer.unplug();
//
// The shim (usbsimshim.cpp) redirects "/proc/bus/usb", "/dev/usb" (and so "/dev/usb/lpN" and
// "/dev/usblpN"), "/dev/bus/usb", "/sys/bus/usb" and "/sys/class/usb_device" to the same paths
// under directory(), and answers the usbfs and printer-class requests on the simulated devices.
// In-process it must be linked into the test binary: link the CMake target `pellar_usbsim`
// (pellar_add_test(... LIBS pellar_usbsim)). For a child process, start it with
// childEnvironment(). The layout of the state files is in usbsimstate.h.
//
// Each bus has a root hub as device 1; printers get the next free device number and the lowest
// free "/dev/usb/lpN". Every change replaces a state file by rename, so code running in another
// thread or process sees the old or the new state, never a mix. One UsbSim at a time.

// One request a simulated device saw.
struct UsbSimRequest
{
    // "open"/"openlp" (argument "rw" or "ro"), "connectinfo", "control", "submiturb",
    // "discardurb", "deviceid", "setconfig", "claim", "release", "setintf", "resetep",
    // "clearhalt", "reset", "getdriver", "disconnect", "portinfo".
    QString kind;
    // control: request type, request, value, index (hexadecimal) and length.
    QStringList arguments;
    int result = 0; // byte count or 0 on success, minus the errno code on failure
    qint64 thread = 0; // kernel thread id of the caller
    qint64 startNs = 0; // CLOCK_MONOTONIC
    qint64 endNs = 0;

    // For control requests: the request number and value.
    int request() const;
    int value() const;
};

class UsbSim;

// A device plugged into a UsbSim; a small value that refers to the device's files.
class UsbSimDevice
{
public:
    enum Mode {
        Normal,
        Unplugged, // device file and printer node refuse to open, open handles fail: ENODEV
        TimeOut, // transfers fail at once with ETIMEDOUT; URBs never complete
        Stall, // transfers fail with EPIPE
        Busy, // the printer node is busy (EBUSY on open)
        Slow // transfers take delayMs; longer than their time-out gives ETIMEDOUT
    };

    bool isValid() const { return m_sim != nullptr; }
    int busNumber() const { return m_bus; }
    int deviceNumber() const { return m_device; }
    // As the product names them: "/proc/bus/usb/001/002", "/dev/usb/lp0" (empty: no node).
    QString path() const;
    QString lpPath() const { return m_lpPath; }
    // Where the device file really is.
    QString filePath() const;

    // Replies: status (request 0x02), job table (0x05), document (0x0D); missing files stall.
    void setStatus(const QByteArray &bytes) const;
    void setJobs(const QByteArray &table) const;
    void setDocument(const QByteArray &document) const;
    // A size announced by request 0x0D value 0 other than the document's length.
    void setAnnouncedDocumentSize(quint32 size) const;
    void setDeviceId(const QByteArray &id) const;
    void setDriver(const QByteArray &name) const;
    void setMode(Mode mode, int delayMs = 0) const;

    // Makes `count` (-1: every) requests of a kind fail with `error` (an errno code). `match` is
    // "*", an exact key or a prefix ending in "*". Keys: control "RR:VVVV" (request and value in
    // hex, "0d:0002"), submiturb the endpoint in hex ("81"), open/openlp "rw"/"ro", deviceid "*",
    // others their number argument ("0").
    void addFault(const QString &kind, const QString &match, int error, int count = -1) const;
    void clearFaults() const;

    // Bulk/interrupt data: what an IN endpoint will send, what an OUT endpoint received.
    void setInData(int endpoint, const QByteArray &bytes) const;
    QByteArray outData(int endpoint) const;

    QList<UsbSimRequest> requests(const QString &kind = QString()) const;
    void clearRequests() const;

    // Pulls the plug: the device file and its printer node vanish (a handle still open on it
    // gets ENODEV); its requests stay readable.
    void unplug() const;

    // A 75-byte job table: up to 15 (job number, status) entries, the rest zero.
    static QByteArray jobTable(const QList<QPair<qint32, quint8>> &jobs);

private:
    friend class UsbSim;
    QString statePath(const QString &name) const;
    void writeState(const QString &name, const QByteArray &bytes) const;

    UsbSim *m_sim = nullptr;
    int m_bus = 0;
    int m_device = 0;
    QString m_lpPath;
};

// What addPrinter plugs in. Designated initializers read well: {.vendorId = 0xf1e0}.
struct UsbSimPrinter
{
    quint16 vendorId = 0xf1e0;
    quint16 productId = 0x0100;
    QByteArray deviceId = "MFG:Acme;MDL:Laser 100;CLS:PRINTER;";
    QByteArray status = QByteArray(8, '\0');
    QByteArray jobs = QByteArray(75, '\0');
    QByteArray document{}; // every member has an initializer, so any can be left out
    // The strings of the device list /proc/bus/usb/devices.
    QByteArray manufacturer = "Acme";
    QByteArray product = "Laser 100";
    QByteArray serialNumber = "SIM0001";
    int bus = 1;
    int device = 0; // 0: the next free number
    enum Node { UsbLpNode, OldLpNode, NoLpNode } lpNode = UsbLpNode; // /dev/usb/lpN, /dev/usblpN
};

class UsbSim
{
public:
    UsbSim();
    ~UsbSim();
    UsbSim(const UsbSim &) = delete;
    UsbSim &operator=(const UsbSim &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // The mirror of the redirected paths, and the usbfs tree in it (directory() + productRoot()).
    QString directory() const { return m_dir.path(); }
    QString root() const { return directory() + productRoot(); }
    static QString productRoot() { return QStringLiteral("/proc/bus/usb"); }

    UsbSimDevice addPrinter(const UsbSimPrinter &printer = UsbSimPrinter());
    // Any device file content, for odd and broken descriptors. No printer node.
    UsbSimDevice addDevice(int bus, const QByteArray &descriptors, int device = 0);
    // A bus with its root hub (addPrinter adds buses as needed).
    void addBus(int bus);
    void removeBus(int bus);
    QList<UsbSimDevice> devices() const;

    // Descriptors of a printer (one configuration, a printer-class interface with a bulk IN and a
    // bulk OUT endpoint) and of a hub.
    static QByteArray printerDescriptors(quint16 vendorId, quint16 productId);
    static QByteArray hubDescriptors();

    // "/proc/bus/usb/devices" is written from the devices after every change, unless fixed here
    // (an empty text removes the file).
    void setDeviceList(const QByteArray &text);

    // The environment for a child process that should see this simulation (preloads the shim).
    QProcessEnvironment childEnvironment() const;

private:
    friend class UsbSimDevice;
    // What was plugged in, kept here: reading a device file back would count as a request.
    struct Plugged
    {
        QByteArray manufacturer, product, serialNumber;
        QByteArray descriptors;
    };

    QString busPath(int bus) const;
    int nextDeviceNumber(int bus) const;
    int nextLpNumber() const;
    UsbSimDevice plug(int bus, int device, const QByteArray &descriptors,
                      const QMap<QString, QByteArray> &state);
    void removeDevice(const UsbSimDevice &device);
    void refresh();
    void writeDeviceList();

    QTemporaryDir m_dir;
    QMap<QString, Plugged> m_plugged; // by device file path
    bool m_fixedDeviceList = false;
};
