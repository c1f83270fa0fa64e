#include "tests/tools/loopbackport.h"

#include <QHostAddress>
#include <QTcpServer>

quint16 freeLoopbackPort()
{
    // Free on both loopback addresses: the simulator listens on each.
    QTcpServer v4;
    QTcpServer v6;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!v4.listen(QHostAddress::LocalHost, 0))
            return 0;
        const quint16 port = v4.serverPort();
        const bool free = v6.listen(QHostAddress::LocalHostIPv6, port);
        v6.close();
        v4.close();
        if (free)
            return port;
    }
    return 0;
}
