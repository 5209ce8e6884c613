// zantolux-cli as a script sees it: the real program against virtual signs on ptys hosted in
// this process, one row a command line; exit status, output lines, and what reached the sign.
#include "SignMemory.h"
#include "TestFiles.h"
#include "model/MessageEntry.h"
#include "project/ProjectFile.h"
#include "sim/PtySign.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>

using namespace zlx;

namespace {

constexpr int kWaitMs = 10000;
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

struct KillProcess
{
    void operator()(QProcess *process) const
    {
        process->kill();
        process->waitForFinished(kWaitMs);
        delete process;
    }
};
using Child = std::unique_ptr<QProcess, KillProcess>;

// A sign far away: its device served on a loopback port by socat, and a second socat linking a
// local pty (link) to that port, as a device server and its bridge would. Empty, or what failed.
QString bridge(const QString &device, const QString &link, std::vector<Child> &children)
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        return QStringLiteral("socat is not installed (Debian package socat)");
    const auto start = [&](const QStringList &addresses, const QRegularExpression &ready) {
        QProcess *process = children.emplace_back(new QProcess).get();
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(socat, QStringList{QStringLiteral("-d"), QStringLiteral("-d")} + addresses);
        QString said;
        QRegularExpressionMatch match;
        return QTest::qWaitFor([&] { return (match = ready.match(said += QString::fromLatin1(process->readAll()))).hasMatch(); }, kWaitMs)
            ? match : QRegularExpressionMatch();
    };
    // Port 0: the system picks a free port, and socat says which.
    const auto listening = start({QStringLiteral("TCP-LISTEN:0,bind=127.0.0.1,reuseaddr"),
                                  QStringLiteral("FILE:%1,raw,echo=0").arg(device)},
                                 QRegularExpression(QStringLiteral("listening on .*:(\\d+)\n")));
    if (!listening.hasMatch())
        return QStringLiteral("socat did not listen");
    const auto linked = start({QStringLiteral("PTY,link=%1,raw,echo=0").arg(link),
                               QStringLiteral("TCP:127.0.0.1:%1").arg(listening.captured(1))},
                              QRegularExpression(QStringLiteral("starting data transfer loop")));
    if (!linked.hasMatch() || !QFileInfo::exists(link))
        return QStringLiteral("the socat bridge did not come up at ") + link;
    return {};
}

struct Case
{
    QString signs;  // one a sign: z20, z40, silent, mute (answers the probe only), slow, bridged (a z20 through socat)
    QString preload;  // good or other: the first sign already holds it
    QStringList args;  // @1 @2: the signs' devices, @D: the test's folder
    int exitCode;
    QStringList stdoutHas;  // patterns, each matching a line
    QString stderrHas;
    QString check;  // what must hold afterwards
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
        const auto row = [](const char *name, const char *signs, const char *preload, const QString &args,
                            int code, const QStringList &out, const char *err = "", const char *check = "",
                            const QByteArray &input = {}) {
            QTest::newRow(name) << Case{QString::fromLatin1(signs), QString::fromLatin1(preload), args.split(u' '), code,
                                        out, QString::fromUtf8(err), QString::fromLatin1(check), input};
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
        row("file missing", "z20", "", "send @D/none.zlx --json --port @1", 2,
            {R"("path":null,"port":"@1","result":"bad-file")"}, "none.zlx", "nothing-sent");
        row("bad tsv line", "z20", "", "verify @D/bad.tsv", 2, {}, "bad.tsv: line 2: the row must be 1 to 20", "nothing-sent");
        row("silent named port", "silent", "", "detect --json --port @1", 4,
            {R"("model":null,"pages":null,"path":"@1","port":"@1","result":"no-sign"\}$)"});
        row("one good one mute", "z20,mute", "other", "send @D/good.zlx --timeout 300 --port @1 --port @2", 5,
            {"^@1\tok\tframes 19", "^@2\ttimeout$"}, "@2: the sign did not answer", "holds-good");
        row("send through a tcp bridge", "bridged", "other", "send @D/good.zlx --port @1", 0, {"^@1\tok\tframes 19"},
            "", "holds-good");
        row("read", "z20", "good", "read @D/out.zlx", 0, {"^COM2\tok$"}, "", "read-good");
        row("read fails, file kept", "mute", "", "read @D/existing.zlx --timeout 300", 5, {"timeout"}, "",
            "existing-kept");
        row("read unwritable", "z20", "good", "read @D/nodir/out.zlx", 6, {"write-failed"});
        row("show with cut page, shortest timeout", "", "", "show @D/good.zlx --timeout 1", 0,
            {"^3\t1\tParpadeo\t2\t1\tMañana$", "^page 1: 60 of 1024 bytes$", "^page 2: 1205 of 1024 bytes, cut: 181 bytes over$"});
        row("show, a page past the sign's", "", "", "show @D/far.zlx", 0, {R"(\A21\t1\tTexto Fijo\t2\t1\tx\n\z)"});
        row("send, a page past the sign's", "z20", "", "send @D/far.zlx --port @1", 0, {"^@1\tok\tframes 1\t"},
            "page 21: rows not sent");
        row("ctrl-c", "slow", "", "send @D/good.zlx --json --port @1", 5,
            {R"("frames":[1-9][0-9]*,.*"port":"@1","result":"interrupted")"}, "interrupted", "interrupt");
        row("ctrl-c during the scan", "silent", "", "send @D/good.zlx --port @1 --timeout 5000", 5, {"^@1\tinterrupted$"},
            "interrupted", "interrupt-scan");
    }

    void commandLine()
    {
        QFETCH(Case, c);
        std::vector<std::unique_ptr<sim::PtySign>> hosted;
        std::vector<Child> bridges;  // killed before the signs they lead to close
        QStringList ports{m_dir.filePath(QStringLiteral("missing"))};
        for (const QString &kind : c.signs.split(u',', Qt::SkipEmptyParts)) {
            auto sign = std::make_unique<sim::PtySign>(kind == u"z40" ? sim::Model::Pages40 : sim::Model::Pages20);
            sign->sign().setFault(kind == u"silent" ? sim::Fault{sim::FaultKind::Silent, 0}
                                  : kind == u"mute"   ? sim::Fault{sim::FaultKind::SilentAfter, 1}
                                                      : sim::Fault{});
            if (kind == u"slow")
                sign->setPaceBaud(2400);  // a few seconds for the whole program
            QVERIFY2(sign->open(), qPrintable(sign->errorString()));
            if (kind == u"bridged") {
                const QString link = m_dir.filePath(QStringLiteral("bridge"));
                const QString failed = bridge(sign->slavePath(), link, bridges);
                QVERIFY2(failed.isEmpty(), qPrintable(failed));
                ports.append(link);
            } else {
                ports.append(sign->slavePath());
            }
            hosted.push_back(std::move(sign));
        }
        if (!c.preload.isEmpty())
            signbytes::put(hosted.front()->sign(), c.preload == u"good" ? m_good : m_other, kZ20);
        const auto expand = [&](QString text, bool pattern) {
            const auto put = [&](const char *mark, const QString &value) {
                text.replace(QLatin1String(mark), pattern ? QRegularExpression::escape(value) : value);
            };
            put("@D", m_dir.path());
            for (qsizetype i = 1; i < ports.size(); ++i)
                put(i == 1 ? "@1" : "@2", ports.at(i));
            return text;
        };
        QStringList args = c.args;
        for (QString &arg : args)
            arg = expand(arg, false);

        QProcess cli;
        qputenv("ZANTOLUX_PORTS", ports.join(u':').toLocal8Bit());  // the child's COM1, COM2, ...
        QByteArray err;
        connect(&cli, &QProcess::readyReadStandardError, this, [&] { err += cli.readAllStandardError(); });
        QSignalSpy finished(&cli, &QProcess::finished);
        std::optional<QSignalSpy> probed;
        if (c.check == u"interrupt-scan")
            probed.emplace(hosted.front().get(), &sim::PtySign::frameHandled);
        cli.start(QStringLiteral(ZANTOLUX_CLI), args);
        QVERIFY(cli.waitForStarted(kWaitMs));
        cli.write(c.input == "@tsv" ? m_goodTsv : c.input);
        cli.closeWriteChannel();
        if (c.check.startsWith(u"interrupt")) {
            // Ctrl-C once the first page is on the sign, or while the probe waits for its answer.
            if (c.check == u"interrupt")
                QTRY_VERIFY_WITH_TIMEOUT(err.contains("page 1 sent"), kWaitMs);
            else
                QVERIFY(probed->count() > 0 || probed->wait(kWaitMs));
            QCOMPARE(::kill(pid_t(cli.processId()), SIGINT), 0);
        }
        QVERIFY(finished.count() == 1 || finished.wait(kWaitMs));
        err += cli.readAllStandardError();
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());

        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QVERIFY2(cli.exitCode() == c.exitCode, qPrintable(QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3")
                                                            .arg(cli.exitCode()).arg(out, QString::fromUtf8(err))));
        for (const QString &pattern : c.stdoutHas) {
            const QRegularExpression re(expand(pattern, true), QRegularExpression::MultilineOption);
            QVERIFY2(re.match(out).hasMatch(), qPrintable(pattern + QStringLiteral("\nnot in:\n") + out));
        }
        QVERIFY2(QString::fromUtf8(err).contains(expand(c.stderrHas, false)), err.constData());

        if (c.check == u"holds-good")
            QVERIFY(signbytes::holds(hosted.front()->sign(), m_good, kZ20));
        if (c.check == u"nothing-sent")
            QCOMPARE(hosted.front()->sign().framesWritten(), 0);
        if (c.check == u"existing-kept")
            QCOMPARE(testfiles::read(m_dir.filePath("existing.zlx")), m_otherBytes);
        if (c.check == u"read-good") {
            // What a Send wrote, cut page included, is what comes back.
            const auto lines = project::decodeLines(testfiles::read(m_dir.filePath("out.zlx")));
            QCOMPARE(lines.value_or(QByteArrayList()).size(), 20 * MessageStore::kRowsPerPage);
            MessageStore read;
            project::load(*lines, read);
            signbytes::put(hosted.front()->sign(), read, kZ20);
            QVERIFY(signbytes::holds(hosted.front()->sign(), m_good, kZ20));
        }
    }

private:
    QTemporaryDir m_dir;
    const MessageStore m_good = goodProgram();
    const QByteArray m_otherBytes = entry::make(2, 3, '1', "Otro programa") + "\r\n";
    MessageStore m_other;
    QByteArray m_goodTsv;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
