#include "sim/TcpSign.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace zlx::sim {

namespace {

constexpr int kLingerMs = 2000;

QString hostAndPort(const QHostAddress &address, quint16 port)
{
    const QString host = address.toString();
    return (address.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + host + u']' : host)
        + u':' + QString::number(port);
}

QString peerOf(const QTcpSocket *socket)
{
    return hostAndPort(socket->peerAddress(), socket->peerPort());
}

}  // namespace

TcpSign::TcpSign(Model model, QObject *parent)
    : SignHost(model, parent),
      m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &TcpSign::acceptPending);
}

TcpSign::~TcpSign()
{
    close();
}

bool TcpSign::listen(const QHostAddress &address, quint16 port)
{
    close();
    if (!m_server->listen(address, port)) {
        setErrorString(m_server->errorString());
        return false;
    }
    setErrorString({});
    return true;
}

void TcpSign::close()
{
    m_server->close();
    if (m_client) {
        // No clientDisconnected() from here: this may be the destructor.
        m_client->disconnect(this);
        m_client->abort();
        m_client->deleteLater();
        m_client = nullptr;
    }
    pacer().reset();
}

bool TcpSign::isListening() const
{
    return m_server->isListening();
}

QHostAddress TcpSign::address() const
{
    return m_server->serverAddress();
}

quint16 TcpSign::port() const
{
    return m_server->serverPort();
}

QString TcpSign::url() const
{
    return QStringLiteral("tcp://") + hostAndPort(address(), port());
}

void TcpSign::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        // A program that closes and connects again at once: its close (and its last bytes) may
        // still wait unread behind the new connection. Take them first, or it would find itself busy.
        while (m_client && m_client->waitForReadyRead(0)) {
        }
        if (m_client) {
            refuse(socket);
            continue;
        }
        m_client = socket;
        m_peer = peerOf(socket);
        // Paced answers leave a byte or a few at a time; each must go at once, not wait for
        // the acknowledgement of the one before.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &TcpSign::readClient);
        connect(socket, &QTcpSocket::disconnected, this, &TcpSign::dropClient);
        pacer().reset();
        emit clientConnected(m_peer);
    }
}

void TcpSign::refuse(QTcpSocket *socket)
{
    const QString peer = peerOf(socket);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(busyLine());
    socket->flush();
    if (socket->bytesToWrite() > 0 || ::shutdown(int(socket->socketDescriptor()), SHUT_WR) != 0) {
        socket->disconnectFromHost();  // once the line has been written
    } else {
        // Closed at once, a connection with bytes still unread (a probe sent straight away) is
        // reset, and the client may never see the line. So: end of data after the line, what
        // comes is dropped until the client closes, and a client that stays is cut off later.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        QTimer::singleShot(kLingerMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
    emit clientRefused(peer);
}

void TcpSign::readClient()
{
    if (!m_client)
        return;
    const QByteArray bytes = m_client->readAll();
    const qint64 now = pacer().nowNs();
    for (qsizetype i = 0; i < bytes.size() && m_client; ++i)
        takeByte(bytes.at(i), now);
    pacer().releaseDue();
}

void TcpSign::dropClient()
{
    if (!m_client)
        return;
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
    // What was still on its way to this client is lost with it; the next one starts afresh.
    pacer().reset();
    emit clientDisconnected(m_peer);
}

qsizetype TcpSign::writeOut(const QByteArray &bytes)
{
    if (!m_client)
        return 0;
    const qint64 written = m_client->write(bytes);
    return written > 0 ? qsizetype(written) : 0;
}

}  // namespace zlx::sim
