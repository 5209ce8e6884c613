#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <optional>

namespace zlx {

// Maps COMn to a device path. With ZANTOLUX_PORTS set (a colon-separated list of device
// paths) COM1 is its first path; otherwise COMn is the n-th serial port the system reports,
// in order of device path.
class PortMap
{
public:
    static PortMap fromEnvironment();
    explicit PortMap(QStringList fixedPaths);
    PortMap() = default;  // the system's ports, looked up at each call

    // The device for COMn, or an empty string when there is none.
    QString devicePath(int comNumber) const;

private:
    QStringList systemPorts() const;

    std::optional<QStringList> m_fixed;
    // Listing the system's ports is costly; the list is refreshed once per scan pass (at COM1)
    // and whenever it is older than a pass.
    mutable QStringList m_system;
    mutable QElapsedTimer m_systemAge;
};

}  // namespace zlx
