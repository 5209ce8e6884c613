#include "link/QtSignPort.h"

#include "link/NetworkLine.h"
#include "link/PortAddress.h"
#include "link/SerialLine.h"

namespace zlx {

QtSignPort::QtSignPort(QObject *parent)
    : SignPort(parent), m_serial(new SerialLine(this)), m_network(new NetworkLine(this)), m_active(m_serial)
{
    for (SignPort *line : {m_serial, m_network}) {
        connect(line, &SignPort::opened, this, &SignPort::opened);
        connect(line, &SignPort::dataArrived, this, &SignPort::dataArrived);
        connect(line, &SignPort::lost, this, &SignPort::lost);
        connect(line, &SignPort::flushed, this, &SignPort::flushed);
    }
}

void QtSignPort::setSettings(const PortSettings &settings)
{
    m_serial->setSettings(settings);
    m_network->setSettings(settings);
}

void QtSignPort::setReceiveThreshold(int bytes)
{
    m_serial->setReceiveThreshold(bytes);
    m_network->setReceiveThreshold(bytes);
}

PortStatus QtSignPort::open(const QString &address)
{
    m_active->close();
    const std::optional<PortAddress> parsed = PortAddress::parse(address);
    // A malformed address goes to the network side, whose open() says what is wrong with it.
    m_active = !parsed || parsed->isNetwork() ? m_network : m_serial;
    return m_active->open(address);
}

}  // namespace zlx
