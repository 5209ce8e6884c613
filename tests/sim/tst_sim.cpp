// The virtual sign as a test instrument: its answers byte by byte, its faults, its memory file
// and the listing of its memory.
#include "sim/MemoryFile.h"
#include "sim/MemoryListing.h"
#include "sim/VirtualSign.h"

#include <QFile>
#include <QTemporaryDir>

#include <QTest>

using namespace zlx::sim;

Q_DECLARE_METATYPE(zlx::sim::Fault)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The worked example: page 1 of a 20-page sign with one row (effect 1, amount 2, font 2, "ABC").
const QByteArray kPageImage = hex("01020330312050414749 4E4120 00 01020241424300 00");
const QByteArray kWriteFrame = hex("A51B021800 16") + kPageImage + hex("00");
const QByteArray kProbe = hex("A5050100000200");

QByteArray blockRead(int high, int low)
{
    return QByteArray::fromHex("A50501") + char(high) + char(low) + hex("4000");
}

QByteArray writeFrame(int high, int low, const QByteArray &data)
{
    return hex("A5") + char(data.size() + 5) + hex("02") + char(high) + char(low)
        + char(data.size()) + data + hex("00");
}

QByteArray blockAnswer(char mark, const QByteArray &data)
{
    return mark + data.leftJustified(64, char(0xFF)) + hex("00");
}

constexpr int kMemorySize = 0x10000;

// A memory as the sign keeps it: model code at 0, 0xFF elsewhere, page images placed by hand
// from the layout, not by the program's encoder.
QByteArray memoryWith(int modelCode, const QList<std::pair<int, QByteArray>> &blocks)
{
    QByteArray memory(kMemorySize, char(0xFF));
    memory[0] = char(modelCode);
    for (const auto &[address, bytes] : blocks)
        memory.replace(address, bytes.size(), bytes);
    return memory;
}

QByteArray title(int page)
{
    return QByteArray("\x01\x02\x03", 3) + QByteArray::number(page).rightJustified(2, '0')
        + " PAGINA " + '\0';
}

QByteArray record(int effect, int amount, int font, const QByteArray &text)
{
    return char(effect) + QByteArray(1, char(amount)) + char(font) + text + '\0';
}

}  // namespace

class TestVirtualSign : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void programAndReadBack_data();
    void programAndReadBack();
    void frameSplitOverFeeds_data();
    void frameSplitOverFeeds();
    void faults_data();
    void faults();
    void countersAndLog();
    void parseFault_data();
    void parseFault();
    void listing_data();
    void listing();
    void memoryFile();
};

void TestVirtualSign::answers_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("probe, 40-page model") << 2 << kProbe << hex("B502FF00");
    QTest::newRow("write frame of page 1") << 1 << kWriteFrame << hex("B5");
    QTest::newRow("end-of-program marker frame") << 1 << hex("A506021C0001FF00") << hex("B5");
    QTest::newRow("block of an empty sign") << 1 << blockRead(0x18, 0) << blockAnswer(char(0xB5), {});
    QTest::newRow("end frame is not answered") << 1 << hex("A502B500") << QByteArray();
    QTest::newRow("two frames in one feed") << 1 << kProbe + hex("A506021C0001FF00") << hex("B501FF00B5");
    QTest::newRow("junk before a frame") << 1 << hex("00FF13") + kProbe << hex("B501FF00");
    QTest::newRow("read with a wrong count") << 1 << hex("A50601000002 0000") + kProbe << hex("B501FF00");
    QTest::newRow("write without its closing 0") << 1 << hex("A50702180002 4142FF") + kProbe << hex("B501FF00");
    QTest::newRow("write count disagrees with length") << 1 << hex("A50802180002 414200 00") + kProbe << hex("B501FF00");
    QTest::newRow("write of no data bytes") << 1 << hex("A50502180000 00") + kProbe << hex("B501FF00");
    QTest::newRow("unknown command") << 1 << hex("A5020700") + kProbe << hex("B501FF00");
}

void TestVirtualSign::answers()
{
    QFETCH(int, model);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);

    VirtualSign sign(static_cast<Model>(model));
    QCOMPARE(sign.feed(input).toHex(' '), answer.toHex(' '));
}

void TestVirtualSign::programAndReadBack_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("markerFrame");
    QTest::addColumn<int>("markerAddress");

    QTest::newRow("20-page") << 1 << hex("A506021C0001FF00") << 0x1C00;
    QTest::newRow("40-page") << 2 << hex("A506021A0001FF00") << 0x1A00;
}

void TestVirtualSign::programAndReadBack()
{
    QFETCH(int, model);
    QFETCH(QByteArray, markerFrame);
    QFETCH(int, markerAddress);

    VirtualSign sign(static_cast<Model>(model));
    sign.writeMemory(markerAddress, QByteArray(4, 0x55));  // an old program's page
    QCOMPARE(sign.feed(kWriteFrame + markerFrame), hex("B5B5"));
    QCOMPARE(sign.readMemory(0x1800, kPageImage.size()), kPageImage);
    QCOMPARE(sign.readMemory(markerAddress, 2), hex("FF55"));
    QCOMPARE(sign.modelCode(), model);

    const QByteArray answer = sign.feed(blockRead(0x18, 0));
    QCOMPARE(answer.size(), 66);
    QCOMPARE(answer.toHex(' '), blockAnswer(char(0xB5), kPageImage).toHex(' '));
    QCOMPARE(sign.feed(blockRead(markerAddress >> 8, 0)).mid(0, 2), hex("B5FF"));
}

void TestVirtualSign::frameSplitOverFeeds_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("piece");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("probe byte by byte") << kProbe << 1 << hex("B501FF00");
    QTest::newRow("write in fives") << kWriteFrame << 5 << hex("B5");
    QTest::newRow("end frame byte by byte") << hex("A502B500") << 1 << QByteArray();
}

void TestVirtualSign::frameSplitOverFeeds()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, piece);
    QFETCH(QByteArray, answer);

    VirtualSign sign;
    for (qsizetype at = 0; at + piece < frame.size(); at += piece)
        QCOMPARE(sign.feed(frame.mid(at, piece)), QByteArray());
    const qsizetype lastPiece = (frame.size() - 1) / piece * piece;
    QCOMPARE(sign.feed(frame.mid(lastPiece)), answer);
    QCOMPARE(sign.framesReceived(), 1);
    QCOMPARE(sign.bytesSkipped(), 0);
}

void TestVirtualSign::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("written");

    const QByteArray w1 = writeFrame(0x18, 0x00, "A");
    const QByteArray w2 = writeFrame(0x18, 0x40, "B");
    const QByteArray w3 = writeFrame(0x18, 0x80, "C");
    const QByteArray b1 = blockRead(0x18, 0x00);
    const QByteArray b2 = blockRead(0x18, 0x40);
    const char mark = char(0xB5);
    const QByteArray ack = hex("B5");

    QTest::newRow("none") << Fault{} << QList{kProbe, w1, b1} << QList{hex("B501FF00"), ack, blockAnswer(mark, "A")} << 1;
    QTest::newRow("silent") << Fault{FaultKind::Silent, 0} << QList{kProbe, w1} << QList{QByteArray(), QByteArray()} << 0;
    QTest::newRow("silent after 2") << Fault{FaultKind::SilentAfter, 2} << QList{kProbe, w1, w2, kProbe}
                                    << QList{hex("B501FF00"), ack, QByteArray(), QByteArray()} << 1;
    QTest::newRow("end frame does not count as answered") << Fault{FaultKind::SilentAfter, 1}
        << QList{hex("A502B500"), kProbe, kProbe} << QList{QByteArray(), hex("B501FF00"), QByteArray()} << 0;
    QTest::newRow("wrong ack at 2") << Fault{FaultKind::WrongAckAt, 2} << QList{w1, w2, w3}
                                    << QList{ack, hex("00"), ack} << 3;
    QTest::newRow("double ack at 1") << Fault{FaultKind::DoubleAckAt, 1} << QList{w1, w2}
                                     << QList{hex("B5B5"), ack} << 2;
    QTest::newRow("bad read mark at 2, probe not counted") << Fault{FaultKind::BadReadMarkAt, 2}
        << QList{w1, w2, kProbe, b1, b2, b1}
        << QList{ack, ack, hex("B501FF00"), blockAnswer(mark, "A"), blockAnswer(0, "B"), blockAnswer(mark, "A")} << 2;
    QTest::newRow("garbage") << Fault{FaultKind::GarbageBefore, 0} << QList{kProbe, w1}
                             << QList{hex("00FF13B501FF00"), hex("00FF13B5")} << 1;
    QTest::newRow("slow answers are timed by the host") << Fault{FaultKind::SlowAnswers, 500} << QList{kProbe, w1}
                                                        << QList{hex("B501FF00"), ack} << 1;
    QTest::newRow("split answers are cut by the host") << Fault{FaultKind::SplitAnswers, 0} << QList{kProbe}
                                                       << QList{hex("B501FF00")} << 0;
}

void TestVirtualSign::faults()
{
    QFETCH(Fault, fault);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(int, written);

    // A fault counts from the moment it is set, not from the sign's start.
    VirtualSign sign(Model::Pages20);
    sign.feed(kProbe + blockRead(0x18, 0) + hex("A50602600001" "41" "00"));
    sign.setFault(fault);
    for (qsizetype i = 0; i < frames.size(); ++i)
        QCOMPARE(sign.feed(frames.at(i)).toHex(' '), answers.at(i).toHex(' '));
    QCOMPARE(sign.framesWritten() - 1, written);
    QCOMPARE(sign.framesReceived() - 3, frames.size());  // a silent sign still sees every frame
    // A silent sign carries nothing out: its memory keeps what it had.
    if (written == 0)
        QCOMPARE(sign.readMemory(0x1800, 1), hex("FF"));
}

void TestVirtualSign::countersAndLog()
{
    VirtualSign sign;
    const QByteArray end = hex("A502B500");
    sign.feed(hex("1313") + kProbe + kWriteFrame + hex("A5") + blockRead(0x18, 0) + end);

    QCOMPARE(sign.framesReceived(), 4);
    QCOMPARE(sign.framesWritten(), 1);
    QCOMPARE(sign.readsServed(), 2);
    QCOMPARE(sign.endFramesSeen(), 1);
    QCOMPARE(sign.bytesSkipped(), 3);
    QCOMPARE(sign.frameLog(), (QList{kProbe, kWriteFrame, blockRead(0x18, 0), end}));
    QCOMPARE(VirtualSign::describeFrame(kWriteFrame), QStringLiteral("write 0x1800 22"));
    QCOMPARE(VirtualSign::describeFrame(kProbe), QStringLiteral("read  0x0000 2"));
    QCOMPARE(VirtualSign::describeFrame(end), QStringLiteral("end"));
}

void TestVirtualSign::parseFault_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<Fault>("fault");

    QTest::newRow("none") << "none" << true << Fault{};
    QTest::newRow("silent") << "silent" << true << Fault{FaultKind::Silent, 0};
    QTest::newRow("silent-after") << "silent-after=3" << true << Fault{FaultKind::SilentAfter, 3};
    QTest::newRow("double-ack") << "double-ack=7" << true << Fault{FaultKind::DoubleAckAt, 7};
    QTest::newRow("bad-read") << "bad-read=2" << true << Fault{FaultKind::BadReadMarkAt, 2};
    QTest::newRow("slow") << "slow=250" << true << Fault{FaultKind::SlowAnswers, 250};
    QTest::newRow("garbage") << "garbage" << true << Fault{FaultKind::GarbageBefore, 0};
    QTest::newRow("split") << "split" << true << Fault{FaultKind::SplitAnswers, 0};
    QTest::newRow("frame 0 does not exist") << "wrong-ack=0" << false << Fault{};
    QTest::newRow("missing number") << "silent-after" << false << Fault{};
    QTest::newRow("not a number") << "slow=soon" << false << Fault{};
    QTest::newRow("unknown") << "noisy" << false << Fault{};
}

void TestVirtualSign::parseFault()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(Fault, fault);

    const auto parsed = zlx::sim::parseFault(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QVERIFY(*parsed == fault);
        // --help lists every fault on a line of its own, with "=" where it takes a number.
        const QString name = text.section(u'=', 0, 0);
        const QString usage = QStringLiteral("\n  ") + name + (text.contains(u'=') ? u'=' : u' ');
        QVERIFY2(zlx::sim::faultHelp().contains(usage), qPrintable(zlx::sim::faultHelp()));
    }
}

void TestVirtualSign::listing_data()
{
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty 20-page sign") << memoryWith(1, {}) << "Modelo: 20 paginas\nSin programa\n";

    QTest::newRow("worked example")
        << memoryWith(1, {{0x1800, QByteArray::fromHex("0102033031205041474 94E412000010202414243 0000")},
                          {0x1C00, QByteArray::fromHex("FF")}})
        << "Modelo: 20 paginas\nPagina 1\n  1: Texto Fijo  cantidad 2  fuente 2  \"ABC\"\n";

    // On the 40-page model page 2 starts 512 bytes after page 1.
    QTest::newRow("40-page, two pages, accented text")
        << memoryWith(2, {{0x1800, title(1) + record(7, 2, 1, "12:30 pm  ") + record(9, 5, 3, "A\x1eO \x1f") + '\0'},
                          {0x1A00, title(2) + record(4, 1, 2, "Hola") + '\0'},
                          {0x1C00, "\xff"}})
        << QString::fromUtf8("Modelo: 40 paginas\n"
                             "Pagina 1\n"
                             "  1: Hora  cantidad 2  fuente 1  \"12:30 pm  \"\n"
                             "  2: Color B  cantidad 5  fuente 3  \"AÑO ñ\"\n"
                             "Pagina 2\n"
                             "  1: Desplazamiento  cantidad 1  fuente 2  \"Hola\"\n");

    QTest::newRow("damaged title, unknown effect, page without closing 0")
        << memoryWith(1, {{0x1800, QByteArray("\x01\x02\x03" "07 PAGINA ", 13) + '\0' + record(12, 0x41, 1, "X\x07")},
                          {0x1800 + 20, '\x01' + QByteArray(1024 - 21, 'Z')}})
        << "Modelo: 20 paginas\nPagina 1\n  (fila de titulo no valida)\n"
           "  1: efecto 12  cantidad 65  fuente 1  \"X\\x07\"\n"
           "  2: Texto Fijo  cantidad 90  fuente 90  \"" + QString(1024 - 20 - 3, u'Z') + "\"\n"
           "  (pagina sin cierre)\n";

    QTest::newRow("unknown model") << memoryWith(3, {}) << "Codigo de modelo desconocido: 3\n";
}

void TestVirtualSign::listing()
{
    QFETCH(QByteArray, memory);
    QFETCH(QString, expected);

    QCOMPARE(listMemory(memory), expected);
}

void TestVirtualSign::memoryFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sign.mem"));
    const QByteArray memory = memoryWith(2, {{0x1800, "abc"}});

    QString error;
    QVERIFY(saveMemoryFile(path, memory, &error));
    QCOMPARE(loadMemoryFile(path).value_or(QByteArray()), memory);

    QVERIFY(!loadMemoryFile(dir.filePath(QStringLiteral("missing.mem")), &error));
    QVERIFY(!error.isEmpty());

    QFile longer(path);
    QVERIFY(longer.open(QIODevice::Append));
    longer.write("x");
    longer.close();
    QVERIFY(!loadMemoryFile(path, &error));
    QVERIFY(error.contains(QStringLiteral("65537")));
}

QTEST_APPLESS_MAIN(TestVirtualSign)
#include "tst_sim.moc"
