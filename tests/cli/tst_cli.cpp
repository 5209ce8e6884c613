// zantolux-cli as a script sees it: the real program against virtual signs on ptys hosted in
// this process, reached directly, through a link or through a device server on loopback; one row
// a command line; exit status, output lines, and what reached the sign.
#include "CliCases.h"

#include <csignal>

using namespace zlx;
using namespace clitest;

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_files.addCommonPrograms());
        QVERIFY(testfiles::write(m_files.path("bad.tsv"), "1\t1\tParpadeo\t3\t1\tbien\n1\t21\tParpadeo\t3\t1\tmal\n"));
        // The show format of good.zlx, for the row that sends it back through stdin.
        CliRun show({QStringLiteral("show"), m_files.path("good.zlx")});
        QVERIFY(show.finish());
        QCOMPARE(show.code(), 0);
        m_files.goodTsv = show.outBytes;
    }

    void commandLine_data()
    {
        QTest::addColumn<Case>("c");
        // COM1 is a device that does not exist, COM2 the first sign, COM3 the second.
        row("ports", "z20", "", "ports", 0, {"^COM1\t@D/missing$", "^COM2\t@1$"});
        row("detect by scan", "z20,z40", "", "detect", 0, {"^Z20\tCOM2\t@1\t20$"});
        row("detect two json", "z20,z40", "", "detect --json --port @1 --port COM3", 0,
            {R"(^\{"model":20,"pages":20,"path":"@1","port":"@1","result":"ok"\}$)",
             R"(^\{"model":40,"pages":40,"path":"@2","port":"COM3","result":"ok"\}$)"});
        row("send cut page json: incomplete", "z20", "other", "send @D/cut.zlx --json --port COM2", 3,
            {R"re(^\{"cut_pages":\[2\],"error":"the sign does not hold the whole program \(pages cut to fit: 2\)",)re"
             R"("frames":19,"left_out_pages":\[\],"model":20,"path":"@1","port":"COM2","result":"incomplete",)"
             R"("seconds":[0-9.e-]+,"unreachable_rows":\[\]\}$)"},
            "COM2: page 2 cut to fit the sign's page memory", "holds-cut");
        row("send show format from stdin", "z20", "other", "send - -q", 0, {"^COM2\tok\tframes 13"}, "", "holds-good",
            "@tsv");
        row("verify identical", "z20", "good", "verify @D/good.zlx --json", 0, {R"("differing_pages":\[\],.*"result":"ok")"});
        row("verify differs", "z20", "other", "verify @D/good.zlx", 3, {"^COM2\tdiffers\tpages 1,2,3$"});
        row("usage", "z20", "", "send", 1, {}, "send takes one FILE");
        row("no time to answer", "", "", "detect --timeout 0", 1, {}, "--timeout must be a number of milliseconds, 1 or more");
        row("scan finds no sign", "", "", "detect", 4, {R"(\A-\tno-sign\n\z)"}, "zantolux-cli: -: no sign answered");
        row("a model no sign has", "odd", "", "detect --port @1", 5, {"^@1\twrong-answer$"}, "@1: unknown sign model");
        row("version", "", "", "--version", 0, {R"(\Azantolux-cli \d+\.\d+\S*\n\z)"});
        row("help", "", "", "--help --json", 0, {"^Usage: .*zantolux-cli"});
        row("read takes one sign", "", "", "read @D/out.zlx --port a --port b", 1, {}, "read works on one sign only");
        row("the same port twice", "z20", "", "detect --port @1 --port @1", 1, {}, "--port @1 names a port given before");
        row("a link and its device", "linked", "", "detect --port @1 --port @T1", 1, {},
            "--port @T1 names a port given before");
        row("a network port without its number", "", "", "detect --port tcp://127.0.0.1", 1, {},
            "--port: \"tcp://127.0.0.1\" is not HOST:PORT with a port 1 to 65535");
        row("file missing", "z20", "", "send @D/none.zlx --json --port @1", 2,
            {R"("path":null,"port":"@1","result":"bad-file")"}, "none.zlx", "nothing-sent");
        row("bad tsv line", "z20", "", "verify @D/bad.tsv", 2, {}, "bad.tsv: line 2: row 21 is outside 1–20", "nothing-sent");
        row("silent named port", "silent", "", "detect --json --port @1", 4,
            {R"("model":null,"pages":null,"path":"@1","port":"@1","result":"no-sign"\}$)"});
        row("named port missing", "", "", "detect --json --port @D/missing", 4,
            {R"("port":"@D/missing","result":"cannot-open"\}$)"}, "no such device: @D/missing");
        row("named port a plain file", "", "", "send @D/good.zlx --port @D/good.zlx", 4, {"^@D/good.zlx\tcannot-open$"},
            "not a serial device: @D/good.zlx");
        row("named port a folder", "", "", "detect --port @D", 4, {"^@D\tcannot-open$"}, "not a serial device: @D");
        row("connection refused", "", "", "detect --port tcp://127.0.0.1:@C", 4, {"^tcp://127.0.0.1:@C\tcannot-open$"},
            "connection refused by tcp://127.0.0.1:@C");
        row("one good one mute", "z20,mute", "other", "send @D/good.zlx --timeout 300 --port @1 --port @2", 5,
            {"^@1\tok\tframes 13", "^@2\ttimeout$"}, "@2: the sign did not answer", "holds-good");
        row("verify, the sign falls silent", "mute", "good", "verify @D/good.zlx --timeout 300 --port @1", 5,
            {"^@1\ttimeout$"}, "@1: the sign did not answer in time");
        row("the port lost mid-send", "paced", "", "send @D/good.zlx --port @1", 5, {"^@1\tport-lost$"},
            "zantolux-cli: @1: the connection to @1 dropped", "lose-port");
        row("send through a tcp bridge", "bridged", "other", "send @D/good.zlx --port @1", 0, {"^@1\tok\tframes 13"},
            "", "holds-good");
        row("raw tcp device server: send, verify", "raw", "other", "send @D/good.zlx --port @1 ; verify @D/good.zlx --port @1",
            0, {"^@1\tok\tframes 13"}, "", "holds-good");
        row("rfc2217 device server: detect, send, read, verify", "telnet", "other",
            "detect --port @1 ; send @D/good.zlx --port @1 ; read @D/out.zlx --port @1 ; verify @D/good.zlx --port @1", 0,
            {"^Z20\t@1\t@1\t20$"}, "", "holds-good read-good");
        row("late answers", "late", "", "send @D/other.zlx --port @1", 0, {"^@1\tok\tframes 2\t\\d+\\.\\d s$"}, "", "holds-other");
        row("late answers through a device server", "late+raw", "", "send @D/other.zlx --port @1", 0,
            {"^@1\tok\tframes 2\t"}, "", "holds-other");
        // The first run gives up before its probe's answer; the next run must not take it for its own.
        row("a late answer waiting on the line", "late", "",
            "send @D/other.zlx --port @1 --timeout 300 ; send @D/other.zlx --port @1", 4, {"^@1\tno-sign$"},
            "no sign answered", "answered holds-other");
        row("read", "z20", "good", "read @D/out.zlx", 0, {"^COM2\tok$"}, "", "read-good");
        row("read fails, file kept", "mute", "", "read @D/existing.zlx --timeout 300", 5, {"timeout"}, "",
            "same:existing.zlx=other.zlx");
        row("read unwritable", "z20", "good", "read @D/nodir/out.zlx", 6, {"write-failed"});
        row("show with cut page, shortest timeout", "", "", "show @D/cut.zlx --timeout 1", 0,
            {"^3\t1\tParpadeo\t2\t1\tMañana$", "^page 1: 60 of 1024 bytes$", "^page 2: 1205 of 1024 bytes, cut: 181 bytes over$"});
        // The frame on the line gets out whole: the next run finds the sign and programs it, once
        // the sign's answer to that frame is in, and as well when it is still on its way.
        row("ctrl-c, then the send again", "paced", "", "send @D/good.zlx --json --port @1 ; send @D/good.zlx --port @1", 5,
            {R"("frames":[1-9][0-9]*,.*"port":"@1","result":"interrupted")"}, "interrupted", "interrupt answered holds-good");
        row("ctrl-c, then the send again at once", "paced", "", "send @D/good.zlx --port @1 ; send @D/good.zlx --port @1", 5,
            {"^@1\tinterrupted$"}, "interrupted", "interrupt holds-good");
        // The probe would wait a minute for its answer: the Ctrl-C ends the run long before.
        row("ctrl-c during the scan", "silent", "", "send @D/good.zlx --port @1 --timeout 60000", 5, {"^@1\tinterrupted$"},
            "interrupted", "interrupt-scan");
    }

    void commandLine()
    {
        QFETCH(Case, c);
        runCase(c, m_files);
    }

    // Two sends at once to one sign, naming its port two ways: one takes the port, the other
    // hears it is in use, and the sign holds the one program sent whole.
    void portHeldByAnother_data()
    {
        QTest::addColumn<QString>("signs");
        QTest::addColumn<QString>("second");  // the second run's port
        // Late answers keep the first run on the port for seconds, whichever starts first.
        QTest::newRow("a pty and its link") << "paced+late+linked" << "@T1";
        QTest::newRow("a device server's port") << "paced+late+raw" << "@1";
    }

    void portHeldByAnother()
    {
        QFETCH(QString, signs);
        QFETCH(QString, second);
        Signs host;
        const QString failed = host.start(signs, m_files.dir.path());
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        CliRun first(host.command(QStringLiteral("send @D/other.zlx --port @1")));
        CliRun other(host.command(QStringLiteral("send @D/third.zlx --port ") + second));
        QVERIFY(first.finish());
        QVERIFY(other.finish());
        const bool firstWon = first.code() == 0;
        const CliRun &winner = firstWon ? first : other;
        const CliRun &loser = firstWon ? other : first;
        QVERIFY2(winner.code() == 0 && winner.out.contains(u"\tok\t"), winner.said().constData());
        QVERIFY2(loser.code() == 4 && loser.out.endsWith(u"\tbusy\n") && loser.err.contains(": port in use: "),
                 loser.said().constData());
        QCOMPARE(signbytes::holds(host.first(), m_files.programs.value("other"), kZ20), firstWon);
        QCOMPARE(signbytes::holds(host.first(), m_files.programs.value("third"), kZ20), !firstWon);
    }

private:
    CliFiles m_files;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
