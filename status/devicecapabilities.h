#pragma once

#include <QObject>
#include <QString>

// What one printer model family can do; the object name is the family name.
class DeviceCapabilities : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool NETWORK READ network CONSTANT)

public:
    DeviceCapabilities(const QString &name, bool network);

    // The family can be watched over the network.
    bool network() const { return m_network; }

private:
    bool m_network;
};
