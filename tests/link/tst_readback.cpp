// The read-back stepper against a sign's memory: the requests it makes, where it stops and why,
// and the page images it keeps.
#include "SignBytes.h"
#include "link/ReadBackStepper.h"

#include <QTest>

using namespace zlx;
using namespace signbytes;

namespace {
const QByteArray kAck = hex("b5");
constexpr SignModel kZ20{20, 4};
constexpr SignModel kZ40{40, 2};

// A sign's memory: page images at their page addresses, 0xFF elsewhere.
struct Memory
{
    QByteArray bytes = QByteArray(0x10000, char(0xFF));
    Memory &put(const SignModel &model, int p, const QByteArray &image)
    {
        bytes.replace(model.firstUnit(p) * 256, image.size(), image);
        return *this;
    }
};

struct ReadCase
{
    SignModel model;
    Memory memory;
    QStringList requests;  // address high/low of each request, hex
    QList<QByteArray> images;
    Outcome outcome = Outcome::Completed;
    int foreignPage = -1;
    QByteArray spoiled;  // replaces the last request's answer
};
}  // namespace

class TestReadBack : public QObject
{
    Q_OBJECT
private slots:
    void readBack_data()
    {
        QTest::addColumn<ReadCase>("c");
        const auto row = [](const char *name, SignModel model, const Memory &memory, const QStringList &requests,
                            const QList<QByteArray> &images, Outcome o = Outcome::Completed, int foreign = -1,
                            const QByteArray &spoiled = {}) {
            QTest::newRow(name) << ReadCase{model, memory, requests, images, o, foreign, spoiled};
        };
        row("no program: the first block is the end marker", kZ20, {}, {"1800"}, {});
        Memory three;
        for (int p = 0; p < 3; ++p)
            three.put(kZ20, p, page(p + 1, "ABC"));
        const QList<QByteArray> threeImages{page(1, "ABC"), page(2, "ABC"), page(3, "ABC")};
        row("three short pages", kZ20, three, {"1800", "1c00", "2000", "2400"}, threeImages);
        // A page without a pair of 0 bytes is read to its last block; 0xFF at a unit start is text.
        QByteArray long40 = page(1, {}, 0) + QByteArray(512 - 14, 'x');
        long40[256] = char(0xFF);
        row("a full page ends after its last block", kZ40, Memory{}.put(kZ40, 0, long40),
            {"1800", "1840", "1880", "18c0", "1900", "1940", "1980", "19c0", "1a00"}, {long40});
        // The pair of 0 bytes that ends a page straddles two blocks.
        const QByteArray straddling = page(1, QByteArray(46, 'y'));
        row("a pair of 0 bytes split over two blocks", kZ20, Memory{}.put(kZ20, 0, straddling + QByteArray(10, 'z')),
            {"1800", "1840", "1c00"}, {straddling});
        row("page 2 without its title row", kZ20, Memory(three).put(kZ20, 1, "garbage from elsewhere"), {"1800", "1c00"},
            threeImages.mid(0, 1), Outcome::ForeignPage, 1);
        row("bad mark at the second block", kZ20, three, {"1800", "1c00"}, threeImages.mid(0, 1), Outcome::WrongAnswer,
            -1, QByteArray(66, '\0'));
        row("an answer one byte short", kZ20, three, {"1800"}, {}, Outcome::WrongAnswer, -1, kAck + QByteArray(63, 'a'));
        ReadCase every{kZ40, {}, {}, {}, Outcome::Completed, -1, {}};
        for (int p = 0; p < 40; ++p) {
            every.memory.put(kZ40, p, page(p + 1, "ABC"));
            every.requests << QString::number(24 + 2 * p, 16) + QStringLiteral("00");
            every.images << page(p + 1, "ABC");
        }
        QTest::newRow("every page of the 40-page model, no end marker") << every;
    }

    void readBack()
    {
        QFETCH(ReadCase, c);
        ReadBackStepper reader(c.model);
        QStringList asked;
        Step step = reader.start();
        for (int guard = 0; !step.outcome && guard < 400; ++guard) {
            QVERIFY(step.awaitAnswer);
            QCOMPARE(step.write.size(), 7);
            asked << QString::fromLatin1(step.write.mid(3, 2).toHex());
            const bool spoil = !c.spoiled.isNull() && asked.size() == c.requests.size();
            const int at = quint8(step.write.at(3)) * 256 + quint8(step.write.at(4));
            step = reader.answer(spoil ? c.spoiled : block(c.memory.bytes.mid(at, 64)));
        }
        QCOMPARE(asked, c.requests);
        QCOMPARE(*step.outcome, c.outcome);
        QCOMPARE(reader.foreignPage(), c.foreignPage);
        // A page read back keeps the first 0 of the pair that ends it; the pages after are empty.
        for (QByteArray &image : c.images)
            image.chop(image.endsWith(QByteArray(2, '\0')) ? 1 : 0);
        c.images.resize(c.model.pageCount);
        QCOMPARE(reader.images(), c.images);
    }
};

QTEST_GUILESS_MAIN(TestReadBack)
#include "tst_readback.moc"
