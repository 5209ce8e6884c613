#pragma once

#include <QString>

namespace zlx {

// The group whose members may open the device (its owning group), "dialout" when it cannot be
// told.
QString accessGroup(const QString &devicePath);

}  // namespace zlx
