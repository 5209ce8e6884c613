#include "cli/JobRunner.h"

#include "cli/CliTexts.h"
#include "cli/SigintWatcher.h"
#include "cli/SignJob.h"
#include "link/PortMap.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace zlx::cli {

namespace {

// One target a port given; every port of the list for detect --all; else one scan.
QList<JobTarget> targetsOf(const CliOptions &options)
{
    QList<JobTarget> targets;
    if (options.all) {
        const PortMap map = PortMap::fromEnvironment();
        const QStringList paths = map.devicePaths();
        for (qsizetype i = 0; i < paths.size(); ++i)
            targets.append(JobTarget{QStringLiteral("COM%1").arg(i + 1), paths.at(i), map.isNamed()});
    } else if (options.ports.isEmpty()) {
        targets.append(JobTarget{});
    }
    for (const QString &port : options.ports)
        targets.append(JobTarget{port, CliOptions::portAddress(port), true});
    return targets;
}

}  // namespace

JobRunner::JobRunner(const CliOptions &options, const MessageStore &program, const QList<RowRef> &unreachable,
                     const SigintWatcher &sigint, QObject *parent)
    : QObject(parent),
      m_sigint(sigint),
      // With read -, stdout carries the program: the result line goes to stderr.
      m_printer(options.json, options.command == Command::Read && options.file == u"-" ? STDERR_FILENO : STDOUT_FILENO),
      m_foundOnly(options.all),
      m_unreachable(unreachable)
{
    for (const JobTarget &target : targetsOf(options)) {
        auto *job = new SignJob(jobKindOf(options.command), target, program, options.file,
                                std::chrono::milliseconds(options.timeoutMs), this);
        connect(job, &SignJob::done, this,
                [this, index = m_jobs.size()](const JobResult &result) { onDone(index, result); });
        connect(job, &SignJob::note, this, [quiet = options.quiet](const QString &line, bool progress) {
            if (!quiet || !progress)
                ResultPrinter::note(line);
        });
        m_jobs.append(job);
    }
    m_results.resize(m_jobs.size());
}

void JobRunner::start()
{
    if (m_jobs.isEmpty())
        QTimer::singleShot(0, this, &JobRunner::finish);
    for (SignJob *job : std::as_const(m_jobs))
        job->start();
}

void JobRunner::interrupt()
{
    m_interrupted = true;
    for (SignJob *job : std::as_const(m_jobs))
        job->interrupt();
}

void JobRunner::onDone(qsizetype job, const JobResult &result)
{
    m_results[job] = result;
    // The user stopped: a sign or device server that went with the same Ctrl-C is no news.
    if (endedByFailure(result.result) && (m_interrupted || m_sigint.pending())) {
        m_results[job]->result = ResultKind::Interrupted;
        m_results[job]->message = texts::outcome(Outcome::Cancelled, -1);
    }
    if (result.kind == JobKind::Send || result.kind == JobKind::Verify)
        m_results[job]->unreachableRows = m_unreachable;
    // Results go out in the order of the ports, each as soon as those before it are out.
    while (m_printed < m_results.size() && m_results.at(m_printed)) {
        const JobResult &next = *m_results.at(m_printed++);
        m_anyInterrupted = m_anyInterrupted || next.result == ResultKind::Interrupted;
        if (!m_foundOnly) {
            m_printer.print(next);
            m_exit = std::max(m_exit, exitCode(next.result));
        } else if (next.result == ResultKind::Ok) {
            m_printer.print(next);
            ++m_found;
        } else if (next.result != ResultKind::NoSign) {  // a port without a sign is no news
            ResultPrinter::error(QStringLiteral("%1: %2").arg(next.port, next.message));
        }
    }
    if (m_printed == m_results.size())
        finish();
}

void JobRunner::finish()
{
    if (m_foundOnly && m_found == 0) {
        JobResult none;
        none.result = m_anyInterrupted ? ResultKind::Interrupted : ResultKind::NoSign;
        m_printer.printLine(none);
        m_exit = exitCode(none.result);
    }
    if (m_printer.failed()) {
        ResultPrinter::error(texts::stdoutFailed(m_printer.failure()));
        m_exit = kExitWriteFailed;
    }
    QCoreApplication::exit(m_exit);
}

}  // namespace zlx::cli
