#pragma once

#include <QByteArray>
#include <QString>

class QHostAddress;

namespace zlx {

// Holds a port for one program at a time: an advisory lock that every copy of this program
// takes, also when both run as root. A device is locked through its open descriptor, so every
// name of it (a symbolic link, a by-id name) is one lock; a network port through a lock file
// named by its address and port.
class PortLock
{
public:
    enum class Result { Held, Busy, Failed };

    PortLock() = default;
    PortLock(const PortLock &) = delete;
    PortLock &operator=(const PortLock &) = delete;
    ~PortLock() { release(); }

    // Locks an open device descriptor; the lock ends when the descriptor is closed.
    static Result lockDevice(int fd);
    // Locks a network port until release().
    Result lockNetwork(const QHostAddress &address, quint16 port);
    void release();
    bool isHeld() const { return m_fd >= 0; }
    QString error() const { return m_error; }

    // Where the lock files live: /run/lock, which every user of the machine may write, or the
    // temporary folder where that is missing.
    static QString lockFolder();

private:
    int m_fd = -1;
    QByteArray m_path;
    QString m_error;
};

}  // namespace zlx
