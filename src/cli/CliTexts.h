#pragma once

#include "cli/InputFile.h"
#include "cli/TextEscapes.h"
#include "link/LinkTypes.h"
#include "project/ProjectIo.h"
#include "protocol/PageImages.h"
#include "protocol/SendPlan.h"

#include <QList>
#include <QString>

// Everything zantolux-cli says, in English, in one place. Pages and rows are from 1 here.
namespace zlx::cli::texts {

// Numbers as runs: "2, 5, 21-40".
QString spans(const QList<int> &numbers);

// Ports and exchanges (CliTexts.cpp)
QString portProblem(const QString &address, PortStatus status, const QString &detail);
QString outcome(Outcome outcome, int page);  // page from 0, for an unreadable page
QString noSignAnswered();
QString unknownModel();
QString noSuchPort(const QString &port);
QString pageSent(const QString &label, int page);
QString readingPage(const QString &label, int page);
QString pageCut(const QString &label, int page);
QString notWhole(const QList<int> &cut, const QList<int> &leftOut);
QString signDiffers();
QString stdoutFailed(const QString &detail);
QString noSignalHandler();

// Usage (CliTexts.cpp)
QString noCommand();
QString unknownCommand(const QString &command);
QString takesOneFile(const QString &command);
QString takesNoArgument(const QString &command);
QString readOneSign();
QString badTimeout();
QString badModel();
QString allOnlyDetect();
QString allWithPort();
QString allowEmptyOnlySend();
QString portListTwice(const QString &port);
QString portGivenBefore(const QString &port);
QString badPort(const QString &why);

// Files (InputTexts.cpp). name: the file as given, "-" for stdin.
QString inputProblem(const QString &name, InputFile::Problem problem, const QString &detail);
QString atLine(const QString &name, int line, int page, int row, const QString &reason);  // page 0: none
QString atRow(int page, int row, const QString &reason);
QString tooManyLines(const QString &name, int maxLines);
QString pastLastPage(int page);
QString entryProblem(EntryProblem problem, const QByteArray &entry);
QString fieldCount(int found);
QString notWholeNumber(const char *what, const QString &value);
QString outsideRange(const char *what, qlonglong value, int low, int high);
QString unknownEffect(const QString &value);
QString amountCarriageReturn();
QString badFont(const QString &value);
QString textProblem(escapes::TextProblem problem, const QString &what);
QString rowTwice();
QString emptyProgram(const QString &name, const QList<int> &pagesWithRows);
QString unreachableRows(const QString &name, const QList<RowRef> &rows);
QString saveProblem(const QString &path, const project::SaveResult &saved);
QString notAFile(const QString &path);
QString noFolder(const QString &path);

}  // namespace zlx::cli::texts
