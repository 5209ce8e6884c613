#pragma once

#include "link/SignPort.h"

namespace zlx {

// The sign's real port: a serial device through QSerialPort, or a serial device server through
// QTcpSocket, chosen by the address each open() is given.
class QtSignPort final : public SignPort
{
    Q_OBJECT
public:
    explicit QtSignPort(QObject *parent = nullptr);

    void setSettings(const PortSettings &settings) override;
    void setReceiveThreshold(int bytes) override;
    int receiveThreshold() const override { return m_active->receiveThreshold(); }

    PortStatus open(const QString &address) override;
    void close() override { m_active->close(); }
    bool isOpen() const override { return m_active->isOpen(); }
    QString detail() const override { return m_active->detail(); }
    std::chrono::milliseconds quietTime() const override { return m_active->quietTime(); }

    void discardInput() override { m_active->discardInput(); }
    bool write(const QByteArray &bytes) override { return m_active->write(bytes); }
    QByteArray read() override { return m_active->read(); }
    qint64 bytesWaiting() const override { return m_active->bytesWaiting(); }
    void flush() override { m_active->flush(); }

private:
    SignPort *m_serial;
    SignPort *m_network;
    SignPort *m_active;
};

}  // namespace zlx
