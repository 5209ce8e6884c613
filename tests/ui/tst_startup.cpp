// How the program starts: its arguments and the port list, and a second start handing its file
// to the first.
#include "app/CommandLine.h"
#include "link/LinkLog.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using zlx::CommandLine;

namespace {
// exitCode -1: the program goes on; said: a part of what it prints.
struct ParseCase { QStringList arguments; int exitCode; QString said; QStringList ports = {}; bool debugLink = false; QString file = {}; };
}  // namespace

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<ParseCase>("c");
        const QString here = QDir::currentPath();
        const int usage = CommandLine::kUsageError;
        QTest::newRow("nothing") << ParseCase{{}, -1, ""};
        QTest::newRow("port") << ParseCase{{"--port", "/dev/ttyUSB0"}, -1, "", {"/dev/ttyUSB0"}};
        QTest::newRow("port relative") << ParseCase{{"--port", "./a/../sign"}, -1, "", {here + "/sign"}};
        QTest::newRow("ports in order, debug link")
            << ParseCase{{"--port", "/dev/b", "--debug-link", "--port", "/dev/a"}, -1, "", {"/dev/b", "/dev/a"}, true};
        QTest::newRow("qt platform option") << ParseCase{{"-platform", "offscreen", "-reverse"}, -1, ""};
        QTest::newRow("unknown option") << ParseCase{{"--bogus"}, usage, "bogus"};
        QTest::newRow("port without value") << ParseCase{{"--port"}, usage, "port"};
        QTest::newRow("port empty") << ParseCase{{"--port="}, usage, "--port: no device given."};
        QTest::newRow("network ports") << ParseCase{{"--port", "tcp://192.0.2.10:4001", "--port", "rfc2217://[::1]:2217"},
                                                    -1, "", {"tcp://192.0.2.10:4001", "rfc2217://[::1]:2217"}};
        QTest::newRow("network port without its number")
            << ParseCase{{"--port", "tcp://192.0.2.10"}, usage, "\"tcp://192.0.2.10\" is not HOST:PORT"};
        QTest::newRow("unknown scheme") << ParseCase{{"--port", "udp://h:1"}, usage, "only tcp:// and rfc2217://"};
        QTest::newRow("one device twice") << ParseCase{{"--port", "/dev/null", "--port", "/dev/../dev/null"}, usage,
                                                       "--port names the port /dev/null twice."};
        QTest::newRow("one address twice")
            << ParseCase{{"--port", "tcp://localhost:4001", "--port", "rfc2217://127.0.0.1:4001"}, usage, "twice"};
        QTest::newRow("debug link with value") << ParseCase{{"--debug-link=1"}, usage, "debug-link"};
        QTest::newRow("a file") << ParseCase{{"a/../program.zlx"}, -1, "", {}, false, here + "/program.zlx"};
        QTest::newRow("two files") << ParseCase{{"program.zlx", "other.zlx"}, usage, "'other.zlx'"};
        QTest::newRow("version") << ParseCase{{"--version"}, 0, "zantolux " ZANTOLUX_VERSION "\n"};
        // Help wins over anything given with it, as the user asked for it.
        QTest::newRow("help") << ParseCase{{"--port=/dev/x", "--help"}, 0, "Usage: zantolux [options] [FILE]"};
        QTest::newRow("-h") << ParseCase{{"--debug-link", "-h"}, 0, "/dev/ttyS0 come before"};
    }

    void parse()
    {
        QFETCH(ParseCase, c);
        const CommandLine command = CommandLine::parse(QStringList{QStringLiteral("zantolux")} + c.arguments);
        QCOMPARE(command.exits, c.exitCode >= 0);
        if (!command.exits) {
            QCOMPARE(command.ports, c.ports);
            QCOMPARE(command.debugLink, c.debugLink);
            QCOMPARE(command.file, c.file);
            command.applyLogging();
            QCOMPARE(lcLink().isDebugEnabled(), c.debugLink);
            QLoggingCategory::setFilterRules(QString());
        } else {
            QCOMPARE(command.exitCode, c.exitCode);
        }
        const QString &shown = c.exitCode == CommandLine::kUsageError ? command.errorOutput : command.output;
        const QString &quiet = c.exitCode == CommandLine::kUsageError ? command.output : command.errorOutput;
        QVERIFY2(shown.contains(c.said), qPrintable(shown));
        QVERIFY(quiet.isEmpty());
        QCOMPARE(shown.contains(QStringLiteral("zantolux --help")), c.exitCode == CommandLine::kUsageError);
        QVERIFY(!command.output.contains(QLatin1String("-platform")));
    }

    // A second start hands its file to the first and ends; the first goes on.
    void secondStart()
    {
        QTemporaryDir runtime;  // the user's own session folder, 0700
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(ZANTOLUX_PROGRAM), {QStringLiteral("--port"), runtime.filePath(QStringLiteral("sign"))});
        QVERIFY(first.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime.filePath(QStringLiteral("io.github.zantolux.Letreros"))), 10000);
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(ZANTOLUX_PROGRAM), {runtime.filePath(QStringLiteral("p.zlx"))});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        QVERIFY(first.waitForFinished(5000));
    }

    void portsWinOverEnvironment()
    {
        // The program's own argv, its name first, as parse() takes it.
        char name[] = "zantolux", help[] = "--help";
        char *argv[] = {name, help};
        QCOMPARE(CommandLine::arguments(2, argv), QStringList({"zantolux", "--help"}));
        qputenv("ZANTOLUX_PORTS", "/dev/fromenv:tcp://[::1]:4001:rfc2217://h:2");
        QCOMPARE(CommandLine::parse({"zantolux"}).portMap().devicePaths(),
                 (QStringList{"/dev/fromenv", "tcp://[::1]:4001", "rfc2217://h:2"}));
        QCOMPARE(CommandLine::parse({"zantolux", "--port", "/dev/a", "--port", "/dev/b"}).portMap().devicePaths(),
                 (QStringList{"/dev/a", "/dev/b"}));
        qputenv("ZANTOLUX_PORTS", "tcp://LOCALHOST:7:/dev/x:tcp://127.0.0.1:7");
        QVERIFY(CommandLine::parse({"zantolux"}).errorOutput.contains(
            QStringLiteral("ZANTOLUX_PORTS names the port tcp://127.0.0.1:7 twice.")));
        qunsetenv("ZANTOLUX_PORTS");
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
