#pragma once

#include "sim/SignHost.h"

#include <QHostAddress>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace zlx::sim {

// A VirtualSign behind a serial device server in raw TCP mode: one client at a time is the
// program on the other end of the line. A second client while one is connected is told
// busyLine() and closed, as a device server does. Runs in the caller's event loop.
class TcpSign final : public SignHost
{
    Q_OBJECT
public:
    explicit TcpSign(Model model = Model::Pages20, QObject *parent = nullptr);
    ~TcpSign() override;

    // Port 0: the system chooses one. False with errorString().
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    // Stops listening and drops the client, as if the device server had been switched off.
    void close();
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    QString url() const;  // tcp://HOST:PORT, the IPv6 host in brackets
    bool hasClient() const { return m_client != nullptr; }

    static QByteArray busyLine() { return QByteArrayLiteral("Port already in use\r\n"); }

signals:
    void clientConnected(const QString &peer);
    void clientRefused(const QString &peer);
    void clientDisconnected(const QString &peer);

private:
    void acceptPending();
    void refuse(QTcpSocket *socket);
    void readClient();
    void dropClient();
    qsizetype writeOut(const QByteArray &bytes) override;

    QTcpServer *m_server;
    QTcpSocket *m_client = nullptr;  // child while connected
    QString m_peer;
};

}  // namespace zlx::sim
