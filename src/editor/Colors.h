#pragma once

#include <QColor>

namespace zlx::colors {

inline constexpr QColor kDarkBlue(0, 0, 64);  // the window's ground

}  // namespace zlx::colors
