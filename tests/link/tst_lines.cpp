// How the link reaches a sign's line: port addresses and the port list, the quiet spell that
// drops an earlier exchange's late answer, a port that opens later (a network one), the probe's
// wait, the sign kept by its device, a lost port, and a frame let out whole before the close.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "SignBytes.h"
#include "link/PortAddress.h"
#include "link/SignLink.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx;
using namespace signbytes;
using namespace std::chrono_literals;

namespace {

const QByteArray kAck = hex("b5");
const QByteArray kProbe = hex("a5050100000200");
const QByteArray kFrame = hex("a50718000001ff00");

struct AddressCase
{
    QString text;
    QString parsed;  // toString() of what parse() gives, or "!" and the start of its error
    QStringList listed{};  // the text as a port list
};

struct Rig
{
    explicit Rig(PortMap map = ScriptedPort::systemMap()) : link(&port, std::move(map), &timer1, &timer2)
    {
        QObject::connect(&link, &SignLink::portNotice, [this](const QString &address, PortStatus status) {
            notices << QStringLiteral("%1 %2").arg(address).arg(int(status));
        });
        link.SetUpLink();
    }
    void detect(char code = 1)
    {
        QVERIFY(timer2.fire());
        port.deliver(hex("b5") + code + hex("0000"));
        QVERIFY(link.signDetected());
    }
    ExchangeReply *watch(ExchangeReply *reply)
    {
        if (reply)
            QObject::connect(reply, &ExchangeReply::finished, [this, reply] { ended << reply->outcome(); });
        return reply;
    }
    ExchangeReply *send()
    {
        ExchangeReply *reply = watch(link.beginSend());
        link.startSend({kFrame});
        return reply;
    }
    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link;
    QStringList notices;
    QList<Outcome> ended;
};

}  // namespace

class TestLines : public QObject
{
    Q_OBJECT
private slots:
    void addresses_data()
    {
        QTest::addColumn<AddressCase>("c");
        const auto row = [](const char *name, const AddressCase &c) { QTest::newRow(name) << c; };
        row("device", {"/dev/ttyUSB0", "/dev/ttyUSB0", {"/dev/ttyUSB0"}});
        row("raw tcp", {"tcp://192.0.2.10:4001", "tcp://192.0.2.10:4001", {"tcp://192.0.2.10:4001"}});
        row("rfc 2217, scheme in capitals", {"RFC2217://sign.example:2217", "rfc2217://sign.example:2217"});
        row("ipv6 in brackets", {"tcp://[::1]:4001", "tcp://[::1]:4001", {"tcp://[::1]:4001"}});
        row("ipv6 bare", {"tcp://::1:4001", "!\"tcp://::1:4001\": an IPv6 host goes in brackets"});
        row("no port", {"tcp://h", "!\"tcp://h\" is not HOST:PORT"});
        row("port 0", {"tcp://h:0", "!\"tcp://h:0\" is not HOST:PORT"});
        row("port 65536", {"rfc2217://h:65536", "!\"rfc2217://h:65536\" is not"});
        row("port 65535", {"rfc2217://h:65535", "rfc2217://h:65535"});
        row("no host", {"tcp://:4001", "!\"tcp://:4001\" is not"});
        row("a path after the port", {"tcp://h:1/x", "!\"tcp://h:1/x\" is not"});
        row("other scheme", {"udp://h:1", "!\"udp://h:1\": only tcp:// and rfc2217://"});
        row("empty", {"", "!no device given", {""}});
        row("list of devices", {"/dev/a:/dev/b", "/dev/a:/dev/b", {"/dev/a", "/dev/b"}});
        row("list with urls", {"tcp://h:1:/dev/x:rfc2217://[::1]:4001:tcp://k:2", "!",
                               {"tcp://h:1", "/dev/x", "rfc2217://[::1]:4001", "tcp://k:2"}});
        row("empty entry kept", {"a::b", "a::b", {"a", "", "b"}});
        row("junk after a port stays with it", {"tcp://h:1x:b", "!", {"tcp://h:1x", "b"}});
        row("a relative path is a device", {"ttyS0", "ttyS0", {"ttyS0"}});
    }

    void addresses()
    {
        QFETCH(AddressCase, c);
        QString error;
        const std::optional<PortAddress> parsed = PortAddress::parse(c.text, &error);
        if (c.parsed.startsWith(u'!'))
            QVERIFY2(!parsed && error.startsWith(c.parsed.mid(1)), qPrintable(error));
        else
            QCOMPARE(parsed.value_or(PortAddress{}).toString(), c.parsed);
        if (!c.listed.isEmpty())
            QCOMPARE(splitPortList(c.text), c.listed);
    }

    void identity()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dev"));
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(file, link));
        QCOMPARE(PortAddress::identity(link), PortAddress::identity(file));
        QVERIFY(PortAddress::identity(file) != PortAddress::identity(QStringLiteral("/dev/null")));
        QCOMPARE(PortAddress::identity(QStringLiteral("tcp://LocalHost:7")), QStringLiteral("net:127.0.0.1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("rfc2217://[::ffff:127.0.0.1]:7")), QStringLiteral("net:127.0.0.1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("tcp://[::1]:7")), QStringLiteral("net:::1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("/nonexistent/../x")), QStringLiteral("path:/x"));
        QCOMPARE(PortMap::fromPaths({link, QStringLiteral("/dev/null"), file}).repeated(), file);
        QCOMPARE(PortMap::fromPaths({link, QStringLiteral("tcp://h:1"), QStringLiteral("tcp://h:2")}).repeated(), QString());
    }

    // Whatever arrives between the open and a still line is an earlier exchange's: dropped, and
    // the spell starts again. Only then does the first request go out.
    void quietSpell_data()
    {
        QTest::addColumn<QString>("exchange");
        QTest::newRow("scan") << "scan";
        QTest::newRow("send") << "send";
        QTest::newRow("read") << "read";
    }

    void quietSpell()
    {
        QFETCH(QString, exchange);
        Rig rig;
        if (exchange != u"scan")
            rig.detect();
        rig.port.quiet = 20ms;
        rig.port.writes.clear();
        if (exchange == u"scan")
            QVERIFY(rig.timer2.fire());
        else if (exchange == u"send")
            rig.send();
        else
            rig.watch(rig.link.startRead());
        QVERIFY(rig.port.isOpen());
        QCOMPARE(rig.timer1.interval(), 20ms);
        // A late answer of each kind: the detection's, an acknowledgement, a read block.
        for (const QByteArray &stale : {hex("b5010000"), kAck, block(page(1, "OLD"))}) {
            rig.port.deliver(stale);
            QCOMPARE(rig.port.bytesWaiting(), 0);
            QVERIFY(rig.port.writes.isEmpty());
        }
        QVERIFY(rig.ended.isEmpty());
        QCOMPARE(rig.link.signDetected(), exchange != u"scan");
        QVERIFY(rig.timer1.fire());
        const QByteArray first = exchange == u"scan" ? kProbe : exchange == u"send" ? kFrame : hex("a5050118004000");
        QCOMPARE(rig.port.writes, QList<QByteArray>{first});
        QCOMPARE(rig.timer1.interval(), exchange == u"scan" ? 100ms : 3000ms);
    }

    // A port that opens later, as a network one does: the answer time bounds the open.
    void laterOpen_data()
    {
        QTest::addColumn<QString>("exchange");
        QTest::addColumn<QString>("event");  // opened, refused, busy-at-once, no-open, busy-after
        QTest::addColumn<QString>("expected");  // notice, or the outcome and port status
        for (const char *e : {"scan", "read"}) {
            const bool scan = QByteArray(e) == "scan";
            QTest::newRow(qPrintable(QStringLiteral("%1: opens").arg(e))) << e << "opened" << "";
            QTest::newRow(qPrintable(QStringLiteral("%1: refused").arg(e)))
                << e << "refused" << (scan ? "/dev/ttyS00 6" : "CannotOpen Refused");
            QTest::newRow(qPrintable(QStringLiteral("%1: never opens").arg(e)))
                << e << "no-open" << (scan ? "/dev/ttyS00 7" : "CannotOpen Unreachable");
            QTest::newRow(qPrintable(QStringLiteral("%1: turned away once open").arg(e)))
                << e << "busy-after" << (scan ? "/dev/ttyS00 5" : "CannotOpen Busy");
        }
    }

    void laterOpen()
    {
        QFETCH(QString, exchange);
        QFETCH(QString, event);
        QFETCH(QString, expected);
        Rig rig(PortMap({ScriptedPort::address(1)}));
        rig.link.setResponseTimeout(700ms);
        ExchangeReply *reply = nullptr;
        if (exchange == u"read") {
            rig.detect();
            rig.port.pending = true;
            reply = rig.watch(rig.link.startRead());
        } else {
            rig.port.pending = true;
            QVERIFY(rig.timer2.fire());
        }
        QVERIFY(rig.port.writes.isEmpty() || exchange == u"read");
        QCOMPARE(rig.timer1.interval(), 700ms);
        rig.port.writes.clear();
        rig.port.quiet = 20ms;
        if (event == u"refused") {
            rig.port.finishOpen(PortStatus::Refused);
        } else if (event == u"no-open") {
            QVERIFY(rig.timer1.fire());
        } else {
            rig.port.finishOpen(PortStatus::Opened);
            QCOMPARE(rig.timer1.interval(), 20ms);
            if (event == u"busy-after")
                rig.port.vanish(PortStatus::Busy);
            else
                QVERIFY(rig.timer1.fire());
        }
        if (event == u"opened") {
            QCOMPARE(rig.port.writes.size(), 1);
            QCOMPARE(rig.timer1.interval(), 700ms);  // a far port waits the answer time for the probe
            return;
        }
        QVERIFY(rig.port.writes.isEmpty());
        QVERIFY(!rig.port.isOpen());
        if (exchange == u"scan") {
            QCOMPARE(rig.notices, QStringList{expected});
            QCOMPARE(rig.link.mode(), LinkMode::Detect);  // the scan goes on
            QCOMPARE(rig.timer1.interval(), 100ms);
        } else {
            QVERIFY(reply->isFinished());
            const QString got = QStringLiteral("%1 %2").arg(QVariant::fromValue(reply->outcome()).toString(),
                                                            QVariant::fromValue(reply->portStatus()).toString());
            QCOMPARE(got, expected);
            // A busy port still has the sign behind it; a server that refuses or is out of reach
            // sends the link looking again.
            QCOMPARE(rig.link.signDetected(), expected.endsWith(u"Busy"));
        }
    }

    // Named ports get the answer time for the probe's answer; the system's own ports 100 ms.
    void probeWindow()
    {
        Rig named(PortMap({ScriptedPort::address(1)}));
        named.link.setResponseTimeout(1500ms);
        QVERIFY(named.timer2.fire());
        QCOMPARE(named.timer1.interval(), 1500ms);
        // A named port that is missing is told of; the system's empty numbers are not.
        Rig missing(PortMap({ScriptedPort::address(2)}));
        QVERIFY(missing.timer2.fire());
        QCOMPARE(missing.notices, QStringList{"/dev/ttyS01 2"});
        QCOMPARE(missing.timer1.interval(), 100ms);
        Rig system;
        system.port.existing = {};
        QVERIFY(system.timer2.fire());
        QCOMPARE(system.timer1.interval(), 100ms);
        QVERIFY(system.notices.isEmpty());
    }

    // A port that appears after detection shifts the COM numbers; the sign's device stays.
    void signKeptByDevice()
    {
        QStringList listed{ScriptedPort::address(5)};
        Rig rig(PortMap([&] { return listed; }));
        rig.port.existing = {5};
        rig.detect();
        QCOMPARE(rig.link.signAddress(), ScriptedPort::address(5));
        listed.prepend(ScriptedPort::address(2));
        rig.port.existing = {2, 5};
        rig.port.addresses.clear();
        rig.port.writePorts.clear();
        rig.watch(rig.link.startRead());
        QCOMPARE(rig.port.addresses, QStringList{ScriptedPort::address(5)});
        QCOMPARE(rig.port.writePorts, QList<int>{5});
    }

    // A lost port keeps the model for the editor and files, but no exchange runs on it until a
    // sign tells its own again.
    void lostPortKeepsModel()
    {
        Rig rig;
        rig.detect(2);
        rig.watch(rig.link.startRead());
        rig.port.vanish();
        QCOMPARE(rig.ended, QList<Outcome>{Outcome::PortLost});
        QVERIFY(!rig.link.signDetected());
        QCOMPARE(rig.link.model()->pageCount, 40);
        QVERIFY(!rig.link.exchangeModel());
        rig.port.vanished = false;
        rig.detect(3);  // a sign of an unknown model
        QCOMPARE(rig.link.model()->pageCount, 40);
        QVERIFY(!rig.link.startRead());
        QVERIFY(!rig.link.beginSend());
    }

    // Cancel and the end frame: the frame on the line leaves before the port closes; after a
    // cancel (heard at once) the sign's answer to that frame is waited for as well.
    void lastFrameLeaves_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("flushed");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("cancel, frame out, then its answer") << "cancel" << true << Outcome::Cancelled;
        QTest::newRow("cancel, its answer while the frame leaves") << "cancel-early" << true << Outcome::Cancelled;
        QTest::newRow("cancel, port failed") << "cancel" << false << Outcome::Cancelled;
        QTest::newRow("end frame out") << "complete" << true << Outcome::Completed;
        QTest::newRow("end frame stuck") << "complete" << false << Outcome::PortLost;
        QTest::newRow("end frame never told") << "complete-tick" << false << Outcome::PortLost;
    }

    void lastFrameLeaves()
    {
        QFETCH(QString, event);
        QFETCH(bool, flushed);
        QFETCH(Outcome, outcome);
        Rig rig;
        rig.detect();
        rig.port.holdFlush = true;
        rig.send();
        QSignalSpy released(&rig.link, &SignLink::lineReleased);
        const bool cancel = event.startsWith(u"cancel");
        if (cancel) {
            rig.link.cancel();
            QCOMPARE(rig.ended, QList<Outcome>{outcome});  // the caller hears at once
            QVERIFY(rig.link.releasing());
        } else {
            rig.port.deliver(kAck);
            QVERIFY(rig.ended.isEmpty());
        }
        QCOMPARE(rig.port.flushes, 1);
        QVERIFY(rig.port.isOpen());
        if (event != u"cancel")
            rig.port.deliver(kAck);  // an end frame's: no longer heard; a cancelled frame's: its answer
        if (event == u"complete-tick")
            QVERIFY(rig.timer1.fire());
        else
            rig.port.finishFlush(flushed);
        if (event == u"cancel" && flushed) {
            QVERIFY(rig.port.isOpen());
            QCOMPARE(rig.port.receiveThreshold(), 1);
            rig.port.deliver(kAck);
        }
        QCOMPARE(rig.ended, QList<Outcome>{outcome});
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(released.count(), cancel ? 1 : 0);
        QVERIFY(!rig.link.releasing());
        QCOMPARE(rig.port.writes.constLast(), cancel ? kFrame : hex("a502b500"));
    }

    // A Send started while a cancelled read still waits for its answer goes out once it is in.
    void sendAfterACancelledRead()
    {
        Rig rig;
        rig.detect();
        rig.watch(rig.link.startRead());
        rig.link.cancel();
        QVERIFY(rig.link.settling());
        rig.port.writes.clear();
        rig.send();
        rig.port.deliver(block());
        QCOMPARE(rig.port.writes, QList<QByteArray>{kFrame});
        rig.port.deliver(kAck);
        QCOMPARE(rig.ended, (QList<Outcome>{Outcome::Cancelled, Outcome::Completed}));
    }

    // A read over a Send still in its quiet spell has no answer to wait for: it opens at once.
    // A Send over a read, while its frames are still being built, writes nothing until they are.
    void overAnExchangeNotYetWriting()
    {
        Rig rig;
        rig.detect();
        rig.port.quiet = 20ms;
        rig.send();
        const int opens = rig.port.opens;
        rig.port.writes.clear();
        rig.watch(rig.link.startRead());
        QVERIFY(!rig.link.settling());
        QCOMPARE(rig.port.opens, opens + 1);
        QVERIFY(rig.timer1.fire());
        QCOMPARE(rig.port.writes, QList<QByteArray>{hex("a5050118004000")});
        ExchangeReply *send = rig.watch(rig.link.beginSend());
        const int opensBefore = rig.port.opens;
        rig.port.deliver(block(page(1, "A")));  // the read's answer: the settle ends
        QVERIFY(!rig.link.settling());
        QCOMPARE(rig.port.opens, opensBefore);
        QCOMPARE(rig.port.writes.size(), 1);
        rig.link.startSend({kFrame});
        QVERIFY(rig.timer1.fire());
        QCOMPARE(rig.port.writes.constLast(), kFrame);
        QVERIFY(!send->isFinished());
    }

    void cancelBeforeTheFirstRequest()
    {
        Rig rig;
        rig.detect();
        rig.port.pending = true;
        rig.send();
        rig.link.cancel();
        QCOMPARE(rig.ended, QList<Outcome>{Outcome::Cancelled});
        QCOMPARE(rig.port.flushes, 0);
        rig.port.finishOpen();  // too late: nobody waits for it
        QVERIFY(rig.port.writes.isEmpty() || rig.port.writes.constLast() != kFrame);
    }
};

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
