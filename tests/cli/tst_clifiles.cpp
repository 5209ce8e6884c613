// zantolux-cli's files as tables: input cut into lines in pieces, a file read and checked
// line by line, its size limit, and what writing refuses and how it is named.
#include "cli/CliTexts.h"
#include "cli/ProgramSource.h"
#include "project/LineSplitter.h"
#include "project/ProjectIo.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zlx;
using namespace zlx::cli;

class TestCliFiles : public QObject
{
    Q_OBJECT
private slots:
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
