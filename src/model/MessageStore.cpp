#include "model/MessageStore.h"

#include <QtGlobal>

namespace zlx {

const QByteArray &MessageStore::entry(int page, int row) const
{
    Q_ASSERT(page >= 0 && page < kPageSlots && row >= 0 && row < kRowSlots);
    return m_entries[size_t(page)][size_t(row)];
}

void MessageStore::setEntry(int page, int row, const QByteArray &entry)
{
    Q_ASSERT(page >= 0 && page < kPageSlots && row >= 0 && row < kRowSlots);
    m_entries[size_t(page)][size_t(row)] = entry;
}

void MessageStore::clearPages(int pages)
{
    for (int p = 0; p < pages && p < kPageSlots; ++p) {
        for (int r = 0; r < kRowsPerPage; ++r)
            m_entries[size_t(p)][size_t(r)].clear();
    }
}

}  // namespace zlx
