#include "link/PortMap.h"

#include <QSerialPortInfo>
#include <QtGlobal>
#include <algorithm>

namespace zlx {

PortMap PortMap::fromEnvironment()
{
    if (qEnvironmentVariableIsSet("ZANTOLUX_PORTS"))
        return PortMap(qEnvironmentVariable("ZANTOLUX_PORTS").split(u':'));
    return PortMap();
}

PortMap::PortMap(QStringList fixedPaths) : m_fixed(std::move(fixedPaths)) {}

QString PortMap::devicePath(int comNumber) const
{
    if (comNumber < 1)
        return {};
    QStringList paths;
    if (m_fixed) {
        paths = *m_fixed;
    } else {
        // Looked up each time: an adapter may be plugged in while the scan runs.
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            paths.append(info.systemLocation());
        std::sort(paths.begin(), paths.end());
    }
    return comNumber <= paths.size() ? paths.at(comNumber - 1) : QString();
}

}  // namespace zlx
