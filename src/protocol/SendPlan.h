#pragma once

#include "model/MessageStore.h"
#include "protocol/SignModel.h"

#include <QList>

namespace zlx {

// A row of the program: page and row index, both from 0.
struct RowRef
{
    int page = 0;
    int row = 0;

    bool operator==(const RowRef &) const = default;
};

// What a Send of a store places on a sign of a model, and what of the store it leaves out.
// A Send writes pages from page 1 on, each up to its first empty row (an entry whose effect is
// "0" counts as empty), until the first page whose row 0 is empty, which becomes the end marker;
// it never writes past the sign's last page.
struct SendPlan
{
    int pagesPlaced = 0;           // pages whose rows go out (the end marker's page not counted)
    QList<int> cutPages;           // placed pages cut to fit the page memory
    QList<int> pagesPastLast;      // pages past the sign's last one that hold rows
    QList<int> pagesNotReached;    // pages within the sign's that hold rows none of which is sent
    QList<RowRef> rowsLeftOut;     // every row within the sign's pages that holds data a Send
                                   // leaves out: behind an empty or "0" row, or on a page not reached
    // Pages with rows that never reach the sign at all, in order.
    QList<int> pagesLost() const;
};

SendPlan planSend(const MessageStore &store, const SignModel &model);

}  // namespace zlx
