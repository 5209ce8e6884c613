#pragma once

#include "cli/CliOptions.h"
#include "link/LinkTypes.h"
#include "protocol/SendPlan.h"

#include <QList>
#include <QString>
#include <optional>

namespace zlx::cli {

enum class JobKind { Detect, Send, Read, Verify, Show };

enum class ResultKind {
    Ok, Incomplete, Differs, NoSign, Busy, CannotOpen, Timeout, WrongAnswer, PortLost, Interrupted, BadFile,
    WriteFailed
};

// How the work on one sign ended, for the result line and the exit status. Pages and rows
// are from 1.
struct JobResult
{
    JobKind kind = JobKind::Detect;
    ResultKind result = ResultKind::Ok;
    QString port;  // the COM name found by the scan, else the --port value as given
    QString path;
    std::optional<int> model;  // page count of the sign's model
    int frames = 0;
    double seconds = 0;
    QList<int> cutPages;         // placed pages cut to fit the page memory
    QList<int> leftOutPages;     // pages the file places past the sign's last one
    QList<int> differingPages;   // verify: every page the sign does not hold as the file places it
    QList<RowRef> unreachableRows;  // rows the file itself never lets a Send reach
    QString message;             // why it failed, for stderr
};

JobKind jobKindOf(Command command);
// The result of an exchange that ended so; status tells a busy port from one that would not open.
ResultKind resultOf(Outcome outcome, PortStatus status);
// An exchange failed: the result Ctrl-C stands for, if it came meanwhile.
bool endedByFailure(ResultKind result);
QString resultName(ResultKind result);
int exitCode(ResultKind result);

}  // namespace zlx::cli
