// The read-back stepper, the port map and the link against a scripted port and hand-fired
// timers: the bytes of each exchange, the scan, how every exchange ends, and an exchange started
// over another whose answer is still on the line.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "SignBytes.h"
#include "link/PortMap.h"
#include "link/ReadBackStepper.h"
#include "link/SignLink.h"
#include "protocol/Frames.h"

#include <QDir>
#include <QTest>

using namespace zlx;
using namespace signbytes;
using namespace std::chrono_literals;


namespace {
using Ended = std::pair<Exchange, Outcome>;
const QByteArray kAck = hex("b5");
const QByteArray kEnd = hex("a502b500");
const QByteArray kFrame0 = frames::writeFrame(24, 0, QByteArray(1, '\xff'));
constexpr SignModel kZ20{20, 4};
constexpr SignModel kZ40{40, 2};

// A sign's memory: page images at their page addresses, 0xFF elsewhere.
struct Memory
{
    QByteArray bytes = QByteArray(0x10000, char(0xFF));
    Memory &put(const SignModel &model, int p, const QByteArray &image)
    {
        bytes.replace(model.firstUnit(p) * 256, image.size(), image);
        return *this;
    }
    QByteArray answer(const QByteArray &request) const
    {
        return block(bytes.mid(quint8(request.at(3)) * 256 + quint8(request.at(4)), 64));
    }
};

struct Rig
{
    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link{&port, ScriptedPort::systemMap(), &timer1, &timer2};
    QList<Ended> ended;
    QStringList refused;
    bool available = false;

    Rig()
    {
        QObject::connect(&link, &SignLink::portNotice, [this](const QString &address, PortStatus status) {
            refused << QStringLiteral("%1 %2").arg(address).arg(int(status));
        });
        QObject::connect(&link, &SignLink::exchangesAvailable, [this](bool on) { available = on; });
        link.SetUpLink();
    }
    // Every end of an exchange is recorded; an ended exchange leaves the link idle.
    void watch(ExchangeReply *reply)
    {
        QVERIFY(reply);
        const auto record = [this, reply] {
            QCOMPARE(link.mode(), LinkMode::Idle);
            ended.append({reply->exchange(), reply->outcome()});
        };
        QObject::connect(reply, &ExchangeReply::finished, reply, record);
        if (reply->isFinished())
            record();
    }
    // A scan pass that finds the sign on COM1.
    void detect()
    {
        QVERIFY(timer2.fire());
        port.deliver(hex("b5010000"));
        QVERIFY(link.signDetected());
        QVERIFY(!port.isOpen() && !timer1.isEnabled() && !timer2.isEnabled());  // the scan is over for good
    }
    void start(Exchange e)
    {
        if (e == Exchange::Send) {
            watch(link.beginSend());
            link.startSend({kFrame0, kFrame0});
        } else {
            watch(link.startRead());
        }
    }
};

struct ReadCase
{
    SignModel model;
    Memory memory;
    QStringList requests;  // address high/low of each request, hex
    QList<QByteArray> images;
    Outcome outcome = Outcome::Completed;
    int foreignPage = -1;
    QByteArray spoiled;  // replaces the last request's answer
};

}  // namespace


class TestLink : public QObject
{
    Q_OBJECT
private slots:
    void readBack_data()
    {
        QTest::addColumn<ReadCase>("c");
        const auto row = [](const char *name, SignModel model, const Memory &memory, const QStringList &requests,
                            const QList<QByteArray> &images, Outcome o = Outcome::Completed, int foreign = -1,
                            const QByteArray &spoiled = {}) {
            QTest::newRow(name) << ReadCase{model, memory, requests, images, o, foreign, spoiled};
        };
        row("no program: the first block is the end marker", kZ20, {}, {"1800"}, {});
        Memory three;
        for (int p = 0; p < 3; ++p)
            three.put(kZ20, p, page(p + 1, "ABC"));
        const QList<QByteArray> threeImages{page(1, "ABC"), page(2, "ABC"), page(3, "ABC")};
        row("three short pages", kZ20, three, {"1800", "1c00", "2000", "2400"}, threeImages);
        // A page without a pair of 0 bytes is read to its last block; 0xFF at a unit start is text.
        QByteArray long40 = page(1, {}, 0) + QByteArray(512 - 14, 'x');
        long40[256] = char(0xFF);
        row("a full page ends after its last block", kZ40, Memory{}.put(kZ40, 0, long40),
            {"1800", "1840", "1880", "18c0", "1900", "1940", "1980", "19c0", "1a00"}, {long40});
        // The pair of 0 bytes that ends a page straddles two blocks.
        const QByteArray straddling = page(1, QByteArray(46, 'y'));
        row("a pair of 0 bytes split over two blocks", kZ20, Memory{}.put(kZ20, 0, straddling + QByteArray(10, 'z')),
            {"1800", "1840", "1c00"}, {straddling});
        row("page 2 without its title row", kZ20, Memory(three).put(kZ20, 1, "garbage from elsewhere"), {"1800", "1c00"},
            threeImages.mid(0, 1), Outcome::ForeignPage, 1);
        row("bad mark at the second block", kZ20, three, {"1800", "1c00"}, threeImages.mid(0, 1), Outcome::WrongAnswer,
            -1, QByteArray(66, '\0'));
        row("an answer one byte short", kZ20, three, {"1800"}, {}, Outcome::WrongAnswer, -1, kAck + QByteArray(63, 'a'));
        ReadCase every{kZ40, {}, {}, {}, Outcome::Completed, -1, {}};
        for (int p = 0; p < 40; ++p) {
            every.memory.put(kZ40, p, page(p + 1, "ABC"));
            every.requests << QString::number(24 + 2 * p, 16) + QStringLiteral("00");
            every.images << page(p + 1, "ABC");
        }
        QTest::newRow("every page of the 40-page model, no end marker") << every;
    }

    void readBack()
    {
        QFETCH(ReadCase, c);
        const SignModel &model = c.model;
        ReadBackStepper reader(model);
        QStringList asked;
        Step step = reader.start();
        for (int guard = 0; !step.outcome && guard < 400; ++guard) {
            QVERIFY(step.awaitAnswer);
            QCOMPARE(step.write.size(), 7);
            asked << QString::fromLatin1(step.write.mid(3, 2).toHex());
            const bool spoil = !c.spoiled.isNull() && asked.size() == c.requests.size();
            step = reader.answer(spoil ? c.spoiled : c.memory.answer(step.write));
        }
        QCOMPARE(asked, c.requests);
        QCOMPARE(*step.outcome, c.outcome);
        QCOMPARE(reader.foreignPage(), c.foreignPage);
        // A page read back keeps the first 0 of the pair that ends it; the pages after are empty.
        QList<QByteArray> images = c.images;
        for (QByteArray &image : images)
            image.chop(image.endsWith(QByteArray(2, '\0')) ? 1 : 0);
        images.resize(model.pageCount);
        QCOMPARE(reader.images(), images);
    }

    void scanPass()
    {
        Rig rig;
        rig.port.existing = {2, 39, 40};
        rig.port.refusing = {5};
        QCOMPARE(rig.timer2.interval(), 1000ms);
        for (int pass = 0; pass < 2; ++pass) {
            rig.port.writePorts.clear();
            QVERIFY(rig.timer2.fire());
            QCOMPARE(rig.link.mode(), LinkMode::Detect);
            QVERIFY(!rig.timer2.isEnabled());  // no second pass starts while one runs
            QCOMPARE(rig.timer1.interval(), 100ms);
            int steps = 0;
            while (rig.timer1.fire() && steps < 100)
                ++steps;
            // COM1 to COM39 get a 100 ms window each; COM40, where the pass ends, is not opened.
            QCOMPARE(steps, 39);
            QCOMPARE(rig.port.writePorts, (QList<int>{2, 39}));
            QCOMPARE(rig.port.writes.constLast(), hex("a5050100000200"));
            QCOMPARE(rig.link.mode(), LinkMode::Idle);
            QVERIFY(!rig.port.isOpen());
            QVERIFY(rig.timer2.isEnabled());
        }
        QCOMPARE(rig.refused, QStringList{QStringLiteral("/dev/ttyS04 3")});  // once, not once a pass
        QVERIFY(!rig.available);
    }

    void exchangeEndings_data()
    {
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<QString>("event");
        QTest::addColumn<Outcome>("outcome");
        for (Exchange e : {Exchange::Send, Exchange::Read}) {
            const QString name = e == Exchange::Send ? "send: " : "read: ";
            for (const auto &[what, o] : {std::pair{"completes", Outcome::Completed}, {"silence", Outcome::Timeout},
                                          {"wrong answer", Outcome::WrongAnswer}, {"port vanishes", Outcome::PortLost},
                                          {"write fails", Outcome::PortLost}, {"device gone", Outcome::PortLost},
                                          {"device refuses", Outcome::CannotOpen}, {"cancelled", Outcome::Cancelled}})
                QTest::newRow(qPrintable(name + what)) << e << QString::fromLatin1(what) << o;
        }
        QTest::newRow("send: two acknowledgements at once") << Exchange::Send << "double ack" << Outcome::WrongAnswer;
        QTest::newRow("send: end frame not drained") << Exchange::Send << "drain fails" << Outcome::PortLost;
    }

    void exchangeEndings()
    {
        QFETCH(Exchange, exchange);
        QFETCH(QString, event);
        QFETCH(Outcome, outcome);
        Rig rig;
        rig.detect();
        rig.port.writes.clear();
        rig.port.writeFails = event == u"write fails";
        rig.port.flushFails = event == u"drain fails";
        if (event == u"device gone")
            rig.port.existing.clear();
        if (event == u"device refuses")
            rig.port.refusing = {1};
        rig.start(exchange);
        const bool send = exchange == Exchange::Send;
        if (event == u"completes" || event == u"drain fails") {
            rig.port.deliver(send ? kAck : block());
            rig.port.deliver(send ? kAck : QByteArray());
        } else if (event == u"silence") {
            QCOMPARE(rig.timer1.interval(), 3000ms);
            QVERIFY(rig.timer1.fire());
        } else if (event == u"wrong answer") {
            rig.port.deliver(QByteArray(send ? 1 : 66, '\0'));
        } else if (event == u"double ack") {
            rig.port.deliver(kAck + kAck);
        } else if (event == u"port vanishes") {
            rig.port.vanish();
        } else if (event == u"cancelled") {
            rig.link.cancel();
            QVERIFY(rig.timer1.fire());  // the answer to what was written never comes
        }
        QCOMPARE(rig.ended, (QList<Ended>{{exchange, outcome}}));
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.timer1.isEnabled());
        if (outcome == Outcome::Completed && send) {
            QCOMPARE(rig.port.writes, (QList<QByteArray>{kFrame0, kFrame0, kEnd}));
            QCOMPARE(rig.port.flushes, 1);  // the end frame left before the close
        }
        // A lost port sends the link back to looking for the sign; anything else keeps it.
        const bool lost = outcome == Outcome::PortLost;
        QCOMPARE(rig.link.signDetected(), !lost);
        QCOMPARE(rig.available, !lost);
        QCOMPARE(rig.timer2.isEnabled(), lost);
        rig.timer1.fire();  // a late tick changes nothing
        QCOMPARE(rig.ended.size(), 1);
    }

    void exchangeOverAnother_data()
    {
        QTest::addColumn<Exchange>("first");
        QTest::addColumn<bool>("answerArrives");  // or the response time passes
        QTest::newRow("send during a read, the read answer arrives") << Exchange::Read << true;
        QTest::newRow("send during a read, the read answer never comes") << Exchange::Read << false;
        QTest::newRow("read during a send, the acknowledgement arrives") << Exchange::Send << true;
        QTest::newRow("read during a send, no acknowledgement") << Exchange::Send << false;
    }

    void exchangeOverAnother()
    {
        QFETCH(Exchange, first);
        QFETCH(bool, answerArrives);
        const QByteArray titleBlock = block(hex("010203") + QByteArray(61, 'x'));  // the read goes on
        Rig rig;
        rig.detect();
        rig.start(first);
        if (first == Exchange::Read)
            rig.port.deliver(titleBlock);
        rig.port.writes.clear();
        const Exchange second = first == Exchange::Read ? Exchange::Send : Exchange::Read;
        rig.start(second);
        QCOMPARE(rig.ended, (QList<Ended>{{first, Outcome::Superseded}}));
        // Nothing is written until the first exchange's answer is in or its time is up.
        QVERIFY(rig.link.settling());
        QVERIFY(rig.port.writes.isEmpty());
        if (answerArrives) {
            const QByteArray due = first == Exchange::Read ? titleBlock : kAck;
            rig.port.deliver(due.chopped(1));
            QVERIFY(rig.port.writes.isEmpty());  // a part of it is not enough
            rig.port.deliver(due.right(1));
        } else {
            QVERIFY(rig.timer1.fire());
        }
        QVERIFY(!rig.link.settling());
        QCOMPARE(rig.port.writes, QList<QByteArray>{second == Exchange::Send ? kFrame0 : hex("a5050118004000")});
        // The second exchange then runs as usual.
        rig.port.deliver(second == Exchange::Send ? kAck : block());
        rig.port.deliver(second == Exchange::Send ? kAck : QByteArray());
        QCOMPARE(rig.ended.constLast(), std::make_pair(second, Outcome::Completed));
    }

    void portMap()
    {
        QStringList listed{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS0")};
        int listings = 0;
        const PortMap map([&] {
            ++listings;
            return listed;
        });
        QCOMPARE(map.devicePaths(), (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
        QCOMPARE(map.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(map.devicePath(4), QString());
        QCOMPARE(map.devicePath(0), QString());
        // Listed afresh at COM1, the start of every scan pass: an adapter plugged in meanwhile counts.
        listed.append(QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(map.devicePath(2), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(map.devicePath(1), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(listings, 2);
        // Given paths: a relative one against the working folder, an empty one stays empty.
        const PortMap given = PortMap::fromPaths({"a/../b", "", "/dev/x"});
        QCOMPARE(given.devicePaths(), (QStringList{QDir::currentPath() + "/b", "", "/dev/x"}));
        QCOMPARE(given.devicePath(3), QStringLiteral("/dev/x"));
        QCOMPARE(given.devicePath(4), QString());
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
