#pragma once

#include "link/LinkTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>

namespace zlx {

// Line settings and buffer sizes of the sign's port.
struct PortSettings
{
    qint32 baudRate = 2400;  // 8 data bits, no parity, 1 stop bit, no flow control
    int inBufferSize = 512;
    int outBufferSize = 512;
    int inputLen = 512;      // one read returns at most this many bytes
};

// The port operations the link needs, and nothing else. The link never creates its port:
// the window hands it a QtSignPort, tests a virtual sign on a pty or a scripted port.
class SignPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SignPort() override;

    virtual void setSettings(const PortSettings &settings) = 0;
    // dataArrived() fires once at least this many bytes are waiting.
    virtual void setReceiveThreshold(int bytes) = 0;
    virtual int receiveThreshold() const = 0;

    // Opens a device path, tcp://HOST:PORT or rfc2217://HOST:PORT and holds it for this
    // program alone until close(). Opening an open port closes it first. Opened at once,
    // Pending (opened() follows, unless close() comes first), or why not.
    virtual PortStatus open(const QString &address) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Words of the system or the device server about the last failure; may be empty.
    virtual QString detail() const = 0;
    // How long the line must stay still after opening before a request may go out: whatever
    // arrives until then belongs to an earlier exchange.
    virtual std::chrono::milliseconds quietTime() const = 0;

    virtual void discardInput() = 0;          // does nothing on a closed port
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray read() = 0;            // up to inputLen waiting bytes
    virtual qint64 bytesWaiting() const = 0;
    // flushed() follows once every byte written has left (false: the port failed meanwhile).
    virtual void flush() = 0;

signals:
    void opened(zlx::PortStatus status);
    void dataArrived();
    // The open port failed: Dropped (unplugged, hung up, connection closed) or Busy (the device
    // server turned this client away).
    void lost(zlx::PortStatus why);
    void flushed(bool ok);
};

}  // namespace zlx
