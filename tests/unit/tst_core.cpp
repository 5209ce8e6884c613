// The core as tables: entries, row checks, page images, frames, the probe's answer, page fit, the
// send plan, and a random program's round trip through page images.
#include "RandomProgram.h"
#include "SignBytes.h"
#include "model/MessageEntry.h"
#include "model/RowCheck.h"
#include "protocol/Answers.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "protocol/SendPlan.h"

#include <QTest>

using namespace zlx;
using namespace signbytes;

namespace {
// The two models: 20 pages of 4 units, 40 of 2.
SignModel modelFor(int pageCount) { return pageCount == 40 ? SignModel{40, 2} : SignModel{20, 4}; }

const char kExamplePage[] = "010203303120504147494e412000" "010202414243" "0000";
const QByteArray kAbc = "1\x02" "2ABC";

struct FieldCase { QByteArray entry; QList<int> fields; QByteArray text; };  // fields: effect, amount, font, isEmpty
struct RowCase { QStringList row; int index; RowProblem problem; int effectIndex; int amount; };  // row: effect, amount, font, text
struct ImageCase { int pageCount; Pages pages; QByteArrayList images; };
struct FrameCase { int pageCount; QByteArrayList images; QByteArrayList frames; };
struct FitCase { int pageCount; int extra; };  // extra: bytes beyond pageBytes - 1 before the closing 0
// The pages of a Send, what it leaves out and the first entry it has no record for; pages and
// rows from 1: "p.r".
struct PlanCase { Pages pages; int signPages; int placed; QList<int> cut, past, notReached; QStringList leftOut;
                  QString faultAt = {}; EntryProblem problem = {}; };
}  // namespace

class tst_Core : public QObject
{
    Q_OBJECT
private slots:
    void entryFields_data()
    {
        QTest::addColumn<FieldCase>("c");
        QTest::newRow("worked example") << FieldCase{entry::make(1, 2, '2', "ABCD"), {1, 2, 2, 0}, "ABCD"};
        QTest::newRow("empty string") << FieldCase{{}, {-1, -1, -1, 1}, {}};
        QTest::newRow("effect '0' reads as empty") << FieldCase{"0\x02" "2ABC", {0, 2, 2, 1}, "ABC"};
        QTest::newRow("amount '0' only") << FieldCase{"10", {1, '0', -1, 0}, {}};
        QTest::newRow("effect not a digit") << FieldCase{"A\x02" "2", {-1, 2, 2, 0}, {}};
        QTest::newRow("effect alone") << FieldCase{"1", {1, -1, -1, 0}, {}};
        QTest::newRow("amount 209 is no Ñ") << FieldCase{entry::make(9, 209, '3', "\x1e"), {9, 209, 3, 0}, "\x1e"};
        QTest::newRow("amount 241 is no ñ") << FieldCase{entry::make(2, 241, ':', "x"), {2, 241, -1, 0}, "x"};
    }

    void entryFields()
    {
        QFETCH(FieldCase, c);
        QCOMPARE((QList<int>{entry::effectDigit(c.entry), entry::amount(c.entry), entry::fontDigit(c.entry),
                             int(entry::isEmpty(c.entry))}), c.fields);
        QCOMPARE(entry::storedText(c.entry), c.text);
        QCOMPARE(entry::make(1, 2, '2', "ABCD"), hex("31023241424344"));
        QCOMPARE(entry::textToStored(QString::fromUtf8("AÑOS año")), QByteArray("A\x1eOS a\x1fo"));
        QCOMPARE(entry::storedToText("A\x1eOS a\x1fo"), QString::fromUtf8("AÑOS año"));
    }

    void rowCheck_data()
    {
        QTest::addColumn<RowCase>("c");
        auto row = [](const char *name, const RowCase &rc) { QTest::newRow(name) << rc; };
        const QString c = QStringLiteral("Caida");
        row("selected", {{"Parpadeo", "4", "2", "HOLA"}, 1, RowProblem::None, 1, 4});
        row("typed name counts", {{"Hora", "2", "1", ""}, -1, RowProblem::None, 6, 2});
        row("selection edited", {{"Horas", "2", "1", ""}, 6, RowProblem::UnknownEffect, -1, 0});
        row("case matters", {{"hora", "2", "1", ""}, -1, RowProblem::UnknownEffect, -1, 0});
        row("amount 1", {{c, "1", "3", ""}, 2, RowProblem::None, 2, 1});
        row("amount 255", {{c, "255", "3", ""}, 2, RowProblem::None, 2, 255});
        row("amount blanks", {{c, " 60 ", "3", ""}, 2, RowProblem::None, 2, 60});
        row("amount 0", {{c, "0", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount 13", {{c, "13", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount 256", {{c, "256", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount of 4 digits", {{c, "0012", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount empty", {{c, "", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount sign", {{c, "+5", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("amount colon", {{c, "1:", "3", ""}, 2, RowProblem::BadAmount, 2, 0});
        row("font 4", {{c, "2", "4", ""}, 2, RowProblem::BadFont, 2, 2});
        row("font 1 and 2", {{c, "2", "2", QStringLiteral("AÑOñé\xff")}, 2, RowProblem::None, 2, 2});
        // Controls a file or a sign may bring in go back out unchanged.
        row("text LF, DEL, C1", {{c, "2", "1", QStringLiteral("A\nB\x01\x1d\x20\x7F\u0085\u009F")}, 2, RowProblem::None, 2, 2});
        row("text carriage return", {{c, "2", "1", "A\rB"}, 2, RowProblem::BadText, 2, 2});
        row("text 0", {{c, "2", "1", QString(QChar(0))}, 2, RowProblem::BadText, 2, 2});
        row("text byte 30", {{c, "2", "1", QString(QChar(30))}, 2, RowProblem::BadText, 2, 2});
        row("text byte 31", {{c, "2", "1", QString(QChar(31))}, 2, RowProblem::BadText, 2, 2});
        row("text 256", {{c, "2", "1", QString(QChar(0x100))}, 2, RowProblem::BadText, 2, 2});
    }

    void rowCheck()
    {
        QFETCH(RowCase, c);
        const RowCheckResult result = checkRow({c.row[0], c.index, c.row[1], c.row[2], c.row[3]});
        QCOMPARE(result.problem, c.problem);
        QCOMPARE(result.effectIndex, c.effectIndex);
        if (c.problem != RowProblem::UnknownEffect && c.problem != RowProblem::BadAmount)
            QCOMPARE(result.amount, c.amount);
    }

    void buildImages_data()
    {
        QTest::addColumn<ImageCase>("c");
        auto row = [](const char *name, const ImageCase &ic) { QTest::newRow(name) << ic; };
        row("worked example, 20 pages", {20, {{kAbc}}, {hex(kExamplePage), hex("ff")}});
        row("page 2 emptied: marker there", {20, {{kAbc}, {}, {kAbc}}, {hex(kExamplePage), hex("ff")}});
        row("rows end at the first empty string",
            {20, {{kAbc, "3\x05" "1x", "", kAbc}}, {title(1) + hex("010202414243 00 030501 78 00 00"), hex("ff")}});
        // An effect byte 0 behind a record's 0 would read back as the end of the page.
        row("effect '0' ends the rows", {20, {{kAbc, "0\x02" "2XY", kAbc}}, {title(1) + hex("010202414243 00 00"), hex("ff")}});
        row("effect '0' in row 0 is the marker", {40, {{"0\x02" "2XY", kAbc}}, {hex("ff")}});
        row("Ñ and ñ go out as 30 and 31", {20, {{"6\x01" "3\x1e\x1f"}}, {title(1) + hex("060103 1e1f 00 00"), hex("ff")}});
        QByteArrayList twenty;
        QByteArrayList twentyImage;
        for (int r = 0; r < 21; ++r)
            twenty << "1\x01" "1" + QByteArray::number(r % 10);
        for (int r = 0; r < 20; ++r)
            twentyImage += hex("010101") + QByteArray::number(r % 10) + hex("00");
        row("20 rows at most", {20, {twenty}, {title(1) + twentyImage.join() + hex("00"), hex("ff")}});

        Pages full(40, QByteArrayList{kAbc});
        QByteArrayList fullImages;
        for (int n = 1; n <= 40; ++n)
            fullImages << title(n) + hex("010202414243 00 00");
        row("every page has a message: no marker", {40, full, fullImages});
    }

    void buildImages()
    {
        QFETCH(ImageCase, c);
        const PageImageBuild build = buildPageImages(storeOf(c.pages), modelFor(c.pageCount));
        QCOMPARE(build.images, c.images);
        QVERIFY(build.cutPages.isEmpty());
        const PageFit fit = pageFit(storeOf(c.pages), 0, modelFor(c.pageCount));
        QCOMPARE(fit.size, build.images.first().size());
        QCOMPARE(fit.firstCutRow, -1);
        QVERIFY(!fit.cut());
    }

    void frameList_data()
    {
        QTest::addColumn<FrameCase>("c");
        const QByteArray page = hex(kExamplePage);
        const QByteArray frame0 = hex("a51b02180016") + page + hex("00");
        QTest::newRow("worked example, 20 pages") << FrameCase{20, {page, hex("ff")}, {frame0, hex("a506021c0001ff00")}};
        QByteArray hundred;
        for (int i = 0; i < 100; ++i)
            hundred.append(char(i + 1));
        QTest::newRow("100 bytes at page index 2, 40 pages") << FrameCase{40, {hex("aa"), hex("bb"), hundred},
            {hex("a50602180001aa00"), hex("a506021a0001bb00"), hex("a545021c0040") + hundred.left(64) + hex("00"),
             hex("a529021c4024") + hundred.mid(64) + hex("00")}};
        const QByteArray long300(300, 'x');
        QTest::newRow("fifth frame starts a new unit") << FrameCase{20, {hex("aa"), long300}, {hex("a50602180001aa00"),
            hex("a545021c0040") + long300.left(64) + hex("00"), hex("a545021c4040") + long300.mid(64, 64) + hex("00"),
            hex("a545021c8040") + long300.mid(128, 64) + hex("00"), hex("a545021cc040") + long300.mid(192, 64) + hex("00"),
            hex("a531021d002c") + long300.mid(256) + hex("00")}};
    }

    void frameList()
    {
        QFETCH(FrameCase, c);
        QCOMPARE(buildFrameList(c.images, modelFor(c.pageCount)), c.frames);
    }

    // A sign answers the probe with the mark and its model code; a cut answer names no model.
    void detectionAnswer()
    {
        using answers::Detection;
        const struct { QByteArray answer; Detection kind; int modelCode; } table[] = {
            {{}, Detection::Nothing, -1}, {hex("00010000"), Detection::NotASign, -1},
            {hex("b5"), Detection::Sign, -1}, {hex("b502"), Detection::Sign, 2}, {hex("b5030000"), Detection::Sign, 3}};
        for (const auto &row : table) {
            const answers::DetectionAnswer got = answers::classifyDetection(row.answer);
            QCOMPARE(std::pair(got.kind, got.modelCode), std::pair(row.kind, row.modelCode));
        }
    }

    void lengthLimit_data()
    {
        QTest::addColumn<FitCase>("c");
        for (int pageCount : {20, 40}) {
            QTest::addRow("%d pages, fits exactly", pageCount) << FitCase{pageCount, 0};
            QTest::addRow("%d pages, one byte over", pageCount) << FitCase{pageCount, 1};
        }
    }

    void lengthLimit()
    {
        QFETCH(FitCase, c);
        const SignModel model = modelFor(c.pageCount);
        const int limit = model.pageBytes();
        // Title 14 + record header 3 + text + record's 0 = pageBytes - 1 + extra.
        const QByteArray text(limit - 1 + c.extra - 18, 'A');
        const MessageStore store = storeOf({{"1\x02" "2" + text}, {"1\x02" "2B"}});
        const PageImageBuild build = buildPageImages(store, model);
        QCOMPARE(build.images.size(), 3);
        const QByteArray &image = build.images.first();
        QCOMPARE(image.size(), limit);
        QVERIFY(image.endsWith(hex("41 0000")));
        QCOMPARE(build.cutPages, c.extra ? QList<int>{0} : QList<int>{});
        QCOMPARE(buildFrameList({image}, model).size(), 4 * model.pageUnits);
        const PageFit fit = pageFit(store, 0, model);
        QCOMPARE(fit.size, limit + c.extra);
        QCOMPARE(fit.capacity, limit);
        QCOMPARE(fit.over(), c.extra);
        QCOMPARE(fit.firstCutRow, c.extra ? 0 : -1);
        QCOMPARE(pageFit(QByteArrayList{"1\x02" "2", "1\x02" "2" + text.mid(4)}, model).firstCutRow, c.extra ? 1 : -1);
    }

    void plan_data()
    {
        QTest::addColumn<PlanCase>("c");
        const QByteArray ok = "1\x02" "2ok";
        const QByteArray zero = "0\x02" "2typed effect";
        const QByteArray stub = "1\x02";  // too short for a record
        const QByteArray longRow = "1\x02" "2" + QByteArray(100, 'L');
        Pages far(41);
        far[0] = {ok};
        far[20] = {ok};
        far[40] = {ok};
        const auto row = [](const char *name, const PlanCase &c) { QTest::newRow(name) << c; };
        row("nothing", {{}, 20, 0, {}, {}, {}, {}});
        row("two pages", {{{ok, ok}, {ok}}, 20, 2, {}, {}, {}, {}});
        // Rows that are not sent may hold anything.
        row("behind an empty row", {{{ok, "", "1\x02" "9", ok}}, 20, 1, {}, {}, {}, {"1.3", "1.4"}});
        row("behind a '0' row", {{{ok, zero, stub}}, 20, 1, {}, {}, {}, {"1.2", "1.3"}});
        row("empty page 1 before a full page 2", {{{}, {ok, ok}}, 20, 0, {}, {}, {2}, {"2.1", "2.2"}});
        row("'0' row 0 ends the program", {{{ok}, {zero, ok}, {stub}}, 20, 1, {}, {}, {2, 3}, {"2.1", "2.2", "3.1"}});
        row("pages past a 20-page sign", {far, 20, 1, {}, {21, 41}, {}, {}});
        row("page 41 past a 40-page sign, page 21 behind the end", {far, 40, 1, {}, {41}, {21}, {"21.1"}});
        row("a cut page", {{Pages::value_type(20, longRow)}, 20, 1, {1}, {}, {}, {}});
        row("controls, CR, DEL, C1, amount 13", {{{"1\x0D" "2\x01\n\r\x7F\x85\x9F\xFF"}}, 20, 1, {}, {}, {}, {}});
        row("too short", {{{ok, stub}}, 20, 1, {}, {}, {}, {}, "1.2", EntryProblem::Incomplete});
        row("effect not a digit", {{{ok}, {ok, ok, "A\x02" "2"}}, 20, 2, {}, {}, {}, {}, "2.3", EntryProblem::BadEffect});
        row("font 4", {{{ok}, {"1\x02" "4x"}}, 20, 2, {}, {}, {}, {}, "2.1", EntryProblem::BadFont});
        row("font 0", {{{"1\x02" "0x"}}, 20, 1, {}, {}, {}, {}, "1.1", EntryProblem::BadFont});
        row("amount 0", {{{ok, QByteArray("1\0" "2x", 4)}}, 20, 1, {}, {}, {}, {}, "1.2", EntryProblem::ZeroAmount});
        row("a 0 in the text", {{{stub + QByteArray("2a\0b", 4)}}, 20, 1, {}, {}, {}, {}, "1.1", EntryProblem::ZeroInText});
        row("first fault wins", {{{ok, "1\x02" "4", stub}}, 20, 1, {}, {}, {}, {}, "1.2", EntryProblem::BadFont});
    }

    void plan()
    {
        QFETCH(PlanCase, c);
        const MessageStore store = storeOf(c.pages);
        const SendPlan plan = planSend(store, modelFor(c.signPages));
        const auto fromOne = [](QList<int> pages) {
            for (int &p : pages)
                ++p;
            return pages;
        };
        QStringList leftOut;
        for (const RowRef &r : plan.rowsLeftOut)
            leftOut << QStringLiteral("%1.%2").arg(r.page + 1).arg(r.row + 1);
        QCOMPARE(plan.pagesPlaced, c.placed);
        QCOMPARE(fromOne(plan.cutPages), c.cut);
        QCOMPARE(fromOne(plan.pagesPastLast), c.past);
        QCOMPARE(fromOne(plan.pagesNotReached), c.notReached);
        QCOMPARE(leftOut, c.leftOut);
        const std::optional<EntryFault> fault = findUnsendableEntry(store, modelFor(c.signPages));
        QCOMPARE(fault ? QStringLiteral("%1.%2").arg(fault->page + 1).arg(fault->row + 1) : QString(), c.faultAt);
        if (fault)
            QCOMPARE(fault->problem, c.problem);
    }

    void roundTrip()
    {
        for (int run = 0; run < 120; ++run) {
            const int pageCount = run % 2 ? 40 : 20;
            const SignModel model = modelFor(pageCount);
            QRandomGenerator rng(0x5a4c58u + quint32(run));
            MessageStore sent;
            const PageImageBuild build = buildPageImages(testprograms::randomProgram(rng, model, sent), model);
            // A read-back stops at the pair of 0 bytes and keeps only the first.
            QByteArrayList readBack = build.images;
            for (QByteArray &image : readBack)
                image.chop(image.endsWith(QByteArray(2, '\0')) ? 1 : 0);
            for (const QByteArrayList &images : {build.images, readBack}) {
                MessageStore decoded;
                decodePageImages(images, pageCount, decoded);
                QCOMPARE(decoded, sent);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
