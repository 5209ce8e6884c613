#pragma once

#include <QtGlobal>

// The layout of a page in the sign's memory: a title row shaped like a record (effect 1,
// amount 2, font 3, "NN PAGINA ", 0), one record per row (effect, amount, font, text, 0), one
// more 0. A page that begins with 0xFF ends the program.
namespace zlx::layout {

inline constexpr char kEndMarker = char(0xFF);
inline constexpr qsizetype kTitleSize = 14;
inline constexpr char kTitleStart[] = "\x01\x02\x03";

}  // namespace zlx::layout
