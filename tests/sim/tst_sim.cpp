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
struct AnswerCase { Fault fault; QList<QByteArray> feeds; QList<QByteArray> answers; int written; };
}  // namespace

class TestVirtualSign : public QObject
{
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<AnswerCase>("c");
        auto row = [](const char *name, const AnswerCase &ac) { QTest::newRow(name) << ac; };
        const char b5 = char(0xB5);
        row("probe, write, read, end; junk and split frames",
            {{}, {hex("00ff13") + kProbe.left(3), kProbe.mid(3), kWrite, kRead, hex("a502b500")},
             {QByteArray(), hex("b501ff00"), kAck, block(b5), QByteArray()}, 1});
        row("silent", {{FaultKind::Silent, 0}, {kProbe, kWrite}, {QByteArray(), QByteArray()}, 0});
        row("silent after 2", {{FaultKind::SilentAfter, 2}, {kProbe, kWrite, kWrite}, {hex("b501ff00"), kAck, QByteArray()}, 1});
        row("wrong ack at 2", {{FaultKind::WrongAckAt, 2}, {kWrite, kWrite, kWrite}, {kAck, hex("00"), kAck}, 3});
        row("double ack at 1", {{FaultKind::DoubleAckAt, 1}, {kWrite}, {hex("b5b5")}, 1});
        row("bad read mark at 2",
            {{FaultKind::BadReadMarkAt, 2}, {kWrite, kProbe, kRead, kRead}, {kAck, hex("b501ff00"), block(b5), block(0)}, 1});
        row("garbage", {{FaultKind::GarbageBefore, 0}, {kProbe}, {hex("00ff13b501ff00")}, 0});
    }

    void answers()
    {
        QFETCH(AnswerCase, c);
        VirtualSign sign(Model::Pages20);
        sign.feed(kProbe + kRead + hex("a50602600001 41 00"));  // a fault counts from the moment it is set
        sign.setFault(c.fault);
        for (qsizetype i = 0; i < c.feeds.size(); ++i)
            QCOMPARE(sign.feed(c.feeds.at(i)).toHex(' '), c.answers.at(i).toHex(' '));
        QCOMPARE(sign.framesWritten() - 1, c.written);
        QCOMPARE(sign.readMemory(0x1800, 1), c.written ? QByteArray("A") : hex("ff"));
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
        QVERIFY(longer.open(QIODevice::Append) && longer.write("x") == 1 && longer.flush());
        QVERIFY(!loadMemoryFile(path, &error));
        QVERIFY(error.contains(QStringLiteral("65537")));
    }
};

QTEST_APPLESS_MAIN(TestVirtualSign)
#include "tst_sim.moc"
