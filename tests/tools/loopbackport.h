#pragma once

#include <QtGlobal>

// A TCP port free on both loopback addresses, for a server a test starts; 0 when none was found.
quint16 freeLoopbackPort();
