#include "link/SerialLine.h"

#include "link/LinkLog.h"
#include "link/PortLock.h"

#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace zlx {

namespace {
constexpr auto kPollInterval = 4ms;  // about one character time at 2400 baud
constexpr int kBitsPerByte = 10;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
}  // namespace

SerialLine::SerialLine(QObject *parent)
    : SignPort(parent), m_serial(new QSerialPort(this)), m_flushPoll(new QTimer(this))
{
    m_flushPoll->setInterval(kPollInterval);
    connect(m_serial, &QSerialPort::readyRead, this, &SerialLine::checkThreshold);
    connect(m_serial, &QSerialPort::errorOccurred, this, &SerialLine::onError);
    connect(m_serial, &QSerialPort::bytesWritten, this, [this] {
        if (m_flushPolls > 0 && m_serial->bytesToWrite() == 0)
            m_flushPoll->start();
    });
    connect(m_flushPoll, &QTimer::timeout, this, &SerialLine::pollOutput);
}

// Every character time counts on a local line; five of them at 2400 baud is about 21 ms.
std::chrono::milliseconds SerialLine::quietTime() const
{
    return 25ms;
}

// An open device that reports a resource, read or write error is gone for the exchange: a
// pulled adapter, or a pty whose other side closed (a hung-up device reads 0 bytes, which
// QSerialPort reports as a read error). Errors while opening are open()'s to tell.
// lost() is queued: the link, told from inside write(), would end the exchange there and again
// when write() returns false.
void SerialLine::onError(QSerialPort::SerialPortError error)
{
    if (!m_serial->isOpen())
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError
        && error != QSerialPort::WriteError)
        return;
    qCInfo(lcLink) << "port" << m_serial->portName() << "failed:" << error;
    m_detail = m_serial->errorString();
    close();
    QMetaObject::invokeMethod(this, [this] { emit lost(PortStatus::Dropped); }, Qt::QueuedConnection);
}

// The receive event fires once at least the threshold of bytes is waiting; a threshold of 0
// raises no event.
void SerialLine::checkThreshold()
{
    if (m_threshold > 0 && m_serial->bytesAvailable() >= m_threshold)
        emit dataArrived();
}

PortStatus SerialLine::open(const QString &address)
{
    close();
    m_detail.clear();
    // A plain file or a folder would open, or fail with a vague error, as a serial device.
    struct stat st{};
    if (::stat(QFile::encodeName(address).constData(), &st) != 0) {
        m_detail = systemError(errno);
        return errno == EACCES ? PortStatus::NoPermission : PortStatus::NoDevice;
    }
    if (!S_ISCHR(st.st_mode))
        return PortStatus::NotSerial;
    m_serial->setPortName(address);
    m_serial->setReadBufferSize(m_settings.inBufferSize);
    if (!m_serial->open(QIODevice::ReadWrite))
        return openFailure(address);
    const int fd = int(m_serial->handle());
    if (!::isatty(fd)) {
        m_serial->close();
        return PortStatus::NotSerial;
    }
    if (const PortLock::Result lock = PortLock::lockDevice(fd); lock != PortLock::Result::Held) {
        m_detail = lock == PortLock::Result::Failed ? systemError(errno) : QString();
        m_serial->close();
        return lock == PortLock::Result::Busy ? PortStatus::Busy : PortStatus::Failed;
    }
    // A pty has no line settings to speak of; their failure must not stop the exchange.
    m_serial->setBaudRate(m_settings.baudRate);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    return PortStatus::Opened;
}

PortStatus SerialLine::openFailure(const QString &path)
{
    m_detail = m_serial->errorString();
    qCDebug(lcLink) << "open" << path << "failed:" << m_detail;
    switch (m_serial->error()) {
    case QSerialPort::DeviceNotFoundError:
        return PortStatus::NoDevice;
    case QSerialPort::PermissionError:
        // Also reported for a device another program holds locked: only the file's own
        // permissions make it a matter of access rights.
        return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0 ? PortStatus::Busy
                                                                               : PortStatus::NoPermission;
    case QSerialPort::UnsupportedOperationError:
        return PortStatus::NotSerial;
    default:
        return PortStatus::Failed;
    }
}

// A flush under way ends unheard: whoever closes the port no longer waits for it.
void SerialLine::close()
{
    m_flushPoll->stop();
    m_flushPolls = 0;
    if (m_serial->isOpen())
        m_serial->close();
}

bool SerialLine::isOpen() const
{
    return m_serial->isOpen();
}

void SerialLine::discardInput()
{
    if (!m_serial->isOpen())
        return;
    m_serial->clear(QSerialPort::Input);
    m_serial->readAll();
}

bool SerialLine::write(const QByteArray &bytes)
{
    if (!m_serial->isOpen())
        return false;
    return m_serial->write(bytes) == bytes.size();
}

QByteArray SerialLine::read()
{
    if (!m_serial->isOpen())
        return {};
    return m_serial->read(m_settings.inputLen);
}

qint64 SerialLine::bytesWaiting() const
{
    return m_serial->isOpen() ? m_serial->bytesAvailable() : 0;
}

// Qt hands the bytes to the kernel on bytesWritten; the kernel's output queue (TIOCOUTQ) then
// empties at the line's pace. Polled on a timer, so the event loop never blocks; bounded by the
// line time of a full output buffer and a second more.
void SerialLine::flush()
{
    if (!m_serial->isOpen()) {
        QMetaObject::invokeMethod(this, [this] { emit flushed(false); }, Qt::QueuedConnection);
        return;
    }
    const auto bound = std::chrono::milliseconds(1000 + 1000 * kBitsPerByte * m_settings.outBufferSize
                                                            / std::max(1, m_settings.baudRate));
    m_flushPolls = int(bound / kPollInterval) + 1;
    if (m_serial->bytesToWrite() == 0)
        m_flushPoll->start();
}

void SerialLine::pollOutput()
{
    int queued = 0;
    if (::ioctl(int(m_serial->handle()), TIOCOUTQ, &queued) != 0) {
        endFlush(false);
        return;
    }
    if (queued == 0)
        endFlush(true);
    else if (--m_flushPolls <= 0)
        endFlush(false);
}

void SerialLine::endFlush(bool ok)
{
    m_flushPoll->stop();
    m_flushPolls = 0;
    emit flushed(ok);
}

}  // namespace zlx
