#pragma once

#include "model/MessageStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Project files on disk. Messages are the operator's, in Spanish.
namespace zlx::project {

struct ReadResult
{
    QList<QByteArray> lines;  // the file's entries, when error is empty
    QString error;
};

// Reads and checks a whole project file; nothing else is touched when it fails.
ReadResult readFile(const QString &path);

// Writes the file whole to a temporary file that then replaces the old one, so a failure never
// destroys a good file; in a folder where no temporary file can be made, an existing writable
// file is written directly. Returns the reason of a failure (path and system reason), or empty.
QString writeFile(const QString &path, const MessageStore &store, int pages);

}  // namespace zlx::project
