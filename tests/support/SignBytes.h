#pragma once

#include "protocol/PageImages.h"

#include <QByteArray>

// Bytes as the sign holds and sends them, written the way the tests read best.
namespace signbytes {

inline QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// The 14-byte title row of page n (from 1).
inline QByteArray title(int n) { return hex("010203") + QByteArray::number(n).rightJustified(2, '0') + " PAGINA " + '\0'; }

// Page n with one Texto Fijo row (none for a null text) and `closing` 0 bytes after the records.
inline QByteArray page(int n, const QByteArray &text, int closing = 1)
{
    return title(n) + (text.isNull() ? QByteArray() : hex("010202") + text + '\0') + QByteArray(closing, '\0');
}

// A program as a table: pages[p][r] is entry (p, r).
using Pages = QList<QByteArrayList>;

inline zlx::MessageStore storeOf(const Pages &pages)
{
    zlx::MessageStore s;
    for (int p = 0; p < pages.size(); ++p)
        for (int r = 0; r < pages[p].size(); ++r)
            s.setEntry(p, r, pages[p][r]);
    return s;
}

// A read answer: the mark B5, the 64 bytes asked for, the closing 0.
inline QByteArray block(const QByteArray &bytes = QByteArray(1, '\xff'))
{
    return hex("b5") + bytes.leftJustified(64, '\0', true) + '\0';
}

// Each page image of the program with the address a Send writes it to.
inline QList<std::pair<int, QByteArray>> placedImages(const zlx::MessageStore &program, const zlx::SignModel &model)
{
    QList<std::pair<int, QByteArray>> placed;
    const QByteArrayList images = zlx::buildPageImages(program, model).images;
    for (int p = 0; p < images.size(); ++p)
        placed.append({model.firstUnit(p) * 256, images[p]});
    return placed;
}

}  // namespace signbytes
