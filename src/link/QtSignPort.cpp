#include "link/QtSignPort.h"

#include "link/LinkLog.h"

#include <QSerialPort>

#include <termios.h>
#include <unistd.h>

namespace zlx {

QtSignPort::QtSignPort(PortMap map, QObject *parent)
    : SignPort(parent), m_map(std::move(map)), m_serial(new QSerialPort(this))
{
    connect(m_serial, &QSerialPort::readyRead, this, &QtSignPort::checkThreshold);
    connect(m_serial, &QSerialPort::errorOccurred, this, &QtSignPort::onError);
}

// An open device that reports a resource, read or write error is gone for the exchange: a
// pulled adapter, or a pty whose other side closed (a hung-up device reads 0 bytes, which
// QSerialPort reports as a read error). Errors while opening are open()'s to tell.
// lost() is queued: drain()'s wait also reports the error, and the link, told from inside
// drain(), would end the exchange there and again when drain() returns false.
void QtSignPort::onError(QSerialPort::SerialPortError error)
{
    if (!m_serial->isOpen())
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError
        && error != QSerialPort::WriteError)
        return;
    qCInfo(lcLink) << "port" << m_serial->portName() << "failed:" << error;
    m_serial->close();
    QMetaObject::invokeMethod(this, &QtSignPort::lost, Qt::QueuedConnection);
}

void QtSignPort::setPortNumber(int number)
{
    m_number = number;
}

void QtSignPort::setSettings(const PortSettings &settings)
{
    m_settings = settings;
}

void QtSignPort::setReceiveThreshold(int bytes)
{
    m_threshold = bytes;
}

// The receive event fires once at least the threshold of bytes is waiting; a threshold of 0
// raises no event.
void QtSignPort::checkThreshold()
{
    if (m_threshold > 0 && m_serial->bytesAvailable() >= m_threshold)
        emit dataArrived();
}

OpenResult QtSignPort::open()
{
    if (m_serial->isOpen())
        m_serial->close();
    const QString path = m_map.devicePath(m_number);
    if (path.isEmpty())
        return OpenResult::NoDevice;
    m_serial->setPortName(path);
    m_serial->setReadBufferSize(m_settings.inBufferSize);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        qCDebug(lcLink) << "open" << path << "failed:" << m_serial->errorString();
        switch (m_serial->error()) {
        case QSerialPort::DeviceNotFoundError:
            return OpenResult::NoDevice;
        case QSerialPort::PermissionError:
            // Also reported for a device another program holds locked: only the file's own
            // permissions make it a matter of access rights.
            return ::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0
                       ? OpenResult::Failed
                       : OpenResult::NoPermission;
        default:
            return OpenResult::Failed;
        }
    }
    // A pty has no line settings to speak of; their failure must not stop the exchange.
    m_serial->setBaudRate(m_settings.baudRate);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    return OpenResult::Opened;
}

void QtSignPort::close()
{
    if (m_serial->isOpen())
        m_serial->close();
}

bool QtSignPort::isOpen() const
{
    return m_serial->isOpen();
}

void QtSignPort::discardInput()
{
    if (!m_serial->isOpen())
        return;
    m_serial->clear(QSerialPort::Input);
    m_serial->readAll();
}

bool QtSignPort::write(const QByteArray &bytes)
{
    if (!m_serial->isOpen())
        return false;
    return m_serial->write(bytes) == bytes.size();
}

QByteArray QtSignPort::read()
{
    if (!m_serial->isOpen())
        return {};
    return m_serial->read(m_settings.inputLen);
}

qint64 QtSignPort::bytesWaiting() const
{
    return m_serial->isOpen() ? m_serial->bytesAvailable() : 0;
}

bool QtSignPort::drain()
{
    if (!m_serial->isOpen())
        return false;
    while (m_serial->bytesToWrite() > 0) {
        if (!m_serial->waitForBytesWritten(1000))
            return false;
    }
    // The kernel holds the bytes now; tcdrain waits until they have left the line, before
    // the close restores the device's former settings.
    return ::tcdrain(int(m_serial->handle())) == 0;
}

}  // namespace zlx
