#pragma once

#include "model/MessageStore.h"

#include <QString>

namespace zlx::cli {

// A program given on the command line: a project file (*.zlx), or rows in the show format when
// the name ends in .tsv or is "-" (stdin). Read in pieces and checked line by line, up to the
// project files' limits; every row that holds data must be one a sign can take.
struct ProgramSource
{
    MessageStore store;
    QString error;  // why the file is refused; empty when the store holds its program
    bool interrupted = false;  // Ctrl-C came while it was read

    // interruptFd: readable once Ctrl-C has come, or -1.
    static ProgramSource load(const QString &file, int interruptFd);
};

}  // namespace zlx::cli
