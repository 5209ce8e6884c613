// The core as tables: entries, row checks, page images, frames, page fit, decoding, and project
// files: encoding, line splitting and its caps, and what reading or saving refuses.
#include "RandomProgram.h"
#include "SignBytes.h"
#include "model/MessageEntry.h"
#include "model/RowCheck.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace zlx;
using namespace signbytes;


namespace {
using Pages = QList<QByteArrayList>;  // pages[p][r] is entry (p, r)

constexpr SignModel kModel20{20, 4};
constexpr SignModel kModel40{40, 2};

SignModel modelFor(int pageCount) { return pageCount == 40 ? kModel40 : kModel20; }

MessageStore storeOf(const Pages &pages)
{
    MessageStore s;
    for (int p = 0; p < pages.size(); ++p)
        for (int r = 0; r < pages[p].size(); ++r)
            s.setEntry(p, r, pages[p][r]);
    return s;
}

const char kExamplePage[] = "010203303120504147494e412000" "010202414243" "0000";
const QByteArray kAbc = "1\x02" "2ABC";

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

class tst_Core : public QObject
{
    Q_OBJECT
private slots:
    void entryFields_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QList<int>>("fields");  // effect, amount, font, isEmpty
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("worked example") << entry::make(1, 2, '2', "ABCD") << QList<int>{1, 2, 2, 0} << QByteArray("ABCD");
        QTest::newRow("empty string") << QByteArray() << QList<int>{-1, -1, -1, 1} << QByteArray();
        QTest::newRow("effect '0' reads as empty") << QByteArray("0\x02" "2ABC") << QList<int>{0, 2, 2, 1} << QByteArray("ABC");
        QTest::newRow("amount '0' only") << QByteArray("10") << QList<int>{1, '0', -1, 0} << QByteArray();
        QTest::newRow("effect not a digit") << QByteArray("A\x02" "2") << QList<int>{-1, 2, 2, 0} << QByteArray();
        QTest::newRow("effect alone") << QByteArray("1") << QList<int>{1, -1, -1, 0} << QByteArray();
        QTest::newRow("amount 209 is no Ñ") << entry::make(9, 209, '3', "\x1e") << QList<int>{9, 209, 3, 0} << QByteArray("\x1e");
        QTest::newRow("amount 241 is no ñ") << entry::make(2, 241, ':', "x") << QList<int>{2, 241, -1, 0} << QByteArray("x");
    }

    void entryFields()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QList<int>, fields);
        QCOMPARE((QList<int>{entry::effectDigit(entry), entry::amount(entry), entry::fontDigit(entry),
                             int(entry::isEmpty(entry))}), fields);
        QTEST(entry::storedText(entry), "text");
        QCOMPARE(entry::make(1, 2, '2', "ABCD"), hex("31023241424344"));
        QCOMPARE(entry::textToStored(QString::fromUtf8("AÑOS año")), QByteArray("A\x1eOS a\x1fo"));
        QCOMPARE(entry::storedToText("A\x1eOS a\x1fo"), QString::fromUtf8("AÑOS año"));
    }

    void rowCheck_data()
    {
        QTest::addColumn<QStringList>("row");  // effect, amount, font, text
        QTest::addColumn<int>("index");
        QTest::addColumn<RowProblem>("problem");
        QTest::addColumn<int>("effectIndex");
        QTest::addColumn<int>("amount");
        auto row = [](const char *name, QStringList fields, int index, RowProblem problem, int effect, int amount) {
            QTest::newRow(name) << fields << index << problem << effect << amount;
        };
        const QString c = QStringLiteral("Caida");
        row("selected", {"Parpadeo", "4", "2", "HOLA"}, 1, RowProblem::None, 1, 4);
        row("typed name counts", {"Hora", "2", "1", ""}, -1, RowProblem::None, 6, 2);
        row("last name typed", {"Color B", "2", "1", ""}, -1, RowProblem::None, 8, 2);
        row("selection edited", {"Horas", "2", "1", ""}, 6, RowProblem::UnknownEffect, -1, 0);
        row("case matters", {"hora", "2", "1", ""}, -1, RowProblem::UnknownEffect, -1, 0);
        row("amount 1", {c, "1", "3", ""}, 2, RowProblem::None, 2, 1);
        row("amount 255", {c, "255", "3", ""}, 2, RowProblem::None, 2, 255);
        row("amount 209", {c, "209", "3", ""}, 2, RowProblem::None, 2, 209);
        row("amount blanks", {c, " 60 ", "3", ""}, 2, RowProblem::None, 2, 60);
        row("amount 12", {c, "12", "3", ""}, 2, RowProblem::None, 2, 12);
        row("amount 14", {c, "14", "3", ""}, 2, RowProblem::None, 2, 14);
        row("amount 0", {c, "0", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount 13", {c, "13", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount 256", {c, "256", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount of 4 digits", {c, "0012", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount empty", {c, "", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount sign", {c, "+5", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount fraction", {c, "2.5", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("amount colon", {c, "1:", "3", ""}, 2, RowProblem::BadAmount, 2, 0);
        row("font 4", {c, "2", "4", ""}, 2, RowProblem::BadFont, 2, 2);
        row("font empty", {c, "2", "", ""}, 2, RowProblem::BadFont, 2, 2);
        row("font 12", {c, "2", "12", ""}, 2, RowProblem::BadFont, 2, 2);
        row("font 1 and 2", {c, "2", "2", QStringLiteral("AÑOñé\xff")}, 2, RowProblem::None, 2, 2);
        // Controls a file or a sign may bring in go back out unchanged.
        row("text LF, DEL, C1", {c, "2", "1", QStringLiteral("A\nB\x01\x1d\x20\x7F\u0085\u009F")}, 2, RowProblem::None, 2, 2);
        row("text carriage return", {c, "2", "1", "A\rB"}, 2, RowProblem::BadText, 2, 2);
        row("text 0", {c, "2", "1", QString(QChar(0))}, 2, RowProblem::BadText, 2, 2);
        row("text byte 30", {c, "2", "1", QString(QChar(30))}, 2, RowProblem::BadText, 2, 2);
        row("text byte 31", {c, "2", "1", QString(QChar(31))}, 2, RowProblem::BadText, 2, 2);
        row("text 256", {c, "2", "1", QString(QChar(0x100))}, 2, RowProblem::BadText, 2, 2);
    }

    void rowCheck()
    {
        QFETCH(QStringList, row);
        QFETCH(int, index);
        QFETCH(RowProblem, problem);
        const RowCheckResult result = checkRow({row[0], index, row[1], row[2], row[3]});
        QCOMPARE(result.problem, problem);
        QTEST(result.effectIndex, "effectIndex");
        if (problem != RowProblem::UnknownEffect && problem != RowProblem::BadAmount)
            QTEST(result.amount, "amount");
        const QString message = rowProblemMessage(3, 2, problem);
        QCOMPARE(message.startsWith(QStringLiteral("No se puede guardar la página 3, fila 2: ")), problem != RowProblem::None);
    }

    void buildImages_data()
    {
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<Pages>("pages");
        QTest::addColumn<QByteArrayList>("images");

        QTest::newRow("worked example, 20 pages") << 20 << Pages{{kAbc}} << QByteArrayList{hex(kExamplePage), hex("ff")};
        QTest::newRow("worked example, 40 pages") << 40 << Pages{{kAbc}} << QByteArrayList{hex(kExamplePage), hex("ff")};
        QTest::newRow("page 1 empty, page 3 not sent") << 20 << Pages{{}, {kAbc}, {kAbc}} << QByteArrayList{hex("ff")};
        QTest::newRow("page 2 emptied: marker there")
            << 20 << Pages{{kAbc}, {}, {kAbc}} << QByteArrayList{hex(kExamplePage), hex("ff")};
        QTest::newRow("rows end at the first empty string")
            << 20 << Pages{{kAbc, "3\x05" "1x", "", kAbc}}
            << QByteArrayList{title(1) + hex("010202414243 00 030501 78 00 00"), hex("ff")};
        // An effect byte 0 behind a record's 0 would read back as the end of the page.
        QTest::newRow("effect '0' ends the rows")
            << 20 << Pages{{kAbc, "0\x02" "2XY", kAbc}} << QByteArrayList{title(1) + hex("010202414243 00 00"), hex("ff")};
        QTest::newRow("effect '0' in row 0 is the marker") << 40 << Pages{{"0\x02" "2XY", kAbc}} << QByteArrayList{hex("ff")};
        QTest::newRow("Ñ and ñ go out as 30 and 31")
            << 20 << Pages{{"6\x01" "3\x1e\x1f"}} << QByteArrayList{title(1) + hex("060103 1e1f 00 00"), hex("ff")};
        QByteArrayList twenty;
        QByteArrayList twentyImage;
        for (int r = 0; r < 21; ++r)
            twenty << "1\x01" "1" + QByteArray::number(r % 10);
        for (int r = 0; r < 20; ++r)
            twentyImage += hex("010101") + QByteArray::number(r % 10) + hex("00");
        QTest::newRow("20 rows at most") << 20 << Pages{twenty} << QByteArrayList{title(1) + twentyImage.join() + hex("00"), hex("ff")};

        Pages full(40, QByteArrayList{kAbc});
        QByteArrayList fullImages;
        for (int n = 1; n <= 40; ++n)
            fullImages << title(n) + hex("010202414243 00 00");
        QTest::newRow("every page has a message: no marker") << 40 << full << fullImages;
    }

    void buildImages()
    {
        QFETCH(int, pageCount);
        QFETCH(Pages, pages);
        const PageImageBuild build = buildPageImages(storeOf(pages), modelFor(pageCount));
        QTEST(build.images, "images");
        QVERIFY(build.cutPages.isEmpty());
        const PageFit fit = pageFit(storeOf(pages), 0, modelFor(pageCount));
        QCOMPARE(fit.size, build.images.first().size());
        QCOMPARE(fit.firstCutRow, -1);
        QVERIFY(!fit.cut());
    }

    void frameList_data()
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
            << QByteArrayList{hex("a50602180001aa00"), hex("a545021c0040") + long300.left(64) + hex("00"),
                              hex("a545021c4040") + long300.mid(64, 64) + hex("00"),
                              hex("a545021c8040") + long300.mid(128, 64) + hex("00"),
                              hex("a545021cc040") + long300.mid(192, 64) + hex("00"),
                              hex("a531021d002c") + long300.mid(256) + hex("00")};
        const QByteArray exact64(64, 'y');
        QTest::newRow("64 bytes: one full frame") << 40 << QByteArrayList{exact64} << QByteArrayList{hex("a54502180040") + exact64 + hex("00")};
    }

    void frameList()
    {
        QFETCH(int, pageCount);
        QFETCH(QByteArrayList, images);
        QTEST(buildFrameList(images, modelFor(pageCount)), "frames");
    }

    void lengthLimit_data()
    {
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<int>("extra");  // bytes beyond pageBytes - 1 before the closing 0
        for (int pageCount : {20, 40}) {
            QTest::addRow("%d pages, fits exactly", pageCount) << pageCount << 0;
            QTest::addRow("%d pages, one byte over", pageCount) << pageCount << 1;
            QTest::addRow("%d pages, far over", pageCount) << pageCount << 700;
        }
    }

    void lengthLimit()
    {
        QFETCH(int, pageCount);
        QFETCH(int, extra);
        const SignModel model = modelFor(pageCount);
        const int limit = model.pageBytes();
        // Title 14 + record header 3 + text + record's 0 = pageBytes - 1 + extra.
        const QByteArray text(limit - 1 + extra - 18, 'A');
        const MessageStore store = storeOf({{"1\x02" "2" + text}, {"1\x02" "2B"}});
        const PageImageBuild build = buildPageImages(store, model);
        QCOMPARE(build.images.size(), 3);
        const QByteArray &image = build.images.first();
        QCOMPARE(image.size(), limit);
        QVERIFY(image.endsWith(hex("41 0000")));
        QCOMPARE(build.cutPages, extra ? QList<int>{0} : QList<int>{});
        QCOMPARE(buildFrameList({image}, model).size(), 4 * model.pageUnits);
        const PageFit fit = pageFit(store, 0, model);
        QCOMPARE(fit.size, limit + extra);
        QCOMPARE(fit.capacity, limit);
        QCOMPARE(fit.over(), extra);
        QCOMPARE(fit.firstCutRow, extra ? 0 : -1);
        QCOMPARE(pageFit(QByteArrayList{"1\x02" "2", "1\x02" "2" + text.mid(4)}, model).firstCutRow, extra ? 1 : -1);
        QCOMPARE(pageFit(store, 2, model).size, 1);
    }

    void unsendable_data()
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

    void unsendable()
    {
        QFETCH(Pages, pages);
        QFETCH(int, page);
        const std::optional<EntryFault> fault = findUnsendableEntry(storeOf(pages), kModel20);
        QCOMPARE(fault.has_value(), page >= 0);
        if (fault) {
            QCOMPARE(fault->page, page);
            QTEST(fault->row, "row");
            QTEST(fault->problem, "problem");
        }
    }

    void decode_data()
    {
        QTest::addColumn<QByteArrayList>("images");
        QTest::addColumn<Pages>("pages");
        const QByteArray t1 = title(1);
        // As a read-back keeps them: the image ends with the last record's 0.
        QTest::newRow("Hora record")
            << QByteArrayList{t1 + hex("070201") + "12:30 pm  " + hex("00")} << Pages{{"7\x02" "1" "12:30 pm  "}};
        QTest::newRow("as built, with the closing 0") << QByteArrayList{t1 + hex("010202414243 00 00"), hex("ff")} << Pages{{kAbc}};
        QTest::newRow("empty image stops the pages")
            << QByteArrayList{t1 + hex("010202414243 00"), {}, title(3) + hex("010202414243 00")} << Pages{{kAbc}};
        QTest::newRow("short image: page stays empty") << QByteArrayList{t1.left(13), title(2) + hex("010202414243 00")} << Pages{{}, {kAbc}};
        QTest::newRow("effect 0 first: empty page") << QByteArrayList{t1 + hex("0000")} << Pages{};
        const QByteArray kept = t1 + hex("010202414243 00");
        QTest::newRow("no closing 0") << QByteArrayList{kept + hex("02050358")} << Pages{{kAbc}};
        QTest::newRow("short record") << QByteArrayList{kept + hex("0102 00 010202 00")} << Pages{{kAbc}};
        QTest::newRow("effect 9") << QByteArrayList{kept + hex("090201 58 00")} << Pages{{kAbc, "9\x02" "1X"}};
        QTest::newRow("effect 10") << QByteArrayList{kept + hex("0a0201 58 00")} << Pages{{kAbc}};
        QTest::newRow("effect 208") << QByteArrayList{kept + hex("d00201 58 00")} << Pages{{kAbc}};
        QTest::newRow("font 0") << QByteArrayList{kept + hex("010200 58 00")} << Pages{{kAbc}};
        QTest::newRow("font 4") << QByteArrayList{kept + hex("010204 58 00 010202 00")} << Pages{{kAbc}};
        QByteArray many = t1;
        Pages twenty(1);
        for (int i = 0; i < 21; ++i) {
            many += hex("010a02") + QByteArray::number(i) + hex("00");  // amount 10 is data here
            if (i < 20)
                twenty[0] << "1\n2" + QByteArray::number(i);
        }
        QTest::newRow("only 20 records") << QByteArrayList{many} << twenty;
    }

    void decode()
    {
        QFETCH(QByteArrayList, images);
        MessageStore store;
        decodePageImages(images, 20, store);
        QTEST(pagesOf(store, MessageStore::kPageSlots), "pages");
    }

    void roundTrip()
    {
        for (int run = 0; run < 120; ++run) {
            const int pageCount = run % 2 ? 40 : 20;
            const SignModel model = modelFor(pageCount);
            QRandomGenerator rng(0x5a4c58u + quint32(run));
            MessageStore sent;
            const PageImageBuild build = buildPageImages(testprograms::randomProgram(rng, model, sent), model);
            QVERIFY(build.cutPages.isEmpty());
            // A read-back stops at the pair of 0 bytes and keeps only the first.
            QByteArrayList readBack = build.images;
            for (QByteArray &image : readBack)
                image.chop(image.endsWith(QByteArray(2, '\0')) ? 1 : 0);
            for (const QByteArrayList &images : {build.images, readBack}) {
                MessageStore decoded;
                decodePageImages(images, pageCount, decoded);
                QCOMPARE(pagesOf(decoded, pageCount), pagesOf(sent, pageCount));
            }
        }
    }

    void encode_data()
    {
        QTest::addColumn<Pages>("pages");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("worked example, 806 bytes") << Pages{{"1\x02" "2ABC"}} << 20 << hex("310232414243 0d0a") + hex("0d0a").repeated(399);
        QTest::newRow("emptied row keeps later rows")
            << Pages{{"1\x02" "1a", "", "1\x02" "1c"}, {}, {"2\x03" "1d"}} << 20
            << QByteArray("1\x02" "1a\r\n\r\n1\x02" "1c\r\n") + hex("0d0a").repeated(37) + "2\x03" "1d\r\n" + hex("0d0a").repeated(359);
        const QByteArray anyByte("1\n2\0\xff\x1e\n", 7);  // any byte but CR: amount 10, 0, 255, 30
        QTest::newRow("40 pages, any byte") << Pages{{anyByte}} << 40 << anyByte + "\r\n" + hex("0d0a").repeated(799);
    }

    void encode()
    {
        QFETCH(Pages, pages);
        QFETCH(int, pageCount);
        QFETCH(QByteArray, file);
        const MessageStore store = storeOf(pages);
        QCOMPARE(project::encode(store, pageCount), file);
        // Loading over another program replaces it where the file has lines, the rest stays.
        MessageStore opened = storeOf({{"9\x09" "9old", "9\x09" "9old"}});
        opened.setEntry(39, 19, "9");
        project::load(*project::decodeLines(file), opened);
        QCOMPARE(opened.entry(39, 19), pageCount == 20 ? "9" : "");
        opened.setEntry(39, 19, {});
        QCOMPARE(opened, store);
    }

    void decodeLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("lines");  // {"refused"}: over the line cap
        const QByteArrayList refused{"refused"};
        QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
        QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArrayList{""};
        QTest::newRow("trailing CR LF opens no line") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
        QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QByteArrayList{"a", "b"};
        QTest::newRow("CR alone") << QByteArray("a\rb\r\rc") << QByteArrayList{"a", "b", "", "c"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("amount 10") << QByteArray("1\n2x\r\n4\n3") << QByteArrayList{"1\n2x", "4\n3"};
        QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb\r\n") << QByteArrayList{"a", "\nb"};
        QTest::newRow("bytes 0 and 255") << hex("31003200ff0d0a") << QByteArrayList{hex("31003200ff")};
        const QByteArrayList x820(820, "x");
        QTest::newRow("820 lines") << QByteArray("x\r\n").repeated(820) << x820;
        QTest::newRow("820 lines, last without end") << QByteArray("x\r\n").repeated(819) + "x" << x820;
        QTest::newRow("821 lines") << QByteArray("x\r\n").repeated(821) << refused;
        QTest::newRow("821st line without end") << QByteArray("x\r\n").repeated(820) + "x" << refused;
        QTest::newRow("821 CR-only lines") << QByteArray("\r").repeated(821) << refused;
    }

    void decodeLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArrayList, lines);
        const auto decoded = project::decodeLines(file);
        QCOMPARE(decoded.value_or(QByteArrayList{"refused"}), lines);
        if (lines.size() == 820) {
            MessageStore store;
            project::load(lines, store);
            QCOMPARE(store.entry(40, 19), "x");
        }
    }

    void readRefuses_data()
    {
        QTest::addColumn<QString>("path");  // "big:N": a file of N bytes
        QTest::addColumn<QString>("because");
        QTest::newRow("a device") << "/dev/zero" << "no es un archivo";
        QTest::newRow("a folder") << "/tmp" << "no es un archivo";
        QTest::newRow("64 MiB fits") << "big:67108864" << "";
        QTest::newRow("one byte more") << "big:67108865" << "demasiado grande";
        QTest::newRow("821 lines") << "lines:821" << "más de 820 líneas";
    }

    void readRefuses()
    {
        QFETCH(QString, path);
        QFETCH(QString, because);
        QTemporaryDir dir;
        if (path.contains(u':')) {
            QFile file(dir.filePath("p.zlx"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            const int n = path.section(u':', 1).toInt();
            QVERIFY(path.startsWith(u"big") ? file.resize(n) : file.write(QByteArray("\r\n").repeated(n)) == 2 * n);
            path = file.fileName();
        }
        const project::ReadResult result = project::readFile(path);
        QVERIFY2(because.isEmpty() ? result.error.isEmpty() : result.error.contains(because), qPrintable(result.error));
        QCOMPARE(result.lines.size(), because.isEmpty() ? 1 : 0);
    }

    // The folder takes no new file; root would ignore that, so the saves run as "nobody".
    void save()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ExeOther | QFile::ExeGroup));
        QVERIFY(QDir(dir.path()).mkdir("ro"));
        const QString path = dir.filePath("ro/p.zlx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("1\x02" "2old\r\n");
        old.close();
        constexpr uid_t kNobody = 65534;
        const bool asRoot = geteuid() == 0;
        if (asRoot && (::chown(QFile::encodeName(dir.filePath("ro")), kNobody, kNobody) != 0
                       || ::chown(QFile::encodeName(path), kNobody, kNobody) != 0))
            QFAIL(strerror(errno));
        QVERIFY(QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner));
        if (asRoot)
            QCOMPARE(::seteuid(kNobody), 0);
        // A sign written by other software can hold a carriage return in a text.
        MessageStore store = storeOf({{"1\x02" "2fine", {}, {}, {}, {}, "1\x02" "2a\rb"}});
        const QString lineBreak = project::writeFile(path, store, 20);
        const QByteArrayList kept = project::readFile(path).lines;
        store.setEntry(0, 5, "1\x02" "2ab");
        const QStringList errors{project::writeFile(path, store, 20), project::writeFile(dir.filePath("ro/new.zlx"), store, 20),
                                 project::writeFile(path + "/p.zlx", store, 20)};
        if (asRoot)
            QCOMPARE(::seteuid(0), 0);
        QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(lineBreak.contains("página 1, fila 6"), qPrintable(lineBreak));
        QCOMPARE(kept, QByteArrayList{"1\x02" "2old"});
        QCOMPARE(errors[0], QString());  // written in place
        QCOMPARE(project::readFile(path).lines.size(), 400);
        QCOMPARE(project::readFile(path).lines.value(5), QByteArray("1\x02" "2ab"));
        QVERIFY2(errors[1].contains(QString::fromLocal8Bit(strerror(EACCES))), qPrintable(errors[1]));
        QVERIFY2(errors[2].contains(path) && errors[2].contains(QString::fromLocal8Bit(strerror(ENOTDIR))), qPrintable(errors[2]));
    }
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
