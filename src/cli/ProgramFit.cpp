#include "cli/ProgramFit.h"

#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"

namespace zlx::cli {

namespace {
// The largest sign: what the program itself places.
SendPlan fullPlan(const MessageStore &program)
{
    return planSend(program, *modelWithPages(MessageStore::kPagesInUse));
}
}  // namespace

ProgramFit ProgramFit::of(const MessageStore &program, const SignModel &model)
{
    ProgramFit fit;
    for (int page : planSend(program, model).cutPages)
        fit.cutPages.append(page + 1);
    for (int page = model.pageCount; page < fullPlan(program).pagesPlaced; ++page)
        fit.leftOutPages.append(page + 1);
    return fit;
}

QList<RowRef> unreachableRows(const MessageStore &program)
{
    QList<RowRef> rows;
    for (const RowRef &at : fullPlan(program).rowsLeftOut)
        rows.append({at.page + 1, at.row + 1});
    return rows;
}

bool placesNothing(const MessageStore &program)
{
    return fullPlan(program).pagesPlaced == 0;
}

QList<int> differingPages(const MessageStore &program, const MessageStore &held, const SignModel &model,
                          int foreignPage)
{
    // What the sign should hold is what a Send writes, cut pages in their cut form.
    MessageStore expected;
    decodePageImages(buildPageImages(program, model).images, model.pageCount, expected);
    QList<int> pages;
    for (int p = 0; p < model.pageCount; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            if (p == foreignPage || expected.entry(p, r) != held.entry(p, r)) {
                pages.append(p + 1);
                break;
            }
        }
    }
    return pages;
}

}  // namespace zlx::cli
