#include "project/ProjectIo.h"

#include "project/ProjectFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zlx::project {

namespace {
// Far above any real program (820 lines of texts that fit no sign), far below what would
// strain memory: a device or a stray huge file is refused before it is read.
constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;
}  // namespace

ReadResult readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {{}, QStringLiteral("No se pudo abrir %1: no es un archivo.").arg(path)};
    if (info.size() > kMaxFileBytes)
        return {{}, QStringLiteral("El archivo %1 no es un proyecto válido: es demasiado grande.").arg(path)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("No se pudo abrir el archivo %1: %2").arg(path, file.errorString())};
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("No se pudo leer el archivo %1: %2").arg(path, file.errorString())};
    auto lines = decodeLines(bytes);
    if (!lines) {
        return {{}, QStringLiteral("El archivo %1 no es un proyecto válido: tiene más de %2 líneas.")
                        .arg(path).arg(kMaxLines)};
    }
    return {std::move(*lines), {}};
}

QString writeFile(const QString &path, const MessageStore &store, int pages)
{
    // A carriage return inside an entry would end its line early and shift every later row.
    for (int p = 0; p < pages; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            if (store.entry(p, r).contains('\r')) {
                return QStringLiteral("El programa no fue guardado en %1: la página %2, fila %3 tiene "
                                      "un carácter (código 13) que un archivo de proyecto no puede guardar.")
                    .arg(path).arg(p + 1).arg(r + 1);
            }
        }
    }
    QSaveFile file(path);
    // A folder that takes no new file may still hold a writable project file: it is then
    // overwritten in place, without the protection of the temporary copy.
    file.setDirectWriteFallback(true);
    const QByteArray bytes = encode(store, pages);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("El programa no fue guardado en %1: %2").arg(path, file.errorString());
    return {};
}

}  // namespace zlx::project
