#include "cli/CliOptions.h"

#include "link/PortAddress.h"
#include "link/PortMap.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QSet>
#include <QCoreApplication>
#include <QTextStream>

namespace zlx::cli {

namespace {

struct CommandInfo
{
    const char *name;
    Command command;
    bool takesFile;
};

constexpr CommandInfo kCommands[] = {
    {"ports", Command::Ports, false}, {"detect", Command::Detect, false},
    {"send", Command::Send, true},    {"read", Command::Read, true},
    {"verify", Command::Verify, true}, {"show", Command::Show, true},
};

const char kCommandHelp[] =
    "Commands:\n"
    "  ports        list the ports the scan tries: COMn<TAB>device path\n"
    "  detect       find the sign(s): model<TAB>port<TAB>device<TAB>pages\n"
    "  send FILE    program the sign(s) with FILE (.zlx, or .tsv / - in the show format)\n"
    "  read FILE    read the sign's program into FILE (one sign only)\n"
    "  verify FILE  read the sign(s) back and compare with FILE, page by page\n"
    "  show FILE    print FILE's program: page<TAB>row<TAB>effect<TAB>amount<TAB>font<TAB>text\n"
    "\nExit: 0 done, 1 usage, 2 bad project file, 3 differences, 4 no sign (none answered, or\n"
    "its port cannot be opened or is in use), 5 exchange failed or interrupted,\n"
    "6 output file not written.\n"
    "\nPorts: COMn is the n-th entry of ZANTOLUX_PORTS (colon-separated; an entry starting\n"
    "with tcp:// or rfc2217:// runs to the end of its port number), else the n-th serial\n"
    "port the system reports. Without --port, one scan finds the first sign.";

// A --port value that is no port, or two that name one port: why, else empty.
QString portsError(const QStringList &ports)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (ports.isEmpty()) {
        const QString twice = PortMap::fromEnvironment().repeated();
        return twice.isEmpty() ? QString() : QStringLiteral("ZANTOLUX_PORTS names the port %1 twice").arg(twice);
    }
    const PortMap comMap = PortMap::fromEnvironment();
    QSet<QString> seen;
    for (const QString &port : ports) {
        const QRegularExpressionMatch com = comName.match(port);
        QString why;
        if (!com.hasMatch() && !PortAddress::parse(port, &why))
            return QStringLiteral("--port: %1").arg(why);
        const QString address = com.hasMatch() ? comMap.devicePath(com.captured(1).toInt()) : port;
        const QString identity = address.isEmpty() ? port : PortAddress::identity(address);
        if (seen.contains(identity))
            return QStringLiteral("--port %1 names a port given before").arg(port);
        seen.insert(identity);
    }
    return {};
}

}  // namespace

CliOptions CliOptions::parse(const QStringList &arguments)
{
    CliOptions o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Programs message signs from scripts.\n\n")
                                     + QLatin1String(kCommandHelp));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COMn, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT; "
                                                 "repeat for several signs. A named port waits up to "
                                                 "--timeout for the sign's answer to its probe."),
                                  QStringLiteral("P"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Results as JSON lines."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Answer timeout in ms (default 3000)."),
                                     QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Sign model for show: 20 or 40 (default 20)."),
                                   QStringLiteral("20|40"), QStringLiteral("20"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress on stderr."));
    parser.addOptions({help, version, port, json, timeout, model, quiet});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("See above."),
                                 QStringLiteral("COMMAND [FILE]"));

    if (!parser.parse(arguments)) {
        o.error = parser.errorText();
        return o;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        QTextStream out(stdout);
        if (parser.isSet(help))
            out << parser.helpText();
        else
            out << QCoreApplication::applicationName() << ' '
                << QCoreApplication::applicationVersion() << '\n';
        o.helpShown = true;
        return o;
    }
    o.ports = parser.values(port);
    if (const QString why = portsError(o.ports); !why.isEmpty()) {
        o.error = why;
        return o;
    }
    o.json = parser.isSet(json);
    o.quiet = parser.isSet(quiet);
    bool ok = false;
    o.timeoutMs = parser.value(timeout).toInt(&ok);
    if (!ok || o.timeoutMs < 1) {
        o.error = QStringLiteral("--timeout must be a number of milliseconds, 1 or more");
        return o;
    }
    const QString pages = parser.value(model);
    if (pages != u"20" && pages != u"40") {
        o.error = QStringLiteral("--model must be 20 or 40");
        return o;
    }
    o.modelPages = pages.toInt();

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        o.error = QStringLiteral("no command given (try --help)");
        return o;
    }
    for (const CommandInfo &known : kCommands) {
        if (args.constFirst() != QLatin1String(known.name))
            continue;
        if (args.size() != (known.takesFile ? 2 : 1)) {
            o.error = known.takesFile ? QStringLiteral("%1 takes one FILE").arg(known.name)
                                      : QStringLiteral("%1 takes no argument").arg(known.name);
            return o;
        }
        o.command = known.command;
        if (known.takesFile)
            o.file = args.at(1);
        break;
    }
    if (o.command == Command::None)
        o.error = QStringLiteral("unknown command \"%1\"").arg(args.constFirst());
    else if (o.command == Command::Read && o.ports.size() > 1)
        o.error = QStringLiteral("read works on one sign only");
    return o;
}

}  // namespace zlx::cli
