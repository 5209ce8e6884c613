// The show format as tables: the text escapes, a line read back field by field, show's lines.
#include "cli/ProgramText.h"
#include "cli/TextEscapes.h"
#include "model/MessageEntry.h"

#include <QTest>

using namespace zlx;
using namespace zlx::cli;

namespace {
QByteArray hex(const char *digits) { return QByteArray::fromHex(digits); }
using Rows = QList<std::pair<std::pair<int, int>, QByteArray>>;  // (page, row) from 1, entry
}  // namespace

class TestShowFormat : public QObject
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
        QTest::newRow("the replacement character, the last three-byte lead") << hex("ef bf bd") << P::NoSingleByte << "\uFFFD";
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
        QTest::newRow("\\x in either case") << QByteArray("1\t1\t1\t1\t1\t\\xD1\\xaB") << hex("31 01 31 d1 ab") << "";
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
};

QTEST_GUILESS_MAIN(TestShowFormat)
#include "tst_showformat.moc"
