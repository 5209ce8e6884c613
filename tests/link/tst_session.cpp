// What the session does with the operator's program: a read-back's outcome decides between the
// sign's program and the earlier one; a Send is refused before anything changes, reports cut
// pages before its first frame, and over a read-back sends what the store holds.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/SignLink.h"
#include "model/MessageEntry.h"
#include "model/MessageStore.h"
#include "protocol/Frames.h"
#include "session/ProgramSession.h"

#include <QTest>

using namespace zlx;

Q_DECLARE_METATYPE(zlx::Outcome)
Q_DECLARE_METATYPE(zlx::Refusal)

namespace {
const QByteArray kAck = QByteArray::fromHex("b5");
const QByteArray kEarlier = entry::make(1, 2, '2', "OLD");
const QByteArray kRead = entry::make(1, 2, '2', "NEW");

QByteArray block(const QByteArray &bytes)
{
    return kAck + bytes.leftJustified(64, '\0', true) + QByteArray(1, '\0');
}
QByteArray pageBlock(int n, const QByteArray &text)
{
    return block(QByteArray::fromHex("010203") + QByteArray::number(n).rightJustified(2, '0')
                 + " PAGINA " + QByteArray(1, '\0') + QByteArray::fromHex("010202") + text
                 + QByteArray(2, '\0'));
}

struct Rig
{
    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link{&port, &timer1, &timer2};
    MessageStore store;
    ProgramSession session{link, store};
    QList<ExchangeReport> reports;

    explicit Rig(char modelCode = 1)
    {
        QObject::connect(&session, &ProgramSession::finished,
                         [this](const ExchangeReport &r) { reports.append(r); });
        // The editor's reset empties the store as the read-back starts.
        QObject::connect(&session, &ProgramSession::readStarting, [this] { store.clearPages(); });
        link.SetUpLink();
        timer2.fire();
        port.deliver(QByteArray::fromHex("b5") + modelCode + QByteArray(2, '\0'));
        store.setEntry(0, 0, kEarlier);
    }
};
}  // namespace

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void readOutcomes_data();
    void readOutcomes();
    void sendOverReadSendsTheStore();
    void sendRefusals_data();
    void sendRefusals();
    void cutPagesReportedBeforeTheFirstFrame();
};

void TestSession::readOutcomes_data()
{
    QTest::addColumn<QList<QByteArray>>("answers");  // "tick": the response time passes
    QTest::addColumn<bool>("forget");                 // the operator replaced the program
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QByteArray>("page1");            // entry (0, 0) afterwards
    QTest::addColumn<bool>("givenBack");
    QTest::addColumn<int>("page");
    const QByteArray end = block(QByteArray(1, char(0xFF)));
    const QByteArray garbage = block("written by something else");
    QTest::newRow("completes") << QList<QByteArray>{pageBlock(1, "NEW"), end} << false
                               << Outcome::Completed << kRead << false << -1;
    QTest::newRow("page 2 unreadable: page 1 kept") << QList<QByteArray>{pageBlock(1, "NEW"), garbage} << false
                                                    << Outcome::ForeignPage << kRead << false << 1;
    QTest::newRow("page 1 unreadable: earlier program back") << QList<QByteArray>{garbage} << false
                                                             << Outcome::ForeignPage << kEarlier << true << 0;
    QTest::newRow("silence") << QList<QByteArray>{pageBlock(1, "NEW"), "tick"} << false
                             << Outcome::Timeout << kEarlier << true << -1;
    QTest::newRow("bad mark") << QList<QByteArray>{QByteArray(66, '\0')} << false
                              << Outcome::WrongAnswer << kEarlier << true << -1;
    QTest::newRow("port lost") << QList<QByteArray>{"vanish"} << false
                               << Outcome::PortLost << kEarlier << true << -1;
    QTest::newRow("silence after the program was replaced") << QList<QByteArray>{"tick"} << true
                                                            << Outcome::Timeout << QByteArray() << false << -1;
}

void TestSession::readOutcomes()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(bool, forget);
    Rig rig;
    const EditorView view{3, 7, QStringLiteral("file.zlx")};
    QCOMPARE(rig.session.read(view), Refusal::None);
    QVERIFY(rig.store.entry(0, 0).isEmpty());
    if (forget)
        rig.session.forgetEarlierProgram();
    for (const QByteArray &answer : answers) {
        if (answer == "tick")
            QVERIFY(rig.timer1.fire());
        else if (answer == "vanish")
            rig.port.vanish();
        else
            rig.port.deliver(answer);
    }
    QCOMPARE(rig.reports.size(), 1);
    const ExchangeReport &report = rig.reports.constFirst();
    QCOMPARE(report.exchange, Exchange::Read);
    QTEST(report.outcome, "outcome");
    QTEST(rig.store.entry(0, 0), "page1");
    QTEST(report.givenBack.has_value(), "givenBack");
    if (report.givenBack)
        QCOMPARE(report.givenBack->visibleRows, 7);
    QTEST(report.page, "page");
}

void TestSession::sendOverReadSendsTheStore()
{
    Rig rig;
    QCOMPARE(rig.session.read(), Refusal::None);
    rig.port.deliver(pageBlock(1, "NEW").left(40));  // part of an answer is on its way
    // Typed during the read: two pages the sign never held.
    rig.store.setEntry(0, 0, entry::make(2, 4, '2', "AB"));
    rig.store.setEntry(1, 0, entry::make(3, 2, '1', "CD"));
    rig.port.writes.clear();
    QCOMPARE(rig.session.send().refusal, Refusal::None);
    rig.port.deliver(pageBlock(1, "NEW").mid(40));  // the read's last answer: not an acknowledgement
    for (int i = 0; i < 10 && rig.link.programBusy(); ++i)
        rig.port.deliver(kAck);
    QCOMPARE(rig.reports.size(), 2);
    QCOMPARE(rig.reports.at(0).outcome, Outcome::Superseded);
    QVERIFY(!rig.reports.at(0).givenBack);
    QCOMPARE(rig.reports.at(1).outcome, Outcome::Completed);
    QCOMPARE(rig.store.entry(0, 0), entry::make(2, 4, '2', "AB"));
    // Three frames: the two typed pages and the end marker page.
    QCOMPARE(rig.port.writes.size(), 4);
    QVERIFY(rig.port.writes.at(0).contains(QByteArray::fromHex("020402") + "AB"));
    QVERIFY(rig.port.writes.at(1).contains(QByteArray::fromHex("030201") + "CD"));
    QCOMPARE(rig.reports.at(1).frames, 3);
}

void TestSession::sendRefusals_data()
{
    QTest::addColumn<char>("modelCode");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("twice");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("unknown model") << char(3) << kEarlier << false << Refusal::UnknownModel;
    QTest::newRow("font 5") << char(1) << entry::make(1, 2, '5', "X") << false << Refusal::BadEntry;
    QTest::newRow("a transfer runs") << char(1) << kEarlier << true << Refusal::Busy;
}

void TestSession::sendRefusals()
{
    QFETCH(char, modelCode);
    QFETCH(QByteArray, entry);
    QFETCH(bool, twice);
    Rig rig(modelCode);
    rig.store.setEntry(0, 1, entry);
    if (twice)
        QCOMPARE(rig.session.send().refusal, Refusal::None);
    const qsizetype writes = rig.port.writes.size();
    const ProgramSession::SendStart start = rig.session.send();
    QTEST(start.refusal, "refusal");
    QCOMPARE(start.fault.has_value(), start.refusal == Refusal::BadEntry);
    if (start.fault)
        QCOMPARE(std::make_pair(start.fault->page, start.fault->row), std::make_pair(0, 1));
    QCOMPARE(rig.port.writes.size(), writes);  // nothing went out
    QCOMPARE(rig.link.programBusy(), twice);
}

void TestSession::cutPagesReportedBeforeTheFirstFrame()
{
    Rig rig;
    for (int r = 0; r < 20; ++r)
        rig.store.setEntry(1, r, entry::make(1, 2, '2', QByteArray(60, 'x')));
    rig.store.setEntry(0, 0, kEarlier);
    QList<int> cut;
    rig.port.writes.clear();
    rig.session.send([&](int page) {
        QVERIFY(rig.port.writes.isEmpty());
        cut << page;
    });
    QCOMPARE(cut, QList<int>{1});
    QCOMPARE(rig.port.writes.size(), 1);
    for (int i = 0; i < 40 && rig.link.programBusy(); ++i)
        rig.port.deliver(kAck);
    QCOMPARE(rig.reports.constLast().cutPages, QList<int>{1});
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
