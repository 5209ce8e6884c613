#include "link/DeviceAccess.h"

#include <QFileInfo>

namespace zlx {

QString accessGroup(const QString &devicePath)
{
    const QString group = QFileInfo(devicePath).group();
    return group.isEmpty() ? QStringLiteral("dialout") : group;
}

}  // namespace zlx
