#include "app/CommandLine.h"
#include "link/LinkLog.h"

#include <QDir>
#include <QTest>

using zlx::CommandLine;

namespace {
// exitCode -1: the program goes on; said: a part of what it prints.
struct ParseCase { QStringList arguments; int exitCode; QString said; QStringList ports = {}; bool debugLink = false; };
}  // namespace

class tst_CommandLine : public QObject
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
        QTest::newRow("port empty") << ParseCase{{"--port="}, usage, "--port needs"};
        QTest::newRow("debug link with value") << ParseCase{{"--debug-link=1"}, usage, "debug-link"};
        QTest::newRow("stray argument") << ParseCase{{"program.zlx"}, usage, "'program.zlx'"};
        QTest::newRow("version") << ParseCase{{"--version"}, 0, "zantolux " ZANTOLUX_VERSION "\n"};
        // Help wins over anything given with it, as the user asked for it.
        QTest::newRow("help") << ParseCase{{"--port=/dev/x", "--help"}, 0, "--port <DEVICE>"};
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

    void portsWinOverEnvironment()
    {
        qputenv("ZANTOLUX_PORTS", "/dev/fromenv");
        QCOMPARE(CommandLine::parse({"zantolux"}).portMap().devicePath(1), QStringLiteral("/dev/fromenv"));
        const zlx::PortMap given = CommandLine::parse({"zantolux", "--port", "/dev/a", "--port", "/dev/b"}).portMap();
        QCOMPARE(given.devicePaths(), (QStringList{"/dev/a", "/dev/b"}));
        qunsetenv("ZANTOLUX_PORTS");
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
