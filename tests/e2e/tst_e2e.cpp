// The real port code on ptys and device servers. The port alone: what opening each kind of address
// gives, the read limit. The main window against the virtual sign: a Send over a read-back whose
// answer is still on the line sends the program; after each fault the virtual sign can show the
// window keeps its program, and then (after a lost port, once the scan has found the sign
// again) a program goes out and comes back whole; a late sign, near or far; a device server gone.
#include "TestFiles.h"
#include "WindowHarness.h"
#include "link/QtTicker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QToolButton>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace zlx;
using namespace e2etest;
using namespace std::chrono_literals;
using sim::FaultKind;

class TestE2E : public QObject
{
    Q_OBJECT
private slots:
    void openStatus_data()
    {
        // @pty: a virtual sign's pty, @link: a link to it, @dir: a folder, @file: a plain file,
        // @closed: a loopback port nobody listens on.
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("held");  // another port holds the pty
        QTest::addColumn<QList<PortStatus>>("statuses");  // open()'s, then opened()'s
        const auto row = [](const char *name, const char *address, bool held, QList<PortStatus> statuses) {
            QTest::newRow(name) << QString::fromLatin1(address) << held << statuses;
        };
        row("missing path", "/nonexistent/ttyA", false, {PortStatus::NoDevice});
        row("a folder", "@dir", false, {PortStatus::NotSerial});
        row("a plain file", "@file", false, {PortStatus::NotSerial});
        row("/dev/null", "/dev/null", false, {PortStatus::NotSerial});
        row("a pty", "@pty", false, {PortStatus::Opened});
        // A device another program holds is busy, not a matter of permissions, by any name.
        row("a held pty", "@pty", true, {PortStatus::Busy});
        row("a held pty through a link", "@link", true, {PortStatus::Busy});
        row("a closed loopback port", "tcp://127.0.0.1:@closed", false, {PortStatus::Pending, PortStatus::Refused});
    }

    void openStatus()
    {
        QFETCH(QString, address);
        QFETCH(bool, held);
        QFETCH(QList<PortStatus>, statuses);
        QTemporaryDir dir;
        sim::PtySign sign;
        QVERIFY(sign.open(dir.filePath(QStringLiteral("ttyZLX"))));
        QVERIFY(testfiles::write(dir.filePath(QStringLiteral("file")), "x"));
        QtSignPort holder;
        if (held)
            QCOMPARE(holder.open(sign.slavePath()), PortStatus::Opened);
        address.replace(QLatin1String("@pty"), sign.slavePath())
            .replace(QLatin1String("@link"), sign.linkPath())
            .replace(QLatin1String("@dir"), dir.path())
            .replace(QLatin1String("@file"), dir.filePath(QStringLiteral("file")))
            .replace(QLatin1String("@closed"), QString::number(deviceservers::freePort()));
        QtSignPort port;
        QSignalSpy opened(&port, &SignPort::opened);
        QCOMPARE(port.open(address), statuses.constFirst());
        if (statuses.size() > 1) {
            QVERIFY(opened.wait(3000));
            QCOMPARE(opened.constFirst().constFirst().value<PortStatus>(), statuses.at(1));
        }
        QCOMPARE(port.isOpen(), statuses.constLast() == PortStatus::Opened);
    }

    void readLimitAndDiscard()
    {
        sim::PtySign sign;
        QVERIFY(sign.open());
        QtSignPort port;
        port.setSettings(PortSettings{});
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

    // Every answer 700 ms late: found, programmed and read back within the default answer time,
    // on the pty and through a device server that sets the far line itself.
    void lateSign_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("named pty") << QString();
        QTest::newRow("rfc2217 device server") << QStringLiteral("rfc2217");
    }

    void lateSign()
    {
        QFETCH(QString, mode);
        Window w(mode);
        QVERIFY2(w.problem.isEmpty(), qPrintable(w.problem));
        w.form->link()->setResponseTimeout(3000ms);
        w.sign.sign().setFault({FaultKind::SlowAnswers, 700});
        QVERIFY(w.detect(5000));
        const MessageStore sent = program("tarde", 1);
        w.form->document()->open(sent, {});
        QCOMPARE(w.session().send(w.form->store()).refusal, Refusal::None);
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 1, 20000);
        QVERIFY(w.signHolds(sent));
        w.form->document()->open(program("otro", 2), {});
        QCOMPARE(w.session().read(), Refusal::None);
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 2, 20000);
        QCOMPARE(w.ended, (QList<Ended>{{Exchange::Send, Outcome::Completed}, {Exchange::Read, Outcome::Completed}}));
        QCOMPARE(w.form->store(), sent);
    }

    // The device server dies mid-exchange: the connection's end is heard at once, not at the
    // answer time, and told as a dropped connection whatever the sign had said on it.
    void deviceServerGone_data()
    {
        QTest::addColumn<Exchange>("exchange");
        QTest::addColumn<QByteArray>("text");  // what the sign holds, on the line in a read-back
        QTest::addColumn<QString>("panel");
        QTest::newRow("mid-send") << Exchange::Send << QByteArray() << "Envio fallido: puerto caido";
        QTest::newRow("mid-read of a page saying in use") << Exchange::Read << QByteArray("Port in use ")
                                                          << "Lectura fallida: puerto caido";
    }

    void deviceServerGone()
    {
        QFETCH(Exchange, exchange);
        QFETCH(QByteArray, text);
        QFETCH(QString, panel);
        Window w(QStringLiteral("tcp"));
        QVERIFY2(w.problem.isEmpty(), qPrintable(w.problem));
        QVERIFY(w.detect());
        w.sign.setPaceBaud(2400);
        w.form->document()->open(program("", 4, 80), {});
        w.put(program(text, 4, 80));
        QSignalSpy progress(w.form->session(), &ProgramSession::progress);
        QElapsedTimer sinceKill;
        qint64 heardMs = -1;
        QObject::connect(w.form->session(), &ProgramSession::finished, [&] { heardMs = sinceKill.elapsed(); });
        if (exchange == Exchange::Send)
            QCOMPARE(w.session().send(w.form->store()).refusal, Refusal::None);
        else
            QCOMPARE(w.session().read(), Refusal::None);
        QVERIFY(progress.wait(3000));
        sinceKill.start();
        w.server->kill();
        QTRY_COMPARE_WITH_TIMEOUT(w.ended.size(), 1, 5000);
        qInfo("the device server's end was heard after %lld ms", heardMs);
        QCOMPARE(w.ended, (QList<Ended>{{exchange, Outcome::PortLost}}));
        QVERIFY2(heardMs < 500, qPrintable(QString::number(heardMs)));
        QCOMPARE(w.form->panelText(1), panel);
        const ExchangeReport &report = w.reports.constFirst();
        QCOMPARE(report.portStatus, PortStatus::Dropped);
        // The sign's answers are no words of the device server.
        QVERIFY2(!report.portDetail.contains(QChar(0xb5)), qPrintable(report.portDetail));
    }
};

QTEST_MAIN(TestE2E)
#include "tst_e2e.moc"
