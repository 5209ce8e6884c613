#include "cli/CliOptions.h"

#include "cli/CliTexts.h"
#include "link/PortAddress.h"
#include "link/PortMap.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>

#include <optional>

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
    "  ports        list the ports the scan tries: COMn<TAB>device\n"
    "  detect       find the sign: model<TAB>port<TAB>device<TAB>pages (--all: every sign)\n"
    "  send FILE    program the sign(s) with FILE\n"
    "  read FILE    read the sign's program into FILE, a regular file, or - for stdout\n"
    "               (the result line then goes to stderr); one sign only\n"
    "  verify FILE  read the sign(s) back and compare with what a send of FILE places\n"
    "  show FILE    print FILE's program in the show format, and a line a page on how it\n"
    "               fits the sign of --model\n"
    "\nFILE is a project file (.zlx); a name ending in .tsv, or - (stdin), is in the show format,\n"
    "one row a line, UTF-8: page<TAB>row<TAB>effect<TAB>amount<TAB>font<TAB>text. Effect: a\n"
    "name (any case, with or without accents) or its digit 1-9; amount 1-255 but 13; font 1-3.\n"
    "In a text \\\\, \\t and \\n are backslash, tab and line feed, \\xhh is the byte hh, and the\n"
    "letters N and n with a tilde are the sign's codes 30, 31. Lines \"page N: ...\" and blank\n"
    "lines are skipped.\n"
    "\nEvery FILE is read and checked before a port is opened: one that is missing, unreadable,\n"
    "a directory, over 64 MiB or 820 lines, holds a row a sign cannot take or a page past 40,\n"
    "is refused with result bad-file and nothing is sent; so is an empty program (page 1\n"
    "begins with an empty row) unless send --allow-empty. Rows that no send reaches (behind\n"
    "an empty row or an effect 0) are named on stderr and in unreachable_rows.\n"
    "\nResults: one line a port, in --port order, on stdout (--json: one JSON object a line).\n"
    "Exit: 0 done; 1 usage; 2 bad FILE, nothing sent (bad-file); 3 the sign does not hold the\n"
    "whole program FILE places (send: incomplete, verify: differs): pages cut to fit or past\n"
    "the sign's last; 4 no sign (no-sign), its port cannot be opened (cannot-open) or is in use\n"
    "(busy); 5 exchange failed (timeout, wrong-answer, port-lost) or Ctrl-C (interrupted);\n"
    "6 output not written (write-failed). With several signs, the highest.\n"
    "\nPorts: COMn is the n-th entry of ZANTOLUX_PORTS (colon-separated; an entry starting\n"
    "with tcp:// or rfc2217:// runs to the end of its port number), else the n-th serial\n"
    "port the system reports. Without --port, one scan finds the first sign.";

// n for a port named COMn, else nullopt.
std::optional<int> comNumber(const QString &port)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(port);
    return com.hasMatch() ? std::optional<int>(com.captured(1).toInt()) : std::nullopt;
}

// A --port value that is no port, or two that name one port: why, else empty.
QString portsError(const QStringList &ports)
{
    if (ports.isEmpty()) {
        const QString twice = PortMap::fromEnvironment().repeated();
        return twice.isEmpty() ? QString() : texts::portListTwice(twice);
    }
    QSet<QString> seen;
    for (const QString &port : ports) {
        QString why;
        if (!comNumber(port) && !PortAddress::parse(port, &why))
            return texts::badPort(why);
        const QString address = CliOptions::portAddress(port);
        const QString identity = address.isEmpty() ? port : PortAddress::identity(address);
        if (seen.contains(identity))
            return texts::portGivenBefore(port);
        seen.insert(identity);
    }
    return {};
}

// Options that do not go with the command or with each other: why, else empty.
QString usageConflict(const CliOptions &o)
{
    if (o.command == Command::Read && o.ports.size() > 1)
        return texts::readOneSign();
    if (o.all && o.command != Command::Detect)
        return texts::allOnlyDetect();
    if (o.all && !o.ports.isEmpty())
        return texts::allWithPort();
    if (o.allowEmpty && o.command != Command::Send)
        return texts::allowEmptyOnlySend();
    return {};
}

}  // namespace

QString CliOptions::portAddress(const QString &port)
{
    const std::optional<int> com = comNumber(port);
    return com ? PortMap::fromEnvironment().devicePath(*com) : PortAddress::absolute(port);
}

CliOptions CliOptions::parse(const QStringList &arguments)
{
    CliOptions o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Programs message signs from scripts.\n\n")
                                     + QString::fromUtf8(kCommandHelp));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COMn, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT; "
                                                 "repeat for several signs. A named port waits up to "
                                                 "--timeout for the sign's answer to its probe."),
                                  QStringLiteral("P"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Results, ports and show's rows as JSON lines."));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("detect: every sign of the port list, not only the first "
                                                "(exit 0 when one answered)."));
    const QCommandLineOption allowEmpty(QStringLiteral("allow-empty"),
                                        QStringLiteral("send: send a program with no row, blanking the sign."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Answer timeout in ms (default 3000)."),
                                     QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Sign model for show: 20 or 40 (default 20)."),
                                   QStringLiteral("20|40"), QStringLiteral("20"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress on stderr."));
    parser.addOptions({help, version, port, json, all, allowEmpty, timeout, model, quiet});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("See above."),
                                 QStringLiteral("COMMAND [FILE]"));

    if (!parser.parse(arguments)) {
        o.error = parser.errorText();
        return o;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        o.helpText = parser.isSet(help) ? parser.helpText()
                                        : QCoreApplication::applicationName() + u' '
                                              + QCoreApplication::applicationVersion() + u'\n';
        return o;
    }
    o.ports = parser.values(port);
    if (const QString why = portsError(o.ports); !why.isEmpty()) {
        o.error = why;
        return o;
    }
    o.json = parser.isSet(json);
    o.quiet = parser.isSet(quiet);
    o.all = parser.isSet(all);
    o.allowEmpty = parser.isSet(allowEmpty);
    bool ok = false;
    o.timeoutMs = parser.value(timeout).toInt(&ok);
    if (!ok || o.timeoutMs < 1) {
        o.error = texts::badTimeout();
        return o;
    }
    const QString pages = parser.value(model);
    if (pages != u"20" && pages != u"40") {
        o.error = texts::badModel();
        return o;
    }
    o.modelPages = pages.toInt();

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        o.error = texts::noCommand();
        return o;
    }
    for (const CommandInfo &known : kCommands) {
        if (args.constFirst() != QLatin1String(known.name))
            continue;
        if (args.size() != (known.takesFile ? 2 : 1)) {
            const QString name = QLatin1String(known.name);
            o.error = known.takesFile ? texts::takesOneFile(name) : texts::takesNoArgument(name);
            return o;
        }
        o.command = known.command;
        if (known.takesFile)
            o.file = args.at(1);
        break;
    }
    o.error = o.command == Command::None ? texts::unknownCommand(args.constFirst()) : usageConflict(o);
    return o;
}

}  // namespace zlx::cli
