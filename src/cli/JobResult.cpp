#include "cli/JobResult.h"

#include "cli/CliOptions.h"

namespace zlx::cli {

JobKind jobKindOf(Command command)
{
    switch (command) {
    case Command::Send: return JobKind::Send;
    case Command::Read: return JobKind::Read;
    case Command::Verify: return JobKind::Verify;
    case Command::Show: return JobKind::Show;
    case Command::None:
    case Command::Ports:
    case Command::Detect: break;
    }
    return JobKind::Detect;
}

ResultKind resultOf(Outcome outcome, PortStatus status)
{
    switch (outcome) {
    case Outcome::Completed: return ResultKind::Ok;
    case Outcome::Timeout: return ResultKind::Timeout;
    case Outcome::WrongAnswer:
    case Outcome::ForeignPage: return ResultKind::WrongAnswer;
    case Outcome::CannotOpen: return status == PortStatus::Busy ? ResultKind::Busy : ResultKind::CannotOpen;
    case Outcome::Cancelled: return ResultKind::Interrupted;
    case Outcome::PortLost:
    case Outcome::Superseded: break;
    }
    return ResultKind::PortLost;
}

bool endedByFailure(ResultKind result)
{
    return exitCode(result) == kExitNoSign || exitCode(result) == kExitExchange;
}

QString resultName(ResultKind result)
{
    switch (result) {
    case ResultKind::Ok: return QStringLiteral("ok");
    case ResultKind::Incomplete: return QStringLiteral("incomplete");
    case ResultKind::Differs: return QStringLiteral("differs");
    case ResultKind::NoSign: return QStringLiteral("no-sign");
    case ResultKind::Busy: return QStringLiteral("busy");
    case ResultKind::CannotOpen: return QStringLiteral("cannot-open");
    case ResultKind::Timeout: return QStringLiteral("timeout");
    case ResultKind::WrongAnswer: return QStringLiteral("wrong-answer");
    case ResultKind::PortLost: return QStringLiteral("port-lost");
    case ResultKind::Interrupted: return QStringLiteral("interrupted");
    case ResultKind::BadFile: return QStringLiteral("bad-file");
    case ResultKind::WriteFailed: return QStringLiteral("write-failed");
    }
    return {};
}

int exitCode(ResultKind result)
{
    switch (result) {
    case ResultKind::Ok: return kExitOk;
    case ResultKind::Incomplete:
    case ResultKind::Differs: return kExitNotWhole;
    case ResultKind::NoSign:
    case ResultKind::Busy:
    case ResultKind::CannotOpen: return kExitNoSign;
    case ResultKind::BadFile: return kExitBadFile;
    case ResultKind::WriteFailed: return kExitWriteFailed;
    case ResultKind::Timeout:
    case ResultKind::WrongAnswer:
    case ResultKind::PortLost:
    case ResultKind::Interrupted:
        break;
    }
    return kExitExchange;
}

}  // namespace zlx::cli
