#include "TestPrograms.h"
#include "project/ProjectFile.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zlx;
using namespace zlx::test;

class tst_ProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void encodeExample();
    void emptiedRowKeepsLaterRows();
    void decodeLines_data();
    void decodeLines();
    void lineLimit_data();
    void lineLimit();
    void roundTrip40Pages();
    void shortFileLeavesTheRest();
};

void tst_ProjectFile::encodeExample()
{
    const QByteArray file = project::encode(storeOf({{"1\x02" "2ABC"}}), 20);
    QCOMPARE(file.size(), 806);
    QCOMPARE(file, hex("310232414243 0d0a") + hex("0d0a").repeated(399));
}

void tst_ProjectFile::emptiedRowKeepsLaterRows()
{
    MessageStore store = storeOf({{"1\x02" "1a", "1\x02" "1b", "1\x02" "1c", "1\x02" "1d", "1\x02" "1e"}});
    store.setEntry(0, 2, {});
    const QByteArray file = project::encode(store, 20);
    QVERIFY(file.startsWith("1\x02" "1a\r\n1\x02" "1b\r\n\r\n1\x02" "1d\r\n1\x02" "1e\r\n\r\n"));

    MessageStore opened;
    project::load(*project::decodeLines(file), opened);
    QCOMPARE(opened, store);
}

void tst_ProjectFile::decodeLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArrayList{""};
    QTest::newRow("trailing CR LF opens no line") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
    QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QByteArrayList{"a", "b"};
    QTest::newRow("CR alone") << QByteArray("a\rb\r\rc") << QByteArrayList{"a", "b", "", "c"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("amount 10") << QByteArray("1\n2x\r\n4\n3") << QByteArrayList{"1\n2x", "4\n3"};
    QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb\r\n") << QByteArrayList{"a", "\nb"};
    QTest::newRow("bytes 0 and 255") << hex("31003200ff0d0a") << QByteArrayList{hex("31003200ff")};
}

void tst_ProjectFile::decodeLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, lines);

    const auto decoded = project::decodeLines(file);
    QVERIFY(decoded);
    QCOMPARE(*decoded, lines);
}

void tst_ProjectFile::lineLimit_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("820 lines") << QByteArray("x\r\n").repeated(820) << true;
    QTest::newRow("820 lines, last without end") << QByteArray("x\r\n").repeated(819) + "x" << true;
    QTest::newRow("821 lines") << QByteArray("x\r\n").repeated(821) << false;
    QTest::newRow("821st line without end") << QByteArray("x\r\n").repeated(820) + "x" << false;
    QTest::newRow("821 CR-only lines") << QByteArray("\r").repeated(821) << false;
}

void tst_ProjectFile::lineLimit()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, accepted);

    const auto lines = project::decodeLines(file);
    QCOMPARE(lines.has_value(), accepted);
    if (!lines)
        return;
    QCOMPARE(lines->size(), 820);
    MessageStore store;
    project::load(*lines, store);
    QCOMPARE(store.entry(40, 19), "x");
}

void tst_ProjectFile::roundTrip40Pages()
{
    // Any byte but CR fits a line: LF (an amount of 10), 0, 30/31, 255.
    QRandomGenerator rng(20240611u);
    MessageStore store;
    for (int p = 0; p < 40; ++p) {
        for (int r = 0; r < 20; ++r) {
            QByteArray e;
            for (int i = rng.bounded(12); i > 0; --i) {
                const char c = char(rng.bounded(256));
                e.append(c == '\r' ? '\n' : c);
            }
            store.setEntry(p, r, e);
        }
    }
    store.setEntry(3, 4, "1\n2ten");

    const QByteArray file = project::encode(store, 40);
    const auto lines = project::decodeLines(file);
    QVERIFY(lines);
    QCOMPARE(lines->size(), 800);
    MessageStore opened;
    project::load(*lines, opened);
    QCOMPARE(opened, store);
}

void tst_ProjectFile::shortFileLeavesTheRest()
{
    MessageStore store = storeOf({{}, {"2\x03" "1old"}});
    project::load(*project::decodeLines("1\x02" "2A\r\n\r\n1\x02" "3C"), store);
    QCOMPARE(store.entry(0, 0), "1\x02" "2A");
    QCOMPARE(store.entry(0, 1), "");
    QCOMPARE(store.entry(0, 2), "1\x02" "3C");
    QCOMPARE(store.entry(0, 3), "");
    QCOMPARE(store.entry(1, 0), "2\x03" "1old");
}

QTEST_APPLESS_MAIN(tst_ProjectFile)
#include "tst_projectfile.moc"
