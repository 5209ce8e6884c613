#pragma once

#include <QString>

class QMimeData;

namespace zlx {

// The project files' MIME type, as the package registers it for *.zlx.
inline constexpr char kProjectMimeType[] = "application/x-zantolux-project";

// Whether a path names a project file: by its registered type, or by its .zlx ending where
// the type is not installed (a program run from its build folder).
bool isProjectFile(const QString &path);
// The first local project file among dragged or dropped data, or empty.
QString projectFileIn(const QMimeData *data);

}  // namespace zlx
