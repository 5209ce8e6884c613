#pragma once

#include "protocol/SignModel.h"
#include "model/MessageEntry.h"
#include "model/MessageStore.h"

#include <QRandomGenerator>

// Programs for round trips through the encoder, the virtual sign and the decoder.
namespace zlx::testprograms {

// A random valid program that fits the page memory: every page up to the last one used has a
// row 0, and some pages keep stale entries behind an empty row that are never sent. `sent`
// receives what a read-back gives back.
inline MessageStore randomProgram(QRandomGenerator &rng, const SignModel &model, MessageStore &sent)
{
    MessageStore store;
    const int pagesUsed = rng.bounded(model.pageCount + 1);
    for (int p = 0; p < pagesUsed; ++p) {
        const int rows = 1 + rng.bounded(MessageStore::kRowsPerPage);
        const int maxText = (model.pageBytes() - 15) / rows - 4;
        for (int r = 0; r < rows; ++r) {
            QByteArray text;
            for (int i = rng.bounded(maxText + 1); i > 0; --i)
                text.append(char(1 + rng.bounded(255)));
            const QByteArray e = entry::make(1 + rng.bounded(9), 1 + rng.bounded(255),
                                             char('1' + rng.bounded(3)), text);
            store.setEntry(p, r, e);
            sent.setEntry(p, r, e);
        }
        if (rows < MessageStore::kRowsPerPage - 1)
            store.setEntry(p, rows + 1, "1\x05" "1stale");
    }
    return store;
}

}  // namespace zlx::testprograms
