#pragma once

#include "protocol/SignModel.h"
#include "model/MessageStore.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace zlx {

// The page images of one Send: images[p] is the memory image of page index p; the last one
// is the end-of-program marker (a single 0xFF) unless every page has a message.
struct PageImageBuild
{
    QList<QByteArray> images;
    QList<int> cutPages;  // page indexes whose image was cut to fit the page memory
};

PageImageBuild buildPageImages(const MessageStore &store, const SignModel &model);
QList<QByteArray> buildFrameList(const QList<QByteArray> &images, const SignModel &model);

// How a page's image fits the sign's page memory: size is the image before any cut (title row,
// records, closing 0; 1 for the end-of-program marker). Rows from firstCutRow on lose their end
// when Send cuts the page; -1 when the page fits.
struct PageFit
{
    int size = 0;
    int capacity = 0;
    int firstCutRow = -1;

    bool cut() const { return size > capacity; }
    int over() const { return cut() ? size - capacity : 0; }
};
PageFit pageFit(const QList<QByteArray> &entries, const SignModel &model);  // rows 0..19 of a page
PageFit pageFit(const MessageStore &store, int page, const SignModel &model);

// Why Send cannot encode an entry faithfully (only a project file from elsewhere brings one).
enum class EntryProblem { Incomplete, BadEffect, BadFont, ZeroAmount, ZeroInText };

// Why an entry that is not empty has no faithful record, or nullopt when it has one.
std::optional<EntryProblem> entryProblem(const QByteArray &entry);

struct EntryFault
{
    int page = 0;  // page index
    int row = 0;
    EntryProblem problem = EntryProblem::Incomplete;
};
std::optional<EntryFault> findUnsendableEntry(const MessageStore &store, const SignModel &model);

}  // namespace zlx
