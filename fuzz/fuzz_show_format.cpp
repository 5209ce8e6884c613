// libFuzzer target: the show format's reader (zantolux-cli's .tsv and stdin) on arbitrary bytes.
#include "cli/ProgramText.h"
#include "model/MessageStore.h"
#include "project/LineSplitter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace zlx;
    const SignModel model = *modelWithPages(40);
    // A row taken from a line is shown as a line that gives the same row back.
    const project::LineSplitter::LineSink take = [&model](QByteArray &&line) {
        if (!cli::ProgramText::isRowLine(line))
            return true;
        const cli::ProgramText::Row row = cli::ProgramText::parseRow(line);
        if (!row.error.isEmpty())
            return true;
        MessageStore store;
        store.setEntry(row.page - 1, row.row - 1, row.entry);
        QByteArray shown;
        cli::ProgramText::format(store, model, false, [&shown](const QByteArray &out) {
            shown = out;
            return false;  // the row's line comes first
        });
        const cli::ProgramText::Row again = cli::ProgramText::parseRow(shown);
        if (!again.error.isEmpty() || again.entry != row.entry || again.page != row.page || again.row != row.row)
            __builtin_trap();
        return true;
    };
    project::LineSplitter splitter(project::LineSplitter::End::Lf);
    splitter.feed(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), take);
    splitter.finish(take);
    return 0;
}
