#pragma once

#include "cli/CliOptions.h"
#include "cli/JobResult.h"
#include "cli/ResultPrinter.h"
#include "model/MessageStore.h"

#include <QList>
#include <QObject>

namespace zlx::cli {

class SignJob;

// Runs one job a sign, all at once in the caller's event loop, prints each result as it comes
// and ends the loop with the highest exit status once every job is done.
class JobRunner : public QObject
{
    Q_OBJECT
public:
    JobRunner(const CliOptions &options, const MessageStore &program, QObject *parent = nullptr);

    void start();
    void interrupt();  // Ctrl-C: every exchange under way ends

private:
    void onDone(const JobResult &result);

    ResultPrinter m_printer;
    QList<SignJob *> m_jobs;
    int m_pending = 0;
    int m_exit = kExitOk;
};

}  // namespace zlx::cli
