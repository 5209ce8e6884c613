#pragma once

#include <QRect>

namespace zlx {

// The window is laid out in twips: 15 twips are one pixel at 96 dots per inch.
constexpr int px(int twips) { return twips / 15; }
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

}  // namespace zlx
