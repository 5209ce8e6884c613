#include "protocol/SendPlan.h"

#include "model/MessageEntry.h"
#include "protocol/PageImages.h"

#include <algorithm>

namespace zlx {

namespace {

bool holdsRows(const MessageStore &store, int page)
{
    for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
        if (!store.entry(page, r).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

QList<int> SendPlan::pagesLost() const
{
    QList<int> pages = pagesNotReached + pagesPastLast;
    std::sort(pages.begin(), pages.end());
    return pages;
}

SendPlan planSend(const MessageStore &store, const SignModel &model)
{
    SendPlan plan;
    const int signPages = std::min(model.pageCount, int(MessageStore::kPageSlots));
    bool ended = false;  // the end marker has gone out
    for (int p = 0; p < MessageStore::kPageSlots; ++p) {
        if (p >= signPages) {
            if (holdsRows(store, p))
                plan.pagesPastLast.append(p);
            continue;
        }
        int sent = 0;
        if (!ended) {
            while (sent < MessageStore::kRowsPerPage && !entry::isEmpty(store.entry(p, sent)))
                ++sent;
            ended = sent == 0;
        }
        if (sent > 0) {
            ++plan.pagesPlaced;
            if (pageFit(store, p, model).cut())
                plan.cutPages.append(p);
        } else if (holdsRows(store, p)) {
            plan.pagesNotReached.append(p);
        }
        for (int r = sent; r < MessageStore::kRowsPerPage; ++r) {
            if (!store.entry(p, r).isEmpty())
                plan.rowsLeftOut.append({p, r});
        }
    }
    return plan;
}

}  // namespace zlx
