#pragma once

#include "link/PortMap.h"
#include "link/SignPort.h"

#include <QSerialPort>

namespace zlx {

// The sign's port on a real serial device (or a pty), through QSerialPort.
class QtSignPort final : public SignPort
{
    Q_OBJECT
public:
    explicit QtSignPort(PortMap map, QObject *parent = nullptr);

    void setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    QString devicePath() const override { return m_map.devicePath(m_number); }
    void setSettings(const PortSettings &settings) override;
    void setReceiveThreshold(int bytes) override;
    int receiveThreshold() const override { return m_threshold; }

    OpenResult open() override;
    void close() override;
    bool isOpen() const override;

    void discardInput() override;
    bool write(const QByteArray &bytes) override;
    QByteArray read() override;
    qint64 bytesWaiting() const override;
    bool drain() override;

private:
    void checkThreshold();
    void onError(QSerialPort::SerialPortError error);

    PortMap m_map;
    QSerialPort *m_serial;
    PortSettings m_settings;
    int m_number = 1;
    int m_threshold = 0;
};

}  // namespace zlx
