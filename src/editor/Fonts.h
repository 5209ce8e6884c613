#pragma once

#include <QFont>

namespace zlx::fonts {

// The window's faces: "MS Sans Serif" where present, else a comparable sans-serif.
QFont standard();  // 8.25 pt regular
QFont bold8();     // 8.25 pt, weight 700
QFont bold12();    // 12 pt bold

}  // namespace zlx::fonts
