#include "app/CommandLine.h"
#include "link/LinkLog.h"

#include <QDir>
#include <QTest>

using zlx::CommandLine;

class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");  // -1: the program goes on
        QTest::addColumn<QString>("said");  // a part of what it prints
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<bool>("debugLink");

        const QString here = QDir::currentPath();
        const QStringList none;
        const int usage = CommandLine::kUsageError;
        QTest::newRow("nothing") << QStringList{} << -1 << "" << none << false;
        QTest::newRow("port") << QStringList{"--port", "/dev/ttyUSB0"} << -1 << "" << QStringList{"/dev/ttyUSB0"} << false;
        QTest::newRow("port relative") << QStringList{"--port", "./a/../sign"} << -1 << "" << QStringList{here + "/sign"} << false;
        QTest::newRow("ports in order, debug link") << QStringList{"--port", "/dev/b", "--debug-link", "--port", "/dev/a"}
                                                    << -1 << "" << QStringList{"/dev/b", "/dev/a"} << true;
        QTest::newRow("qt platform option") << QStringList{"-platform", "offscreen", "-reverse"} << -1 << "" << none << false;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << usage << "bogus" << none << false;
        QTest::newRow("port without value") << QStringList{"--port"} << usage << "port" << none << false;
        QTest::newRow("port empty") << QStringList{"--port="} << usage << "--port needs" << none << false;
        QTest::newRow("debug link with value") << QStringList{"--debug-link=1"} << usage << "debug-link" << none << false;
        QTest::newRow("stray argument") << QStringList{"program.zlx"} << usage << "'program.zlx'" << none << false;
        QTest::newRow("version") << QStringList{"--version"} << 0 << "zantolux " ZANTOLUX_VERSION "\n" << none << false;
        // Help wins over anything given with it, as the user asked for it.
        QTest::newRow("help") << QStringList{"--port=/dev/x", "--help"} << 0 << "--port <DEVICE>" << none << false;
        QTest::newRow("-h") << QStringList{"--debug-link", "-h"} << 0 << "/dev/ttyS0 come before" << none << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        arguments.prepend(QStringLiteral("zantolux"));
        const CommandLine command = CommandLine::parse(arguments);
        QCOMPARE(command.exits, exitCode >= 0);
        if (!command.exits) {
            QTEST(command.ports, "ports");
            QTEST(command.debugLink, "debugLink");
            command.applyLogging();
            QTEST(lcLink().isDebugEnabled(), "debugLink");
            QLoggingCategory::setFilterRules(QString());
        } else {
            QCOMPARE(command.exitCode, exitCode);
        }
        const QString &shown = exitCode == CommandLine::kUsageError ? command.errorOutput : command.output;
        const QString &quiet = exitCode == CommandLine::kUsageError ? command.output : command.errorOutput;
        QVERIFY2(shown.contains(said), qPrintable(shown));
        QVERIFY(quiet.isEmpty());
        QCOMPARE(shown.contains(QStringLiteral("zantolux --help")), exitCode == CommandLine::kUsageError);
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
