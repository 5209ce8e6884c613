#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace zlx {

// Line settings and buffer sizes of the sign's port.
struct PortSettings
{
    qint32 baudRate = 2400;  // 8 data bits, no parity, 1 stop bit, no flow control
    int inBufferSize = 512;
    int outBufferSize = 512;
    int inputLen = 512;      // one read returns at most this many bytes
};

enum class OpenResult { Opened, NoDevice, NoPermission, Failed };

// The port operations the link needs, and nothing else. The link never creates its port:
// the window hands it a QtSignPort, tests a virtual sign on a pty or a scripted port.
class SignPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SignPort() override;

    virtual void setPortNumber(int number) = 0;  // COM1 = 1
    virtual int portNumber() const = 0;
    virtual QString devicePath() const = 0;      // of the current COM number; empty if none
    virtual void setSettings(const PortSettings &settings) = 0;
    // dataArrived() fires once at least this many bytes are waiting.
    virtual void setReceiveThreshold(int bytes) = 0;
    virtual int receiveThreshold() const = 0;

    // Opening an open port closes and reopens it.
    virtual OpenResult open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void discardInput() = 0;          // does nothing on a closed port
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray read() = 0;            // up to inputLen waiting bytes
    virtual qint64 bytesWaiting() const = 0;
    // Blocks until written bytes have left, so a close after it loses nothing.
    virtual bool drain() = 0;

signals:
    void dataArrived();
    // The open device failed: unplugged, hung up, or a read or write the system refused.
    void lost();
};

}  // namespace zlx
