// zantolux-sim: a virtual sign on a pseudo-terminal or a TCP port, for demonstrations, end-to-end
// tests and benchmarks.
#include "sim/Fault.h"
#include "sim/MemoryFile.h"
#include "sim/MemoryListing.h"
#include "sim/PtySign.h"
#include "sim/QuitOnSignal.h"
#include "sim/TcpSign.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

using namespace zlx::sim;

namespace {

constexpr int kUsageError = 2;

int fail(const QString &message, int code = 1)
{
    QTextStream(stderr) << "zantolux-sim: " << message << Qt::endl;
    return code;
}

int show(const QString &path)
{
    QString error;
    const auto image = loadMemoryFile(path, &error);
    if (!image)
        return fail(path + QStringLiteral(": ") + error);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    out << listMemory(*image);
    return 0;
}

struct ListenAddress
{
    QHostAddress host;
    quint16 port;
};

// [HOST:]PORT; HOST a numeric address (an IPv6 one may be in brackets) or localhost.
std::optional<ListenAddress> parseListen(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    QString host = colon < 0 ? QStringLiteral("127.0.0.1") : text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (host == QLatin1String("localhost"))
        address = QHostAddress::LocalHost;
    else if (!address.setAddress(host))
        return std::nullopt;
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return ListenAddress{address, quint16(port)};
}

// Opens the host of either kind; its address for the first line, or empty with host.errorString().
QString start(SignHost &host, const std::optional<ListenAddress> &listen, const QString &link)
{
    if (auto *tcp = qobject_cast<TcpSign *>(&host))
        return tcp->listen(listen->host, listen->port) ? tcp->url() : QString();
    auto &pty = static_cast<PtySign &>(host);
    return pty.open(link) ? pty.slavePath() : QString();
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zantolux-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A virtual sign on a pseudo-terminal, or with --listen on a TCP port as a sign "
                       "behind a serial device server in raw TCP mode: one client at a time, and "
                       "a second one is told \"Port already in use\" and closed. Prints the device "
                       "path (or tcp://HOST:PORT) on its first line, then one line per frame "
                       "received.\n\n")
        + faultHelp());
    parser.addHelpOption();
    const QCommandLineOption modelOption(QStringLiteral("model"), QStringLiteral("Sign model: 20 or 40 pages (default 20, or the model of --memory)."), QStringLiteral("20|40"));
    const QCommandLineOption linkOption(QStringLiteral("link"), QStringLiteral("Make PATH a symbolic link to the pty (not with --listen)."), QStringLiteral("PATH"));
    const QCommandLineOption listenOption(QStringLiteral("listen"), QStringLiteral("Listen on a TCP port instead of a pty. HOST: a numeric address or localhost (default 127.0.0.1); PORT 0: the system chooses."), QStringLiteral("[HOST:]PORT"));
    const QCommandLineOption memoryOption(QStringLiteral("memory"), QStringLiteral("Load the memory from FILE if it exists; save it after every end frame and on exit."), QStringLiteral("FILE"));
    const QCommandLineOption paceOption(QStringLiteral("pace-baud"), QStringLiteral("Take the line time of every byte at N baud (0: none)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption faultOption(QStringLiteral("fault"), QStringLiteral("Inject a fault (see the table above)."), QStringLiteral("FAULT"));
    const QCommandLineOption showOption(QStringLiteral("show"), QStringLiteral("List the pages and rows a saved memory holds, and exit."), QStringLiteral("FILE"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print the device path (or the TCP address) only."));
    parser.addOptions({modelOption, linkOption, listenOption, memoryOption, paceOption, faultOption, showOption, quietOption});
    parser.process(app);

    if (parser.isSet(showOption))
        return show(parser.value(showOption));

    Model model = Model::Pages20;
    if (parser.isSet(modelOption)) {
        const QString value = parser.value(modelOption);
        if (value != QLatin1String("20") && value != QLatin1String("40"))
            return fail(QStringLiteral("--model must be 20 or 40"), kUsageError);
        model = value == QLatin1String("40") ? Model::Pages40 : Model::Pages20;
    }
    bool paceOk = false;
    const int paceBaud = parser.value(paceOption).toInt(&paceOk);
    if (!paceOk || paceBaud < 0)
        return fail(QStringLiteral("--pace-baud must be a number of baud, 0 or more"), kUsageError);
    Fault fault;
    if (parser.isSet(faultOption)) {
        const auto parsed = parseFault(parser.value(faultOption));
        if (!parsed)
            return fail(QStringLiteral("unknown fault \"%1\"\n").arg(parser.value(faultOption)) + faultHelp(), kUsageError);
        fault = *parsed;
    }
    std::optional<ListenAddress> listen;
    if (parser.isSet(listenOption)) {
        if (parser.isSet(linkOption))
            return fail(QStringLiteral("--link is for a pty; it does not go with --listen"), kUsageError);
        listen = parseListen(parser.value(listenOption));
        if (!listen)
            return fail(QStringLiteral("--listen wants [HOST:]PORT, HOST a numeric address or localhost, PORT 0 to 65535"), kUsageError);
    }

    std::unique_ptr<SignHost> sign;
    if (listen)
        sign = std::make_unique<TcpSign>(model);
    else
        sign = std::make_unique<PtySign>(model);
    if (parser.isSet(memoryOption)) {
        if (!sign->setMemoryFile(parser.value(memoryOption)))
            return fail(parser.value(memoryOption) + QStringLiteral(": ") + sign->errorString());
        // An explicit model wins over the one the saved memory carries.
        if (parser.isSet(modelOption) || sign->sign().pageUnits() == 0)
            sign->sign().setModel(model);
    }
    sign->sign().setFault(fault);
    sign->setPaceBaud(paceBaud);
    const QString address = start(*sign, listen, parser.value(linkOption));
    if (address.isEmpty())
        return fail(sign->errorString());

    QTextStream out(stdout);
    out << address << Qt::endl;  // endl flushes: a parent process waits for this line
    if (!parser.isSet(quietOption)) {
        if (auto *tcp = qobject_cast<TcpSign *>(sign.get())) {
            const auto say = [&out](const char *what) {
                return [&out, what](const QString &peer) { out << "client " << peer << ' ' << what << Qt::endl; };
            };
            QObject::connect(tcp, &TcpSign::clientConnected, &app, say("connected"));
            QObject::connect(tcp, &TcpSign::clientRefused, &app, say("refused: port already in use"));
            QObject::connect(tcp, &TcpSign::clientDisconnected, &app, say("gone"));
        }
        QObject::connect(sign.get(), &SignHost::frameHandled, &app,
                         [&out](const QByteArray &frame, const QByteArray &answer) {
                             out << VirtualSign::describeFrame(frame);
                             if (!answer.isEmpty())
                                 out << " -> " << answer.left(8).toHex(' ') << (answer.size() > 8 ? " ..." : "");
                             out << Qt::endl;
                         });
    }

    QuitOnSignal quit;
    if (!quit.install())
        return fail(QStringLiteral("cannot install the signal handlers"));
    QObject::connect(&quit, &QuitOnSignal::quitRequested, &app, &QCoreApplication::quit);

    const int code = app.exec();
    if (!sign->saveMemory())
        return fail(QStringLiteral("cannot save the memory: ") + sign->errorString());
    sign.reset();  // closes the pty (removing the link) or the port
    return code;
}
