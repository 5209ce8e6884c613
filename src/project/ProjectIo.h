#pragma once

#include "model/MessageStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Project files on disk. readFile and writeFile word their failures for the window, in
// Spanish; saveFile gives a code that each front end words.
namespace zlx::project {

struct ReadResult
{
    QList<QByteArray> lines;  // the file's entries, when error is empty
    QString error;
};

// Reads and checks a whole project file; nothing else is touched when it fails.
ReadResult readFile(const QString &path);

// A row, page and row from 0.
struct RowAt
{
    int page = 0;
    int row = 0;
};

// The first row of pages 0..pages-1 holding a carriage return, which a file line cannot hold.
std::optional<RowAt> findCarriageReturn(const MessageStore &store, int pages);

enum class SaveProblem { None, CarriageReturn, NotAFile, Failed };

struct SaveResult
{
    SaveProblem problem = SaveProblem::None;
    RowAt row;       // CarriageReturn: the row that holds one
    QString detail;  // Failed: the system's reason
};

// Writes the file whole to a temporary file that then replaces the old one, so a failure never
// destroys a good file; in a folder where no temporary file can be made, an existing writable
// file is written directly. A folder, device, FIFO or socket at path is left as it is.
SaveResult saveFile(const QString &path, const MessageStore &store, int pages);
// saveFile, its failure worded for the operator (path and reason), or empty.
QString writeFile(const QString &path, const MessageStore &store, int pages);

}  // namespace zlx::project
