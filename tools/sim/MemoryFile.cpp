#include "sim/MemoryFile.h"

#include "sim/VirtualSign.h"

#include <QFile>
#include <QSaveFile>

namespace zlx::sim {

std::optional<QByteArray> loadMemoryFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    // One byte more than a memory tells a longer file from a right one without reading it all.
    QByteArray image = file.read(VirtualSign::kMemorySize + 1);
    if (image.size() != VirtualSign::kMemorySize) {
        if (error)
            *error = QStringLiteral("not a 64 KiB memory image (%1 bytes)").arg(file.size());
        return std::nullopt;
    }
    return image;
}

bool saveMemoryFile(const QString &path, const QByteArray &image, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

}  // namespace zlx::sim
