#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace zlx::colors {

inline constexpr QColor kDarkBlue(0, 0, 64);  // the window's ground

// Fills w's ground with the dark blue; the window and the editor frame share it.
inline void paintDarkBlue(QWidget *w)
{
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, kDarkBlue);
    w->setPalette(pal);
}

}  // namespace zlx::colors
