// The virtual sign served over TCP: its answers and their timing through the shared pacer, one
// client at a time with the busy line for the others, and zantolux-sim --listen as a parent
// process sees it.
#include "sim/TcpSign.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace zlx;

namespace {

constexpr int kWaitMs = 5000;

const QByteArray kProbe = QByteArray::fromHex("a5050100000200");
const QByteArray kWriteAB = QByteArray::fromHex("a50702180002414200");  // "AB" at 0x1800
const QByteArray kReadAB = QByteArray::fromHex("a5050118000200");
const QByteArray kFreshAnswer = QByteArray::fromHex("b501ff00");

struct Client
{
    explicit Client(quint16 port)
    {
        socket->connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected() { return socket->waitForConnected(kWaitMs); }
    // Sends request and takes `size` answer bytes; empty if they do not come in time.
    QByteArray ask(const QByteArray &request, qsizetype size)
    {
        socket->write(request);
        return QTest::qWaitFor([&] { return socket->bytesAvailable() >= size; }, kWaitMs) ? socket->readAll() : QByteArray();
    }
    // All it is told until the other side closes.
    QByteArray untilClosed()
    {
        const bool closed = QTest::qWaitFor([&] { return socket->state() == QAbstractSocket::UnconnectedState; }, kWaitMs);
        return (closed ? QByteArray() : QByteArray("still open: ")) + socket->readAll();
    }

    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
};

}  // namespace

class TestSim : public QObject
{
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<sim::Model>("model");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("atLeastMs");  // line time and delay: never earlier
        const auto hex = [](const char *h) { return QByteArray::fromHex(h); };
        QTest::newRow("probe, fresh 20-page sign") << sim::Model::Pages20 << "none" << 0 << kProbe << kFreshAnswer << 0;
        QTest::newRow("probe, 40 pages") << sim::Model::Pages40 << "none" << 0 << kProbe << hex("b502ff00") << 0;
        QTest::newRow("write acknowledged") << sim::Model::Pages20 << "none" << 0 << kWriteAB << hex("b5") << 0;
        QTest::newRow("write, then read back") << sim::Model::Pages20 << "none" << 0 << kWriteAB + kReadAB << hex("b5b5414200") << 0;
        QTest::newRow("noise before the frame") << sim::Model::Pages20 << "none" << 0 << hex("0011") + kProbe << kFreshAnswer << 0;
        QTest::newRow("garbage") << sim::Model::Pages20 << "garbage" << 0 << kProbe << hex("00ff13b501ff00") << 0;
        QTest::newRow("double ack") << sim::Model::Pages20 << "double-ack=1" << 0 << kWriteAB << hex("b5b5") << 0;
        // 7 bytes in and 4 out at 4.17 ms a byte.
        QTest::newRow("paced probe") << sim::Model::Pages20 << "none" << 2400 << kProbe << kFreshAnswer << 45;
        // 9 in, 1 out.
        QTest::newRow("paced write") << sim::Model::Pages20 << "none" << 2400 << kWriteAB << hex("b5") << 41;
        QTest::newRow("slow") << sim::Model::Pages20 << "slow=300" << 0 << kProbe << kFreshAnswer << 300;
        QTest::newRow("slow and paced") << sim::Model::Pages20 << "slow=300" << 2400 << kProbe << kFreshAnswer << 345;
        // The fourth byte waits a gap of 4 ms after the first three.
        QTest::newRow("split and paced") << sim::Model::Pages20 << "split" << 2400 << kProbe << kFreshAnswer << 49;
    }

    void answers()
    {
        QFETCH(sim::Model, model);
        QFETCH(QString, fault);
        QFETCH(int, baud);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(int, atLeastMs);
        sim::TcpSign sign(model);
        sign.sign().setFault(*sim::parseFault(fault));
        sign.setPaceBaud(baud);
        QVERIFY2(sign.listen(), qPrintable(sign.errorString()));
        QSignalSpy sent(&sign, &sim::TcpSign::answerBytesSent);
        Client client(sign.port());
        QVERIFY(client.connected());

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(client.ask(request, answer.size()).toHex(' '), answer.toHex(' '));
        QVERIFY2(clock.elapsed() >= atLeastMs, qPrintable(QString::number(clock.elapsed())));
        QByteArray written;
        for (const QList<QVariant> &bytes : sent)
            written += bytes.at(0).toByteArray();
        QCOMPARE(written, answer);
        QCOMPARE(sign.bytesDropped(), qint64(0));
    }

    void clients_data()
    {
        QTest::addColumn<int>("others");
        QTest::addColumn<bool>("othersAsk");  // the refused ones send the probe before they read
        QTest::addColumn<QByteArray>("lastWords");  // what the first sends just before it leaves
        QTest::addColumn<bool>("nextAtOnce");  // the next connects before the sign has seen the first leave
        const QByteArray end = QByteArray::fromHex("a502b500");
        QTest::newRow("one other") << 1 << false << QByteArray() << false;
        QTest::newRow("one other that asks") << 1 << true << QByteArray() << false;
        QTest::newRow("three others that ask") << 3 << true << end << false;
        QTest::newRow("the next at once") << 0 << false << QByteArray() << true;
        QTest::newRow("end frame, the next at once") << 1 << true << end << true;
    }

    void clients()
    {
        QFETCH(int, others);
        QFETCH(bool, othersAsk);
        QFETCH(QByteArray, lastWords);
        QFETCH(bool, nextAtOnce);
        sim::TcpSign sign;
        QVERIFY(sign.listen());
        QSignalSpy refused(&sign, &sim::TcpSign::clientRefused);
        QSignalSpy gone(&sign, &sim::TcpSign::clientDisconnected);
        auto first = std::make_unique<Client>(sign.port());
        QVERIFY(first->connected());
        QCOMPARE(first->ask(kWriteAB, 1), QByteArray::fromHex("b5"));
        QVERIFY(sign.hasClient());

        for (int i = 0; i < others; ++i) {
            Client other(sign.port());
            QVERIFY(other.connected());
            if (othersAsk)
                other.socket->write(kProbe);
            QCOMPARE(other.untilClosed(), sim::TcpSign::busyLine());
        }
        QCOMPARE(refused.count(), others);
        QCOMPARE(first->ask(kReadAB, 4), QByteArray::fromHex("b5414200"));  // the first is still served

        first->socket->write(lastWords);
        QVERIFY(lastWords.isEmpty() || first->socket->waitForBytesWritten(kWaitMs));
        first.reset();
        if (!nextAtOnce)
            QVERIFY(gone.count() == 1 || gone.wait(kWaitMs));
        Client next(sign.port());
        QVERIFY(next.connected());
        QCOMPARE(next.ask(kReadAB, 4), QByteArray::fromHex("b5414200"));  // the same sign, memory kept
        QCOMPARE(refused.count(), others);
        QCOMPARE(gone.count(), 1);
        QCOMPARE(sign.sign().endFramesSeen(), lastWords.isEmpty() ? 0 : 1);
    }

    void program_data()
    {
        QTest::addColumn<QString>("args");  // @busy: a port another server holds
        QTest::addColumn<int>("exitCode");  // -1: it keeps running
        QTest::addColumn<QString>("said");  // the first line, or what stderr holds
        QTest::addColumn<QByteArray>("probeAnswer");
        QTest::newRow("port only") << "--listen 0" << -1 << R"(^tcp://127\.0\.0\.1:\d+$)" << kFreshAnswer;
        QTest::newRow("host and port, 40 pages") << "--listen 127.0.0.1:0 --model 40 --quiet" << -1
                                                 << R"(^tcp://127\.0\.0\.1:\d+$)" << QByteArray::fromHex("b502ff00");
        QTest::newRow("localhost, paced, garbage") << "--listen localhost:0 --pace-baud 9600 --fault garbage" << -1
                                                   << R"(^tcp://127\.0\.0\.1:\d+$)" << QByteArray::fromHex("00ff13b501ff00");
        QTest::newRow("with --link") << "--listen 0 --link x" << 2 << "--link" << QByteArray();
        QTest::newRow("port too large") << "--listen 127.0.0.1:65536" << 2 << "--listen wants" << QByteArray();
        QTest::newRow("host not an address") << "--listen sign.example:0" << 2 << "--listen wants" << QByteArray();
        QTest::newRow("port taken") << "--listen @busy" << 1 << "zantolux-sim: " << QByteArray();
    }

    void program()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(QByteArray, probeAnswer);
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost));
        args.replace(QLatin1String("@busy"), QStringLiteral("127.0.0.1:%1").arg(holder.serverPort()));
        QProcess sim;
        sim.start(QStringLiteral(ZANTOLUX_SIM), args.split(u' '));
        QVERIFY(sim.waitForStarted(kWaitMs));

        if (exitCode >= 0) {
            QVERIFY(sim.waitForFinished(kWaitMs));
            QCOMPARE(sim.exitCode(), exitCode);
            QVERIFY(sim.readAllStandardError().contains(said.toUtf8()));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), kWaitMs);
        const QString first = QString::fromLatin1(sim.readLine()).chopped(1);
        const auto match = QRegularExpression(said).match(first);
        QVERIFY2(match.hasMatch(), qPrintable(first));
        Client client(quint16(first.section(u':', -1).toUInt()));
        QVERIFY(client.connected());
        QCOMPARE(client.ask(kProbe, probeAnswer.size()).toHex(' '), probeAnswer.toHex(' '));
        sim.terminate();
        QVERIFY(sim.waitForFinished(kWaitMs));
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
