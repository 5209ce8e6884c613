#include "project/ProjectIo.h"

#include "project/ProjectFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zlx::project {

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

std::optional<RowAt> findCarriageReturn(const MessageStore &store, int pages)
{
    // A carriage return inside an entry would end its line early and shift every later row.
    for (int p = 0; p < pages; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            if (store.entry(p, r).contains('\r'))
                return RowAt{p, r};
        }
    }
    return std::nullopt;
}

SaveResult saveFile(const QString &path, const MessageStore &store, int pages)
{
    if (const auto row = findCarriageReturn(store, pages))
        return {SaveProblem::CarriageReturn, *row, {}};
    // The temporary file would take the place of a device or a FIFO, and a folder cannot be one.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {SaveProblem::NotAFile, {}, {}};
    QSaveFile file(path);
    // A folder that takes no new file may still hold a writable project file: it is then
    // overwritten in place, without the protection of the temporary copy.
    file.setDirectWriteFallback(true);
    const QByteArray bytes = encode(store, pages);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {SaveProblem::Failed, {}, file.errorString()};
    return {};
}

QString writeFile(const QString &path, const MessageStore &store, int pages)
{
    const SaveResult saved = saveFile(path, store, pages);
    switch (saved.problem) {
    case SaveProblem::None:
        break;
    case SaveProblem::CarriageReturn:
        return QStringLiteral("El programa no fue guardado en %1: la página %2, fila %3 tiene "
                              "un carácter (código 13) que un archivo de proyecto no puede guardar.")
            .arg(path).arg(saved.row.page + 1).arg(saved.row.row + 1);
    case SaveProblem::NotAFile:
        return QStringLiteral("El programa no fue guardado en %1: no es un archivo común.").arg(path);
    case SaveProblem::Failed:
        return QStringLiteral("El programa no fue guardado en %1: %2").arg(path, saved.detail);
    }
    return {};
}

}  // namespace zlx::project
