// The link against a scripted port and hand-fired timers: the scan, detection, how every
// exchange ends, and an exchange started over another whose answer is still on the line.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/SignLink.h"
#include "protocol/Frames.h"

#include <QTest>

using namespace zlx;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(zlx::Exchange)
Q_DECLARE_METATYPE(zlx::Outcome)

namespace {
const QByteArray kProbe = QByteArray::fromHex("a5050100000200");
const QByteArray kAck = QByteArray::fromHex("b5");
const QByteArray kFrame0 = frames::writeFrame(24, 0, QByteArray(1, '\xff'));
const QByteArray kFirstRead = QByteArray::fromHex("a5050118004000");

QByteArray readAnswer(const QByteArray &start = QByteArray(1, char(0xFF)))
{
    return kAck + start + QByteArray(65 - start.size(), '\0');
}
// Page 1's first block, its title row without an end: the read goes on.
const QByteArray kTitleBlock = QByteArray::fromHex("010203") + QByteArray(61, 'x');

struct Rig
{
    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link{&port, &timer1, &timer2};
    QList<std::pair<Exchange, Outcome>> ended;
    QStringList refused;
    bool available = false;

    Rig()
    {
        QObject::connect(&link, &SignLink::finished, [this](Exchange e, Outcome o) {
            QCOMPARE(link.mode(), LinkMode::Idle);  // an ended exchange leaves the link idle
            ended.append({e, o});
        });
        QObject::connect(&link, &SignLink::portRefused, [this](const QString &p) { refused << p; });
        QObject::connect(&link, &SignLink::exchangesAvailable, [this](bool on) { available = on; });
        link.SetUpLink();
    }
    // A scan pass that finds a 20-page sign on COM1.
    void detect()
    {
        QVERIFY(timer2.fire());
        port.deliver(QByteArray::fromHex("b5010000"));
        QVERIFY(link.signDetected());
    }
    void send() { QVERIFY(link.beginSend()); link.startSend({kFrame0, kFrame0}); }
};
}  // namespace

class TestSignLink : public QObject
{
    Q_OBJECT
private slots:
    void scanPass();
    void detection_data();
    void detection();
    void exchangeEndings_data();
    void exchangeEndings();
    void exchangeOverAnother_data();
    void exchangeOverAnother();
};

void TestSignLink::scanPass()
{
    Rig rig;
    rig.port.existing = {2, 39, 40};
    rig.port.refusing = {5};
    QCOMPARE(rig.timer2.interval(), 1000ms);
    for (int pass = 0; pass < 2; ++pass) {
        rig.port.writePorts.clear();
        QVERIFY(rig.timer2.fire());
        QCOMPARE(rig.link.mode(), LinkMode::Detect);
        QCOMPARE(rig.timer1.interval(), 100ms);
        int steps = 0;
        while (rig.timer1.fire() && steps < 100)
            ++steps;
        // COM1 to COM39 get a 100 ms window each; COM40 is probed as the pass ends.
        QCOMPARE(steps, 39);
        QCOMPARE(rig.port.writePorts, (QList<int>{2, 39, 40}));
        QCOMPARE(rig.port.writes.constLast(), kProbe);
        QCOMPARE(rig.link.mode(), LinkMode::Idle);
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.timer2.isEnabled());
    }
    QCOMPARE(rig.refused, QStringList{QStringLiteral("/dev/ttyS4")});  // once, not once a pass
    QVERIFY(!rig.available);
}

void TestSignLink::detection_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("detected");
    QTest::addColumn<int>("pages");  // 0: no model
    QTest::newRow("20-page model") << QByteArray::fromHex("b5010000") << true << 20;
    QTest::newRow("40-page model") << QByteArray::fromHex("b5020000") << true << 40;
    QTest::newRow("model code 3") << QByteArray::fromHex("b5030000") << true << 0;
    QTest::newRow("no mark") << QByteArray::fromHex("00010000") << false << 0;
}

void TestSignLink::detection()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, detected);
    QFETCH(int, pages);
    Rig rig;
    rig.port.existing = {1, 2, 3};
    QVERIFY(rig.timer2.fire());
    QVERIFY(rig.timer1.fire());
    QVERIFY(rig.timer1.fire());
    rig.port.deliver(answer);
    QCOMPARE(rig.link.signDetected(), detected);
    QCOMPARE(rig.available, detected);
    QCOMPARE(rig.link.model() ? rig.link.model()->pageCount : 0, pages);
    QVERIFY(!rig.port.isOpen());
    if (detected) {
        QCOMPARE(rig.link.portNumber(), 3);
        QVERIFY(!rig.timer1.isEnabled());
        QVERIFY(!rig.timer2.isEnabled());  // the scan has ended for good
    } else {
        QVERIFY(rig.timer1.fire());  // the scan goes on
        QCOMPARE(rig.link.portNumber(), 4);
    }
}

void TestSignLink::exchangeEndings_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QString>("event");
    QTest::addColumn<Outcome>("outcome");
    for (Exchange e : {Exchange::Send, Exchange::Read}) {
        const char *name = e == Exchange::Send ? "send: " : "read: ";
        auto row = [&](const char *what, Outcome o) {
            QTest::newRow(qPrintable(QString::fromLatin1(name) + QString::fromLatin1(what)))
                << e << QString::fromLatin1(what) << o;
        };
        row("completes", Outcome::Completed);
        row("silence", Outcome::Timeout);
        row("wrong answer", Outcome::WrongAnswer);
        row("port vanishes", Outcome::PortLost);
        row("write fails", Outcome::PortLost);
        row("device gone", Outcome::PortLost);
        row("device refuses", Outcome::CannotOpen);
        row("cancelled", Outcome::Cancelled);
    }
}

void TestSignLink::exchangeEndings()
{
    QFETCH(Exchange, exchange);
    QFETCH(QString, event);
    QFETCH(Outcome, outcome);
    Rig rig;
    rig.detect();
    rig.port.writes.clear();
    rig.port.writeFails = event == u"write fails";
    if (event == u"device gone")
        rig.port.existing.clear();
    if (event == u"device refuses")
        rig.port.refusing = {1};
    if (exchange == Exchange::Send)
        rig.send();
    else
        QVERIFY(rig.link.startRead());

    if (event == u"completes")
        rig.port.deliver(exchange == Exchange::Send ? kAck : readAnswer());
    if (event == u"completes" && exchange == Exchange::Send)
        rig.port.deliver(kAck);
    if (event == u"silence") {
        QCOMPARE(rig.timer1.interval(), 3000ms);
        QVERIFY(rig.timer1.fire());
    }
    if (event == u"wrong answer")
        rig.port.deliver(exchange == Exchange::Send ? QByteArray(1, '\0') : QByteArray(66, '\0'));
    if (event == u"port vanishes")
        rig.port.vanish();
    if (event == u"cancelled")
        rig.link.cancel();

    QCOMPARE(rig.ended, (QList<std::pair<Exchange, Outcome>>{{exchange, outcome}}));
    QVERIFY(!rig.port.isOpen());
    QVERIFY(!rig.timer1.isEnabled());
    if (outcome == Outcome::Completed && exchange == Exchange::Send) {
        QCOMPARE(rig.port.writes, (QList<QByteArray>{kFrame0, kFrame0, frames::endFrame()}));
        QCOMPARE(rig.port.drains, 1);  // the end frame left before the close
    }
    // A lost port sends the link back to looking for the sign; anything else keeps it.
    const bool lost = outcome == Outcome::PortLost;
    QCOMPARE(rig.link.signDetected(), !lost);
    QCOMPARE(rig.available, !lost);
    QCOMPARE(rig.timer2.isEnabled(), lost);
    rig.timer1.fire();  // a late tick changes nothing
    QCOMPARE(rig.ended.size(), 1);
}

void TestSignLink::exchangeOverAnother_data()
{
    QTest::addColumn<Exchange>("first");
    QTest::addColumn<bool>("answerArrives");  // or the response time passes
    QTest::newRow("send during a read, the read answer arrives") << Exchange::Read << true;
    QTest::newRow("send during a read, the read answer never comes") << Exchange::Read << false;
    QTest::newRow("read during a send, the acknowledgement arrives") << Exchange::Send << true;
    QTest::newRow("read during a send, no acknowledgement") << Exchange::Send << false;
}

void TestSignLink::exchangeOverAnother()
{
    QFETCH(Exchange, first);
    QFETCH(bool, answerArrives);
    Rig rig;
    rig.detect();
    if (first == Exchange::Read) {
        QVERIFY(rig.link.startRead());
        rig.port.deliver(readAnswer(kTitleBlock));  // page 1's first block: the read goes on
    } else {
        rig.send();
    }
    rig.port.writes.clear();
    const Exchange second = first == Exchange::Read ? Exchange::Send : Exchange::Read;
    if (second == Exchange::Send)
        rig.send();
    else
        QVERIFY(rig.link.startRead());
    QCOMPARE(rig.ended, (QList<std::pair<Exchange, Outcome>>{{first, Outcome::Superseded}}));
    // Nothing is written until the first exchange's answer is in or its time is up.
    QVERIFY(rig.link.settling());
    QVERIFY(rig.port.writes.isEmpty());
    if (answerArrives) {
        const QByteArray due = first == Exchange::Read ? readAnswer(kTitleBlock) : kAck;
        rig.port.deliver(due.left(due.size() - 1));
        QVERIFY(rig.port.writes.isEmpty());  // a part of it is not enough
        rig.port.deliver(due.right(1));
    } else {
        QVERIFY(rig.timer1.fire());
    }
    QVERIFY(!rig.link.settling());
    QCOMPARE(rig.port.writes, QList<QByteArray>{second == Exchange::Send ? kFrame0 : kFirstRead});
    // The second exchange then runs as usual.
    if (second == Exchange::Send) {
        rig.port.deliver(kAck);
        rig.port.deliver(kAck);
    } else {
        rig.port.deliver(readAnswer());
    }
    QCOMPARE(rig.ended.constLast(), std::make_pair(second, Outcome::Completed));
}

QTEST_GUILESS_MAIN(TestSignLink)
#include "tst_signlink.moc"
