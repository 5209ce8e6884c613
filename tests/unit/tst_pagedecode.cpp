#include "TestPrograms.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "model/MessageEntry.h"

#include "RandomProgram.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zlx;
using namespace zlx::test;

class tst_PageDecode : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
};

namespace {

Pages pagesOf(const MessageStore &store, int pageCount)
{
    Pages pages;
    for (int p = 0; p < pageCount; ++p) {
        QByteArrayList rows;
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r)
            rows << store.entry(p, r);
        while (!rows.isEmpty() && rows.last().isEmpty())
            rows.removeLast();
        pages << rows;
    }
    while (!pages.isEmpty() && pages.last().isEmpty())
        pages.removeLast();
    return pages;
}

}  // namespace

void tst_PageDecode::decode_data()
{
    QTest::addColumn<QByteArrayList>("images");
    QTest::addColumn<Pages>("pages");

    const QByteArray t1 = title(1);
    const QByteArray abc = "1\x02" "2ABC";
    // As a read-back keeps them: the image ends with the last record's 0.
    QTest::newRow("Hora record")
        << QByteArrayList{t1 + hex("070201") + "12:30 pm  " + hex("00")} << Pages{{"7\x02" "1" "12:30 pm  "}};
    QTest::newRow("as built, with the closing 0")
        << QByteArrayList{t1 + hex("010202414243 00 00"), hex("ff")} << Pages{{abc}};
    QTest::newRow("empty image stops the pages")
        << QByteArrayList{t1 + hex("010202414243 00"), {}, title(3) + hex("010202414243 00")} << Pages{{abc}};
    QTest::newRow("short image: page stays empty")
        << QByteArrayList{t1.left(13), title(2) + hex("010202414243 00")} << Pages{{}, {abc}};
    QTest::newRow("effect 0 first: empty page") << QByteArrayList{t1 + hex("0000")} << Pages{};

    const QByteArray kept = t1 + hex("010202414243 00");
    QTest::newRow("no closing 0") << QByteArrayList{kept + hex("02050358")} << Pages{{abc}};
    QTest::newRow("short record") << QByteArrayList{kept + hex("0102 00 010202 00")} << Pages{{abc}};
    QTest::newRow("effect 10") << QByteArrayList{kept + hex("0a0201 58 00")} << Pages{{abc}};
    QTest::newRow("effect 208") << QByteArrayList{kept + hex("d00201 58 00")} << Pages{{abc}};
    QTest::newRow("font 0") << QByteArrayList{kept + hex("010200 58 00")} << Pages{{abc}};
    QTest::newRow("font 4") << QByteArrayList{kept + hex("010204 58 00 010202 00")} << Pages{{abc}};

    QByteArray many = t1;
    for (int i = 0; i < 21; ++i)
        many += hex("010a02") + QByteArray::number(i) + hex("00");  // amount 10 is data here
    Pages twenty(1);
    for (int i = 0; i < 20; ++i)
        twenty[0] << "1\n2" + QByteArray::number(i);
    QTest::newRow("only 20 records") << QByteArrayList{many} << twenty;
}

void tst_PageDecode::decode()
{
    QFETCH(QByteArrayList, images);
    QFETCH(Pages, pages);

    MessageStore store;
    decodePageImages(images, 20, store);
    QCOMPARE(pagesOf(store, MessageStore::kPageSlots), pages);
}

void tst_PageDecode::roundTrip_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::newRow("20 pages") << 20;
    QTest::newRow("40 pages") << 40;
}

void tst_PageDecode::roundTrip()
{
    QFETCH(int, pageCount);
    const SignModel model = modelFor(pageCount);
    QRandomGenerator rng(0x5a4c58u + quint32(pageCount));

    for (int run = 0; run < 60; ++run) {
        MessageStore sent;
        const MessageStore program = testprograms::randomProgram(rng, model, sent);
        const PageImageBuild build = buildPageImages(program, model);
        QVERIFY(build.cutPages.isEmpty());

        MessageStore decoded;
        decodePageImages(build.images, pageCount, decoded);
        QCOMPARE(pagesOf(decoded, pageCount), pagesOf(sent, pageCount));

        // A read-back stops at the pair of 0 bytes and keeps only the first.
        QByteArrayList readBack = build.images;
        for (QByteArray &image : readBack)
            image.chop(image.endsWith(QByteArray(2, '\0')) ? 1 : 0);
        MessageStore decodedReadBack;
        decodePageImages(readBack, pageCount, decodedReadBack);
        QCOMPARE(decodedReadBack, decoded);
    }
}

QTEST_APPLESS_MAIN(tst_PageDecode)
#include "tst_pagedecode.moc"
