// What a script can rely on from zantolux-cli: exit 0 only when the sign holds the whole
// program, every input checked before a port is touched, one result line a port in --port
// order, text that survives show, send and read byte for byte, and outputs that are files.
#include "CliCases.h"

#include <QDir>

using namespace zlx;
using namespace clitest;

class TestCliContract : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_files.addCommonPrograms());
        // 40 pages; page 1 is 20 rows of 62 bytes, over a page's memory on either sign.
        QByteArray p40;
        for (int r = 1; r <= 20; ++r)
            p40 += entry::make(1, 5, '1', "Fila " + QByteArray::number(r).rightJustified(2, '0') + QByteArray(54, '.')) + "\r\n";
        for (int p = 2; p <= 40; ++p)
            p40 += entry::make(1, 5, '1', "P" + QByteArray::number(p)) + QByteArray("\r\n").repeated(20);
        QVERIFY(m_files.addProgram("p40", p40));
        // Unreachable: page 1 row 5 (behind two empty rows), page 2 rows 2 and 3 (an effect 0 and after it).
        QVERIFY(m_files.addProgram("hidden", "1\x05" "1a\r\n1\x05" "1b\r\n\r\n\r\n1\x05" "1e\r\n" + QByteArray("\r\n").repeated(15)
                                                 + "1\x05" "1f\r\n0\x05" "1g\r\n1\x05" "1h\r\n"));
        QVERIFY(m_files.addProgram("empty", ""));
        QVERIFY(m_files.addProgram("frame64", entry::make(1, 2, '1', QByteArray(45, 'x')) + "\r\n"));  // a 64-byte page
        QVERIFY(m_files.addProgram("far", QByteArray("\r\n").repeated(400) + "1\x02" "1x\r\n"));  // page 21 only
        QVERIFY(testfiles::write(m_files.path("effectx.zlx"), "x\x05" "1ab\r\n"));
        QVERIFY(testfiles::write(m_files.path("page41.zlx"), QByteArray("\r\n").repeated(800) + "1\x02" "1x\r\n"));
        QVERIFY(testfiles::write(m_files.path("lines821.zlx"), QByteArray("\r\n").repeated(821)));
        QVERIFY(testfiles::write(m_files.path("amount.tsv"), "1\t1\tTexto Fijo\t300\t1\tx\n"));
        QFile big(m_files.path("big.tsv"));  // a line of zeros one byte over the limit
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(64 * 1024 * 1024 + 1));
        QVERIFY(QDir(m_files.dir.path()).mkdir("folder.zlx"));
        QCOMPARE(::mkfifo(QFile::encodeName(m_files.path("fifo")).constData(), 0600), 0);
        // Every byte a text may hold, and the amounts a line end or a tab would break.
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r')
                all.append(char(b));
        QVERIFY(m_files.addProgram("allbytes", "1\x01" "1" + all + "\r\n9\xff" "3\xf1\r\n2\n2\t\r\n3\x1e" "1\x1e\x1f\xd1\xf1\\\r\n"
                                                   + QByteArray("\r\n").repeated(396)));
    }

    void contract_data()
    {
        QTest::addColumn<Case>("c");
        QString every20to40;
        for (int p = 21; p <= 40; ++p)
            every20to40 += QString::number(p) + (p < 40 ? "," : "");
        const QByteArray pages = every20to40.toLatin1();
        // Exit 3: the sign does not hold the whole program the file places.
        row("send, a page cut and pages past the sign's last: incomplete", "z20", "", "send @D/p40.zlx --port @1", 3,
            {"^@1\tincomplete\tframes 35\t[0-9.]+ s\tcut pages 1\tleft out pages " + every20to40 + "$"},
            "zantolux-cli: @1: the sign does not hold the whole program (pages cut to fit: 1; pages past the sign's "
            "last: 21-40)",
            "holds-p40");
        row("verify, pages past the sign's last: differs", "z20", "p40", "verify @D/p40.zlx --json --port @1", 3,
            {R"re(^\{"cut_pages":\[1\],"differing_pages":\[1,)re" + pages + R"re(\],"error":"the sign does not hold the )re"
             R"re(whole program \(pages cut to fit: 1; pages past the sign.s last: 21-40\)","left_out_pages":\[)re" + pages + R"re(\],"model":20,)re"
             R"re("path":"@1","port":"@1","result":"differs","unreachable_rows":\[\]\}$)re"});
        row("verify, a cut page differs", "z20", "cut", "verify @D/cut.zlx", 3, {"^COM2\tdiffers\tpages 2\tcut pages 2$"},
            "COM2: the sign does not hold the whole program (pages cut to fit: 2)");
        row("verify, a page that is no page", "z20", "good", "verify @D/good.zlx", 3, {"^COM2\tdiffers\tpages 4$"},
            "COM2: the sign does not hold the whole program", "garble-4");
        row("unreachable rows named, the result unchanged", "z20", "", "send @D/hidden.zlx --json --port @1", 0,
            {R"(^\{"cut_pages":\[\],"frames":3,.*"result":"ok",.*"unreachable_rows":\[\[1,5\],\[2,2\],\[2,3\]\]\}$)"},
            "zantolux-cli: warning: @D/hidden.zlx: rows never sent (behind an empty row or an effect 0): page 1 row 5; "
            "page 2 rows 2-3",
            "holds-hidden");
        // Exit 2: nothing sent, no port touched.
        row("empty program refused", "z20", "", "send @D/empty.zlx --port @1", 2, {"^@1\tbad-file$"},
            "zantolux-cli: @D/empty.zlx: empty program: nothing to send; --allow-empty blanks a sign on purpose", "untouched");
        row("empty program, rows further on", "z20", "", "send @D/far.zlx", 2, {R"(\A-\tbad-file\n\z)"},
            "far.zlx: empty program: nothing to send (page 1 begins with an empty row: the rows on page 21 would not be "
            "sent)",
            "untouched");
        row("--allow-empty blanks the sign", "z20", "other", "send @D/empty.zlx --allow-empty --port @1", 0,
            {"^@1\tok\tframes 1\t"}, "", "holds-empty");
        row("missing file, show", "", "", "show @D/none.zlx --json", 2,
            {R"(\A\{"error":"@D/none.zlx: no such file","path":null,"port":null,"result":"bad-file"\}\n\z)"});
        row("unreadable file", "z20", "", "send @D/good.zlx --port @1", 2, {R"(\A@1\tbad-file\n\z)"},
            "@D/good.zlx: permission denied", "as-nobody untouched");
        row("a directory", "z20", "", "verify @D/folder.zlx --port @1", 2, {"^@1\tbad-file$"},
            "@D/folder.zlx: is a directory", "untouched");
        row("too big, one line a port", "z20,z40", "", "send @D/big.tsv --port @1 --port @2", 2,
            {R"(\A@1\tbad-file\n@2\tbad-file\n\z)"}, "@D/big.tsv: too big: more than 67108864 bytes", "untouched");
        row("too many lines", "", "", "show @D/lines821.zlx", 2, {"^-\tbad-file$"}, "lines821.zlx: too big: more than 820 lines");
        row("a page past 40", "z20", "", "send @D/page41.zlx --port @1", 2, {},
            "page41.zlx: line 801 (page 41, row 1): page 41 is past the last page, 40", "untouched");
        row("a row no sign can take", "", "", "show @D/effectx.zlx", 2, {"^-\tbad-file$"},
            "effectx.zlx: line 1 (page 1, row 1): effect \"x\" is not a digit 1 to 9");
        row("a bad amount in a .tsv", "z20", "", "verify @D/amount.tsv --port @1", 2, {},
            "amount.tsv: line 1 (page 1, row 1): amount 300 is outside 1–255", "untouched");
        row("ctrl-c while stdin is read", "z20", "", "send - --json --port @1", 5, {R"("port":"@1","result":"interrupted")"},
            "zantolux-cli: interrupted", "interrupt-input untouched", "1\t1\t1\t1\t1\tpartial\n");
        row("ctrl-c during a read", "paced", "cut", "read @D/partial.zlx --port @1", 5, {"^@1\tinterrupted$"},
            "@1: interrupted", "interrupt");
        row("ctrl-c, the sign gone with it", "paced", "", "send @D/cut.zlx --port @1", 5, {"^@1\tinterrupted$"},
            "@1: interrupted", "interrupt vanish");
        // Outputs: regular files only, and a write that failed is never success.
        row("read to a FIFO", "z20", "good", "read @D/fifo --port @1", 6, {"^@1\twrite-failed$"},
            "@D/fifo not written: it is a FIFO, not a regular file; left untouched", "fifo-kept untouched");
        row("read to a device", "z20", "good", "read /dev/null --port @1", 6, {"^@1\twrite-failed$"},
            "/dev/null not written: it is a device, not a regular file; left untouched", "untouched");
        row("read to a directory", "z20", "good", "read @D/folder.zlx --port @1", 6, {"^@1\twrite-failed$"},
            "@D/folder.zlx not written: it is a directory, not a regular file; left untouched", "untouched");
        row("read, a row no project file can hold", "z20", "cr", "read @D/cr.zlx --port @1", 6, {"^@1\twrite-failed$"},
            "@D/cr.zlx not written: page 1, row 1 holds a carriage return, which a project file cannot hold");
        row("read -, a row no project file can hold", "z20", "cr", "read - --port @1", 6, {},
            "stdout not written: page 1, row 1 holds a carriage return");
        row("read - writes the project file to stdout", "z20", "good", "read - --port @1", 0, {}, "@1\tok\n", "stdout-good");
        row("read - to a full stdout", "z20", "good", "read - --port @1", 6, {},
            "zantolux-cli: @1: cannot write to stdout: No space left on device", "stdout-full");
        row("stdout closed", "z20", "", "send @D/other.zlx --port @1", 6, {},
            "zantolux-cli: cannot write to stdout: Bad file descriptor", "stdout-closed holds-other");
        row("show to a full stdout", "", "", "show @D/good.zlx", 6, {},
            "zantolux-cli: cannot write to stdout: No space left on device", "stdout-full");
        // Every byte a row may hold, through show, send and read.
        row("every byte survives show, send and read", "z20", "",
            "show @D/allbytes.zlx ; show @D/allbytes.zlx > @D/rt.tsv ; send @D/rt.tsv --port @1 ; read @D/rt.zlx --port @1",
            0,
            {R"(^1\t1\tTexto Fijo\t1\t1\t\\x01\\x02\\x03\\x04\\x05\\x06\\x07\\x08\\t\\n\\x0b\\x0c\\x0e.*\\x1dÑñ !.#.*\[\\\\\]\^.*~\\x7f\\x80)"
             R"(.*\\x9f\xa0¡.*Ð\\xd1Ò.*ð\\xf1ò.*ÿ$)",
             R"(^1\t2\tColor B\t255\t3\t\\xf1$)", R"(^1\t3\tParpadeo\t10\t2\t\\t$)", R"(^1\t4\tCaida\t30\t1\tÑñ\\xd1\\xf1\\\\$)"},
            "", "same:rt.zlx=allbytes.zlx");
        row("a page of exactly one frame", "z20", "", "send @D/frame64.zlx --port @1", 0, {"^@1\tok\tframes 2\t"},
            "@1: page 1 sent", "holds-frame64");
        // Results and listings.
        row("results in --port order", "late,z20", "", "send @D/other.zlx --port @1 --port @2", 0,
            {R"(\A@1\tok\t[^\n]*\n@2\tok\t[^\n]*\n\z)"});
        row("detect --all", "z20,z40", "", "detect --all", 0, {R"(\AZ20\tCOM2\t@1\t20\nZ40\tCOM3\t@2\t40\n\z)"},
            "zantolux-cli: COM1: no such device: @D/missing");
        row("detect --all, no sign", "", "", "detect --all --json", 4,
            {R"(\A\{"model":null,"pages":null,"path":null,"port":null,"result":"no-sign"\}\n\z)"});
        row("ports --json", "z20", "", "ports --json", 0,
            {R"(\A\{"path":"@D/missing","port":"COM1"\}\n\{"path":"@1","port":"COM2"\}\n\z)"});
        row("show --json", "", "", "show @D/hidden.zlx --json --model 40", 0,
            {R"(\A\{"amount":5,"effect":1,"effect_name":"Texto Fijo","font":1,"page":1,"row":1,"text":"a"\}$)",
             R"(^\{"bytes":25,"capacity":512,"cut":false,"page":1\}$)", R"(^\{"bytes":20,"capacity":512,"cut":false,"page":2\}\n\z)"});
        row("--all is for detect", "", "", "send @D/good.zlx --all", 1, {}, "--all is for detect only");
        row("--all lists the port list", "", "", "detect --all --port COM1", 1, {},
            "--all lists the signs of the port list; with --port every port given is listed anyway");
        row("--allow-empty is for send", "", "", "verify @D/good.zlx --allow-empty", 1, {}, "--allow-empty is for send only");
    }

    void contract()
    {
        QFETCH(Case, c);
        runCase(c, m_files);
    }

private:
    CliFiles m_files;
};

QTEST_GUILESS_MAIN(TestCliContract)
#include "tst_clicontract.moc"
