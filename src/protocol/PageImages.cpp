#include "protocol/PageImages.h"

#include "protocol/Frames.h"
#include "protocol/PageLayout.h"
#include "model/MessageEntry.h"

#include <algorithm>

namespace zlx {

namespace {

constexpr int kUnitBytes = 256;

QByteArray titleRow(int pageIndex)
{
    QByteArray t(layout::kTitleStart, 3);
    const int number = pageIndex + 1;
    t.append(char('0' + (number / 10) % 10));
    t.append(char('0' + number % 10));
    t.append(" PAGINA ");
    t.append('\0');
    return t;
}

// Digits become byte values; findUnsendableEntry tells the caller beforehand when an entry
// has no faithful record, so a malformed one is only encoded as best it can be.
QByteArray record(const QByteArray &e)
{
    QByteArray r;
    r.reserve(e.size() + 1);
    for (qsizetype i = 0; i < e.size(); ++i) {
        const char c = e.at(i);
        r.append((i == 0 || i == 2) ? char(quint8(c) - quint8('0')) : c);
    }
    r.append('\0');
    return r;
}

// Rows in use run from row 0 to the first empty entry. An entry with effect '0' counts as
// empty too: its 0 effect byte behind a record's 0 would read back as the end of the page.
int rowsInUse(const MessageStore &store, int page)
{
    int r = 0;
    while (r < MessageStore::kRowsPerPage && !entry::isEmpty(store.entry(page, r)))
        ++r;
    return r;
}

int pagesToWalk(const SignModel &model)
{
    return std::clamp(model.pageCount, 0, int(MessageStore::kPagesInUse));
}

}  // namespace

PageImageBuild buildPageImages(const MessageStore &store, const SignModel &model)
{
    PageImageBuild build;
    const qsizetype limit = model.pageBytes();
    for (int p = 0; p < pagesToWalk(model); ++p) {
        if (entry::isEmpty(store.entry(p, 0))) {
            build.images.append(QByteArray(1, layout::kEndMarker));
            break;
        }
        QByteArray image = titleRow(p);
        const int rows = rowsInUse(store, p);
        for (int r = 0; r < rows; ++r)
            image.append(record(store.entry(p, r)));
        // Keep room for the closing 0, and end a cut record with its own 0.
        if (image.size() > limit - 1) {
            image.truncate(limit - 2);
            image.append('\0');
            build.cutPages.append(p);
        }
        image.append('\0');
        build.images.append(image);
    }
    return build;
}

PageFit pageFit(const QList<QByteArray> &entries, const SignModel &model)
{
    PageFit fit;
    fit.capacity = model.pageBytes();
    if (entries.isEmpty() || entry::isEmpty(entries.constFirst())) {
        fit.size = 1;  // the end-of-program marker
        return fit;
    }
    // A record whose closing 0 lies past capacity - 2 loses its end when the page is cut.
    qsizetype size = layout::kTitleSize;
    for (qsizetype r = 0; r < entries.size() && r < MessageStore::kRowsPerPage; ++r) {
        if (entry::isEmpty(entries.at(r)))
            break;
        size += entries.at(r).size() + 1;
        if (fit.firstCutRow < 0 && size > fit.capacity - 1)
            fit.firstCutRow = int(r);
    }
    fit.size = int(size + 1);
    return fit;
}

PageFit pageFit(const MessageStore &store, int page, const SignModel &model)
{
    QList<QByteArray> entries;
    for (int r = 0; r < MessageStore::kRowsPerPage; ++r)
        entries.append(store.entry(page, r));
    return pageFit(entries, model);
}

QList<QByteArray> buildFrameList(const QList<QByteArray> &images, const SignModel &model)
{
    QList<QByteArray> frames;
    for (qsizetype p = 0; p < images.size(); ++p) {
        const QByteArray &image = images.at(p);
        int high = model.firstUnit(int(p));
        int low = 0;
        for (qsizetype at = 0; at < image.size(); at += frames::kMaxData) {
            frames.append(frames::writeFrame(quint8(high), quint8(low),
                                             image.mid(at, frames::kMaxData)));
            low += frames::kMaxData;
            if (low == kUnitBytes) {
                low = 0;
                ++high;
            }
        }
    }
    return frames;
}

std::optional<EntryProblem> entryProblem(const QByteArray &e)
{
    if (e.size() < 3)
        return EntryProblem::Incomplete;
    const int effect = entry::effectDigit(e);
    if (effect < 1 || effect > 9)
        return EntryProblem::BadEffect;
    const int font = entry::fontDigit(e);
    if (font < 1 || font > 3)
        return EntryProblem::BadFont;
    if (entry::amount(e) == 0)
        return EntryProblem::ZeroAmount;
    // A 0 in the text would end the record early on the sign.
    if (entry::storedText(e).contains('\0'))
        return EntryProblem::ZeroInText;
    return std::nullopt;
}

std::optional<EntryFault> findUnsendableEntry(const MessageStore &store, const SignModel &model)
{
    for (int p = 0; p < pagesToWalk(model); ++p) {
        const int rows = rowsInUse(store, p);
        if (rows == 0)
            return std::nullopt;  // the marker page: nothing from here on is sent
        for (int r = 0; r < rows; ++r) {
            if (const auto problem = entryProblem(store.entry(p, r)))
                return EntryFault{p, r, *problem};
        }
    }
    return std::nullopt;
}

}  // namespace zlx
