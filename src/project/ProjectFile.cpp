#include "project/ProjectFile.h"

#include "project/LineSplitter.h"

#include <algorithm>

namespace zlx::project {

QByteArray encode(const MessageStore &store, int pages)
{
    pages = std::clamp(pages, 0, int(MessageStore::kPageSlots));
    QByteArray out;
    for (int p = 0; p < pages; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            out.append(store.entry(p, r));
            out.append("\r\n");
        }
    }
    return out;
}

std::optional<QList<QByteArray>> decodeLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    // Stops at the first line too many, so that a huge file is not split in full first.
    const LineSplitter::LineSink take = [&lines](QByteArray &&line) {
        if (lines.size() == kMaxLines)
            return false;
        lines.append(std::move(line));
        return true;
    };
    LineSplitter splitter(LineSplitter::End::Cr);
    if (!splitter.feed(bytes, take) || !splitter.finish(take))
        return std::nullopt;
    return lines;
}

void load(const QList<QByteArray> &lines, MessageStore &store)
{
    const qsizetype count = std::min<qsizetype>(lines.size(), kMaxLines);
    for (qsizetype k = 0; k < count; ++k)
        store.setEntry(int(k / MessageStore::kRowsPerPage), int(k % MessageStore::kRowsPerPage),
                       lines.at(k));
}

}  // namespace zlx::project
