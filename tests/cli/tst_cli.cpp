// zantolux-cli as a script sees it: the real program against virtual signs on ptys hosted in
// this process, reached directly, through a link or through a device server on loopback; one row
// a command line; exit status, output lines, and what reached the sign.
#include "CliHarness.h"
#include "SignMemory.h"
#include "TestFiles.h"
#include "model/MessageEntry.h"
#include "project/ProjectFile.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <optional>

using namespace zlx;
using namespace clitest;

namespace {

const SignModel kZ20 = *modelWithPages(20);

// Page 1 short, page 2 longer than a 20-page sign's page memory, page 3 with an "ñ".
MessageStore goodProgram()
{
    MessageStore s;
    for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
        if (r < 3)
            s.setEntry(0, r, entry::make(1, 5, '2', "Hola fila " + QByteArray::number(r)));
        s.setEntry(1, r, entry::make(4, 7, '3', "Texto largo de pagina dos, fila " + QByteArray::number(r) + ", con bastante relleno"));
    }
    s.setEntry(2, 0, entry::make(2, 2, '1', entry::textToStored(QStringLiteral("Mañana"))));
    return s;
}

struct Case
{
    QString signs;  // see Signs::start
    QString preload;  // good or other: the first sign already holds it
    // Command lines joined by " ; ": the row's, then runs that must succeed; marks as in
    // Signs::expand.
    QString args;
    int exitCode;
    QStringList stdoutHas;  // patterns, each matching a line
    QString stderrHas;
    QString check;  // words: what must hold afterwards
    QByteArray input;  // stdin; "@tsv" is good.zlx in the show format
};

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(testfiles::write(m_dir.filePath("good.zlx"), project::encode(m_good, 20)));
        for (const char *name : {"other.zlx", "existing.zlx"})
            QVERIFY(testfiles::write(m_dir.filePath(name), m_otherBytes));
        project::load(*project::decodeLines(m_otherBytes), m_other);
        QVERIFY(testfiles::write(m_dir.filePath("third.zlx"), m_thirdBytes));
        project::load(*project::decodeLines(m_thirdBytes), m_third);
        QVERIFY(testfiles::write(m_dir.filePath("far.zlx"), QByteArray("\r\n").repeated(400) + "1\x02" "1x\r\n"));  // page 21 only
        QVERIFY(testfiles::write(m_dir.filePath("bad.tsv"), "1\t1\tParpadeo\t3\t1\tbien\n1\t21\tParpadeo\t3\t1\tmal\n"));
        // The show format of good.zlx, for the row that sends it back through stdin.
        QProcess show;
        show.start(QStringLiteral(ZANTOLUX_CLI), {QStringLiteral("show"), m_dir.filePath(QStringLiteral("good.zlx"))});
        QVERIFY(show.waitForFinished(kWaitMs));
        QCOMPARE(show.exitCode(), 0);
        m_goodTsv = show.readAllStandardOutput();
    }

    void commandLine_data()
    {
        QTest::addColumn<Case>("c");
        const auto row = [](const char *name, const char *signs, const char *preload, const char *args,
                            int code, const QStringList &out, const char *err = "", const char *check = "",
                            const QByteArray &input = {}) {
            QTest::newRow(name) << Case{QString::fromLatin1(signs), QString::fromLatin1(preload), QString::fromUtf8(args),
                                        code, out, QString::fromUtf8(err), QString::fromLatin1(check), input};
        };
        // COM1 is a device that does not exist, COM2 the first sign, COM3 the second.
        row("ports", "z20", "", "ports", 0, {"^COM1\t@D/missing$", "^COM2\t@1$"});
        row("detect by scan", "z20,z40", "", "detect", 0, {"^Z20\tCOM2\t@1\t20$"});
        row("detect two json", "z20,z40", "", "detect --json --port @1 --port COM3", 0,
            {R"(^\{"model":20,"pages":20,"path":"@1","port":"@1","result":"ok"\}$)",
             R"(^\{"model":40,"pages":40,"path":"@2","port":"COM3","result":"ok"\}$)"});
        row("send cut page json", "z20", "other", "send @D/good.zlx --json --port COM2", 0,
            {R"(^\{"cut_pages":\[2\],"frames":19,"model":20,"path":"@1","port":"COM2","result":"ok","seconds":[0-9.e-]+\}$)"},
            "page 2 cut", "holds-good");
        row("send show format from stdin", "z20", "other", "send - -q", 0, {"^COM2\tok\tframes 19"}, "", "holds-good",
            "@tsv");
        row("verify identical", "z20", "good", "verify @D/good.zlx --json", 0, {R"("differing_pages":\[\],.*"result":"ok")"});
        row("verify differs", "z20", "other", "verify @D/good.zlx", 3, {"^COM2\tdiffers\tpages 1,2,3$"});
        row("usage", "z20", "", "send", 1, {}, "send takes one FILE");
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
        row("bad tsv line", "z20", "", "verify @D/bad.tsv", 2, {}, "bad.tsv: line 2: the row must be 1 to 20", "nothing-sent");
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
            {"^@1\tok\tframes 19", "^@2\ttimeout$"}, "@2: the sign did not answer", "holds-good");
        row("send through a tcp bridge", "bridged", "other", "send @D/good.zlx --port @1", 0, {"^@1\tok\tframes 19"},
            "", "holds-good");
        row("raw tcp device server: send, verify", "raw", "other", "send @D/good.zlx --port @1 ; verify @D/good.zlx --port @1",
            0, {"^@1\tok\tframes 19"}, "", "holds-good");
        row("rfc2217 device server: detect, send, read, verify", "telnet", "other",
            "detect --port @1 ; send @D/good.zlx --port @1 ; read @D/out.zlx --port @1 ; verify @D/good.zlx --port @1", 0,
            {"^Z20\t@1\t@1\t20$"}, "", "holds-good read-good");
        row("late answers", "late", "", "send @D/other.zlx --port @1", 0, {"^@1\tok\tframes 2\t"}, "", "holds-other");
        row("late answers through a device server", "late+raw", "", "send @D/other.zlx --port @1", 0,
            {"^@1\tok\tframes 2\t"}, "", "holds-other");
        // The first run gives up before its probe's answer; the next run must not take it for its own.
        row("a late answer waiting on the line", "late", "",
            "send @D/other.zlx --port @1 --timeout 300 ; send @D/other.zlx --port @1", 4, {"^@1\tno-sign$"},
            "no sign answered", "answered holds-other");
        row("read", "z20", "good", "read @D/out.zlx", 0, {"^COM2\tok$"}, "", "read-good");
        row("read fails, file kept", "mute", "", "read @D/existing.zlx --timeout 300", 5, {"timeout"}, "",
            "existing-kept");
        row("read unwritable", "z20", "good", "read @D/nodir/out.zlx", 6, {"write-failed"});
        row("show with cut page, shortest timeout", "", "", "show @D/good.zlx --timeout 1", 0,
            {"^3\t1\tParpadeo\t2\t1\tMañana$", "^page 1: 60 of 1024 bytes$", "^page 2: 1205 of 1024 bytes, cut: 181 bytes over$"});
        row("show, a page past the sign's", "", "", "show @D/far.zlx", 0, {R"(\A21\t1\tTexto Fijo\t2\t1\tx\n\z)"});
        row("send, a page past the sign's", "z20", "", "send @D/far.zlx --port @1", 0, {"^@1\tok\tframes 1\t"},
            "page 21: rows not sent");
        // The frame on the line gets out whole: the next run finds the sign and programs it, once
        // the sign's answer to that frame is in, and as well when it is still on its way.
        row("ctrl-c, then the send again", "paced", "", "send @D/good.zlx --json --port @1 ; send @D/good.zlx --port @1", 5,
            {R"("frames":[1-9][0-9]*,.*"port":"@1","result":"interrupted")"}, "interrupted", "interrupt answered holds-good");
        row("ctrl-c, then the send again at once", "paced", "", "send @D/good.zlx --port @1 ; send @D/good.zlx --port @1", 5,
            {"^@1\tinterrupted$"}, "interrupted", "interrupt holds-good");
        row("ctrl-c during the scan", "silent", "", "send @D/good.zlx --port @1 --timeout 5000", 5, {"^@1\tinterrupted$"},
            "interrupted", "interrupt-scan");
    }

    void commandLine()
    {
        QFETCH(Case, c);
        Signs host;
        const QString failed = host.start(c.signs, m_dir.path());
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        if (!c.preload.isEmpty())
            signbytes::put(host.first(), c.preload == u"good" ? m_good : m_other, kZ20);
        const QStringList checks = c.check.split(u' ', Qt::SkipEmptyParts);
        const auto has = [&](const char *word) { return checks.contains(QLatin1String(word)); };
        const QStringList lines = c.args.split(QStringLiteral(" ; "));
        std::optional<QSignalSpy> handled, sent;
        if (!host.signs.empty()) {
            handled.emplace(host.signs.front().get(), &sim::PtySign::frameHandled);
            sent.emplace(host.signs.front().get(), &sim::PtySign::answerBytesSent);
        }

        qputenv("ZANTOLUX_PORTS", host.ports.join(u':').toLocal8Bit());  // the child's COM1, COM2, ...
        CliRun cli(host.command(lines.first()), c.input == "@tsv" ? m_goodTsv : c.input);
        if (has("interrupt")) {  // Ctrl-C once the first page is on the sign
            QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("page 1 sent"), kWaitMs);
            QCOMPARE(::kill(pid_t(cli.process.processId()), SIGINT), 0);
        } else if (has("interrupt-scan")) {  // Ctrl-C while the probe waits for its answer
            QVERIFY(handled->count() > 0 || handled->wait(kWaitMs));
            QCOMPARE(::kill(pid_t(cli.process.processId()), SIGINT), 0);
        }
        QVERIFY(cli.finish());
        QVERIFY2(cli.code() == c.exitCode, cli.said().constData());
        for (const QString &pattern : c.stdoutHas) {
            const QRegularExpression re(host.expand(pattern, true), QRegularExpression::MultilineOption);
            QVERIFY2(re.match(cli.out).hasMatch(), qPrintable(pattern + QStringLiteral("\nnot in:\n") + cli.out));
        }
        QVERIFY2(QString::fromUtf8(cli.err).contains(host.expand(c.stderrHas, false)), cli.said().constData());

        for (const QString &line : lines.mid(1)) {
            if (has("answered")) {  // every answer the sign owes has left, and waits on the line
                const auto bytes = [](const QSignalSpy &spy, int arg) {
                    qsizetype n = 0;
                    for (const QList<QVariant> &signal : spy)
                        n += signal.at(arg).toByteArray().size();
                    return n;
                };
                QTRY_VERIFY_WITH_TIMEOUT(bytes(*sent, 0) == bytes(*handled, 1), kWaitMs);
            }
            CliRun next(host.command(line));
            QVERIFY(next.finish());
            QVERIFY2(next.code() == 0, next.said().constData());
        }

        if (has("holds-good"))
            QVERIFY(signbytes::holds(host.first(), m_good, kZ20));
        if (has("holds-other"))
            QVERIFY(signbytes::holds(host.first(), m_other, kZ20));
        if (has("nothing-sent"))
            QCOMPARE(host.first().framesWritten(), 0);
        if (has("existing-kept"))
            QCOMPARE(testfiles::read(m_dir.filePath("existing.zlx")), m_otherBytes);
        if (has("read-good")) {
            // What a Send wrote, cut page included, is what comes back.
            const auto read = project::decodeLines(testfiles::read(m_dir.filePath("out.zlx")));
            QCOMPARE(read.value_or(QByteArrayList()).size(), 20 * MessageStore::kRowsPerPage);
            MessageStore store;
            project::load(*read, store);
            signbytes::put(host.first(), store, kZ20);
            QVERIFY(signbytes::holds(host.first(), m_good, kZ20));
        }
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
        const QString failed = host.start(signs, m_dir.path());
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
        QCOMPARE(signbytes::holds(host.first(), m_other, kZ20), firstWon);
        QCOMPARE(signbytes::holds(host.first(), m_third, kZ20), !firstWon);
    }

private:
    QTemporaryDir m_dir;
    const MessageStore m_good = goodProgram();
    const QByteArray m_otherBytes = entry::make(2, 3, '1', "Otro programa") + "\r\n";
    MessageStore m_other;
    const QByteArray m_thirdBytes = entry::make(1, 4, '2', "Tercer programa") + "\r\n";
    MessageStore m_third;
    QByteArray m_goodTsv;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
