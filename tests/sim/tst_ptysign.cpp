// The virtual sign behind a pty, as the program's serial port sees it: answers, pace, faults
// in time, and a closed pty that takes its device away.
#include "PortExchange.h"
#include "sim/PtySign.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx::sim;

Q_DECLARE_METATYPE(zlx::sim::Fault)

namespace {

const QByteArray kProbe = QByteArray::fromHex("A5050100000200");

// The program's side of the line: the port as the program opens it.
bool openPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    port.setBaudRate(2400);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    return port.open(QIODevice::ReadWrite);
}

}  // namespace

class TestPtySign : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void closePtyRemovesDevice();
};

void TestPtySign::roundTrip_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("paceBaud");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("minimumMs");

    const QByteArray block = QByteArray::fromHex("A5050118004000");
    const QByteArray emptyBlock = char(0xB5) + QByteArray(64, char(0xFF)) + '\0';

    QTest::newRow("probe, 40-page") << 2 << Fault{} << 0 << kProbe << QByteArray::fromHex("B502FF00") << 0;
    // 7 bytes in and 4 bytes out at 10 bits per byte and 2400 baud: 45.8 ms on the line.
    QTest::newRow("probe at 2400 baud") << 1 << Fault{} << 2400 << kProbe << QByteArray::fromHex("B501FF00") << 45;
    QTest::newRow("slow answer") << 1 << Fault{FaultKind::SlowAnswers, 120} << 0 << kProbe
                                 << QByteArray::fromHex("B501FF00") << 120;
    // 22 pieces of at most 3 bytes, 4 ms apart.
    QTest::newRow("split read answer") << 1 << Fault{FaultKind::SplitAnswers, 0} << 0 << block << emptyBlock << 84;
    QTest::newRow("garbage before the answer") << 1 << Fault{FaultKind::GarbageBefore, 0} << 0 << kProbe
                                               << QByteArray::fromHex("00FF13B501FF00") << 0;
}

void TestPtySign::roundTrip()
{
    QFETCH(int, model);
    QFETCH(Fault, fault);
    QFETCH(int, paceBaud);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(int, minimumMs);

    PtySign sign(static_cast<Model>(model));
    sign.sign().setFault(fault);
    sign.setPaceBaud(paceBaud);
    QVERIFY2(sign.open(), qPrintable(sign.errorString()));

    QSerialPort port;
    QVERIFY2(openPort(port, sign.slavePath()), qPrintable(port.errorString()));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchange(port, request, answer.size()).toHex(' '), answer.toHex(' '));
    QCOMPARE_GE(clock.elapsed(), minimumMs);
    QCOMPARE(sign.sign().frameLog(), QList{request});
}

void TestPtySign::closePtyRemovesDevice()
{
    QTemporaryDir dir;
    const QString linkPath = dir.filePath(QStringLiteral("ttyZLX"));
    PtySign sign;
    QVERIFY(sign.open(linkPath));
    const QString device = sign.slavePath();
    QVERIFY(QFileInfo::exists(device));

    sign.closePty();
    QVERIFY(!sign.isOpen());
    QVERIFY(!QFileInfo(linkPath).isSymLink());
    QSerialPort port;
    QVERIFY(!openPort(port, device));
}

QTEST_MAIN(TestPtySign)
#include "tst_ptysign.moc"
