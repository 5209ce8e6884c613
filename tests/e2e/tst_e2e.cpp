// The real serial port code on ptys. The port alone: opening by path, the read limit.
// The main window against the virtual sign: a Send over a read-back whose answer is still on the
// line sends the program; after each fault the virtual sign can show the window keeps its program, and then (after a lost port, once the scan has found the sign again) a program goes
// out and comes back whole.
#include "ManualTicker.h"
#include "RecordingPresenter.h"
#include "SignMemory.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "model/MessageEntry.h"
#include "session/ProgramSession.h"
#include "sim/PtySign.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace zlx;
using namespace std::chrono_literals;
using sim::FaultKind;

namespace {

using Ended = std::pair<Exchange, Outcome>;

// Row 0 of each page: `text` and `length` letters, one per page.
MessageStore program(const QByteArray &text, int pages, int length = 1)
{
    MessageStore s;
    for (int p = 0; p < pages; ++p)
        s.setEntry(p, 0, entry::make(1, 2, '2', text + QByteArray(length, char('a' + p))));
    return s;
}

struct Window
{
    Window()
    {
        if (!sign.open(link))
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        auto pause = std::make_unique<ManualTicker>();
        timer2 = pause.get();
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(), PortMap({link}), nullptr, std::move(pause));
        form->setMessagePresenter(std::make_unique<RecordingPresenter>());
        form->link()->setResponseTimeout(500ms);
        form->link()->setLastScanPort(1);
        QObject::connect(form->session(), &ProgramSession::finished, [this](const ExchangeReport &r) {
            reports.append(r);
            ended.append({r.exchange, r.outcome});
        });
    }

    bool detect()
    {
        QSignalSpy found(form->link(), &SignLink::signFound);
        return timer2->fire() && found.wait(2000);
    }
    SignModel model() const { return *form->link()->model(); }
    PageEditor &editor() { return *form->editor(); }
    ProgramSession &session() { return *form->session(); }
    // Fills the row as the operator does; `expected` gets the entry the row stands for.
    void type(int row, int amount, const QString &text, MessageStore &expected)
    {
        EditorRow &r = editor().row(row);
        r.cmbEfecto->setCurrentIndex(0);
        r.cmbVelocidad->setEditText(QString::number(amount));
        r.cmbFuente->setCurrentIndex(1);
        r.Text1->clear();
        QTest::keyClicks(r.Text1, text);
        expected.setEntry(editor().currentPage() - 1, row, entry::make(1, amount, '2', entry::textToStored(text)));
    }
    void put(const MessageStore &program) { signbytes::put(sign.sign(), program, model()); }
    bool signHolds(const MessageStore &program) const { return signbytes::holds(sign.sign(), program, model()); }

    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("ttyZLX"));
    sim::PtySign sign;
    ManualTicker *timer2 = nullptr;
    std::unique_ptr<Form1> form;
    QList<ExchangeReport> reports;
    QList<Ended> ended;
    QSignalSpy taken{&sign, &sim::PtySign::frameHandled};
};

}  // namespace

class TestE2E : public QObject
{
    Q_OBJECT
private slots:
    void openingByPath()
    {
        sim::PtySign sign;
        QVERIFY(sign.open());
        QtSignPort port;
        QCOMPARE(port.open(QStringLiteral("/nonexistent/ttyA")), PortStatus::NoDevice);
        QCOMPARE(port.open(sign.slavePath()), PortStatus::Opened);
        // A device another program holds is busy, not a matter of permissions.
        QCOMPARE(QtSignPort().open(sign.slavePath()), PortStatus::Busy);
    }

    void readLimitAndDiscard()
    {
        sim::PtySign sign;
        QVERIFY(sign.open());
        QtSignPort port;
        port.setSettings(PortSettings{});
        port.setReceiveThreshold(1);
        QCOMPARE(port.open(sign.slavePath()), PortStatus::Opened);
        QVERIFY(port.write(signbytes::hex("a5050100000200")));  // a probe: 4 bytes come back
        QTRY_COMPARE(port.bytesWaiting(), qint64(4));
        port.discardInput();
        QCOMPARE(port.bytesWaiting(), qint64(0));
        QVERIFY(port.write(signbytes::hex("a5050118004000").repeated(8)));  // 8 read answers of 66 bytes
        QTRY_COMPARE(port.bytesWaiting(), qint64(512));  // the receive buffer holds 512
        QCOMPARE(port.read().size(), 512);
        QTRY_COMPARE(port.bytesWaiting(), qint64(16));
        port.close();
        QVERIFY(!port.write("x"));
    }

    void tickerStartsWhenGivenAnInterval()
    {
        QtTicker ticker;
        ticker.setEnabled(true);  // an interval of 0 never ticks
        QSignalSpy ticks(&ticker, &Ticker::tick);
        ticker.setInterval(1ms);
        QVERIFY(ticks.wait(1000));
        QVERIFY(ticker.isEnabled());
    }

    // Enviar during a read-back sends the program the operator had before Leer, and the read
    // answer on the line is not taken for frame 0's acknowledgement.
    void sendDuringReadSendsTheProgram()
    {
        Window w;
        const QString memoryFile = w.dir.filePath(QStringLiteral("sign.mem"));
        QVERIFY(w.sign.setMemoryFile(memoryFile));
        QVERIFY(w.detect());
        w.put(program("", 4, 80));  // four pages of two blocks: a long read-back at 2400 baud
        w.sign.setPaceBaud(2400);
        MessageStore expected;
        w.type(0, 3, QStringLiteral("uno"), expected);
        w.type(1, 4, QStringLiteral("dos"), expected);
        w.editor().cmdSubir()->click();
        w.type(0, 5, QStringLiteral("tres"), expected);
        QSignalSpy progress(w.form->session(), &ProgramSession::progress);
        w.taken.clear();
        w.form->cmdLeer->click();
        QVERIFY(progress.wait(3000));
        QVERIFY(w.editor().row(0).Text1->isReadOnly());
        QTRY_COMPARE_WITH_TIMEOUT(w.taken.size(), 2, 10000);  // the second read request: its answer is on the line now
        QVERIFY(w.form->link()->readBusy());
        w.form->cmdEnviar->click();
        QCOMPARE(w.editor().currentPage(), 2);
        QCOMPARE(w.editor().row(0).Text1->text(), QStringLiteral("tres"));
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 2, 20000);
        QCOMPARE(w.ended, (QList<Ended>{{Exchange::Read, Outcome::Superseded}, {Exchange::Send, Outcome::Completed}}));
        QCOMPARE(w.form->store(), expected);
        QVERIFY(w.signHolds(expected));
        // The end frame got out before the port closed, and the virtual sign keeps its memory in a
        // file from one end frame to its next start.
        QTRY_COMPARE(w.sign.sign().endFramesSeen(), 1);
        sim::PtySign later;
        QVERIFY(later.setMemoryFile(memoryFile));
        QCOMPARE(later.sign().memory(), w.sign.sign().memory());
        QVERIFY(testfiles::write(memoryFile, "x", QIODevice::Append));
        QVERIFY(!later.setMemoryFile(memoryFile));
        QVERIFY2(later.errorString().contains(QStringLiteral("65537")), qPrintable(later.errorString()));
    }

    void faults_data()
    {
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<sim::Fault>("fault");
        QTest::addColumn<Outcome>("outcome");  // PortLost: the pty closes once the first answer is in
        QTest::newRow("silent sign") << Exchange::Send << sim::Fault{FaultKind::Silent, 0} << Outcome::Timeout;
        QTest::newRow("wrong acknowledgement") << Exchange::Send << sim::Fault{FaultKind::WrongAckAt, 2} << Outcome::WrongAnswer;
        QTest::newRow("bad read mark") << Exchange::Read << sim::Fault{FaultKind::BadReadMarkAt, 2} << Outcome::WrongAnswer;
        QTest::newRow("junk before the answer") << Exchange::Read << sim::Fault{FaultKind::GarbageBefore, 0} << Outcome::WrongAnswer;
        QTest::newRow("port lost mid-read") << Exchange::Read << sim::Fault{} << Outcome::PortLost;
    }

    void faults()
    {
        QFETCH(Exchange, exchange);
        QFETCH(sim::Fault, fault);
        QFETCH(Outcome, outcome);
        const bool vanish = outcome == Outcome::PortLost;
        Window w;
        QVERIFY(w.detect());
        const MessageStore editor = program("editor", 3);
        w.form->document()->open(editor, {});
        w.put(program("sign", 3));
        w.sign.sign().setFault(fault);
        w.sign.setPaceBaud(vanish ? 2400 : 0);  // slow enough to pull the port mid-exchange
        QSignalSpy progress(w.form->session(), &ProgramSession::progress);
        if (exchange == Exchange::Send)
            QCOMPARE(w.session().send(w.form->store()).refusal, Refusal::None);
        else
            QCOMPARE(w.session().read(), Refusal::None);
        if (vanish) {
            QVERIFY(progress.wait(2000));
            w.sign.closePty();
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 1, 20000);
        QCOMPARE(w.ended, (QList<Ended>{{exchange, outcome}}));
        QCOMPARE(w.form->link()->mode(), LinkMode::Idle);
        // The program stays; after a failed read-back the editor shows it again.
        QCOMPARE(w.form->store(), editor);
        QCOMPARE(w.editor().row(0).Text1->text(), QStringLiteral("editora"));
        QCOMPARE(w.sign.sign().endFramesSeen(), 0);
        w.sign.sign().setFault({});
        w.sign.setPaceBaud(0);
        if (vanish) {
            QVERIFY(!w.form->link()->signDetected());
            QVERIFY(w.sign.open(w.link));
            QVERIFY(w.detect());
        }
        // Then a program goes out and comes back whole.
        QCOMPARE(w.session().send(w.form->store()).refusal, Refusal::None);
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 2, 20000);
        QVERIFY(w.signHolds(editor));
        w.form->document()->open(program("other", 1), {});
        QCOMPARE(w.session().read(), Refusal::None);
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 3, 20000);
        QCOMPARE(w.ended.mid(1), (QList<Ended>{{Exchange::Send, Outcome::Completed}, {Exchange::Read, Outcome::Completed}}));
        QCOMPARE(w.form->store(), editor);
    }
};

QTEST_MAIN(TestE2E)
#include "tst_e2e.moc"
