#pragma once

#include <QByteArray>
#include <QString>

namespace zlx::sim {

// Lists in plain text the pages and rows a sign memory holds, read straight from the memory
// layout (deliberately not through the program's own decoder, so that each checks the other):
//   Pagina 1
//     1: Texto Fijo  cantidad 2  fuente 2  "ABC"
// The model is taken from address 0. Damaged pages are listed as far as they can be read.
QString listMemory(const QByteArray &memory);

}  // namespace zlx::sim
