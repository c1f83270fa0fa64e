#pragma once

#include "tests/tools/testfiles.h"
#include "usbsim.h"

// The fictional Quillon C400 family as a simulated USB printer, serving the project's own status
// description. Link pellar_testsupport and a usbsim target.
inline UsbSimPrinter quillonPrinter(quint16 productId = 0x0100,
                                    const QByteArray &deviceId
                                    = "MFG:Tessival;MDL:Quillon C400;CLS:PRINTER;")
{
    UsbSimPrinter printer;
    printer.vendorId = 0xf1e0;
    printer.productId = productId;
    printer.manufacturer = "Tessival";
    printer.product = "Quillon_C400_Series";
    printer.deviceId = deviceId;
    printer.document = readFile(QStringLiteral(PELLAR_SOURCE_DIR "/bin/sm.xml"));
    return printer;
}
