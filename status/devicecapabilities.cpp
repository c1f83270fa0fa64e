#include "status/devicecapabilities.h"

DeviceCapabilities::DeviceCapabilities(const QString &name, bool network)
    : m_network(network)
{
    setObjectName(name);
}
