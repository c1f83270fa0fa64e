#pragma once

class QMutex;

// One SNMP GET of one numeric object on one printer, the OCTET STRING value copied into the
// caller's buffer (no terminating zero). Stateless: every call opens and closes its own session.
class SNMPClient
{
public:
    // The number of bytes copied. `status` (may be null): 0 when an answer arrived, even an error
    // or a value of another type; 1 when no session could be opened; else the library's status.
    // A destination containing ':' is IPv6 and asked with SNMPv2c, any other with SNMPv1.
    static unsigned request(const char *destination, const char *oid, char *buffer,
                            unsigned bufferSize, int timeoutMs, int retries, int *status);

    // Initialises the library once: numeric objects only, so no MIB files are read, and no
    // configuration or persistent state files are read or written. Safe from any thread.
    static void initLibrary();

    // Held for every use of the library: it is built without its own locks, and sessions share
    // its request-id counter, its error variables and its transport list.
    static QMutex &libraryMutex();

    static constexpr char kCommunity[] = "kelpie";
    static constexpr int kPeerNameSize = 48;
};
