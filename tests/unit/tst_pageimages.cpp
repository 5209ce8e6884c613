#include "TestPrograms.h"
#include "protocol/PageImages.h"

#include <QTest>

using namespace zlx;
using namespace zlx::test;

class tst_PageImages : public QObject
{
    Q_OBJECT

private slots:
    void buildImages_data();
    void buildImages();
    void frameList_data();
    void frameList();
    void lengthLimit_data();
    void lengthLimit();
    void shorterSecondBuildEndsWithMarker();
    void unsendable_data();
    void unsendable();
};

namespace {
const char kExamplePage[] = "010203303120504147494e412000" "010202414243" "0000";
}

void tst_PageImages::buildImages_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<QByteArrayList>("images");

    const QByteArray abc = QByteArray("1\x02" "2ABC");
    QTest::newRow("worked example, 20 pages") << 20 << Pages{{abc}} << QByteArrayList{hex(kExamplePage), hex("ff")};
    QTest::newRow("worked example, 40 pages") << 40 << Pages{{abc}} << QByteArrayList{hex(kExamplePage), hex("ff")};
    QTest::newRow("page 1 empty, page 3 not sent") << 20 << Pages{{}, {abc}, {abc}} << QByteArrayList{hex("ff")};
    QTest::newRow("rows end at the first empty string")
        << 20 << Pages{{abc, "3\x05" "1x", "", abc}}
        << QByteArrayList{title(1) + hex("010202414243 00 030501 78 00 00"), hex("ff")};
    // An effect byte 0 behind a record's 0 would read back as the end of the page.
    QTest::newRow("effect '0' ends the rows")
        << 20 << Pages{{abc, "0\x02" "2XY", abc}} << QByteArrayList{title(1) + hex("010202414243 00 00"), hex("ff")};
    QTest::newRow("effect '0' in row 0 is the marker") << 40 << Pages{{"0\x02" "2XY", abc}} << QByteArrayList{hex("ff")};
    QTest::newRow("Ñ and ñ go out as 30 and 31")
        << 20 << Pages{{"6\x01" "3\x1e\x1f"}} << QByteArrayList{title(1) + hex("060103 1e1f 00 00"), hex("ff")};

    Pages full(20, QByteArrayList{abc});
    QByteArrayList fullImages;
    for (int n = 1; n <= 20; ++n)
        fullImages << title(n) + hex("010202414243 00 00");
    QTest::newRow("every page has a message: no marker") << 20 << full << fullImages;
}

void tst_PageImages::buildImages()
{
    QFETCH(int, pageCount);
    QFETCH(Pages, pages);
    QFETCH(QByteArrayList, images);

    const PageImageBuild build = buildPageImages(storeOf(pages), modelFor(pageCount));
    QCOMPARE(build.images, images);
    QVERIFY(build.cutPages.isEmpty());
}

void tst_PageImages::frameList_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<QByteArrayList>("images");
    QTest::addColumn<QByteArrayList>("frames");

    const QByteArray page = hex(kExamplePage);
    const QByteArray frame0 = hex("a51b02180016") + page + hex("00");
    QTest::newRow("worked example, 20 pages")
        << 20 << QByteArrayList{page, hex("ff")} << QByteArrayList{frame0, hex("a506021c0001ff00")};
    QTest::newRow("worked example, 40 pages")
        << 40 << QByteArrayList{page, hex("ff")} << QByteArrayList{frame0, hex("a506021a0001ff00")};
    QTest::newRow("marker only") << 20 << QByteArrayList{hex("ff")} << QByteArrayList{hex("a50602180001ff00")};

    QByteArray hundred;
    for (int i = 0; i < 100; ++i)
        hundred.append(char(i + 1));
    QTest::newRow("100 bytes at page index 2, 40 pages")
        << 40 << QByteArrayList{hex("aa"), hex("bb"), hundred}
        << QByteArrayList{hex("a50602180001aa00"), hex("a506021a0001bb00"),
                          hex("a545021c0040") + hundred.left(64) + hex("00"),
                          hex("a529021c4024") + hundred.mid(64) + hex("00")};

    const QByteArray long300(300, 'x');
    QTest::newRow("fifth frame starts a new unit")
        << 20 << QByteArrayList{hex("aa"), long300}
        << QByteArrayList{hex("a50602180001aa00"),
                          hex("a545021c0040") + long300.left(64) + hex("00"),
                          hex("a545021c4040") + long300.mid(64, 64) + hex("00"),
                          hex("a545021c8040") + long300.mid(128, 64) + hex("00"),
                          hex("a545021cc040") + long300.mid(192, 64) + hex("00"),
                          hex("a531021d002c") + long300.mid(256) + hex("00")};
    const QByteArray exact64(64, 'y');
    QTest::newRow("64 bytes: one full frame")
        << 40 << QByteArrayList{exact64} << QByteArrayList{hex("a54502180040") + exact64 + hex("00")};
}

void tst_PageImages::frameList()
{
    QFETCH(int, pageCount);
    QFETCH(QByteArrayList, images);
    QFETCH(QByteArrayList, frames);

    QCOMPARE(buildFrameList(images, modelFor(pageCount)), frames);
}

void tst_PageImages::lengthLimit_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<int>("extra");  // bytes beyond pageBytes - 1 before the closing 0

    for (int pageCount : {20, 40}) {
        QTest::addRow("%d pages, fits exactly", pageCount) << pageCount << 0;
        QTest::addRow("%d pages, one byte over", pageCount) << pageCount << 1;
        QTest::addRow("%d pages, far over", pageCount) << pageCount << 700;
    }
}

void tst_PageImages::lengthLimit()
{
    QFETCH(int, pageCount);
    QFETCH(int, extra);

    const SignModel model = modelFor(pageCount);
    const int limit = model.pageBytes();
    // Title 14 + record header 3 + text + record's 0 = pageBytes - 1 + extra.
    const QByteArray text(limit - 1 + extra - 18, 'A');
    const PageImageBuild build = buildPageImages(storeOf({{"1\x02" "2" + text}, {"1\x02" "2B"}}), model);

    QCOMPARE(build.images.size(), 3);
    const QByteArray &image = build.images.first();
    QCOMPARE(image.size(), limit);
    QVERIFY(image.endsWith(hex("41 0000")));
    QCOMPARE(build.cutPages, extra ? QList<int>{0} : QList<int>{});
    QCOMPARE(buildFrameList({image}, model).size(), 4 * model.pageUnits);
}

void tst_PageImages::shorterSecondBuildEndsWithMarker()
{
    MessageStore store = storeOf({{"1\x02" "2A"}, {"1\x02" "2B"}, {"1\x02" "2C"}});
    QCOMPARE(buildFrameList(buildPageImages(store, kModel20).images, kModel20).size(), 4);

    store.setEntry(1, 0, {});
    const QByteArrayList frames = buildFrameList(buildPageImages(store, kModel20).images, kModel20);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.last(), hex("a506021c0001ff00"));
}

void tst_PageImages::unsendable_data()
{
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<int>("page");  // -1: nothing found
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("problem");

    const QByteArray ok = "1\x02" "2ok";
    QTest::newRow("all fine") << Pages{{ok, ok}, {ok}} << -1 << 0 << QString();
    QTest::newRow("controls, CR, DEL, C1, amount 13")
        << Pages{{"1\x0D" "2\x01\n\r\x7F\x85\x9F\xFF"}} << -1 << 0 << QString();
    QTest::newRow("too short") << Pages{{ok, "1\x02"}} << 0 << 1 << "la fila está incompleta";
    QTest::newRow("effect not a digit") << Pages{{ok}, {ok, ok, "A\x02" "2"}} << 1 << 2 << "el efecto no es válido";
    QTest::newRow("font 4") << Pages{{ok}, {"1\x02" "4x"}} << 1 << 0 << "la fuente no es 1, 2 ni 3";
    QTest::newRow("font 0") << Pages{{"1\x02" "0x"}} << 0 << 0 << "la fuente no es 1, 2 ni 3";
    QTest::newRow("amount 0") << Pages{{ok, QByteArray("1\0" "2x", 4)}} << 0 << 1 << "la cantidad es 0";
    QTest::newRow("a 0 in the text")
        << Pages{{QByteArray("1\x02" "2a\0b", 6)}} << 0 << 0 << QString::fromUtf8("el texto contiene un carácter de código 0");
    QTest::newRow("first fault wins") << Pages{{ok, "1\x02" "4", "1\x02"}} << 0 << 1 << "la fuente no es 1, 2 ni 3";
    QTest::newRow("behind an empty row") << Pages{{ok, "", "1\x02" "9"}} << -1 << 0 << QString();
    QTest::newRow("behind effect '0'") << Pages{{ok, "0\x02" "2", "1\x02"}} << -1 << 0 << QString();
    QTest::newRow("behind the marker page") << Pages{{ok}, {}, {"1\x02"}} << -1 << 0 << QString();
}

void tst_PageImages::unsendable()
{
    QFETCH(Pages, pages);
    QFETCH(int, page);
    QFETCH(int, row);
    QFETCH(QString, problem);

    const std::optional<EntryFault> fault = findUnsendableEntry(storeOf(pages), kModel20);
    QCOMPARE(fault.has_value(), page >= 0);
    if (fault) {
        QCOMPARE(fault->page, page);
        QCOMPARE(fault->row, row);
        QCOMPARE(fault->problem, problem);
    }
}

QTEST_APPLESS_MAIN(tst_PageImages)
#include "tst_pageimages.moc"
