// The real port code on ptys and device servers. The port alone: the line it sets, the read
// limit, a held device and one that is no terminal (the CLI's tests go through the other open
// failures). The main window against the virtual sign: a Send over a read-back whose answer is
// still on the line sends the program; after each fault the virtual sign can show the window keeps
// its program, and then (after a lost port, once the scan has found the sign again) a program goes
// out and comes back whole; a late sign, near or far; a device server gone.
#include "TestFiles.h"
#include "WindowHarness.h"
#include "link/QtTicker.h"

#include <QFile>
#include <QPushButton>
#include <QToolButton>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace e2etest;  // and with it zlx and the chrono literals
using sim::FaultKind;

class TestE2E : public QObject
{
    Q_OBJECT
private slots:
    // The port on a pty: the line set as the sign wants it, the read limit, input discarded, the
    // device held against another port by either name, a device that is no terminal refused.
    void serialPort()
    {
        QTemporaryDir dir;
        sim::PtySign sign;
        QVERIFY(sign.open(dir.filePath(QStringLiteral("ttyZLX"))));
        QtSignPort port;
        port.setReceiveThreshold(1);
        // Whatever the device was left at, the port sets the line as the sign wants it: 2400 baud,
        // 8 data bits, no parity, 1 stop bit, no flow control.
        const int other = ::open(QFile::encodeName(sign.slavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios line{};
        QVERIFY(other >= 0 && ::tcgetattr(other, &line) == 0);
        line.c_cflag = (line.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
        ::cfsetspeed(&line, B9600);
        QVERIFY(::tcsetattr(other, TCSANOW, &line) == 0);
        QCOMPARE(port.open(sign.slavePath()), PortStatus::Opened);
        QVERIFY(::tcgetattr(other, &line) == 0);
        ::close(other);
        QCOMPARE(int(::cfgetospeed(&line)), int(B2400));
        QCOMPARE(int(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS)), int(CS8));
        QVERIFY(port.write(signbytes::hex("a5050100000200")));  // a probe: 4 bytes come back
        QTRY_COMPARE(port.bytesWaiting(), qint64(4));
        port.discardInput();
        QCOMPARE(port.bytesWaiting(), qint64(0));
        QVERIFY(port.write(signbytes::hex("a5050118004000").repeated(8)));  // 8 read answers of 66 bytes
        QTRY_COMPARE(port.bytesWaiting(), qint64(512));  // the receive buffer holds 512
        QCOMPARE(port.read().size(), 512);
        QTRY_COMPARE(port.bytesWaiting(), qint64(16));
        // A device another program holds is busy, not a matter of permissions, by any name.
        QtSignPort second;
        QCOMPARE(second.open(sign.slavePath()), PortStatus::Busy);
        QCOMPARE(second.open(sign.linkPath()), PortStatus::Busy);
        QCOMPARE(second.open(QStringLiteral("/dev/null")), PortStatus::NotSerial);
        QVERIFY(!second.isOpen());
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
        w.taken.clear();
        w.form->cmdLeer->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.taken.size(), 2, 10000);  // the second read request: its answer is on the line now
        w.form->cmdEnviar->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 2, 20000);
        QCOMPARE(w.ended, (QList<Ended>{{Exchange::Read, Outcome::Superseded}, {Exchange::Send, Outcome::Completed}}));
        QCOMPARE(w.form->store(), expected);
        QVERIFY(w.signHolds(expected));
        // The editor is back on the page it showed before Leer, editable.
        QCOMPARE(w.editor().currentPage(), 2);
        QCOMPARE(w.editor().row(0).Text1->text(), QStringLiteral("tres"));
        QVERIFY(!w.editor().row(0).Text1->isReadOnly());
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

    // After each fault the virtual sign can show, the window keeps its program; then (after a lost
    // port, once the scan has found the sign again) a program goes out and comes back whole. A sign
    // whose every answer is 700 ms late is found, programmed and read back within the default answer
    // time, on the pty and through a device server that sets the far line itself.
    void exchanges_data()
    {
        QTest::addColumn<QString>("mode");  // as for Window
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<sim::Fault>("fault");
        QTest::addColumn<Outcome>("outcome");  // PortLost: the pty closes once the first answer is in
        const auto row = [](const char *name, const char *mode, Exchange exchange, sim::Fault fault, Outcome end) {
            QTest::newRow(name) << QString::fromLatin1(mode) << exchange << fault << end;
        };
        row("silent sign", "", Exchange::Send, {FaultKind::Silent, 0}, Outcome::Timeout);
        row("wrong acknowledgement", "", Exchange::Send, {FaultKind::WrongAckAt, 2}, Outcome::WrongAnswer);
        row("bad read mark", "", Exchange::Read, {FaultKind::BadReadMarkAt, 2}, Outcome::WrongAnswer);
        row("junk before the answer", "", Exchange::Read, {FaultKind::GarbageBefore, 0}, Outcome::WrongAnswer);
        row("port lost mid-read", "", Exchange::Read, {}, Outcome::PortLost);
        row("late sign", "", Exchange::Send, {FaultKind::SlowAnswers, 700}, Outcome::Completed);
        row("late sign, device server", "rfc2217", Exchange::Send, {FaultKind::SlowAnswers, 700}, Outcome::Completed);
    }

    void exchanges()
    {
        QFETCH(QString, mode);
        QFETCH(Exchange, exchange);
        QFETCH(sim::Fault, fault);
        QFETCH(Outcome, outcome);
        const bool vanish = outcome == Outcome::PortLost;
        const bool late = outcome == Outcome::Completed;  // late answers stay to the end
        Window w(mode);
        QVERIFY2(w.problem.isEmpty(), qPrintable(w.problem));
        if (late) {
            w.form->link()->setResponseTimeout(3000ms);
            w.sign.sign().setFault(fault);
        }
        QVERIFY(w.detect(5000));
        const int pages = late ? 1 : 3;  // a late program is slow
        const MessageStore editor = program("editor", pages);
        w.form->document()->open(editor, {});
        w.put(program("sign", pages));
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
        QCOMPARE(w.form->store(), editor);  // the program stays
        QCOMPARE(w.sign.sign().endFramesSeen(), late ? 1 : 0);
        if (!late)
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

    // The device server dies mid-exchange: the connection's end is heard at once, within the 500 ms
    // answer time (else the exchange would end in a timeout), and told as a dropped connection,
    // though the page on the line in a read-back says the port is in use.
    void deviceServerGone_data()
    {
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<QString>("panel");
        QTest::newRow("mid-send") << Exchange::Send << "Envio fallido: puerto caido";
        QTest::newRow("mid-read of a page saying in use") << Exchange::Read << "Lectura fallida: puerto caido";
    }
    void deviceServerGone()
    {
        QFETCH(Exchange, exchange);
        QFETCH(QString, panel);
        Window w(QStringLiteral("tcp"));
        QVERIFY2(w.problem.isEmpty(), qPrintable(w.problem));
        QVERIFY(w.detect());
        w.sign.setPaceBaud(2400);
        w.form->document()->open(program("", 4, 80), {});
        w.put(program("Port in use ", 4, 80));
        QSignalSpy progress(w.form->session(), &ProgramSession::progress);
        if (exchange == Exchange::Send)
            QCOMPARE(w.session().send(w.form->store()).refusal, Refusal::None);
        else
            QCOMPARE(w.session().read(), Refusal::None);
        QVERIFY(progress.wait(3000));
        w.server->kill();
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 1, 5000);
        QCOMPARE(w.ended, (QList<Ended>{{exchange, Outcome::PortLost}}));
        QCOMPARE(w.form->panelText(1), panel);
        const ExchangeReport &report = w.reports.constFirst();
        QCOMPARE(report.portStatus, PortStatus::Dropped);
        // The sign's answers are no words of the device server.
        QVERIFY2(!report.portDetail.contains(QChar(0xb5)), qPrintable(report.portDetail));
    }
};

QTEST_MAIN(TestE2E)
#include "tst_e2e.moc"
