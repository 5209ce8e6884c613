#include "link/PortMap.h"

#include <QFileInfo>
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
    return fromPaths(qEnvironmentVariable("ZANTOLUX_PORTS").split(u':'));
}

PortMap PortMap::fromPaths(const QStringList &paths)
{
    QStringList absolute;
    for (const QString &path : paths)
        absolute.append(path.isEmpty() ? path : QFileInfo(path).absoluteFilePath());
    return PortMap(absolute);
}

PortMap::PortMap(QStringList fixedPaths) : m_fixed(std::move(fixedPaths)) {}

PortMap::PortMap(Lister lister) : m_lister(std::move(lister)) {}

QString PortMap::devicePath(int comNumber) const
{
    if (comNumber < 1)
        return {};
    if (m_fixed)
        return comNumber <= m_fixed->size() ? m_fixed->at(comNumber - 1) : QString();
    if (comNumber == 1 || !m_systemAge.isValid() || m_systemAge.hasExpired(kSystemListMaxAgeMs))
        refreshSystemList();
    return comNumber <= m_system.size() ? m_system.at(comNumber - 1) : QString();
}

QStringList PortMap::devicePaths() const
{
    if (m_fixed)
        return *m_fixed;
    refreshSystemList();
    return m_system;
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
