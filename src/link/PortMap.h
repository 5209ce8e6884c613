#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zlx {

// Maps COMn to a port address (a device path or a network port). Named ports (--port, or the
// ZANTOLUX_PORTS list) are COM1, COM2, ... in the order given; otherwise COMn is the n-th serial
// port the system reports, in order of device path.
class PortMap
{
public:
    using Lister = std::function<QStringList()>;

    // ZANTOLUX_PORTS (see splitPortList) when it is set, else the system's ports.
    static PortMap fromEnvironment();
    // Named ports; relative device paths made absolute.
    static PortMap fromPaths(const QStringList &addresses);
    explicit PortMap(QStringList named);
    // The system's ports, as the lister reports them (QSerialPortInfo by default).
    explicit PortMap(Lister lister = systemPorts);

    // The address of COMn, or an empty string when there is none.
    QString devicePath(int comNumber) const;
    // Every COMn with a port, COM1 first (for a listing).
    QStringList devicePaths() const;
    // Named ports, rather than the system's own: their probe waits for a late answer.
    bool isNamed() const { return m_named.has_value(); }
    // The first address that names the same port as an earlier one, or empty.
    QString repeated() const;

    static QStringList systemPorts();

private:
    void refreshSystemList() const;

    std::optional<QStringList> m_named;
    Lister m_lister;
    // Listing the system's ports is costly; the list is refreshed once per scan pass (at COM1)
    // and whenever it is older than a pass.
    mutable QStringList m_system;
    mutable QElapsedTimer m_systemAge;
};

}  // namespace zlx
