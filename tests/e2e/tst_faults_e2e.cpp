// Faults of the sign and of the line, through the real serial port code to the virtual sign on
// a pty: how the exchange ends, that the editor's program survives, and that the link works
// again afterwards (after a lost port, once the scan has found the sign again).
#include "ManualTicker.h"
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "link/SignLink.h"
#include "model/MessageEntry.h"
#include "protocol/PageImages.h"
#include "session/ProgramSession.h"
#include "sim/PtySign.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace zlx;
using namespace std::chrono_literals;
using sim::FaultKind;

namespace {

// One short row per page: one write frame and one read block each.
MessageStore program(const QByteArray &text, int pages)
{
    MessageStore s;
    for (int p = 0; p < pages; ++p)
        s.setEntry(p, 0, entry::make(1, 2, '2', text + char('1' + p)));
    return s;
}

// The session on the real port. The port is looked up afresh on every scan pass, as a
// re-plugged adapter may come back under another name; the pause before a pass is fired by hand.
struct Rig
{
    Rig()
        : port(PortMap([this] { return sign.isOpen() ? QStringList{sign.slavePath()} : QStringList{}; }))
    {
        if (!sign.open())
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        link.setLastScanPort(1);
        link.setResponseTimeout(500ms);
        link.SetUpLink();
    }

    bool detect()
    {
        QSignalSpy found(&link, &SignLink::signFound);
        return timer2.fire() && found.wait(2000);
    }

    // Starts the exchange; with `vanish` the pty closes once the first answer is in.
    std::optional<ExchangeReport> run(Exchange exchange, bool vanish, qint64 *lostAfterMs = nullptr)
    {
        QSignalSpy ended(&session, &ProgramSession::finished);
        QSignalSpy progress(&link, &SignLink::progress);
        if (exchange == Exchange::Send ? session.send().refusal != Refusal::None
                                       : session.read() != Refusal::None)
            return std::nullopt;
        QElapsedTimer sinceClose;
        if (vanish) {
            if (!progress.wait(2000))
                return std::nullopt;
            sign.closePty();
            sinceClose.start();
        }
        if (!ended.wait(5000))
            return std::nullopt;
        if (lostAfterMs)
            *lostAfterMs = sinceClose.isValid() ? sinceClose.elapsed() : -1;
        return ended.constFirst().constFirst().value<ExchangeReport>();
    }

    sim::PtySign sign;
    QtSignPort port;
    QtTicker timer1;
    ManualTicker timer2;
    SignLink link{&port, &timer1, &timer2};
    MessageStore store;
    ProgramSession session{link, store};
};

struct Case
{
    Exchange exchange;
    sim::Fault fault;
    bool vanish;  // the pty closes in the middle of the exchange
    Outcome outcome;
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class TestFaultsE2E : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
};

void TestFaultsE2E::faults_data()
{
    QTest::addColumn<Case>("c");
    QTest::newRow("silent sign") << Case{Exchange::Send, {FaultKind::Silent, 0}, false, Outcome::Timeout};
    QTest::newRow("bad read mark") << Case{Exchange::Read, {FaultKind::BadReadMarkAt, 2}, false, Outcome::WrongAnswer};
    QTest::newRow("port lost mid-transfer") << Case{Exchange::Send, {}, true, Outcome::PortLost};
    QTest::newRow("port lost mid-read") << Case{Exchange::Read, {}, true, Outcome::PortLost};
}

void TestFaultsE2E::faults()
{
    QFETCH(Case, c);
    Rig rig;
    QVERIFY(rig.detect());
    const MessageStore editor = program("editor", 3);
    rig.store = editor;
    const SignModel model = *rig.link.model();
    const auto signImages = buildPageImages(program("sign", 3), model).images;
    for (int p = 0; p < signImages.size(); ++p)
        rig.sign.sign().writeMemory(model.firstUnit(p) * 256, signImages[p]);
    rig.sign.sign().setFault(c.fault);
    rig.sign.setPaceBaud(c.vanish ? 2400 : 0);  // slow enough to pull the port mid-exchange

    qint64 lostAfterMs = -1;
    const auto report = rig.run(c.exchange, c.vanish, &lostAfterMs);
    QVERIFY(report);
    QCOMPARE(report->exchange, c.exchange);
    QCOMPARE(report->outcome, c.outcome);
    if (c.vanish)
        QVERIFY2(lostAfterMs < 500, qPrintable(QString::number(lostAfterMs)));
    QCOMPARE(rig.link.mode(), LinkMode::Idle);
    QVERIFY(!rig.port.isOpen());
    // The editor keeps its program; a failed read-back gives it back.
    QCOMPARE(rig.store, editor);
    QCOMPARE(report->givenBack.has_value(), c.exchange == Exchange::Read);
    QCOMPARE(rig.sign.sign().endFramesSeen(), 0);

    rig.sign.sign().setFault({});
    rig.sign.setPaceBaud(0);
    if (c.vanish) {
        QVERIFY(!rig.link.signDetected());
        QVERIFY(rig.sign.open());
        QVERIFY(rig.detect());
    }
    const auto next = rig.run(Exchange::Send, false);
    QVERIFY(next);
    QCOMPARE(next->outcome, Outcome::Completed);
}

QTEST_GUILESS_MAIN(TestFaultsE2E)
#include "tst_faults_e2e.moc"
