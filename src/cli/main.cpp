// zantolux-cli: the sign programmer for scripts. Same bytes, files and checks as the window.
#include "cli/CliOptions.h"
#include "cli/CliTexts.h"
#include "cli/JobRunner.h"
#include "cli/ProgramFit.h"
#include "cli/ProgramSource.h"
#include "cli/ProgramText.h"
#include "cli/ResultPrinter.h"
#include "cli/SigintWatcher.h"
#include "link/PortMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cerrno>
#include <clocale>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

using namespace zlx;
using namespace zlx::cli;

namespace {

constexpr int kMmapThreshold = 256 * 1024;

// A closed standard stream would hand its number to the next file opened (a port, say), and
// lines meant for stdout would go there. Each is held by /dev/null opened for reading, so that
// writing to it fails as writing to a closed stream does.
void holdClosedStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", O_RDONLY);  // the lowest free number: fd
    }
}

// The exit status, with the reason on stderr when the lines could not all be written.
int ended(const ResultPrinter &printer, int exit)
{
    if (!printer.failed())
        return exit;
    ResultPrinter::error(texts::stdoutFailed(printer.failure()));
    return kExitWriteFailed;
}

int listPorts(const CliOptions &options)
{
    ResultPrinter printer(options.json);
    const QStringList paths = PortMap::fromEnvironment().devicePaths();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString port = QStringLiteral("COM%1").arg(i + 1);
        printer.line(options.json ? QJsonDocument(QJsonObject{{QStringLiteral("port"), port},
                                                              {QStringLiteral("path"), paths.at(i)}})
                                        .toJson(QJsonDocument::Compact)
                                  : (port + u'\t' + paths.at(i)).toUtf8());
    }
    return ended(printer, kExitOk);
}

int showProgram(const CliOptions &options, const MessageStore &store)
{
    ResultPrinter printer(options.json);
    ProgramText::format(store, *modelWithPages(options.modelPages), options.json, [&printer](const QByteArray &line) {
        printer.line(line);
        return !printer.failed();
    });
    return ended(printer, kExitOk);
}

// Nothing was touched: one result line a port, so that a script hears of the refusal from
// each sign it named.
int refuse(const CliOptions &options, ResultKind result, const QString &why)
{
    ResultPrinter::error(why);
    ResultPrinter printer(options.json);
    const QStringList ports = options.ports.isEmpty() ? QStringList{QString()} : options.ports;
    for (const QString &port : ports) {
        JobResult line;
        line.kind = jobKindOf(options.command);
        line.port = port;
        line.result = result;
        line.message = why;
        printer.printLine(line);
    }
    return ended(printer, exitCode(result));
}

// read writes only a regular file, in a folder that exists; checked before the sign is read.
QString outputProblem(const QString &file)
{
    if (file == u"-")
        return {};
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        return texts::notAFile(file);
    return info.dir().exists() ? QString() : texts::noFolder(file);
}

}  // namespace

int main(int argc, char *argv[])
{
    // A long line grows by remapping rather than by copying, so a huge input costs its size
    // once, not twice over.
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    holdClosedStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zantolux-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANTOLUX_VERSION));
    // The system's reasons (a full disk, a refused connection) in English, as every other word.
    std::setlocale(LC_MESSAGES, "C");

    const CliOptions options = CliOptions::parse(QCoreApplication::arguments());
    if (!options.helpText.isEmpty()) {
        ResultPrinter printer(false);
        printer.bytes(options.helpText.toUtf8());
        return ended(printer, kExitOk);
    }
    if (!options.error.isEmpty()) {
        ResultPrinter::error(options.error);
        return kExitUsage;
    }
    if (options.command == Command::Ports)
        return listPorts(options);

    SigintWatcher sigint;
    if (!sigint.install())
        ResultPrinter::error(texts::noSignalHandler());
    if (options.command == Command::Read) {
        if (const QString why = outputProblem(options.file); !why.isEmpty())
            return refuse(options, ResultKind::WriteFailed, why);
    }

    // The file is read and checked before any port is touched: a refused file sends nothing.
    ProgramSource source;
    QList<RowRef> unreachable;
    if (options.command == Command::Send || options.command == Command::Verify
        || options.command == Command::Show) {
        source = ProgramSource::load(options.file, sigint.pendingFd());
        if (source.interrupted)
            return refuse(options, ResultKind::Interrupted, texts::outcome(Outcome::Cancelled, -1));
        if (!source.error.isEmpty())
            return refuse(options, ResultKind::BadFile, source.error);
        unreachable = unreachableRows(source.store);
        if (options.command == Command::Send && !options.allowEmpty && placesNothing(source.store)) {
            QList<int> pages;
            for (const RowRef &at : std::as_const(unreachable))
                if (!pages.contains(at.page))
                    pages.append(at.page);
            return refuse(options, ResultKind::BadFile, texts::emptyProgram(options.file, pages));
        }
        if (!unreachable.isEmpty())
            ResultPrinter::error(texts::unreachableRows(options.file, unreachable));
    }
    if (options.command == Command::Show)
        return showProgram(options, source.store);

    JobRunner runner(options, source.store, unreachable, sigint);
    QObject::connect(&sigint, &SigintWatcher::interrupted, &runner, &JobRunner::interrupt);
    QTimer::singleShot(0, &runner, &JobRunner::start);
    return QCoreApplication::exec();
}
