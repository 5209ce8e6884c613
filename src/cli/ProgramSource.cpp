#include "cli/ProgramSource.h"

#include "cli/CliTexts.h"
#include "cli/InputFile.h"
#include "cli/ProgramText.h"
#include "model/MessageEntry.h"
#include "project/LineSplitter.h"
#include "project/ProjectFile.h"
#include "protocol/PageImages.h"

#include <QList>

namespace zlx::cli {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// A project file's line k is page k div 20, row k mod 20; line k counts from 0.
QString takeProjectLine(const QByteArray &line, int k, MessageStore &store)
{
    const int page = k / MessageStore::kRowsPerPage;
    const int row = k % MessageStore::kRowsPerPage;
    QString why;
    if (page >= MessageStore::kPagesInUse && !line.isEmpty())
        why = texts::pastLastPage(page + 1);
    else if (const auto problem = entry::isEmpty(line) ? std::nullopt : entryProblem(line))
        why = texts::entryProblem(*problem, line);
    if (why.isEmpty())
        store.setEntry(page, row, line);
    return why;
}

}  // namespace

ProgramSource ProgramSource::load(const QString &file, int interruptFd)
{
    ProgramSource source;
    const bool showFormat = file == u"-" || file.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive);
    QList<bool> seen(qsizetype(MessageStore::kPagesInUse) * MessageStore::kRowsPerPage, false);
    int lines = 0;
    const project::LineSplitter::LineSink take = [&](QByteArray &&line) {
        ++lines;
        if (!showFormat) {
            if (lines > project::kMaxLines) {
                source.error = texts::tooManyLines(file, project::kMaxLines);
                return false;
            }
            const int k = lines - 1;
            const QString why = takeProjectLine(line, k, source.store);
            if (!why.isEmpty())
                source.error = texts::atLine(file, lines, k / MessageStore::kRowsPerPage + 1,
                                             k % MessageStore::kRowsPerPage + 1, why);
            return why.isEmpty();
        }
        // An editor's byte order mark is no part of the first page number.
        if (lines == 1 && line.startsWith(kUtf8Bom))
            line.remove(0, 3);
        if (!ProgramText::isRowLine(line))
            return true;
        ProgramText::Row row = ProgramText::parseRow(line);
        line.clear();  // the text's bytes are in the row now: hold one copy only
        const qsizetype slot = (row.page - 1) * MessageStore::kRowsPerPage + (row.row - 1);
        if (row.error.isEmpty() && seen.at(slot))
            row.error = texts::rowTwice();
        if (!row.error.isEmpty()) {
            source.error = texts::atLine(file, lines, row.page, row.row, row.error);
            return false;
        }
        seen[slot] = true;
        source.store.setEntry(row.page - 1, row.row - 1, row.entry);
        return true;
    };

    InputFile input(file, interruptFd);
    project::LineSplitter splitter(showFormat ? project::LineSplitter::End::Lf : project::LineSplitter::End::Cr);
    InputFile::Problem problem = input.open();
    if (problem == InputFile::Problem::None) {
        problem = input.read(project::kMaxFileBytes,
                             [&](QByteArrayView piece) { return splitter.feed(piece, take); });
    }
    if (problem == InputFile::Problem::None && source.error.isEmpty())
        splitter.finish(take);
    source.interrupted = problem == InputFile::Problem::Interrupted;
    if (problem != InputFile::Problem::None)
        source.error = texts::inputProblem(file, problem, input.detail());
    return source;
}

}  // namespace zlx::cli
