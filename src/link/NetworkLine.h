#pragma once

#include "link/PortAddress.h"
#include "link/PortLock.h"
#include "link/SignPort.h"
#include "link/TelnetCodec.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <optional>

class QHostInfo;
class QTcpSocket;
class QTimer;

namespace zlx {

// A sign behind a serial device server: raw TCP, or telnet with the COM-PORT option, through
// QTcpSocket. Opening is asynchronous (name lookup, connection, negotiation); the link bounds it
// by its answer time and closes the port when that has passed.
class NetworkLine final : public SignPort
{
    Q_OBJECT
public:
    explicit NetworkLine(QObject *parent = nullptr);
    ~NetworkLine() override;

    void setSettings(const PortSettings &settings) override { m_settings = settings; }
    void setReceiveThreshold(int bytes) override { m_threshold = bytes; }
    int receiveThreshold() const override { return m_threshold; }

    PortStatus open(const QString &address) override;
    void close() override;
    bool isOpen() const override { return m_stage == Stage::Open; }
    QString detail() const override { return m_detail; }
    std::chrono::milliseconds quietTime() const override;

    void discardInput() override;
    bool write(const QByteArray &bytes) override;
    QByteArray read() override;
    qint64 bytesWaiting() const override { return isOpen() ? m_rx.size() : 0; }
    void flush() override;

private:
    enum class Stage { Closed, Lookup, Connecting, Negotiating, Open };

    void onLookup(const QHostInfo &info);
    void connectNow();
    void onConnected();
    void nowOpen();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void fail(PortStatus status, const QString &detail);
    void take(const QByteArray &data);
    void endFlushSoon();
    PortStatus closedByServer();

    QTcpSocket *m_socket;
    QTimer *m_flushWait;
    QTimer *m_greeting;   // raw TCP: a server's refusal comes right after it accepts
    QTimer *m_retry;      // a server still letting the last client go is tried again
    PortSettings m_settings;
    PortAddress m_address;
    PortLock m_lock;
    std::optional<telnet::TelnetCodec> m_telnet;  // rfc2217:// only
    Stage m_stage = Stage::Closed;
    int m_lookupId = -1;
    QHostAddress m_peer;
    int m_busyRetries = 0;
    QByteArray m_rx;
    QByteArray m_heard;  // the first data bytes of the connection, for a server's refusal text
    QString m_detail;
    int m_threshold = 0;
    qint64 m_lastWrite = 0;
    bool m_flushing = false;
};

}  // namespace zlx
