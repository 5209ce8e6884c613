#pragma once

#include "link/SignModel.h"
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

// Every page image begins with its title row, which starts like a record of effect 1, amount 2,
// font 3; a read-back checks a page's first block against it.
bool startsWithTitleRow(QByteArrayView block);

// Fills store pages 0..pageCount-1 from images read back from a sign. The store's pages
// must already be empty. Never fails: a page ends at the first record that cannot be a row.
void decodePageImages(const QList<QByteArray> &images, int pageCount, MessageStore &store);

// An entry that Send cannot encode faithfully (only a project file from elsewhere brings one).
struct EntryFault
{
    int page = 0;  // page index
    int row = 0;
    QString problem;  // Spanish, for the operator
};
std::optional<EntryFault> findUnsendableEntry(const MessageStore &store, const SignModel &model);

}  // namespace zlx
