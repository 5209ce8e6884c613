// zantolux-sim: a virtual sign on a pseudo-terminal, for demonstrations and end-to-end tests.
#include "sim/Fault.h"
#include "sim/MemoryFile.h"
#include "sim/MemoryListing.h"
#include "sim/PtySign.h"
#include "sim/QuitOnSignal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

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

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zantolux-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A virtual sign on a pseudo-terminal. Prints the device path on its first "
                       "line, then one line per frame received.\n\n")
        + faultHelp());
    parser.addHelpOption();
    const QCommandLineOption modelOption(QStringLiteral("model"), QStringLiteral("Sign model: 20 or 40 pages (default 20, or the model of --memory)."), QStringLiteral("20|40"));
    const QCommandLineOption linkOption(QStringLiteral("link"), QStringLiteral("Make PATH a symbolic link to the device."), QStringLiteral("PATH"));
    const QCommandLineOption memoryOption(QStringLiteral("memory"), QStringLiteral("Load the memory from FILE if it exists; save it after every end frame and on exit."), QStringLiteral("FILE"));
    const QCommandLineOption paceOption(QStringLiteral("pace-baud"), QStringLiteral("Take the line time of every byte at N baud (0: none)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption faultOption(QStringLiteral("fault"), QStringLiteral("Inject a fault (see the table above)."), QStringLiteral("FAULT"));
    const QCommandLineOption showOption(QStringLiteral("show"), QStringLiteral("List the pages and rows a saved memory holds, and exit."), QStringLiteral("FILE"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print the device path only."));
    parser.addOptions({modelOption, linkOption, memoryOption, paceOption, faultOption, showOption, quietOption});
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

    PtySign sign(model);
    if (parser.isSet(memoryOption)) {
        if (!sign.setMemoryFile(parser.value(memoryOption)))
            return fail(parser.value(memoryOption) + QStringLiteral(": ") + sign.errorString());
        // An explicit model wins over the one the saved memory carries.
        if (parser.isSet(modelOption) || sign.sign().pageUnits() == 0)
            sign.sign().setModel(model);
    }
    sign.sign().setFault(fault);
    sign.setPaceBaud(paceBaud);
    if (!sign.open(parser.value(linkOption)))
        return fail(sign.errorString());

    QTextStream out(stdout);
    out << sign.slavePath() << Qt::endl;  // endl flushes: a parent process waits for this line
    if (!parser.isSet(quietOption)) {
        QObject::connect(&sign, &PtySign::frameHandled, &app,
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
    if (!sign.saveMemory())
        return fail(QStringLiteral("cannot save the memory: ") + sign.errorString());
    sign.closePty();
    return code;
}
