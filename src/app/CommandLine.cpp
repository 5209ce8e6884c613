#include "app/CommandLine.h"

#include "link/PortAddress.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>

#ifndef ZANTOLUX_VERSION
#error "ZANTOLUX_VERSION comes from the CMake project version"
#endif

namespace zlx {

namespace {

const QString kProgram = QStringLiteral("zantolux");

// Wrapped by hand: the parser prints the description as it is. Headings are as help2man reads
// them for the manual page.
const char kDescription[] =
    "Letreros ZANTOLUX composes the pages of an electronic message sign, sends them\n"
    "to the sign over a serial line (2400 baud, 8N1) and reads them back. It scans\n"
    "COM1, COM2, ... until a sign answers.\n"
    "\n"
    "COMn is the n-th serial port the system reports, in order of device path:\n"
    "built-in ports such as /dev/ttyS0 come before USB adapters such as\n"
    "/dev/ttyUSB0. --port, or else ZANTOLUX_PORTS, replaces that list. Opening a\n"
    "port needs the right to it, usually membership of the group dialout.\n"
    "\n"
    "A port may also be a serial device server on the network: tcp://HOST:PORT\n"
    "(raw TCP; the server's own side set to 2400 baud 8N1) or rfc2217://HOST:PORT\n"
    "(the program sets 2400 baud 8N1 on the far side). The system's own ports get\n"
    "100 ms each for the sign's answer; a port given with --port or\n"
    "ZANTOLUX_PORTS, and any network port, gets the answer time, 3 s, so that a\n"
    "sign far away is found. One program at a time uses a port: another one finds\n"
    "it in use.";

const char kEnvironmentHelp[] =
    "\nEnvironment:\n"
    "  ZANTOLUX_PORTS    colon-separated ports: COM1 first, then COM2, ... An entry\n"
    "                    starting with tcp:// or rfc2217:// runs to the end of its\n"
    "                    port number, so its own colons do not split it:\n"
    "                    ZANTOLUX_PORTS=/dev/ttyUSB0:tcp://192.0.2.10:4001\n"
    "  QT_LOGGING_RULES  zantolux.link.debug=true;zantolux.link.info=true is the\n"
    "                    same as --debug-link.\n";

// Options the Qt platform takes from the same arguments when the window starts; accepted and
// left to it, so that "zantolux -platform xcb" keeps working.
QList<QCommandLineOption> platformOptions()
{
    QList<QCommandLineOption> options;
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "style",
                             "stylesheet", "display", "qwindowgeometry", "qwindowicon", "qwindowtitle"})
        options.append(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : {"reverse", "nograb", "dograb", "sync"})
        options.append(QCommandLineOption(QString::fromLatin1(name), QString()));
    for (QCommandLineOption &option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}

CommandLine usageError(const QString &message)
{
    CommandLine result;
    result.exits = true;
    result.exitCode = CommandLine::kUsageError;
    result.errorOutput = kProgram + QStringLiteral(": ") + message + QStringLiteral("\nTry '")
                         + kProgram + QStringLiteral(" --help' for more information.\n");
    return result;
}

}  // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words ("-platform"), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Use PORT as COM1 (given again: COM2, ...) instead of ZANTOLUX_PORTS or "
                       "the system's serial ports: a device path (a relative one is taken from "
                       "the current folder), tcp://HOST:PORT or rfc2217://HOST:PORT."),
        QStringLiteral("PORT"));
    const QCommandLineOption debugLink(
        QStringLiteral("debug-link"),
        QStringLiteral("Log the serial link's exchanges, with every frame and answer in hex, "
                       "to standard error."));
    parser.addOptions({help, version, port, debugLink});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A project file (*.zlx) to open. When the program is running "
                                                "already, its window opens it."),
                                 QStringLiteral("[FILE]"));
    for (const QCommandLineOption &option : platformOptions())
        parser.addOption(option);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.positionalArguments().size() > 1)
        return usageError(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().at(1)));

    CommandLine result;
    if (parser.isSet(help)) {
        result.exits = true;
        // The parser's usage line names the running executable, or none before the
        // application object exists: this one names the program.
        const QString text = parser.helpText();
        result.output = QStringLiteral("Usage: ") + kProgram + QStringLiteral(" [options] [FILE]")
                        + text.mid(text.indexOf(u'\n')) + QString::fromUtf8(kEnvironmentHelp);
        return result;
    }
    if (parser.isSet(version)) {
        result.exits = true;
        result.output = kProgram + QStringLiteral(" " ZANTOLUX_VERSION "\n");
        return result;
    }
    for (const QString &address : parser.values(port)) {
        QString why;
        if (!PortAddress::parse(address, &why))
            return usageError(QStringLiteral("--port: %1.").arg(why));
        result.ports.append(PortAddress::absolute(address));
    }
    // Two names of one port would be two programs on one sign.
    if (const QString twice = result.portMap().repeated(); !twice.isEmpty())
        return usageError(QStringLiteral("%1 names the port %2 twice.")
                              .arg(result.ports.isEmpty() ? QStringLiteral("ZANTOLUX_PORTS")
                                                          : QStringLiteral("--port"), twice));
    result.debugLink = parser.isSet(debugLink);
    if (!parser.positionalArguments().isEmpty())
        result.file = QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
    return result;
}

QStringList CommandLine::arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

int CommandLine::answer() const
{
    QTextStream(stdout) << output;
    QTextStream(stderr) << errorOutput;
    return exitCode;
}

PortMap CommandLine::portMap() const
{
    return ports.isEmpty() ? PortMap::fromEnvironment() : PortMap::fromPaths(ports);
}

void CommandLine::applyLogging() const
{
    if (debugLink)
        QLoggingCategory::setFilterRules(QStringLiteral("zantolux.link.debug=true\nzantolux.link.info=true"));
}

}  // namespace zlx
