#include "project/ProjectFile.h"

#include <algorithm>

namespace zlx::project {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
}  // namespace

QByteArray encode(const MessageStore &store, int pages)
{
    pages = std::clamp(pages, 0, int(MessageStore::kPageSlots));
    QByteArray out;
    for (int p = 0; p < pages; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            out.append(store.entry(p, r));
            out.append(kCr);
            out.append(kLf);
        }
    }
    return out;
}

// A line end closes the line before it and opens none, so a file that ends with CR LF has
// no empty line after its last entry.
std::optional<QList<QByteArray>> decodeLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        // Give up early so that a huge file is not split in full first.
        if (lines.size() == kMaxLines)
            return std::nullopt;
        const qsizetype cr = bytes.indexOf(kCr, at);
        if (cr < 0) {
            lines.append(bytes.mid(at));
            break;
        }
        lines.append(bytes.mid(at, cr - at));
        at = cr + 1;
        // A line feed counts as part of the line end only right after a carriage return;
        // elsewhere it is an amount of 10.
        if (at < bytes.size() && bytes.at(at) == kLf)
            ++at;
    }
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
