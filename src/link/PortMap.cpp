#include "link/PortMap.h"

#include "link/PortAddress.h"

#include <QSet>
#include <QSerialPortInfo>
#include <QtGlobal>
#include <algorithm>

namespace zlx {

namespace {
constexpr qint64 kSystemListMaxAgeMs = 5000;
}  // namespace

PortMap PortMap::fromEnvironment()
{
    if (!qEnvironmentVariableIsSet("ZANTOLUX_PORTS"))
        return PortMap();
    return fromPaths(splitPortList(qEnvironmentVariable("ZANTOLUX_PORTS")));
}

PortMap PortMap::fromPaths(const QStringList &addresses)
{
    QStringList absolute;
    for (const QString &address : addresses)
        absolute.append(PortAddress::absolute(address));
    return PortMap(absolute);
}

PortMap::PortMap(QStringList named) : m_named(std::move(named)) {}

PortMap::PortMap(Lister lister) : m_lister(std::move(lister)) {}

QString PortMap::devicePath(int comNumber) const
{
    if (comNumber < 1)
        return {};
    if (m_named)
        return comNumber <= m_named->size() ? m_named->at(comNumber - 1) : QString();
    if (comNumber == 1 || !m_systemAge.isValid() || m_systemAge.hasExpired(kSystemListMaxAgeMs))
        refreshSystemList();
    return comNumber <= m_system.size() ? m_system.at(comNumber - 1) : QString();
}

QStringList PortMap::devicePaths() const
{
    if (m_named)
        return *m_named;
    refreshSystemList();
    return m_system;
}

QString PortMap::repeated() const
{
    if (!m_named)
        return {};
    QSet<QString> seen;
    for (const QString &address : *m_named) {
        if (address.isEmpty())
            continue;
        const QString identity = PortAddress::identity(address);
        if (seen.contains(identity))
            return address;
        seen.insert(identity);
    }
    return {};
}

void PortMap::refreshSystemList() const
{
    m_system = m_lister();
    std::sort(m_system.begin(), m_system.end());
    m_systemAge.start();
}

// An adapter may be plugged in while the program runs, so the list is never kept for long.
QStringList PortMap::systemPorts()
{
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths.append(info.systemLocation());
    return paths;
}

}  // namespace zlx
