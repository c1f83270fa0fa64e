#include "status/statusblock.h"

bool StatusBlock::isEmpty() const
{
    for (int i = 0; i < kPrinterBytes; ++i) {
        if (m_bytes[i] != 0)
            return false;
    }
    return true;
}

bool StatusBlock::sameStatus(const StatusBlock &other) const
{
    for (int i = 0; i <= kHostJobsByte; ++i) {
        if (m_bytes[i] != other.m_bytes[i])
            return false;
    }
    return true;
}

QString StatusBlock::toString() const
{
    QString hex;
    for (int i = 0; i < kPrinterBytes; ++i)
        hex += QString::asprintf("%.2x", m_bytes[i]);
    const auto bit = [this](int byte, int mask) {
        return (m_bytes[byte] & mask) ? 1 : 0;
    };
    return QString::asprintf(
            "<%s>\n\tprinting=%d usb/nw=%d/%d\n\thasActiveJobs=%d\n\thostJobs: printing=%d "
            "preparing=%d pending=%d\n\tallJobs : printing=%d preparing=%d pending=%d",
            qPrintable(hex), isPrinting() ? 1 : 0, bit(0, 0x08), bit(0, 0x10),
            hasActiveJobs() ? 1 : 0, bit(8, JobPrinting), bit(8, JobPreparing), bit(8, JobPending),
            bit(9, JobPrinting), bit(9, JobPreparing), bit(9, JobPending));
}
