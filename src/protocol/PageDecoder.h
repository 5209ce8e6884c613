#pragma once

#include "model/MessageStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace zlx {

// Every page image begins with its title row, which starts like a record of effect 1, amount 2,
// font 3; a read-back checks a page's first block against it.
bool startsWithTitleRow(QByteArrayView block);

// Fills store pages 0..pageCount-1 from images read back from a sign. The store's pages
// must already be empty. Never fails: a page ends at the first record that cannot be a row.
void decodePageImages(const QList<QByteArray> &images, int pageCount, MessageStore &store);

}  // namespace zlx
