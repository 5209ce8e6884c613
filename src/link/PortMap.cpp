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
    // QSerialPort reads a name without a leading slash as one under /dev: a path relative to
    // the working folder is made absolute first.
    QStringList paths;
    for (const QString &path : qEnvironmentVariable("ZANTOLUX_PORTS").split(u':'))
        paths.append(path.isEmpty() ? path : QFileInfo(path).absoluteFilePath());
    return PortMap(paths);
}

PortMap::PortMap(QStringList fixedPaths) : m_fixed(std::move(fixedPaths)) {}

QString PortMap::devicePath(int comNumber) const
{
    if (comNumber < 1)
        return {};
    if (m_fixed)
        return comNumber <= m_fixed->size() ? m_fixed->at(comNumber - 1) : QString();
    if (comNumber == 1 || !m_systemAge.isValid() || m_systemAge.hasExpired(kSystemListMaxAgeMs)) {
        m_system = systemPorts();
        m_systemAge.start();
    }
    return comNumber <= m_system.size() ? m_system.at(comNumber - 1) : QString();
}

// An adapter may be plugged in while the program runs, so the list is never kept for long.
QStringList PortMap::systemPorts() const
{
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths.append(info.systemLocation());
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace zlx
