#include "link/NetworkLine.h"

#include "link/LinkLog.h"

#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

using namespace std::chrono_literals;

namespace zlx {

namespace {
// A device server may still pass on what its line held before this client came; a tenth of a
// second covers its buffering and a few character times.
constexpr auto kQuietTime = 100ms;
constexpr int kHeardLimit = 128;
constexpr int kBitsPerByte = 10;
constexpr qint64 kFlushMarginMs = 50;
constexpr auto kGreeting = 50ms;
constexpr auto kRetryPause = 250ms;
constexpr int kBusyRetries = 4;

// IPv4 first: "localhost" is then one address, the same one "127.0.0.1" names.
QHostAddress preferred(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a;
    }
    return addresses.value(0);
}
}  // namespace

NetworkLine::NetworkLine(QObject *parent)
    : SignPort(parent),
      m_socket(new QTcpSocket(this)),
      m_flushWait(new QTimer(this)),
      m_greeting(new QTimer(this)),
      m_retry(new QTimer(this))
{
    for (QTimer *timer : {m_flushWait, m_greeting, m_retry})
        timer->setSingleShot(true);
    m_greeting->setInterval(kGreeting);
    m_retry->setInterval(kRetryPause);
    connect(m_greeting, &QTimer::timeout, this, &NetworkLine::nowOpen);
    connect(m_retry, &QTimer::timeout, this, &NetworkLine::connectNow);
    connect(m_flushWait, &QTimer::timeout, this, [this] {
        m_flushing = false;
        emit flushed(isOpen());
    });
    connect(m_socket, &QTcpSocket::connected, this, &NetworkLine::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkLine::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NetworkLine::onError);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_flushing && m_socket->bytesToWrite() == 0)
            endFlushSoon();
    });
}

NetworkLine::~NetworkLine()
{
    close();
}

std::chrono::milliseconds NetworkLine::quietTime() const
{
    return kQuietTime;
}

PortStatus NetworkLine::open(const QString &address)
{
    close();
    m_detail.clear();
    const std::optional<PortAddress> parsed = PortAddress::parse(address, &m_detail);
    if (!parsed || !parsed->isNetwork())
        return PortStatus::Failed;
    m_address = *parsed;
    m_stage = Stage::Lookup;
    m_lookupId = QHostInfo::lookupHost(m_address.host, this, &NetworkLine::onLookup);
    return PortStatus::Pending;
}

void NetworkLine::onLookup(const QHostInfo &info)
{
    if (m_stage != Stage::Lookup || info.lookupId() != m_lookupId)
        return;
    m_lookupId = -1;
    const QHostAddress address = preferred(info.addresses());
    if (info.error() != QHostInfo::NoError || address.isNull()) {
        fail(PortStatus::Unreachable, info.errorString());
        return;
    }
    // Held before connecting: a server that takes one client would turn the first one's
    // exchange upside down if a second program knocked.
    switch (m_lock.lockNetwork(address, m_address.port)) {
    case PortLock::Result::Held:
        break;
    case PortLock::Result::Busy:
        fail(PortStatus::Busy, {});
        return;
    case PortLock::Result::Failed:
        fail(PortStatus::Failed, m_lock.error());
        return;
    }
    m_peer = address;
    m_busyRetries = 0;
    connectNow();
}

void NetworkLine::connectNow()
{
    m_stage = Stage::Connecting;
    m_heard.clear();
    m_detail.clear();
    if (m_address.kind == PortAddress::Kind::Rfc2217)
        m_telnet.emplace(telnet::LineSettings{quint32(m_settings.baudRate), 8, 1, 1});
    m_socket->connectToHost(m_peer, m_address.port);
}

void NetworkLine::onConnected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_stage = Stage::Negotiating;
    if (m_telnet)
        m_socket->write(m_telnet->opening());
    else
        m_greeting->start();
}

void NetworkLine::nowOpen()
{
    m_stage = Stage::Open;
    emit opened(PortStatus::Opened);
}

void NetworkLine::onReadyRead()
{
    const QByteArray bytes = m_socket->readAll();
    if (!m_telnet) {
        take(bytes);  // kept while the greeting runs, for a refusal's words
        return;
    }
    const telnet::TelnetCodec::Fed fed = m_telnet->feed(bytes);
    if (!fed.reply.isEmpty())
        m_socket->write(fed.reply);
    if (m_stage == Stage::Negotiating) {
        if (m_heard.size() < kHeardLimit)
            m_heard += fed.data.left(kHeardLimit - m_heard.size());
        if (m_telnet->state() == telnet::TelnetCodec::State::Refused) {
            fail(PortStatus::Failed, m_telnet->refusal());
        } else if (m_telnet->state() == telnet::TelnetCodec::State::Ready) {
            qCDebug(lcLink) << "line set by" << m_address.toString();
            nowOpen();
        }
        return;  // data before the line is set belongs to nobody
    }
    take(fed.data);
}

// Until the line is open, what comes is the server's and is kept for a refusal's words; after
// that it is the sign's.
void NetworkLine::take(const QByteArray &data)
{
    if (m_stage != Stage::Open) {
        if (m_heard.size() < kHeardLimit)
            m_heard += data.left(kHeardLimit - m_heard.size());
        return;
    }
    m_rx += data;
    if (m_threshold > 0 && m_rx.size() >= m_threshold)
        emit dataArrived();
}

// A server that serves one client at a time greets a second one with a line of text and hangs
// up: that is a busy port, not a broken one.
PortStatus NetworkLine::closedByServer()
{
    const QString said = QString::fromLatin1(m_heard).simplified();
    m_detail = said.isEmpty() ? QStringLiteral("the device server closed the connection")
                              : QStringLiteral("the device server said \"%1\"").arg(said.left(80));
    return said.contains(QLatin1String("in use"), Qt::CaseInsensitive) ? PortStatus::Busy : PortStatus::Dropped;
}

void NetworkLine::onError(QAbstractSocket::SocketError error)
{
    if (m_stage == Stage::Closed)
        return;
    if (m_stage == Stage::Open) {
        const PortStatus why = error == QAbstractSocket::RemoteHostClosedError ? closedByServer() : PortStatus::Dropped;
        if (error != QAbstractSocket::RemoteHostClosedError)
            m_detail = m_socket->errorString();
        qCInfo(lcLink) << "connection to" << m_address.toString() << "lost:" << error << m_detail;
        close();
        emit lost(why);
        return;
    }
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        fail(PortStatus::Refused, m_socket->errorString());
        break;
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketTimeoutError:
        fail(PortStatus::Unreachable, m_socket->errorString());
        break;
    case QAbstractSocket::RemoteHostClosedError: {
        const PortStatus why = closedByServer();
        // A device server takes a moment to let the last client's device go.
        if (why == PortStatus::Busy && m_busyRetries++ < kBusyRetries) {
            m_socket->abort();
            m_greeting->stop();
            m_stage = Stage::Connecting;
            m_retry->start();
            return;
        }
        fail(why == PortStatus::Busy ? why : PortStatus::Failed, m_detail);
        break;
    }
    default:
        fail(PortStatus::Failed, m_socket->errorString());
        break;
    }
}

void NetworkLine::fail(PortStatus status, const QString &detail)
{
    close();
    m_detail = detail;
    qCInfo(lcLink) << "cannot open" << m_address.toString() << status << detail;
    emit opened(status);
}

void NetworkLine::close()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    m_stage = Stage::Closed;
    m_socket->abort();
    m_lock.release();
    m_telnet.reset();
    m_rx.clear();
    m_heard.clear();
    m_flushWait->stop();
    m_greeting->stop();
    m_retry->stop();
    m_flushing = false;
}

void NetworkLine::discardInput()
{
    if (!isOpen())
        return;
    // Through the decoder all the same: a server's option request must still be answered.
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
    m_rx.clear();
}

bool NetworkLine::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_lastWrite = bytes.size();
    const QByteArray wire = m_telnet ? telnet::TelnetCodec::escape(bytes) : bytes;
    return m_socket->write(wire) == wire.size();
}

QByteArray NetworkLine::read()
{
    QByteArray out = m_rx.left(m_settings.inputLen);
    m_rx.remove(0, out.size());
    return out;
}

void NetworkLine::flush()
{
    m_flushing = true;
    if (!isOpen() || m_socket->bytesToWrite() == 0)
        endFlushSoon();
}

// The socket cannot tell when the far line has sent the bytes on; the line time of the last
// write, and a little more, lets the device server pass them on before the connection ends.
void NetworkLine::endFlushSoon()
{
    const qint64 lineMs = qint64(1000) * kBitsPerByte * m_lastWrite / std::max(1, m_settings.baudRate);
    m_flushWait->start(int(lineMs + kFlushMarginMs));
}

}  // namespace zlx
