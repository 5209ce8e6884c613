#include "cli/JobRunner.h"

#include "cli/SignJob.h"

#include <QCoreApplication>
#include <QTextStream>

namespace zlx::cli {

namespace {
JobKind kindOf(Command command)
{
    switch (command) {
    case Command::Send: return JobKind::Send;
    case Command::Read: return JobKind::Read;
    case Command::Verify: return JobKind::Verify;
    default: break;
    }
    return JobKind::Detect;
}
}  // namespace

JobRunner::JobRunner(const CliOptions &options, const MessageStore &program, QObject *parent)
    : QObject(parent), m_printer(options.json)
{
    // Without --port one scan finds the first sign in COM order.
    const QStringList ports = options.ports.isEmpty() ? QStringList{QString()} : options.ports;
    for (const QString &port : ports) {
        auto *job = new SignJob(kindOf(options.command), port, program, options.file,
                                std::chrono::milliseconds(options.timeoutMs), this);
        connect(job, &SignJob::done, this, &JobRunner::onDone);
        connect(job, &SignJob::note, this, [quiet = options.quiet](const QString &line, bool progress) {
            if (!quiet || !progress)
                QTextStream(stderr) << line << Qt::endl;
        });
        m_jobs.append(job);
    }
    m_pending = int(m_jobs.size());
}

void JobRunner::start()
{
    for (SignJob *job : std::as_const(m_jobs))
        job->start();
}

void JobRunner::interrupt()
{
    for (SignJob *job : std::as_const(m_jobs))
        job->interrupt();
}

void JobRunner::onDone(const JobResult &result)
{
    m_printer.print(result);
    m_exit = std::max(m_exit, exitCode(result.result));
    if (--m_pending == 0)
        QCoreApplication::exit(m_exit);
}

}  // namespace zlx::cli
