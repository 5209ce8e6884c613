#pragma once

#include "cli/CliOptions.h"
#include "cli/JobResult.h"
#include "cli/ResultPrinter.h"
#include "model/MessageStore.h"

#include <QList>
#include <QObject>
#include <optional>

namespace zlx::cli {

class SigintWatcher;
class SignJob;

// Runs one job a sign, all at once in the caller's event loop, prints the results in the order
// of the ports given, and ends the loop with the highest exit status once every job is done.
// detect --all prints only the signs found.
class JobRunner : public QObject
{
    Q_OBJECT
public:
    // unreachable: rows the program never lets a Send reach, named in every result; sigint:
    // tells of a Ctrl-C that has come but not been handled yet.
    JobRunner(const CliOptions &options, const MessageStore &program, const QList<RowRef> &unreachable,
              const SigintWatcher &sigint, QObject *parent = nullptr);

    void start();
    void interrupt();  // Ctrl-C: every exchange under way ends

private:
    void onDone(qsizetype job, const JobResult &result);
    void finish();

    const SigintWatcher &m_sigint;
    ResultPrinter m_printer;
    bool m_foundOnly;  // detect --all
    QList<RowRef> m_unreachable;
    QList<SignJob *> m_jobs;
    QList<std::optional<JobResult>> m_results;
    qsizetype m_printed = 0;
    int m_found = 0;
    bool m_interrupted = false;  // Ctrl-C came
    bool m_anyInterrupted = false;
    int m_exit = kExitOk;
};

}  // namespace zlx::cli
