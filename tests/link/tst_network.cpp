// The network port against a device server played by the test on loopback: how it opens (raw
// TCP, telnet with the COM-PORT option), what it reports when the server turns it away or
// refuses the line, the bytes on the wire both ways, and the lock that keeps a second program out.
#include "link/NetworkLine.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace zlx;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// The server's opening answer to a client that asked for COM-PORT, binary and 2400 8N1.
const QByteArray kAgrees = hex("fffd2cfffd00fffb00fffa2c6500000960fff0fffa2c6608fff0fffa2c6701fff0fffa2c6801fff0");

// A device server with one behaviour: what it says on accepting, and whether it hangs up then.
struct Server
{
    explicit Server(const QHostAddress &at = QHostAddress::LocalHost)
    {
        QVERIFY(listener.listen(at));
        QObject::connect(&listener, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *client = listener.nextPendingConnection()) {
                ++accepted;
                clients.append(client);
                QObject::connect(client, &QTcpSocket::readyRead, [this, client] { heard += client->readAll(); });
                const bool away = turnAway-- > 0;
                client->write(away ? QByteArray("Port already in use\r\n") : greeting);
                if (hangUp || away)
                    client->disconnectFromHost();
            }
        });
    }
    QString address(const char *scheme = "tcp") const
    {
        const QString host = listener.serverAddress().protocol() == QAbstractSocket::IPv6Protocol ? "[::1]" : "127.0.0.1";
        return QStringLiteral("%1://%2:%3").arg(QLatin1String(scheme), host).arg(listener.serverPort());
    }
    QTcpServer listener;
    QList<QTcpSocket *> clients;
    QByteArray greeting;
    QByteArray heard;
    bool hangUp = false;
    int turnAway = 0;  // clients turned away before one is served
    int accepted = 0;
};

struct Case
{
    QString scheme;
    int turnAway;
    QByteArray greeting;
    bool hangUp;
    PortStatus status;
    QString detail;   // the start of detail() after the open
    QByteArray heard; // the client's bytes on the wire, after a write of 61 ff 62
    bool ipv6 = false;  // the server on the IPv6 loopback
};

}  // namespace

class TestNetwork : public QObject
{
    Q_OBJECT
private slots:
    void opening_data()
    {
        QTest::addColumn<Case>("c");
        const QByteArray asked = hex("fffb2cfffb00fffd00fffa2c0100000960fff0fffa2c0208fff0fffa2c0301fff0fffa2c0401fff0");
        const auto row = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        row("raw", {"tcp", 0, {}, false, PortStatus::Opened, "", hex("61ff62")});
        row("raw, an IPv6 host", {"tcp", 0, {}, false, PortStatus::Opened, "", hex("61ff62"), true});
        // The server's own request for echo is turned down on the wire.
        row("rfc 2217, the line set", {"rfc2217", 0, hex("fffd01") + kAgrees, false, PortStatus::Opened, "",
                                       asked + hex("fffc01") + hex("61ffff62")});
        row("turned away", {"tcp", 9, {}, false, PortStatus::Busy, "the device server said \"Port already in use\"", {}});
        row("turned away once, then served", {"rfc2217", 1, kAgrees, false, PortStatus::Opened, "",
                                              asked + hex("61ffff62")});
        row("hung up at once", {"tcp", 0, {}, true, PortStatus::Failed, "the device server closed the connection", {}});
        row("no com-port option", {"rfc2217", 0, hex("fffe2c"), false, PortStatus::Failed,
                                   "the device server does not offer RFC 2217", asked});
        row("another speed", {"rfc2217", 0, hex("fffd2cfffd00fffb00fffa2c6500002580fff0"), false, PortStatus::Failed,
                              "the device server set 9600 baud", asked});
    }

    void opening()
    {
        QFETCH(Case, c);
        if (QTcpServer probe; c.ipv6 && !probe.listen(QHostAddress::LocalHostIPv6))
            QSKIP("no IPv6 loopback here");
        Server server(c.ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost);
        server.greeting = c.greeting;
        server.hangUp = c.hangUp;
        server.turnAway = c.turnAway;
        NetworkLine line;
        QSignalSpy opened(&line, &SignPort::opened);
        QCOMPARE(line.open(server.address(qPrintable(c.scheme))), PortStatus::Pending);
        QVERIFY(opened.wait(3000));
        QCOMPARE(opened.constFirst().constFirst().value<PortStatus>(), c.status);
        QVERIFY2(c.detail.isEmpty() ? line.detail().isEmpty() : line.detail().startsWith(c.detail), qPrintable(line.detail()));
        QCOMPARE(line.isOpen(), c.status == PortStatus::Opened);
        // Tried again while the server lets its last client go, four times at most.
        QCOMPARE(server.accepted, std::min(c.turnAway, 4) + 1);
        if (line.isOpen())
            QVERIFY(line.write(hex("61ff62")));
        if (!c.heard.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(server.heard, c.heard, 3000);
        if (c.turnAway == 1) {
            QVERIFY(!opened.wait(400));  // once served, it is not tried again
            QCOMPARE(server.accepted, 2);
            QVERIFY(line.isOpen());
        }
    }

    // The line's data both ways: 0xFF undoubled and server commands kept out; the receive
    // threshold counts data bytes; a server that hangs up later drops the line.
    void dataAndDrop()
    {
        Server server;
        server.greeting = kAgrees;
        NetworkLine line;
        line.setReceiveThreshold(4);
        QSignalSpy opened(&line, &SignPort::opened);
        QSignalSpy arrived(&line, &SignPort::dataArrived);
        QSignalSpy lost(&line, &SignPort::lost);
        line.open(server.address("rfc2217"));
        QVERIFY(opened.wait(3000));
        server.clients.constFirst()->write(hex("b501ffff"));
        server.clients.constFirst()->write(hex("fffa2c6b00fff0"));  // a modem-state notice
        QVERIFY(!arrived.wait(300));
        server.clients.constFirst()->write(hex("00"));
        QVERIFY(arrived.wait(3000));
        QCOMPARE(line.read(), hex("b501ff00"));
        // Nothing left to send: the flush is told all the same.
        QSignalSpy flushed(&line, &SignPort::flushed);
        line.flush();
        QVERIFY(flushed.wait(3000));
        QCOMPARE(flushed.constFirst().constFirst().toBool(), true);
        server.clients.constFirst()->disconnectFromHost();
        QVERIFY(lost.wait(3000));
        QCOMPARE(lost.constFirst().constFirst().value<PortStatus>(), PortStatus::Dropped);
        QVERIFY(!line.isOpen());
    }

    // One program a port: a second one is turned away until the first lets go.
    void heldByOne()
    {
        Server server;
        NetworkLine first;
        NetworkLine second;
        QSignalSpy firstOpened(&first, &SignPort::opened);
        QSignalSpy secondOpened(&second, &SignPort::opened);
        first.open(server.address());
        QVERIFY(firstOpened.wait(3000));
        const QString sameByName = server.address().replace(QStringLiteral("127.0.0.1"), QStringLiteral("localhost"));
        second.open(sameByName);
        QVERIFY(secondOpened.wait(3000));
        QCOMPARE(secondOpened.constFirst().constFirst().value<PortStatus>(), PortStatus::Busy);
        QCOMPARE(server.accepted, 1);  // the second never knocked
        first.close();
        second.open(sameByName);
        QVERIFY(secondOpened.wait(3000));
        QCOMPARE(secondOpened.constLast().constFirst().value<PortStatus>(), PortStatus::Opened);
        QCOMPARE(firstOpened.count(), 1);  // an open is told once
    }

    // Opening an open port starts afresh; a port closed while it opens stays closed.
    void reopenAndCloseWhileOpening()
    {
        Server server;
        NetworkLine line;
        QSignalSpy opened(&line, &SignPort::opened);
        line.open(server.address());
        QVERIFY(opened.wait(3000));
        line.open(server.address());
        QVERIFY(opened.wait(3000));
        QCOMPARE(opened.constLast().constFirst().value<PortStatus>(), PortStatus::Opened);
        QCOMPARE(server.accepted, 2);
        line.open(server.address());
        QTRY_COMPARE_WITH_TIMEOUT(server.accepted, 3, 3000);  // connected; the raw line's short wait runs
        line.close();
        QVERIFY(!opened.wait(200));
        QVERIFY(!line.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestNetwork)
#include "tst_network.moc"
