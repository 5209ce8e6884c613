// The main window against the virtual sign on a pty, through the real serial port code: a Send
// over a read-back whose answer is still on the line sends what the editor holds; after a fault
// of each class the editor keeps its program, and then (after a lost port, once the scan has
// found the sign again) a program goes out and comes back whole.
#include "ManualTicker.h"
#include "RecordingPresenter.h"
#include "app/Form1.h"
#include "editor/PageEditor.h"
#include "link/QtSignPort.h"
#include "model/MessageEntry.h"
#include "protocol/PageImages.h"
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
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(PortMap({link})), nullptr, std::move(pause));
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
    // Runs the event loop until n exchanges have ended.
    bool endedCount(int n)
    {
        QSignalSpy spy(form->session(), &ProgramSession::finished);
        for (int i = 0; i < 20 && ended.size() < n; ++i)
            spy.wait(1000);
        return ended.size() >= n;
    }
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
    void put(const MessageStore &program)
    {
        const auto images = buildPageImages(program, model()).images;
        for (int p = 0; p < images.size(); ++p)
            sign.sign().writeMemory(model().firstUnit(p) * 256, images[p]);
    }
    bool signHolds(const MessageStore &program)
    {
        const auto images = buildPageImages(program, model()).images;
        for (int p = 0; p < images.size(); ++p) {
            if (sign.sign().readMemory(model().firstUnit(p) * 256, int(images[p].size())) != images[p])
                return false;
        }
        return true;
    }

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
    // The pages typed during the read-back go out whole, and the read answer on the line is not
    // taken for frame 0's acknowledgement.
    void sendDuringReadSendsWhatTheEditorHolds()
    {
        Window w;
        QVERIFY(w.detect());
        w.put(program("", 4, 80));  // four pages of two blocks: a long read-back at 2400 baud
        w.sign.setPaceBaud(2400);
        QSignalSpy progress(w.form->link(), &SignLink::progress);
        w.taken.clear();
        w.form->cmdLeer->click();
        QVERIFY(progress.wait(3000));
        MessageStore expected;
        w.type(0, 3, QStringLiteral("uno"), expected);
        w.type(1, 4, QStringLiteral("dos"), expected);
        w.editor().cmdSubir()->click();
        w.type(0, 5, QStringLiteral("tres"), expected);
        for (int i = 0; i < 10 && w.taken.size() < 2; ++i)
            w.taken.wait(1000);  // the second read request: its answer is on the line now
        QCOMPARE(w.taken.size(), 2);
        QVERIFY(w.form->link()->readBusy());
        w.form->cmdEnviar->click();
        QVERIFY(w.endedCount(2));
        QCOMPARE(w.ended, (QList<Ended>{{Exchange::Read, Outcome::Superseded}, {Exchange::Send, Outcome::Completed}}));
        QCOMPARE(w.form->store(), expected);
        QVERIFY(w.signHolds(expected));
    }

    void faults_data()
    {
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<sim::Fault>("fault");
        QTest::addColumn<bool>("vanish");  // the pty closes once the first answer is in
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("silent sign") << Exchange::Send << sim::Fault{FaultKind::Silent, 0} << false << Outcome::Timeout;
        QTest::newRow("bad read mark") << Exchange::Read << sim::Fault{FaultKind::BadReadMarkAt, 2} << false << Outcome::WrongAnswer;
        QTest::newRow("port lost mid-read") << Exchange::Read << sim::Fault{} << true << Outcome::PortLost;
    }

    void faults()
    {
        QFETCH(Exchange, exchange);
        QFETCH(sim::Fault, fault);
        QFETCH(bool, vanish);
        Window w;
        QVERIFY(w.detect());
        const MessageStore editor = program("editor", 3);
        w.form->store() = editor;
        w.put(program("sign", 3));
        w.sign.sign().setFault(fault);
        w.sign.setPaceBaud(vanish ? 2400 : 0);  // slow enough to pull the port mid-exchange
        QSignalSpy progress(w.form->link(), &SignLink::progress);
        if (exchange == Exchange::Send)
            QCOMPARE(w.session().send().refusal, Refusal::None);
        else
            QCOMPARE(w.session().read(), Refusal::None);
        if (vanish) {
            QVERIFY(progress.wait(2000));
            w.sign.closePty();
        }
        QVERIFY(w.endedCount(1));
        QFETCH(Outcome, outcome);
        QCOMPARE(w.ended, (QList<Ended>{{exchange, outcome}}));
        QCOMPARE(w.form->link()->mode(), LinkMode::Idle);
        // The editor keeps its program; a failed read-back gives it back.
        QCOMPARE(w.form->store(), editor);
        QCOMPARE(w.reports.constFirst().givenBack.has_value(), exchange == Exchange::Read);
        QCOMPARE(w.sign.sign().endFramesSeen(), 0);
        w.sign.sign().setFault({});
        w.sign.setPaceBaud(0);
        if (vanish) {
            QVERIFY(!w.form->link()->signDetected());
            QVERIFY(w.sign.open(w.link));
            QVERIFY(w.detect());
        }
        // Then a program goes out and comes back whole.
        QCOMPARE(w.session().send().refusal, Refusal::None);
        QVERIFY(w.endedCount(2));
        QVERIFY(w.signHolds(editor));
        w.form->store() = program("other", 1);
        QCOMPARE(w.session().read(), Refusal::None);
        QVERIFY(w.endedCount(3));
        QCOMPARE(w.ended.mid(1), (QList<Ended>{{Exchange::Send, Outcome::Completed}, {Exchange::Read, Outcome::Completed}}));
        QCOMPARE(w.form->store(), editor);
    }
};

QTEST_MAIN(TestE2E)
#include "tst_e2e.moc"
