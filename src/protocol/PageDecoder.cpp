#include "protocol/PageDecoder.h"

#include "model/MessageEntry.h"
#include "protocol/PageLayout.h"

#include <algorithm>

namespace zlx {

bool startsWithTitleRow(QByteArrayView block)
{
    return block.startsWith(QByteArrayView(layout::kTitleStart, 3));
}

void decodePageImages(const QList<QByteArray> &images, int pageCount, MessageStore &store)
{
    const auto pages = std::min<qsizetype>(
        {qsizetype(pageCount), images.size(), qsizetype(MessageStore::kPageSlots)});
    for (qsizetype i = 0; i < pages; ++i) {
        const QByteArray &image = images.at(i);
        if (image.isEmpty())
            return;  // the program ended before this page
        qsizetype at = layout::kTitleSize;
        for (int j = 0; j < MessageStore::kRowsPerPage && at < image.size(); ++j) {
            const qsizetype zero = image.indexOf('\0', at);
            if (zero < 0)
                break;  // a piece that was never closed is no row
            const QByteArray rec = image.mid(at, zero - at);
            if (rec.size() < 3)
                break;  // also the page's closing 0
            const int effect = quint8(rec.at(0));
            const int font = quint8(rec.at(2));
            if (effect < 1 || effect > 9 || font < 1 || font > 3)
                break;
            store.setEntry(int(i), j,
                           entry::make(effect, quint8(rec.at(1)), char('0' + font), rec.mid(3)));
            at = zero + 1;
        }
    }
}

}  // namespace zlx
