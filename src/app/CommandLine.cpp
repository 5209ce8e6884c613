#include "app/CommandLine.h"

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
    "port needs the right to it, usually membership of the group dialout.";

const char kEnvironmentHelp[] =
    "\nEnvironment:\n"
    "  ZANTOLUX_PORTS    colon-separated device paths: COM1 first, then COM2, ...\n"
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
        QStringLiteral("Use DEVICE as COM1 (given again: COM2, ...) instead of ZANTOLUX_PORTS or "
                       "the system's serial ports. A relative path is taken from the current "
                       "folder."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption debugLink(
        QStringLiteral("debug-link"),
        QStringLiteral("Log the serial link's exchanges, with every frame and answer in hex, "
                       "to standard error."));
    parser.addOptions({help, version, port, debugLink});
    for (const QCommandLineOption &option : platformOptions())
        parser.addOption(option);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));

    CommandLine result;
    if (parser.isSet(help)) {
        result.exits = true;
        // The parser's usage line names the running executable, or none before the
        // application object exists: this one names the program.
        const QString text = parser.helpText();
        result.output = QStringLiteral("Usage: ") + kProgram + QStringLiteral(" [options]")
                        + text.mid(text.indexOf(u'\n')) + QString::fromUtf8(kEnvironmentHelp);
        return result;
    }
    if (parser.isSet(version)) {
        result.exits = true;
        result.output = kProgram + QStringLiteral(" " ZANTOLUX_VERSION "\n");
        return result;
    }
    for (const QString &device : parser.values(port)) {
        if (device.isEmpty())
            return usageError(QStringLiteral("--port needs a device path."));
        // QSerialPort reads a name without a leading slash as one under /dev.
        result.ports.append(QFileInfo(device).absoluteFilePath());
    }
    result.debugLink = parser.isSet(debugLink);
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
    return ports.isEmpty() ? PortMap::fromEnvironment() : PortMap(ports);
}

void CommandLine::applyLogging() const
{
    if (debugLink)
        QLoggingCategory::setFilterRules(QStringLiteral("zantolux.link.debug=true\nzantolux.link.info=true"));
}

}  // namespace zlx
