#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace zlx {

namespace {
constexpr int kWaitMs = 2000;
constexpr qint64 kMaxMessage = qint64(64) * 1024;  // a path, never more
}  // namespace

QString SingleInstance::defaultName()
{
    // The runtime folder is the user's own and lives as long as the session.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("io.github.zantolux.Letreros"));
}

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_name(name), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
}

bool SingleInstance::handOver(const QString &fileName)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(fileName.toUtf8() + '\n');
    const bool sent = socket.waitForBytesWritten(kWaitMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::listen()
{
    if (m_server->listen(m_name))
        return true;
    // Nobody answered on it: a socket left by a window that did not end cleanly.
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

void SingleInstance::onConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto take = [this, socket] {
            if (!socket->canReadLine() && socket->bytesAvailable() < kMaxMessage
                && socket->state() == QLocalSocket::ConnectedState)
                return;
            QByteArray line = socket->readLine(kMaxMessage);
            if (line.endsWith('\n'))
                line.chop(1);
            const QString fileName = QString::fromUtf8(line);
            socket->disconnect(this);
            socket->abort();
            // After the socket's own signal: the window may ask a question in its own loop.
            QTimer::singleShot(0, this, [this, fileName] { emit fileHandedOver(fileName); });
        };
        connect(socket, &QLocalSocket::readyRead, this, take);
        connect(socket, &QLocalSocket::disconnected, this, take);
        if (socket->bytesAvailable() > 0)
            take();
    }
}

}  // namespace zlx
