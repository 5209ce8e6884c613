#include "PortExchange.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral(ZANTOLUX_SIM_PROGRAM);

}  // namespace

// The zantolux-sim program as a demonstration or a test script starts it.
class TestSimProgram : public QObject
{
    Q_OBJECT
private slots:
    void sessionThenShow();
    void badArguments_data();
    void badArguments();
};

void TestSimProgram::sessionThenShow()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyZLX"));
    const QString memory = dir.filePath(QStringLiteral("sign.mem"));

    QProcess sim;
    sim.start(kProgram, {QStringLiteral("--model"), QStringLiteral("40"), QStringLiteral("--link"), link,
                         QStringLiteral("--memory"), memory});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(device.startsWith(QStringLiteral("/dev/pts/")));
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);

    QSerialPort port(link);
    port.setBaudRate(2400);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QCOMPARE(exchange(port, QByteArray::fromHex("A5050100000200"), 4), QByteArray::fromHex("B502FF00"));
    QCOMPARE(exchange(port, QByteArray::fromHex("A50D021800 08 0102033031205041") + '\0', 1), QByteArray::fromHex("B5"));
    QCOMPARE(exchange(port, QByteArray::fromHex("A510021808 0B 474 94E412000 01 02 02 00 00") + '\0', 1), QByteArray::fromHex("B5"));
    port.write(QByteArray::fromHex("A502B500"));
    QVERIFY(port.waitForBytesWritten(1000));
    QTRY_VERIFY(QFileInfo::exists(memory));
    port.close();

    QTRY_VERIFY(sim.canReadLine());
    QCOMPARE(sim.readLine(), QByteArray("read  0x0000 2 -> b5 02 ff 00\n"));

    sim.terminate();  // SIGTERM
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    QProcess show;
    show.start(kProgram, {QStringLiteral("--show"), memory});
    QVERIFY(show.waitForFinished(5000));
    QCOMPARE(show.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(show.readAllStandardOutput()),
             QStringLiteral("Modelo: 40 paginas\nPagina 1\n  1: Texto Fijo  cantidad 2  fuente 2  \"\"\n"));
}

void TestSimProgram::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("model") << QStringList{QStringLiteral("--model"), QStringLiteral("30")};
    QTest::newRow("fault") << QStringList{QStringLiteral("--fault"), QStringLiteral("noisy")};
    QTest::newRow("pace") << QStringList{QStringLiteral("--pace-baud"), QStringLiteral("-1")};
}

void TestSimProgram::badArguments()
{
    QFETCH(QStringList, arguments);

    QProcess sim;
    sim.start(kProgram, arguments);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());  // no device path: nothing was opened
}

QTEST_MAIN(TestSimProgram)
#include "tst_simprogram.moc"
