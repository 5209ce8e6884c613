// The transfer and read-back steppers: answers in, writes and outcomes out. No port, no timer.
#include "link/ReadBackStepper.h"
#include "link/TransferStepper.h"
#include "protocol/Frames.h"

#include <QTest>

using namespace zlx;

Q_DECLARE_METATYPE(zlx::Outcome)

namespace {
const QByteArray kEnd = QByteArray::fromHex("a502b500");
constexpr SignModel kZ20{20, 4};
constexpr SignModel kZ40{40, 2};

// A sign's memory: page images at their page addresses, 0xFF elsewhere.
struct Memory
{
    QByteArray bytes = QByteArray(0x10000, char(0xFF));
    void put(const SignModel &model, int page, const QByteArray &image)
    {
        bytes.replace(model.firstUnit(page) * 256, image.size(), image);
    }
    QByteArray answer(const QByteArray &request) const
    {
        const int at = quint8(request.at(3)) * 256 + quint8(request.at(4));
        return QByteArray(1, char(frames::kMark)) + bytes.mid(at, 64) + QByteArray(1, '\0');
    }
};

}  // namespace

Q_DECLARE_METATYPE(Memory)

namespace {
QByteArray page(int n, const QByteArray &records)
{
    return QByteArray::fromHex("010203") + QByteArray::number(n).rightJustified(2, '0')
        + " PAGINA " + QByteArray(1, '\0') + records + QByteArray(1, '\0');
}
}  // namespace

class TestSteppers : public QObject
{
    Q_OBJECT
private slots:
    void transfer_data();
    void transfer();
    void readBack_data();
    void readBack();
};

void TestSteppers::transfer_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("acknowledged");
    QTest::addColumn<Outcome>("outcome");
    const QByteArray ack = QByteArray::fromHex("b5");
    QTest::newRow("one frame, then the end frame") << 1 << QList<QByteArray>{ack} << 1 << 1 << Outcome::Completed;
    QTest::newRow("three frames") << 3 << QList<QByteArray>{ack, ack, ack} << 3 << 3 << Outcome::Completed;
    QTest::newRow("00 at frame 2") << 3 << QList<QByteArray>{ack, QByteArray(1, '\0')} << 2 << 1 << Outcome::WrongAnswer;
    QTest::newRow("FF at frame 1") << 2 << QList<QByteArray>{QByteArray::fromHex("ff")} << 1 << 0 << Outcome::WrongAnswer;
    QTest::newRow("two acknowledgements at once") << 2 << QList<QByteArray>{QByteArray::fromHex("b5b5")} << 1 << 0 << Outcome::WrongAnswer;
    QTest::newRow("an empty read") << 2 << QList<QByteArray>{QByteArray()} << 1 << 0 << Outcome::WrongAnswer;
}

void TestSteppers::transfer()
{
    QFETCH(int, frames);
    QFETCH(QList<QByteArray>, answers);
    QList<QByteArray> list;
    for (int i = 0; i < frames; ++i)
        list.append(frames::writeFrame(quint8(24 + i), 0, QByteArray(1, char(i + 1))));
    TransferStepper transfer(list);
    QList<QByteArray> wire;
    Step step = transfer.start();
    QVERIFY(step.awaitAnswer);
    for (const QByteArray &answer : answers) {
        wire.append(step.write);
        QVERIFY(!step.outcome);
        step = transfer.answer(answer);
    }
    QTEST(transfer.written(), "written");
    QTEST(transfer.acknowledged(), "acknowledged");
    QTEST(*step.outcome, "outcome");
    // Each frame goes out once, in order; the end frame follows only a complete transfer.
    QCOMPARE(wire, list.mid(0, wire.size()));
    QCOMPARE(step.write, *step.outcome == Outcome::Completed ? kEnd : QByteArray());
    QVERIFY(!step.awaitAnswer);
}

void TestSteppers::readBack_data()
{
    QTest::addColumn<SignModel>("model");
    QTest::addColumn<Memory>("memory");
    QTest::addColumn<QStringList>("requests");  // address high/low of each request, hex
    QTest::addColumn<QList<QByteArray>>("images");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("foreignPage");
    QTest::addColumn<int>("spoilAt");  // the answer to this request (from 0) is replaced
    QTest::addColumn<QByteArray>("spoiled");

    Memory blank;
    QTest::newRow("no program: the first block is the end marker")
        << kZ20 << blank << QStringList{"1800"} << QList<QByteArray>{} << Outcome::Completed << -1 << -1 << QByteArray();

    Memory three;
    const QByteArray row = QByteArray::fromHex("010202") + "ABC" + QByteArray(1, '\0');
    for (int p = 0; p < 3; ++p)
        three.put(kZ20, p, page(p + 1, row));
    QTest::newRow("three short pages, 20-page model")
        << kZ20 << three << QStringList{"1800", "1c00", "2000", "2400"}
        << QList<QByteArray>{page(1, row), page(2, row), page(3, row)} << Outcome::Completed << -1 << -1 << QByteArray();

    Memory three40;
    for (int p = 0; p < 3; ++p)
        three40.put(kZ40, p, page(p + 1, row));
    QTest::newRow("three short pages, 40-page model")
        << kZ40 << three40 << QStringList{"1800", "1a00", "1c00", "1e00"}
        << QList<QByteArray>{page(1, row), page(2, row), page(3, row)} << Outcome::Completed << -1 << -1 << QByteArray();

    // A page without a pair of 0 bytes is read to its last block; 0xFF at a unit start inside
    // it is text.
    Memory full;
    QByteArray long40 = page(1, {}).left(14) + QByteArray(512 - 14, 'x');
    long40[256] = char(0xFF);
    full.put(kZ40, 0, long40);
    QStringList fullRequests;
    for (const char *a : {"1800", "1840", "1880", "18c0", "1900", "1940", "1980", "19c0", "1a00"})
        fullRequests << QString::fromLatin1(a);
    QTest::newRow("a full page ends after its last block")
        << kZ40 << full << fullRequests << QList<QByteArray>{long40} << Outcome::Completed << -1 << -1 << QByteArray();

    // The pair of 0 bytes that ends a page straddles two blocks.
    Memory split;
    const QByteArray straddling = page(1, QByteArray::fromHex("010202") + QByteArray(46, 'y') + QByteArray(1, '\0'));
    split.put(kZ20, 0, straddling + QByteArray(10, 'z'));
    QTest::newRow("a pair of 0 bytes split over two blocks")
        << kZ20 << split << QStringList{"1800", "1840", "1c00"} << QList<QByteArray>{straddling}
        << Outcome::Completed << -1 << -1 << QByteArray();

    Memory foreign = three;
    foreign.put(kZ20, 1, QByteArray("garbage from elsewhere"));
    QTest::newRow("page 2 without its title row")
        << kZ20 << foreign << QStringList{"1800", "1c00"} << QList<QByteArray>{page(1, row)}
        << Outcome::ForeignPage << 1 << -1 << QByteArray();
    QTest::newRow("bad mark at the second block")
        << kZ20 << three << QStringList{"1800", "1c00"} << QList<QByteArray>{page(1, row)}
        << Outcome::WrongAnswer << -1 << 1 << QByteArray(66, '\0');
    QTest::newRow("an answer one byte short")
        << kZ20 << three << QStringList{"1800"} << QList<QByteArray>{}
        << Outcome::WrongAnswer << -1 << 0 << (QByteArray::fromHex("b5") + QByteArray(63, 'a'));

    Memory every;
    for (int p = 0; p < 40; ++p)
        every.put(kZ40, p, page(p + 1, row));
    QStringList everyRequest;
    for (int p = 0; p < 40; ++p)
        everyRequest << QString::number(24 + 2 * p, 16) + QStringLiteral("00");
    QList<QByteArray> everyImage;
    for (int p = 0; p < 40; ++p)
        everyImage << page(p + 1, row);
    QTest::newRow("every page of the 40-page model, no end marker")
        << kZ40 << every << everyRequest << everyImage << Outcome::Completed << -1 << -1 << QByteArray();
}

void TestSteppers::readBack()
{
    QFETCH(SignModel, model);
    QFETCH(Memory, memory);
    QFETCH(QList<QByteArray>, images);
    QFETCH(int, spoilAt);
    QFETCH(QByteArray, spoiled);
    ReadBackStepper reader(model);
    QStringList requests;
    Step step = reader.start();
    for (int guard = 0; !step.outcome && guard < 400; ++guard) {
        QVERIFY(step.awaitAnswer);
        requests << QString::fromLatin1(step.write.mid(3, 2).toHex());
        QCOMPARE(step.write.size(), 7);
        step = reader.answer(requests.size() - 1 == spoilAt ? spoiled : memory.answer(step.write));
    }
    QTEST(requests, "requests");
    QTEST(*step.outcome, "outcome");
    QTEST(reader.foreignPage(), "foreignPage");
    QCOMPARE(reader.images().size(), model.pageCount);
    // A page read back keeps the first 0 of the pair that ends it.
    for (QByteArray &image : images) {
        if (image.endsWith(QByteArray(2, '\0')))
            image.chop(1);
    }
    QCOMPARE(reader.images().mid(0, images.size()), images);
    for (qsizetype p = images.size(); p < model.pageCount; ++p)
        QVERIFY(reader.images().at(p).isEmpty());
}

QTEST_APPLESS_MAIN(TestSteppers)
#include "tst_steppers.moc"
