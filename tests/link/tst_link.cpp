// The link against a scripted port and hand-fired timers. Its cases are scripts: steps separated
// by ';', each "step > what the port and the link did in it", in order: opens, frames written,
// flushes, closes, notices, exchangesAvailable ("on"/"off"), each ended exchange's outcome (with
// the port's status unless Opened), lineReleased; after the step "progress", each progress an
// exchange tells, as "+".
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "SignBytes.h"
#include "link/SignLink.h"

#include <QTest>

#include <utility>

using namespace zlx;
using namespace signbytes;
using namespace std::chrono_literals;

namespace {
const QByteArray kAck = hex("b5");
const QByteArray kFrame = hex("a50718000001ff00");
const QByteArray kTitle = block(hex("010203") + QByteArray(61, 'x'));  // a page's first block: the read goes on

template <typename E> QString name(E e) { return QVariant::fromValue(e).toString(); }

// A written frame as the scripts name it.
QString named(const QByteArray &w)
{
    if (w == hex("a5050100000200"))
        return QStringLiteral("probe");
    if (w == kFrame || w == hex("a502b500"))
        return QLatin1String(w == kFrame ? "frame" : "end");
    if (w.size() == 7 && w.startsWith(hex("a50501")) && w.endsWith(hex("4000")))
        return "read" + QString::fromLatin1(w.mid(3, 2).toHex());
    return QString::fromLatin1(w.toHex());
}

struct Rig
{
    explicit Rig(PortMap map = ScriptedPort::systemMap()) : link(&port, std::move(map), &timer1, &timer2)
    {
        port.log = [this](const QString &e) { seen << (e == u"write" ? named(port.writes.constLast()) : e); };
        QObject::connect(&link, &SignLink::portNotice, [this](const QString &address, PortStatus status) {
            seen << QStringLiteral("notice%1=%2").arg(ScriptedPort::comOf(address)).arg(name(status));
        });
        QObject::connect(&link, &SignLink::exchangesAvailable, [this](bool on) { seen << (on ? "on" : "off"); });
        QObject::connect(&link, &SignLink::lineReleased, [this] { seen << "released"; });
        link.SetUpLink();
    }
    // A scan pass that finds the sign on COM1; the scan is over for good.
    void detect(char code = 1)
    {
        seen.clear();
        QVERIFY(timer2.fire());
        port.deliver(kAck + code + hex("0000"));
        QCOMPARE(seen.join(u' '), QStringLiteral("open1 probe close on"));
        QVERIFY(!timer1.isEnabled() && !timer2.isEnabled());
    }
    // An ended exchange leaves the link idle; a refused one ("-") never starts.
    ExchangeReply *watch(ExchangeReply *reply)
    {
        const auto record = [this, reply] {
            QCOMPARE(link.mode(), LinkMode::Idle);
            const bool opened = reply->portStatus() == PortStatus::Opened;
            seen << name(reply->outcome()) + (opened ? QString() : u'/' + name(reply->portStatus()));
        };
        if (!reply)
            seen << "-";
        else if (reply->isFinished())
            record();
        else
            QObject::connect(reply, &ExchangeReply::finished, reply, record);
        if (reply)
            QObject::connect(reply, &ExchangeReply::progress, reply, [this] { seen << (tellProgress ? "+" : ""); });
        return reply;
    }
    QString state() const
    {
        QStringList s{link.mode() == LinkMode::Idle ? QString() : name(link.mode())};
        const auto add = [&s](bool on, const char *flag) { s << QString::fromLatin1(on ? flag : ""); };
        add(port.isOpen(), "open");
        add(port.bytesWaiting() > 0, "buf");
        add(timer2.isEnabled(), "t2");
        add(link.signDetected(), "sign");
        add(link.settling(), "settling");
        add(timer1.isEnabled(), qPrintable(QStringLiteral("t1=%1").arg(timer1.interval().count())));
        s.removeAll(QString());
        return s.join(u' ');
    }
    void step(const QString &t)
    {
        static const QHash<QString, QByteArray> answers{{"ack", kAck}, {"acks", kAck + kAck}, {"block", block()},
            {"title", kTitle}, {"title65", kTitle.first(65)}, {"junk", QByteArray(66, '\0')},
            {"stale", block(page(1, "OLD"))}, {"found", hex("b5010000")}, {"found2", hex("b5020000")},
            {"found3", hex("b5030000")}, {"x00", hex("00")},
            {"foreign", block("written by something else")}};
        const QHash<QString, bool *> settings{{"pending", &port.pending}, {"hold", &port.holdFlush},
            {"writefail", &port.writeFails}, {"flushfail", &port.flushFails}};
        const auto pages = [](const std::optional<SignModel> &m) { return m ? QString::number(m->pageCount) : "-"; };
        if (answers.contains(t))
            port.deliver(answers[t]);
        else if (t == u"scan" || t == u"tick")
            seen << QString::fromLatin1((t == u"scan" ? timer2 : timer1).fire() ? "" : "-");
        else if (t == u"sign")
            detect(), seen.clear(), timer1.starts = 0;
        else if (t.startsWith(u"send") || t == u"begin")
            watch(link.beginSend());
        else if (t == u"read")
            watch(link.startRead());
        else if (t == u"cancel")
            link.cancel();
        else if (t == u"vanish" || t == u"turnaway")
            port.vanish(t == u"vanish" ? PortStatus::Dropped : PortStatus::Busy);
        else if (t == u"back")
            port.vanished = false;
        else if (t == u"opened" || t == u"refused")
            port.finishOpen(t == u"opened" ? PortStatus::Opened : PortStatus::Refused);
        else if (t == u"flushed" || t == u"stuck")
            port.finishFlush(t == u"flushed");
        else if (t == u"?")
            seen << state();
        else if (t == u"model")
            seen << pages(link.model()) + u'/' + pages(link.exchangeModel());
        else if (t == u"threshold")
            seen << QString::number(port.receiveThreshold());
        else if (t == u"starts")
            seen << QString::number(std::exchange(timer1.starts, 0));
        else if (t == u"progress")
            tellProgress = true;
        // The port's and the link's settings
        else if (bool *flag = settings.value(t))
            *flag = true;
        else if (t == u"quiet")
            port.quiet = 20ms;
        else if (t == u"gone")
            port.existing.clear();
        else if (t == u"refusing")
            port.refusing = {1};
        else if (t == u"t700")
            link.setResponseTimeout(700ms);
        else if (t != u"named" && t != u"frames")
            QFAIL(qPrintable("no such step: " + t));
        if (t == u"send" || t == u"send2" || t == u"frames")
            link.startSend(t == u"send2" ? QList<QByteArray>{kFrame, kFrame} : QList<QByteArray>{kFrame});
    }
    void run(const QString &script)
    {
        for (const QString &part : script.split(u';')) {
            const QString step = part.section(u'>', 0, 0).trimmed();
            seen.clear();
            this->step(step);
            seen.removeAll(QString());
            QCOMPARE(step + " > " + seen.join(u' '), step + " > " + part.section(u'>', 1).trimmed());
        }
    }

    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link;
    QStringList seen;
    bool tellProgress = false;
};
}  // namespace

class TestLink : public QObject
{
    Q_OBJECT
private slots:
    void scripts_data()
    {
        QTest::addColumn<QString>("script");
        const auto row = [](const char *name, const char *script) { QTest::newRow(name) << QString::fromLatin1(script); };
        // How each exchange ends. A lost port sends the link back to looking for the sign; anything else keeps it.
        row("send: completes", "sign; send2 > open1 frame; ack > frame; ack > end flush close Completed; ? > sign; tick > -");
        row("read: completes", "sign; read > open1 read1800; block > close Completed; ? > sign; tick > -");
        row("read: not twice at once", "sign; read > open1 read1800; read > -; block > close Completed");
        row("send: silence", "sign; send2 > open1 frame; ? > Program open sign t1=3000; tick > close Timeout; ? > sign");
        row("read: silence", "sign; read > open1 read1800; ? > Read open sign t1=3000; tick > close Timeout; ? > sign");
        row("send: wrong answer", "sign; send2 > open1 frame; junk > close WrongAnswer; ? > sign");
        row("read: wrong answer", "sign; read > open1 read1800; junk > close WrongAnswer; ? > sign");
        // Progress is told for a block read, not for an answer that ends the read.
        row("read: progress, then a foreign page", "sign; progress; read > open1 read1800; stale > + read1c00; foreign > close ForeignPage");
        row("read: progress, then a wrong answer", "sign; progress; read > open1 read1800; title > + read1840; junk > close WrongAnswer");
        row("send: two acknowledgements at once", "sign; send2 > open1 frame; acks > close WrongAnswer");
        row("send: port vanishes", "sign; send2 > open1 frame; vanish > off PortLost/Dropped; ? > t2; tick > -");
        row("read: port vanishes", "sign; read > open1 read1800; vanish > off PortLost/Dropped; ? > t2; tick > -");
        row("send: write fails", "sign; writefail; send2 > open1 close off PortLost/Dropped; ? > t2");
        row("read: write fails", "sign; writefail; read > open1 close off PortLost/Dropped; ? > t2");
        row("send: device gone", "sign; gone; send2 > open1 off PortLost/NoDevice; ? > t2");
        row("read: device gone", "sign; gone; read > open1 off PortLost/NoDevice; ? > t2");
        row("send: device refuses", "sign; refusing; send2 > open1 CannotOpen/NoPermission; ? > sign");
        row("read: device refuses", "sign; refusing; read > open1 CannotOpen/NoPermission; ? > sign");
        row("send: end frame not drained", "sign; flushfail; send2 > open1 frame; ack > frame; ack > end flush close off PortLost/Dropped");
        // Cancel: the caller hears at once; the frame on the line leaves whole and the sign's answer to it is
        // waited for (here it never comes) before the port closes.
        row("send: cancelled", "sign; send2 > open1 frame; cancel > flush Cancelled; ? > open sign settling t1=3000; tick > close released; ? > sign");
        row("read: cancelled", "sign; read > open1 read1800; cancel > flush Cancelled; tick > close released; ? > sign");
        row("cancel, frame out, then its answer", "sign; hold; send > open1 frame; cancel > flush Cancelled; ? > open sign settling t1=3000; "
            "flushed; threshold > 1; ack > close released");
        row("cancel, its answer while the frame leaves", "sign; hold; send > open1 frame; cancel > flush Cancelled; ack; flushed > close released");
        row("cancel, port failed", "sign; hold; send > open1 frame; cancel > flush Cancelled; ack; stuck > close released");
        row("cancel before the first request", "sign; pending; send > open1; cancel > close Cancelled; opened");
        // The end frame leaves before the port closes; an answer to it is no longer heard.
        row("end frame out", "sign; hold; send > open1 frame; starts > 1; ack > end flush; starts > 1; ? > Program open sign t1=3000; ack; "
            "flushed > close Completed");
        row("end frame stuck", "sign; hold; send > open1 frame; ack > end flush; ack; stuck > close off PortLost/Dropped");
        row("end frame never told", "sign; hold; send > open1 frame; ack > end flush; ack; tick > close off PortLost/Dropped");
        // An exchange over another whose answer is still due: nothing is written until that answer is in
        // (a part of it is not enough) or its time is up; then the second runs as usual.
        row("send during a read, the read answer arrives", "sign; read > open1 read1800; title > read1840; send > Superseded; "
            "? > Program open sign settling t1=3000; title65; x00 > open1 frame; ack > end flush close Completed");
        row("send during a read, the read answer never comes", "sign; read > open1 read1800; send > Superseded; tick > open1 frame; "
            "ack > end flush close Completed");
        row("read during a send, the acknowledgement arrives", "sign; send > open1 frame; read > Superseded; ? > Read open sign settling t1=3000; "
            "ack > open1 read1800; block > close Completed");
        row("read during a send, no acknowledgement", "sign; send > open1 frame; read > Superseded; tick > open1 read1800; block > close Completed");
        row("send after a cancelled read", "sign; read > open1 read1800; cancel > flush Cancelled; send; block > open1 frame; ack > end flush close Completed");
        // A read over a Send still in its quiet spell opens at once; a Send over a read, while its frames
        // are still being built, writes nothing until they are.
        row("over an exchange not yet writing", "sign; quiet; send > open1; read > Superseded open1; ? > Read open sign t1=20; tick > read1800; "
            "begin > Superseded; block; ? > Program open sign; frames > open1; tick > frame; ? > Program open sign t1=3000");
        // Whatever arrives between the open and a still line is an earlier exchange's: dropped, and the spell
        // starts again. Only then does the first request go out.
        row("quiet spell: scan", "quiet; scan > open1; found; ack; stale; ? > Detect open t1=20; tick > probe; ? > Detect open t1=100");
        row("quiet spell: send", "sign; quiet; send > open1; found; ack; stale; ? > Program open sign t1=20; tick > frame; ? > Program open sign t1=3000");
        row("quiet spell: read", "sign; quiet; read > open1; found; ack; stale; ? > Read open sign t1=20; tick > read1800");
        // A port that opens later, as a network one does: the answer time bounds the open. A named or
        // network port waits the answer time for the probe's answer, the system's own 100 ms.
        row("scan: opens later", "named; t700; pending; scan > open1; ? > Detect t1=700; quiet; opened; ? > Detect open t1=20; "
            "tick > probe; ? > Detect open t1=700");
        row("scan: refused", "named; t700; pending; scan > open1; refused > notice1=Refused; ? > Detect t1=100");
        row("scan: never opens", "named; t700; pending; scan > open1; tick > close notice1=Unreachable; ? > Detect t1=100");
        row("scan: turned away once open", "named; t700; pending; scan > open1; quiet; opened; turnaway > notice1=Busy; ? > Detect t1=100");
        row("scan: a named port missing", "named; gone; scan > open1 notice1=NoDevice; ? > Detect t1=100");
        row("scan: a system port missing", "gone; scan > open1; ? > Detect t1=100");
        // A busy port still has the sign behind it; a server that refuses or is out of reach sends the link looking again.
        row("read: opens later", "named; t700; sign; pending; read > open1; ? > Read sign t1=700; quiet; opened; tick > read1800; ? > Read open sign t1=700");
        row("read: refused", "named; t700; sign; pending; read > open1; refused > off CannotOpen/Refused; ? > t2");
        row("read: never opens", "named; t700; sign; pending; read > open1; tick > close off CannotOpen/Unreachable; ? > t2");
        row("read: turned away once open", "named; t700; sign; pending; read > open1; quiet; opened; turnaway > CannotOpen/Busy; ? > sign");
        // A lost port keeps the model for the editor and files, but no exchange runs on it until a sign tells its own again.
        row("a lost port keeps the model", "scan > open1 probe; found2 > close on; model > 40/40; read > open1 read1800; vanish > off PortLost/Dropped; "
            "model > 40/-; read > -; back; scan > open1 probe; found3 > close on; model > 40/-; read > -; send > -");
    }
    void scripts()
    {
        QFETCH(QString, script);
        Rig rig(script.startsWith(u"named") ? PortMap({ScriptedPort::address(1)}) : ScriptedPort::systemMap());
        rig.run(script);
    }

    void scanPass()
    {
        Rig rig;
        rig.port.existing = {2, 39, 40};
        rig.port.refusing = {5};
        QCOMPARE(rig.timer2.interval(), 1000ms);
        for (int pass = 0; pass < 2; ++pass) {
            rig.port.writePorts.clear();
            rig.seen.clear();
            QVERIFY(rig.timer2.fire());
            QCOMPARE(rig.link.mode(), LinkMode::Detect);
            QVERIFY(!rig.timer2.isEnabled());  // no second pass starts while one runs
            int steps = 0;
            while (rig.timer1.fire() && steps < 100)
                ++steps;
            // COM1 to COM39 get a 100 ms window each; COM40, where the pass ends, is not opened.
            QCOMPARE(steps, 39);
            QCOMPARE(rig.port.writePorts, (QList<int>{2, 39}));
            QCOMPARE(rig.seen.filter(u"probe").size(), 2);
            QCOMPARE(rig.timer1.interval(), 100ms);
            QCOMPARE(rig.state(), QStringLiteral("t2"));
            QCOMPARE(rig.seen.filter(u"notice"), pass ? QStringList() : QStringList{"notice5=NoPermission"});  // once, not once a pass
        }
        QVERIFY(!rig.seen.contains(QStringLiteral("on")));
    }

    // A port that appears after detection shifts the COM numbers; the sign's device stays.
    void signKeptByDevice()
    {
        QStringList listed{ScriptedPort::address(5)};
        Rig rig(PortMap([&] { return listed; }));
        rig.port.existing = {5, 2};
        QVERIFY(rig.timer2.fire());
        rig.port.deliver(hex("b5010000"));
        QCOMPARE(rig.link.signAddress(), ScriptedPort::address(5));
        listed.prepend(ScriptedPort::address(2));
        rig.run("read > open5 read1800");
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
