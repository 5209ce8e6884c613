#pragma once

#include "protocol/SignModel.h"
#include "model/MessageStore.h"

#include <QByteArray>
#include <QList>

// Small builders shared by the core's unit tests.
namespace zlx::test {

using Pages = QList<QByteArrayList>;  // pages[p][r] is entry (p, r)

inline constexpr SignModel kModel20{20, 4};
inline constexpr SignModel kModel40{40, 2};

inline SignModel modelFor(int pageCount) { return pageCount == 40 ? kModel40 : kModel20; }

inline MessageStore storeOf(const Pages &pages)
{
    MessageStore s;
    for (int p = 0; p < pages.size(); ++p)
        for (int r = 0; r < pages[p].size(); ++r)
            s.setEntry(p, r, pages[p][r]);
    return s;
}

// The 14-byte title row of page number n (from 1).
inline QByteArray title(int n)
{
    return QByteArray::fromHex("010203") + QByteArray::number(n).rightJustified(2, '0')
        + QByteArray(" PAGINA ") + QByteArray(1, '\0');
}

inline QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

}  // namespace zlx::test
