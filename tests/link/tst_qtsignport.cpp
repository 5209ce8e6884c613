// The real port on a pseudo-terminal: what only a real device shows; and the real timer.
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "sim/UniqueFd.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

using namespace zlx;
using namespace std::chrono_literals;
using sim::UniqueFd;

namespace {
// A raw pty pair; the test plays the sign on the master side.
struct Pty
{
    UniqueFd master;
    UniqueFd slave;  // held so the master never sees a hang-up between opens
    QString path;

    Pty()
    {
        master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
        if (!master.isValid() || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0)
            qFatal("no pty");
        path = QString::fromLocal8Bit(::ptsname(master.get()));
        slave.reset(::open(::ptsname(master.get()), O_RDWR | O_NOCTTY));
        termios t{};
        ::tcgetattr(slave.get(), &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave.get(), TCSANOW, &t);
    }
    void send(const QByteArray &bytes) const
    {
        QCOMPARE(::write(master.get(), bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    // Everything the program has written so far.
    QByteArray receive()
    {
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(master.get(), buffer, sizeof buffer)) > 0)
            received.append(buffer, int(n));
        return received;
    }
    QByteArray received;
};
}  // namespace

class TestQtSignPort : public QObject
{
    Q_OBJECT
private slots:
    void openingByPath()
    {
        Pty pty;
        QtSignPort port(PortMap({QStringLiteral("/nonexistent/ttyA"), pty.path}));
        QCOMPARE(port.open(), OpenResult::NoDevice);  // COM1
        port.setPortNumber(2);
        QCOMPARE(port.open(), OpenResult::Opened);
        // A device another program holds is busy, not a matter of permissions.
        QCOMPARE(QtSignPort(PortMap({pty.path})).open(), OpenResult::Failed);
    }

    void vanishedDeviceIsReportedAtOnce()
    {
        auto pty = std::make_unique<Pty>();
        QtSignPort port(PortMap({pty->path}));
        QSignalSpy lost(&port, &SignPort::lost);
        QCOMPARE(port.open(), OpenResult::Opened);
        QElapsedTimer clock;
        clock.start();
        pty.reset();  // both ends of the pty closed, as when an adapter is pulled
        QVERIFY(lost.wait(500));
        QCOMPARE_LT(clock.elapsed(), 500);
        QVERIFY(!port.isOpen());
    }

    void dataArrivesOnlyAtTheThreshold_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QList<int>>("pieces");
        QTest::addColumn<int>("eventsExpected");
        QTest::newRow("acknowledgement") << 1 << QList<int>{1} << 1;
        QTest::newRow("read answer in pieces") << 66 << QList<int>{30, 30, 6} << 1;
        QTest::newRow("short of the threshold") << 66 << QList<int>{65} << 0;
    }

    void dataArrivesOnlyAtTheThreshold()
    {
        QFETCH(int, threshold);
        QFETCH(QList<int>, pieces);
        Pty pty;
        QtSignPort port(PortMap({pty.path}));
        port.setReceiveThreshold(threshold);
        QCOMPARE(port.open(), OpenResult::Opened);
        QSignalSpy arrived(&port, &SignPort::dataArrived);
        int total = 0;
        for (int n : pieces) {
            pty.send(QByteArray(n, '\xb5'));
            total += n;
            QTRY_COMPARE(port.bytesWaiting(), qint64(total));
            if (total < threshold)
                QCOMPARE(arrived.count(), 0);
        }
        QTEST(int(arrived.count()), "eventsExpected");
        QCOMPARE(port.read().size(), total);
    }

    void readLimitAndWriteThenDrainThenCloseDelivers()
    {
        Pty pty;
        QtSignPort port(PortMap({pty.path}));
        port.setSettings(PortSettings{});
        port.setReceiveThreshold(1);
        QCOMPARE(port.open(), OpenResult::Opened);
        pty.send("stale");
        QTRY_COMPARE(port.bytesWaiting(), qint64(5));
        port.discardInput();
        QCOMPARE(port.bytesWaiting(), qint64(0));
        pty.send(QByteArray(600, 'x'));
        QTRY_COMPARE(port.bytesWaiting(), qint64(512));  // the receive buffer holds 512
        QCOMPARE(port.read().size(), 512);
        QTRY_COMPARE(port.bytesWaiting(), qint64(88));

        QVERIFY(port.write(QByteArray::fromHex("a502b500")));
        QVERIFY(port.drain());
        port.close();
        QTRY_COMPARE(pty.receive(), QByteArray::fromHex("a502b500"));
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
};

QTEST_GUILESS_MAIN(TestQtSignPort)
#include "tst_qtsignport.moc"
