#pragma once

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
    std::optional<QStringList> m_fixed;
};

}  // namespace zlx
