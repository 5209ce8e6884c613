#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace zlx::cli {

enum class JobKind { Detect, Send, Read, Verify };

enum class ResultKind {
    Ok, Differs, NoSign, Busy, CannotOpen, Timeout, WrongAnswer, PortLost, Interrupted, BadFile, WriteFailed
};

// How the work on one sign ended, for the result line and the exit status.
struct JobResult
{
    JobKind kind = JobKind::Detect;
    ResultKind result = ResultKind::Ok;
    QString port;  // the COM name found by the scan, else the --port value as given
    QString path;
    std::optional<int> model;  // page count of the sign's model
    int frames = 0;
    double seconds = 0;
    QList<int> cutPages;        // from 1
    QList<int> differingPages;  // from 1
    QString message;            // why it failed, for stderr
};

QString resultName(ResultKind result);
int exitCode(ResultKind result);

}  // namespace zlx::cli
