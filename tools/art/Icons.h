#pragma once

#include <QImage>

namespace art {

// Button images on transparent ground, and the application icon.
QImage applicationIcon(int size = 32);  // size x size
QImage blankDocument();    // 90 x 90
QImage folder();           // 90 x 90
QImage disc();             // 90 x 91
QImage bigArrow(int width, int height, bool pointsRight, const QColor &colour);
QImage smallArrow(bool pointsRight);  // 32 x 32

}  // namespace art
