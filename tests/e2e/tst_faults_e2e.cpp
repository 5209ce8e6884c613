// Faults of the sign and of the line, injected into the virtual sign on a pty, seen through the
// main window and the real QSerialPort code: what the operator is told, the state the link is
// left in, the editor's program, and that the next exchange works.
#include "ManualTicker.h"
#include "LinkTexts.h"
#include "RecordingPresenter.h"
#include "app/Form1.h"
#include "editor/PageEditor.h"
#include "link/PageImages.h"
#include "link/QtSignPort.h"
#include "model/MessageEntry.h"
#include "sim/PtySign.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <sys/resource.h>

using namespace zlx;
using sim::FaultKind;

namespace {
const QString kDone = linktexts::done();
const QString kReadDone = linktexts::readDone();
const QString kNoAnswer = linktexts::noAnswer();
const QString kCannotOpenSend = QStringLiteral("No se puede abrir el puerto COM1: el programa no fue enviado.");
const QString kCannotOpenRead = QStringLiteral("No se puede abrir el puerto COM1: el programa no fue leído.");

enum class Action {
    Detect,              // the scan, with the sign's fault in place from the start
    Send,
    Read,
    Vanish,              // the pty closes after the first acknowledgement of a transfer
    SendDuringRead,      // Enviar while the sign is silent in the middle of a read-back
    SendDuringAnswer,    // Enviar while the sign's answer to a read request is on the line
    ReadDuringSend,      // Leer while the sign is silent in the middle of a transfer
};

// The editor's programs, by the number of frames they send (on either model).
enum class Program {
    MarkerOnly,  // page 1 empty, page 2 shown: only the end marker goes out, 1 frame
    OnePage,     // 2 frames
    TwoPages,    // 3 frames
};

struct Case
{
    sim::Model model = sim::Model::Pages20;
    Action action = Action::Send;
    FaultKind fault = FaultKind::None;
    // Counted within the exchange under test: answers before silence, the frame or block at
    // fault, or the delay in ms.
    int value = 0;
    int paceBaud = 0;
    Program program = Program::TwoPages;
    QStringList messages;  // shown by the exchange under test, in order
    QString panel1;
    bool portOpen = false;
};

MessageStore editorProgram(Program program)
{
    MessageStore s;
    switch (program) {
    case Program::MarkerOnly:
        s.setEntry(1, 0, entry::make(2, 3, '1', "Solo pagina dos"));
        break;
    case Program::TwoPages:
        s.setEntry(1, 0, entry::make(4, 6, '3', "Segunda"));
        s.setEntry(1, 1, entry::make(1, 2, '2', "y otra fila"));
        [[fallthrough]];
    case Program::OnePage:
        s.setEntry(0, 0, entry::make(1, 5, '2', "Hola \x1e" "and\xfa"));
        s.setEntry(0, 1, entry::make(3, 9, '1', "Fila dos"));
        break;
    }
    return s;
}

// What the sign holds before a read-back: a first page of two blocks, then the end marker
// (the sign's empty memory): three read requests in all.
MessageStore signProgram()
{
    MessageStore s;
    s.setEntry(0, 0, entry::make(6, 7, '3', QByteArray(100, 'S')));
    return s;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The window on a virtual sign. Timer2 (the 1000 ms pause before a scan pass) is fired by
// hand so that a row does not wait for it; Timer1, the scan step and response timer, is real.
struct Window
{
    explicit Window(sim::Model model)
        : sign(model)
    {
        if (!sign.open())
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        auto t2 = std::make_unique<ManualTicker>();
        timer2 = t2.get();
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(PortMap({sign.slavePath()})),
                                       std::unique_ptr<Ticker>{}, std::move(t2));
        auto boxes = std::make_unique<RecordingPresenter>();
        presenter = boxes.get();
        form->setMessagePresenter(std::move(boxes));
        QObject::connect(&sign, &sim::PtySign::answerBytesSent, [this](const QByteArray &b) { sent += b; });
    }

    SignLink &link() { return *form->link(); }
    PageEditor &editor() { return *form->editor(); }
    SignModel model() { return *link().model(); }

    bool startScan() { return timer2->fire(); }
    bool detect()
    {
        QSignalSpy found(form->link(), &SignLink::signFound);
        return startScan() && found.wait(2000);
    }

    bool idle() { return link().mode() == LinkMode::Idle && !link().programBusy() && !link().readBusy(); }

    // The editor shows the program's last page; the shown page is stored as Send would store it.
    void load(Program program)
    {
        form->store() = editorProgram(program);
        editor().showPageNumber(program == Program::OnePage ? 1 : 2, 4);
        QVERIFY(editor().SaveShownPage(editor().currentPage() - 1));
        QCOMPARE(form->store(), editorProgram(program));
    }

    void preloadSign(const MessageStore &program)
    {
        const auto build = buildPageImages(program, model());
        for (int p = 0; p < build.images.size(); ++p)
            sign.sign().writeMemory(model().firstUnit(p) * 256, build.images[p]);
    }

    // Faults count over the sign's whole life; the table counts within the exchange.
    sim::Fault absolute(FaultKind kind, int value) const
    {
        const auto &s = sign.sign();
        switch (kind) {
        case FaultKind::SilentAfter: return {kind, value + s.framesWritten() + s.readsServed()};
        case FaultKind::WrongAckAt:
        case FaultKind::DoubleAckAt: return {kind, value + s.framesWritten()};
        default: return {kind, value};  // block reads: the sign has served none before
        }
    }

    // Clicks and waits until the link is idle again.
    bool clickAndSettle(QAbstractButton *button, int timeoutMs = 8000)
    {
        button->click();
        return QTest::qWaitFor([this] { return idle(); }, timeoutMs);
    }

    bool sendsWhatTheEditorHolds()
    {
        presenter->shown.clear();
        const int ends = sign.sign().endFramesSeen();
        if (!clickAndSettle(form->cmdEnviar) || presenter->texts() != QStringList{kDone})
            return false;
        if (!QTest::qWaitFor([&] { return sign.sign().endFramesSeen() == ends + 1; }, 2000))
            return false;
        const auto build = buildPageImages(form->store(), model());
        for (int p = 0; p < build.images.size(); ++p) {
            if (sign.sign().readMemory(model().firstUnit(p) * 256, int(build.images[p].size())) != build.images[p])
                return false;
        }
        return true;
    }

    bool readsBack(const MessageStore &expected)
    {
        presenter->shown.clear();
        return clickAndSettle(form->cmdLeer) && presenter->texts() == QStringList{kReadDone}
            && form->store() == expected && editor().currentPage() == 1;
    }

    sim::PtySign sign;
    ManualTicker *timer2 = nullptr;
    std::unique_ptr<Form1> form;
    RecordingPresenter *presenter = nullptr;
    QByteArray sent;  // every answer byte the sign put on the line
};

// `base` with page 1 stored from the rows of `shown`'s page 1, as storing the shown page does.
MessageStore withFirstPageOf(MessageStore base, const MessageStore &shown)
{
    int r = 0;
    for (; r < MessageStore::kRowsPerPage && !shown.entry(0, r).isEmpty(); ++r)
        base.setEntry(0, r, shown.entry(0, r));
    if (r < MessageStore::kRowsPerPage)
        base.setEntry(0, r, QByteArray());
    return base;
}

bool isRead(Action a)
{
    return a == Action::Read || a == Action::SendDuringRead || a == Action::SendDuringAnswer
        || a == Action::ReadDuringSend;
}
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
    using enum Action;
    using enum FaultKind;
    using sim::Model;
    QTest::addColumn<Case>("c");
    auto row = [](const char *name, Case c) { QTest::newRow(name) << c; };

    row("no sign found", {Model::Pages20, Detect, Silent, 0, 0, Program::OnePage, {}, "Buscando dispositivo...", false});

    row("send: silent at the first frame", {Model::Pages20, Send, Silent, 0, 0, Program::OnePage, {kNoAnswer}, "Enviando ...", false});
    row("send: silent at the middle frame", {Model::Pages40, Send, SilentAfter, 1, 0, Program::TwoPages, {kNoAnswer}, "Enviando: 1 tramas", false});
    row("send: silent at the last frame", {Model::Pages20, Send, SilentAfter, 2, 0, Program::TwoPages, {kNoAnswer}, "Enviando: 2 tramas", false});
    row("read: silent at the first block", {Model::Pages40, Read, Silent, 0, 0, Program::TwoPages, {kNoAnswer}, "Lectura...", false});
    row("read: silent at the middle block", {Model::Pages20, Read, SilentAfter, 1, 0, Program::OnePage, {kNoAnswer}, "Lectura: 1:1 paginas", false});

    row("send: wrong ack at frame 2", {Model::Pages20, Send, WrongAckAt, 2, 0, Program::TwoPages, {}, "Enviando: 1 tramas", true});
    row("send: double ack at frame 1", {Model::Pages40, Send, DoubleAckAt, 1, 0, Program::TwoPages, {}, "Enviando ...", true});
    row("send: double ack at the last frame", {Model::Pages20, Send, DoubleAckAt, 3, 0, Program::TwoPages, {}, "Enviando: 2 tramas", true});
    row("read: bad mark at block 1", {Model::Pages40, Read, BadReadMarkAt, 1, 0, Program::OnePage, {}, "Lectura...", true});
    row("read: bad mark at block 2", {Model::Pages20, Read, BadReadMarkAt, 2, 0, Program::TwoPages, {}, "Lectura: 1:1 paginas", true});
    row("send: garbage before answers", {Model::Pages20, Send, GarbageBefore, 0, 0, Program::OnePage, {}, "Enviando ...", true});
    row("read: garbage before answers", {Model::Pages40, Read, GarbageBefore, 0, 0, Program::OnePage, {}, "Lectura...", true});
    row("send: answers in pieces", {Model::Pages40, Send, SplitAnswers, 0, 0, Program::TwoPages, {kDone}, "Transmision Completa", false});
    row("read: answers in pieces", {Model::Pages20, Read, SplitAnswers, 0, 0, Program::OnePage, {kReadDone}, "Lectura Completa", false});

    row("send: answers 2700 ms late", {Model::Pages20, Send, SlowAnswers, 2700, 0, Program::MarkerOnly, {kDone}, "Transmision Completa", false});
    row("send: answers 3300 ms late", {Model::Pages40, Send, SlowAnswers, 3300, 0, Program::MarkerOnly, {kNoAnswer}, "Enviando ...", false});

    row("send: the port vanishes", {Model::Pages20, Vanish, None, 0, 2400, Program::TwoPages, {kNoAnswer}, "Enviando: 1 tramas", false});

    row("enviar during a read-back, sign silent", {Model::Pages20, SendDuringRead, SilentAfter, 1, 0, Program::OnePage, {kDone}, "Transmision Completa", false});
    row("enviar during a read-back, answer on the line", {Model::Pages40, SendDuringAnswer, None, 0, 2400, Program::OnePage, {}, "Enviando ...", true});
    row("leer during a transfer, sign silent", {Model::Pages20, ReadDuringSend, SilentAfter, 1, 0, Program::TwoPages, {kReadDone}, "Lectura Completa", false});
}

void TestFaultsE2E::faults()
{
    QFETCH(Case, c);
    Window w(c.model);
    const bool faultFromStart = c.action == Action::Detect || c.fault == FaultKind::SplitAnswers;
    if (faultFromStart)
        w.sign.sign().setFault({c.fault, c.value});

    if (c.action == Action::Detect) {
        // One whole pass over COM1..COM40 finds nothing; the next pass is armed for Timer2.
        QVERIFY(w.startScan());
        QTRY_VERIFY_WITH_TIMEOUT(w.timer2->isEnabled(), 6000);
        QVERIFY(!w.link().signDetected());
        QCOMPARE(w.link().mode(), LinkMode::Idle);
        QVERIFY(!w.link().port()->isOpen());
        QCOMPARE(w.form->panelText(1), c.panel1);
        QCOMPARE(w.form->panelText(2), QStringLiteral("ZANTOLUX"));
        QVERIFY(!w.form->cmdEnviar->isEnabled());
        QVERIFY(!w.form->cmdLeer->isEnabled());
        QCOMPARE(w.presenter->texts(), c.messages);
        QCOMPARE(w.sign.sign().framesReceived(), 1);  // only COM1 exists
        // The sign comes back: the next pass finds it.
        w.sign.sign().setFault({});
        QVERIFY(w.detect());
        QCOMPARE(w.form->panelText(1), QStringLiteral("Letrero detectado"));
        QVERIFY(w.form->cmdEnviar->isEnabled());
        w.load(c.program);
        QVERIFY(w.sendsWhatTheEditorHolds());
        return;
    }

    QVERIFY(w.detect());
    w.load(c.program);
    const MessageStore editorBefore = w.form->store();
    const int pageBefore = w.editor().currentPage();
    const QString row0Before = w.editor().row(0).Text1->text();
    if (isRead(c.action) && c.action != Action::ReadDuringSend)
        w.preloadSign(signProgram());
    if (!faultFromStart)
        w.sign.sign().setFault(w.absolute(c.fault, c.value));
    w.sign.setPaceBaud(c.paceBaud);

    MessageStore expectedAfter = editorBefore;  // a failed read-back gives the program back
    QSignalSpy completed(w.form->link(), &SignLink::readCompleted);
    double cpuWhileVanished = 0;
    switch (c.action) {
    case Action::Send:
        QVERIFY(w.clickAndSettle(w.form->cmdEnviar));
        break;
    case Action::Read:
        QVERIFY(w.clickAndSettle(w.form->cmdLeer));
        if (c.messages == QStringList{kReadDone})
            expectedAfter = signProgram();
        break;
    case Action::Vanish: {
        w.form->cmdEnviar->click();
        QTRY_COMPARE(w.form->panelText(1), QStringLiteral("Enviando: 1 tramas"));
        w.sign.closePty();
        const double cpu = cpuSeconds();
        QVERIFY(QTest::qWaitFor([&] { return w.idle(); }, 5000));
        cpuWhileVanished = cpuSeconds() - cpu;
        break;
    }
    case Action::SendDuringRead: {
        w.form->cmdLeer->click();
        // The sign has taken the second read request and stays silent.
        QTRY_COMPARE(w.sign.sign().readsServed(), 2);
        QTRY_COMPARE(w.sign.sign().framesReceived(), 3);
        QCOMPARE(w.link().mode(), LinkMode::Read);
        w.sign.sign().setFault({});
        // The read-back reset the editor; the operator types a new program and sends it.
        w.form->store() = editorProgram(Program::OnePage);
        w.editor().ShowPage(0);
        // The abandoned read-back gives the program back, with the page on the screen over it.
        expectedAfter = withFirstPageOf(editorBefore, editorProgram(Program::OnePage));
        QVERIFY(w.clickAndSettle(w.form->cmdEnviar));
        break;
    }
    case Action::SendDuringAnswer: {
        w.form->cmdLeer->click();
        // Enviar comes while the answer to the second read request is halfway on the line.
        const qsizetype before = w.sent.size();
        QTRY_VERIFY(w.sign.sign().readsServed() == 3 && w.sent.size() >= before + 66 + 10);
        QCOMPARE(w.link().mode(), LinkMode::Read);
        w.form->store() = editorProgram(Program::OnePage);
        w.editor().ShowPage(0);
        expectedAfter = withFirstPageOf(editorBefore, editorProgram(Program::OnePage));
        // Its rest reaches the new transfer first and reads as a wrong acknowledgement.
        QVERIFY(w.clickAndSettle(w.form->cmdEnviar));
        // The sign still answers the first frame; the line falls quiet after that.
        QTRY_VERIFY(w.sign.sign().framesWritten() == 1 && w.sent.endsWith(char(0xB5)));
        break;
    }
    case Action::ReadDuringSend: {
        w.form->cmdEnviar->click();
        // The sign has taken the second frame and stays silent; the first one is written.
        QTRY_COMPARE(w.sign.sign().framesReceived(), 3);
        QCOMPARE(w.link().mode(), LinkMode::Program);
        w.sign.sign().setFault({});
        QVERIFY(w.clickAndSettle(w.form->cmdLeer));
        // What the sign holds now is page 1 of the program that was being sent.
        expectedAfter = MessageStore();
        for (int r = 0; r < 2; ++r)
            expectedAfter.setEntry(0, r, editorBefore.entry(0, r));
        break;
    }
    case Action::Detect:
        break;
    }

    // What the operator sees.
    QCOMPARE(w.presenter->texts(), c.messages);
    QCOMPARE(w.form->panelText(1), c.panel1);
    // A completed read-back empties panel 3; one that gives the program back restores it.
    QCOMPARE(w.form->panelText(3), completed.isEmpty() ? w.model().panelText() : QString());
    // The state the link is left in.
    QCOMPARE(w.link().mode(), LinkMode::Idle);
    QVERIFY(!w.link().programBusy());
    QVERIFY(!w.link().readBusy());
    QCOMPARE(w.link().port()->isOpen(), c.portOpen);
    QVERIFY(w.form->cmdEnviar->isEnabled());
    QVERIFY(w.form->cmdLeer->isEnabled());
    // The editor's program.
    QCOMPARE(w.form->store(), expectedAfter);
    const bool readCompleted = c.messages == QStringList{kReadDone};
    QCOMPARE(completed.size(), readCompleted ? 1 : 0);
    if (readCompleted) {
        QCOMPARE(w.editor().currentPage(), 1);
    } else if (c.action == Action::Send || c.action == Action::Read || c.action == Action::Vanish) {
        QCOMPARE(w.editor().currentPage(), pageBefore);
        QCOMPARE(w.editor().row(0).Text1->text(), row0Before);
    }
    if (c.messages != QStringList{kDone})
        QCOMPARE(w.sign.sign().endFramesSeen(), 0);

    if (c.action == Action::Vanish) {
        // No busy loop on the dead line while the response timer runs out.
        QVERIFY2(cpuWhileVanished < 1.0, qPrintable(QString::number(cpuWhileVanished)));
        // The port is gone: a new exchange fails cleanly and the editor keeps its program.
        for (QAbstractButton *button : {static_cast<QAbstractButton *>(w.form->cmdEnviar),
                                        static_cast<QAbstractButton *>(w.form->cmdLeer)}) {
            w.presenter->shown.clear();
            QVERIFY(w.clickAndSettle(button));
            QCOMPARE(w.presenter->shown.size(), 1);
            const QString cannotOpen = button == w.form->cmdEnviar ? kCannotOpenSend : kCannotOpenRead;
            // The device name may have been taken by another pty meanwhile: then it times out.
            QVERIFY2(w.presenter->texts().constFirst() == cannotOpen || w.presenter->texts().constFirst() == kNoAnswer,
                     qPrintable(w.presenter->texts().constFirst()));
            QVERIFY(!w.link().port()->isOpen());
            QCOMPARE(w.form->store(), editorBefore);
            QCOMPARE(w.editor().currentPage(), pageBefore);
        }
        return;
    }

    if (c.fault == FaultKind::SlowAnswers && c.messages == QStringList{kNoAnswer}) {
        // The late acknowledgement arrives after the timeout and is dropped.
        QTRY_VERIFY_WITH_TIMEOUT(w.sent.endsWith(char(0xB5)) && w.sent.size() == 5, 2000);
        QVERIFY(w.idle());
        QCOMPARE(w.presenter->texts(), c.messages);
    }

    // The next exchange works.
    w.sign.sign().setFault({});
    w.sign.setPaceBaud(0);
    if (c.action == Action::Read) {
        QVERIFY(w.readsBack(signProgram()));
    } else if (c.action == Action::SendDuringRead || c.action == Action::SendDuringAnswer) {
        QVERIFY(w.sendsWhatTheEditorHolds());
        QVERIFY(w.readsBack(expectedAfter));
    } else {
        if (c.action == Action::ReadDuringSend)
            QCOMPARE(w.editor().currentPage(), 1);
        QVERIFY(w.sendsWhatTheEditorHolds());
    }
}

QTEST_MAIN(TestFaultsE2E)
#include "tst_faults_e2e.moc"
