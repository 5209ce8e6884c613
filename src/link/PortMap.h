#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zlx {

// Maps COMn to a device path. With ZANTOLUX_PORTS set (a colon-separated list of device
// paths) COM1 is its first path; otherwise COMn is the n-th serial port the system reports,
// in order of device path.
class PortMap
{
public:
    using Lister = std::function<QStringList()>;

    static PortMap fromEnvironment();
    // Relative paths are made absolute: QSerialPort reads a bare name as one under /dev.
    static PortMap fromPaths(const QStringList &paths);
    explicit PortMap(QStringList fixedPaths);
    // The system's ports, as the lister reports them (QSerialPortInfo by default).
    explicit PortMap(Lister lister = systemPorts);

    // The device for COMn, or an empty string when there is none.
    QString devicePath(int comNumber) const;
    // Every COMn with a device, COM1 first (for a listing).
    QStringList devicePaths() const;

    static QStringList systemPorts();

private:
    void refreshSystemList() const;

    std::optional<QStringList> m_fixed;
    Lister m_lister;
    // Listing the system's ports is costly; the list is refreshed once per scan pass (at COM1)
    // and whenever it is older than a pass.
    mutable QStringList m_system;
    mutable QElapsedTimer m_systemAge;
};

}  // namespace zlx
