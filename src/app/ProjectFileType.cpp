#include "app/ProjectFileType.h"

#include <QFileInfo>
#include <QMimeData>
#include <QMimeDatabase>
#include <QUrl>

namespace zlx {

bool isProjectFile(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.inherits(QString::fromLatin1(kProjectMimeType))
           || QFileInfo(path).suffix().compare(QLatin1String("zlx"), Qt::CaseInsensitive) == 0;
}

QString projectFileIn(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && isProjectFile(url.toLocalFile()))
            return url.toLocalFile();
    }
    return {};
}

}  // namespace zlx
