#pragma once

#include "link/SignPort.h"

#include <QSerialPort>

class QTimer;

namespace zlx {

// A sign on a serial device (or a pty), through QSerialPort, held with a lock on the device.
class SerialLine final : public SignPort
{
    Q_OBJECT
public:
    explicit SerialLine(QObject *parent = nullptr);

    void setSettings(const PortSettings &settings) override { m_settings = settings; }
    void setReceiveThreshold(int bytes) override { m_threshold = bytes; }
    int receiveThreshold() const override { return m_threshold; }

    PortStatus open(const QString &address) override;
    void close() override;
    bool isOpen() const override;
    QString detail() const override { return m_detail; }
    std::chrono::milliseconds quietTime() const override;

    void discardInput() override;
    bool write(const QByteArray &bytes) override;
    QByteArray read() override;
    qint64 bytesWaiting() const override;
    void flush() override;

private:
    PortStatus openFailure(const QString &path);
    void checkThreshold();
    void onError(QSerialPort::SerialPortError error);
    void pollOutput();
    void endFlush(bool ok);

    QSerialPort *m_serial;
    QTimer *m_flushPoll;
    PortSettings m_settings;
    QString m_detail;
    int m_threshold = 0;
    int m_flushPolls = 0;
};

}  // namespace zlx
