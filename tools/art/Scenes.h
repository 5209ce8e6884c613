#pragma once

#include <QImage>

namespace art {

// Pictures on the dark blue ground of the window.
QImage picture1();  // 662 x 413, beneath the editor rows
QImage splash();    // 743 x 430, the splash window

}  // namespace art
