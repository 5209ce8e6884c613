#pragma once

#include "link/PortMap.h"

#include <QString>
#include <QStringList>

namespace zlx {

// What the program's arguments ask for. --help, --version and usage errors are answered
// before any window system is needed, so they work without a display.
struct CommandLine
{
    static constexpr int kUsageError = 2;

    // Parses arguments (the program's name first). Needs no application object.
    static CommandLine parse(const QStringList &arguments);
    static QStringList arguments(int argc, char *argv[]);

    bool exits = false;     // answer with output / errorOutput and exitCode, start nothing
    int exitCode = 0;
    QString output;         // for standard output
    QString errorOutput;    // for standard error
    QStringList ports;      // --port devices as absolute paths, COM1 first
    QString file;           // the project file to open, as an absolute path, or empty
    bool debugLink = false;

    // Writes output and errorOutput; returns exitCode.
    int answer() const;
    // The devices given with --port, else the platform's map (ZANTOLUX_PORTS or the system's).
    PortMap portMap() const;
    // Turns on the link's diagnostics when --debug-link was given.
    void applyLogging() const;
};

}  // namespace zlx
