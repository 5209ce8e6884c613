#pragma once

#include "model/MessageStore.h"

#include <QString>

namespace zlx::cli {

// A program given on the command line: a project file (*.zlx) read and checked as the window
// does, or rows in the show format when the name ends in .tsv or is "-" (stdin).
struct ProgramSource
{
    MessageStore store;
    QString error;  // why the file is refused; empty when the store holds its program

    static ProgramSource load(const QString &file);
};

}  // namespace zlx::cli
