// The virtual sign as a test instrument: its answers, its faults and its memory file.
#include "sim/MemoryFile.h"
#include "sim/VirtualSign.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx::sim;


namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }
const QByteArray kProbe = hex("a5050100000200");
const QByteArray kWrite = hex("a50602180001 41 00");  // "A" at 0x1800
const QByteArray kRead = hex("a5050118004000");
const QByteArray kAck = hex("b5");
QByteArray block(char mark) { return mark + QByteArray("A").leftJustified(64, char(0xFF)) + '\0'; }
}  // namespace

class TestVirtualSign : public QObject
{
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QList<QByteArray>>("feeds");
        QTest::addColumn<QList<QByteArray>>("answers");
        QTest::addColumn<int>("written");
        const char b5 = char(0xB5);
        QTest::newRow("probe, write, read, end; junk and split frames")
            << Fault{} << QList{hex("00ff13") + kProbe.left(3), kProbe.mid(3), kWrite, kRead, hex("a502b500")}
            << QList{QByteArray(), hex("b501ff00"), kAck, block(b5), QByteArray()} << 1;
        QTest::newRow("silent") << Fault{FaultKind::Silent, 0} << QList{kProbe, kWrite} << QList{QByteArray(), QByteArray()} << 0;
        QTest::newRow("silent after 2") << Fault{FaultKind::SilentAfter, 2} << QList{kProbe, kWrite, kWrite}
                                        << QList{hex("b501ff00"), kAck, QByteArray()} << 1;
        QTest::newRow("wrong ack at 2") << Fault{FaultKind::WrongAckAt, 2} << QList{kWrite, kWrite, kWrite}
                                        << QList{kAck, hex("00"), kAck} << 3;
        QTest::newRow("double ack at 1") << Fault{FaultKind::DoubleAckAt, 1} << QList{kWrite} << QList{hex("b5b5")} << 1;
        QTest::newRow("bad read mark at 2") << Fault{FaultKind::BadReadMarkAt, 2} << QList{kWrite, kProbe, kRead, kRead}
                                            << QList{kAck, hex("b501ff00"), block(b5), block(0)} << 1;
        QTest::newRow("garbage") << Fault{FaultKind::GarbageBefore, 0} << QList{kProbe} << QList{hex("00ff13b501ff00")} << 0;
    }

    void answers()
    {
        QFETCH(Fault, fault);
        QFETCH(QList<QByteArray>, feeds);
        QFETCH(QList<QByteArray>, answers);
        VirtualSign sign(Model::Pages20);
        sign.feed(kProbe + kRead + hex("a50602600001 41 00"));  // a fault counts from the moment it is set
        sign.setFault(fault);
        for (qsizetype i = 0; i < feeds.size(); ++i)
            QCOMPARE(sign.feed(feeds.at(i)).toHex(' '), answers.at(i).toHex(' '));
        QFETCH(int, written);
        QCOMPARE(sign.framesWritten() - 1, written);
        QCOMPARE(sign.readMemory(0x1800, 1), written ? QByteArray("A") : hex("ff"));
    }

    void memoryFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sign.mem"));
        VirtualSign sign(Model::Pages40);
        sign.feed(kWrite);
        QString error;
        QVERIFY(saveMemoryFile(path, sign.memory(), &error));
        QCOMPARE(loadMemoryFile(path).value_or(QByteArray()), sign.memory());
        QFile longer(path);
        QVERIFY(longer.open(QIODevice::Append));
        longer.write("x");
        longer.close();
        QVERIFY(!loadMemoryFile(path, &error));
        QVERIFY(error.contains(QStringLiteral("65537")));
    }
};

QTEST_APPLESS_MAIN(TestVirtualSign)
#include "tst_sim.moc"
