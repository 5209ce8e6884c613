// zantolux-cli's formats as tables: the text escapes of the show format, a show line read back
// field by field, show's lines, input cut into lines in pieces, and what saving refuses.
#include "cli/CliTexts.h"
#include "cli/ProgramSource.h"
#include "cli/ProgramText.h"
#include "cli/TextEscapes.h"
#include "model/MessageEntry.h"
#include "project/LineSplitter.h"
#include "project/ProjectIo.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zlx;
using namespace zlx::cli;

namespace {
QByteArray hex(const char *digits) { return QByteArray::fromHex(digits); }
using Rows = QList<std::pair<std::pair<int, int>, QByteArray>>;  // (page, row) from 1, entry
}  // namespace

class TestCliFiles : public QObject
{
    Q_OBJECT
private slots:
    void escape_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("plain") << QByteArray("Hola 1") << QByteArray("Hola 1");
        QTest::newRow("backslash, tab, line feed") << hex("5c 09 0a") << QByteArray(R"(\\\t\n)");
        QTest::newRow("the sign's enye") << hex("1e 1f") << QByteArray("Ññ");
        QTest::newRow("Latin-1 enye") << hex("d1 f1") << QByteArray(R"(\xd1\xf1)");
        QTest::newRow("control bytes") << hex("01 08 0b 0c 1d 20 7e 7f 80 9f") << QByteArray(R"(\x01\x08\x0b\x0c\x1d ~\x7f\x80\x9f)");
        QTest::newRow("Latin-1 letters") << hex("a0 c1 e9 ff") << hex("c2a0 c381 c3a9 c3bf");
    }

    void escape()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, shown);
        QCOMPARE(escapes::escape(stored), shown);
        QCOMPARE(escapes::unescape(shown).stored, stored);
    }

    // Every byte a text may hold comes back; \x takes either case.
    void everyByteComesBack()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r')
                all.append(char(b));
        const escapes::Unescaped back = escapes::unescape(escapes::escape(all));
        QCOMPARE(back.problem, escapes::TextProblem::None);
        QCOMPARE(back.stored, all);
        QCOMPARE(escapes::unescape(R"(\xD1\xaB\x1E)").stored, hex("d1 ab 1e"));
    }

    void unescapeRefuses_data()
    {
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<escapes::TextProblem>("problem");
        QTest::addColumn<QString>("what");
        using P = escapes::TextProblem;
        QTest::newRow("unknown escape") << QByteArray(R"(a\qb)") << P::BadEscape << R"(\q)";
        QTest::newRow("a short \\x") << QByteArray(R"(a\x4)") << P::BadEscape << R"(\x4)";
        QTest::newRow("not hex") << QByteArray(R"(\xg1)") << P::BadEscape << R"(\xg1)";
        QTest::newRow("a lone backslash at the end") << QByteArray(R"(ab\)") << P::BadEscape << R"(\)";
        QTest::newRow("byte 0") << QByteArray(R"(a\x00)") << P::ZeroByte << "";
        QTest::newRow("carriage return escaped") << QByteArray(R"(a\x0D)") << P::CarriageReturn << "";
        QTest::newRow("carriage return as it is") << QByteArray("a\rb") << P::CarriageReturn << "";
        QTest::newRow("no single-byte code") << QByteArray("a€") << P::NoSingleByte << "€";
        QTest::newRow("two bytes, past Latin-1") << hex("df 80") << P::NoSingleByte << "߀";
        QTest::newRow("outside the basic plane") << QByteArray("\xf0\x9f\x98\x80") << P::NoSingleByte << "😀";
        QTest::newRow("a Latin-1 byte") << hex("61 f1") << P::NotUtf8 << "";
        QTest::newRow("a sequence cut short") << hex("61 c3") << P::NotUtf8 << "";
        QTest::newRow("a lead byte then ASCII") << hex("c3 41") << P::NotUtf8 << "";
        QTest::newRow("overlong") << hex("c0 80") << P::NotUtf8 << "";
        QTest::newRow("a surrogate") << hex("ed a0 80") << P::NotUtf8 << "";
    }

    void unescapeRefuses()
    {
        QFETCH(QByteArray, shown);
        QFETCH(escapes::TextProblem, problem);
        QFETCH(QString, what);
        const escapes::Unescaped back = escapes::unescape(shown);
        QCOMPARE(back.problem, problem);
        QCOMPARE(back.what, what);
    }

    void parseRow_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("entry");  // hex
        QTest::addColumn<QString>("error");
        QTest::newRow("a row") << QByteArray("1\t2\tTexto Fijo\t5\t2\tab") << hex("31 05 32 61 62") << "";
        QTest::newRow("name in any case, no text") << QByteArray("40\t20\ttexto FIJO\t1\t1\t") << hex("31 01 31") << "";
        QTest::newRow("accent and blanks") << QByteArray("1\t1\t  Caída \t 255 \t 3 \tñ") << hex("33 ff 33 1f") << "";
        QTest::newRow("two words, blanks between") << QByteArray("1\t1\tcolor   b\t7\t1\tx") << hex("39 07 31 78") << "";
        QTest::newRow("effect digit") << QByteArray("1\t1\t6\t10\t1\tx") << hex("36 0a 31 78") << "";
        QTest::newRow("effect digit 0") << QByteArray("1\t1\t0\t1\t1\tx") << QByteArray()
                                        << R"(unknown effect "0" (a name such as "Texto Fijo", or a digit 1 to 9))";
        QTest::newRow("unknown effect") << QByteArray("1\t1\tFijo\t1\t1\tx") << QByteArray()
                                        << R"(unknown effect "Fijo" (a name such as "Texto Fijo", or a digit 1 to 9))";
        QTest::newRow("amount 300") << QByteArray("1\t1\t1\t300\t1\tx") << QByteArray() << "amount 300 is outside 1–255";
        QTest::newRow("amount 0") << QByteArray("1\t1\t1\t0\t1\tx") << QByteArray() << "amount 0 is outside 1–255";
        QTest::newRow("amount abc") << QByteArray("1\t1\t1\tabc\t1\tx") << QByteArray() << R"(amount "abc" is not a whole number)";
        QTest::newRow("amount 13") << QByteArray("1\t1\t1\t13\t1\tx") << QByteArray()
                                   << "amount 13 cannot be kept: it is a carriage return, which ends a project file's line";
        QTest::newRow("font 0") << QByteArray("1\t1\t1\t1\t0\tx") << QByteArray() << R"(font "0" is not 1, 2 or 3)";
        QTest::newRow("font 12") << QByteArray("1\t1\t1\t1\t12\tx") << QByteArray() << R"(font "12" is not 1, 2 or 3)";
        QTest::newRow("page 0") << QByteArray("0\t1\t1\t1\t1\tx") << QByteArray() << "page 0 is outside 1–40";
        QTest::newRow("page 41") << QByteArray("41\t1\t1\t1\t1\tx") << QByteArray() << "page 41 is outside 1–40";
        QTest::newRow("row 21") << QByteArray("1\t21\t1\t1\t1\tx") << QByteArray() << "row 21 is outside 1–20";
        QTest::newRow("row empty") << QByteArray("1\t\t1\t1\t1\tx") << QByteArray() << R"(row "" is not a whole number)";
        QTest::newRow("five fields") << QByteArray("1\t1\t1\t1\t1") << QByteArray()
                                     << R"(expected 6 tab-separated fields, found 5 (a tab in a text is written \t))";
        QTest::newRow("a tab in the text") << QByteArray("1\t1\t1\t1\t1\ta\tb") << QByteArray()
                                           << R"(expected 6 tab-separated fields, found 7 (a tab in a text is written \t))";
        QTest::newRow("a bad text") << QByteArray("1\t1\t1\t1\t1\t€") << QByteArray() << R"("€" (U+20AC) has no single-byte code)";
    }

    void parseRow()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, entry);
        QFETCH(QString, error);
        const ProgramText::Row row = ProgramText::parseRow(line);
        QCOMPARE(row.error, error);
        QCOMPARE(row.entry, entry);
    }

    void isRowLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("row");
        QTest::newRow("page line") << QByteArray("page 12: 60 of 1024 bytes") << false;
        QTest::newRow("blank") << QByteArray(" \t ") << false;
        QTest::newRow("page line, a 0 in its number") << QByteArray("page 40: 1 of 512 bytes") << false;
        QTest::newRow("page without number") << QByteArray("page : x") << true;
        QTest::newRow("page number without colon") << QByteArray("page 12") << true;
        QTest::newRow("a row") << QByteArray("1\t1\t1\t1\t1\tpage 1:") << true;
    }

    void isRowLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, row);
        QCOMPARE(ProgramText::isRowLine(line), row);
    }

    void format_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<bool>("json");
        QTest::addColumn<QByteArrayList>("lines");
        const QByteArray longText(1100, 'x');
        // Page 41 is no page of a program: never shown.
        const Rows program{{{1, 1}, "2\x03" "1a\\b\x1e"}, {{1, 2}, "0\x03" "1hidden"}, {{1, 3}, "9\xff" "3"},
                           {{2, 1}, "1\x01" "2" + longText}, {{21, 1}, "5\x09" "1far"}, {{41, 1}, "1\x01" "1none"}};
        QTest::newRow("text") << program << false
                              << QByteArrayList{"1\t1\tParpadeo\t3\t1\ta\\\\bÑ", "1\t3\tColor B\t255\t3\t",
                                                "page 1: 23 of 1024 bytes", "2\t1\tTexto Fijo\t1\t2\t" + longText,
                                                "page 2: 1119 of 1024 bytes, cut: 95 bytes over", "21\t1\tAbrirse\t9\t1\tfar"};
        QTest::newRow("json") << Rows{{{1, 1}, "2\x03" "1a\\b\x1e"}} << true
                              << QByteArrayList{R"({"amount":3,"effect":2,"effect_name":"Parpadeo","font":1,"page":1,"row":1,"text":"a\\\\bÑ"})",
                                                R"({"bytes":23,"capacity":1024,"cut":false,"page":1})"};
    }

    void format()
    {
        QFETCH(Rows, rows);
        QFETCH(bool, json);
        QFETCH(QByteArrayList, lines);
        MessageStore store;
        for (const auto &[at, e] : rows)
            store.setEntry(at.first - 1, at.second - 1, e);
        QByteArrayList got;
        QVERIFY(ProgramText::format(store, *modelWithPages(20), json, [&got](const QByteArray &line) {
            got.append(line);
            return true;
        }));
        QCOMPARE(got, lines);
        // A sink that stops stops the lines.
        got.clear();
        QVERIFY(!ProgramText::format(store, *modelWithPages(20), json, [&got](const QByteArray &line) {
            got.append(line);
            return false;
        }));
        QCOMPARE(got.size(), 1);
    }

    // Lines come out the same however the bytes are cut into pieces.
    void lineSplitter_data()
    {
        QTest::addColumn<bool>("crEnds");  // project files; else text
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("project: CR LF, CR, LF inside") << true << QByteArray("a\r\nb\rc\nd\r\r\ne") << QByteArrayList{"a", "b", "c\nd", "", "e"};
        QTest::newRow("project: CR LF at the end") << true << QByteArray("a\r\n") << QByteArrayList{"a"};
        QTest::newRow("project: LF first") << true << QByteArray("\na\r") << QByteArrayList{"\na"};
        QTest::newRow("text: LF, CR LF, CR inside") << false << QByteArray("a\nb\r\nc\rd\n\ne") << QByteArrayList{"a", "b", "c\rd", "", "e"};
        QTest::newRow("text: CR at the very end") << false << QByteArray("a\nb\r") << QByteArrayList{"a", "b"};
        QTest::newRow("nothing") << false << QByteArray() << QByteArrayList{};
    }

    void lineSplitter()
    {
        QFETCH(bool, crEnds);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, lines);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            QByteArrayList got;
            const project::LineSplitter::LineSink take = [&got](QByteArray &&line) {
                got.append(line);
                return true;
            };
            project::LineSplitter splitter(crEnds ? project::LineSplitter::End::Cr : project::LineSplitter::End::Lf);
            QVERIFY(splitter.feed(bytes.first(cut), take));
            QVERIFY(splitter.feed({}, take));
            QVERIFY(splitter.feed(bytes.sliced(cut), take));
            QVERIFY(splitter.finish(take));
            QVERIFY2(got == lines, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }

    // A file read and checked line by line: the store it gives, or the reason naming the line.
    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");  // @ is the file's path
        QTest::addColumn<QByteArray>("lastRow");  // entry (40, 20) when read
        const QByteArray row800 = QByteArray("\r\n").repeated(799) + "1\x02" "1z\r\n";
        QTest::newRow("page 40, row 20") << "p.zlx" << row800 << "" << QByteArray("1\x02" "1z");
        QTest::newRow("page 41 empty") << "p.zlx" << row800 + QByteArray("\r\n").repeated(20) << "" << QByteArray("1\x02" "1z");
        QTest::newRow("page 41 row 20") << "p.zlx" << row800 + QByteArray("\r\n").repeated(19) + "x" << "@: line 820 (page 41, row 20): page 41 is past the last page, 40" << QByteArray("1\x02" "1z");
        QTest::newRow("a short row") << "p.zlx" << QByteArray("\r\n1\x02") << "@: line 2 (page 1, row 2): the row has 2 bytes, fewer than its effect, amount and font" << QByteArray();
        QTest::newRow("font byte") << "p.zlx" << QByteArray("1\x02\x01") << "@: line 1 (page 1, row 1): font \"\\x01\" is not 1, 2 or 3" << QByteArray();
        QTest::newRow("amount 0") << "p.zlx" << QByteArray("1\0" "1", 3) << "@: line 1 (page 1, row 1): amount 0 is outside 1–255" << QByteArray();
        QTest::newRow("effect 0 hides a bad row") << "p.zlx" << QByteArray("0") << "" << QByteArray();
        QTest::newRow("show format by its name, any case") << "p.TSV" << QByteArray("\xef\xbb\xbf" "40\t20\t1\t2\t1\tz\r\n") << "" << QByteArray("1\x02" "1z");
        QTest::newRow("a byte order mark on line 2") << "p.tsv" << QByteArray("\n\xef\xbb\xbf" "1\t1\t1\t2\t1\tz") << R"(@: line 2: page "\ufeff1" is not a whole number)" << QByteArray();
        QTest::newRow("a row twice") << "p.tsv" << QByteArray("page 1: x\n1\t1\t1\t2\t1\ta\n\n1\t1\t1\t2\t1\tb\n") << "@: line 4 (page 1, row 1): the row appears on an earlier line too" << QByteArray();
    }

    void load()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QByteArray, lastRow);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const ProgramSource source = ProgramSource::load(path, -1);
        QCOMPARE(source.error, QString(error).replace(u'@', path));
        QCOMPARE(source.store.entry(39, 19), lastRow);
    }

    // 64 MiB are read; one byte more is too big, found without reading further.
    void sizeLimit()
    {
        QTemporaryDir dir;
        for (const qint64 size : {qint64(64) * 1024 * 1024, qint64(64) * 1024 * 1024 + 1}) {
            QFile file(dir.filePath("zeros.tsv"));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
            file.close();
            const QString why = size % 2 == 0 ? QStringLiteral("line 1: expected 6 tab-separated fields, found 1 (a tab in a text is written \\t)")
                                              : QStringLiteral("too big: more than 67108864 bytes");
            QCOMPARE(ProgramSource::load(file.fileName(), -1).error, file.fileName() + QStringLiteral(": ") + why);
        }
    }

    void spans_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QList<int>{} << "";
        QTest::newRow("one") << QList<int>{7} << "7";
        QTest::newRow("a run, a gap, one") << QList<int>{1, 2, 3, 5} << "1-3, 5";
        QTest::newRow("one, then a run of two") << QList<int>{1, 3, 4} << "1, 3-4";
    }

    void spans()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(QString, text);
        QCOMPARE(texts::spans(numbers), text);
    }

    // What stands where a program was to be written, named.
    void notAFile()
    {
        QTemporaryDir dir;
        QLocalServer socket;
        QVERIFY(socket.listen(dir.filePath("socket")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        for (const auto &[path, kind] : {std::pair(dir.filePath("socket"), "a socket"), std::pair(dir.filePath("fifo"), "a FIFO"),
                                         std::pair(dir.path(), "a directory"), std::pair(QStringLiteral("/dev/null"), "a device")})
            QCOMPARE(texts::notAFile(path), QStringLiteral("%1 not written: it is %2, not a regular file; left untouched").arg(path, kind));
    }

    // Saving leaves what is no regular file as it is, and says why it wrote nothing.
    void saveRefuses()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        MessageStore store;
        store.setEntry(0, 0, "1\x02" "2ok");
        QCOMPARE(project::saveFile(fifo, store, 20).problem, project::SaveProblem::NotAFile);
        QCOMPARE(project::writeFile(dir.path(), store, 20),
                 QStringLiteral("El programa no fue guardado en %1: no es un archivo común.").arg(dir.path()));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
        // The first row that holds a carriage return, at either end of a page.
        for (const auto &[page, row] : {std::pair(0, 19), std::pair(2, 0)}) {
            MessageStore withCr = store;
            withCr.setEntry(page, row, "1\x02" "2a\rb");
            withCr.setEntry(3, 0, "1\x02" "2\r");
            const project::SaveResult cr = project::saveFile(dir.filePath("p.zlx"), withCr, 20);
            QCOMPARE(cr.problem, project::SaveProblem::CarriageReturn);
            QCOMPARE(std::pair(cr.row.page, cr.row.row), std::pair(page, row));
        }
        QVERIFY(!QFile::exists(dir.filePath("p.zlx")));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_clifiles.moc"
