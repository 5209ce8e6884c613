#pragma once

#include "model/MessageStore.h"
#include "protocol/SendPlan.h"
#include "protocol/SignModel.h"

#include <QList>

namespace zlx::cli {

// What of a program a sign holds after a Send, against what the program places on a sign
// with room for all its pages. Pages from 1.
struct ProgramFit
{
    QList<int> cutPages;      // placed pages cut to fit the page memory
    QList<int> leftOutPages;  // placed pages past the sign's last one

    bool whole() const { return cutPages.isEmpty() && leftOutPages.isEmpty(); }

    static ProgramFit of(const MessageStore &program, const SignModel &model);
};

// Rows a Send never reaches on any sign, behind an empty row or an effect 0: pages and rows
// from 1.
QList<RowRef> unreachableRows(const MessageStore &program);
// A Send would place no row at all: page 1 begins with an empty row.
bool placesNothing(const MessageStore &program);
// Pages (from 1) whose rows on the sign, held, are not what a Send of program writes;
// foreignPage (from 0, or -1) is a page whose image was no page at all.
QList<int> differingPages(const MessageStore &program, const MessageStore &held, const SignModel &model,
                          int foreignPage);

}  // namespace zlx::cli
