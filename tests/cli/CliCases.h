#pragma once

// The rows of tst_cli and tst_clicontract: a command line run against virtual signs, its exit
// status and output lines, and what must hold afterwards; the files the rows name.
#include "CliHarness.h"
#include "SignMemory.h"
#include "TestFiles.h"
#include "model/MessageEntry.h"
#include "project/ProjectFile.h"

#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <optional>
#include <sys/stat.h>

namespace clitest {

const zlx::SignModel kZ20 = *zlx::modelWithPages(20);

struct Case
{
    QString signs;    // see Signs::start
    QString preload;  // a program's name: the first sign already holds it
    // Command lines joined by " ; ": the row's, then runs that must succeed. Marks as in
    // Signs::expand; "> FILE" at the end of a line keeps its stdout in FILE.
    QString args;
    int exitCode;
    QStringList stdoutHas;  // patterns, each matching a line
    QString stderrHas;
    // Words: holds-NAME (the first sign holds program NAME), read-NAME (out.zlx read back holds
    // it), stdout-NAME (stdout is NAME's 20-page project file), same:A=B (two files alike),
    // garble-4, nothing-sent, untouched, fifo-kept, interrupt, interrupt-scan, interrupt-input,
    // vanish (with interrupt), lose-port, answered, as-nobody, stdout-full, stdout-closed, hold-stdin.
    QString check;
    QByteArray input;  // stdin; "@tsv" is good.zlx in the show format
};

inline void row(const char *name, const char *signs, const char *preload, const char *args, int code,
                const QStringList &out, const char *err = "", const char *check = "", const QByteArray &input = {})
{
    QTest::newRow(name) << Case{QString::fromLatin1(signs), QString::fromLatin1(preload), QString::fromUtf8(args),
                                code, out, QString::fromUtf8(err), QString::fromLatin1(check), input};
}

// The folder of the rows' files; each program NAME is written as NAME.zlx.
struct CliFiles
{
    QTemporaryDir dir;
    QMap<QString, zlx::MessageStore> programs;
    QByteArray goodTsv;

    bool addProgram(const QString &name, const QByteArray &file)
    {
        programs[name] = zlx::MessageStore();
        zlx::project::load(*zlx::project::decodeLines(file), programs[name]);
        return testfiles::write(path(name + QStringLiteral(".zlx")), file);
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    // good: page 1 short, page 2 long (it fits a 20-page sign with 10 rows; cut has 20), page
    // 3 with an "ñ"; other, existing, third: one row each.
    bool addCommonPrograms()
    {
        using namespace zlx;
        const auto program = [](int rows) {
            MessageStore s;
            for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
                if (r < 3)
                    s.setEntry(0, r, entry::make(1, 5, '2', "Hola fila " + QByteArray::number(r)));
                if (r < rows)
                    s.setEntry(1, r, entry::make(4, 7, '3', "Texto largo de pagina dos, fila " + QByteArray::number(r)
                                                                + ", con bastante relleno"));
            }
            s.setEntry(2, 0, entry::make(2, 2, '1', entry::textToStored(QStringLiteral("Mañana"))));
            return project::encode(s, 20);
        };
        // cr: a row a sign can hold and a project file cannot.
        programs["cr"].setEntry(0, 0, "1\x02" "1a\rb");
        return dir.isValid() && addProgram("good", program(10)) && addProgram("cut", program(20))
               && addProgram("other", entry::make(2, 3, '1', "Otro programa") + "\r\n")
               && addProgram("existing", entry::make(2, 3, '1', "Otro programa") + "\r\n")
               && addProgram("third", entry::make(1, 4, '2', "Tercer programa") + "\r\n");
    }
};

inline bool isFifo(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

inline void runCase(const Case &c, const CliFiles &files)
{
    using namespace zlx;
    Signs host;
    const QString failed = host.start(c.signs, files.dir.path());
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QStringList checks = c.check.split(u' ', Qt::SkipEmptyParts);
    const auto has = [&](const char *word) { return checks.contains(QLatin1String(word)); };
    if (!c.preload.isEmpty())
        signbytes::put(host.first(), files.programs.value(c.preload), kZ20);
    if (has("garble-4"))  // page 4 begins with neither a title row nor the end marker
        host.first().writeMemory(kZ20.firstUnit(3) * 256, QByteArray(64, 'x'));
    const QStringList lines = c.args.split(QStringLiteral(" ; "));
    std::optional<QSignalSpy> handled, sent;
    if (!host.signs.empty()) {
        handled.emplace(host.signs.front().get(), &sim::PtySign::frameHandled);
        sent.emplace(host.signs.front().get(), &sim::PtySign::answerBytesSent);
    }

    qputenv("ZANTOLUX_PORTS", host.ports.join(u':').toLocal8Bit());  // the child's COM1, COM2, ...
    const RunHow how{has("as-nobody"), has("stdout-full"), has("hold-stdin") || has("interrupt-input"),
                     has("stdout-closed")};
    CliRun cli(host.command(lines.first()), c.input == "@tsv" ? files.goodTsv : c.input, how);
    if (has("interrupt")) {  // Ctrl-C once the first page is on the sign, or read from it
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("page 1 sent") || cli.err.contains("reading page 2"), kWaitMs);
        QCOMPARE(::kill(pid_t(cli.process.processId()), SIGINT), 0);
        if (has("vanish"))  // the same Ctrl-C ends the sign's own program
            host.signs.front()->closePty();
    } else if (has("lose-port")) {  // the sign's port goes once the first page is on it
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("page 1 sent"), kWaitMs);
        host.signs.front()->closePty();
    } else if (has("interrupt-scan")) {  // Ctrl-C while the probe waits for its answer
        QVERIFY(handled->count() > 0 || handled->wait(kWaitMs));
        QCOMPARE(::kill(pid_t(cli.process.processId()), SIGINT), 0);
    } else if (has("interrupt-input")) {  // Ctrl-C while stdin is still open
        QTRY_VERIFY_WITH_TIMEOUT(cli.catchesSigint(), kWaitMs);
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
        const QStringList parts = line.split(QStringLiteral(" > "));
        CliRun next(host.command(parts.first()));
        QVERIFY(next.finish());
        QVERIFY2(next.code() == 0, next.said().constData());
        if (parts.size() > 1)
            QVERIFY(testfiles::write(host.expand(parts.at(1), false), next.outBytes));
    }

    for (const QString &word : checks) {
        const QString name = word.section(u'-', 1);
        if (word.startsWith(u"holds-"))
            QVERIFY2(signbytes::holds(host.first(), files.programs.value(name), kZ20), qPrintable(word));
        if (word.startsWith(u"stdout-") && files.programs.contains(name))
            QCOMPARE(cli.outBytes, project::encode(files.programs.value(name), 20));
        if (word.startsWith(u"same:")) {
            const QStringList pair = word.mid(5).split(u'=');
            QCOMPARE(testfiles::read(files.path(pair.at(0))), testfiles::read(files.path(pair.at(1))));
        }
        if (word.startsWith(u"read-")) {
            // What a Send wrote, cut page included, is what comes back.
            const auto read = project::decodeLines(testfiles::read(files.path(QStringLiteral("out.zlx"))));
            QCOMPARE(read.value_or(QByteArrayList()).size(), 20 * MessageStore::kRowsPerPage);
            MessageStore store;
            project::load(*read, store);
            signbytes::put(host.first(), store, kZ20);
            QVERIFY(signbytes::holds(host.first(), files.programs.value(name), kZ20));
        }
    }
    if (has("nothing-sent"))
        QCOMPARE(host.first().framesWritten(), 0);
    if (has("untouched"))  // no frame at all, not even a probe
        QCOMPARE(handled->count(), 0);
    if (has("fifo-kept"))
        QVERIFY(isFifo(files.path(QStringLiteral("fifo"))));
}

}  // namespace clitest
