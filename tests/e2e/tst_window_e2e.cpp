// The main window against the virtual sign on a pty, through the real serial port code: a
// program goes to the sign and comes back whole, and a Send started over a read-back whose
// answer is still on the line sends what the editor holds.
#include "ManualTicker.h"
#include "RandomProgram.h"
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
#include <QTest>
#include <QToolButton>

using namespace zlx;

namespace {

using Ended = std::pair<Exchange, Outcome>;

struct Window
{
    explicit Window(sim::Model model)
        : sign(model)
    {
        if (!sign.open())
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        auto pause = std::make_unique<ManualTicker>();
        timer2 = pause.get();
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(PortMap({sign.slavePath()})),
                                       nullptr, std::move(pause));
        form->setMessagePresenter(std::make_unique<RecordingPresenter>());
        QObject::connect(form->session(), &ProgramSession::finished,
                         [this](const ExchangeReport &r) { ended.append({r.exchange, r.outcome}); });
    }

    bool detect()
    {
        QSignalSpy found(form->link(), &SignLink::signFound);
        return timer2->fire() && found.wait(2000);
    }
    // Runs the event loop until the sign has taken n frames since `taken` was cleared.
    bool signTook(int n)
    {
        while (taken.size() < n) {
            if (!taken.wait(3000))
                return false;
        }
        return true;
    }
    SignModel model() const { return *form->link()->model(); }
    PageEditor &editor() { return *form->editor(); }
    // Runs the event loop until n exchanges have ended (qWaitFor's pauses would slow every step).
    bool endedCount(int n)
    {
        QSignalSpy spy(form->session(), &ProgramSession::finished);
        while (ended.size() < n) {
            if (!spy.wait(8000))
                return false;
        }
        return true;
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

    // The sign's memory holds the program's page images, end marker included.
    bool signHolds(const MessageStore &program)
    {
        const auto images = buildPageImages(program, model()).images;
        for (int p = 0; p < images.size(); ++p) {
            if (sign.sign().readMemory(model().firstUnit(p) * 256, int(images[p].size())) != images[p])
                return false;
        }
        return true;
    }

    sim::PtySign sign;
    ManualTicker *timer2 = nullptr;
    std::unique_ptr<Form1> form;
    QList<Ended> ended;
    QSignalSpy taken{&sign, &sim::PtySign::frameHandled};
};

}  // namespace

class TestWindowE2E : public QObject
{
    Q_OBJECT
private slots:
    void sendThenReadGivesTheProgramBack_data();
    void sendThenReadGivesTheProgramBack();
    void sendDuringReadSendsWhatTheEditorHolds();
};

void TestWindowE2E::sendThenReadGivesTheProgramBack_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("20 pages") << int(sim::Model::Pages20);
    QTest::newRow("40 pages") << int(sim::Model::Pages40);
}

void TestWindowE2E::sendThenReadGivesTheProgramBack()
{
    QFETCH(int, model);
    Window w{sim::Model(model)};
    QVERIFY(w.detect());
    QRandomGenerator rng{quint32(model)};
    MessageStore readable;
    w.form->store() = testprograms::randomProgram(rng, w.model(), readable);
    const MessageStore sent = w.form->store();

    QCOMPARE(w.form->session()->send().refusal, Refusal::None);
    QVERIFY(w.endedCount(1));
    QVERIFY(w.signHolds(sent));
    QCOMPARE(w.form->session()->read(), Refusal::None);
    QVERIFY(w.endedCount(2));
    QCOMPARE(w.ended, (QList<Ended>{{Exchange::Send, Outcome::Completed}, {Exchange::Read, Outcome::Completed}}));
    QCOMPARE(w.form->store(), readable);
}

// Enviar while the answer to a read request is on the line: the pages typed during the
// read-back go out whole, and that answer is not taken for frame 0's acknowledgement.
void TestWindowE2E::sendDuringReadSendsWhatTheEditorHolds()
{
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    MessageStore old;  // four pages of two blocks: a long read-back at 2400 baud
    for (int p = 0; p < 4; ++p)
        old.setEntry(p, 0, entry::make(1, 2, '2', QByteArray(80, char('a' + p))));
    const auto images = buildPageImages(old, w.model()).images;
    for (int p = 0; p < images.size(); ++p)
        w.sign.sign().writeMemory(w.model().firstUnit(p) * 256, images[p]);
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
    QVERIFY(w.signTook(2));  // the second read request: its answer is on the line now
    QVERIFY(w.form->link()->readBusy());
    w.form->cmdEnviar->click();

    QVERIFY(w.endedCount(2));
    QCOMPARE(w.ended, (QList<Ended>{{Exchange::Read, Outcome::Superseded}, {Exchange::Send, Outcome::Completed}}));
    QCOMPARE(w.form->store(), expected);
    QVERIFY(w.signHolds(expected));
}

QTEST_MAIN(TestWindowE2E)
#include "tst_window_e2e.moc"
