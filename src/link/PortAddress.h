#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zlx {

// Where a sign's line is: a serial device, or a serial device server on the network, in raw
// TCP (tcp://HOST:PORT, the server's own side set to 2400 8N1) or telnet with the COM-PORT
// option (rfc2217://HOST:PORT, the program sets the far line itself).
struct PortAddress
{
    enum class Kind { Device, Tcp, Rfc2217 };

    Kind kind = Kind::Device;
    QString path;  // a device
    QString host;  // a network port; IPv6 without brackets
    quint16 port = 0;

    bool isNetwork() const { return kind != Kind::Device; }
    // The address as the user writes it; a device path stays as given.
    QString toString() const;
    // An absolute device path, or a URL with a host and a port 1..65535; error says why not.
    static std::optional<PortAddress> parse(const QString &text, QString *error = nullptr);
    // A relative device path made absolute against the current folder (a serial library would
    // read a bare name as one under /dev); URLs unchanged.
    static QString absolute(const QString &text);
    // One port by every name: the device's identity (device and inode) when it exists, or the
    // host (localhost as 127.0.0.1) and port; used to find a port named twice.
    static QString identity(const QString &text);
};

// The port list variable: entries separated by ':'. An entry that starts with tcp:// or
// rfc2217:// runs to the end of its port number (so its own colons do not split it, IPv6 hosts
// in brackets included); any other entry runs to the next ':'.
QStringList splitPortList(const QString &value);

}  // namespace zlx
