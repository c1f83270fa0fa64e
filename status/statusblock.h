#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The raw status block of one poll. Bytes 0..7 come from the printer; the worker fills bytes 8
// and 9 from the print jobs it follows.
//   byte 0: bits 0-2 status kind, bit 3 printing a USB job, bit 4 printing a network job
//   bytes 1-3: status id, big-endian; the low nibble of byte 3 also carries the colour bits of a
//              low-toner status (8 black, 4 cyan, 2 magenta, 1 yellow)
//   bytes 4-7: toner levels in percent, above 100 unknown
//   byte 8: jobs of this host, byte 9: all jobs (bit 0 pending, 1 preparing, 2 printing)
class StatusBlock
{
public:
    static constexpr int kSize = 10;
    static constexpr int kPrinterBytes = 8;
    static constexpr int kHostJobsByte = 8;
    static constexpr int kAllJobsByte = 9;

    enum JobBit : std::uint8_t { JobPending = 0x01, JobPreparing = 0x02, JobPrinting = 0x04 };

    StatusBlock() { m_bytes.fill(0); }

    std::uint8_t &operator[](int index) { return m_bytes[index]; }
    std::uint8_t operator[](int index) const { return m_bytes[index]; }
    std::uint8_t *data() { return m_bytes.data(); }
    const std::uint8_t *data() const { return m_bytes.data(); }
    void clear() { m_bytes.fill(0); }

    // No status was obtained from the printer: bytes 0..7 all zero.
    bool isEmpty() const;
    bool isPrinting() const { return (m_bytes[0] & 0x18) != 0; }
    bool isPrintingUsbJob() const { return (m_bytes[0] & 0x08) != 0; }
    bool isPrintingNetworkJob() const { return (m_bytes[0] & 0x10) != 0; }
    bool hasActiveJobs() const { return (m_bytes[kHostJobsByte] & 0x07) != 0; }
    int kind() const { return m_bytes[0] & 0x07; }
    std::uint32_t statusId() const
    {
        return (std::uint32_t(m_bytes[1]) << 16) | (std::uint32_t(m_bytes[2]) << 8) | m_bytes[3];
    }

    // Equal in the bytes that make a status change: 0 to 8.
    bool sameStatus(const StatusBlock &other) const;

    QString toString() const;

    bool operator==(const StatusBlock &other) const { return m_bytes == other.m_bytes; }

private:
    std::array<std::uint8_t, kSize> m_bytes;
};
