#include "net/snmpclient.h"

#include "base/functions.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr int kMaxOidLength = 128;

void initLibraryLocked()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // As root the library would otherwise write under /var/lib/snmp at exit, and read the
        // system's configuration, which may name MIBs to load.
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        // Both are needed: an empty search path alone still looks for the default modules and
        // logs a warning for each. The library reads MIBS only here; the programs we start get
        // the user's value back. qputenv takes Qt's environment lock.
        netsnmp_set_mib_directory("");
        const bool hadMibs = qEnvironmentVariableIsSet("MIBS");
        const QByteArray mibs = qgetenv("MIBS");
        qputenv("MIBS", QByteArray());
        init_snmp("SNMPClient");
        if (hadMibs)
            qputenv("MIBS", mibs);
        else
            qunsetenv("MIBS");
    });
}

} // namespace

QMutex &SNMPClient::libraryMutex()
{
    static QMutex mutex;
    return mutex;
}

void SNMPClient::initLibrary()
{
    QMutexLocker lock(&libraryMutex());
    initLibraryLocked();
}

unsigned SNMPClient::request(const char *destination, const char *objectId, char *buffer,
                             unsigned bufferSize, int timeoutMs, int retries, int *status)
{
    debugPrintf("SNMPClient::request: dest=<%s> oid=<%s>", destination, objectId);
    QMutexLocker lock(&libraryMutex());
    initLibraryLocked();

    const bool ipv6 = std::strchr(destination, ':') != nullptr;
    char peerName[kPeerNameSize];
    if (ipv6)
        std::snprintf(peerName, sizeof peerName, "udp6:%s", destination);
    else
        std::snprintf(peerName, sizeof peerName, "%s", destination);

    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = ipv6 ? SNMP_VERSION_2c : SNMP_VERSION_1;
    session.peername = peerName;
    // The library copies the community when it opens the session.
    session.community = reinterpret_cast<u_char *>(const_cast<char *>(kCommunity));
    session.community_len = std::strlen(kCommunity);
    session.retries = retries;
    session.timeout = static_cast<long>(timeoutMs) * 1000;
    debugPrintf("snmp_session: ss:\n\tpeername: <%s>\n\ttimeout/retries: %ldusec/%d\n"
                "\tmsgMaxSize(send/receive): %u/%u",
                session.peername, session.timeout, session.retries,
                static_cast<unsigned>(session.sndMsgMaxSize),
                static_cast<unsigned>(session.rcvMsgMaxSize));

    int result = 1;
    unsigned copied = 0;
    void *handle = snmp_sess_open(&session);
    if (!handle) {
        snmp_sess_perror("snmp_sess_open", &session);
    } else {
        netsnmp_pdu *pdu = snmp_pdu_create(SNMP_MSG_GET);
        oid name[kMaxOidLength];
        size_t nameLength = kMaxOidLength;
        // A text that does not parse must not send whatever the array held.
        if (!read_objid(objectId, name, &nameLength))
            nameLength = 0;
        snmp_add_null_var(pdu, name, nameLength);
        debugPrintf("snmp_sess_synch_response:");
        netsnmp_pdu *response = nullptr;
        result = snmp_sess_synch_response(handle, pdu, &response);
        if (result != STAT_SUCCESS) {
            char *text = nullptr;
            snmp_sess_error(handle, nullptr, nullptr, &text);
            debugPrintf("snmp_sess_synch_response failed: <%s>", text ? text : "");
            SNMP_FREE(text);
        } else if (!response) {
            debugPrintf("Error in packet: <%s>", "null response");
        } else if (response->errstat != SNMP_ERR_NOERROR) {
            debugPrintf("Error in packet: <%s>", snmp_errstring(response->errstat));
        } else if (response->variables && response->variables->type == ASN_OCTET_STR) {
            copied = std::min<unsigned>(response->variables->val_len, bufferSize);
            if (copied > 0)
                std::memcpy(buffer, response->variables->val.string, copied);
        }
        if (response)
            snmp_free_pdu(response);
        snmp_sess_close(handle);
    }

    if (status)
        *status = result;
    debugPrintf("SNMPClient::request: response: status=%d len=%d data=<%-.*s>", result,
                static_cast<int>(copied), static_cast<int>(copied), buffer);
    return copied;
}
