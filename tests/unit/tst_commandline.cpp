#include "app/CommandLine.h"
#include "link/LinkLog.h"

#include <QDir>
#include <QTest>

using zlx::CommandLine;

class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void version();
    void help();
    void portsWinOverEnvironment();
    void debugLinkTurnsOnDiagnostics();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("exits");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");  // a part of the error output
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<bool>("debugLink");

    const QString here = QDir::currentPath();
    const QStringList none;
    const int usage = CommandLine::kUsageError;
    QTest::newRow("nothing") << QStringList{} << false << 0 << "" << none << false;
    QTest::newRow("port") << QStringList{"--port", "/dev/ttyUSB0"} << false << 0 << "" << QStringList{"/dev/ttyUSB0"} << false;
    QTest::newRow("port with =") << QStringList{"--port=/dev/ttyS1"} << false << 0 << "" << QStringList{"/dev/ttyS1"} << false;
    QTest::newRow("port relative") << QStringList{"--port", "sign"} << false << 0 << "" << QStringList{here + "/sign"} << false;
    QTest::newRow("port dot") << QStringList{"--port", "./a/../sign"} << false << 0 << "" << QStringList{here + "/sign"} << false;
    QTest::newRow("ports in order") << QStringList{"--port", "/dev/b", "--port", "/dev/a"} << false << 0 << "" << QStringList{"/dev/b", "/dev/a"} << false;
    QTest::newRow("debug link") << QStringList{"--debug-link"} << false << 0 << "" << none << true;
    QTest::newRow("both") << QStringList{"--debug-link", "--port", "/dev/x"} << false << 0 << "" << QStringList{"/dev/x"} << true;
    QTest::newRow("qt platform option") << QStringList{"-platform", "offscreen", "-reverse"} << false << 0 << "" << none << false;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << true << usage << "bogus" << none << false;
    QTest::newRow("unknown letter") << QStringList{"-x"} << true << usage << "'x'" << none << false;
    QTest::newRow("port without value") << QStringList{"--port"} << true << usage << "port" << none << false;
    QTest::newRow("port empty") << QStringList{"--port="} << true << usage << "--port needs" << none << false;
    QTest::newRow("debug link with value") << QStringList{"--debug-link=1"} << true << usage << "debug-link" << none << false;
    QTest::newRow("stray argument") << QStringList{"program.zlx"} << true << usage << "'program.zlx'" << none << false;
}

void tst_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, exits);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QFETCH(QStringList, ports);
    QFETCH(bool, debugLink);

    arguments.prepend(QStringLiteral("zantolux"));
    const CommandLine command = CommandLine::parse(arguments);
    QCOMPARE(command.exits, exits);
    QCOMPARE(command.exitCode, exitCode);
    QCOMPARE(command.ports, ports);
    QCOMPARE(command.debugLink, debugLink);
    QVERIFY(command.output.isEmpty());
    if (error.isEmpty()) {
        QVERIFY(command.errorOutput.isEmpty());
    } else {
        QVERIFY2(command.errorOutput.contains(error), qPrintable(command.errorOutput));
        QVERIFY(command.errorOutput.contains(QStringLiteral("zantolux --help")));
    }
}

void tst_CommandLine::version()
{
    for (const char *option : {"--version", "-v"}) {
        const CommandLine command = CommandLine::parse({QStringLiteral("zantolux"), QString::fromLatin1(option)});
        QVERIFY(command.exits);
        QCOMPARE(command.exitCode, 0);
        QCOMPARE(command.output, QStringLiteral("zantolux " ZANTOLUX_VERSION "\n"));
        QVERIFY(command.errorOutput.isEmpty());
    }
}

void tst_CommandLine::help()
{
    for (const char *option : {"--help", "-h"}) {
        // Help wins over anything given with it, as the user asked for it.
        const CommandLine command = CommandLine::parse({QStringLiteral("zantolux"), QStringLiteral("--port=/dev/x"), QString::fromLatin1(option)});
        QVERIFY(command.exits);
        QCOMPARE(command.exitCode, 0);
        QVERIFY(command.errorOutput.isEmpty());
        for (const char *part : {"Usage: zantolux [options]", "--port <DEVICE>", "--debug-link", "--version",
                                 "ZANTOLUX_PORTS", "dialout", "/dev/ttyS0 come before"})
            QVERIFY2(command.output.contains(QLatin1String(part)), part);
        QVERIFY(!command.output.contains(QLatin1String("-platform")));
    }
}

void tst_CommandLine::portsWinOverEnvironment()
{
    qputenv("ZANTOLUX_PORTS", "/dev/fromenv");
    QCOMPARE(CommandLine::parse({"zantolux"}).portMap().devicePath(1), QStringLiteral("/dev/fromenv"));
    const zlx::PortMap given = CommandLine::parse({"zantolux", "--port", "/dev/a", "--port", "/dev/b"}).portMap();
    QCOMPARE(given.devicePath(1), QStringLiteral("/dev/a"));
    QCOMPARE(given.devicePath(2), QStringLiteral("/dev/b"));
    QCOMPARE(given.devicePath(3), QString());
    qunsetenv("ZANTOLUX_PORTS");
}

void tst_CommandLine::debugLinkTurnsOnDiagnostics()
{
    CommandLine::parse({"zantolux"}).applyLogging();
    QVERIFY(!lcLink().isDebugEnabled());
    CommandLine::parse({"zantolux", "--debug-link"}).applyLogging();
    QVERIFY(lcLink().isDebugEnabled());
    QVERIFY(lcLink().isInfoEnabled());
    QLoggingCategory::setFilterRules(QString());
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
