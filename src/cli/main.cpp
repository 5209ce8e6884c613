// zantolux-cli: the sign programmer for scripts. Same bytes, files and checks as the window.
#include "cli/CliOptions.h"
#include "cli/JobRunner.h"
#include "cli/ProgramSource.h"
#include "cli/ProgramText.h"
#include "cli/ResultPrinter.h"
#include "cli/SigintWatcher.h"
#include "link/PortMap.h"

#include <QCoreApplication>
#include <QTimer>

using namespace zlx;
using namespace zlx::cli;

namespace {

int listPorts()
{
    const QStringList paths = PortMap::fromEnvironment().devicePaths();
    for (qsizetype i = 0; i < paths.size(); ++i)
        ResultPrinter::out(QStringLiteral("COM%1\t%2").arg(i + 1).arg(paths.at(i)));
    return kExitOk;
}

int showProgram(const ProgramSource &source, int pages)
{
    const auto model = modelWithPages(pages);
    QString text = ProgramText::format(source.store, *model);
    text.chop(1);  // out() ends the last line
    if (!text.isEmpty())
        ResultPrinter::out(text);
    return kExitOk;
}

// One result line a port, so that a script reading JSON hears of the refused file as well.
int refuseFile(const CliOptions &options, const QString &why)
{
    ResultPrinter::error(why);
    if (options.json && options.command != Command::Show) {
        const ResultPrinter printer(true);
        const QStringList ports = options.ports.isEmpty() ? QStringList{QString()} : options.ports;
        for (const QString &port : ports) {
            JobResult result;
            result.kind = options.command == Command::Verify ? JobKind::Verify : JobKind::Send;
            result.port = port;
            result.result = ResultKind::BadFile;
            printer.print(result);
        }
    }
    return kExitBadFile;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zantolux-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANTOLUX_VERSION));

    const CliOptions options = CliOptions::parse(QCoreApplication::arguments());
    if (options.helpShown)
        return kExitOk;
    if (!options.error.isEmpty()) {
        ResultPrinter::error(options.error);
        return kExitUsage;
    }
    if (options.command == Command::Ports)
        return listPorts();

    // The file is read and checked before any port is touched: a refused file sends nothing.
    ProgramSource source;
    if (options.command == Command::Send || options.command == Command::Verify
        || options.command == Command::Show) {
        source = ProgramSource::load(options.file);
        if (!source.error.isEmpty())
            return refuseFile(options, source.error);
    }
    if (options.command == Command::Show)
        return showProgram(source, options.modelPages);

    JobRunner runner(options, source.store);
    SigintWatcher sigint;
    if (!sigint.install())
        ResultPrinter::error(QStringLiteral("Ctrl-C cannot be caught; it will end the program abruptly"));
    QObject::connect(&sigint, &SigintWatcher::interrupted, &runner, &JobRunner::interrupt);
    QTimer::singleShot(0, &runner, &JobRunner::start);
    return QCoreApplication::exec();
}
