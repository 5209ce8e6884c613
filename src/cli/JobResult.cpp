#include "cli/JobResult.h"

#include "cli/CliOptions.h"

namespace zlx::cli {

QString resultName(ResultKind result)
{
    switch (result) {
    case ResultKind::Ok: return QStringLiteral("ok");
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
    case ResultKind::Differs: return kExitDiffers;
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
