#include "cli/ProgramSource.h"

#include "cli/ProgramText.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"

#include <QFile>

namespace zlx::cli {

ProgramSource ProgramSource::load(const QString &file)
{
    ProgramSource source;
    const bool fromStdin = file == u"-";
    if (fromStdin || file.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive)) {
        QFile in;
        const bool opened = fromStdin ? in.open(stdin, QIODevice::ReadOnly)
                                      : (in.setFileName(file), in.open(QIODevice::ReadOnly));
        if (!opened) {
            source.error = QStringLiteral("%1: %2").arg(file, in.errorString());
            return source;
        }
        ProgramText::Parsed parsed = ProgramText::parse(in.readAll());
        if (!parsed.error.isEmpty())
            source.error = QStringLiteral("%1: %2").arg(file, parsed.error);
        else
            source.store = parsed.store;
        return source;
    }
    const project::ReadResult read = project::readFile(file);
    if (!read.error.isEmpty()) {
        source.error = read.error;
        return source;
    }
    project::load(read.lines, source.store);
    return source;
}

}  // namespace zlx::cli
